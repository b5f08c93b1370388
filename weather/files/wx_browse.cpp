#include "weather/files/wx_browse.h"

#include <cstdio>
#include <memory>

#include "weather/files/airports.h"
#include "weather/files/vtd_file.h"
#include "weather/files/wx_file.h"

void EndWxBrowsing(WxBrowseState& state) {
  state.wxShownIndex = 0;
  state.wxShowing = false;
}

namespace {

// Moves the cursor over whole entries, reading headers only, until n entries are passed and,
// for a station search, a header with a key at or beyond the station is found (the cursor
// then stays on that header). kEnd when the file ends before, kFailed at a read error.
ReadOutcome SkipEntries(ByteSource& file, WxCursor& cursor, int64_t n, int station) {
  while (n > 0 || (station != 0 && cursor.station < station)) {
    uint8_t bytes[kWxHeaderSize];
    const ReadOutcome read = ReadExactly(file, cursor.offset, bytes, sizeof bytes);
    if (read != ReadOutcome::kWhole) return read;
    WxEntryHeader header = DecodeWxHeader(bytes);
    cursor.station = WxStationKey(header.stationIndex);
    if (station != 0 && cursor.station >= station) break;
    cursor.offset += WxEntryLength(header);
    ++cursor.passed;
    --n;
  }
  return ReadOutcome::kWhole;
}

bool FitsOneBatch(const WxEntryTables& entry, size_t capacity) {
  if (capacity == 0) return true;  // not connected: nothing is queued anyway
  uint64_t total = kWriteHeaderSize + kEndWordSize;
  for (int t = kVisibilityTable; t <= kCloudTable; ++t)
    if (!entry.blocks[t].Empty()) total += kWriteHeaderSize + entry.blocks[t].Size();
  return total <= capacity;
}

// Groups in file order, so that the batch keeps the order the file gives.
constexpr int kGroupOrder[] = {kWindTable, kVisibilityTable, kCloudTable, kTemperatureTable,
                               kPressureTable};

bool SetEntry(FileContext& context, const WxEntryTables& entry) {
  if (!FitsOneBatch(entry, context.batch.Capacity())) {
    context.view.ShowError(0, kWxEntryTooLargeText);
    return false;
  }
  context.batch.Write(WeatherSelector(0, kClearTable), 0, nullptr);
  for (int t : kGroupOrder) {
    const TableBlock& block = entry.blocks[t];
    if (!block.Empty())
      context.batch.Write(WeatherSelector(t, kSetTable), uint32_t(block.Size()), block.Bytes());
  }
  return true;
}

void ShowEntry(WeatherSnapshot& snapshot, WxEntryTables& entry) {
  ResetSnapshot(snapshot);
  for (int t : kGroupOrder) {
    TableBlock& block = entry.blocks[t];
    if (block.Empty()) continue;
    WeatherTableEntry& table = snapshot.Table(t);
    table.descriptor = GetU32(block.Bytes());
    // Recorded, unlike a table never read, so that a shown entry can be saved again.
    table.byteLength = block.Size() <= 0x7FFFFFFF ? int32_t(block.Size()) : -1;
    table.data = std::move(block);
  }
}

}  // namespace

bool LoadWxEntry(FileContext& context, WxBrowseState& state, const char* path, WxLoad mode,
                 int step, int station) {
  std::unique_ptr<ByteSource> file = context.files.OpenForReading(path);
  if (!file) {
    context.view.ShowError(0, kOpeningWxFileText);
    return false;
  }
  const uint64_t size = file->Size();

  // The cursor moves on a copy: a read error leaves the browsing state as it was, like a file
  // that cannot be opened.
  const WxCursor kept = state.wxCursor;
  WxCursor cursor = kept;
  int64_t n = step;
  if (mode == WxLoad::kBrowse) {
    n = int64_t(step) + cursor.passed - 1;  // 0-based number of the entry wanted
    if (n < 0) {
      n = 0;
      cursor.offset = 0;
      cursor.passed = 0;
    }
    mode = WxLoad::kShow;
  }
  if (station != 0) {
    if (station <= cursor.station) cursor = WxCursor();
  } else if (cursor.passed >= 0 && cursor.passed <= n) {
    n -= cursor.passed;  // go on from the cursor
  } else {
    cursor.offset = 0;
    cursor.passed = 0;
  }

  bool ok = !(n > 0 && cursor.offset >= size);
  bool failed = false;
  if (ok) {
    const ReadOutcome skipped = SkipEntries(*file, cursor, n, station);
    ok = skipped == ReadOutcome::kWhole;
    failed = skipped == ReadOutcome::kFailed;
  }
  bool missing = false;
  if (!failed && station != 0 && (!ok || cursor.station > station)) {
    cursor = kept;
    ok = false;
    missing = true;
  }
  WxEntryTables entry;
  const bool read = ok && !failed && ReadWxEntry(*file, cursor.offset, entry);
  file.reset();
  if (failed || entry.failed) {
    // Never half used: nothing is sent or shown of an entry that could not be read.
    context.view.ShowError(0, kOpeningWxFileText);
    return false;
  }

  EndWxBrowsing(state);
  context.view.GrayFindAirport();
  if (missing) context.view.Beep();
  bool queued = false;
  if (read) {
    state.shownStation = entry.header.stationIndex;
    cursor.station = WxStationKey(entry.header.stationIndex);
    if (mode == WxLoad::kSet)
      queued = SetEntry(context, entry);
    else
      ShowEntry(context.weather.snapshot, entry);
    cursor.offset = entry.end;
    ++cursor.passed;
  }
  state.wxCursor = cursor;

  if (mode == WxLoad::kSet) {
    if (queued) context.batch.Process();
  } else {
    if (cursor.passed == 1) state.wxFirstEntryEnd = cursor.offset;
    if (cursor.passed >= 1 && size > state.wxFirstEntryEnd) {
      state.wxShownIndex = cursor.passed;
      state.wxShowing = true;
      context.view.OfferFindAirport();
    }
    context.weather.busy = false;
    context.view.RefreshShown();
  }
  context.view.ActivateCurrentPane();
  return true;
}

void FormatWxCaptionTexts(const WxBrowseState& state, const uint8_t* airportTable,
                          size_t airportTableSize, char* browsing, size_t browsingSize,
                          char* airport, size_t airportSize) {
  if (browsingSize > 0) browsing[0] = 0;
  if (airportSize > 0) airport[0] = 0;
  if (state.wxShownIndex == 0 || !state.wxShowing) return;
  char station[24] = "";
  if (state.shownStation != -1)
    snprintf(station, sizeof station, " [0x%04X]", unsigned(uint32_t(state.shownStation)));
  if (browsingSize > 0)
    snprintf(browsing, browsingSize, ": Showing .WX at index=%d%s", int(state.wxShownIndex - 1),
             station);
  FormatAirportText(airport, airportSize, airportTable, airportTableSize, state.shownStation);
}
