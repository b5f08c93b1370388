// The IPC client against devsim's window: the real message, mapping and atom, in one process
// of this test and one of devsim.
#include <cstring>
#include <string>
#include <vector>

#include "link/win/ipc_client.h"
#include "tests/e2e/devsim_run.h"
#include "tests/e2e/harness.h"
#include "weather/records.h"

namespace {

constexpr size_t kVentrelBlockSize = 32700;
constexpr size_t kPalvioBlockSize = 5000;
constexpr unsigned kReplyTimeoutMs = 2000;

// The client is process-wide: every test leaves it closed and with the weather station's
// settings, however it ends.
struct ClientGuard {
  explicit ClientGuard(const IpcSettings& settings = kVentrelIpcSettings) {
    IpcConfigure(settings);
  }
  ~ClientGuard() {
    IpcClose(true);
    IpcConfigure(kVentrelIpcSettings);
    ShowErrorConfigure(nullptr, nullptr);
  }
};

// A named block held by the test itself, as another client of this process would.
struct ForeignBlock {
  HANDLE mapping = nullptr;
  uint8_t* view = nullptr;
  explicit ForeignBlock(const std::string& name) {
    mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                 name.c_str());
    if (mapping) view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  }
  ~ForeignBlock() { Release(); }
  void Release() {
    if (view) UnmapViewOfFile(view);
    if (mapping) CloseHandle(mapping);
    view = nullptr;
    mapping = nullptr;
  }
};

std::string BlockName(unsigned counter) {
  char name[48];
  std::snprintf(name, sizeof name, "Morvanta:IPC:%lX:%X", GetCurrentProcessId(), counter);
  return name;
}

std::string AtomName(ATOM atom) {
  char name[256] = "";
  UINT length = GlobalGetAtomNameA(atom, name, sizeof name);
  return std::string(name, length);
}

struct StatusWords {
  uint16_t signature = 0xAAAA;
  uint16_t status = 0xAAAA;
};

bool ReadStatusWords(StatusWords& words) {
  IpcRead(kInterfaceSignatureOffset, 2, &words.signature);
  IpcRead(kWeatherStatusOffset, 2, &words.status);
  return IpcProcess();
}

// The log's batches in order, each as its lines from "batch n" to "end n answer a".
std::vector<std::vector<std::string>> LogBatches(const std::string& log) {
  std::vector<std::vector<std::string>> batches;
  size_t at = 0;
  while (at < log.size()) {
    size_t end = log.find('\n', at);
    if (end == std::string::npos) end = log.size();
    std::string line = log.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, 6, "batch ") == 0) batches.emplace_back();
    if (!batches.empty() && !line.empty()) batches.back().push_back(line);
    at = end + 1;
  }
  return batches;
}

std::string RecordLine(char kind, uint32_t offset, uint32_t size) {
  char line[48];
  std::snprintf(line, sizeof line, "  %c %08X %u", kind, offset, size);
  return line;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

LARGE_INTEGER Now() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now;
}

}  // namespace

