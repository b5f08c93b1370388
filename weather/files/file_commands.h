// The data file's load and save, and the .WX save, as the File menu runs them. The window
// supplies the file system, the batch to the simulator and its reactions; the path is the
// one ChooseWeatherFile settled on.
#pragma once

#include "link/request_block.h"
#include "weather/files/file_system.h"
#include "weather/snapshot.h"

// Texts for the error box.
constexpr const char kDialogErrorText[] = "opening VTD dialogue";
constexpr const char kOpeningDataFileText[] = "opening VTD file!";
constexpr const char kCreatingDataFileText[] = "creating VTD file!";
constexpr const char kOpeningWxFileText[] = "opening WX file!";
constexpr const char kCreatingWxFileText[] = "creating WX file!";
constexpr const char kDataFileTooLargeText[] = "VTD file too large to send!";
constexpr const char kWxEntryTooLargeText[] = "WX entry too large to send!";
constexpr const char kTableTooLongText[] = "table too long for a VTD file!";

// The window's side of a file command.
class FileReactions {
 public:
  virtual ~FileReactions() = default;
  virtual void ShowError(int code, const char* text) = 0;  // the program's one error box
  virtual void Beep() = 0;                                 // MB_ICONEXCLAMATION
  virtual void GrayFindAirport() = 0;                      // grey 40011
  virtual void OfferFindAirport() = 0;  // enable 40011 when the airport table is loaded
  // RefreshWeather with force = true; the busy flag has been cleared already.
  virtual void RefreshShown() = 0;
  virtual void ActivateCurrentPane() = 0;
};

struct FileContext {
  WeatherFileSystem& files;
  WeatherState& weather;
  IpcBatch& batch;
  FileReactions& view;
};

// Loads the data file at path: into the simulator (set: clear all, then SetTable per table,
// one exchange, its result ignored) or into the snapshot for the panes (show). False only when
// the file cannot be opened or read (after the error box): nothing is sent and the snapshot
// stays then. A damaged file (a tag or block that is not right, a file cut short) ends the load
// early and quietly. A set load too large for one batch sends nothing and shows an error.
bool LoadDataFile(FileContext& context, const char* path, bool setInSimulator);

// The set load of a data-file image, the one way tables go into the simulator from a file or
// a report: clear all, then SetTable per table, one exchange (its result ignored). An image too
// large for one batch sends nothing and shows an error; false then.
bool SetDataFileImage(FileContext& context, const uint8_t* bytes, size_t size);

// Writes tables 1 to 5 of the snapshot to path, safely: the old file stays whole unless the
// new one was written completely. Shows "creating VTD file!" when that failed.
void SaveDataFile(FileContext& context, const char* path);

// Writes the snapshot as the first entry of the .WX file at path and keeps the station entries
// of the file already there byte for byte. Shows "creating WX file!" when that failed, and
// also, leaving the file as it is, when a file is there whose station entries cannot all be
// read (it cannot be opened, or a read error).
void SaveWxFile(FileContext& context, const char* path);
