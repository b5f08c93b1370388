// The five layer dialogs without their windows: which fields each has, where a field's text
// comes from when a row is edited, and how a field's text turns back into record units.
#pragma once

#include <cstddef>
#include <cstdint>

enum class FieldConversion {
  Plain,
  FeetToMetres,
  VisibilityRange,        // "10." statute miles, "8000" metres; hundredths of a mile
  Pressure,               // millibars, or inches of mercury below 100; sixteenths of a mb
  Drift,                  // millibars only, signed; sixteenths of a mb
  Temperature,            // Celsius, or Fahrenheit with a trailing "F"
  TemperatureDifference,  // the same without the 32 offset
  Direction,              // degrees true; 65536ths of a circle
  PrecipitationType,      // 0-2, or a name beginning with "R" or "S"
  Clamp,                  // 0 to clampMax, stored as typed
};

// How much of a field's text is read, as the dialogs read it.
constexpr size_t kFieldTextChars = 64;

// A field's text in record units (the low 16 bits of the result). The text is read up to its
// first character that is neither a digit nor "-"; a "." there brings in two decimals, an "F"
// there means Fahrenheit. Text without a number gives 0; nothing is refused.
uint16_t ParseField(const char* text, FieldConversion conversion, int clampMax = 0);

struct LayerField {
  int id;               // edit control
  int y;                // dialog units; label at x 7, box at x 71, 47 x 12
  const char* label;
  bool digitsOnly;      // ES_NUMBER
  int column;           // pane column (1 = first data column) it is filled from on Edit
  size_t offset;        // of the 16-bit record field it is stored in
  FieldConversion conversion;
  int clampMax;         // for Clamp
  bool lockedOnEdit;    // the altitudes that name the layer stay as they are on Edit
};

struct LayerDialog {
  const char* templateName;
  const char* caption;
  size_t recordSize;
  const LayerField* fields;  // in the order they are read on OK
  int fieldCount;
};

constexpr size_t kLayerRecordSize = 24;  // the largest editable record
constexpr int kMaxLayerFields = 10;      // the cloud dialog's
constexpr size_t kLayerCaptionSize = 128;

// Panes 0 to 4; null for the applied-wind pane and anything else.
const LayerDialog* LayerDialogOf(int pane);

// "Edit Cloud Layer", "Insert Wind Layer"; at most size - 1 characters.
void LayerDialogCaption(int pane, bool insertMode, char* out, size_t size);

// Builds the record of an OK from the field texts, given in the order of LayerDialogOf(pane):
// zeroes kLayerRecordSize bytes, writes the size word and stores every field. Returns the
// record length (0 for a pane without a dialog).
int BuildLayerRecord(int pane, const char* const* fieldTexts, uint8_t* record);

// The text a field gets from the cell of the row being edited: the cell's leading number
// ("1234ft" gives "1234", "-3C (28F)" in the temperature pane gives "-3C"), and for the cloud
// pane's precipitation column "0", "1" or "2" from the name.
void FillFieldFromRow(int pane, int column, const char* cellText, char* out, size_t size);

// The column whose feet text names a row's layer: "To" for visibility and cloud, the first
// column for temperature and wind; -1 for pressure, whose one record has no altitude.
int AltitudeColumn(int pane);

// The layer altitude a request carries for the selected row: metres from the feet text of its
// altitude cell, or kNoAltitude on the open row, for the pressure pane and for an empty cell.
uint16_t SelectedLayerAltitude(int pane, int row, int openRow, const char* altitudeCellText);

// Metres from a row's feet text (its leading decimal number), rounded as the cells were.
uint16_t RowAltitude(const char* feetText);
