// The bodies of the fuzz targets for the settings value, the command line, the layer fields
// and the weather refresh, shared with the native test that replays the seeds and every input
// that once crashed. Inputs are copied into blocks of exactly their size so that
// AddressSanitizer sees a read or write past them.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "link/request_block.h"
#include "weather/command_line.h"
#include "weather/layer_fields.h"
#include "weather/pane_format.h"
#include "common/placement.h"
#include "weather/snapshot.h"

namespace core_fuzz {

// 8 bytes of screen width and height, then the value. A value of 79 characters or more is
// handed over without its terminator: only 79 may be read.
inline void CheckPlacement(const uint8_t* data, size_t size) {
  ByteStream in(data, size);
  const int width = int(in.U32());
  const int height = int(in.U32());
  std::unique_ptr<char[]> text = in.RestAsText();
  const size_t length = std::strlen(text.get());
  std::unique_ptr<char[]> value(new char[length < 79 ? length + 1 : 79]);
  std::memcpy(value.get(), text.get(), length < 79 ? length + 1 : 79);

  Placement p{};
  if (!ParsePlacement(value.get(), width, height, p)) return;
  FUZZ_REQUIRE(p.width >= 0 && p.height >= 0);
  FUZZ_REQUIRE(int64_t(p.left) + p.width <= width);
  FUZZ_REQUIRE(int64_t(p.top) + p.height <= height);
  // What is accepted is written back in a form that reads the same.
  char written[64];
  FormatPlacement(written, sizeof written, p);
  Placement again{};
  FUZZ_REQUIRE(ParsePlacement(written, width, height, again));
  FUZZ_REQUIRE(again.left == p.left && again.top == p.top && again.width == p.width &&
               again.height == p.height);
}

constexpr FieldConversion kConversions[] = {
    FieldConversion::Plain,       FieldConversion::FeetToMetres,
    FieldConversion::VisibilityRange, FieldConversion::Pressure,
    FieldConversion::Drift,       FieldConversion::Temperature,
    FieldConversion::TemperatureDifference, FieldConversion::Direction,
    FieldConversion::PrecipitationType, FieldConversion::Clamp,
};

// Byte 0: pane and column for the cell fill, byte 1: clamp bound, byte 2: size of the fill's
// output, then a record of the pane and the text. Every conversion reads the text; the cell
// fill reads it as a cell; and a record shown in its pane, filled into its dialog's fields and
// confirmed builds a record again.
inline void CheckField(const uint8_t* data, size_t size) {
  ByteStream in(data, size);
  const uint8_t where = in.Byte();
  const int clampMax = in.Byte();
  const size_t outSize = in.Byte();
  uint8_t record[kLayerRecordSize];
  in.Fill(record, sizeof record);
  std::unique_ptr<char[]> text = in.RestAsText();

  for (FieldConversion c : kConversions) {
    const uint16_t v = ParseField(text.get(), c, clampMax);
    if (c == FieldConversion::Clamp) FUZZ_REQUIRE(v <= clampMax);
    if (c == FieldConversion::PrecipitationType) FUZZ_REQUIRE(v <= 2);
  }

  const int pane = int(where % 7) - 1;  // -1 to 5: also panes without a dialog
  const int column = where / 7 % (kMaxPaneColumns + 2);
  std::unique_ptr<char[]> out(new char[outSize ? outSize : 1]);
  FillFieldFromRow(pane, column, text.get(), out.get(), outSize);
  if (outSize > 0) FUZZ_REQUIRE(std::strlen(out.get()) < outSize);

  const int dialogPane = where % 5;
  const LayerDialog* dialog = LayerDialogOf(dialogPane);
  FUZZ_REQUIRE(dialog && dialog->fieldCount <= kMaxLayerFields);
  CellText cells[kMaxPaneColumns];
  FormatPaneRow(dialogPane, record, cells);
  char fields[kMaxLayerFields][kFieldTextChars];
  const char* texts[kMaxLayerFields];
  for (int i = 0; i < dialog->fieldCount; ++i) {
    const int col = dialog->fields[i].column;
    FUZZ_REQUIRE(col >= 1 && col <= PaneColumnCount(dialogPane));
    FillFieldFromRow(dialogPane, col, cells[col - 1], fields[i], sizeof fields[i]);
    texts[i] = fields[i];
  }
  uint8_t built[kLayerRecordSize];
  FUZZ_REQUIRE(BuildLayerRecord(dialogPane, texts, built) == int(dialog->recordSize));
  for (int i = 0; i < dialog->fieldCount; ++i) {
    const LayerField& f = dialog->fields[i];
    FUZZ_REQUIRE(f.offset + 2 <= dialog->recordSize);
    if (f.conversion == FieldConversion::Clamp) FUZZ_REQUIRE(GetU16(built + f.offset) <= f.clampMax);
  }
}

// Byte 0: size of the output, then the command tail.
inline void CheckCommandLine(const uint8_t* data, size_t size) {
  ByteStream in(data, size);
  const size_t outSize = in.Byte();
  std::unique_ptr<char[]> tail = in.RestAsText();
  std::unique_ptr<char[]> out(new char[outSize ? outSize : 1]);
  out[0] = 'x';
  const bool named = StartupFileName(tail.get(), out.get(), outSize);
  if (outSize > 0 && !named) FUZZ_REQUIRE(out[0] == 0);
  if (!named) return;
  const size_t length = std::strlen(out.get());
  FUZZ_REQUIRE(length > 0 && length < outSize);
  // The name is the tail's own text: after an opening quote, up to the next one; otherwise up
  // to the first blank or control character.
  const bool quoted = tail[0] == '"';
  FUZZ_REQUIRE(std::memcmp(out.get(), tail.get() + (quoted ? 1 : 0), length) == 0);
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = static_cast<unsigned char>(out[i]);
    FUZZ_REQUIRE(quoted ? c != '"' : c > 32);
  }
}

