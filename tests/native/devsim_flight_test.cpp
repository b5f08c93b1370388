// devsim's scripted flight: what --flight accepts, where the aircraft is after known times on
// known legs and waypoints (over the poles and across the 180 degree meridian too), and what
// the module serves at 0x0560 as the traffic reader decodes it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "devsim/flight.h"
#include "devsim/module.h"
#include "devsim/options.h"
#include "link/own_position.h"
#include "traffic/traffic_table.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Great-circle distance in nm (one minute of arc each), worked out apart from devsim's vectors.
double DistanceNm(double lat1, double lon1, double lat2, double lon2) {
  const double r = kPi / 180;
  const double dLat = (lat2 - lat1) * r, dLon = (lon2 - lon1) * r;
  const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                   std::cos(lat1 * r) * std::cos(lat2 * r) * std::sin(dLon / 2) * std::sin(dLon / 2);
  return 2 * std::asin(std::sqrt(std::fmin(1.0, h))) / r * 60;
}

FlightPlan Plan(const char* text) {
  FlightPlan plan;
  EXPECT_TRUE(ParseFlight(text, plan)) << text;
  return plan;
}

TEST(DevsimFlight, GoodFormsParse) {
  FlightPlan p;
  ASSERT_TRUE(ParseFlight("51.5,-0.25,2500;90,300,500,60;180.5,250.5,-800,30.5", p));
  EXPECT_EQ(p.kind, FlightPlan::Kind::kLegs);
  EXPECT_DOUBLE_EQ(p.start.latitude, 51.5);
  EXPECT_DOUBLE_EQ(p.start.longitude, -0.25);
  EXPECT_DOUBLE_EQ(p.start.feet, 2500);
  ASSERT_EQ(p.legs.size(), 2u);
  EXPECT_DOUBLE_EQ(p.legs[1].heading, 180.5);
  EXPECT_DOUBLE_EQ(p.legs[1].knots, 250.5);
  EXPECT_DOUBLE_EQ(p.legs[1].fpm, -800);
  EXPECT_DOUBLE_EQ(p.legs[1].seconds, 30.5);
  EXPECT_DOUBLE_EQ(FlightSeconds(p), 90.5);

  ASSERT_TRUE(ParseFlight("@0,50,1,3000;@120,50.5,1.5,3000;@200,-10,+2,-100", p));
  EXPECT_EQ(p.kind, FlightPlan::Kind::kWaypoints);
  ASSERT_EQ(p.waypoints.size(), 3u);
  EXPECT_DOUBLE_EQ(p.waypoints[1].seconds, 120);
  EXPECT_DOUBLE_EQ(p.waypoints[2].point.latitude, -10);
  EXPECT_DOUBLE_EQ(p.waypoints[2].point.feet, -100);
  EXPECT_DOUBLE_EQ(FlightSeconds(p), 200);

  ASSERT_TRUE(ParseFlight("-180,-180,0", p) == false);  // latitude beyond 90
  ASSERT_TRUE(ParseFlight("90,-180,0", p));              // a start alone: the aircraft stays there
  EXPECT_TRUE(p.legs.empty());
  EXPECT_DOUBLE_EQ(p.start.longitude, 180);              // -180 is 180
  ASSERT_TRUE(ParseFlight("none", p));
  EXPECT_EQ(p.kind, FlightPlan::Kind::kNone);
}

