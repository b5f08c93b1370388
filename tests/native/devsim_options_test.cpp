#include <gtest/gtest.h>

#include "devsim/options.h"

TEST(DevsimOptions, EmptyLineGivesTheDefaults) {
  DevsimOptions o;
  ASSERT_TRUE(ParseDevsimOptions("", o));
  ASSERT_TRUE(ParseDevsimOptions(nullptr, o));
  EXPECT_EQ(o.mode, 1);
  EXPECT_EQ(o.icao, "EGLL");
  EXPECT_EQ(o.signature, 0xFADE);
  EXPECT_EQ(o.answer, 1u);
  EXPECT_EQ(o.aircraft, 30);
  EXPECT_EQ(o.trafficSlots, -1);
  EXPECT_EQ(o.title, "devsim");
  EXPECT_FALSE(o.noModule);
  EXPECT_EQ(o.given, 0u);
}

TEST(DevsimOptions, EverySwitch) {
  DevsimOptions o;
  ASSERT_TRUE(ParseDevsimOptions(
      "--mode=3 --icao=LFPG --signature=BEEF --answer=0 --hang=2500 --no-module --aircraft=100 "
      "--traffic-slots=200 --traffic-record-size=8 --change-every=250 --log=Z:\\tmp\\d.log "
      "--title=Sim2 --empty-weather --lie-descriptors=huge",
      o));
  EXPECT_EQ(o.mode, 3);
  EXPECT_EQ(o.icao, "LFPG");
  EXPECT_EQ(o.signature, 0xBEEF);
  EXPECT_EQ(o.answer, 0u);
  EXPECT_EQ(o.hangMs, 2500u);
  EXPECT_TRUE(o.noModule);
  EXPECT_EQ(o.aircraft, 100);
  EXPECT_EQ(o.trafficSlots, 200);
  EXPECT_EQ(o.trafficRecordSize, 8);
  EXPECT_EQ(o.changeEveryMs, 250u);
  EXPECT_EQ(o.logFile, "Z:\\tmp\\d.log");
  EXPECT_EQ(o.title, "Sim2");
  EXPECT_TRUE(o.emptyWeather);
  EXPECT_EQ(o.lieDescriptors, DescriptorLie::kHuge);
  EXPECT_EQ(o.given, (1u << 15) - 1 - kGivenWeather);
}

TEST(DevsimOptions, QuotedValuesKeepTheirBlanks) {
  DevsimOptions o;
  ASSERT_TRUE(ParseDevsimOptions("  --weather=\"C:\\My Files\\grey day.txt\"   \"--title=Two words\" ", o));
  EXPECT_EQ(o.weatherFile, "C:\\My Files\\grey day.txt");
  EXPECT_EQ(o.title, "Two words");
  EXPECT_EQ(o.given, kGivenWeather | kGivenTitle);
}

TEST(DevsimOptions, ParsingOntoCurrentOptionsKeepsTheRest) {
  DevsimOptions o;
  ASSERT_TRUE(ParseDevsimOptions("--mode=2 --no-module --empty-weather", o));
  ASSERT_TRUE(ParseDevsimOptions("--answer=-1 --no-module=0", o));
  EXPECT_EQ(o.mode, 2);
  EXPECT_EQ(o.answer, 0xFFFFFFFFu);
  EXPECT_FALSE(o.noModule);
  EXPECT_TRUE(o.emptyWeather);
  EXPECT_EQ(o.given, kGivenAnswer | kGivenNoModule);
  ASSERT_TRUE(ParseDevsimOptions("--weather=a.txt", o));  // the last weather switch wins
  EXPECT_FALSE(o.emptyWeather);
  EXPECT_EQ(o.weatherFile, "a.txt");
}

TEST(DevsimOptions, RejectsWhatItDoesNotKnow) {
  const char* bad[] = {
      "--bogus",         "--mode=4",        "--mode=",          "--mode",          "--mode=1x",
      "--aircraft=101",  "--aircraft=-1",   "--signature=XYZ",  "--signature=10000",
      "--icao=ABCDE",    "--weather=",      "--hang=abc",       "mode=1",          "-mode=1",
      "--log",           "--no-module=2",   "--answer=99999999999",
      "--traffic-slots=65536", "--change-every=-5", "--lie-descriptors=", "--lie-descriptors",
      "--lie-descriptors=HUGE",
  };
  for (const char* line : bad) {
    DevsimOptions o;
    EXPECT_FALSE(ParseDevsimOptions(line, o)) << line;
  }
}
