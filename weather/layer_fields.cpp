#include "weather/layer_fields.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "link/request_block.h"
#include "weather/records.h"
#include "weather/units.h"

namespace {

using FC = FieldConversion;

const LayerField visibilityFields[] = {
    {1016, 7, "Lower altitude (ft)", true, 1, 6, FC::FeetToMetres, 0, true},
    {1018, 26, "Upper altitude (ft)", true, 2, 4, FC::FeetToMetres, 0, true},
    {1017, 45, "Range (m or sm.nn)", false, 3, 8, FC::VisibilityRange, 0, false},
};
// Drift is read in millibars: as a pressure entry every realistic drift (below 100) would be
// taken for inches of mercury.
const LayerField pressureFields[] = {
    {1017, 7, "QNH (mb or in.nn)", false, 1, 4, FC::Pressure, 0, false},
    {1019, 26, "Drift (mb or in.nn)", false, 2, 6, FC::Drift, 0, false},
};
const LayerField temperatureFields[] = {
    {1021, 7, "Altitude (ft)", true, 1, 4, FC::FeetToMetres, 0, true},
    {1022, 26, "Day (C or F)", false, 2, 6, FC::Temperature, 0, false},
    {1018, 45, "Day/night var", false, 3, 8, FC::TemperatureDifference, 0, false},
    {1020, 64, "Dew Point", false, 4, 10, FC::Temperature, 0, false},
};
const LayerField windFields[] = {
    {1024, 7, "Upper Altitude (ft)", true, 1, 4, FC::FeetToMetres, 0, true},
    {1025, 28, "Windspeed (knots)", true, 2, 6, FC::Plain, 0, false},
    {1026, 47, "Direction (True)", true, 3, 10, FC::Direction, 0, false},
    {1027, 66, "Gusting to (knots)", true, 4, 8, FC::Plain, 0, false},
    {1028, 85, "Turbulence (0-4)", true, 5, 12, FC::Clamp, 4, false},
    {1029, 104, "Wind shear (0-3)", true, 6, 14, FC::Clamp, 3, false},
};
const LayerField cloudFields[] = {
    {1034, 7, "Lower Altitude (ft)", true, 1, 6, FC::FeetToMetres, 0, true},
    {1035, 28, "Upper Altitude (ft)", true, 2, 4, FC::FeetToMetres, 0, true},
    {1036, 47, "Deviation (ft)", true, 3, 8, FC::FeetToMetres, 0, false},
    {1037, 66, "Cover (0-8)", true, 4, 10, FC::Clamp, 8, false},
    {1038, 85, "Cloud type (1-10)", true, 5, 12, FC::Clamp, 10, false},
    {1039, 104, "Turbulence (0-4)", true, 6, 14, FC::Clamp, 4, false},
    {1030, 123, "Icing (0-4)", true, 7, 16, FC::Clamp, 4, false},
    {1031, 142, "Precipitation (0-2)", true, 8, 20, FC::PrecipitationType, 0, false},
    {1032, 161, "Precip rate (0-5)", true, 9, 22, FC::Clamp, 5, false},
    {1033, 180, "Precip base (ft)", true, 10, 18, FC::FeetToMetres, 0, false},
};

const LayerDialog dialogs[] = {
    {"VISEDIT", "Visibility Layer", kVisibilityLayerSize, visibilityFields, 3},
    {"PRSEDIT", "Pressure (QNH) Settings", kPressureRecordSize, pressureFields, 2},
    {"TMPEDIT", "Temperature Layer", kTemperatureLayerSize, temperatureFields, 4},
    {"WNDEDIT", "Wind Layer", kWindLayerSize, windFields, 6},
    {"CLDEDIT", "Cloud Layer", kCloudLayerSize, cloudFields, 10},
};

constexpr int kPrecipitationColumn = 8;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// A field's text read up to its stop character: the first that is neither a digit nor "-".
struct FieldNumber {
  long long value = 0;  // optional sign and digits of the cut text, within the int range
  char stop = 0;
  int hundredths = 0;   // the two decimals after a "." stop, signed like the text
};

FieldNumber ReadFieldNumber(const char* text) {
  char buffer[kFieldTextChars + 1];
  snprintf(buffer, sizeof buffer, "%s", text ? text : "");
  FieldNumber n;
  const char* p = buffer;
  while (IsDigit(*p) || *p == '-') ++p;
  n.stop = *p;
  const char* end = p;

  const char* q = buffer;
  bool negative = false;
  if (q < end && *q == '-') {
    negative = true;
    ++q;
  }
  for (; q < end && IsDigit(*q); ++q) {
    n.value = n.value * 10 + (*q - '0');
    if (n.value > INT_MAX + 1LL) n.value = INT_MAX + 1LL;  // saturate, never overflow
  }
  if (negative) n.value = -n.value;
  if (n.value > INT_MAX) n.value = INT_MAX;

  if (n.stop == '.') {
    // Tenths and hundredths, each only when it is a digit; never past the end of the text.
    const char* d = end + 1;
    if (IsDigit(d[0])) n.hundredths += 10 * (d[0] - '0');
    if (d[0] != 0 && IsDigit(d[1])) n.hundredths += d[1] - '0';
    if (buffer[0] == '-') n.hundredths = -n.hundredths;
  }
  return n;
}

long long Truncate(double x) { return static_cast<long long>(x); }

// Hundredths of a millibar or inch as typed: whole part and, after a ".", two decimals.
long long TypedHundredths(const FieldNumber& n) { return n.value * 100 + n.hundredths; }

long long Convert(const char* text, FieldConversion conversion, int clampMax) {
  FieldNumber n = ReadFieldNumber(text);
  long long value = n.value;
  switch (conversion) {
    case FC::Plain:
      return value;
    case FC::Clamp:
      return value > clampMax ? clampMax : value < 0 ? 0 : value;
    case FC::FeetToMetres:
      return Truncate(value / kFeetPerMetre + 0.5);
    case FC::VisibilityRange: {
      if (value < 0) value = 0;
      long long hundredths = n.stop == '.' ? value * 100 + n.hundredths
                                           : Truncate(value * kFeetPerMetre / 52.8 + 0.5);
      // "-0.5" would otherwise give a negative range, stored as some 650 miles.
      return hundredths < 0 ? 0 : hundredths;
    }
    case FC::Pressure: {
      long long h = TypedHundredths(n);
      if (h < 10000) h = Truncate(h * 1013.2 / 29.92 + 0.5);  // inches of mercury
      return h * 16 / 100;
    }
    case FC::Drift:
      return TypedHundredths(n) * 16 / 100;
    case FC::Temperature:
      return Upper(n.stop) == 'F' ? Truncate((value - 32) * 5 / 9.0 + 0.5) : value;
    case FC::TemperatureDifference:
      return Upper(n.stop) == 'F' ? Truncate(value * 5 / 9.0 + 0.5) : value;
    case FC::Direction:
      value %= 360;
      if (value < 0) value += 360;
      return value * 65536 / 360;
    case FC::PrecipitationType: {
      value = value > 2 ? 2 : value < 0 ? 0 : value;
      const char first = text ? text[0] : 0;
      if (value == 0 && !IsDigit(first)) {
        if (Upper(first) == 'S') return 2;
        if (Upper(first) == 'R') return 1;
      }
      return value;
    }
  }
  return 0;
}

}  // namespace