TEST(DevsimFlight, BadFormsAreRefusedAndChangeNothing) {
  const char* const kBad[] = {
      "", ";", "None", "51,0", "51,0,100,5", "51,0,100;", ";51,0,100", "51,0,100;;90,100,0,10",
      "51, 0,100", " 51,0,100", "51,0,100 ", "nan,0,0", "inf,0,0", "1e1,0,0", "0x10,0,0", "5-1,0,0",
      "1..5,0,0", ".,0,0", "-,0,0", "+,0,0", "51,,100", "1234567890123,0,0",
      "90.001,0,0", "-90.5,0,0", "0,180.01,0", "0,-181,0", "0,0,-2001", "0,0,100001",
      "0,0,0;361,100,0,10", "0,0,0;-1,100,0,10", "0,0,0;90,-1,0,10", "0,0,0;90,3001,0,10",
      "0,0,0;90,100,30001,10", "0,0,0;90,100,0,0", "0,0,0;90,100,0,86401", "0,0,0;90,100,0",
      "0,0,0;90,100,0,10,5", "0,0,0;@10,0,0,0",
      "@0,0,0,0;@0,1,1,0", "@10,0,0,0;@5,1,1,0", "@0,0,0,0;10,1,1,0", "@-1,0,0,0", "@86401,0,0,0",
      "@0,0,0", "@,0,0,0", "@0,0,0,0;", "@0,91,0,0",
      "@0,0,0,0;@60,0,180,0",        // opposite ends of the earth
      "@0,45,10,0;@60,-45,-170,0",   // so are these
  };
  for (const char* text : kBad) {
    SCOPED_TRACE(text);
    FlightPlan p = Plan("1,2,3;4,5,6,7");
    EXPECT_FALSE(ParseFlight(text, p));
    EXPECT_EQ(p.kind, FlightPlan::Kind::kLegs);
    EXPECT_DOUBLE_EQ(p.start.feet, 3);
    ASSERT_EQ(p.legs.size(), 1u);
  }
  std::string many = "0,0,0";
  for (size_t i = 0; i < kFlightMaxParts; ++i) many += ";90,100,0,10";
  FlightPlan p;
  EXPECT_TRUE(ParseFlight(many, p));
  EXPECT_FALSE(ParseFlight(many + ";90,100,0,10", p));
}

TEST(DevsimFlight, SwitchSetsTheGivenBitAndNoneGoesBack) {
  DevsimOptions o;
  ASSERT_TRUE(ParseDevsimOptions("--flight=10,20,3000;45,400,0,90 --mode=2", o));
  EXPECT_EQ(o.given, kGivenFlight | kGivenMode);
  EXPECT_EQ(o.flight.kind, FlightPlan::Kind::kLegs);
  ASSERT_TRUE(ParseDevsimOptions("--mode=1", o));
  EXPECT_EQ(o.flight.kind, FlightPlan::Kind::kLegs);  // kept when not named
  EXPECT_FALSE(ParseDevsimOptions("--flight=10,20", o));
  EXPECT_FALSE(ParseDevsimOptions("--flight", o));
  ASSERT_TRUE(ParseDevsimOptions("--flight=none", o));
  EXPECT_EQ(o.given, kGivenFlight);
  EXPECT_EQ(o.flight.kind, FlightPlan::Kind::kNone);
}

// The middle of the great circle between two points of one latitude: atan(tan(lat) / cos(half
// the longitude difference)).
double MiddleLatitude(double latitude, double longitudeDifference) {
  const double r = kPi / 180;
  return std::atan(std::tan(latitude * r) / std::cos(longitudeDifference / 2 * r)) / r;
}

struct PositionCase {
  const char* plan;
  double seconds;
  double latitude, longitude, feet;
};

