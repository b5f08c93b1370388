// The stations a file of current reports speaks for: each station's newest report with its
// position and elevation, and the stations near a position, nearest first. Platform-free; the
// window reads the file (in pieces, so a large file never freezes it) and hands the text in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "weather/metar/metar_report.h"

constexpr double kNmPerDegree = 60.0;  // along a meridian

struct StationPlace {
  char icao[5] = "";
  double latitude = 0;   // degrees, north positive, -90 to 90
  double longitude = 0;  // degrees, east positive, -180 to 180
  int elevationMetres = 0;
};

// Station positions by code. From the simulator's airport position file and from a station
// list of the pilot's ("ICAO lat lon elevation_m", one station a line). Positions that make no
// sense (NaN, a latitude beyond 90, a longitude beyond 180, an elevation beyond -500..9000 m)
// are left out; of codes given twice the first stands.
class StationPlaces {
 public:
  // 16-byte records: code, then latitude, longitude and elevation in metres as f32. Returns
  // the records taken.
  int AddAirportTable(const uint8_t* table, size_t size);
  // Lines that are not a station (junk, a bad number, a nonsense position) are counted in
  // RejectedLines and otherwise ignored; "#" begins a comment line. Returns the stations taken.
  int AddStationList(const char* text, size_t size);
  // Entries added later replace none added before: call the list first when it should win.

  const StationPlace* Find(const char* icao) const;  // 4 characters, case ignored
  size_t Count() const { return places_.size(); }
  int RejectedLines() const { return rejected_; }

 private:
  void Settle();  // sorts by code, the first of a code standing
  std::vector<StationPlace> places_;  // sorted by code after every Add
  int rejected_ = 0;
};

// The PC's clock in UTC.
struct UtcClock {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0;
};

// Minutes from the report's day and time to the clock, taking the report in this month or
// the one before (across month ends and short months). A report more than 30 minutes ahead of
// the clock gives a negative age. kUnknownAge when the report has no time.
constexpr int kUnknownAge = -100000;
int ReportAgeMinutes(int day, int hour, int minute, const UtcClock& now);

constexpr int kOldReportMinutes = 180;   // shown as old
constexpr int kStaleReportMinutes = 360; // never used

enum class StationState : uint8_t {
  kUsable,
  kOld,        // older than 3 hours: used, marked
  kStale,      // older than 6 hours, without a time or ahead of the clock: not used
  kUnreadable, // no group of the report could be used
};

struct LiveStation {
  StationPlace place;
  std::string report;   // the report as one line
  MetarReport decoded;  // decoded once, when the index is built; its groups only when one
                        // could not be read (FirstError says which)
  int ageMinutes = kUnknownAge;
  StationState state = StationState::kUsable;
  bool partlyRead = false;  // a group could not be read; the others are used
};

struct NearStation {
  int index = 0;          // into StationIndex::Stations()
  double distanceNm = 0;  // great circle
};

// Great-circle distance in nautical miles; any latitude and longitude, across the 180th
// meridian and over the poles.
double DistanceNm(double lat1, double lon1, double lat2, double lon2);

class StationIndex {
 public:
  // Takes the file's text piece by piece (a report may run across pieces); Finish ends the
  // last report. takeUnendedLine: whether a last line without a line end is a whole report
  // (false while the file may still be being written: such a line is then left out).
  // places must live until Finish.
  void Begin(const StationPlaces& places, const UtcClock& now);
  void Feed(const char* text, size_t size);
  void Finish(bool takeUnendedLine);

  // Builds from a whole text at once.
  void Build(const char* text, size_t size, const StationPlaces& places, const UtcClock& now);

  // Stations within radiusNm of the position, nearest first, at most `most` of them. Every
  // station is returned whatever its state; the blend decides what it uses.
  void Near(double latitude, double longitude, double radiusNm, int most,
            std::vector<NearStation>& out) const;

  // The station of that code (4 characters, case ignored), -1 when none.
  int Find(const char* icao) const;
  // Ages and states again against a later clock, without reading the file again.
  void UpdateAges(const UtcClock& now);

  const std::vector<LiveStation>& Stations() const { return stations_; }
  int ReportCount() const { return reports_; }           // reports seen (every station)
  const std::vector<std::string>& Unplaced() const { return unplaced_; }  // codes without position
  int UnplacedReports() const { return unplacedReports_; }

  // ... the rest is the implementation's (the pieces' carry, the search grid)
 private:
  struct Newest {
    uint32_t code;      // the 4 characters, upper case
    int minutes;        // into the month, -1 without a time
    int reports;        // of this station in the file
    const StationPlace* place;  // null: its reports are counted, not kept
    std::string text;   // the newest report, its lines joined by blanks
  };
  void Line(const char* line, size_t size);
  void Segment(const char* line, const char* end);
  void StartReport(uint32_t code, int minutes, const char* line, const char* end);
  void Append(const char* from, const char* to);
  void EndReport();
  int Slot(uint32_t code);  // its entry in newest_, made when new
  void MakeGrid();

  std::vector<LiveStation> stations_;  // by code
  std::vector<std::string> unplaced_;
  int reports_ = 0;
  int unplacedReports_ = 0;

  const StationPlaces* places_ = nullptr;
  UtcClock clock_;
  std::string carry_;       // a line begun in the last piece
  std::vector<Newest> newest_;
  std::vector<int32_t> slots_;  // open addressing by code into newest_, -1 free
  std::string report_;      // the report being read, when it is its station's newest so far
  int current_ = -1;        // its entry in newest_; -1: no report open
  bool keep_ = false;       // report_ is kept

  std::vector<int32_t> gridOrder_;  // stations by 1-degree latitude band, then by longitude
  std::vector<double> gridLongitude_;  // of gridOrder_'s stations
  std::vector<int32_t> bandStart_;  // 181 starts into gridOrder_, band 0 from 90 S
};
