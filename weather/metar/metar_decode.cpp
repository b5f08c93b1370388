#include <cstdio>
#include <cstring>

#include "weather/metar/metar_groups.h"
#include "weather/metar/metar_report.h"
#include "weather/metar/metar_text.h"

using namespace metar_text;

namespace {

constexpr size_t kLongestGroup = 40;  // anything longer is no group of a report

enum class Phase { kStart, kStation, kTime, kBody, kTrend, kRemarks };

struct Token {
  size_t offset = 0;
  size_t length = 0;
  char text[kLongestGroup + 1] = "";  // upper case; empty when too long
  bool printable = true;
};

class Tokenizer {
 public:
  Tokenizer(const char* text, size_t length) : text_(text), length_(length) {}
  bool Next(Token& t) {
    while (at_ < length_ && IsSpace(text_[at_])) ++at_;
    if (at_ >= length_) return false;
    t = Token();
    t.offset = at_;
    while (at_ < length_ && !IsSpace(text_[at_])) {
      const unsigned char c = static_cast<unsigned char>(text_[at_]);
      if (c < 0x21 || c > 0x7E) t.printable = false;
      if (at_ - t.offset < kLongestGroup) t.text[at_ - t.offset] = Upper(char(c));
      ++at_;
    }
    t.length = at_ - t.offset;
    if (t.length > kLongestGroup) t.text[0] = 0;
    return true;
  }
  size_t Position() const { return at_; }

 private:
  const char* text_;
  size_t length_;
  size_t at_ = 0;
};

bool IsWord(const Token& t, const char* word) { return std::strcmp(t.text, word) == 0; }

bool IsTrend(const Token& t) {
  return IsWord(t, "NOSIG") || IsWord(t, "BECMG") || IsWord(t, "TEMPO") || IsWord(t, "INTER");
}

// After WS: "R" or "RWY", then two digits and perhaps L, C or R; t the text after the prefix.
bool IsRunway(const char* s) {
  if (!IsDigit(s[0]) || !IsDigit(s[1])) return false;
  return s[2] == 0 || ((s[2] == 'L' || s[2] == 'C' || s[2] == 'R') && s[3] == 0);
}

bool AllSlashes(const Token& t) {
  if (t.length == 0 || t.text[0] == 0) return false;
  for (size_t i = 0; i < t.length; ++i)
    if (t.text[i] != '/') return false;
  return true;
}

class Decoder {
 public:
  Decoder(const char* text, size_t length, MetarReport& report)
      : text_(text), length_(length), report_(report) {}

  void Run() {
    Tokenizer tokens(text_, length_);
    Token t;
    while (tokens.Next(t)) {
      // One token adds at most two groups, the end one more and the report's check one more.
      if (int(report_.groups.size()) >= kMaxMetarGroups - 4) {
        const size_t from = pendingWhole_ ? whole_.offset : t.offset;
        Error(from, length_ - from, "report too long: this group and the rest are not read");
        return;
      }
      // "=" ends the report; only blanks may follow it.
      const char* eq = static_cast<const char*>(std::memchr(text_ + t.offset, '=', t.length));
      if (eq != nullptr) t = Cut(t, size_t(eq - (text_ + t.offset)));
      if (t.length > 0) Take(t);
      if (eq != nullptr) {
        if (pendingWhole_) FlushWhole();
        size_t at = size_t(eq - text_) + 1;
        while (at < length_ && (IsSpace(text_[at]) || text_[at] == '=')) ++at;
        if (at < length_) Error(at, length_ - at, "text after the end of the report (=) is not read");
        return;
      }
    }
    if (pendingWhole_) FlushWhole();
  }

 private:
  // The first `keep` characters of a token, as the tokenizer would have read them alone.
  Token Cut(const Token& t, size_t keep) {
    Token cut;
    cut.offset = t.offset;
    cut.length = keep;
    for (size_t i = 0; i < keep; ++i) {
      const unsigned char c = static_cast<unsigned char>(text_[t.offset + i]);
      if (c < 0x21 || c > 0x7E) cut.printable = false;
      if (i < kLongestGroup) cut.text[i] = Upper(char(c));
    }
    if (keep > kLongestGroup) cut.text[0] = 0;
    return cut;
  }

  void Take(Token& t) {
    if (phase_ == Phase::kRemarks) {
      ExtendLast(t);
      return;
    }
    if (!t.printable || t.text[0] == 0) {
      if (pendingWhole_) FlushWhole();
      Error(t.offset, t.length,
            t.printable ? "too long for any group" : "holds characters a report never has");
      if (phase_ < Phase::kBody) phase_ = Phase::kBody;
      return;
    }
    if (pendingWhole_) {
      pendingWhole_ = false;
      if (FractionOfMiles(t)) {
        VisibilityMiles(whole_, &t);
        return;
      }
      Group(whole_);
    }
    if (phase_ == Phase::kBody && t.length <= 2 && AllDigits(t.text, t.length)) {
      whole_ = t;
      pendingWhole_ = true;
      return;
    }
    Group(t);
  }