TEST(DevsimFlight, PositionsAfterKnownTimes) {
  const PositionCase kCases[] = {
      // 360 kt for 60 s is 6 nm, a tenth of a degree of latitude.
      {"0,0,1000;0,360,0,60", 60, 0.1, 0, 1000},
      {"0,0,1000;0,360,0,60", 30, 0.05, 0, 1000},
      {"0,0,1000;0,360,0,60", 0, 0, 0, 1000},
      {"0,0,1000;0,360,0,60", 600, 0.1, 0, 1000},  // held where it ended
      {"0,0,1000;0,360,0,60", -5, 0, 0, 1000},
      {"0,0,0;90,600,0,60", 60, 0, 1.0 / 6, 0},
      {"0,0,0;180,360,0,60", 60, -0.1, 0, 0},
      {"10,20,1000;0,0,1500,120", 120, 10, 20, 4000},
      {"10,20,8000;0,0,-2000,60;0,0,0,60", 150, 10, 20, 6000},
      {"0,0,0;0,360,0,60;90,360,0,60", 120, 0.1, 0.1 / std::cos(0.1 * kPi / 180), 0},
      {"51.47,-0.45,80;0,0,0,10", 5, 51.47, -0.45, 80},
      {"51.47,-0.45,80", 1000, 51.47, -0.45, 80},
      // Over the north pole: 3 nm up to it and 3 nm down the other side.
      {"89.95,10,30000;0,360,0,60", 60, 89.95, -170, 30000},
      {"89.95,-100,30000;0,360,0,60", 60, 89.95, 80, 30000},
      {"-89.95,0,0;180,360,0,60", 60, -89.95, 180, 0},
      // From the pole itself the heading counts from the meridian opposite the given longitude.
      {"90,0,0;180,600,0,60", 60, 90 - 1.0 / 6, 0, 0},
      {"90,0,0;90,600,0,60", 60, 90 - 1.0 / 6, 90, 0},
      {"-90,30,0;0,600,0,60", 60, -90 + 1.0 / 6, 30, 0},
      // Across the 180 degree meridian both ways.
      {"0,179.95,0;90,360,0,60", 60, 0, -179.95, 0},
      {"0,-179.95,0;270,360,0,60", 60, 0, 179.95, 0},
      {"0,179.95,0;90,360,0,30", 30, 0, 180, 0},
      // Waypoints: the great circle between two points at 50N bows towards the pole.
      {"@0,50,0,0;@100,50,1,1000", 50, MiddleLatitude(50, 1), 0.5, 500},
      {"@0,50,0,0;@100,50,1,1000", 100, 50, 1, 1000},
      {"@0,50,0,0;@100,50,1,1000", 1e6, 50, 1, 1000},
      {"@20,50,0,0;@100,50,1,1000", 10, 50, 0, 0},  // before the first time, at the first point
      {"@0,50,0,0;@60,50,0,0;@120,51,0,600", 30, 50, 0, 0},
      {"@0,50,0,0;@60,50,0,0;@120,51,0,600", 90, 50.5, 0, 300},
      {"@0,10,179.5,0;@60,10,-179.5,0", 30, MiddleLatitude(10, 1), 180, 0},
      {"@0,89,0,0;@60,89,180,0", 30, 90, 0, 0},
      {"@0,-89,-90,0;@60,-89,90,0", 45, -89.5, 90, 0},
  };
  for (const PositionCase& c : kCases) {
    SCOPED_TRACE(std::string(c.plan) + " at " + std::to_string(c.seconds));
    const FlightPoint p = FlightAt(Plan(c.plan), c.seconds);
    EXPECT_NEAR(p.latitude, c.latitude, 1e-6);
    EXPECT_LT(DistanceNm(p.latitude, p.longitude, c.latitude, c.longitude), 1e-4);
    if (std::fabs(c.latitude) < 89.99) {
      EXPECT_NEAR(WrapLongitude(p.longitude - c.longitude), 0, 1e-6);
    }
    EXPECT_NEAR(p.feet, c.feet, 1e-6);
    EXPECT_GT(p.longitude, -180);
    EXPECT_LE(p.longitude, 180);
  }
}

// Every leg covers its ground speed's distance along the way, wherever it starts.
TEST(DevsimFlight, LegsCoverTheirDistance) {
  const char* const kPlans[] = {"0,0,0;45,480,0,600",   "60,170,0;73,500,0,900",  "89.9,45,0;300,420,0,600",
                                "-75,-179,0;200,550,0,1200", "90,0,0;10,600,0,600", "-30,120,0;359.9,300,0,3600"};
  for (const char* text : kPlans) {
    SCOPED_TRACE(text);
    const FlightPlan plan = Plan(text);
    for (double t = 0; t <= plan.legs[0].seconds; t += plan.legs[0].seconds / 8) {
      const FlightPoint p = FlightAt(plan, t);
      EXPECT_NEAR(DistanceNm(plan.start.latitude, plan.start.longitude, p.latitude, p.longitude),
                  plan.legs[0].knots * t / 3600, 1e-6);
      EXPECT_GT(p.longitude, -180);
      EXPECT_LE(p.longitude, 180);
    }
  }
}

TEST(DevsimFlight, LongitudesWrapIntoTheHalfOpenRange) {
  const double kCases[][2] = {{0, 0},       {180, 180},    {-180, 180}, {190, -170}, {-190, 170},
                              {540, 180},   {-540, 180},   {359.5, -0.5}, {720.25, 0.25}, {-0.0, 0}};
  for (const auto& c : kCases) EXPECT_DOUBLE_EQ(WrapLongitude(c[0]), c[1]) << c[0];
}

class ModuleTransport : public IpcTransport {
 public:
  ModuleTransport(DevsimModule& module, std::vector<uint8_t>& block) : module_(module), block_(block) {}
  bool Send() override { return module_.Execute(block_.data(), block_.size()) == 1; }
  void Pause(unsigned) override {}

 private:
  DevsimModule& module_;
  std::vector<uint8_t>& block_;
};

