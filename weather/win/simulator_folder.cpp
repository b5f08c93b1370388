// The simulator's installation folder from the registry, and its airport position file read
// whole into memory.
#include <cstring>
#include <new>

#include "weather/win/ventrel.h"

namespace {

const char* const kSimulatorKeys[] = {
    "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\7.0",
    "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\6.1",
    "SOFTWARE\\Microsoft\\Microsoft Games\\Combat Flight Simulator\\1.00",
    "SOFTWARE\\Microsoft\\Games\\Flight Simulator\\6.0",
};

constexpr const char kAirportFile[] = "\\Weather\\ICAO POS.BIN";
constexpr const char kPilotsFolder[] = "\\Pilots";

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// The value as read may lack its terminator when it fills all 259 bytes. The simulator is a
// 32-bit program: its keys live in the 32-bit view of the registry, which the 64-bit build
// has to ask for (the 32-bit build gets it anyway on 64-bit Windows).
bool ReadInstalledTo(const char* keyName, char* folder) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_QUERY_VALUE | KEY_WOW64_32KEY, &key) !=
      ERROR_SUCCESS)
    return false;
  DWORD size = kFolderValueSize;
  const LONG result =
      RegQueryValueExA(key, "InstalledTo", nullptr, nullptr, reinterpret_cast<BYTE*>(folder), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return false;
  folder[size < kFolderValueSize ? size : kFolderValueSize] = 0;
  return true;
}

}  // namespace

bool FindSimulatorFolder(char* folder, size_t size) {
  if (size < kFolderValueSize + 1) return false;
  for (const char* keyName : kSimulatorKeys) {
    if (ReadInstalledTo(keyName, folder)) return folder[0] != 0;
  }
  folder[0] = 0;
  return false;
}

void LoadAirportTable() {
  char path[kFolderBufferSize];
  const size_t folderLength = std::strlen(ventrel.simulatorFolder);
  std::memcpy(path, ventrel.simulatorFolder, folderLength);
  std::memcpy(path + folderLength, kAirportFile, sizeof kAirportFile);
  // From here on the folder buffer names the Pilots folder, the file dialogs' fallback.
  std::memcpy(ventrel.simulatorFolder + folderLength, kPilotsFolder, sizeof kPilotsFolder);

  FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > 0x7FFFFFFF)
    return;
  const DWORD length = DWORD(size.QuadPart);
  std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[length]);
  if (!bytes) return;
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes.get(), length, &read, nullptr) || read != length) return;
  ventrel.airportTable.bytes = std::move(bytes);
  ventrel.airportTable.size = length;
}
