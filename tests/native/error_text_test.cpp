#include "link/error_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

struct ErrorTextCase {
  int code;
  const char* text;
  const char* expected;
};

const ErrorTextCase kErrorTextCases[] = {
    {0, "can't create atom for mapped filename", "Error: can't create atom for mapped filename"},
    {183, "can't create file mapping", "Error 183 reported: can't create file mapping"},
    {5, "can't get a view of the mapped file", "Error 5 reported: can't get a view of the mapped file"},
    {-1, "x", "Error -1 reported: x"},
    {INT_MIN, "x", "Error -2147483648 reported: x"},
    {0, "", "Error: "},
    {0, nullptr, "Error: "},
};

TEST(ErrorText, ShortFormForZeroLongFormWithSignedCodeOtherwise) {
  for (const ErrorTextCase& c : kErrorTextCases) {
    char out[kErrorTextSize];
    FormatErrorText(out, sizeof out, c.code, c.text);
    EXPECT_STREQ(out, c.expected) << "code " << c.code;
  }
}

TEST(ErrorText, LongTextIsCutToTheBufferAndTerminated) {
  std::string text(400, 'a');
  char out[kErrorTextSize + 8];
  std::memset(out, 0x7F, sizeof out);
  FormatErrorText(out, kErrorTextSize, 2, text.c_str());
  EXPECT_EQ(std::strlen(out), kErrorTextSize - 1);
  EXPECT_EQ(std::string(out, 19), "Error 2 reported: a");
  EXPECT_EQ(out[kErrorTextSize], 0x7F);  // nothing written past the buffer
}

}  // namespace