uint16_t ParseField(const char* text, FieldConversion conversion, int clampMax) {
  return static_cast<uint16_t>(Convert(text, conversion, clampMax) & 0xFFFF);
}

const LayerDialog* LayerDialogOf(int pane) {
  return pane >= 0 && pane < 5 ? &dialogs[pane] : nullptr;
}

void LayerDialogCaption(int pane, bool insertMode, char* out, size_t size) {
  if (size == 0) return;
  const LayerDialog* d = LayerDialogOf(pane);
  snprintf(out, size, "%s%s", insertMode ? "Insert " : "Edit ", d ? d->caption : "");
}

int BuildLayerRecord(int pane, const char* const* fieldTexts, uint8_t* record) {
  memset(record, 0, kLayerRecordSize);
  const LayerDialog* d = LayerDialogOf(pane);
  if (!d) return 0;
  PutU16(record, uint16_t(d->recordSize));  // following stays 0: a record sent alone
  for (int i = 0; i < d->fieldCount; ++i) {
    const LayerField& f = d->fields[i];
    PutU16(record + f.offset, ParseField(fieldTexts[i], f.conversion, f.clampMax));
  }
  return int(int16_t(GetU16(record)));
}

void FillFieldFromRow(int pane, int column, const char* cellText, char* out, size_t size) {
  if (size == 0) return;
  char cell[64];
  snprintf(cell, sizeof cell, "%s", cellText ? cellText : "");
  if (pane == 4 && column == kPrecipitationColumn) {
    snprintf(out, size, "%s", cell[0] == 'S' ? "2" : cell[0] == 'R' ? "1" : "0");
    return;
  }
  size_t n = 0;
  while (IsDigit(cell[n]) || cell[n] == '.' || cell[n] == '-') ++n;
  if (pane == 2 && cell[n] == 'C') ++n;  // keeps "-3C" Celsius when read back
  cell[n] = 0;
  snprintf(out, size, "%s", cell);
}

int AltitudeColumn(int pane) {
  switch (pane) {
    case 0:
    case 4: return 2;
    case 2:
    case 3: return 1;
    default: return -1;
  }
}

uint16_t RowAltitude(const char* feetText) {
  const char* p = feetText ? feetText : "";
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  double feet = 0;
  for (; IsDigit(*p); ++p) feet = feet * 10 + (*p - '0');
  if (*p == '.') {
    double scale = 0.1;
    for (++p; IsDigit(*p); ++p, scale /= 10) feet += (*p - '0') * scale;
  }
  if (negative) feet = -feet;
  // Cells show whole metres, so this only pulls a hand-made text into the 16-bit field.
  if (feet < 0) feet = 0;
  if (feet > 65535 * kFeetPerMetre) feet = 65535 * kFeetPerMetre;
  return static_cast<uint16_t>(MetresFromRowFeet(feet));
}

uint16_t SelectedLayerAltitude(int pane, int row, int openRow, const char* altitudeCellText) {
  if (row < 0 || row >= openRow || AltitudeColumn(pane) < 0) return kNoAltitude;
  if (!altitudeCellText || !altitudeCellText[0]) return kNoAltitude;
  return RowAltitude(altitudeCellText);
}