// A module that answers from the fuzzer's bytes: each exchange first takes a byte whose low
// bit says whether it succeeds, then fills every queued read in order. Checks that a batch
// never asks for more than it may hold. Capacity 0 is a link that is not connected.
class FuzzBatch : public IpcBatch {
 public:
  FuzzBatch(ByteStream& in, size_t capacity) : in_(in), capacity_(capacity) {}
  void Read(uint32_t, uint32_t size, void* destination) override {
    queued_ += kReadHeaderSize + size;
    reads_.push_back({static_cast<uint8_t*>(destination), size});
  }
  void Write(uint32_t, uint32_t size, const void*) override { queued_ += kWriteHeaderSize + size; }
  bool Process() override {
    FUZZ_REQUIRE(capacity_ == 0 || queued_ + kEndWordSize <= capacity_);
    const bool answered = capacity_ > 0 && (in_.Byte() & 1) == 0;
    if (answered)
      for (const PendingRead& r : reads_) in_.Fill(r.destination, r.size);
    reads_.clear();
    queued_ = 0;
    return answered;
  }
  size_t Capacity() const override { return capacity_; }

 private:
  struct PendingRead {
    uint8_t* destination;
    uint32_t size;
  };
  ByteStream& in_;
  size_t capacity_;
  size_t queued_ = 0;
  std::vector<PendingRead> reads_;
};

class CountingView : public WeatherReactions {
 public:
  void RefillPane(int pane) override { FUZZ_REQUIRE(pane >= 0 && pane < kPaneCount); }
  void UpdateCaption() override {}
  void ShowUnreachableCaption() override {}
  void EndWxShow() override {}
  void SetWeatherCommands(bool) override {}
  void GrayFindAirport() override {}
  void ActivateCurrentPane() override {}
};

// Formats the rows the panes would show, so that a read past a block shows up: the first few
// and the last few of each table (all of them would make a run too slow to find much).
inline void FormatEveryPane(const WeatherSnapshot& snapshot) {
  for (int pane = 0; pane < kPaneCount; ++pane) {
    TableRecords records = RecordsOf(snapshot.Table(pane + 1), PaneRecordSize(pane));
    FUZZ_REQUIRE(records.count >= 0);
    FUZZ_REQUIRE(records.count == 0 ||
                 size_t(records.count) * records.recordSize <= snapshot.Table(pane + 1).data.Size());
    for (int r = 0; r < records.count; ++r) {
      if (r == 4 && records.count > 8) r = records.count - 4;
      CellText cells[kMaxPaneColumns];
      FormatPaneRow(pane, records.Record(r), cells);
    }
  }
}

// Byte 0: batch capacity (in 256-byte steps; 0 is "not connected"), then four refreshes,
// each from a flag byte (bit 0: forced) and the answers of its exchanges.
inline void CheckSnapshot(const uint8_t* data, size_t size) {
  ByteStream in(data, size);
  const size_t capacity = size_t(in.Byte()) * 256;
  FuzzBatch batch(in, capacity);
  CountingView view;
  WeatherState state;
  for (int round = 0; round < 4; ++round) {
    const bool force = in.Byte() & 1;
    RefreshWeather(state, batch, view, force);
    FUZZ_REQUIRE(!state.busy);
    FUZZ_REQUIRE(state.stationIcao[4] == 0);
    for (int t = kFirstTable; t <= kLastTable; ++t) {
      const WeatherTableEntry& e = state.snapshot.Table(t);
      if (e.data.Empty()) continue;
      FUZZ_REQUIRE(e.byteLength == int32_t(e.data.Size()));
      FUZZ_REQUIRE(DescriptorByteLength(e.descriptor) == e.data.Size());
    }
    FormatEveryPane(state.snapshot);
  }
}

}  // namespace core_fuzz
