#include "devsim/module.h"

#include <chrono>
#include <cstring>

#include "link/request_block.h"
#include "weather/records.h"

namespace {

void AppendF(std::string& s, const char* format, unsigned long long a, unsigned long long b = 0) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, a, b);
  s += buffer;
}

// Weather selectors: a table or operation above the plain offsets, nothing in bits 24-31.
bool IsWeatherSelector(uint32_t offset) { return offset >= 0x10000 && (offset >> 24) == 0; }

uint64_t SteadyMs() {
  using namespace std::chrono;
  return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

DevsimModule::DevsimModule(const DevsimOptions& options) : clock_(SteadyMs), startMs_(SteadyMs()) {
  ApplyOptions(options, true);
}

DevsimModule::~DevsimModule() {
  if (log_) std::fclose(log_);
}

bool DevsimModule::Apply(const DevsimOptions& options) { return ApplyOptions(options, false); }

bool DevsimModule::ApplyOptions(const DevsimOptions& o, bool everything) {
  error_.clear();
  bool reloadWeather = everything || (o.given & (kGivenWeather | kGivenEmptyWeather)) ||
                       o.weatherFile != options_.weatherFile || o.emptyWeather != options_.emptyWeather;
  if (reloadWeather) {
    std::string why;
    if (o.emptyWeather)
      weather_.ClearAll();
    else if (o.weatherFile.empty())
      weather_.LoadDefault();
    else if (!weather_.LoadFile(o.weatherFile, &why))
      error_ = "weather file: " + why;
  }
  weather_.SetMode(o.mode);
  weather_.SetIcao(o.icao);
  if (everything || (o.given & kGivenAircraft) || o.aircraft != options_.aircraft) traffic_.Reset(o.aircraft);
  if (everything || (o.given & kGivenEncounter) || o.encounter != options_.encounter)
    traffic_.SetEncounter(o.encounter);
  // Given again, even with the same plan, the flight starts again from its beginning.
  if (everything || (o.given & kGivenFlight)) traffic_.SetFlight(o.flight);
  traffic_.SetHeaderOverride(o.trafficSlots, o.trafficRecordSize);
  weather_.SetDescriptorLie(o.lieDescriptors);
  if (everything || o.logFile != options_.logFile) {
    if (log_) std::fclose(log_);
    log_ = nullptr;
    // Binary append: plain \n line ends on every platform, and runs add to one file.
    if (!o.logFile.empty() && !(log_ = std::fopen(o.logFile.c_str(), "ab")))
      error_ += (error_.empty() ? "" : "; ") + std::string("cannot open log ") + o.logFile;
  }
  if (o.changeEveryMs != options_.changeEveryMs) changeElapsedMs_ = 0;
  options_ = o;
  options_.given = 0;
  return error_.empty();
}

void DevsimModule::Log(const std::string& text) {
  if (!log_) return;
  std::fwrite(text.data(), 1, text.size(), log_);
  std::fflush(log_);
}

uint32_t DevsimModule::Execute(uint8_t* block, size_t size) {
  if (options_.noModule) return 0;
  uint64_t batch = ++batches_;
  const bool logging = log_ != nullptr;
  std::string log;
  // The batch's time is that of every write in it: a test reads back when each step arrived.
  if (logging) AppendF(log, "batch %llu at %llu ms\n", batch, clock_() - startMs_);
  size_t at = 0;
  while (block && size >= 4 && at <= size - 4) {
    uint8_t* p = block + at;
    uint32_t kind = GetU32(p);
    if (kind != kRecordRead && kind != kRecordWrite) break;  // the end word, or garbage
    size_t header = kind == kRecordRead ? kReadHeaderSize : kWriteHeaderSize;
    if (header > size - at) break;
    uint32_t offset = GetU32(p + 4);
    uint32_t length = GetU32(p + 8);
    if (length > size - at - header) break;
    uint8_t* data = p + header;
    if (kind == kRecordRead) {
      ++reads_;
      bool known = Read(offset, data, length);
      if (logging) {
        AppendF(log, "  R %08llX %llu", offset, length);
        log += known ? "\n" : " unknown\n";
      }
    } else {
      ++writes_;
      Write(offset, data, length);
      if (logging) AppendF(log, "  W %08llX %llu", offset, length);
      if (logging && length) {
        static const char kHex[] = "0123456789ABCDEF";
        log += ' ';
        for (uint32_t i = 0; i < length; ++i) {
          log += kHex[data[i] >> 4];
          log += kHex[data[i] & 15];
        }
      }
      if (logging) log += '\n';
    }
    at += header + length;
  }
  lastAnswer_ = options_.answer;
  if (logging) {
    AppendF(log, "end %llu answer %llu\n", batch, lastAnswer_);
    Log(log);
  }
  return lastAnswer_;
}

bool DevsimModule::Read(uint32_t offset, uint8_t* out, size_t size) {
  if (offset == kInterfaceSignatureOffset || offset == kWeatherStatusOffset) {
    uint8_t word[2];
    PutU16(word, offset == kInterfaceSignatureOffset ? options_.signature : uint16_t(options_.mode << 14));
    size_t n = size < 2 ? size : 2;
    std::memcpy(out, word, n);
    if (size > n) std::memset(out + n, 0, size - n);
    return true;
  }
  if (IsWeatherSelector(offset) ? weather_.Read(offset, out, size) : traffic_.Read(offset, out, size))
    return true;
  if (size) std::memset(out, 0, size);
  return false;
}

// Writes to anything but a weather selector are ignored, as the module ignores them.
void DevsimModule::Write(uint32_t offset, const uint8_t* data, size_t size) {
  if (IsWeatherSelector(offset)) weather_.Write(offset, data, size);
}

void DevsimModule::Advance(double seconds) {
  traffic_.Advance(seconds);
  if (options_.changeEveryMs == 0) return;
  changeElapsedMs_ += seconds * 1000.0;
  // At most a hundred steps at once, so a long pause does not stall the window.
  for (int i = 0; i < 100 && changeElapsedMs_ >= options_.changeEveryMs; ++i) {
    changeElapsedMs_ -= options_.changeEveryMs;
    weather_.Change();
  }
  if (changeElapsedMs_ >= options_.changeEveryMs) changeElapsedMs_ = 0;
}
