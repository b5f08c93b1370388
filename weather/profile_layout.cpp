#include "weather/profile_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "weather/units.h"

namespace pc = profile_colours;

namespace {

constexpr double kPi = 3.14159265358979;

// A label's text; fixed size, so that building the labels can never throw.
struct LabelText {
  char text[kPictureTextSize];
  explicit LabelText(const char* t) {
    std::strncpy(text, t, sizeof text - 1);
    text[sizeof text - 1] = 0;
  }
  const char* c_str() const { return text; }
};

template <typename Layer, typename Decode>
std::vector<Layer> Decoded(const WeatherSnapshot& s, int table, size_t least, Decode decode) {
  const TableRecords records = RecordsOf(s.Table(table), least);
  // A table that claims thousands of layers (a module that lies) is drawn in part rather
  // than slowing every repaint down.
  const int count = std::min(records.count, kProfileMostLayersPerTable);
  std::vector<Layer> out;
  out.reserve(size_t(count));
  for (int i = 0; i < count; ++i) out.push_back(decode(records.Record(i)));
  return out;
}

double Feet(int metres) {
  return FeetFromMetres(metres < kProfileHighestScaleMetres ? metres : kProfileHighestScaleMetres);
}

int TopFeetFor(const ProfileInput& in) {
  int highest = 0;
  auto see = [&highest](int metres) {
    if (metres < kProfileHighestScaleMetres) highest = std::max(highest, metres);
  };
  for (const auto& v : in.visibility) see(v.upperAltitude);
  for (const auto& t : in.temperatures) see(t.altitude);
  for (const auto& w : in.winds) see(w.upperAltitude);
  for (const auto& c : in.clouds) see(c.upperAltitude + c.deviation);
  for (const auto& c : in.targetClouds) see(c.upperAltitude);
  for (const auto& a : in.applied) see(a.upperAltitude);
  const int feet = int(std::ceil(FeetFromMetres(highest) / 5000.0)) * 5000;
  return std::max(feet, kProfileLeastTopFeet);
}

// The smallest step whose ticks stand at least two text lines apart.
int TickStep(const int* steps, int count, double pixelsPerUnit, int least) {
  for (int i = 0; i < count; ++i)
    if (steps[i] * pixelsPerUnit >= least) return steps[i];
  return steps[count - 1];
}

class ProfileBuilder {
 public:
  ProfileBuilder(const ProfileInput& in, ProfileLayout& out, const TextSize& text)
      : in_(in), out_(out), pic_(out.picture), text_(text) {}

  void Scales();
  void Visibility();
  void Clouds();
  void Winds();
  void Temperatures();

 private:
  void Label(const Box& column, const std::vector<int>& ys, const std::vector<LabelText>& texts,
             TextAnchor anchor, Colour colour);
  void Arrow(int x, int y, double towardDegrees, Colour colour);

