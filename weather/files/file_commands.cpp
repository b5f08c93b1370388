#include "weather/files/file_commands.h"

#include <cstring>
#include <vector>

#include "weather/files/vtd_file.h"
#include "weather/files/wx_file.h"

bool LoadDataFile(FileContext& context, const char* path, bool setInSimulator) {
  std::unique_ptr<ByteSource> file = context.files.OpenForReading(path);
  if (!file) {
    context.view.ShowError(0, kOpeningDataFileText);
    return false;
  }
  // Read block by block: a file of any size needs no more memory than its blocks. A file that
  // cannot be read to its end is treated as one that cannot be opened: nothing is sent, the
  // panes keep what they show.
  if (setInSimulator) {
    const DataFileSet queued = QueueDataFileSet(*file, context.batch);
    file.reset();
    if (queued == DataFileSet::kUnreadable) {
      context.view.ShowError(0, kOpeningDataFileText);
      return false;
    }
    if (queued == DataFileSet::kTooLarge)
      context.view.ShowError(0, kDataFileTooLargeText);
    else
      context.batch.Process();
  } else {
    const DataFileShow shown = ShowDataFile(*file, context.weather.snapshot);
    file.reset();
    if (shown.failed) {
      context.view.ShowError(0, kOpeningDataFileText);
      return false;
    }
    context.weather.busy = false;
    context.view.RefreshShown();
  }
  context.view.ActivateCurrentPane();
  return true;
}

bool SetDataFileImage(FileContext& context, const uint8_t* bytes, size_t size) {
  if (QueueDataFileSet(bytes, size, context.batch) != DataFileSet::kQueued) {
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

namespace {

bool WriteWxFile(FileContext& context, const char* path, ByteBuffer& bytes,
                 const ByteBuffer& stations, size_t entrySize) {
  EncodeWxEntryInto(context.weather.snapshot, bytes.Bytes());
  if (!stations.Empty()) std::memcpy(bytes.Bytes() + entrySize, stations.Bytes(), stations.Size());
  return WriteFileSafely(context.files, path, bytes.Bytes(), bytes.Size());
}

}  // namespace

void SaveWxFile(FileContext& context, const char* path) {
  ByteBuffer stations;
  bool kept = true;
  {
    // Closed again before the new file takes its place.
    std::unique_ptr<ByteSource> existing = context.files.OpenForReading(path);
    if (existing)
      kept = WxStationEntries(*existing, stations);
    else
      kept = !context.files.Exists(path);  // a file there that cannot be read is never replaced
  }
  // Station entries that cannot be kept whole are never cut short: the file stays as it is.
  const size_t entrySize = WxEntrySize(context.weather.snapshot);
  ByteBuffer bytes;
  if (kept && uint64_t(entrySize) + stations.Size() <= kLargestFileBuffer)
    bytes = ByteBuffer::Allocate(entrySize + stations.Size());
  if (bytes.Empty() || !WriteWxFile(context, path, bytes, stations, entrySize))
    context.view.ShowError(0, kCreatingWxFileText);
  context.view.ActivateCurrentPane();
}
