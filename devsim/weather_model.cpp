#include "devsim/weather_model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/request_block.h"

namespace {

bool IsWritableTable(int table) { return table >= kVisibilityTable && table <= kCloudTable; }
// Visibility and cloud layers have a lower altitude at 6 as well as an upper one at 4.
bool HasLowerAltitude(int table) { return table == kVisibilityTable || table == kCloudTable; }
// The altitude that orders a table: upperAltitude, or the temperature's altitude; both at 4.
uint16_t OrderAltitude(const std::vector<uint8_t>& record) { return GetU16(record.data() + 4); }

void FillReply(uint8_t* out, size_t size, const uint8_t* source, size_t length) {
  size_t n = std::min(size, length);
  if (n) std::memcpy(out, source, n);
  if (size > n) std::memset(out + n, 0, size - n);
}

std::vector<uint8_t> NewRecord(size_t size) {
  std::vector<uint8_t> r(size, 0);
  PutU16(r.data(), uint16_t(size));
  return r;
}

std::vector<uint8_t> Visibility(uint16_t upper, uint16_t lower, uint16_t range) {
  std::vector<uint8_t> r(kVisibilityLayerSize);
  EncodeVisibility(r.data(), {{kVisibilityLayerSize, 0}, upper, lower, range});
  return r;
}
std::vector<uint8_t> Pressure(uint16_t qnh, int16_t drift) {
  std::vector<uint8_t> r(kPressureRecordSize);
  EncodePressure(r.data(), {{kPressureRecordSize, 0}, qnh, drift});
  return r;
}
std::vector<uint8_t> Temperature(uint16_t altitude, int16_t day, int16_t variation, int16_t dew) {
  std::vector<uint8_t> r(kTemperatureLayerSize);
  EncodeTemperature(r.data(), {{kTemperatureLayerSize, 0}, altitude, day, variation, dew});
  return r;
}
uint16_t Degrees(double degrees) { return uint16_t(degrees * 65536.0 / 360.0); }
std::vector<uint8_t> Wind(uint16_t upper, uint16_t speed, uint16_t gust, double degrees,
                          uint16_t turbulence, uint16_t shear) {
  std::vector<uint8_t> r(kWindLayerSize);
  EncodeWind(r.data(), {{kWindLayerSize, 0}, upper, speed, gust, Degrees(degrees), turbulence, shear});
  return r;
}
std::vector<uint8_t> Cloud(uint16_t upper, uint16_t lower, uint16_t deviation, uint16_t cover,
                           uint16_t type, uint16_t turbulence, uint16_t icing, uint16_t precipBase,
                           uint16_t precipType, uint16_t precipRate) {
  std::vector<uint8_t> r(kCloudLayerSize);
  EncodeCloud(r.data(), {{kCloudLayerSize, 0}, upper, lower, deviation, cover, type, turbulence,
                         icing, precipBase, precipType, precipRate});
  return r;
}

void SortByAltitude(std::vector<std::vector<uint8_t>>& table) {
  std::stable_sort(table.begin(), table.end(),
                   [](const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
                     return OrderAltitude(a) < OrderAltitude(b);
                   });
}

// The text format: one record per line, "kind key=value ...", in the record's own units.
struct TextField {
  const char* name;
  size_t offset;
  bool isSigned;
};
struct TextKind {
  const char* name;
  int table;
  std::vector<TextField> fields;
};
const std::vector<TextKind>& TextKinds() {
  static const std::vector<TextKind> kinds = {
      {"visibility", kVisibilityTable, {{"upper", 4, false}, {"lower", 6, false}, {"range", 8, false}}},
      {"pressure", kPressureTable, {{"qnh", 4, false}, {"drift", 6, true}}},
      {"temperature", kTemperatureTable,
       {{"altitude", 4, false}, {"day", 6, true}, {"variation", 8, true}, {"dew", 10, true}}},
      {"wind", kWindTable,
       {{"upper", 4, false}, {"speed", 6, false}, {"gust", 8, false}, {"direction", 10, false},
        {"turbulence", 12, false}, {"shear", 14, false}}},
      {"cloud", kCloudTable,
       {{"upper", 4, false}, {"lower", 6, false}, {"deviation", 8, false}, {"cover", 10, false},
        {"type", 12, false}, {"turbulence", 14, false}, {"icing", 16, false},
        {"precipbase", 18, false}, {"preciptype", 20, false}, {"preciprate", 22, false}}},
  };
  return kinds;
}

}  // namespace

