// The kept runs' folder: the runs the keep policy drops, by name, never a
// file that is not a run; a new run's name.
#include "programs/linux/kept_runs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "runs/runs.h"

namespace {

// 23 runs a second apart, only the oldest scored, and two files that are not
// runs, older than all: the unscored runs past the latest 20 go.
TEST(KeptRuns, TheRunsDroppedAreRemovedNeverAFileThatIsNoRun) {
  std::vector<program::KeptRun> files;
  for (int f = 0; f < 2; ++f)  // an old name, not a run: never removed
    files.push_back({runs::RunName(1000000000000 + f), false, "foreign: line 1: ..."});
  for (int t = 22; t >= 0; --t)
    files.push_back({runs::RunName(1765256130000 + t * 1000), true, "", t == 0, t == 0 ? 5 : 0});
  std::vector<std::string> removed = program::RunsToRemove(files);
  EXPECT_EQ(removed,
            (std::vector<std::string>{"20251209-045531-000.rec", "20251209-045532-000.rec"}));
}

TEST(KeptRuns, ANewRunNeverTakesTheNameOfAnother) {
  std::string folder = std::string(CAVE_BINARY_DIR) + "/tests/kept-runs/a/b", path, problem;
  std::remove((folder + "/20251209-045530-007.rec").c_str());
  std::remove((folder + "/20251209-045530-007b.rec").c_str());
  for (const char* name : {"20251209-045530-007.rec", "20251209-045530-007b.rec"}) {
    std::FILE* file = program::CreateRun(folder, 1765256130007, &path, &problem);
    ASSERT_NE(file, nullptr) << problem;
    std::fclose(file);
    EXPECT_EQ(path, folder + "/" + name);
  }
}

}  // namespace
