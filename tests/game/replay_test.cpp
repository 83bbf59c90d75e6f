// cave-replay from the outside: its output, its files, its exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Result {
  int exitCode;
  std::string out;
  std::string err;
};

// ctest runs the tests of this file side by side, each in a process of its
// own: the test's name keeps their files apart.
std::string Temp(const std::string& name) {
  const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  return std::string(CAVE_BINARY_DIR) + "/tests/replay_" + test + "_" + name;
}

Result Replay(const std::string& arguments) {
  std::string errFile = Temp("stderr.txt");
  std::string command =
      std::string(CAVE_BINARY_DIR) + "/bin/cave-replay " + arguments + " 2>" + errFile;
  Result result{};
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return {-1, "", "popen failed"};
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  int status = pclose(pipe);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream err(errFile);
  std::stringstream text;
  text << err.rdbuf();
  result.err = text.str();
  return result;
}

std::string Slurp(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write(const std::string& file, const std::string& text) { std::ofstream(file) << text; }

TEST(Replay, ARunWithoutKeysEndsInGameOver) {
  Result r = Replay("--tick 0");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("{\"box\":{\"title\":\"Game Over!\",\"text\":\"Spielstand:\\n\\nPlayer 1: "),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find(" Punkte\\n\"}"), std::string::npos);
  EXPECT_NE(r.out.find("{\"exit\":0,\"snapshots\":"), std::string::npos);
}

TEST(Replay, BoxShotIsTheWindowWhenTheBoxAppears) {
  Result r = Replay("--tick 0 --box-shot " + Temp("box.ppm"));
  EXPECT_EQ(r.exitCode, 0);
  std::string shot = Slurp(Temp("box.ppm"));
  const std::string header = "P6\n320 240\n255\n";
  ASSERT_EQ(shot.size(), header.size() + 320 * 240 * 3);
  EXPECT_EQ(shot.substr(0, header.size()), header);
  // The last frame, with the red frame of the head-up display.
  EXPECT_EQ(shot.substr(header.size(), 3), std::string("\xff\x00\x00", 3));
}

TEST(Replay, FailurePointsShowTheirErrorNumber) {
  struct Case {
    const char* point;
    int number;
  } cases[] = {{"ddraw-load", 1},    {"ddraw-create", 1},  {"dinput-load", 1},
               {"dinput-create", 1}, {"dinput-device", 1}, {"window", 2},
               {"screen", 3},        {"cave-sprite", 4},   {"ship-sprite", 5}};
  for (const Case& c : cases) {
    Result r = Replay(std::string("--fail ") + c.point);
    EXPECT_EQ(r.exitCode, 0) << c.point;
    EXPECT_EQ(r.out, "{\"box\":{\"title\":\"ERROR\",\"text\":\"Fehler Nr." +
                         std::to_string(c.number) +
                         "\"},\"snapshot\":0}\n{\"exit\":0,\"snapshots\":0}\n")
        << c.point;
  }
}

TEST(Replay, InputEscapeAndSnapshotLimit) {
  std::string input = Temp("escape.txt");
  Write(input, "\n200\n1\n\n");
  Result r = Replay("--input " + input);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "{\"exit\":0,\"snapshots\":4}\n");
  // The player quits at snapshot 5 by the option alone.
  r = Replay("--snapshots 5");
  EXPECT_EQ(r.out, "{\"exit\":0,\"snapshots\":7}\n");
}

TEST(Replay, SameTickAndInputGiveTheSameGame) {
  std::string input = Temp("keys.txt");
  std::string keys;
  for (int k = 0; k < 120; ++k) keys += (k / 7) % 3 == 0 ? "200\n" : "\n";
  Write(input, keys);
  auto run = [&](int tick, const std::string& tag) {
    std::string args = "--tick " + std::to_string(tick) + " --input " + input +
                       " --snapshots 100 --trace " + Temp(tag + ".trace") +
                       " --cave 20:" + Temp(tag + ".cave.ppm") +
                       " --shot 20:" + Temp(tag + ".shot.ppm");
    return Replay(args);
  };
  Result a = run(4242, "a"), b = run(4242, "b"), c = run(4243, "c");
  EXPECT_EQ(a.out, b.out);
  std::string traceA = Slurp(Temp("a.trace"));
  EXPECT_GT(traceA.size(), 1000u);
  EXPECT_EQ(traceA, Slurp(Temp("b.trace")));
  std::string caveA = Slurp(Temp("a.cave.ppm"));
  ASSERT_EQ(caveA.size(), std::string("P6\n320 240\n255\n").size() + 320 * 240 * 3);
  EXPECT_EQ(caveA.substr(0, 15), "P6\n320 240\n255\n");
  EXPECT_EQ(caveA, Slurp(Temp("b.cave.ppm")));
  EXPECT_EQ(Slurp(Temp("a.shot.ppm")), Slurp(Temp("b.shot.ppm")));
  EXPECT_NE(caveA, Slurp(Temp("c.cave.ppm")));
  // One trace line per snapshot, in the documented shape.
  std::istringstream lines(traceA);
  std::string first;
  std::getline(lines, first);
  EXPECT_EQ(first.rfind("{\"snapshot\":0,\"ships\":[{\"x\":160,\"y\":120,\"vy\":0,\"score\":0,"
                        "\"dead\":0}],\"tint\":[",
                        0),
            0u)
      << first;
  EXPECT_NE(first.find("\"columns\":320}"), std::string::npos);
}