E2E_TEST(IpcExchange, StatusWordsDescriptorsAndTablesOneBatchEach) {
  e2e::DevsimRun sim;
  REQUIRE(sim.Start("--mode=3 --icao=EGLL"));
  ClientGuard client;
  REQUIRE(IpcOpen(sim.window, kVentrelBlockSize, kReplyTimeoutMs));
  CHECK_EQ(IpcViewSize(), kVentrelBlockSize);
  CHECK_EQ(IpcClientBatch().Capacity(), kVentrelBlockSize);

  StatusWords words;
  REQUIRE(ReadStatusWords(words));
  CHECK_EQ(words.signature, kInterfaceSignature);
  CHECK_EQ(words.status >> 14, 3);

  uint8_t descriptors[kTableCount][4];
  std::memset(descriptors, 0xAA, sizeof descriptors);
  for (int t = kFirstTable; t <= kLastTable; ++t)
    IpcRead(WeatherSelector(t, kReadTable), 4, descriptors[t - 1]);
  REQUIRE(IpcProcess());

  // Through the batch interface this time, as the weather code uses it.
  IpcBatch& batch = IpcClientBatch();
  std::vector<uint8_t> tables[kTableCount];
  for (int t = kFirstTable; t <= kLastTable; ++t) {
    uint32_t length = DescriptorByteLength(GetU32(descriptors[t - 1]));
    if (length == 0) continue;
    tables[t - 1].assign(length, 0xEE);
    batch.Read(WeatherSelector(t, kReadTable), length, tables[t - 1].data());
  }
  REQUIRE(batch.Process());

  int nonEmpty = 0;
  for (int t = kFirstTable; t <= kLastTable; ++t) {
    const uint32_t d = GetU32(descriptors[t - 1]);
    if (DescriptorByteLength(d) == 0) continue;
    ++nonEmpty;
    const uint32_t recordSize = DescriptorRecordSize(d);
    if (t <= kCloudTable)
      CHECK_EQ(recordSize, TableRecordSize(t));
    else
      CHECK(recordSize >= TableRecordSize(t));
    const int count = DescriptorRecordCount(d);
    CHECK_EQ(GetU32(tables[t - 1].data()), d);  // the first prefix is the descriptor
    for (int i = 0; i < count; ++i) {
      RecordPrefix prefix = DecodePrefix(&tables[t - 1][i * recordSize]);
      CHECK_EQ(prefix.size, recordSize);
      CHECK_EQ(prefix.following, count - 1 - i);
    }
  }
  CHECK_EQ(nonEmpty, kTableCount);
  if (!tables[kStationTable - 1].empty())
    CHECK_EQ(std::string(DecodeStation(tables[kStationTable - 1].data()).icao, 4), "EGLL");

  const auto batches = LogBatches(sim.Log());
  REQUIRE(batches.size() == 3u);
  CHECK_EQ(batches[0].size(), 4u);
  CHECK_EQ(batches[0][1], RecordLine('R', 0x04D6, 2));
  CHECK_EQ(batches[0][2], RecordLine('R', 0x04DC, 2));
  CHECK_EQ(batches[0][3].substr(batches[0][3].size() - 8), "answer 1");
  REQUIRE(batches[1].size() == 9u);
  for (int t = kFirstTable; t <= kLastTable; ++t)
    CHECK_EQ(batches[1][t], RecordLine('R', (uint32_t(t) << 20) | 0x40000, 4));
  CHECK_EQ(batches[2].size(), size_t(nonEmpty) + 2);

  // Replies are fresh each time, not what an earlier batch left in the block.
  REQUIRE(e2e::SendDevsimControl(sim.window, "--signature=BEEF --mode=1"));
  REQUIRE(ReadStatusWords(words));
  CHECK_EQ(words.signature, 0xBEEF);
  CHECK_EQ(words.status >> 14, 1);
}

E2E_TEST(IpcExchange, EmptyWeatherAndEmptyBatch) {
  e2e::DevsimRun sim;
  REQUIRE(sim.Start("--empty-weather"));
  ClientGuard client;
  REQUIRE(IpcOpen(sim.window, kVentrelBlockSize, kReplyTimeoutMs));
  uint8_t descriptors[kTableCount][4];
  for (int t = kFirstTable; t <= kLastTable; ++t)
    IpcRead(WeatherSelector(t, kReadTable), 4, descriptors[t - 1]);
  REQUIRE(IpcProcess());
  // The pressure table always holds its one record.
  for (int t = kFirstTable; t <= kCloudTable; ++t)
    CHECK_EQ(DescriptorByteLength(GetU32(descriptors[t - 1])),
             t == kPressureTable ? kPressureRecordSize : 0u);

  // Nothing queued: the block holds only the end word, and the module still answers.
  CHECK(IpcProcess());
  CHECK_EQ(GetU32(IpcView()), kRecordEnd);
  const auto batches = LogBatches(sim.Log());
  REQUIRE(batches.size() == 2u);
  CHECK_EQ(batches[1].size(), 2u);
}

