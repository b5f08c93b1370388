// Every file command against files that cannot be read whole: a read error at each byte of the
// file, reads that bring a few bytes at a time, and a file that is there but cannot be opened.
// A command that met the error must change nothing and say so; one that never read that byte,
// and every command over piecemeal reads, must do exactly what it does over a sound file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "weather/files/airports.h"
#include "weather/files/file_commands.h"
#include "weather/files/vtd_file.h"
#include "weather/files/wx_browse.h"
#include "weather/files/wx_file.h"
#include "weather/files/wxtool_commands.h"
#include "weather_files_fakes.h"
#include "wx_builder.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr const char kVtd[] = "C:\\Pilots\\storm.vtd";
constexpr const char kWx[] = "C:\\Pilots\\storm.wx";
constexpr size_t kPieces[] = {1, 3, 7, 29, 64};

Bytes TableBytes(int recordSize, int count) {
  Bytes block(size_t(recordSize) * count);
  for (int i = 0; i < count; ++i) {
    uint8_t* r = &block[size_t(i) * recordSize];
    for (int b = 4; b < recordSize; ++b) r[b] = uint8_t(i * 7 + b);
    PutU16(r, uint16_t(recordSize));
    PutU16(r + 2, uint16_t(count - 1 - i));
  }
  return block;
}

void AppendBlock(Bytes& file, int table, const Bytes& block) {
  uint8_t tag[4];
  PutU32(tag, uint32_t(table) * 0x1111u | uint32_t(block.size()) << 16);
  file.insert(file.end(), tag, tag + 4);
  file.insert(file.end(), block.begin(), block.end());
}

// Visibility, pressure and clouds: 112 bytes.
Bytes VtdFile() {
  Bytes file;
  AppendBlock(file, kVisibilityTable, TableBytes(10, 2));
  AppendBlock(file, kPressureTable, TableBytes(8, 1));
  AppendBlock(file, kCloudTable, TableBytes(24, 3));
  return file;
}

const Bytes kWxThree = WxFile({{-1, 2, 1, 2, 1}, {419, 1, 0, 1, 0}, {700, 1, 1, 3, 0}});

void PutTable(WeatherSnapshot& snapshot, int table, const Bytes& block) {
  WeatherTableEntry& e = snapshot.Table(table);
  e.data = TableBlock::Copy(block.data(), block.size());
  e.descriptor = GetU32(block.data());
  e.byteLength = int32_t(block.size());
}

// A bench with the browsing state the .WX commands step through.
struct Bench : FileBench {
  WxBrowseState state;
  Bench() {
    files.files[kVtd] = VtdFile();
    files.files[kWx] = kWxThree;
    // What a refresh read before: a show load that fails must leave it.
    PutTable(weather.snapshot, kTemperatureTable, TableBytes(12, 2));
    PutTable(weather.snapshot, kWindTable, TableBytes(16, 1));
  }
};

std::string Hex(const uint8_t* p, size_t n) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s(n * 2, '0');
  for (size_t i = 0; i < n; ++i) {
    s[2 * i] = kDigits[p[i] >> 4];
    s[2 * i + 1] = kDigits[p[i] & 15];
  }
  return s;
}

// Everything a command may change, as text (the error box apart).
std::string Observe(const Bench& b) {
  std::string s;
  char line[160];
  for (int t = kFirstTable; t <= kLastTable; ++t) {
    const WeatherTableEntry& e = b.weather.snapshot.tables[t];
    snprintf(line, sizeof line, "table %d %08x %d ", t, unsigned(e.descriptor), int(e.byteLength));
    s += line + Hex(e.data.Bytes(), e.data.Size()) + "\n";
  }
  for (const RecordedWrite& w : b.batch.writes) {
    snprintf(line, sizeof line, "write %08x ", unsigned(w.selector));
    s += line + Hex(w.bytes.data(), w.bytes.size()) + "\n";
  }
  const WxBrowseState& st = b.state;
  snprintf(line, sizeof line,
           "processed %d refreshes %d busy-refreshes %d beeps %d find %d cursor %llu %d %u "
           "shown %d %d first %llu station %d\n",
           b.batch.processed, b.view.refreshes, b.view.refreshesWhileBusy, b.view.beeps,
           int(b.view.findAirportEnabled), (unsigned long long)st.wxCursor.offset,
           int(st.wxCursor.passed), unsigned(st.wxCursor.station), int(st.wxShownIndex),
           int(st.wxShowing), (unsigned long long)st.wxFirstEntryEnd, int(st.shownStation));
  s += line;
  for (const auto& f : b.files.files) s += "file " + f.first + " " + Hex(f.second.data(), f.second.size()) + "\n";
  return s;
}