  const ProfileInput& in_;
  ProfileLayout& out_;
  Picture& pic_;
  TextSize text_;
};

void ProfileBuilder::Scales() {
  const Box& p = out_.plot;
  const double perFoot = double(p.Height()) / out_.topFeet;
  static const int kFeetSteps[] = {1000, 2000, 5000, 10000, 20000, 50000};
  static const int kMetreSteps[] = {500, 1000, 2000, 5000, 10000, 20000};
  const int feetStep = TickStep(kFeetSteps, 6, perFoot, 2 * text_.height);
  for (int f = 0; f <= out_.topFeet; f += feetStep) {
    const int y = out_.YOfFeet(f);
    pic_.Line(p.left, y, p.right, y, pc::kGrid);
    pic_.Line(p.left - 5, y, p.left, y, pc::kFrame);
    char label[16];
    std::snprintf(label, sizeof label, "%dft", f);
    pic_.Text(p.left - 7, y, label, pc::kText, TextAnchor::kRight);
  }
  const int metreStep = TickStep(kMetreSteps, 6, perFoot * kFeetPerMetre, 2 * text_.height);
  for (int m = 0; FeetFromMetres(m) <= out_.topFeet; m += metreStep) {
    const int y = out_.YOfFeet(FeetFromMetres(m));
    pic_.Line(p.right, y, p.right + 5, y, pc::kFrame);
    char label[16];
    std::snprintf(label, sizeof label, "%dm", m);
    pic_.Text(p.right + 7, y, label, pc::kText, TextAnchor::kLeft);
  }
  const Box* columns[] = {&out_.visibilityColumn, &out_.cloudColumn, &out_.windColumn,
                          &out_.appliedColumn, &out_.temperatureColumn};
  const char* titles[] = {"Visibility", "Clouds", "Winds set", "Applied", "Temp/Dew"};
  for (int i = 0; i < 5; ++i) {
    const Box& c = *columns[i];
    if (i > 0) pic_.Line(c.left, p.top, c.left, p.bottom, pc::kFrame);
    const size_t fits = size_t(c.Width() / text_.charWidth);
    char title[16];
    std::snprintf(title, std::min(sizeof title, fits + 1), "%s", titles[i]);
    pic_.Text((c.left + c.right) / 2, p.top - text_.height / 2 - 2, title, pc::kText,
              TextAnchor::kCentre);
  }
}

// Labels in a column, spread so that none overlaps the next.
void ProfileBuilder::Label(const Box& column, const std::vector<int>& ys,
                           const std::vector<LabelText>& texts, TextAnchor anchor, Colour colour) {
  const std::vector<int> at = SpreadLabels(ys, text_.height, out_.plot.top, out_.plot.bottom);
  const int x = anchor == TextAnchor::kRight ? column.right - 3 : column.left + 3;
  for (size_t i = 0; i < at.size(); ++i)
    if (at[i] >= 0) pic_.Text(x, at[i], texts[i].c_str(), colour, anchor);
}

void ProfileBuilder::Visibility() {
  const Box& c = out_.visibilityColumn;
  std::vector<int> ys;
  std::vector<LabelText> texts;
  for (const VisibilityLayer& v : in_.visibility) {
    const int top = out_.YOfFeet(Feet(v.upperAltitude));
    const int base = out_.YOfFeet(Feet(v.lowerAltitude));
    if (base <= top) continue;
    // Ten miles and more is clear air; the band darkens toward fog.
    const double haze = 1.0 - std::min(int(v.range), 1000) / 1000.0;
    pic_.Fill({c.left + 2, top, c.right - 2, base}, Blend(pc::kSky, pc::kHaze, 0.15 + 0.7 * haze));
    pic_.Line(c.left + 2, top, c.right - 2, top, pc::kFrame);
    char label[16];
    std::snprintf(label, sizeof label, "%.1fsm", RangeTenths(v.range) / 10.0);
    ys.push_back((top + base) / 2);
    texts.emplace_back(label);
  }
  Label(c, ys, texts, TextAnchor::kLeft, pc::kText);
}

void ProfileBuilder::Clouds() {
  Box c = out_.cloudColumn;
  // A transition's target takes the column's right third, faint: where the clouds are going.
  if (in_.hasTarget) {
    const int split = c.left + c.Width() * 2 / 3;
    for (const CloudLayer& cl : in_.targetClouds) {
      const int top = out_.YOfFeet(Feet(cl.upperAltitude));
      const int base = out_.YOfFeet(Feet(cl.lowerAltitude));
      CloudBand band;
      band.colour = Blend(pc::kSky, Blend(pc::kCloudLight, pc::kCloudDark,
                                          std::min(int(cl.cover), 8) / 8.0), 0.4);
      if (base > top) band.box = {split + 2, top, c.right - 4, base};
      out_.targetBands.push_back(band);
      if (band.box.Height() <= 0) continue;
      pic_.Fill(band.box, band.colour);
      pic_.Frame(band.box, pc::kTargetFrame);
    }
    c.right = split;
  }
  std::vector<int> ys;
  std::vector<LabelText> texts;
  for (const CloudLayer& cl : in_.clouds) {
    const int top = out_.YOfFeet(Feet(cl.upperAltitude));
    const int base = out_.YOfFeet(Feet(cl.lowerAltitude));
    const int cover = std::min(int(cl.cover), 8);
    CloudBand band;
    band.colour = Blend(pc::kCloudLight, pc::kCloudDark, cover / 8.0);
    if (base > top) band.box = {c.left + 4, top, c.right - 4, base};
    out_.cloudBands.push_back(band);
    if (band.box.Height() <= 0) continue;
    // The deviation as a soft edge above the top and below the base.
    const int dev = int(cl.deviation);
    const Colour soft = Blend(pc::kSky, band.colour, 0.45);
    const int above = out_.YOfFeet(Feet(cl.upperAltitude + dev));
    const int below = out_.YOfFeet(Feet(cl.lowerAltitude > dev ? cl.lowerAltitude - dev : 0));
    pic_.Fill({band.box.left, above, band.box.right, top}, soft);
    pic_.Fill({band.box.left, base, band.box.right, below}, soft);
    pic_.Fill(band.box, band.colour);
    pic_.Frame(band.box, pc::kFrame);
    if (cl.precipitationType != 0 && cl.precipitationBase < cl.lowerAltitude) {
      const int floor = out_.YOfFeet(Feet(cl.precipitationBase));
      const Colour rain = cl.precipitationType == 2 ? pc::kSnow : pc::kRain;
      const int inset = band.box.Width() / 6;
      pic_.Hatch({band.box.left + inset, base, band.box.right - inset, floor}, rain);
    }
    if (ConvectiveCloud(cl.cloudType)) {
      const int x = band.box.left + 12;
      const int h = std::min(10, band.box.Height() + 4);
      pic_.Triangle(x - 6, top, x + 6, top, x, top - h, pc::kCloudDark);
    }
    char label[32];
    std::snprintf(label, sizeof label, "%d/8 %s%.0f-%.0fft", cover,
                  cl.cloudType == 10 ? "Cb " : cl.cloudType == 9 ? "Cu " : "", FeetFromMetres(cl.lowerAltitude),
                  FeetFromMetres(cl.upperAltitude));
    ys.push_back((top + base) / 2);
    texts.emplace_back(label);
  }
  Label(c, ys, texts, TextAnchor::kRight, pc::kText);
}

// A short arrow pointing where the wind blows, north up.
void ProfileBuilder::Arrow(int x, int y, double towardDegrees, Colour colour) {
  const double a = towardDegrees * kPi / 180.0;
  const double dx = std::sin(a), dy = -std::cos(a);
  const int r = std::max(4, std::min(9, text_.height * 2 / 3));
  const int hx = x + RoundToInt(dx * r), hy = y + RoundToInt(dy * r);
  pic_.Line(x - RoundToInt(dx * r), y - RoundToInt(dy * r), hx, hy, colour, 2);
  pic_.Triangle(hx + RoundToInt(dx * 4), hy + RoundToInt(dy * 4), hx + RoundToInt(dy * 3),
                hy - RoundToInt(dx * 3), hx - RoundToInt(dy * 3), hy + RoundToInt(dx * 3), colour);
}

void ProfileBuilder::Winds() {
  struct Column {
    const Box& box;
    Colour colour;
    std::vector<int> ys;
    std::vector<double> toward;
    std::vector<LabelText> texts;
  };
  Column set{out_.windColumn, pc::kWindSet, {}, {}, {}};
  Column applied{out_.appliedColumn, pc::kWindApplied, {}, {}, {}};
  // A wind layer reaches from the one below it (the ground for the first) to its upper altitude.
  int lower = 0;
  for (const WindLayer& w : in_.winds) {
    const double degrees = DegreesFromDirection(w.direction);
    char label[24];
    std::snprintf(label, sizeof label, "%03.0f/%dkt", degrees, int(w.speed));
    set.ys.push_back(out_.YOfFeet((Feet(lower) + Feet(w.upperAltitude)) / 2));
    set.toward.push_back(degrees + 180.0);
    set.texts.emplace_back(label);
    pic_.DashLine(set.box.left, out_.YOfFeet(Feet(w.upperAltitude)), set.box.right,
                  out_.YOfFeet(Feet(w.upperAltitude)), pc::kFrame);
    lower = w.upperAltitude;
  }
  lower = 0;
  for (const AppliedWindLayer& w : in_.applied) {
    double degrees = std::isfinite(w.appliedDirection) ? std::fmod(w.appliedDirection, 360.0) : 0;
    if (degrees < 0) degrees += 360.0;
    const double speed = std::isfinite(w.appliedSpeed) ? w.appliedSpeed : 0;
    char label[24];
    std::snprintf(label, sizeof label, "%03.0f/%.0fkt", degrees,
                  std::min(std::fabs(speed), 9999.0));
    applied.ys.push_back(out_.YOfFeet((Feet(lower) + Feet(w.upperAltitude)) / 2));
    applied.toward.push_back(degrees + 180.0);
    applied.texts.emplace_back(label);
    lower = w.upperAltitude;
  }
  for (Column* c : {&set, &applied}) {
    const std::vector<int> at =
        SpreadLabels(c->ys, text_.height + 4, out_.plot.top, out_.plot.bottom);
    const int arrowX = c->box.left + 13;
    for (size_t i = 0; i < at.size(); ++i) {
      if (at[i] < 0) continue;
      Arrow(arrowX, at[i], c->toward[i], c->colour);
      pic_.Text(arrowX + 13, at[i], c->texts[i].c_str(), c->colour, TextAnchor::kLeft);
    }
  }
}

void ProfileBuilder::Temperatures() {
  std::vector<TemperatureLayer> t = in_.temperatures;
  std::stable_sort(t.begin(), t.end(), [](const TemperatureLayer& a, const TemperatureLayer& b) {
    return a.altitude < b.altitude;
  });
  const Box& c = out_.temperatureColumn;
  const int step = out_.warmestCelsius - out_.coldestCelsius > 60 ? 20 : 10;
  for (int deg = out_.coldestCelsius; deg <= out_.warmestCelsius; deg += step) {
    const int x = out_.XOfCelsius(deg);
    if (deg == 0) pic_.DashLine(x, out_.plot.top, x, out_.plot.bottom, pc::kFreezing);
    pic_.Line(x, out_.plot.bottom, x, out_.plot.bottom + 4, pc::kFrame);
    char label[8];
    std::snprintf(label, sizeof label, "%d", deg);
    pic_.Text(x, out_.plot.bottom + 4 + text_.height / 2, label, pc::kText, TextAnchor::kCentre);
  }
  pic_.Text(c.right - 2, out_.plot.bottom + 4 + text_.height * 3 / 2,
            "\xB0"
            "C",
            pc::kText, TextAnchor::kRight);
  for (size_t i = 1; i < t.size(); ++i) {
    const int y0 = out_.YOfFeet(Feet(t[i - 1].altitude)), y1 = out_.YOfFeet(Feet(t[i].altitude));
    pic_.Line(out_.XOfCelsius(t[i - 1].dewPoint), y0, out_.XOfCelsius(t[i].dewPoint), y1,
              pc::kDewPoint, 2);
    pic_.Line(out_.XOfCelsius(t[i - 1].dayTemperature), y0, out_.XOfCelsius(t[i].dayTemperature),
              y1, pc::kTemperature, 2);
  }
  for (const TemperatureLayer& layer : t) {
    const int y = out_.YOfFeet(Feet(layer.altitude));
    const int x = out_.XOfCelsius(layer.dayTemperature);
    pic_.Fill({x - 2, y - 2, x + 3, y + 3}, pc::kTemperature);
  }
  // The 0 degree level: where the temperature first falls to 0 going up.
  double freezing = -1;
  if (!t.empty() && t[0].dayTemperature <= 0) freezing = Feet(t[0].altitude);
  for (size_t i = 1; i < t.size() && freezing < 0; ++i) {
    const double a = t[i - 1].dayTemperature, b = t[i].dayTemperature;
    if (a > 0 && b <= 0) {
      const double lowFeet = Feet(t[i - 1].altitude), highFeet = Feet(t[i].altitude);
      freezing = lowFeet + (highFeet - lowFeet) * a / (a - b);
    }
  }
  if (freezing < 0 || freezing > out_.topFeet) return;
  out_.freezingFeet = RoundToInt(freezing);
  out_.freezingY = out_.YOfFeet(freezing);
  pic_.DashLine(out_.plot.left, out_.freezingY, out_.plot.right, out_.freezingY, pc::kFreezing);
  char label[24];
  std::snprintf(label, sizeof label,
                "0\xB0"
                "C %dft",
                out_.freezingFeet);
  pic_.Text(c.right - 3, out_.freezingY - text_.height / 2 - 1, label, pc::kFreezing,
            TextAnchor::kRight);
}

void TemperatureRange(const ProfileInput& in, ProfileLayout& out) {
  int lo = 0, hi = 0;
  for (const TemperatureLayer& t : in.temperatures) {
    lo = std::min({lo, int(t.dayTemperature), int(t.dewPoint)});
    hi = std::max({hi, int(t.dayTemperature), int(t.dewPoint)});
  }
  out.coldestCelsius = int(std::floor(lo / 10.0)) * 10;
  out.warmestCelsius = int(std::ceil(hi / 10.0)) * 10;
  if (out.warmestCelsius - out.coldestCelsius < 20) out.coldestCelsius = out.warmestCelsius - 20;
}

}  // namespace