WeatherModel::WeatherModel() { LoadDefault(); }

// A grey, showery autumn day at Heathrow: enough layers in every pane to look at.
void WeatherModel::LoadDefault() {
  for (auto& t : tables_) t.clear();
  tables_[kVisibilityTable] = {Visibility(900, 0, 600), Visibility(3000, 900, 1500),
                               Visibility(12000, 3000, 4000)};
  tables_[kPressureTable] = {Pressure(16310, -3)};  // 1019.4 mb, falling slowly
  tables_[kTemperatureTable] = {Temperature(0, 14, 6, 9), Temperature(1500, 5, 4, 1),
                                Temperature(3000, -4, 3, -9), Temperature(6000, -22, 2, -30),
                                Temperature(10000, -48, 1, -60)};
  tables_[kWindTable] = {Wind(600, 8, 14, 240, 1, 0), Wind(2000, 18, 0, 250, 1, 1),
                         Wind(5000, 35, 0, 260, 0, 0), Wind(9000, 65, 0, 270, 2, 0),
                         Wind(12000, 90, 0, 275, 1, 0)};
  tables_[kCloudTable] = {Cloud(900, 450, 50, 3, 8, 1, 0, 0, 0, 0),
                          Cloud(2400, 1200, 150, 6, 9, 2, 1, 300, 1, 2),
                          Cloud(7600, 7000, 200, 2, 1, 0, 0, 0, 0, 0)};
  Derive();
}

void WeatherModel::ClearAll() {
  ClearTable(0);
  Derive();
}

bool WeatherModel::LoadFile(const std::string& path, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    if (error) *error = "cannot open " + path;
    return false;
  }
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  std::fclose(f);
  return LoadText(text, error);
}

bool WeatherModel::LoadText(const std::string& text, std::string* error) {
  std::vector<Record> tables[kLastTable + 1];
  size_t lineNumber = 0;
  size_t at = 0;
  auto fail = [&](const std::string& what) {
    if (error) *error = "line " + std::to_string(lineNumber) + ": " + what;
    return false;
  };
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    ++lineNumber;
    line = line.substr(0, line.find('#'));
    std::vector<std::string> words;
    size_t p = 0;
    while (p < line.size()) {
      while (p < line.size() && std::strchr(" \t\r", line[p])) ++p;
      size_t q = p;
      while (q < line.size() && !std::strchr(" \t\r", line[q])) ++q;
      if (q > p) words.push_back(line.substr(p, q - p));
      p = q;
    }
    if (words.empty()) continue;
    const TextKind* kind = nullptr;
    for (const TextKind& k : TextKinds())
      if (words[0] == k.name) kind = &k;
    if (!kind) return fail("unknown record kind '" + words[0] + "'");
    Record r = NewRecord(TableRecordSize(kind->table));
    for (size_t w = 1; w < words.size(); ++w) {
      size_t eq = words[w].find('=');
      std::string key = words[w].substr(0, eq);
      const TextField* field = nullptr;
      for (const TextField& f : kind->fields)
        if (key == f.name) field = &f;
      if (!field || eq == std::string::npos) return fail("bad field '" + words[w] + "'");
      std::string value = words[w].substr(eq + 1);
      char* stop = nullptr;
      long v = std::strtol(value.c_str(), &stop, 10);
      long low = field->isSigned ? -32768 : 0, high = field->isSigned ? 32767 : 65535;
      if (value.empty() || *stop || v < low || v > high) return fail("bad value '" + words[w] + "'");
      PutU16(r.data() + field->offset, uint16_t(v));
    }
    std::vector<Record>& table = tables[kind->table];
    if (kind->table == kPressureTable) table.clear();
    if (table.size() >= kDevsimMaxLayers) return fail("too many layers");
    table.push_back(r);
  }
  for (int t = kFirstTable; t <= kLastTable; ++t) {
    SortByAltitude(tables[t]);
    tables_[t] = tables[t];
  }
  if (tables_[kPressureTable].empty()) tables_[kPressureTable] = {Pressure(kStandardQnh, 0)};
  Derive();
  return true;
}

