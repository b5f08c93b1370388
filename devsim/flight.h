// devsim's scripted flight of the user aircraft (--flight): a start and legs of true heading,
// ground speed and climb rate, or waypoints with times. Legs and the stretches between waypoints
// are great circles on a sphere where one minute of arc is one nautical mile.
#pragma once

#include <string>
#include <vector>

struct FlightPoint {
  double latitude = 0;   // degrees, north positive
  double longitude = 0;  // degrees, east positive, in (-180, 180]
  double feet = 0;
};

struct FlightLeg {
  double heading = 0;  // degrees true at the start of the leg
  double knots = 0;    // ground speed
  double fpm = 0;      // climb rate, feet per minute
  double seconds = 0;  // duration, above 0
};

struct FlightWaypoint {
  double seconds = 0;  // from the start of the flight, strictly increasing
  FlightPoint point;
};

struct FlightPlan {
  enum class Kind { kNone, kLegs, kWaypoints };
  Kind kind = Kind::kNone;
  FlightPoint start;                     // kLegs
  std::vector<FlightLeg> legs;           // kLegs; none: the aircraft stays at the start
  std::vector<FlightWaypoint> waypoints; // kWaypoints, at least one
};

constexpr size_t kFlightMaxParts = 64;  // legs or waypoints

// "none", "LAT,LON,FEET;HDG,KT,FPM,SECONDS;..." or "@T,LAT,LON,FEET;@T,LAT,LON,FEET;...".
// False on anything else: blanks, a missing or extra field, a value out of range, waypoint
// times not increasing, two waypoints in a row at opposite ends of the earth.
bool ParseFlight(const std::string& text, FlightPlan& out);

// Where the flight is `seconds` after it began: before a first waypoint's time at that
// waypoint, after the end where it ended. Longitudes in (-180, 180].
FlightPoint FlightAt(const FlightPlan& plan, double seconds);
// The time the flight ends, in seconds from its start.
double FlightSeconds(const FlightPlan& plan);

// Into (-180, 180].
double WrapLongitude(double degrees);