  bool FractionOfMiles(const Token& t) {
    const size_t n = t.length;
    if (n < 5 || std::strcmp(t.text + n - 2, "SM") != 0) return false;
    const char* slash = std::strchr(t.text, '/');
    return slash && AllDigits(t.text, size_t(slash - t.text)) &&
           AllDigits(slash + 1, size_t(t.text + n - 2 - (slash + 1)));
  }

  void FlushWhole() {
    pendingWhole_ = false;
    Group(whole_);
  }

  MetarGroup& Add(MetarGroupKind kind, size_t offset, size_t length) {
    report_.groups.emplace_back();
    MetarGroup& g = report_.groups.back();
    g.kind = kind;
    g.offset = uint32_t(offset);
    g.length = uint32_t(length);
    CopyGroupText(g);
    return g;
  }

  void CopyGroupText(MetarGroup& g) {
    size_t n = g.length;
    const bool cut = n >= kMetarGroupTextSize;
    if (cut) n = kMetarGroupTextSize - 4;
    for (size_t i = 0; i < n; ++i) {
      const unsigned char c = static_cast<unsigned char>(text_[g.offset + i]);
      // Line ends inside a group that spans lines (remarks), and bytes a report never has.
      g.text[i] = IsSpace(char(c)) ? ' ' : (c < 0x20 || c > 0x7E) ? '?' : char(c);
    }
    std::strcpy(g.text + n, cut ? "..." : "");
  }

  void Read(MetarGroupKind kind, const Token& t, const char* words) {
    MetarGroup& g = Add(kind, t.offset, t.length);
    snprintf(g.words, sizeof g.words, "%s", words);
  }

  MetarGroup& Error(size_t offset, size_t length, const char* why) {
    MetarGroup& g = Add(MetarGroupKind::kUnreadable, offset, length);
    g.error = true;
    snprintf(g.words, sizeof g.words, "%s", why);
    ++report_.errorCount;
    return g;
  }
  MetarGroup& Error(const Token& t, const char* why) { return Error(t.offset, t.length, why); }

  void ExtendLast(const Token& t) {
    MetarGroup& g = report_.groups.back();
    g.length = uint32_t(t.offset + t.length - g.offset);
    CopyGroupText(g);
  }

  void Group(Token& t) {
    char words[kMetarWordsSize];
    switch (phase_) {
      case Phase::kStart:
        phase_ = Phase::kStation;
        if (IsWord(t, "METAR") || IsWord(t, "SPECI")) {
          report_.speci = IsWord(t, "SPECI");
          Read(MetarGroupKind::kType, t, report_.speci ? "special report" : "routine report");
          return;
        }
        [[fallthrough]];
      case Phase::kStation:
        phase_ = Phase::kTime;
        if (IsCorrection(t.text)) {  // some services put the correction before the station
          report_.corrected = true;
          Read(MetarGroupKind::kModifier, t, "corrected report");
          phase_ = Phase::kStation;
          return;
        }
        if (IsStationCode(t.text, t.length)) {
          std::memcpy(report_.station, t.text, 4);
          report_.station[4] = 0;
          snprintf(words, sizeof words, "station %s", report_.station);
          Read(MetarGroupKind::kStation, t, words);
          return;
        }
        Error(t, "station: not a code of four letters or digits").kind = MetarGroupKind::kStation;
        phase_ = Phase::kBody;
        return;
      case Phase::kTime:
        phase_ = Phase::kBody;
        if (t.length == 7 && t.text[6] == 'Z') {
          if (IsReportTime(t.text, t.length, &report_.day, &report_.hour, &report_.minute)) {
            snprintf(words, sizeof words, "day %d, %02d:%02d UTC", report_.day, report_.hour,
                     report_.minute);
            Read(MetarGroupKind::kTime, t, words);
          } else {
            Error(t, "time: day, hour or minute out of range").kind = MetarGroupKind::kTime;
          }
          return;
        }
        break;
      case Phase::kTrend:
        if (IsWord(t, "RMK")) break;
        if (IsTrend(t)) break;
        ExtendLast(t);
        return;
      case Phase::kBody:
      case Phase::kRemarks:
        break;
    }
    Body(t);
  }

