// Runs a fuzz target's checks over its seeds and over every input that once crashed it.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fuzz_replay {

inline const std::filesystem::path& FuzzFolder() {
  static const std::filesystem::path folder =
      std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "fuzz";
  return folder;
}

// Returns the number of inputs run.
inline int Replay(const char* target, void (*check)(const uint8_t*, size_t)) {
  namespace fs = std::filesystem;
  int inputs = 0;
  for (const char* kind : {"seeds", "regressions"}) {
    const fs::path folder = FuzzFolder() / kind / target;
    if (!fs::is_directory(folder)) continue;
    for (const fs::directory_entry& file : fs::directory_iterator(folder)) {
      if (!file.is_regular_file() || file.path().filename().string()[0] == '.') continue;
      std::ifstream in(file.path(), std::ios::binary);
      std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
      SCOPED_TRACE(file.path().string());
      check(bytes.data(), bytes.size());
      ++inputs;
    }
  }
  return inputs;
}

}  // namespace fuzz_replay