void WeatherModel::SetMode(int mode) {
  mode_ = mode & 3;
  Derive();
}

void WeatherModel::SetIcao(const std::string& icao) {
  icao_ = icao.substr(0, 4);
  Derive();
}

size_t WeatherModel::Count(int table) const {
  return table >= kFirstTable && table <= kLastTable ? tables_[table].size() : 0;
}

uint32_t WeatherModel::Descriptor(int table) const {
  if (Count(table) == 0) return kEmptyDescriptor;
  return MakeDescriptor(uint16_t(tables_[table][0].size()), int(tables_[table].size()));
}

uint32_t WeatherModel::ServedDescriptor(int table) const {
  const uint32_t honest = Descriptor(table);
  if (Count(table) == 0) return honest;
  const uint32_t recordSize = honest & 0xFFFF;
  const uint32_t count = uint32_t(Count(table));
  switch (lie_) {
    case DescriptorLie::kMore:
      return MakeDescriptor(uint16_t(recordSize), int(count + 40));
    case DescriptorLie::kHuge:
      return 0xFFFEFFFF;
    case DescriptorLie::kSizeZero:
      return honest & 0xFFFF0000;
    case DescriptorLie::kSmall:
      return MakeDescriptor(2, int(count * recordSize / 2));
    case DescriptorLie::kNone:
      break;
  }
  return honest;
}

std::vector<uint8_t> WeatherModel::TableBytes(int table) const {
  return table >= kFirstTable && table <= kLastTable ? flat_[table] : std::vector<uint8_t>();
}

void WeatherModel::CopyTable(int table, uint8_t* out, size_t size) const {
  FillReply(out, size, flat_[table].data(), flat_[table].size());
}

bool WeatherModel::Read(uint32_t selector, uint8_t* out, size_t size) const {
  int table = SelectorTable(selector);
  uint32_t op = SelectorOperation(selector);
  if ((selector >> 24) != 0 || table < kFirstTable || table > kLastTable) return false;
  if (op == kReadTable) {
    if (size == 4) {
      PutU32(out, ServedDescriptor(table));
    } else {
      CopyTable(table, out, size);
    }
    return true;
  }
  if (op == kReadAtAltitude) {
    ReadAtAltitude(table, SelectorAltitude(selector), out, size);
    return true;
  }
  return false;
}

// Layers with both altitudes (visibility, cloud): the lowest layer containing the altitude.
// Temperature and winds: the lowest layer at or above it, else the highest one below it.
// Pressure and station: their one record. No layer: `following` 0xFFFF, everything else 0.
void WeatherModel::ReadAtAltitude(int table, uint16_t altitude, uint8_t* out, size_t size) const {
  const std::vector<Record>& t = tables_[table];
  const Record* found = nullptr;
  if (HasLowerAltitude(table)) {
    for (const Record& r : t)
      if (GetU16(r.data() + 6) <= altitude && altitude <= OrderAltitude(r)) {
        found = &r;
        break;
      }
  } else if (table == kTemperatureTable || table == kWindTable || table == kAppliedWindTable) {
    for (const Record& r : t)
      if (OrderAltitude(r) >= altitude) {
        found = &r;
        break;
      }
    if (!found && !t.empty()) found = &t.back();
  } else if (!t.empty()) {
    found = &t.front();
  }
  if (found) {
    FillReply(out, size, found->data(), found->size());
    if (size >= 4) PutU16(out + 2, 0);
  } else {
    uint8_t none[4] = {0, 0, 0xFF, 0xFF};
    FillReply(out, size, none, sizeof none);
  }
}