E2E_TEST(IpcExchange, InsertedLayerShowsAtTheNextRead) {
  e2e::DevsimRun sim;
  REQUIRE(sim.Start(""));
  ClientGuard client;
  REQUIRE(IpcOpen(sim.window, kVentrelBlockSize, kReplyTimeoutMs));

  TemperatureLayer layer;
  layer.prefix = {uint16_t(kTemperatureLayerSize), 0};
  layer.altitude = 1500;
  layer.dayTemperature = 17;
  layer.dayNightVariation = 3;
  layer.dewPoint = -9;
  uint8_t record[kTemperatureLayerSize];
  EncodeTemperature(record, layer);
  const uint32_t insert = WeatherSelector(kTemperatureTable, kInsertLayer, kNoAltitude);
  CHECK_EQ(insert, 0x0031FFFFu);
  IpcWrite(insert, sizeof record, record);
  std::memset(record, 0, sizeof record);  // the write took its copy when queued
  REQUIRE(IpcProcess());

  uint8_t descriptor[4];
  IpcRead(WeatherSelector(kTemperatureTable, kReadTable), 4, descriptor);
  REQUIRE(IpcProcess());
  const uint32_t d = GetU32(descriptor);
  REQUIRE(DescriptorRecordSize(d) == kTemperatureLayerSize);
  std::vector<uint8_t> table(DescriptorByteLength(d));
  REQUIRE(!table.empty());
  IpcRead(WeatherSelector(kTemperatureTable, kReadTable), uint32_t(table.size()), table.data());
  REQUIRE(IpcProcess());
  bool found = false;
  for (size_t at = 0; at + kTemperatureLayerSize <= table.size(); at += kTemperatureLayerSize) {
    TemperatureLayer seen = DecodeTemperature(&table[at]);
    if (seen.altitude == 1500 && seen.dayTemperature == 17 && seen.dayNightVariation == 3 &&
        seen.dewPoint == -9)
      found = true;
  }
  CHECK(found);

  const auto batches = LogBatches(sim.Log());
  REQUIRE(batches.size() == 3u);
  REQUIRE(batches[0].size() == 3u);
  // 1500 m = 0x05DC, -9 = 0xFFF7, all little-endian.
  CHECK_EQ(batches[0][1], "  W 0031FFFF 12 0C000000DC0511000300F7FF");
}

E2E_TEST(IpcAttempts, AnswerZeroFailsAfterTenAttempts) {
  e2e::DevsimRun sim;
  REQUIRE(sim.Start("--answer=0"));
  ClientGuard client;
  REQUIRE(IpcOpen(sim.window, kVentrelBlockSize, kReplyTimeoutMs));
  StatusWords words;
  const LARGE_INTEGER start = Now();
  CHECK(!ReadStatusWords(words));
  const double took = Milliseconds(start, Now());
  CHECK(took >= 1950.0);  // ten pauses of 200 ms, the last one included
  CHECK(took < 4000.0);
  CHECK_EQ(words.signature, 0xAAAA);  // no reply delivered
  CHECK(!IpcDeliveryFailed());        // every message arrived; the module said no

  const auto batches = LogBatches(sim.Log());
  CHECK_EQ(batches.size(), 10u);
  for (const auto& b : batches) CHECK_EQ(b.back().substr(b.back().size() - 8), "answer 0");

  // The failed batch was dropped: the next one carries only what is queued now.
  REQUIRE(e2e::SendDevsimControl(sim.window, "--answer=1"));
  uint16_t signature = 0;
  IpcRead(kInterfaceSignatureOffset, 2, &signature);
  REQUIRE(IpcProcess());
  CHECK_EQ(signature, kInterfaceSignature);
  CHECK_EQ(LogBatches(sim.Log()).back().size(), 3u);
}

E2E_TEST(IpcBlockName, TakenNameMovesToTheNextCounter) {
  e2e::DevsimRun sim;
  REQUIRE(sim.Start(""));
  ClientGuard client;
  ForeignBlock taken(BlockName(1));
  REQUIRE(taken.view != nullptr);
  std::memset(taken.view, 0x5A, 64);

  REQUIRE(IpcOpen(sim.window, kVentrelBlockSize, kReplyTimeoutMs));
  CHECK_EQ(std::string(IpcBlockName()), BlockName(2));
  CHECK_EQ(AtomName(IpcAtom()), BlockName(2));
  CHECK_EQ(GlobalFindAtomA(BlockName(1).c_str()), 0);  // the first name's atom went again
  StatusWords words;
  REQUIRE(ReadStatusWords(words));
  CHECK_EQ(words.signature, kInterfaceSignature);
  CHECK_EQ(taken.view[0], 0x5A);  // the other block was left alone
  CHECK_EQ(taken.view[63], 0x5A);
}

