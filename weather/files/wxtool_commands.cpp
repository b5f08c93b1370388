#include "weather/files/wxtool_commands.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "weather/files/file_kind.h"
#include "weather/files/file_system.h"
#include "weather/files/vtd_file.h"
#include "weather/files/wx_file.h"
#include "weather/metar/metar_report.h"
#include "weather/metar/metar_tables.h"
#include "weather/pane_format.h"
#include "weather/transition/transition.h"

namespace {

// Where the commands read and write, and where they print.
struct Tool {
  WeatherFileSystem& files;
  FILE* out;
  FILE* err;
};

std::unique_ptr<ByteSource> OpenInput(Tool& tool, const char* path) {
  std::unique_ptr<ByteSource> file = tool.files.OpenForReading(path);
  if (!file) fprintf(tool.err, "wxtool: cannot read %s\n", path);
  return file;
}

void PrintTable(FILE* out, const WeatherSnapshot& snapshot, int table) {
  const int pane = table - 1;
  TableRecords records = RecordsOf(snapshot.Table(table), PaneRecordSize(pane));
  const PaneColumn* columns = PaneColumns(pane);
  const int columnCount = PaneColumnCount(pane);
  fprintf(out, "  %-14s", PaneTitle(pane));
  for (int c = 0; c < columnCount; ++c)
    fprintf(out, " %-*s", columns[c].width / 8, columns[c].header);
  fprintf(out, "\n");
  for (int r = 0; r < records.count; ++r) {
    char label[16];
    FormatRowLabel(r, label, sizeof label);
    CellText cells[kMaxPaneColumns];
    FormatPaneRow(pane, records.Record(r), cells);
    fprintf(out, "  %-14s", label);
    for (int c = 0; c < columnCount; ++c) fprintf(out, " %-*s", columns[c].width / 8, cells[c]);
    fprintf(out, "\n");
  }
}

void PrintSnapshot(FILE* out, const WeatherSnapshot& snapshot) {
  for (int t = kVisibilityTable; t <= kCloudTable; ++t)
    if (!snapshot.Table(t).data.Empty()) PrintTable(out, snapshot, t);
}

void ShowWxEntry(WeatherSnapshot& snapshot, WxEntryTables& entry) {
  ResetSnapshot(snapshot);
  for (int t = kVisibilityTable; t <= kCloudTable; ++t) {
    TableBlock& block = entry.blocks[t];
    if (block.Empty()) continue;
    snapshot.Table(t).descriptor = GetU32(block.Bytes());
    snapshot.Table(t).byteLength = int32_t(block.Size());
    snapshot.Table(t).data = std::move(block);
  }
}

// The entry at offset; false, with the reason on stderr, at a read error or when there is
// none.
bool ReadEntry(Tool& tool, ByteSource& file, const char* path, uint64_t offset,
               WxEntryTables& entry, long index) {
  if (ReadWxEntry(file, offset, entry) && !entry.failed) return true;
  if (entry.failed)
    fprintf(tool.err, "wxtool: cannot read %s\n", path);
  else
    fprintf(tool.err, "wxtool: %s has no entry %ld\n", path, index);
  return false;
}

// Reads the first entry of a .WX file, or the data file, into the snapshot. False when the
// file cannot be read (a read error anywhere in what is used) or holds no entry at all.
bool LoadSnapshot(Tool& tool, const char* path, WeatherSnapshot& snapshot) {
  std::unique_ptr<ByteSource> file = OpenInput(tool, path);
  if (!file) return false;
  if (IsWxPath(path)) {
    WxEntryTables entry;
    if (!ReadEntry(tool, *file, path, 0, entry, 0)) return false;
    if (!entry.complete) fprintf(tool.err, "wxtool: %s: first entry cut short\n", path);
    ShowWxEntry(snapshot, entry);
    return true;
  }
  DataFileShow shown = ShowDataFile(*file, snapshot);
  if (shown.failed) {
    fprintf(tool.err, "wxtool: cannot read %s\n", path);
    return false;
  }
  if (!shown.complete)
    fprintf(tool.err, "wxtool: %s: damaged after %d tables\n", path, shown.tables);
  return true;
}

int Show(Tool& tool, const char* path) {
  if (!IsWxPath(path)) {
    WeatherSnapshot snapshot;
    if (!LoadSnapshot(tool, path, snapshot)) return 2;
    fprintf(tool.out, "%s\n", path);
    PrintSnapshot(tool.out, snapshot);
    return 0;
  }
  std::unique_ptr<ByteSource> file = OpenInput(tool, path);
  if (!file) return 2;
  WxEntryTables entry;
  uint64_t offset = 0;
  for (int index = 0; ReadWxEntry(*file, offset, entry) && !entry.failed; ++index) {
    if (entry.header.stationIndex == -1)
      fprintf(tool.out, "Entry %d, global\n", index);
    else
      fprintf(tool.out, "Entry %d, station %d [0x%04X]\n", index, int(entry.header.stationIndex),
              unsigned(uint32_t(entry.header.stationIndex)));
    WeatherSnapshot snapshot;
    const bool complete = entry.complete;
    offset = entry.end;
    ShowWxEntry(snapshot, entry);
    PrintSnapshot(tool.out, snapshot);
    if (!complete) {
      fprintf(tool.out, "(entry cut short)\n");
      break;
    }
  }
  if (entry.failed) {
    fprintf(tool.err, "wxtool: cannot read %s\n", path);
    return 2;
  }
  return 0;
}

int Convert(Tool& tool, const char* in, const char* out) {
  WeatherSnapshot snapshot;
  if (!LoadSnapshot(tool, in, snapshot)) return 2;
  std::vector<uint8_t> bytes;
  if (IsWxPath(out)) {
    bytes = EncodeWxEntry(snapshot);
  } else {
    DataFileImage image = EncodeDataFile(snapshot);
    if (!image.complete)
      fprintf(tool.err, "wxtool: a table too long for %s was left out\n", out);
    bytes = std::move(image.bytes);
  }
  if (!WriteFileSafely(tool.files, out, bytes.data(), bytes.size())) {
    fprintf(tool.err, "wxtool: cannot write %s\n", out);
    return 3;
  }
  return 0;
}

int Metar(Tool& tool, const char* path, const char* indexText, const MetarTime& now) {
  WeatherSnapshot snapshot;
  if (indexText == nullptr || !IsWxPath(path)) {
    if (indexText != nullptr) {
      fprintf(tool.err, "wxtool: INDEX is for .WX files only\n");
      return 1;
    }
    if (!LoadSnapshot(tool, path, snapshot)) return 2;
  } else {
    char* rest = nullptr;
    const long index = strtol(indexText, &rest, 10);
    if (rest == indexText || *rest != 0 || index < 0) {
      fprintf(tool.err, "wxtool: %s is not an entry number\n", indexText);
      return 1;
    }
    std::unique_ptr<ByteSource> file = OpenInput(tool, path);
    if (!file) return 2;
    WxEntryTables entry;
    uint64_t offset = 0;
    for (long at = 0;; ++at) {
      if (!ReadEntry(tool, *file, path, offset, entry, index)) return 2;
      if (at == index) break;
      if (!entry.complete) {
        fprintf(tool.err, "wxtool: %s has no entry %ld\n", path, index);
        return 2;
      }
      offset = entry.end;
    }
    ShowWxEntry(snapshot, entry);
  }
  char line[kMetarLineSize];
  MetarLineFromTables(snapshot, "ZZZZ", now, 0, line, sizeof line);
  fprintf(tool.out, "%s\n", line);
  return 0;
}

int FromMetar(Tool& tool, const char* text, const char* out) {
  const MetarReport report = DecodeMetar(text, strlen(text));
  if (const MetarGroup* bad = report.FirstError()) {
    fprintf(tool.err, "wxtool: group \"%s\" cannot be read: %s; nothing written\n", bad->text,
            bad->words);
    return 1;
  }
  const MetarTables tables = TablesFromMetar(report, 0);
  WeatherSnapshot snapshot;
  ShowMetarTables(tables, false, snapshot);
  DataFileImage image = EncodeDataFile(snapshot);
  if (image.bytes.empty()) {
    fprintf(tool.err, "wxtool: the report fills no table; nothing written\n");
    return 1;
  }
  if (!WriteFileSafely(tool.files, out, image.bytes.data(), image.bytes.size())) {
    fprintf(tool.err, "wxtool: cannot write %s\n", out);
    return 3;
  }
  return 0;
}

// The records of a table that differ from the step before, by index, in the pane's texts:
// " 2: Cover=3/8" for a changed record, " +3: ..." for a new one, " -4" for one gone, and
// " (below the pane's precision)" when no text shows the change (QNH moves by 1/16 mb).
void PrintTableChanges(FILE* out, int table, const TableBlock& before, const TableBlock& after) {
  const int pane = table - 1;
  const size_t size = TableRecordSize(table);
  const size_t had = before.Size() / size, has = after.Size() / size;
  const PaneColumn* columns = PaneColumns(pane);
  fprintf(out, " | %s", PaneTitle(pane));
  bool shown = false;
  for (size_t i = 0; i < had || i < has; ++i) {
    if (i >= has) {
      fprintf(out, " -%u", unsigned(i));
      shown = true;
      continue;
    }
    CellText now[kMaxPaneColumns], was[kMaxPaneColumns];
    FormatPaneRow(pane, after.Bytes() + i * size, now);
    bool same = i < had;
    if (same) {
      FormatPaneRow(pane, before.Bytes() + i * size, was);
      for (int c = 0; c < PaneColumnCount(pane); ++c) same = same && strcmp(now[c], was[c]) == 0;
    }
    if (same) continue;
    fprintf(out, i < had ? " %u:" : " +%u:", unsigned(i));
    for (int c = 0; c < PaneColumnCount(pane); ++c)
      if (i >= had || strcmp(now[c], was[c]) != 0)
        fprintf(out, " %s=%s", columns[c].header, now[c]);
    shown = true;
  }
  if (!shown) fprintf(out, " (below the pane's precision)");
}

int Transition(Tool& tool, const char* fromPath, const char* toPath) {
  WeatherSnapshot from, to;
  if (!LoadSnapshot(tool, fromPath, from) || !LoadSnapshot(tool, toPath, to)) return 2;
  TransitionTables start, target;
  if (!TransitionTablesFromSnapshot(from, start) || !TransitionTablesFromSnapshot(to, target)) {
    fprintf(tool.err, "wxtool: out of memory\n");
    return 3;
  }
  if (!TransitionTablesUsable(target)) {
    fprintf(tool.err, "wxtool: %s holds a table that is not whole records\n", toPath);
    return 2;
  }
  WeatherTransition transition;
  TransitionRates rates;
  if (!transition.Start(start, target, rates)) {
    fprintf(tool.err, "wxtool: nothing to change\n");
    return 0;
  }
  TransitionTables sent, before;
  unsigned changed = 0;
  while (true) {
    if (!CopyTransitionTables(transition.Current(), before)) return 3;
    if (!transition.NextStep(sent, changed)) break;
    fprintf(tool.out, "%d", transition.StepsDone());
    for (int t = kVisibilityTable; t <= kCloudTable; ++t)
      if (changed & TransitionTableBit(t))
        PrintTableChanges(tool.out, t, before.table[t], sent.table[t]);
    fprintf(tool.out, "\n");
  }
  const bool reached = TransitionTablesDiffer(transition.Current(), target) == 0;
  fprintf(tool.err, "wxtool: %d steps%s\n", transition.StepsDone(),
          reached ? "" : ", target NOT reached");
  return reached ? 0 : 3;
}

}  // namespace

int RunWxtool(int argc, const char* const* argv, WeatherFileSystem& files, FILE* out, FILE* err,
              const MetarTime& now) {
  Tool tool{files, out, err};
  if (argc == 3 && std::strcmp(argv[1], "show") == 0) return Show(tool, argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "convert") == 0) return Convert(tool, argv[2], argv[3]);
  if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "metar") == 0)
    return Metar(tool, argv[2], argc == 4 ? argv[3] : nullptr, now);
  if (argc == 4 && std::strcmp(argv[1], "from-metar") == 0)
    return FromMetar(tool, argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "transition") == 0)
    return Transition(tool, argv[2], argv[3]);
  fprintf(err,
          "usage: wxtool show FILE\n       wxtool convert IN OUT\n       wxtool metar FILE [INDEX]\n"
          "       wxtool from-metar \"REPORT\" OUT.VTD\n       wxtool transition FROM TO\n");
  return 1;
}
