// The settings that outlive a game: where they are kept, and whether the
// sound is muted, written and read back.
#include "programs/linux/settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

TEST(Settings, MutedIsKeptInTheConfigurationFolder) {
  EXPECT_EQ(program::SettingsFile("/c", "/h"), "/c/cave/settings");
  EXPECT_EQ(program::SettingsFile("relative", "/h"), "/h/.config/cave/settings");
  EXPECT_EQ(program::SettingsFile(nullptr, "/h"), "/h/.config/cave/settings");
  EXPECT_EQ(program::SettingsFile("", nullptr), "");

  std::string folder = std::string(CAVE_BINARY_DIR) + "/tests/settings";
  std::filesystem::remove_all(folder);
  std::string file = folder + "/a/settings", problem;
  EXPECT_FALSE(program::ReadMuted(file));  // none yet
  for (bool muted : {true, false}) {
    ASSERT_TRUE(program::WriteMuted(file, muted, &problem)) << problem;
    EXPECT_EQ(program::ReadMuted(file), muted);
  }
  std::ofstream(file) << "muted=yes\nother=1\n";
  EXPECT_FALSE(program::ReadMuted(file));
  std::ofstream(folder + "/file") << "";
  EXPECT_FALSE(program::WriteMuted(folder + "/file/settings", true, &problem));
  EXPECT_EQ(problem, "cannot write the settings '" + folder + "/file/settings': Not a directory");
}

}  // namespace
