#include "tests/e2e/live_data.h"

#include <cstdio>
#include <vector>

#include "tests/e2e/devsim_run.h"
#include "tests/e2e/harness.h"

namespace e2e {

namespace {

bool Digits(const std::string& s, size_t at, size_t n) {
  if (at + n > s.size()) return false;
  for (size_t i = at; i < at + n; ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

int Number(const std::string& s, size_t at, size_t n) { return std::atoi(s.substr(at, n).c_str()); }

struct Stamp {
  size_t line;      // index into the lines
  size_t at;        // where the group starts in its line
  bool dateLine;    // "yyyy/mm/dd hh:mm" at 0
  long minutes;     // day * 1440 + hour * 60 + minute (reports only)
};

// FILETIME counts 100 ns.
constexpr long long kMinute = 600000000LL;

SYSTEMTIME MinutesBefore(const SYSTEMTIME& now, long minutes) {
  FILETIME ft;
  SystemTimeToFileTime(&now, &ft);
  ULARGE_INTEGER v;
  v.LowPart = ft.dwLowDateTime;
  v.HighPart = ft.dwHighDateTime;
  v.QuadPart -= (unsigned long long)(minutes * kMinute);
  ft.dwLowDateTime = v.LowPart;
  ft.dwHighDateTime = v.HighPart;
  SYSTEMTIME out;
  FileTimeToSystemTime(&ft, &out);
  return out;
}

}  // namespace

std::string LiveDataPath(const char* name) {
  // The source folder as the compiler saw it: a Unix path, which Wine shows under Z:.
  std::string path = std::string("Z:") + NIMBREL_LIVE_DATA + name;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string RestampReports(const std::string& text, const SYSTEMTIME& nowUtc) {
  std::vector<std::string> lines;
  for (size_t at = 0; at <= text.size();) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  std::vector<Stamp> stamps;
  long newest = -1;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    if (Digits(l, 0, 4) && l.size() >= 16 && l[4] == '/' && l[7] == '/' && l[10] == ' ' && l[13] == ':') {
      stamps.push_back({i, 0, true, 0});
      continue;
    }
    for (size_t at = 0; at < l.size();) {
      while (at < l.size() && (l[at] == ' ' || l[at] == '\t')) ++at;
      size_t end = at;
      while (end < l.size() && l[end] != ' ' && l[end] != '\t' && l[end] != '\r') ++end;
      if (end - at == 7 && Digits(l, at, 6) && l[at + 6] == 'Z') {
        const long m = Number(l, at, 2) * 1440L + Number(l, at + 2, 2) * 60L + Number(l, at + 4, 2);
        stamps.push_back({i, at, false, m});
        if (m > newest) newest = m;
        break;
      }
      if (end == at) break;
      at = end;
    }
  }
  // Backwards, so that a date line finds the new time of the report after it.
  SYSTEMTIME next = nowUtc;
  for (size_t k = stamps.size(); k-- > 0;) {
    const Stamp& s = stamps[k];
    char group[32];
    if (s.dateLine) {
      std::snprintf(group, sizeof group, "%04u/%02u/%02u %02u:%02u", next.wYear, next.wMonth, next.wDay, next.wHour,
                    next.wMinute);
      lines[s.line].replace(0, 16, group);
    } else {
      next = MinutesBefore(nowUtc, newest - s.minutes);
      std::snprintf(group, sizeof group, "%02u%02u%02uZ", next.wDay, next.wHour, next.wMinute);
      lines[s.line].replace(s.at, 7, group);
    }
  }
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) out += (i ? "\n" : "") + lines[i];
  return out;
}

std::string RestampedCopy(const char* name, const char* as) {
  const std::string text = ReadTextFile(LiveDataPath(name));
  if (text.empty()) return "";
  SYSTEMTIME now;
  GetSystemTime(&now);
  return WriteTestFile(as, RestampReports(text, now));
}

}  // namespace e2e