TEST(Replay, RecordingsReplayToTheirRecordedEnd) {
  std::string keys = Temp("keys.txt"), rec = Temp("game.rec"), cut = Temp("cut.rec");
  std::vector<std::string> timeline;
  for (int k = 0; k < 72; ++k) timeline.push_back(k % 18 < 8 ? "200\n" : "\n");
  // A recording of the first `snapshots` lines of the timeline, then `end`.
  auto recording = [&](int snapshots, const std::string& end) {
    std::string text = "# cave recording 1\n# tick 9\n";
    for (int k = 0; k < snapshots; ++k) text += timeline[k];
    return text + end;
  };
  const std::string box =
      "{\"title\":\"Game Over!\",\"text\":\"Spielstand:\\n\\nPlayer 1: 1 Punkte\\n\"}";
  const std::string forged =
      "{\"title\":\"Game Over!\",\"text\":\"Spielstand:\\n\\nPlayer 1: 999 Punkte\\n\"}";
  Write(keys, recording(72, "").substr(28));
  Result played = Replay("--tick 9 --input " + keys + " --record " + rec);
  EXPECT_EQ(played.out, "{\"box\":" + box + ",\"snapshot\":68}\n{\"exit\":0,\"snapshots\":68}\n");
  EXPECT_EQ(Slurp(rec), recording(68, "# box " + box + "\n# exit 0\n"));

  // --input takes the recording's tick, unless --tick is given.
  EXPECT_EQ(Replay("--input " + rec).out, played.out);
  EXPECT_NE(Replay("--tick 10 --input " + rec).out, played.out);
  // And its line-up, unless --players is given.
  const std::string two = CAVE_SOURCE_DIR "/tests/recordings/two_players.rec";
  const size_t npos = std::string::npos;
  EXPECT_NE(Replay("--input " + two).out.find("Player 1: 15 Punkte\\nPlayer 2: 4 Punkte"), npos);
  EXPECT_EQ(Replay("--players 1 --input " + two).out.find("Player 2"), npos);

  Result check = Replay("--check " + rec);
  EXPECT_EQ(check.exitCode, 0) << check.err;
  EXPECT_EQ(check.out, played.out);
  EXPECT_EQ(check.err, "");

  const std::string differs = "does not replay as recorded: ";
  struct Case {
    std::string text;
    int exitCode;
    std::string err;
  } cases[] = {
      {recording(68, "# box " + box + "\n# exit 3\n"), 1,
       differs + "exit code: recorded 3, replayed 0"},
      {recording(68, "# box {\"title\":\"Game Over!\",\"text\":\"\"}\n# exit 0\n"), 1,
       differs + "box 1: recorded {\"title\":\"Game Over!\",\"text\":\"\"}, replayed " + box},
      {recording(68, "# box " + box + "\n# box " + forged + "\n# exit 0\n"), 1,
       differs + "box 2 " + forged + " was not shown"},
      {recording(68, "# exit 0\n"), 1, differs + "box 1 " + box + " is not in the recording"},
      {recording(69, "# box " + box + "\n# exit 0\n"), 1,
       differs + "the game ended after snapshot 68, the recording has 69"},
      {recording(67, "# box " + box + "\n# exit 0\n"), 1,
       differs + "the game was still running after the recording's last snapshot (67)"},
      {recording(58, ""), 0,
       "has no end (the game was interrupted); its 58 snapshots replay as recorded"},
  };
  for (const Case& c : cases) {
    Write(cut, c.text);
    Result r = Replay("--check " + cut);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.text;
    EXPECT_EQ(r.err, "cave-replay: '" + cut + "' " + c.err + "\n") << c.text;
  }
}