struct Command {
  const char* name;
  const char* path;   // the file whose reads fail
  const char* error;  // what the error box says when they do
  std::function<void(Bench&)> before;
  std::function<bool(Bench&)> run;  // false: the command failed (or a save was refused)
};

bool NoErrorBox(Bench& b) { return b.view.errors.empty(); }
void Nothing(Bench&) {}
void ShowFirst(Bench& b) { ASSERT_TRUE(LoadWxEntry(b.context, b.state, kWx, WxLoad::kShow, -1, 0)); }
void ShowSecond(Bench& b) {
  ShowFirst(b);
  ASSERT_TRUE(LoadWxEntry(b.context, b.state, kWx, WxLoad::kBrowse, +1, 0));
}
void ShowThird(Bench& b) {
  ShowSecond(b);
  ASSERT_TRUE(LoadWxEntry(b.context, b.state, kWx, WxLoad::kBrowse, +1, 0));
}

// The File menu's commands, the start-up load (the same loads, set as the interface flag says)
// and the .WX browsing keys and airport search, each from a state it is used in.
const Command kCommands[] = {
    {"VtdLoadAndSet", kVtd, "0 opening VTD file!", Nothing,
     [](Bench& b) { return LoadDataFile(b.context, kVtd, true); }},
    {"VtdLoadAndShow", kVtd, "0 opening VTD file!", Nothing,
     [](Bench& b) { return LoadDataFile(b.context, kVtd, false); }},
    {"VtdSaveOverIt", kVtd, "", Nothing,
     [](Bench& b) {
       SaveDataFile(b.context, kVtd);
       return NoErrorBox(b);
     }},
    {"WxLoadAndSet", kWx, "0 opening WX file!", Nothing,
     [](Bench& b) { return LoadWxEntry(b.context, b.state, kWx, WxLoad::kSet, -1, 0); }},
    {"WxLoadAndShow", kWx, "0 opening WX file!", ShowSecond,
     [](Bench& b) { return LoadWxEntry(b.context, b.state, kWx, WxLoad::kShow, -1, 0); }},
    {"WxPageDown", kWx, "0 opening WX file!", ShowFirst,
     [](Bench& b) { return LoadWxEntry(b.context, b.state, kWx, WxLoad::kBrowse, +1, 0); }},
    {"WxPageDownToTheLast", kWx, "0 opening WX file!", ShowSecond,
     [](Bench& b) { return LoadWxEntry(b.context, b.state, kWx, WxLoad::kBrowse, +1, 0); }},
    {"WxPageUp", kWx, "0 opening WX file!", ShowThird,
     [](Bench& b) { return LoadWxEntry(b.context, b.state, kWx, WxLoad::kBrowse, -1, 0); }},
    {"WxAirportSearchForward", kWx, "0 opening WX file!", ShowFirst,
     [](Bench& b) { return LoadWxEntry(b.context, b.state, kWx, WxLoad::kShow, 0, 700); }},
    {"WxAirportSearchFromTheStart", kWx, "0 opening WX file!", ShowThird,
     [](Bench& b) { return LoadWxEntry(b.context, b.state, kWx, WxLoad::kShow, 0, 419); }},
    {"WxAirportSearchMissing", kWx, "0 opening WX file!", ShowFirst,
     [](Bench& b) { return LoadWxEntry(b.context, b.state, kWx, WxLoad::kShow, 0, 500); }},
    {"WxSaveOverItKeepingItsStations", kWx, "0 creating WX file!", Nothing,
     [](Bench& b) {
       SaveWxFile(b.context, kWx);
       return NoErrorBox(b);
     }},
};

void PrintTo(const Command& c, std::ostream* os) { *os << c.name; }

class ReadFailure : public ::testing::TestWithParam<Command> {};

TEST_P(ReadFailure, AtEveryByteChangesNothingOrReadsAsASoundFile) {
  const Command& c = GetParam();
  Bench sound;
  c.before(sound);
  const std::string untouched = Observe(sound);
  const bool soundResult = c.run(sound);
  ASSERT_TRUE(soundResult);
  const std::string soundAfter = Observe(sound);

  const size_t size = Bench().files.files[c.path].size();
  int touched = 0;
  for (size_t k = 0; k < size; ++k) {
    SCOPED_TRACE("read error at byte " + std::to_string(k));
    Bench b;
    c.before(b);
    b.view.errors.clear();
    b.files.faults[c.path].failAt = k;
    const bool result = c.run(b);
    if (b.files.failedReads > 0) {
      ++touched;
      EXPECT_FALSE(result);
      EXPECT_EQ(Observe(b), untouched);
      EXPECT_EQ(b.view.errors, std::vector<std::string>{c.error});
    } else {
      EXPECT_TRUE(result);
      EXPECT_EQ(Observe(b), soundAfter);
      EXPECT_TRUE(b.view.errors.empty());
    }
    if (HasFailure()) break;
  }
  // The .VTD save never reads the old file; every other command reads some of it.
  EXPECT_EQ(touched == 0, c.error[0] == 0);
}