E2E_TEST(IpcLifecycle, PartialCloseKeepsBlockFullCloseReleasesIt) {
  e2e::DevsimRun sim;
  REQUIRE(sim.Start(""));
  ClientGuard client;
  REQUIRE(IpcOpen(sim.window, kVentrelBlockSize, kReplyTimeoutMs));
  const std::string name = IpcBlockName();
  const ATOM atom = IpcAtom();
  CHECK_EQ(name, BlockName(1));
  CHECK(atom != 0);
  StatusWords words;
  REQUIRE(ReadStatusWords(words));
  IpcView()[kVentrelBlockSize - 1] = 0x77;  // beyond any batch: shows the same block returns

  IpcClose(false);
  CHECK(IpcView() == nullptr);
  CHECK_EQ(IpcViewSize(), 0u);
  CHECK_EQ(IpcClientBatch().Capacity(), 0u);
  CHECK_EQ(IpcAtom(), atom);
  CHECK_EQ(AtomName(atom), name);

  REQUIRE(IpcOpen(sim.window, kVentrelBlockSize, kReplyTimeoutMs));
  CHECK_EQ(std::string(IpcBlockName()), name);
  CHECK_EQ(IpcAtom(), atom);
  CHECK_EQ(IpcView()[kVentrelBlockSize - 1], 0x77);
  words = StatusWords();
  REQUIRE(ReadStatusWords(words));
  CHECK_EQ(words.signature, kInterfaceSignature);

  IpcClose(true);
  CHECK(IpcView() == nullptr);
  CHECK_EQ(IpcAtom(), 0);
  CHECK_EQ(std::string(IpcBlockName()), "");
  char atomName[64];
  CHECK_EQ(GlobalGetAtomNameA(atom, atomName, sizeof atomName), 0u);
  CHECK(!IpcProcess());

  // After a full close the next open starts from counter 1 with a new block, once nobody
  // holds the old one any more (devsim lets go of a block it has not seen for a while).
  const std::string first = BlockName(1);
  REQUIRE(e2e::WaitUntil(
      [&] {
        HANDLE h = OpenFileMappingA(FILE_MAP_READ, FALSE, first.c_str());
        if (h) CloseHandle(h);
        return h == nullptr;
      },
      5000));
  REQUIRE(IpcOpen(sim.window, kVentrelBlockSize, kReplyTimeoutMs));
  CHECK_EQ(std::string(IpcBlockName()), BlockName(1));
  CHECK_EQ(IpcView()[kVentrelBlockSize - 1], 0);
  REQUIRE(ReadStatusWords(words));
}

E2E_TEST(IpcLifecycle, OpenWhileOpenAndBuildersWhileParked) {
  e2e::DevsimRun sim;
  REQUIRE(sim.Start(""));
  ClientGuard client;
  REQUIRE(IpcOpen(sim.window, kVentrelBlockSize, kReplyTimeoutMs));
  const ATOM atom = IpcAtom();
  uint8_t* view = IpcView();
  CHECK(!IpcOpen(sim.window, kPalvioBlockSize, 100));
  CHECK(IpcView() == view);
  CHECK_EQ(IpcViewSize(), kVentrelBlockSize);
  CHECK_EQ(IpcAtom(), atom);
  StatusWords words;
  REQUIRE(ReadStatusWords(words));
  CHECK_EQ(words.signature, kInterfaceSignature);
  uint8_t before[64];
  std::memcpy(before, IpcView(), sizeof before);

  IpcClose(false);
  uint16_t parked = 0xAAAA;
  const uint8_t data[2] = {1, 2};
  IpcRead(kInterfaceSignatureOffset, 2, &parked);
  IpcWrite(WeatherSelector(kPressureTable, kReplaceLayer, kNoAltitude), 2, data);
  CHECK(!IpcProcess());
  CHECK(!IpcSend());
  CHECK_EQ(parked, 0xAAAA);
  CHECK_EQ(sim.Batches(), 1);

  REQUIRE(IpcOpen(sim.window, kVentrelBlockSize, kReplyTimeoutMs));
  CHECK_EQ(std::memcmp(before, IpcView(), sizeof before), 0);  // nothing was queued meanwhile
  CHECK(IpcProcess());
  CHECK_EQ(parked, 0xAAAA);
  const auto batches = LogBatches(sim.Log());
  REQUIRE(batches.size() == 2u);
  CHECK_EQ(batches[1].size(), 2u);
}

