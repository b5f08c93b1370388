#include "devsim/flight.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadians = kPi / 180.0;

struct Vector {
  double x, y, z;
};

Vector ToVector(double latitude, double longitude) {
  const double phi = latitude * kRadians, lambda = longitude * kRadians;
  return {std::cos(phi) * std::cos(lambda), std::cos(phi) * std::sin(lambda), std::sin(phi)};
}

// At a pole the longitude means nothing; the one the aircraft came with is kept.
FlightPoint FromVector(const Vector& v, double feet, double poleLongitude) {
  FlightPoint p;
  const double across = std::hypot(v.x, v.y);
  p.latitude = std::atan2(v.z, across) / kRadians;
  p.longitude = WrapLongitude(across < 1e-12 ? poleLongitude : std::atan2(v.y, v.x) / kRadians);
  p.feet = feet;
  return p;
}

double Dot(const Vector& a, const Vector& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

double Angle(const Vector& a, const Vector& b) {
  const Vector c = {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
  return std::atan2(std::sqrt(Dot(c, c)), Dot(a, b));
}

// Flies `seconds` of a leg from `from`. The heading is taken against the local north; at a
// pole that is the direction of the meridian opposite the point's longitude, as just short of it.
FlightPoint FlyLeg(const FlightPoint& from, const FlightLeg& leg, double seconds) {
  const double phi = from.latitude * kRadians, lambda = from.longitude * kRadians;
  const double theta = leg.heading * kRadians;
  const double delta = leg.knots * seconds / 3600.0 / 60.0 * kRadians;  // one nm is one minute of arc
  const Vector p = ToVector(from.latitude, from.longitude);
  const Vector east = {-std::sin(lambda), std::cos(lambda), 0};
  const Vector north = {-std::sin(phi) * std::cos(lambda), -std::sin(phi) * std::sin(lambda), std::cos(phi)};
  const double c = std::cos(delta), s = std::sin(delta);
  const double dc = std::cos(theta) * s, ds = std::sin(theta) * s;
  const Vector q = {p.x * c + north.x * dc + east.x * ds, p.y * c + north.y * dc + east.y * ds,
                    p.z * c + north.z * dc + east.z * ds};
  return FromVector(q, from.feet + leg.fpm * seconds / 60.0, from.longitude);
}

// Along the great circle from a to b, a fraction f of the way.
FlightPoint Between(const FlightPoint& a, const FlightPoint& b, double f) {
  const Vector va = ToVector(a.latitude, a.longitude), vb = ToVector(b.latitude, b.longitude);
  const double omega = Angle(va, vb);
  const double feet = a.feet + (b.feet - a.feet) * f;
  if (omega < 1e-12) return FromVector(va, feet, a.longitude);
  const double wa = std::sin((1 - f) * omega) / std::sin(omega), wb = std::sin(f * omega) / std::sin(omega);
  const Vector v = {va.x * wa + vb.x * wb, va.y * wa + vb.y * wb, va.z * wa + vb.z * wb};
  return FromVector(v, feet, f < 0.5 ? a.longitude : b.longitude);
}

// A plain decimal: an optional sign, digits, an optional point and more digits. No blanks,
// exponents or words, so "nan" and "1e999" never get in.
bool ParseNumber(const std::string& text, double low, double high, double& out) {
  size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
  size_t digits = 0, points = 0;
  for (size_t k = i; k < text.size(); ++k) {
    if (text[k] >= '0' && text[k] <= '9')
      ++digits;
    else if (text[k] == '.' && ++points == 1)
      continue;
    else
      return false;
  }
  if (digits == 0 || digits > 12) return false;
  const double v = std::strtod(text.c_str(), nullptr);
  if (!(v >= low && v <= high)) return false;
  out = v;
  return true;
}

std::vector<std::string> Split(const std::string& text, char at) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (;;) {
    const size_t to = text.find(at, from);
    parts.push_back(text.substr(from, to == std::string::npos ? std::string::npos : to - from));
    if (to == std::string::npos) return parts;
    from = to + 1;
  }
}

bool ParsePoint(const std::string* field, FlightPoint& out) {
  if (!ParseNumber(field[0], -90, 90, out.latitude) || !ParseNumber(field[1], -180, 180, out.longitude) ||
      !ParseNumber(field[2], -2000, 100000, out.feet))
    return false;
  out.longitude = WrapLongitude(out.longitude);
  return true;
}

}  // namespace

