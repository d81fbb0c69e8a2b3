// The score server's test data: runs of the test suite's scripted players,
// recorded as replay files in `folder` with a "FILE SCORE" line each in
// runs.txt (the verified-scores test and the verification bench send them).
#pragma once

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "text_file.h"

namespace testing_support {

struct RecordedRun {
  std::string name;    // "R10" for run10.vreplay: short, as a player's name
  std::string replay;  // the file's bytes
  int32_t score = 0;   // the score the run ended with
};

inline std::vector<RecordedRun> RecordedScoreRuns(const std::filesystem::path& folder) {
  std::vector<RecordedRun> runs;
  std::istringstream list(ReadText(folder / "runs.txt"));
  std::string file;
  int32_t score = 0;
  while (list >> file >> score) runs.push_back({"R" + file.substr(3, 2), ReadText(folder / file), score});
  return runs;
}

}  // namespace testing_support
