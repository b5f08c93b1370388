// wxtool: looks into weather files and converts them without a simulator.
//   wxtool show FILE         every table of a .VTD file, or every entry of a .WX file
//   wxtool convert IN OUT    between the two kinds (into a .WX file: one entry)
//   wxtool metar FILE [INDEX]           the tables as one METAR-style line (.WX: entry INDEX)
//   wxtool from-metar "REPORT" OUT.VTD  a data file from a report
//   wxtool transition FROM TO   the steps of a smooth change between two files, one line each
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
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

class FileSource : public ByteSource {
 public:
  explicit FileSource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  uint64_t Size() const override { return bytes_.size(); }
  size_t ReadAt(uint64_t offset, uint8_t* out, size_t n) override {
    return MemorySource(bytes_.data(), bytes_.size()).ReadAt(offset, out, n);
  }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

std::unique_ptr<FileSource> ReadFileBytes(const char* path) {
  FILE* f = fopen(path, "rb");
  if (f == nullptr) return nullptr;
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  bool failed = ferror(f) != 0;
  fclose(f);
  if (failed) return nullptr;
  return std::unique_ptr<FileSource>(new FileSource(std::move(bytes)));
}

class StdioFiles : public WeatherFileSystem {
 public:
  std::unique_ptr<ByteSource> OpenForReading(const char* path) override {
    return ReadFileBytes(path);
  }
  bool CreateTemporary(const char* path, char* temporary, size_t size) override {
    int n = snprintf(temporary, size, "%s.tmp~", path);
    if (n < 0 || size_t(n) >= size) return false;
    FILE* f = fopen(temporary, "wb");
    if (f == nullptr) return false;
    fclose(f);
    return true;
  }
  bool WriteTemporary(const char* temporary, const uint8_t* bytes, size_t size) override {
    FILE* f = fopen(temporary, "wb");
    if (f == nullptr) return false;
    bool ok = (size == 0 || fwrite(bytes, 1, size, f) == size) && fflush(f) == 0;
    return fclose(f) == 0 && ok;
  }
  bool ReplaceWith(const char* temporary, const char* path) override {
#ifdef _WIN32
    remove(path);  // rename does not replace here
#endif
    return rename(temporary, path) == 0;
  }
  void Discard(const char* temporary) override { remove(temporary); }
};

void PrintTable(const WeatherSnapshot& snapshot, int table) {
  const int pane = table - 1;
  TableRecords records = RecordsOf(snapshot.Table(table), PaneRecordSize(pane));
  const PaneColumn* columns = PaneColumns(pane);
  const int columnCount = PaneColumnCount(pane);
  printf("  %-14s", PaneTitle(pane));
  for (int c = 0; c < columnCount; ++c) printf(" %-*s", columns[c].width / 8, columns[c].header);
  printf("\n");
  for (int r = 0; r < records.count; ++r) {
    char label[16];
    FormatRowLabel(r, label, sizeof label);
    CellText cells[kMaxPaneColumns];
    FormatPaneRow(pane, records.Record(r), cells);
    printf("  %-14s", label);
    for (int c = 0; c < columnCount; ++c) printf(" %-*s", columns[c].width / 8, cells[c]);
    printf("\n");
  }
}

void PrintSnapshot(const WeatherSnapshot& snapshot) {
  for (int t = kVisibilityTable; t <= kCloudTable; ++t)
    if (!snapshot.Table(t).data.Empty()) PrintTable(snapshot, t);
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

// Reads the first entry of a .WX file, or the data file, into the snapshot. False when the
// file cannot be read or holds no entry at all.
bool LoadSnapshot(const char* path, WeatherSnapshot& snapshot) {
  std::unique_ptr<FileSource> file = ReadFileBytes(path);
  if (!file) {
    fprintf(stderr, "wxtool: cannot read %s\n", path);
    return false;
  }
  if (IsWxPath(path)) {
    WxEntryTables entry;
    if (!ReadWxEntry(*file, 0, entry)) {
      fprintf(stderr, "wxtool: %s holds no entry\n", path);
      return false;
    }
    if (!entry.complete) fprintf(stderr, "wxtool: %s: first entry cut short\n", path);
    ShowWxEntry(snapshot, entry);
    return true;
  }
  DataFileShow shown = ShowDataFile(file->Bytes().data(), file->Bytes().size(), snapshot);
  if (!shown.complete) fprintf(stderr, "wxtool: %s: damaged after %d tables\n", path, shown.tables);
  return true;
}

int Show(const char* path) {
  if (!IsWxPath(path)) {
    WeatherSnapshot snapshot;
    if (!LoadSnapshot(path, snapshot)) return 2;
    printf("%s\n", path);
    PrintSnapshot(snapshot);
    return 0;
  }
  std::unique_ptr<FileSource> file = ReadFileBytes(path);
  if (!file) {
    fprintf(stderr, "wxtool: cannot read %s\n", path);
    return 2;
  }
  WxEntryTables entry;
  uint64_t offset = 0;
  for (int index = 0; ReadWxEntry(*file, offset, entry); ++index) {
    if (entry.header.stationIndex == -1)
      printf("Entry %d, global\n", index);
    else
      printf("Entry %d, station %d [0x%04X]\n", index, int(entry.header.stationIndex),
             unsigned(uint32_t(entry.header.stationIndex)));
    WeatherSnapshot snapshot;
    const bool complete = entry.complete;
    offset = entry.end;
    ShowWxEntry(snapshot, entry);
    PrintSnapshot(snapshot);
    if (!complete) {
      printf("(entry cut short)\n");
      break;
    }
  }
  return 0;
}

int Convert(const char* in, const char* out) {
  WeatherSnapshot snapshot;
  if (!LoadSnapshot(in, snapshot)) return 2;
  std::vector<uint8_t> bytes;
  if (IsWxPath(out)) {
    bytes = EncodeWxEntry(snapshot);
  } else {
    DataFileImage image = EncodeDataFile(snapshot);
    if (!image.complete) fprintf(stderr, "wxtool: a table too long for %s was left out\n", out);
    bytes = std::move(image.bytes);
  }
  StdioFiles files;
  if (!WriteFileSafely(files, out, bytes.data(), bytes.size())) {
    fprintf(stderr, "wxtool: cannot write %s\n", out);
    return 3;
  }
  return 0;
}

MetarTime TimeNow() {
  const time_t now = time(nullptr);
  const tm* utc = gmtime(&now);
  MetarTime t;
  if (utc) t = {utc->tm_mday, utc->tm_hour, utc->tm_min};
  return t;
}

int Metar(const char* path, const char* indexText) {
  WeatherSnapshot snapshot;
  if (indexText == nullptr || !IsWxPath(path)) {
    if (indexText != nullptr) {
      fprintf(stderr, "wxtool: INDEX is for .WX files only\n");
      return 1;
    }
    if (!LoadSnapshot(path, snapshot)) return 2;
  } else {
    char* rest = nullptr;
    const long index = strtol(indexText, &rest, 10);
    if (rest == indexText || *rest != 0 || index < 0) {
      fprintf(stderr, "wxtool: %s is not an entry number\n", indexText);
      return 1;
    }
    std::unique_ptr<FileSource> file = ReadFileBytes(path);
    if (!file) {
      fprintf(stderr, "wxtool: cannot read %s\n", path);
      return 2;
    }
    WxEntryTables entry;
    uint64_t offset = 0;
    long at = 0;
    for (;; ++at) {
      if (!ReadWxEntry(*file, offset, entry)) {
        fprintf(stderr, "wxtool: %s has no entry %ld\n", path, index);
        return 2;
      }
      if (at == index) break;
      if (!entry.complete) {
        fprintf(stderr, "wxtool: %s has no entry %ld\n", path, index);
        return 2;
      }
      offset = entry.end;
    }
    ShowWxEntry(snapshot, entry);
  }
  char line[kMetarLineSize];
  MetarLineFromTables(snapshot, "ZZZZ", TimeNow(), 0, line, sizeof line);
  printf("%s\n", line);
  return 0;
}

int FromMetar(const char* text, const char* out) {
  const MetarReport report = DecodeMetar(text, strlen(text));
  if (const MetarGroup* bad = report.FirstError()) {
    fprintf(stderr, "wxtool: group \"%s\" cannot be read: %s; nothing written\n", bad->text,
            bad->words);
    return 1;
  }
  const MetarTables tables = TablesFromMetar(report, 0);
  WeatherSnapshot snapshot;
  ShowMetarTables(tables, false, snapshot);
  DataFileImage image = EncodeDataFile(snapshot);
  if (image.bytes.empty()) {
    fprintf(stderr, "wxtool: the report fills no table; nothing written\n");
    return 1;
  }
  StdioFiles files;
  if (!WriteFileSafely(files, out, image.bytes.data(), image.bytes.size())) {
    fprintf(stderr, "wxtool: cannot write %s\n", out);
    return 3;
  }
  return 0;
}

// The records of a table that differ from the step before, by index, in the pane's texts:
// " 2: Cover=3/8" for a changed record, " +3: ..." for a new one, " -4" for one gone, and
// " (below the pane's precision)" when no text shows the change (QNH moves by 1/16 mb).
void PrintTableChanges(int table, const TableBlock& before, const TableBlock& after) {
  const int pane = table - 1;
  const size_t size = TableRecordSize(table);
  const size_t had = before.Size() / size, has = after.Size() / size;
  const PaneColumn* columns = PaneColumns(pane);
  printf(" | %s", PaneTitle(pane));
  bool shown = false;
  for (size_t i = 0; i < had || i < has; ++i) {
    if (i >= has) {
      printf(" -%zu", i);
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
    printf(i < had ? " %zu:" : " +%zu:", i);
    for (int c = 0; c < PaneColumnCount(pane); ++c)
      if (i >= had || strcmp(now[c], was[c]) != 0) printf(" %s=%s", columns[c].header, now[c]);
    shown = true;
  }
  if (!shown) printf(" (below the pane's precision)");
}

int Transition(const char* fromPath, const char* toPath) {
  WeatherSnapshot from, to;
  if (!LoadSnapshot(fromPath, from) || !LoadSnapshot(toPath, to)) return 2;
  TransitionTables start, target;
  if (!TransitionTablesFromSnapshot(from, start) || !TransitionTablesFromSnapshot(to, target)) {
    fprintf(stderr, "wxtool: out of memory\n");
    return 3;
  }
  if (!TransitionTablesUsable(target)) {
    fprintf(stderr, "wxtool: %s holds a table that is not whole records\n", toPath);
    return 2;
  }
  WeatherTransition transition;
  TransitionRates rates;
  if (!transition.Start(start, target, rates)) {
    fprintf(stderr, "wxtool: nothing to change\n");
    return 0;
  }
  TransitionTables sent, before;
  unsigned changed = 0;
  while (true) {
    if (!CopyTransitionTables(transition.Current(), before)) return 3;
    if (!transition.NextStep(sent, changed)) break;
    printf("%d", transition.StepsDone());
    for (int t = kVisibilityTable; t <= kCloudTable; ++t)
      if (changed & TransitionTableBit(t)) PrintTableChanges(t, before.table[t], sent.table[t]);
    printf("\n");
  }
  const bool reached = TransitionTablesDiffer(transition.Current(), target) == 0;
  fprintf(stderr, "wxtool: %d steps%s\n", transition.StepsDone(), reached ? "" : ", target NOT reached");
  return reached ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "show") == 0) return Show(argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "convert") == 0) return Convert(argv[2], argv[3]);
  if ((argc == 3 || argc == 4) && std::strcmp(argv[1], "metar") == 0)
    return Metar(argv[2], argc == 4 ? argv[3] : nullptr);
  if (argc == 4 && std::strcmp(argv[1], "from-metar") == 0) return FromMetar(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "transition") == 0) return Transition(argv[2], argv[3]);
  fprintf(stderr,
          "usage: wxtool show FILE\n       wxtool convert IN OUT\n       wxtool metar FILE [INDEX]\n"
          "       wxtool from-metar \"REPORT\" OUT.VTD\n       wxtool transition FROM TO\n");
  return 1;
}
