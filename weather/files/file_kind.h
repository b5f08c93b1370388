// The weather file path, the rule that tells a .WX file from a data file, and what the open
// and save dialogs start with.
#pragma once

#include <cstddef>

// A weather file path: at most 259 characters and the terminator.
constexpr size_t kWeatherPathSize = 260;

constexpr int kDataFileKind = 1;
constexpr int kWxFileKind = -1;

// A .WX path when the text from its last "." (anywhere in the path, folders included) begins
// with ".WX", in any case; every other path, one without a "." too, is a data file.
bool IsWxPath(const char* path);
int WeatherFileKind(const char* path);  // kDataFileKind or kWxFileKind

// Copies at most 259 characters of a given path (the command line) into the path buffer.
void SetWeatherFilePath(char (&weatherFilePath)[kWeatherPathSize], const char* given);

// The folder part of a path: everything before its last "\", with the "\" kept after a bare
// drive ("C:\"). False, out empty, when the path holds no "\".
bool FolderOfPath(const char* path, char* out, size_t size);

// Texts of the two dialogs.
constexpr const char kSaveDialogTitle[] = "Save Ventrel Data (VTD/WX)";
constexpr const char kLoadDialogTitle[] = "Load Ventrel Data (VTD/WX)";
// Filter lists for the common dialog: zero-terminated pairs, ended by the literal's own
// terminator. The first pair is the one selected.
inline constexpr char kDataFirstFilter[] =
    "Ventrel Data Files (*.VTD)\0*.VTD\0FS2000 Weather Files (*.WX)\0*.WX\0";
inline constexpr char kWxFirstFilter[] =
    "FS2000 Weather Files (*.WX)\0*.WX\0Ventrel Data Files (*.VTD)\0*.VTD\0";

struct FileDialogSetup {
  const char* title = kLoadDialogTitle;
  const char* filter = kDataFirstFilter;
  const char* defaultExtension = "vtd";
  char initialFolder[kWeatherPathSize] = "";  // empty: none
};

// The dialog's title, filters, default extension and initial folder. pilotsFolder is the
// "\Pilots" folder under the simulator (null or empty when it was not found);
// rememberedPath the path kept in the settings (null or empty when there is none). A
// remembered .WX path selects the .WX filter and "wx"; its folder replaces the Pilots folder.
// A remembered path without any "\" names no folder, and the Pilots folder stays.
void PrepareFileDialog(bool forSave, const char* rememberedPath, const char* pilotsFolder,
                       FileDialogSetup& setup);
