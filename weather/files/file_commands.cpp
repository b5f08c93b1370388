#include "weather/files/file_commands.h"

#include <vector>

#include "weather/files/vtd_file.h"
#include "weather/files/wx_file.h"

bool LoadDataFile(FileContext& context, const char* path, bool setInSimulator) {
  std::vector<uint8_t> bytes;
  {
    std::unique_ptr<ByteSource> file = context.files.OpenForReading(path);
    if (!file || !ReadWhole(*file, bytes)) {
      context.view.ShowError(0, kOpeningDataFileText);
      return false;
    }
  }
  if (setInSimulator) {
    SetDataFileImage(context, bytes.data(), bytes.size());
  } else {
    ShowDataFile(bytes.data(), bytes.size(), context.weather.snapshot);
    context.weather.busy = false;
    context.view.RefreshShown();
  }
  context.view.ActivateCurrentPane();
  return true;
}

bool SetDataFileImage(FileContext& context, const uint8_t* bytes, size_t size) {
  if (QueueDataFileSet(bytes, size, context.batch) == DataFileSet::kTooLarge) {
    context.view.ShowError(0, kDataFileTooLargeText);
    return false;
  }
  context.batch.Process();
  return true;
}

void SaveDataFile(FileContext& context, const char* path) {
  DataFileImage image = EncodeDataFile(context.weather.snapshot);
  if (!WriteFileSafely(context.files, path, image.bytes.data(), image.bytes.size()))
    context.view.ShowError(0, kCreatingDataFileText);
  else if (!image.complete)
    context.view.ShowError(0, kTableTooLongText);
  context.view.ActivateCurrentPane();
}

void SaveWxFile(FileContext& context, const char* path) {
  std::vector<uint8_t> stations;
  {
    // Closed again before the new file takes its place.
    std::unique_ptr<ByteSource> existing = context.files.OpenForReading(path);
    if (existing) stations = WxStationEntries(*existing);
  }
  std::vector<uint8_t> bytes = EncodeWxEntry(context.weather.snapshot);
  bytes.insert(bytes.end(), stations.begin(), stations.end());
  if (!WriteFileSafely(context.files, path, bytes.data(), bytes.size()))
    context.view.ShowError(0, kCreatingWxFileText);
  context.view.ActivateCurrentPane();
}