OwnPosition Served(DevsimModule& module) {
  std::vector<uint8_t> block(kTrafficBlockSize, 0);
  ModuleTransport transport(module, block);
  TrafficTable table;
  EXPECT_TRUE(table.FetchTraffic(block.data(), block.size(), transport));
  return table.DecodeOwnPosition();
}

void Switch(DevsimModule& module, const char* text) {
  DevsimOptions o = module.Options();
  ASSERT_TRUE(ParseDevsimOptions(text, o)) << text;
  ASSERT_TRUE(module.Apply(o));
}

TEST(DevsimFlight, ServedPositionDecodesBack) {
  const char* const kPlans[] = {"51,-1,5000;45,420,1200,300;200,380,-900,300",
                                "-33.9,151.2,12000;95,510,0,900",
                                "89.97,10,35000;0,480,0,120",
                                "10,179.9,20000;90,600,0,120",
                                "-10,-179.9,20000;270,600,0,120"};
  for (const char* text : kPlans) {
    SCOPED_TRACE(text);
    DevsimOptions o;
    ASSERT_TRUE(ParseDevsimOptions((std::string("--flight=") + text).c_str(), o));
    DevsimModule module(o);
    for (int step = 0; step < 12; ++step) {
      const FlightPoint want = FlightAt(o.flight, step * 61.0);
      const OwnPosition got = Served(module);
      SCOPED_TRACE(step);
      EXPECT_NEAR(got.latitude, want.latitude, 1e-7);
      EXPECT_LT(DistanceNm(got.latitude, got.longitude, want.latitude, want.longitude), 1e-5);
      // Whole metres are served: up to one metre low.
      EXPECT_LE(got.altitude, want.feet + 1e-6);
      EXPECT_GT(got.altitude, want.feet - 3.29);
      // The area as the live weather reads it, in its own exchange.
      uint8_t area[kAircraftPositionSize];
      ASSERT_TRUE(module.Traffic().Read(kAircraftPositionOffset, area, sizeof area));
      const AircraftPosition p = DecodeAircraftPosition(area);
      EXPECT_EQ(p.latitude, got.latitude);
      EXPECT_EQ(p.longitude, got.longitude);
      EXPECT_EQ(p.altitudeFeet, got.altitude);
      module.Advance(61);
    }
  }
}

TEST(DevsimFlight, StartsWhenGivenAndGoesBackWithNone) {
  DevsimModule module;
  module.Advance(30);
  OwnPosition own = Served(module);
  EXPECT_NEAR(own.latitude, kUserLatitude, 1e-7);

  Switch(module, "--flight=0,0,1000;0,360,0,60");
  EXPECT_NEAR(Served(module).latitude, 0, 1e-7);  // the time before the switch is not flown
  module.Advance(30);
  EXPECT_NEAR(Served(module).latitude, 0.05, 1e-7);
  Switch(module, "--mode=2");  // another switch leaves the flight going
  module.Advance(30);
  EXPECT_NEAR(Served(module).latitude, 0.1, 1e-7);
  Switch(module, "--flight=0,0,1000;0,360,0,60");  // named again: from the start
  EXPECT_NEAR(Served(module).latitude, 0, 1e-7);

  Switch(module, "--flight=none");
  own = Served(module);
  EXPECT_NEAR(own.latitude, kUserLatitude, 1e-7);
  EXPECT_NEAR(own.longitude, kUserLongitude, 1e-7);
  EXPECT_NEAR(own.altitude, kUserAltitudeMetres * 3.28084, 1e-9);
}

TEST(DevsimFlight, TakesPrecedenceOverAnEncounter) {
  DevsimOptions o;
  ASSERT_TRUE(ParseDevsimOptions("--encounter=head-on --flight=40,10,9000;270,300,0,120", o));
  DevsimModule module(o);
  module.Advance(60);
  OwnPosition own = Served(module);
  const FlightPoint want = FlightAt(o.flight, 60);
  EXPECT_NEAR(own.latitude, want.latitude, 1e-7);
  EXPECT_NEAR(own.longitude, want.longitude, 1e-7);
  EXPECT_EQ(module.Traffic().AircraftCount(), 3);  // the encounter's aircraft fly on

  Switch(module, "--flight=none");  // back to the encounter's own aircraft, over Heathrow at 60 s
  own = Served(module);
  EXPECT_NEAR(own.latitude, 51.47, 0.01);
  EXPECT_NEAR(own.longitude, -0.45, 0.01);
}

}  // namespace