bool WeatherModel::Write(uint32_t selector, const uint8_t* data, size_t size) {
  int table = SelectorTable(selector);
  uint32_t op = SelectorOperation(selector);
  uint16_t altitude = SelectorAltitude(selector);
  if ((selector >> 24) != 0) return false;
  if (op == kClearTable && (table == 0 || IsWritableTable(table))) {
    ClearTable(table);
  } else if (!IsWritableTable(table)) {
    return false;
  } else if (op == kInsertLayer) {
    InsertLayer(table, data, size);
  } else if (op == kDeleteLayer) {
    DeleteLayer(table, altitude);
  } else if (op == kReplaceLayer) {
    ReplaceLayer(table, altitude, data, size);
  } else if (op == kSetTable) {
    SetTable(table, data, size);
  } else {
    return false;
  }
  Derive();
  return true;
}

// The record goes where its own altitude puts it, after any layers of the same altitude; the
// selector's altitude (the row the user had selected) does not matter. A payload shorter than
// the table's record is ignored; a longer one is cut to it. The pressure table keeps one record.
bool WeatherModel::InsertLayer(int table, const uint8_t* data, size_t size) {
  size_t recordSize = TableRecordSize(table);
  if (size < recordSize) return false;
  Record r(data, data + recordSize);
  PutU16(r.data(), uint16_t(recordSize));
  PutU16(r.data() + 2, 0);
  std::vector<Record>& t = tables_[table];
  if (table == kPressureTable) {
    t = {r};
    return true;
  }
  if (t.size() >= kDevsimMaxLayers) return false;
  auto at = std::upper_bound(t.begin(), t.end(), OrderAltitude(r),
                             [](uint16_t a, const Record& x) { return a < OrderAltitude(x); });
  t.insert(at, r);
  return true;
}

// The first layer whose ordering altitude is `altitude`; for visibility and cloud, failing
// that, the first whose lower altitude is.
int WeatherModel::FindLayer(int table, uint16_t altitude) const {
  const std::vector<Record>& t = tables_[table];
  for (size_t i = 0; i < t.size(); ++i)
    if (OrderAltitude(t[i]) == altitude) return int(i);
  if (HasLowerAltitude(table))
    for (size_t i = 0; i < t.size(); ++i)
      if (GetU16(t[i].data() + 6) == altitude) return int(i);
  return -1;
}

// Deleting the pressure record sets the standard pressure.
void WeatherModel::DeleteLayer(int table, uint16_t altitude) {
  if (table == kPressureTable) {
    ClearTable(kPressureTable);
    return;
  }
  int i = FindLayer(table, altitude);
  if (i >= 0) tables_[table].erase(tables_[table].begin() + i);
}

// The layer named by the altitude is replaced (the new record takes its place in altitude
// order). Altitude 0xFFFF (no row selected) replaces the layer at the record's own altitude,
// or inserts the record when there is none. Pressure: the record is replaced whatever the
// altitude. No layer at a given altitude: nothing changes.
void WeatherModel::ReplaceLayer(int table, uint16_t altitude, const uint8_t* data, size_t size) {
  if (size < TableRecordSize(table)) return;
  if (table == kPressureTable) {
    InsertLayer(table, data, size);
    return;
  }
  int i = FindLayer(table, altitude == kNoAltitude ? GetU16(data + 4) : altitude);
  if (i < 0 && altitude != kNoAltitude) return;
  if (i >= 0) tables_[table].erase(tables_[table].begin() + i);
  InsertLayer(table, data, size);
}

void WeatherModel::ClearTable(int table) {
  for (int t = kVisibilityTable; t <= kCloudTable; ++t)
    if (table == 0 || table == t) tables_[t].clear();
  if (table == 0 || table == kPressureTable) tables_[kPressureTable] = {Pressure(kStandardQnh, 0)};
}

