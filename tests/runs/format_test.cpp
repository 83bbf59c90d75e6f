// Recordings: the text format written and read back, malformed recordings
// refused with their line, and the writer that hands each line to its files
// and its memory, each file failing on its own.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "runs/runs.h"

namespace {

using runs::Recording;

constexpr const char* kHeader = "# cave recording 1\n# tick 7\n";

TEST(RecordingFormat, WritesAndReadsBack) {
  Recording game;
  game.tick = 4294967295u;
  game.snapshots = {{}, {200}, {1, 25, 200}, {}};
  game.boxes = {{"Game Over!", "Spielstand:\n\nPlayer 1: 5 Punkte\n"},
                {"q\"\\\t\x01\xe4", "Fehler Nr.1"}};
  game.ended = true;
  game.exitCode = -1;
  const std::string text = runs::RecordingText(game);
  EXPECT_EQ(text,
            "# cave recording 1\n# tick 4294967295\n\n200\n1 25 200\n\n"
            "# box {\"title\":\"Game Over!\",\"text\":\"Spielstand:\\n\\nPlayer 1: 5 Punkte\\n\"}\n"
            "# box {\"title\":\"q\\\"\\\\\\t\\u0001\xe4\",\"text\":\"Fehler Nr.1\"}\n"
            "# exit -1\n");
  Recording read;
  std::string problem;
  ASSERT_TRUE(runs::ParseRecording(text, &read, &problem)) << problem;
  EXPECT_EQ(read, game);

  // Comments, carriage returns, spacing in lines and JSON, and escapes the
  // writer does not use; an interrupted game has no end.
  ASSERT_TRUE(
      runs::ParseRecording("# cave recording 1\r\n# tick 7\r\n#\n# a note\n 200\t1 \r\n# box "
                           "{ \"text\" : \"\\/\\u00E4\" "
                           ", \"title\":\"\"}\n",
                           &read, &problem))
      << problem;
  Recording interrupted;
  interrupted.tick = 7;
  interrupted.snapshots = {{200, 1}};
  interrupted.boxes = {{"", "/\xe4"}};
  EXPECT_EQ(read, interrupted);

  // Several players: their number right after the tick; one has no line.
  game.players = 3;
  const std::string three = runs::RecordingText(game);
  EXPECT_EQ(three, "# cave recording 1\n# tick 4294967295\n# players 3\n" + text.substr(37));
  ASSERT_TRUE(runs::ParseRecording(three, &read, &problem)) << problem;
  EXPECT_EQ(read, game);

  // A race: its ghosts' lines after the header, each ghost's prefixed "#n ".
  game.ghosts = {std::string(kHeader) + "200\n\n# exit 0\n", "# a note\n"};
  const std::string race = runs::RecordingText(game);
  const size_t header = three.find("# players 3\n") + 12;
  EXPECT_EQ(race, three.substr(0, header) + "#1 # cave recording 1\n#1 # tick 7\n#1 200\n#1 \n" +
                      "#1 # exit 0\n#2 # a note\n" + three.substr(header));
  ASSERT_TRUE(runs::ParseRecording(race, &read, &problem)) << problem;
  EXPECT_EQ(read, game);
  ASSERT_TRUE(runs::ParseRecording(std::string(kHeader) + "#1\r\n#1 \n", &read, &problem));
  EXPECT_EQ(read.ghosts, std::vector<std::string>{"\n\n"});
}

TEST(RecordingFormat, RefusesMalformedRecordingsNamingTheLine) {
  const std::string head = kHeader;
  struct Case {
    std::string text;
    const char* problem;
  } cases[] = {
      {"", "line 1: not a cave recording (it must begin with '# cave recording 1')"},
      {"200\n", "line 1: not a cave recording (it must begin with '# cave recording 1')"},
      {"# cave recording 2\n# tick 7\n",
       "line 1: recording version '2' is not supported; this program reads version 1"},
      {"# cave recording 1", "line 1: the file ends in the middle of this line"},
      {"# cave recording 1\n", "line 2: expected the start tick, '# tick N' with N 0-4294967295"},
      {"# cave recording 1\n200\n",
       "line 2: expected the start tick, '# tick N' with N 0-4294967295"},
      {"# cave recording 1\n# tick 4294967296\n",
       "line 2: expected the start tick, '# tick N' with N 0-4294967295"},
      {"# cave recording 1\n# tick -1\n",
       "line 2: expected the start tick, '# tick N' with N 0-4294967295"},
      {head + "200\n256\n", "line 4: '256' is not a scan code 0-255"},
      {head + "200 +1\n", "line 3: '+1' is not a scan code 0-255"},
      {head + "200\n20", "line 4: the file ends in the middle of this line"},
      {head + "# tick 8\n", "line 3: the start tick is given on line 2 only"},
      {head + "# players 1\n", "line 3: expected the line-up, '# players N' with N 2-4"},
      {head + "# players 5\n", "line 3: expected the line-up, '# players N' with N 2-4"},
      {head + "# players 02\n", "line 3: expected the line-up, '# players N' with N 2-4"},
      {head + "# players\n", "line 3: expected the line-up, '# players N' with N 2-4"},
      {head + "200\n# players 2\n",
       "line 4: the line-up is given on line 3 only, right after the start tick"},
      {head + "# players 2\n# players 2\n",
       "line 4: the line-up is given on line 3 only, right after the start tick"},
      {head + "# box {\"title\":\"a\"}\n",
       "line 3: expected '# box {\"title\":\"...\",\"text\":\"...\"}'"},
      {head + "# box {\"title\":\"a\",\"text\":\"b\",\"title\":\"c\"}\n",
       "line 3: expected '# box {\"title\":\"...\",\"text\":\"...\"}'"},
      {head + "# box {\"title\":\"a\",\"text\":\"b\\q\"}\n",
       "line 3: expected '# box {\"title\":\"...\",\"text\":\"...\"}'"},
      {head + "# box {\"title\":\"a\",\"text\":\"b\\u0000\"}\n",
       "line 3: expected '# box {\"title\":\"...\",\"text\":\"...\"}'"},
      {head + "# box {\"title\":\"a\",\"text\":\"b\"} x\n",
       "line 3: expected '# box {\"title\":\"...\",\"text\":\"...\"}'"},
      {head + "# box {\"title\":\"a\",\"text\":\"b\n",
       "line 3: expected '# box {\"title\":\"...\",\"text\":\"...\"}'"},
      {head + "# box {\"title\":\"a\",\"text\":\"b\"}\n200\n",
       "line 4: a keyboard snapshot after a message box"},
      {head + "# exit\n", "line 3: expected '# exit N' with a whole number N"},
      {head + "# exit 2147483648\n", "line 3: expected '# exit N' with a whole number N"},
      {head + "# exit 0\n\n", "line 4: the recording goes on after its '# exit' line"},
      {head + "# exit 0\n# exit 0\n", "line 4: the recording goes on after its '# exit' line"},
      {head + "#4 200\n", "line 3: expected a ghost's line, '#N LINE' with N 1-3"},
      {head + "#0\n", "line 3: expected a ghost's line, '#N LINE' with N 1-3"},
      {head + "#12\n", "line 3: expected a ghost's line, '#N LINE' with N 1-3"},
      {head + "#2 200\n", "line 3: ghost 2's lines out of order: ghost 1's come first"},
      {head + "#1 \n#2 \n#1 \n", "line 5: ghost 1's lines out of order: ghost 1's come first"},
      {head + "#1 200\r\r\n", "line 3: a ghost's line ends in a stray carriage return"},
      {head + "\n#1 200\n", "line 4: a ghost's line after the race's first snapshot"},
      {head + "# exit 0\n#1 200\n", "line 4: a ghost's line after the race's first snapshot"},
  };
  for (const Case& c : cases) {
    Recording read;
    std::string problem;
    EXPECT_FALSE(runs::ParseRecording(c.text, &read, &problem)) << c.text;
    EXPECT_EQ(problem, c.problem) << c.text;
  }
}

// One recording into a full disk, a file and memory: the full disk fails,
// once, and the file and memory get every line as it is written.
TEST(RecordingWriter, EachFileFailsOnItsOwnAndTheSnapshotsAreCountedAsWritten) {
  const std::string file = testing::TempDir() + "format_test_writer.rec";
  const std::string missing = testing::TempDir() + "none/writer.rec";
  std::vector<std::pair<std::string, int>> reports;
  runs::RecordingWriter writer(
      [&reports](const std::string& path, int error) { reports.emplace_back(path, error); });
  std::string problem, text;
  EXPECT_FALSE(writer.Open(missing, &problem));
  EXPECT_EQ(problem, "cannot write the recording '" + missing + "': No such file or directory");
  EXPECT_TRUE(writer.Empty());
  ASSERT_TRUE(writer.Open("/dev/full", &problem)) << problem;
  ASSERT_TRUE(writer.Open(file, &problem)) << problem;
  writer.KeepText();
  uint8_t state[256] = {};
  writer.WriteHeader(7);
  writer.WriteSnapshot(state);
  state[200] = 0x80;
  state[1] = 0xff;
  state[2] = 0x7f;  // bit 7 clear: up
  writer.WriteSnapshot(state);
  const std::string lines = std::string(kHeader) + "\n1 200\n";
  ASSERT_TRUE(runs::ReadFile(file, &text, &problem)) << problem;
  EXPECT_EQ(text, lines);
  writer.WriteBox({"Game Over!", "#"});
  writer.WriteSignal("SIGTERM");
  EXPECT_EQ(writer.Snapshots(), 2u);
  EXPECT_FALSE(writer.Close());
  const std::string all =
      lines + "# box {\"title\":\"Game Over!\",\"text\":\"#\"}\n# signal SIGTERM\n";
  ASSERT_TRUE(runs::ReadFile(file, &text, &problem)) << problem;
  std::remove(file.c_str());
  EXPECT_EQ(text, all);
  EXPECT_EQ(writer.Text(), all);
  EXPECT_EQ(reports, (std::vector<std::pair<std::string, int>>{{"/dev/full", ENOSPC}}));
  EXPECT_TRUE(writer.Failed("/dev/full"));
  EXPECT_FALSE(writer.Failed(file));
}

}  // namespace