TEST_P(ReadFailure, PieceByPieceReadsAsASoundFile) {
  const Command& c = GetParam();
  Bench sound;
  c.before(sound);
  ASSERT_TRUE(c.run(sound));
  for (size_t piece : kPieces) {
    SCOPED_TRACE("reads of at most " + std::to_string(piece) + " bytes");
    Bench b;
    c.before(b);
    b.files.faults[c.path].piece = piece;
    EXPECT_TRUE(c.run(b));
    EXPECT_EQ(Observe(b), Observe(sound));
    EXPECT_TRUE(b.view.errors.empty());
  }
}

TEST_P(ReadFailure, FileThatCannotBeOpenedChangesNothing) {
  const Command& c = GetParam();
  Bench b;
  c.before(b);
  const std::string untouched = Observe(b);
  b.files.locked.insert(c.path);
  b.view.errors.clear();
  if (c.error[0] == 0) {  // the .VTD save: written through a temporary all the same
    EXPECT_TRUE(c.run(b));
    EXPECT_NE(b.files.files[kVtd], VtdFile());
    return;
  }
  EXPECT_FALSE(c.run(b));
  EXPECT_EQ(Observe(b), untouched);
  EXPECT_EQ(b.view.errors, std::vector<std::string>{c.error});
}

INSTANTIATE_TEST_SUITE_P(FileCommands, ReadFailure, ::testing::ValuesIn(kCommands),
                         [](const ::testing::TestParamInfo<Command>& info) {
                           return info.param.name;
                         });

TEST(ReadFailureWxSave, ReadErrorsInTheStationEntriesLeaveTheFileWhole) {
  // The worked fault: the station entries were cut where the read failed, and the file
  // replaced by the shorter one without a word.
  const size_t first = WxEntryBytes({-1, 2, 1, 2, 1}).size();
  for (size_t k : {size_t(0), size_t(27), first, first + 1, kWxThree.size() - 1}) {
    SCOPED_TRACE(k);
    Bench b;
    b.files.faults[kWx].failAt = k;
    SaveWxFile(b.context, kWx);
    EXPECT_EQ(b.files.files[kWx], kWxThree);
    EXPECT_EQ(b.files.files.size(), 2u);  // no temporary left behind
    EXPECT_EQ(b.view.errors, std::vector<std::string>{"0 creating WX file!"});
  }
}

TEST(ReadFailureWxSave, NewFileAndFileShorterThanAHeaderNeedNoReading) {
  for (const Bytes& old : {Bytes{}, Bytes(27, 9)}) {
    Bench b;
    b.files.files.erase(kWx);
    if (!old.empty()) b.files.files[kWx] = old;
    SaveWxFile(b.context, kWx);
    EXPECT_TRUE(b.view.errors.empty());
    EXPECT_EQ(b.files.files[kWx], EncodeWxEntry(b.weather.snapshot));
  }
}

TEST(ReadFailureVtd, CutShortIsNoReadError) {
  // A file that simply ends inside a block keeps the loads' quiet rule: blocks before count.
  Bytes file = VtdFile();
  file.resize(file.size() - 5);
  Bench b;
  b.files.files[kVtd] = file;
  EXPECT_TRUE(LoadDataFile(b.context, kVtd, true));
  ASSERT_EQ(b.batch.writes.size(), 3u);  // clear, visibility, pressure
  EXPECT_EQ(b.batch.processed, 1);
  EXPECT_TRUE(b.view.errors.empty());
}

TEST(ReadExactly, TellsAReadErrorFromTheEnd) {
  const Bytes bytes(100, 1);
  uint8_t out[40];
  MemoryFiles files;
  files.files["f"] = bytes;
  files.faults["f"].failAt = 90;
  std::unique_ptr<ByteSource> f = files.OpenForReading("f");
  EXPECT_EQ(ReadExactly(*f, 0, out, 40), ReadOutcome::kWhole);
  EXPECT_EQ(ReadExactly(*f, 60, out, 40), ReadOutcome::kFailed);  // 30 of 40 came, 10 more held
  EXPECT_EQ(ReadExactly(*f, 90, out, 10), ReadOutcome::kFailed);
  files.faults["f"] = {UINT64_MAX, 3};
  f = files.OpenForReading("f");
  EXPECT_EQ(ReadExactly(*f, 70, out, 30), ReadOutcome::kWhole);
  EXPECT_EQ(ReadExactly(*f, 70, out, 31), ReadOutcome::kEnd);
  EXPECT_EQ(ReadExactly(*f, 100, out, 1), ReadOutcome::kEnd);
  EXPECT_EQ(ReadExactly(*f, 500, out, 1), ReadOutcome::kEnd);
}