namespace {
int errorBoxesClosed = 0;
void CountClosedErrorBox() { ++errorBoxesClosed; }
}  // namespace

E2E_TEST(PalvioSettings, NameTakenIsAnErrorAndFiveAttempts) {
  e2e::DevsimRun sim;
  REQUIRE(sim.Start(""));
  ClientGuard client(kPalvioIpcSettings);
  ShowErrorConfigure("Palvio Error", CountClosedErrorBox);
  errorBoxesClosed = 0;
  {
    ForeignBlock taken(BlockName(1));
    REQUIRE(taken.view != nullptr);
    e2e::DialogCloser box("Palvio Error", 10000, GetCurrentProcessId());
    CHECK(!IpcOpen(sim.window, kPalvioBlockSize, kReplyTimeoutMs));
    CHECK(box.Seen());
    CHECK_EQ(box.Texts(), "Error 183 reported: can't create file mapping");
    CHECK_EQ(errorBoxesClosed, 1);
    // A full close: nothing held.
    CHECK(IpcView() == nullptr);
    CHECK_EQ(IpcAtom(), 0);
    CHECK_EQ(GlobalFindAtomA(BlockName(1).c_str()), 0);
    CHECK_EQ(GlobalFindAtomA(BlockName(2).c_str()), 0);
    CHECK_EQ(sim.Batches(), 0);
  }

  REQUIRE(IpcOpen(sim.window, kPalvioBlockSize, kReplyTimeoutMs));
  CHECK_EQ(std::string(IpcBlockName()), BlockName(1));
  CHECK_EQ(IpcViewSize(), kPalvioBlockSize);

  // The traffic display lays its block out itself and sends it as it stands.
  uint8_t* block = IpcView();
  PutU32(block, kRecordRead);
  PutU32(block + 4, kInterfaceSignatureOffset);
  PutU32(block + 8, 2);
  PutU32(block + 12, 0);
  PutU16(block + 16, 0);
  PutU32(block + 18, kRecordEnd);
  REQUIRE(IpcSend());
  CHECK_EQ(GetU16(block + 16), kInterfaceSignature);

  REQUIRE(e2e::SendDevsimControl(sim.window, "--answer=0"));
  const int before = sim.Batches();
  StatusWords words;
  const LARGE_INTEGER start = Now();
  CHECK(!ReadStatusWords(words));
  const double took = Milliseconds(start, Now());
  CHECK(took >= 950.0);
  CHECK(took < 2500.0);
  CHECK_EQ(sim.Batches() - before, 5);

  // Only an answer of exactly 1 counts.
  REQUIRE(e2e::SendDevsimControl(sim.window, "--answer=2"));
  CHECK(!ReadStatusWords(words));
  CHECK_EQ(sim.Batches() - before, 10);
  CHECK_EQ(words.signature, 0xAAAA);
  CHECK(!IpcDeliveryFailed());
  CHECK_EQ(errorBoxesClosed, 1);  // a failed batch shows nothing at this level
}

// Last in this file: the delivery-failed flag stays set for the rest of the run.
E2E_TEST(IpcAttempts, TimeOutSetsDeliveryFailedForGood) {
  e2e::DevsimRun sim;
  REQUIRE(sim.Start("--hang=400"));
  ClientGuard client(kPalvioIpcSettings);
  REQUIRE(IpcOpen(sim.window, kVentrelBlockSize, 100));
  CHECK(!IpcDeliveryFailed());
  StatusWords words;
  const LARGE_INTEGER start = Now();
  CHECK(!ReadStatusWords(words));
  const double took = Milliseconds(start, Now());
  CHECK(took >= 5 * (100 + 200) - 50.0);
  CHECK(took < 5000.0);
  CHECK(IpcDeliveryFailed());

  // Let devsim work off the late messages, then a good exchange leaves the flag set.
  REQUIRE(e2e::SendDevsimControl(sim.window, "--hang=0"));
  IpcClose(false);
  REQUIRE(IpcOpen(sim.window, kVentrelBlockSize, kReplyTimeoutMs));
  words = StatusWords();
  REQUIRE(ReadStatusWords(words));
  CHECK_EQ(words.signature, kInterfaceSignature);
  CHECK(IpcDeliveryFailed());
}