// A whole-table block: records of the table's size, the first one's `following` giving the
// count. A block that does not hold what it claims, or whose record sizes are wrong, is
// ignored. An empty block (or one that is only an empty descriptor) empties the table.
void WeatherModel::SetTable(int table, const uint8_t* data, size_t size) {
  if (size == 0 || (size >= 4 && GetU32(data) == kEmptyDescriptor)) {
    ClearTable(table);
    return;
  }
  size_t recordSize = TableRecordSize(table);
  if (size < recordSize || GetU16(data) != recordSize) return;
  size_t count = size_t(GetU16(data + 2)) + 1;
  if (count > size / recordSize) return;
  if (table == kPressureTable) count = 1;
  count = std::min(count, kDevsimMaxLayers);
  std::vector<Record> t;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = data + i * recordSize;
    if (GetU16(p) != recordSize) return;
    t.emplace_back(p, p + recordSize);
  }
  SortByAltitude(t);
  tables_[table] = t;
}

// Table 6 is table 4 as the simulator applies it: the speed a few per cent off, the direction
// veered or backed two degrees, in degrees. Table 7 holds the station only in mode 3.
void WeatherModel::Derive() {
  std::vector<Record>& applied = tables_[kAppliedWindTable];
  applied.clear();
  for (size_t i = 0; i < tables_[kWindTable].size(); ++i) {
    const Record& w = tables_[kWindTable][i];
    WindLayer set = DecodeWind(w.data());
    Record r(kDevsimAppliedWindSize, 0);
    std::memcpy(r.data(), w.data(), kWindLayerSize);
    AppliedWindLayer a;
    a.prefix = {uint16_t(kDevsimAppliedWindSize), 0};
    a.upperAltitude = set.upperAltitude;
    a.gust = set.gust;
    a.turbulence = set.turbulence;
    a.shear = set.shear;
    a.appliedSpeed = float(set.speed * (1.0 + 0.03 * (int(i % 3) - 1)));
    double degrees = set.direction * 360.0 / 65536.0 + (i % 2 ? 2.0 : -2.0);
    if (degrees < 0) degrees += 360.0;
    if (degrees >= 360.0) degrees -= 360.0;
    a.appliedDirection = float(degrees);
    EncodeAppliedWind(r.data(), a);
    applied.push_back(r);
  }
  tables_[kStationTable].clear();
  if (mode_ == 3) {
    Record r = NewRecord(kDevsimStationSize);
    std::memcpy(r.data() + 4, icao_.data(), std::min<size_t>(icao_.size(), 4));
    tables_[kStationTable].push_back(r);
  }
  // Every change ends here, so the tables as a read returns them are made once per change.
  for (int t = kFirstTable; t <= kLastTable; ++t) {
    std::vector<uint8_t>& bytes = flat_[t];
    bytes.clear();
    size_t count = tables_[t].size();
    for (size_t k = 0; k < count; ++k) {
      size_t at = bytes.size();
      bytes.insert(bytes.end(), tables_[t][k].begin(), tables_[t][k].end());
      PutU16(bytes.data() + at + 2, uint16_t(count - 1 - k));
    }
  }
}

// Pressure always moves by 1/16 to 2/16 mb; every other step the surface wind or the surface
// temperature moves too. Everything stays within believable bounds however long it runs.
void WeatherModel::Change() {
  uint32_t hash = ++changeCount_ * 2654435761u;
  bool up = (hash >> 16) & 1;
  Record& p = tables_[kPressureTable][0];
  int qnh = GetU16(p.data() + 4) + (up ? 1 : -1) * int(1 + ((hash >> 17) & 1));
  PutU16(p.data() + 4, uint16_t(std::min(16900, std::max(15500, qnh))));
  if (changeCount_ % 2 == 0 && !tables_[kWindTable].empty()) {
    Record& w = tables_[kWindTable][0];
    int speed = GetU16(w.data() + 6) + (up ? 1 : -1);
    PutU16(w.data() + 6, uint16_t(std::min(60, std::max(0, speed))));
    PutU16(w.data() + 10, uint16_t(GetU16(w.data() + 10) + (up ? 182 : -182)));
  } else if (changeCount_ % 2 == 1 && !tables_[kTemperatureTable].empty()) {
    Record& t = tables_[kTemperatureTable][0];
    int day = GetS16(t.data() + 6) + (up ? 1 : -1);
    PutU16(t.data() + 6, uint16_t(int16_t(std::min(45, std::max(-40, day)))));
  }
  Derive();
}
