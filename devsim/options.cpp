#include "devsim/options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Splits at blanks outside quotes; quotes group and are dropped.
std::vector<std::string> SplitWords(const char* text) {
  std::vector<std::string> words;
  const char* p = text ? text : "";
  while (*p) {
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
    if (!*p) break;
    std::string word;
    bool quoted = false;
    for (; *p && (quoted || !(*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')); ++p) {
      if (*p == '"')
        quoted = !quoted;
      else
        word += *p;
    }
    words.push_back(word);
  }
  return words;
}

bool ParseInteger(const std::string& text, int base, long long low, long long high, long long& out) {
  if (text.empty()) return false;
  const char* start = text.c_str();
  if (base == 16 && (text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0)) start += 2;
  if (!*start || *start == ' ') return false;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(start, &end, base);
  if (errno != 0 || *end != '\0' || v < low || v > high) return false;
  out = v;
  return true;
}

// A flag takes no value, or =1 / =0.
bool ParseFlag(bool hasValue, const std::string& value, bool& out) {
  if (!hasValue || value == "1") {
    out = true;
    return true;
  }
  if (value == "0") {
    out = false;
    return true;
  }
  return false;
}

}  // namespace

bool ParseDevsimOptions(const char* commandLine, DevsimOptions& out) {
  out.given = 0;
  for (const std::string& word : SplitWords(commandLine)) {
    if (word.compare(0, 2, "--") != 0) return false;
    size_t eq = word.find('=');
    bool hasValue = eq != std::string::npos;
    std::string name = word.substr(2, hasValue ? eq - 2 : std::string::npos);
    std::string value = hasValue ? word.substr(eq + 1) : std::string();
    long long n = 0;
    if (name == "weather") {
      if (value.empty()) return false;
      out.weatherFile = value;
      out.emptyWeather = false;
      out.given |= kGivenWeather;
    } else if (name == "empty-weather") {
      if (!ParseFlag(hasValue, value, out.emptyWeather)) return false;
      if (out.emptyWeather) out.weatherFile.clear();
      out.given |= kGivenEmptyWeather;
    } else if (name == "mode") {
      if (!ParseInteger(value, 10, 0, 3, n)) return false;
      out.mode = int(n);
      out.given |= kGivenMode;
    } else if (name == "icao") {
      if (!hasValue || value.size() > 4) return false;
      out.icao = value;
      out.given |= kGivenIcao;
    } else if (name == "signature") {
      if (!ParseInteger(value, 16, 0, 0xFFFF, n)) return false;
      out.signature = uint16_t(n);
      out.given |= kGivenSignature;
    } else if (name == "answer") {
      if (!ParseInteger(value, 10, -2147483648LL, 4294967295LL, n)) return false;
      out.answer = uint32_t(n);
      out.given |= kGivenAnswer;
    } else if (name == "hang") {
      if (!ParseInteger(value, 10, 0, 600000, n)) return false;
      out.hangMs = uint32_t(n);
      out.given |= kGivenHang;
    } else if (name == "no-module") {
      if (!ParseFlag(hasValue, value, out.noModule)) return false;
      out.given |= kGivenNoModule;
    } else if (name == "aircraft") {
      if (!ParseInteger(value, 10, 0, 100, n)) return false;
      out.aircraft = int(n);
      out.given |= kGivenAircraft;
    } else if (name == "traffic-slots") {
      if (!ParseInteger(value, 10, -1, 0xFFFF, n)) return false;
      out.trafficSlots = int(n);
      out.given |= kGivenTrafficSlots;
    } else if (name == "traffic-record-size") {
      if (!ParseInteger(value, 10, -1, 0xFFFF, n)) return false;
      out.trafficRecordSize = int(n);
      out.given |= kGivenTrafficRecordSize;
    } else if (name == "change-every") {
      if (!ParseInteger(value, 10, 0, 86400000, n)) return false;
      out.changeEveryMs = uint32_t(n);
      out.given |= kGivenChangeEvery;
    } else if (name == "log") {
      if (!hasValue) return false;
      out.logFile = value;
      out.given |= kGivenLog;
    } else if (name == "lie-descriptors") {
      static const struct {
        const char* word;
        DescriptorLie lie;
      } kLies[] = {{"none", DescriptorLie::kNone},     {"more", DescriptorLie::kMore},
                   {"huge", DescriptorLie::kHuge},     {"size0", DescriptorLie::kSizeZero},
                   {"small", DescriptorLie::kSmall}};
      bool known = false;
      for (const auto& k : kLies)
        if (value == k.word) {
          out.lieDescriptors = k.lie;
          known = true;
        }
      if (!known) return false;
      out.given |= kGivenLieDescriptors;
    } else if (name == "encounter") {
      if (!ParseEncounter(value, out.encounter)) return false;
      out.given |= kGivenEncounter;
    } else if (name == "flight") {
      if (!ParseFlight(value, out.flight)) return false;
      out.given |= kGivenFlight;
    } else if (name == "title") {
      if (!hasValue) return false;
      out.title = value;
      out.given |= kGivenTitle;
    } else {
      return false;
    }
  }
  return true;
}
