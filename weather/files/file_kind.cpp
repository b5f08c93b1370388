#include "weather/files/file_kind.h"

#include <cstring>

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

void CopyCut(char* out, size_t size, const char* text, size_t length) {
  if (size == 0) return;
  if (length > size - 1) length = size - 1;
  std::memcpy(out, text, length);
  out[length] = 0;
}

}  // namespace

bool IsWxPath(const char* path) {
  if (path == nullptr) return false;
  const char* dot = std::strrchr(path, '.');
  // The terminator stops the comparison before it can read past a short tail.
  return dot != nullptr && Upper(dot[1]) == 'W' && Upper(dot[2]) == 'X';
}

int WeatherFileKind(const char* path) { return IsWxPath(path) ? kWxFileKind : kDataFileKind; }

void SetWeatherFilePath(char (&weatherFilePath)[kWeatherPathSize], const char* given) {
  if (given == nullptr) given = "";
  size_t length = strnlen(given, kWeatherPathSize - 1);
  CopyCut(weatherFilePath, kWeatherPathSize, given, length);
}

bool FolderOfPath(const char* path, char* out, size_t size) {
  if (size > 0) out[0] = 0;
  if (path == nullptr) return false;
  const char* slash = std::strrchr(path, '\\');
  if (slash == nullptr) return false;
  size_t length = size_t(slash - path);
  // "C:" alone would mean the drive's current folder, not its root.
  if (length == 2 && path[1] == ':') length = 3;
  CopyCut(out, size, path, length);
  return true;
}

void PrepareFileDialog(bool forSave, const char* rememberedPath, const char* pilotsFolder,
                       FileDialogSetup& setup) {
  setup = FileDialogSetup();
  setup.title = forSave ? kSaveDialogTitle : kLoadDialogTitle;
  if (pilotsFolder != nullptr)
    CopyCut(setup.initialFolder, sizeof setup.initialFolder, pilotsFolder,
            std::strlen(pilotsFolder));
  if (rememberedPath == nullptr || rememberedPath[0] == 0) return;
  if (IsWxPath(rememberedPath)) {
    setup.filter = kWxFirstFilter;
    setup.defaultExtension = "wx";
  }
  char folder[kWeatherPathSize];
  if (FolderOfPath(rememberedPath, folder, sizeof folder))
    CopyCut(setup.initialFolder, sizeof setup.initialFolder, folder, std::strlen(folder));
}
