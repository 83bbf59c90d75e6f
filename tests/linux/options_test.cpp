// The Linux program's command line: what each option sets, and the one-line
// refusals of bad command lines.
#include "programs/linux/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using program::Options;

bool Parse(std::vector<const char*> arguments, Options* options, std::string* problem) {
  arguments.insert(arguments.begin(), "cave");
  return program::ParseOptions(static_cast<int>(arguments.size()), arguments.data(), options,
                               problem);
}

TEST(Options, EachOptionSetsItsField) {
  Options o;
  std::string problem;
  ASSERT_TRUE(Parse({}, &o, &problem));
  EXPECT_EQ(o.action, Options::Action::kPlay);
  EXPECT_EQ(o.scale, 0);
  EXPECT_FALSE(o.fullscreen || o.tickGiven || o.mute || !o.rumble);
  ASSERT_TRUE(Parse({"--scale", "3", "--fullscreen", "--tick", "4294967295", "--record", "r.txt",
                     "--mute", "--no-rumble"},
                    &o, &problem));
  EXPECT_EQ(o.scale, 3);
  EXPECT_TRUE(o.fullscreen && o.mute && !o.rumble);
  EXPECT_TRUE(o.tickGiven);
  EXPECT_EQ(o.tick, 4294967295u);
  EXPECT_EQ(o.record, "r.txt");
  EXPECT_TRUE(o.keep);
  ASSERT_TRUE(Parse({"--no-keep", "--watch", "best", "--speed", "8"}, &o, &problem));
  EXPECT_FALSE(o.keep);
  EXPECT_EQ(o.watch, "best");
  EXPECT_EQ(o.speed, 8);
  EXPECT_EQ(o.players, 1);
  ASSERT_TRUE(Parse({"--players", "4"}, &o, &problem));
  EXPECT_EQ(o.players, 4);
  ASSERT_TRUE(Parse({"--race", "best", "--race", "r.rec", "--record", "x"}, &o, &problem));
  EXPECT_EQ(o.races, (std::vector<std::string>{"best", "r.rec"}));
  ASSERT_TRUE(Parse({"--runs"}, &o, &problem));
  EXPECT_EQ(o.action, Options::Action::kRuns);
  ASSERT_TRUE(Parse({"--watch", "w.txt", "--tick", "0", "--help"}, &o, &problem));
  EXPECT_EQ(o.action, Options::Action::kHelp);  // wins over what follows, bad or not
  ASSERT_TRUE(Parse({"--version", "--bogus"}, &o, &problem));
  EXPECT_EQ(o.action, Options::Action::kVersion);
  EXPECT_EQ(program::VersionLine().rfind("cave ", 0), 0u);
  EXPECT_NE(program::Usage().find("Alt+Enter"), std::string::npos);
}

TEST(Options, BadCommandLinesNameTheProblem) {
  const struct {
    std::vector<const char*> arguments;
    const char* problem;
  } cases[] = {
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"-h"}, "unknown option '-h'"},
      {{"--scale"}, "--scale needs a value"},
      {{"--scale", "0"}, "--scale needs a whole number from 1, got '0'"},
      {{"--scale", "-2"}, "--scale needs a whole number from 1, got '-2'"},
      {{"--scale", "2x"}, "--scale needs a whole number from 1, got '2x'"},
      {{"--tick", "4294967296"},
       "--tick needs a whole number from 0 to 4294967295, got '4294967296'"},
      {{"--tick", "+5"}, "--tick needs a whole number from 0 to 4294967295, got '+5'"},
      {{"--record", ""}, "--record needs a file name"},
      {{"--record", "a", "--watch", "b"}, "--record and --watch cannot be combined"},
      {{"--watch", "b", "--tick", "5"},
       "--tick cannot be combined with --watch: the recording gives the tick"},
      {{"--watch", "b", "--speed", "3"}, "--speed needs 1, 2, 4 or 8, got '3'"},
      {{"--speed", "2"}, "--speed needs --watch: it sets how fast a recording is shown"},
      {{"--runs", "--watch", "b"},
       "--runs cannot be combined with --record, --watch, --tick or --speed"},
      {{"--players", "0"}, "--players needs 1, 2, 3 or 4, got '0'"},
      {{"--players", "x"}, "--players needs 1, 2, 3 or 4, got 'x'"},
      {{"--players", "2", "--watch", "b"},
       "--players cannot be combined with --watch: the recording gives the line-up"},
      {{"--runs", "--players", "2"}, "--players cannot be combined with --runs"},
      {{"--race", "1", "--race", "2", "--race", "3", "--race", "4"},
       "--race is given at most 3 times"},
      {{"--race", "1", "--players", "1"}, "--race cannot be combined with --players"},
      {{"--race", "1", "--tick", "1"}, "--race cannot be combined with --tick"},
      {{"--watch", "1", "--race", "1"}, "--race cannot be combined with --watch"},
      {{"--race", ""}, "--race needs a file name"},
  };
  for (const auto& c : cases) {
    Options o;
    std::string problem;
    EXPECT_FALSE(Parse(c.arguments, &o, &problem)) << c.problem;
    EXPECT_EQ(problem, c.problem);
  }
}

}  // namespace