  void Body(Token& t) {
    char words[kMetarWordsSize];
    MetarGroupKind kind = MetarGroupKind::kUnreadable;
    const char* why = nullptr;
    if (IsWord(t, "RMK")) {
      phase_ = Phase::kRemarks;
      Read(MetarGroupKind::kRemarks, t, "remarks (not set)");
      return;
    }
    // Everything after a trend's keyword belongs to the trend, up to the remarks.
    if (IsTrend(t)) {
      phase_ = Phase::kTrend;
      Read(MetarGroupKind::kTrend, t,
           IsWord(t, "NOSIG") ? "no significant change expected (not set)"
           : IsWord(t, "BECMG") ? "trend: becoming (not set)"
           : IsWord(t, "TEMPO") ? "trend: temporarily (not set)"
                                : "trend: intermittently (not set)");
      return;
    }
    // WS RWY22L, WS R22L, WS ALL RWY, WS TKOF RWY09, WS LDG RWY27: one group.
    if (IsWord(t, "WS")) {
      wsPending_ = true;
      Read(MetarGroupKind::kSupplementary, t, "wind shear (not set)");
      return;
    }
    if (wsPending_ && (IsWord(t, "ALL") || IsWord(t, "TKOF") || IsWord(t, "LDG"))) {
      ExtendLast(t);
      return;
    }
    const bool rwy = std::strncmp(t.text, "RWY", 3) == 0;
    if (wsPending_ && (IsWord(t, "RWY") || (t.text[0] == 'R' && IsRunway(t.text + (rwy ? 3 : 1))))) {
      wsPending_ = false;
      ExtendLast(t);
      return;
    }
    wsPending_ = false;
    if (AllSlashes(t)) {
      Read(MetarGroupKind::kMissing, t, "not reported");
      return;
    }
    words[0] = 0;
    if (DecodeModifier(t.text, report_, words, sizeof words))
      kind = MetarGroupKind::kModifier;
    else if ((why = DecodeWind(t.text, report_, words, sizeof words)) != kNotThisKind)
      kind = MetarGroupKind::kWind;
    else if ((why = DecodeWindSector(t.text, report_, words, sizeof words)) != kNotThisKind)
      kind = MetarGroupKind::kWindSector;
    else if ((why = DecodeVisibility(t.text, report_, words, sizeof words)) != kNotThisKind)
      kind = MetarGroupKind::kVisibility;
    else if ((why = DecodeRunway(t.text, words, sizeof words, &kind)) != kNotThisKind) {
    } else if ((why = DecodeCloud(t.text, report_, words, sizeof words)) != kNotThisKind)
      kind = MetarGroupKind::kCloud;
    else if ((why = DecodeTemperature(t.text, report_, words, sizeof words)) != kNotThisKind)
      kind = MetarGroupKind::kTemperature;
    else if ((why = DecodePressure(t.text, report_, words, sizeof words)) != kNotThisKind)
      kind = MetarGroupKind::kPressure;
    else if ((why = DecodeSupplementary(t.text, words, sizeof words)) != kNotThisKind)
      kind = MetarGroupKind::kSupplementary;
    else if ((why = DecodeWeather(t.text, report_, words, sizeof words)) != kNotThisKind)
      kind = MetarGroupKind::kWeather;
    else {
      kind = MetarGroupKind::kUnreadable;
      why = "not a group of a report";
    }
    if (why != nullptr) {
      Error(t, why).kind = kind;  // the kind it was taken for, which its reason names
      return;
    }
    Read(kind, t, words);
  }

  void VisibilityMiles(const Token& whole, const Token* fraction) {
    char text[2 * kLongestGroup + 2];
    snprintf(text, sizeof text, "%s %s", whole.text, fraction ? fraction->text : "");
    char words[kMetarWordsSize];
    const char* why = DecodeVisibility(text, report_, words, sizeof words);
    const size_t end = fraction ? fraction->offset + fraction->length : whole.offset + whole.length;
    if (why != nullptr) {
      Error(whole.offset, end - whole.offset, why == kNotThisKind ? "not a group of a report" : why)
          .kind = why == kNotThisKind ? MetarGroupKind::kUnreadable : MetarGroupKind::kVisibility;
      return;
    }
    MetarGroup& g = Add(MetarGroupKind::kVisibility, whole.offset, end - whole.offset);
    snprintf(g.words, sizeof g.words, "%s", words);
  }

  const char* text_;
  size_t length_;
  MetarReport& report_;
  Phase phase_ = Phase::kStart;
  bool wsPending_ = false;
  bool pendingWhole_ = false;  // a whole number waiting for the fraction of "1 1/2SM"
  Token whole_;
};

}  // namespace

const MetarGroup* MetarReport::FirstError() const {
  for (const MetarGroup& g : groups)
    if (g.error) return &g;
  return nullptr;
}

MetarReport DecodeMetar(const char* text, size_t length) {
  MetarReport report;
  if (text == nullptr) length = 0;
  report.groups.reserve(32);
  Decoder(text, length, report).Run();
  if (report.station[0] == 0 && report.errorCount == 0) {
    MetarGroup g;
    g.kind = MetarGroupKind::kUnreadable;
    g.error = true;
    std::strcpy(g.text, "(none)");
    snprintf(g.words, sizeof g.words, "%s", length == 0 || report.groups.empty()
                                                ? "no report: the text is empty"
                                                : "station: the report names none");
    report.groups.push_back(g);
    ++report.errorCount;
  }
  return report;
}
