// Small pattern helpers over one group of a report, shared by the decoder and the file search.
#pragma once

#include <cstddef>

namespace metar_text {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
inline char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

inline bool AllDigits(const char* s, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (!IsDigit(s[i])) return false;
  return n > 0;
}

inline int Number(const char* s, size_t n) {
  int v = 0;
  for (size_t i = 0; i < n; ++i) v = v * 10 + (s[i] - '0');
  return v;
}

// A station code: four letters or digits, the first a letter.
inline bool IsStationCode(const char* s, size_t n) {
  if (n != 4 || !IsUpper(Upper(s[0]))) return false;
  for (size_t i = 1; i < 4; ++i)
    if (!IsUpper(Upper(s[i])) && !IsDigit(s[i])) return false;
  return true;
}

// ddhhmmZ, with the fields in range.
inline bool IsReportTime(const char* s, size_t n, int* day, int* hour, int* minute) {
  if (n != 7 || Upper(s[6]) != 'Z' || !AllDigits(s, 6)) return false;
  const int d = Number(s, 2), h = Number(s + 2, 2), m = Number(s + 4, 2);
  if (d < 1 || d > 31 || h > 23 || m > 59) return false;
  if (day) *day = d;
  if (hour) *hour = h;
  if (minute) *minute = m;
  return true;
}

}  // namespace metar_text
