// The simulator's installation folder from the registry, and its airport position file read
// whole into memory.
#include <cstring>

#include "weather/files/airports.h"
#include "weather/win/ventrel.h"
#include "weather/win/win_file_system.h"

namespace {

const char* const kSimulatorKeys[] = {
    "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\7.0",
    "SOFTWARE\\Microsoft\\Microsoft Games\\Flight Simulator\\6.1",
    "SOFTWARE\\Microsoft\\Microsoft Games\\Combat Flight Simulator\\1.00",
    "SOFTWARE\\Microsoft\\Games\\Flight Simulator\\6.0",
};

constexpr const char kAirportFile[] = "\\Weather\\ICAO POS.BIN";
constexpr const char kPilotsFolder[] = "\\Pilots";

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

  Win32WeatherFileSystem files;
  size_t length = 0;
  ventrel.airportTable.bytes = ReadAirportFile(files, path, length);
  ventrel.airportTable.size = ventrel.airportTable.bytes ? length : 0;
}