ProfileInput ProfileInputFrom(const WeatherSnapshot& s) {
  ProfileInput in;
  in.visibility =
      Decoded<VisibilityLayer>(s, kVisibilityTable, kVisibilityLayerSize, DecodeVisibility);
  in.temperatures =
      Decoded<TemperatureLayer>(s, kTemperatureTable, kTemperatureLayerSize, DecodeTemperature);
  in.winds = Decoded<WindLayer>(s, kWindTable, kWindLayerSize, DecodeWind);
  in.clouds = Decoded<CloudLayer>(s, kCloudTable, kCloudLayerSize, DecodeCloud);
  in.applied =
      Decoded<AppliedWindLayer>(s, kAppliedWindTable, kAppliedWindLayerMinSize, DecodeAppliedWind);
  return in;
}

void ProfileTargetFrom(const uint8_t* bytes, size_t size, ProfileInput& in) {
  in.hasTarget = true;
  in.targetClouds.clear();
  if (!bytes || size < kCloudLayerSize || GetU16(bytes) != kCloudLayerSize) return;
  size_t count = size / kCloudLayerSize;
  const size_t claimed = size_t(GetU16(bytes + 2)) + 1;
  if (claimed < count) count = claimed;
  if (count > size_t(kProfileMostLayersPerTable)) count = size_t(kProfileMostLayersPerTable);
  for (size_t i = 0; i < count; ++i)
    in.targetClouds.push_back(DecodeCloud(bytes + i * kCloudLayerSize));
}