// The airport position file, read at start-up: a table that is only part of the file would
// give station entries the wrong airports.
TEST(ReadFailureAirportFile, ReadWholeOrNotAtAll) {
  Bytes file(16 * 20);
  for (size_t i = 0; i < file.size(); ++i) file[i] = uint8_t(i * 13);
  const char* path = "C:\\FS\\Weather\\ICAO POS.BIN";
  size_t size = 1;
  for (size_t k = 0; k < file.size(); ++k) {
    MemoryFiles files;
    files.files[path] = file;
    files.faults[path].failAt = k;
    EXPECT_EQ(ReadAirportFile(files, path, size), nullptr) << k;
    EXPECT_EQ(size, 0u);
  }
  for (size_t piece : kPieces) {
    MemoryFiles files;
    files.files[path] = file;
    files.faults[path].piece = piece;
    std::unique_ptr<uint8_t[]> table = ReadAirportFile(files, path, size);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(Bytes(table.get(), table.get() + size), file);
  }
  MemoryFiles files;
  files.files[path] = file;
  files.locked.insert(path);
  EXPECT_EQ(ReadAirportFile(files, path, size), nullptr);
  files.locked.clear();
  files.files[path].clear();
  EXPECT_EQ(ReadAirportFile(files, path, size), nullptr);
}

// wxtool's commands over the same files: a read error is an input that cannot be read (exit 2,
// no output file); piecemeal reads change nothing.
struct ToolRun {
  int code = 0;
  std::string out, err;
};

// A stream into memory, for what a command prints.
struct Printed {
  char* text = nullptr;
  size_t size = 0;
  FILE* stream = open_memstream(&text, &size);
  std::string Close() {
    fclose(stream);
    std::string s(text, size);
    free(text);
    return s;
  }
};

ToolRun RunTool(MemoryFiles& files, std::vector<const char*> args) {
  args.insert(args.begin(), "wxtool");
  Printed out, err;
  ToolRun run;
  run.code =
      RunWxtool(int(args.size()), args.data(), files, out.stream, err.stream, MetarTime{8, 12, 50});
  run.out = out.Close();
  run.err = err.Close();
  return run;
}

TEST(ReadFailureWxtool, EveryCommandAtEveryByte) {
  const std::vector<std::vector<const char*>> commands = {
      {"show", kVtd},           {"show", kWx},         {"convert", kVtd, "C:\\out.wx"},
      {"convert", kWx, "C:\\out.vtd"}, {"metar", kVtd}, {"metar", kWx, "2"},
  };
  for (const auto& args : commands) {
    SCOPED_TRACE(std::string(args[0]) + " " + args[1]);
    Bench sound;
    const ToolRun clean = RunTool(sound.files, args);
    ASSERT_EQ(clean.code, 0) << clean.err;
    const size_t size = sound.files.files[args[1]].size();
    for (size_t k = 0; k < size; ++k) {
      Bench b;
      b.files.faults[args[1]].failAt = k;
      const ToolRun run = RunTool(b.files, args);
      if (b.files.failedReads > 0) {
        EXPECT_EQ(run.code, 2) << k;
        EXPECT_NE(run.err.find("wxtool: cannot read"), std::string::npos) << k;
        EXPECT_EQ(b.files.files.size(), 2u) << k << ": nothing written";
      } else {
        EXPECT_EQ(run.code, 0) << k;
        EXPECT_EQ(run.out, clean.out) << k;
        EXPECT_EQ(b.files.files, sound.files.files) << k;
      }
    }
    for (size_t piece : kPieces) {
      Bench b;
      b.files.faults[args[1]].piece = piece;
      const ToolRun run = RunTool(b.files, args);
      EXPECT_EQ(run.code, 0) << piece;
      EXPECT_EQ(run.out, clean.out) << piece;
      EXPECT_EQ(b.files.files, sound.files.files) << piece;
    }
    Bench b;
    b.files.locked.insert(args[1]);
    EXPECT_EQ(RunTool(b.files, args).code, 2);
  }
}

}  // namespace