// A race of the steered recording, steered beyond the ghost's last snapshot:
// the box lists the ghost's recorded score, and the race checks; a race
// whose ghost was tampered with does not.
TEST(Replay, ARaceIsRecordedWithItsGhostAndChecks) {
  const std::string ghost = CAVE_SOURCE_DIR "/tests/recordings/steered.rec";
  const std::string rec = Temp("race.rec"), keys = Temp("keys.txt"), bad = Temp("bad.rec");
  Result r = Replay("--race " + ghost + " --steer 2200:" + keys + " --record " + rec);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_NE(r.out.find("\\nPlayer 1: "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" Punkte\\nGhost 1: 323 Punkte\\n\"}"), std::string::npos) << r.out;
  Result check = Replay("--check " + rec);
  EXPECT_EQ(check.exitCode, 0) << check.err;
  EXPECT_EQ(check.out, r.out);
  // A player who falls at once ends the race where the game alone ends.
  EXPECT_EQ(Replay("--race " + ghost).out,
            "{\"box\":{\"title\":\"Game Over!\",\"text\":\"Spielstand:\\n\\nPlayer 1: 0 "
            "Punkte\\nGhost 1: 323 Punkte\\n\"},\"snapshot\":28}\n"
            "{\"exit\":0,\"snapshots\":28}\n");
  std::string text = Slurp(rec);
  Write(bad, text.replace(text.find("#1 200\n"), 7, "#1 1\n"));
  check = Replay("--check " + bad);
  EXPECT_EQ(check.exitCode, 1);
  EXPECT_EQ(check.err,
            "cave-replay: '" + bad +
                "' does not replay as recorded: ghost 1 does not replay as recorded: the "
                "game ended after snapshot 2, the recording has 2117\n");
}

TEST(Replay, BadCommandLinesAreRefused) {
  std::string bad = Temp("bad.txt"), badRecording = Temp("bad.rec"), good = Temp("good.rec");
  Write(bad, "200\n256\n");
  Write(badRecording, "# cave recording 1\n# tick 1\n\n200\n# box {}\n");
  Write(good, "# cave recording 1\n# tick 1\n");
  auto kept = [](const char* name) {
    return std::string(CAVE_SOURCE_DIR "/tests/recordings/") + name + ".rec";
  };
  const std::string notAGhost = "; a ghost is one player's game that ended in its box";
  const std::string forged = Temp("forged.rec");
  std::string played = Slurp(kept("played"));
  Write(forged, played.replace(played.find("1: 0 P"), 4, "1: 9"));
  const char* cases[] = {"--bogus 1",       "--tick",
                         "--tick abc",      "--tick -1",
                         "--desktop 0x768", "--desktop 1024",
                         "--cave 5",        "--fail nothing",
                         "--snapshots x",   "--input /nonexistent/keys.txt"};
  for (const char* args : cases) {
    Result r = Replay(args);
    EXPECT_EQ(r.exitCode, 2) << args;
    EXPECT_TRUE(r.out.empty()) << args;
    EXPECT_NE(r.err.find("cave-replay: "), std::string::npos) << args;
  }
  Result r = Replay("--input " + bad);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
  // A malformed recording, and a key file where a recording must be, are
  // refused before anything runs.
  struct Refusal {
    std::string args, err;
  } refusals[] = {
      {"--input " + badRecording,
       "'" + badRecording + "' line 5: expected '# box " + "{\"title\":\"...\",\"text\":\"...\"}'"},
      {"--check " + badRecording,
       "'" + badRecording + "' line 5: expected '# box " + "{\"title\":\"...\",\"text\":\"...\"}'"},
      {"--check " + bad, "'" + bad +
                             "' line 1: not a cave recording (it must begin with '# cave "
                             "recording 1')"},
      {"--check " + good + " --tick 3", "--check cannot be combined with --tick"},
      {"--check " + good + " --players 2", "--check cannot be combined with --players"},
      {"--players 0", "--players needs 1, 2, 3 or 4, got '0'"},
      {"--players x", "--players needs 1, 2, 3 or 4, got 'x'"},
      {"--race " + kept("escape"), "ghost 1 '" + kept("escape") + "' ended by Escape" + notAGhost},
      {"--race " + kept("two_players"),
       "ghost 1 '" + kept("two_players") + "' is a game of 2 players" + notAGhost},
      {"--race " + kept("race"), "ghost 1 '" + kept("race") + "' is a race" + notAGhost},
      {"--race " + good, "ghost 1 '" + good + "' was interrupted" + notAGhost},
      {"--race " + kept("steered") + " --race " + kept("pause"),
       "ghosts of different caves: ghost 1's tick is 11, ghost 2's 21"},
      {"--race " + kept("played") + " --race " + forged,
       "ghost 2 '" + forged +
           "' does not replay as recorded: box 1: recorded {\"title\":\"Game Over!\",\"text\":"
           "\"Spielstand:\\n\\nPlayer 1: 9 Punkte\\n\"}, replayed {\"title\":\"Game Over!\","
           "\"text\":\"Spielstand:\\n\\nPlayer 1: 0 Punkte\\n\"}"},
      {"--race " + kept("played") + " --tick 3", "--race cannot be combined with --tick"},
      {"--race " + bad, "'" + bad +
                            "' line 1: not a cave recording (it must begin with '# cave "
                            "recording 1')"},
  };
  for (const Refusal& refusal : refusals) {
    r = Replay(refusal.args);
    EXPECT_EQ(r.exitCode, 2) << refusal.args;
    EXPECT_EQ(r.out, "") << refusal.args;
    EXPECT_EQ(r.err, "cave-replay: " + refusal.err + "\n") << refusal.args;
  }
}

}  // namespace