bool ConvectiveCloud(int cloudType) { return cloudType == 9 || cloudType == 10; }

int ProfileLayout::YOfFeet(double feet) const {
  if (feet > topFeet) feet = topFeet;
  if (feet < 0) feet = 0;
  return plot.bottom - RoundToInt(feet * plot.Height() / topFeet);
}

int ProfileLayout::XOfCelsius(double celsius) const {
  const Box& c = temperatureColumn;
  const int span = warmestCelsius - coldestCelsius;
  return c.left + 6 + RoundToInt((celsius - coldestCelsius) * (c.Width() - 12) / span);
}

ProfileLayout LayoutProfile(const ProfileInput& input, int width, int height,
                            const TextSize& text) {
  ProfileLayout out;
  out.picture.width = width > 0 ? width : 0;
  out.picture.height = height > 0 ? height : 0;
  out.picture.background = pc::kSky;
  out.topFeet = TopFeetFor(input);
  const int left = 8 * text.charWidth + 8;
  const int right = 7 * text.charWidth + 8;
  out.plot = {left, 2 * text.height, width - right, height - 3 * text.height};
  if (text.height <= 0 || text.charWidth <= 0 || out.plot.Height() < 8 * text.height ||
      out.plot.Width() < 48 * text.charWidth) {
    out.tooSmall = true;
    out.plot = Box();
    const char notice[] = "Too small to draw";
    if (width >= int(sizeof notice) * text.charWidth && height >= text.height)
      out.picture.Text(width / 2, height / 2, notice, pc::kText, TextAnchor::kCentre);
    return out;
  }
  const Box& p = out.plot;
  const int w = p.Width();
  const int x1 = p.left + w * 14 / 100, x2 = x1 + w * 36 / 100, x3 = x2 + w * 16 / 100,
            x4 = x3 + w * 14 / 100;
  out.visibilityColumn = {p.left, p.top, x1, p.bottom};
  out.cloudColumn = {x1, p.top, x2, p.bottom};
  out.windColumn = {x2, p.top, x3, p.bottom};
  out.appliedColumn = {x3, p.top, x4, p.bottom};
  out.temperatureColumn = {x4, p.top, p.right, p.bottom};
  TemperatureRange(input, out);
  out.picture.items.reserve(64 +
                            12 * (input.clouds.size() + input.winds.size() + input.applied.size() +
                                  input.visibility.size() + input.temperatures.size()));
  ProfileBuilder builder(input, out, text);
  builder.Scales();
  builder.Visibility();
  builder.Clouds();
  builder.Winds();
  builder.Temperatures();
  out.picture.Frame({p.left, p.top, p.right + 1, p.bottom + 1}, pc::kFrame);
  return out;
}
