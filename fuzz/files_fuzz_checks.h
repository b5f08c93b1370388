// The bodies of the weather-file fuzz targets, shared with the native test that replays the
// seeds and every input that once crashed. Each drives the real code over arbitrary bytes and
// aborts when a result contradicts what the code promises; the sanitizers catch the rest.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/native/weather_files_fakes.h"
#include "weather/files/airports.h"
#include "weather/files/file_commands.h"
#include "weather/files/vtd_file.h"
#include "weather/files/wx_browse.h"
#include "weather/files/wx_file.h"
#include "weather/pane_format.h"

#define FUZZ_REQUIRE(condition)     \
  do {                              \
    if (!(condition)) std::abort(); \
  } while (0)

namespace files_fuzz {

// Formats every row the panes would show, so that a read past a block shows up.
inline void FormatPanes(const WeatherSnapshot& snapshot) {
  for (int pane = 0; pane < kPaneCount; ++pane) {
    TableRecords records = RecordsOf(snapshot.Table(pane + 1), PaneRecordSize(pane));
    for (int r = 0; r < records.count; ++r) {
      CellText cells[kMaxPaneColumns];
      FormatPaneRow(pane, records.Record(r), cells);
    }
  }
}

// The tables 1 to 6 of a snapshot and the browsing state, as bytes to compare.
inline std::string Fingerprint(const WeatherSnapshot& snapshot, const WxBrowseState* state) {
  std::string s;
  for (int t = kFirstTable; t <= kAppliedWindTable; ++t) {
    const WeatherTableEntry& e = snapshot.tables[t];
    s.append(reinterpret_cast<const char*>(&e.descriptor), sizeof e.descriptor);
    s.append(reinterpret_cast<const char*>(&e.byteLength), sizeof e.byteLength);
    s.append(reinterpret_cast<const char*>(e.data.Bytes()), e.data.Size());
    s += '|';
  }
  if (state != nullptr) {
    const int64_t fields[] = {int64_t(state->wxCursor.offset), state->wxCursor.passed,
                              state->wxCursor.station,         state->wxShownIndex,
                              state->wxShowing,                int64_t(state->wxFirstEntryEnd),
                              state->shownStation};
    s.append(reinterpret_cast<const char*>(fields), sizeof fields);
  }
  return s;
}

// A byte of the file that the input picks, for a read error there.
inline uint64_t FailingByte(const uint8_t* data, size_t size) {
  return size == 0 ? 0 : (uint64_t(data[size - 1]) << 8 | data[0]) % size;
}

// Both loads of a data file whose reads fail at a byte the input picks: either the load met
// the error and changed nothing (no write, no table, the error box), or it never read that
// byte and did exactly what it does over the sound file.
inline void CheckDataFileReadError(const uint8_t* data, size_t size) {
  if (size == 0) return;
  const char* path = "C:\\fuzz.vtd";
  for (bool set : {true, false}) {
    FileBench sound, faulty;
    sound.files.files[path].assign(data, data + size);
    faulty.files.files[path].assign(data, data + size);
    faulty.files.faults[path].failAt = FailingByte(data, size);
    const bool soundLoaded = LoadDataFile(sound.context, path, set);
    const bool loaded = LoadDataFile(faulty.context, path, set);
    FUZZ_REQUIRE(soundLoaded);
    if (faulty.files.failedReads > 0) {
      FUZZ_REQUIRE(!loaded);
      FUZZ_REQUIRE(faulty.batch.writes.empty() && faulty.batch.processed == 0);
      FUZZ_REQUIRE(Fingerprint(faulty.weather.snapshot, nullptr) ==
                   Fingerprint(WeatherSnapshot(), nullptr));
      FUZZ_REQUIRE(faulty.view.errors.size() == 1 && faulty.view.refreshes == 0);
    } else {
      FUZZ_REQUIRE(loaded);
      FUZZ_REQUIRE(faulty.batch.writes.size() == sound.batch.writes.size());
      for (size_t w = 0; w < sound.batch.writes.size(); ++w)
        FUZZ_REQUIRE(faulty.batch.writes[w].selector == sound.batch.writes[w].selector &&
                     faulty.batch.writes[w].bytes == sound.batch.writes[w].bytes);
      FUZZ_REQUIRE(Fingerprint(faulty.weather.snapshot, nullptr) ==
                   Fingerprint(sound.weather.snapshot, nullptr));
    }
  }
}

inline void CheckDataFile(const uint8_t* data, size_t size) {
  CheckDataFileReadError(data, size);
  WeatherSnapshot snapshot;
  DataFileShow shown = ShowDataFile(data, size, snapshot);
  for (int t = kFirstTable; t <= kLastTable; ++t) {
    const WeatherTableEntry& e = snapshot.Table(t);
    if (e.data.Empty()) continue;
    FUZZ_REQUIRE(t <= kCloudTable);
    FUZZ_REQUIRE(e.byteLength == int32_t(e.data.Size()));
    FUZZ_REQUIRE(DescriptorByteLength(e.descriptor) == e.data.Size());
  }
  FormatPanes(snapshot);

  // What was shown saves to a file that shows the same again.
  DataFileImage image = EncodeDataFile(snapshot);
  FUZZ_REQUIRE(image.complete);
  WeatherSnapshot again;
  DataFileShow reshown = ShowDataFile(image.bytes.data(), image.bytes.size(), again);
  FUZZ_REQUIRE(reshown.complete);
  FUZZ_REQUIRE(reshown.tables <= shown.tables);
  for (int t = kVisibilityTable; t <= kCloudTable; ++t) {
    const TableBlock& a = snapshot.Table(t).data;
    const TableBlock& b = again.Table(t).data;
    FUZZ_REQUIRE(a.Size() == b.Size());
    FUZZ_REQUIRE(a.Empty() || std::memcmp(a.Bytes(), b.Bytes(), a.Size()) == 0);
  }

  for (size_t capacity : {size_t(32700), size_t(64)}) {
    RecordingBatch batch(capacity);
    if (QueueDataFileSet(data, size, batch) == DataFileSet::kTooLarge) {
      FUZZ_REQUIRE(batch.writes.empty());
      continue;
    }
    size_t total = kEndWordSize;
    for (const RecordedWrite& w : batch.writes) total += kWriteHeaderSize + w.bytes.size();
    FUZZ_REQUIRE(total <= capacity);
    FUZZ_REQUIRE(!batch.writes.empty() && batch.writes[0].selector == 0x50000);
  }
}

// The first 8 bytes are a script of commands, the rest is the .WX file. The script runs over
// the sound file, then again with reads of the file (and of the one saved over) failing at a
// byte the input picks: a command that meets the error changes nothing.
inline void CheckWxFile(const uint8_t* data, size_t size) {
  constexpr size_t kScript = 8;
  if (size < kScript) return;
  for (bool failing : {false, true}) {
    FileBench bench;
    const char* path = "C:\\fuzz.wx";
    const char* copy = "C:\\copy.wx";
    bench.files.files[path].assign(data + kScript, data + size);
    if (failing) {
      if (size == kScript) return;
      const uint64_t failAt = FailingByte(data + kScript, size - kScript);
      bench.files.faults[path].failAt = failAt;
      bench.files.faults[copy].failAt = failAt;
    }
    static uint8_t airports[16 * 64];
    for (size_t i = 0; i < sizeof airports; ++i) airports[i] = uint8_t(i * 37);

    WxBrowseState state;
    for (size_t i = 0; i < kScript; ++i) {
      const int station = data[i] >> 3;
      const std::string before = Fingerprint(bench.weather.snapshot, &state);
      const size_t writesBefore = bench.batch.writes.size();
      const std::vector<uint8_t> copyBefore = bench.files.files[copy];
      const size_t errorsBefore = bench.view.errors.size();
      const int failedBefore = bench.files.failedReads;
      bool loaded = true;
      bool isLoad = true;
      switch (data[i] & 7) {
        case 0:
          loaded = LoadWxEntry(bench.context, state, path, WxLoad::kShow, -1, 0);
          break;
        case 1:
          loaded = LoadWxEntry(bench.context, state, path, WxLoad::kBrowse, +1, 0);
          break;
        case 2:
          loaded = LoadWxEntry(bench.context, state, path, WxLoad::kBrowse, -1, 0);
          break;
        case 3:
          loaded = LoadWxEntry(bench.context, state, path, WxLoad::kShow, 0, station);
          break;
        case 4: {
          loaded = LoadWxEntry(bench.context, state, path, WxLoad::kSet, -1, 0);
          size_t queued = kEndWordSize;
          for (size_t w = writesBefore; w < bench.batch.writes.size(); ++w)
            queued += kWriteHeaderSize + bench.batch.writes[w].bytes.size();
          FUZZ_REQUIRE(queued <= bench.batch.Capacity());
          break;
        }
        case 5:
          isLoad = false;
          SaveWxFile(bench.context, copy);
          break;
        case 6:
          isLoad = false;
          SaveDataFile(bench.context, "C:\\copy.vtd");
          break;
        default:
          isLoad = false;
          EndWxBrowsing(state);
          break;
      }
      if (bench.files.failedReads > failedBefore) {
        FUZZ_REQUIRE(bench.view.errors.size() == errorsBefore + 1);
        FUZZ_REQUIRE(bench.batch.writes.size() == writesBefore);
        if (isLoad) {
          FUZZ_REQUIRE(!loaded);
          FUZZ_REQUIRE(Fingerprint(bench.weather.snapshot, &state) == before);
        } else {
          FUZZ_REQUIRE(bench.files.files[copy] == copyBefore);  // the save was refused
        }
      } else {
        FUZZ_REQUIRE(loaded);
      }
      if (bench.files.files[copy].empty()) bench.files.files.erase(copy);
      FUZZ_REQUIRE(state.wxShownIndex >= 0);
      FUZZ_REQUIRE(bench.view.refreshesWhileBusy == 0);
      FormatPanes(bench.weather.snapshot);
      char browsing[64], airport[96];
      FormatWxCaptionTexts(state, airports, sizeof airports, browsing, sizeof browsing, airport,
                           sizeof airport);
    }
    // A saved entry always reads back whole, as the only entry before the kept tail.
    auto saved = bench.files.files.find(copy);
    if (saved != bench.files.files.end()) {
      MemorySource source(saved->second.data(), saved->second.size());
      WxEntryTables entry;
      FUZZ_REQUIRE(ReadWxEntry(source, 0, entry));
      FUZZ_REQUIRE(entry.complete);
    }
  }
}

// The first 4 bytes are the typed text, the rest is the airport file.
inline void CheckAirports(const uint8_t* data, size_t size) {
  if (size < 4) return;
  char typed[5] = {};
  std::memcpy(typed, data, 4);
  const uint8_t* table = data + 4;
  const size_t tableSize = size - 4;
  const int k = FindAirport(table, tableSize, typed);
  FUZZ_REQUIRE(k >= 0 && k < AirportSearchCount(tableSize) + (k == 0 ? 1 : 0));
  char text[96];
  for (int32_t station : {int32_t(k), int32_t(-1), int32_t(GetU32(data)), int32_t(tableSize / 16),
                          int32_t(tableSize / 16) - 1}) {
    FormatAirportText(text, sizeof text, table, tableSize, station);
    FUZZ_REQUIRE(std::strlen(text) < sizeof text);
  }
}

}  // namespace files_fuzz