double WrapLongitude(double degrees) {
  double d = std::fmod(degrees, 360.0);
  if (d <= -180.0) d += 360.0;
  if (d > 180.0) d -= 360.0;
  return d;
}

bool ParseFlight(const std::string& text, FlightPlan& out) {
  if (text == "none") {
    out = FlightPlan();
    return true;
  }
  const std::vector<std::string> parts = Split(text, ';');
  if (parts.size() > kFlightMaxParts + 1) return false;
  FlightPlan plan;
  const bool waypoints = !text.empty() && text[0] == '@';
  plan.kind = waypoints ? FlightPlan::Kind::kWaypoints : FlightPlan::Kind::kLegs;
  for (size_t i = 0; i < parts.size(); ++i) {
    std::vector<std::string> field = Split(parts[i], ',');
    if (waypoints) {
      if (field.size() != 4 || field[0].empty() || field[0][0] != '@') return false;
      FlightWaypoint w;
      if (!ParseNumber(field[0].substr(1), 0, 86400, w.seconds) || !ParsePoint(&field[1], w.point)) return false;
      if (!plan.waypoints.empty()) {
        const FlightWaypoint& last = plan.waypoints.back();
        if (!(w.seconds > last.seconds)) return false;
        // Opposite ends of the earth: no one great circle joins them.
        const Vector a = ToVector(last.point.latitude, last.point.longitude);
        if (Angle(a, ToVector(w.point.latitude, w.point.longitude)) > 179.99 * kRadians) return false;
      }
      plan.waypoints.push_back(w);
    } else if (i == 0) {
      if (field.size() != 3 || !ParsePoint(field.data(), plan.start)) return false;
    } else {
      FlightLeg leg;
      if (field.size() != 4 || !ParseNumber(field[0], 0, 360, leg.heading) ||
          !ParseNumber(field[1], 0, 3000, leg.knots) || !ParseNumber(field[2], -30000, 30000, leg.fpm) ||
          !ParseNumber(field[3], 0, 86400, leg.seconds) || !(leg.seconds > 0))
        return false;
      plan.legs.push_back(leg);
    }
  }
  if (waypoints && plan.waypoints.size() > kFlightMaxParts) return false;
  out = plan;
  return true;
}

FlightPoint FlightAt(const FlightPlan& plan, double seconds) {
  if (!(seconds > 0)) seconds = 0;
  if (plan.kind == FlightPlan::Kind::kLegs) {
    FlightPoint at = plan.start;
    for (const FlightLeg& leg : plan.legs) {
      if (seconds <= leg.seconds) return FlyLeg(at, leg, seconds);
      at = FlyLeg(at, leg, leg.seconds);
      seconds -= leg.seconds;
    }
    return at;
  }
  if (plan.kind == FlightPlan::Kind::kWaypoints && !plan.waypoints.empty()) {
    const std::vector<FlightWaypoint>& w = plan.waypoints;
    if (seconds <= w.front().seconds) return w.front().point;
    for (size_t i = 1; i < w.size(); ++i)
      if (seconds < w[i].seconds)
        return Between(w[i - 1].point, w[i].point, (seconds - w[i - 1].seconds) / (w[i].seconds - w[i - 1].seconds));
    return w.back().point;
  }
  return FlightPoint();
}

double FlightSeconds(const FlightPlan& plan) {
  double total = 0;
  if (plan.kind == FlightPlan::Kind::kLegs)
    for (const FlightLeg& leg : plan.legs) total += leg.seconds;
  else if (plan.kind == FlightPlan::Kind::kWaypoints && !plan.waypoints.empty())
    total = plan.waypoints.back().seconds;
  return total;
}
