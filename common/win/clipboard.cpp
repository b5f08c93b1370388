#include "common/win/clipboard.h"

#include <cstring>

namespace {

// The clipboard, open while this lives.
class OpenClipboardScope {
 public:
  // Another program may hold the clipboard for a moment: a few tries before giving up.
  explicit OpenClipboardScope(HWND owner) {
    for (int attempt = 0; attempt < 10 && !open_; ++attempt) {
      if (attempt > 0) Sleep(20);
      open_ = OpenClipboard(owner) != FALSE;
    }
  }
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool Open() const { return open_; }

 private:
  bool open_ = false;
};

// Global memory for the clipboard, freed unless the clipboard took it.
class ClipboardMemory {
 public:
  explicit ClipboardMemory(size_t size) : memory_(GlobalAlloc(GMEM_MOVEABLE, size)) {}
  ~ClipboardMemory() {
    if (memory_) GlobalFree(memory_);
  }
  ClipboardMemory(const ClipboardMemory&) = delete;
  ClipboardMemory& operator=(const ClipboardMemory&) = delete;
  HGLOBAL Get() const { return memory_; }
  void Release() { memory_ = nullptr; }

 private:
  HGLOBAL memory_;
};

}  // namespace

bool PutTextOnClipboard(HWND owner, const char* text, size_t size) {
  if (size + 1 == 0) return false;
  ClipboardMemory memory(size + 1);
  if (!memory.Get()) return false;
  char* bytes = static_cast<char*>(GlobalLock(memory.Get()));
  if (!bytes) return false;
  if (size > 0) std::memcpy(bytes, text, size);
  bytes[size] = 0;
  GlobalUnlock(memory.Get());
  OpenClipboardScope clipboard(owner);
  if (!clipboard.Open() || !EmptyClipboard()) return false;
  if (!SetClipboardData(CF_TEXT, memory.Get())) return false;
  memory.Release();  // the clipboard owns it now
  return true;
}
