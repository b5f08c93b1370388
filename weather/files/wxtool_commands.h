// wxtool's commands, over any file system, printing to the streams given:
//   show FILE                every table of a .VTD file, or every entry of a .WX file
//   convert IN OUT           between the two kinds (into a .WX file: one entry)
//   metar FILE [INDEX]       the tables as one METAR-style line (.WX: entry INDEX)
//   from-metar "REPORT" OUT  a data file from a report
//   transition FROM TO       the steps of a smooth change between two files, one line each
// Exit codes: 0 done, 1 wrong arguments or an unreadable report, 2 the input cannot be read
// (a read error anywhere in what a command uses counts), 3 the output cannot be written.
#pragma once

#include <cstdio>

#include "weather/files/file_system.h"
#include "weather/metar/metar_tables.h"

int RunWxtool(int argc, const char* const* argv, WeatherFileSystem& files, FILE* out, FILE* err,
              const MetarTime& now);
