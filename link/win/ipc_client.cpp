#include "link/win/ipc_client.h"

#include <cstdio>

namespace {

constexpr const char* kIpcMessageName = "Morvanta:IPC";
constexpr DWORD kErrorAlreadyExists = 183;

// One owner for each of the client's system objects: Reset releases what is held.
template <typename T, void (*Release)(T)>
class Owned {
 public:
  Owned() = default;
  ~Owned() { Reset(); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  T Get() const { return value_; }
  void Reset(T value = T()) {
    if (value_) Release(value_);
    value_ = value;
  }

 private:
  T value_ = T();
};

void CloseMapping(HANDLE handle) { CloseHandle(handle); }
void UnmapView(uint8_t* base) { UnmapViewOfFile(base); }
void DeleteAtom(ATOM atom) { GlobalDeleteAtom(atom); }

using MappingHandle = Owned<HANDLE, CloseMapping>;
using MappedView = Owned<uint8_t*, UnmapView>;
using GlobalAtom = Owned<ATOM, DeleteAtom>;

IpcSettings settings = kVentrelIpcSettings;
HWND simulatorWindow = nullptr;
UINT messageId = 0;
GlobalAtom blockAtom;
char blockName[48] = "";
MappingHandle mapping;
size_t mappingSize = 0;
MappedView view;
unsigned replyTimeoutMs = 2000;
LONG deliveryFailed = 0;
RequestBlock block;

bool OpenFailed(int code, const char* text) {
  ShowError(nullptr, code, text);
  IpcClose(true);
  return false;
}

// Creates the named block, moving on to the next counter while a name is taken (when the
// program allows it). False after an error box and a full close.
bool CreateBlock(size_t size) {
  for (unsigned counter = 1;; ++counter) {
    if (!blockAtom.Get()) {
      std::snprintf(blockName, sizeof blockName, "Morvanta:IPC:%lX:%X", GetCurrentProcessId(),
                    counter);
      blockAtom.Reset(GlobalAddAtomA(blockName));
      if (!blockAtom.Get()) return OpenFailed(0, "can't create atom for mapped filename");
    }
    const uint64_t wide = size;
    mapping.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                     DWORD(wide >> 32), DWORD(wide), blockName));
    const DWORD error = GetLastError();
    if (!mapping.Get()) return OpenFailed(int(error), "can't create file mapping");
    if (error != kErrorAlreadyExists) {
      mappingSize = size;
      return true;
    }
    if (!settings.nextNameWhenTaken) return OpenFailed(int(error), "can't create file mapping");
    mapping.Reset();
    blockAtom.Reset();
  }
}

// The exchange itself. Leaves the builder alone: IpcProcess still has to walk the replies.
bool SendBlock() {
  if (!view.Get()) return false;
  DWORD_PTR reply = 0;
  if (!SendMessageTimeoutA(simulatorWindow, messageId, WPARAM(blockAtom.Get()), 0, SMTO_BLOCK,
                           replyTimeoutMs, &reply)) {
    deliveryFailed = -1;
    return false;
  }
  return reply == 1;
}

class WindowMessageTransport : public IpcTransport {
 public:
  bool Send() override { return SendBlock(); }
  void Pause(unsigned milliseconds) override { Sleep(milliseconds); }
};

class ClientBatch : public IpcBatch {
 public:
  void Read(uint32_t offset, uint32_t size, void* destination) override {
    IpcRead(offset, size, destination);
  }
  void Write(uint32_t offset, uint32_t size, const void* source) override {
    IpcWrite(offset, size, source);
  }
  bool Process() override { return IpcProcess(); }
  size_t Capacity() const override { return IpcViewSize(); }
};

}  // namespace

void IpcConfigure(const IpcSettings& newSettings) { settings = newSettings; }

bool IpcOpen(HWND simulator, size_t blockSize, unsigned timeoutMs) {
  if (view.Get()) return false;
  simulatorWindow = simulator;
  replyTimeoutMs = timeoutMs;
  if (!messageId) {
    messageId = RegisterWindowMessageA(kIpcMessageName);
    if (!messageId) return false;
  }
  if (!mapping.Get() && !CreateBlock(blockSize)) return false;
  view.Reset(static_cast<uint8_t*>(MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, 0)));
  if (!view.Get()) return OpenFailed(int(GetLastError()), "can't get a view of the mapped file");
  block.Attach(view.Get(), mappingSize);
  return true;
}

void IpcClose(bool full) {
  simulatorWindow = nullptr;
  if (full) {
    messageId = 0;
    blockAtom.Reset();
  }
  block.Detach();
  view.Reset();
  if (full) {
    mapping.Reset();
    mappingSize = 0;
    blockName[0] = 0;
  }
}

void IpcRead(uint32_t offset, uint32_t size, void* destination) {
  block.QueueRead(offset, size, destination);
}

void IpcWrite(uint32_t offset, uint32_t size, const void* source) {
  block.QueueWrite(offset, size, source);
}

bool IpcProcess() {
  WindowMessageTransport transport;
  return ProcessBatch(block, transport, settings.attempts, settings.pauseMs);
}

bool IpcSend() {
  block.Rewind();
  return SendBlock();
}

uint8_t* IpcView() { return view.Get(); }

size_t IpcViewSize() { return view.Get() ? mappingSize : 0; }

bool IpcDeliveryFailed() { return deliveryFailed != 0; }

IpcBatch& IpcClientBatch() {
  static ClientBatch batch;
  return batch;
}

const char* IpcBlockName() { return blockName; }

ATOM IpcAtom() { return blockAtom.Get(); }
