#include "weather/command_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(StartupFileNameTest, QuotedAndPlainNames) {
  struct Case {
    const char* tail;
    const char* name;  // null: no name
  } cases[] = {
      {"\"C:\\My Weather\\storm.vtd\" -x more", "C:\\My Weather\\storm.vtd"},
      {"\"C:\\open ended.wx", "C:\\open ended.wx"},
      {"C:\\wx\\calm.vtd extra words", "C:\\wx\\calm.vtd"},
      {"C:\\wx\\calm.vtd\tx", "C:\\wx\\calm.vtd"},
      {"C:\\m\xe9t\xe9o.vtd", "C:\\m\xe9t\xe9o.vtd"},  // ANSI letters are not blanks
      {"", nullptr},
      {" C:\\wx\\calm.vtd", nullptr},  // a leading blank: nothing
      {"\"\" calm.vtd", nullptr},
      {"\"", nullptr},
      {nullptr, nullptr},
  };
  for (const Case& c : cases) {
    char out[260];
    memset(out, '#', sizeof out);
    bool found = StartupFileName(c.tail, out, sizeof out);
    EXPECT_EQ(found, c.name != nullptr) << (c.tail ? c.tail : "(null)");
    EXPECT_STREQ(out, c.name ? c.name : "");
  }
}

TEST(StartupFileNameTest, ATooLongNameIsRefused) {
  char out[8];
  memset(out, '#', sizeof out);
  EXPECT_TRUE(StartupFileName("1234567 x", out, sizeof out));
  EXPECT_STREQ(out, "1234567");
  EXPECT_FALSE(StartupFileName("12345678", out, sizeof out));
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(StartupFileName("\"12345678\"", out, sizeof out));
  EXPECT_FALSE(StartupFileName("x", out, 0));
  std::string huge(5000, 'a');
  char path[260];
  EXPECT_FALSE(StartupFileName(huge.c_str(), path, sizeof path));
}

}  // namespace
