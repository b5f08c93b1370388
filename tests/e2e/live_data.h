// The report files that ship with the tests (tests/data/live), and their restamping: a report
// older than 6 hours is never used, so a test moves every report's time so that the newest is
// the present and the others keep their age.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// The path of a file of tests/data/live as this program sees it.
std::string LiveDataPath(const char* name);

// Every report's day and time group (the first word of six digits and a Z on its line) moved
// by one amount, so that the newest becomes `nowUtc` and the others keep their age; a date line
// ("2026/12/08 11:50") takes the new time of the report after it. Reports are taken to be of
// one month. The rest of the text is kept byte for byte.
std::string RestampReports(const std::string& text, const SYSTEMTIME& nowUtc);

// The data file restamped to the present UTC time and written into the test's folder under
// `as`; returns its path ("" when the data file cannot be read).
std::string RestampedCopy(const char* name, const char* as);

}  // namespace e2e
