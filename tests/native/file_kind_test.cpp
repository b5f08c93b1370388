#include "weather/files/file_kind.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(FileKind, LastDotDecidesAnywhereInThePath) {
  const struct {
    const char* path;
    int kind;
  } cases[] = {
      {"C:\\Weather\\storm.wx", kWxFileKind},
      {"C:\\Weather\\STORM.WX", kWxFileKind},
      {"C:\\My.WX.files\\a.vtd", kDataFileKind},
      {"C:\\x.wx\\file", kWxFileKind},
      {"C:\\a.wxq", kWxFileKind},
      {"C:\\a.w", kDataFileKind},
      {"C:\\a.", kDataFileKind},
      {"C:\\noext", kDataFileKind},
      {"", kDataFileKind},
      {".Wx", kWxFileKind},
      {"C:\\a.vtd.wx", kWxFileKind},
      {"C:\\a.wx.vtd", kDataFileKind},
  };
  for (const auto& c : cases) EXPECT_EQ(WeatherFileKind(c.path), c.kind) << c.path;
  EXPECT_FALSE(IsWxPath(nullptr));
}

TEST(FileDialog, NothingRememberedOpensInThePilotsFolder) {
  FileDialogSetup setup;
  PrepareFileDialog(true, "", "C:\\Sim\\Pilots", setup);
  EXPECT_STREQ(setup.title, "Save Ventrel Data (VTD/WX)");
  EXPECT_EQ(setup.filter, kDataFirstFilter);
  EXPECT_STREQ(setup.defaultExtension, "vtd");
  EXPECT_STREQ(setup.initialFolder, "C:\\Sim\\Pilots");

  PrepareFileDialog(false, nullptr, nullptr, setup);
  EXPECT_STREQ(setup.title, "Load Ventrel Data (VTD/WX)");
  EXPECT_STREQ(setup.initialFolder, "");
}

TEST(FileDialog, RememberedPathChoosesFilterExtensionAndFolder) {
  const struct {
    const char* remembered;
    const char* filter;
    const char* extension;
    const char* folder;
  } cases[] = {
      {"C:\\Weather\\storm.wx", kWxFirstFilter, "wx", "C:\\Weather"},
      {"C:\\My.WX.files\\a.vtd", kDataFirstFilter, "vtd", "C:\\My.WX.files"},
      {"C:\\x.wx\\file", kWxFirstFilter, "wx", "C:\\x.wx"},
      {"C:\\storm.wx", kWxFirstFilter, "wx", "C:\\"},
      {"storm.wx", kWxFirstFilter, "wx", "C:\\Sim\\Pilots"},  // no folder: Pilots stays
      {"\\\\server\\share\\a.vtd", kDataFirstFilter, "vtd", "\\\\server\\share"},
  };
  for (const auto& c : cases) {
    FileDialogSetup setup;
    PrepareFileDialog(false, c.remembered, "C:\\Sim\\Pilots", setup);
    EXPECT_EQ(setup.filter, c.filter) << c.remembered;
    EXPECT_STREQ(setup.defaultExtension, c.extension) << c.remembered;
    EXPECT_STREQ(setup.initialFolder, c.folder) << c.remembered;
  }
}

TEST(WeatherFilePath, LongPathsAreCutTo259Characters) {
  char path[kWeatherPathSize];
  const std::string given = "C:\\" + std::string(300, 'a') + ".wx";
  SetWeatherFilePath(path, given.c_str());
  EXPECT_EQ(std::strlen(path), 259u);
  EXPECT_EQ(std::string(path), given.substr(0, 259));

  // A full 259-character path still yields its folder and kind.
  const std::string full = "C:\\" + std::string(200, 'f') + "\\" + std::string(52, 'n') + ".wx";
  ASSERT_EQ(full.size(), 259u);
  SetWeatherFilePath(path, full.c_str());
  EXPECT_EQ(WeatherFileKind(path), kWxFileKind);
  FileDialogSetup setup;
  PrepareFileDialog(true, path, "", setup);
  EXPECT_EQ(std::string(setup.initialFolder), full.substr(0, 203));
  SetWeatherFilePath(path, nullptr);
  EXPECT_STREQ(path, "");
}

}  // namespace
