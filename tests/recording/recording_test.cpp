// Recordings: the text format written and read back, malformed recordings
// refused with their line, and the display around another display that
// records (also frames whose keyboard read fails), plays back and sets the
// start tick.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/display/recording/recording_display.h"
#include "runtime/keyboard/keyboard.h"
#include "tests/support/game_screen.h"
#include "tests/support/program.h"

namespace {

using recording::Recording;
using recording::RecordingDisplay;

constexpr const char* kHeader = "# cave recording 1\n# tick 7\n";

TEST(RecordingFormat, WritesAndReadsBack) {
  Recording game;
  game.tick = 4294967295u;
  game.snapshots = {{}, {200}, {1, 25, 200}, {}};
  game.boxes = {{"Game Over!", "Spielstand:\n\nPlayer 1: 5 Punkte\n"},
                {"q\"\\\t\x01\xe4", "Fehler Nr.1"}};
  game.ended = true;
  game.exitCode = -1;
  const std::string text = recording::RecordingText(game);
  EXPECT_EQ(text,
            "# cave recording 1\n# tick 4294967295\n\n200\n1 25 200\n\n"
            "# box {\"title\":\"Game Over!\",\"text\":\"Spielstand:\\n\\nPlayer 1: 5 Punkte\\n\"}\n"
            "# box {\"title\":\"q\\\"\\\\\\t\\u0001\xe4\",\"text\":\"Fehler Nr.1\"}\n"
            "# exit -1\n");
  Recording read;
  std::string problem;
  ASSERT_TRUE(recording::ParseRecording(text, &read, &problem)) << problem;
  EXPECT_EQ(read, game);

  // Comments, carriage returns, spacing in lines and JSON, and escapes the
  // writer does not use; an interrupted game has no end.
  ASSERT_TRUE(
      recording::ParseRecording("# cave recording 1\r\n# tick 7\r\n#\n# a note\n 200\t1 \r\n# box "
                                "{ \"text\" : \"\\/\\u00E4\" "
                                ", \"title\":\"\"}\n",
                                &read, &problem))
      << problem;
  Recording interrupted;
  interrupted.tick = 7;
  interrupted.snapshots = {{200, 1}};
  interrupted.boxes = {{"", "/\xe4"}};
  EXPECT_EQ(read, interrupted);
}

TEST(RecordingFormat, ScoreIsTheFirstPlayerLineOfTheLastBox) {
  struct Case {
    std::vector<std::string> boxes;
    int points;  // -1: no score
    std::string line;
  };
  const Case cases[] = {
      {{"Spielstand:\n\nPlayer 1: 125 Punkte\nPlayer 2: 3 Punkte\n"}, 125, "Player 1: 125 Punkte"},
      {{"Spielstand:\n\nPlayer 1: 0 Punkte"}, 0, "Player 1: 0 Punkte"},
      {{"Spielstand:\n\nPlayer 1: 5 Punkte\n", "Fehler Nr.1"}, -1, ""},
      {{"Player 1:  Punkte\nPlayer 1: 1x Punkte\nPlayer 1: 1234567890 Punkte\n"}, -1, ""},
      {{}, -1, ""},
  };
  for (const Case& c : cases) {
    Recording game;
    for (const std::string& text : c.boxes) game.boxes.push_back({"Game Over!", text});
    int points = -1;
    std::string line;
    EXPECT_EQ(recording::Score(game, &points, &line), c.points >= 0) << c.line;
    EXPECT_EQ(points, c.points);
    EXPECT_EQ(line, c.line);
  }
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
  };
  for (const Case& c : cases) {
    Recording read;
    std::string problem;
    EXPECT_FALSE(recording::ParseRecording(c.text, &read, &problem)) << c.text;
    EXPECT_EQ(problem, c.problem) << c.text;
  }
}

// The lines a recording display hands to its writer, one string per hand-over.
struct Written {
  std::vector<std::string> handOvers;
  RecordingDisplay::Writer Writer() {
    return [this](std::string_view text) {
      handOvers.emplace_back(text);
      return true;
    };
  }
};

TEST(RecordingDisplay, RecordsSnapshotsAndBoxesHandingThemOverAtLeastOnceASecond) {
  headless::HeadlessDisplay inner(7);
  inner.SetKeyTimeline({{200}, {}, {1, 200}});
  RecordingDisplay shown(inner, &inner);
  Written written;
  shown.Record(7, written.Writer());
  uint8_t state[256];
  shown.ReadKeyboard(state);
  shown.ReadKeyboard(state);
  inner.Sleep(999);
  shown.ReadKeyboard(state);
  EXPECT_EQ(state[1], 0x80);  // the game gets the keys it always got
  inner.Sleep(1);
  shown.ReadKeyboard(state);
  shown.MessageBox(nullptr, "Fehler Nr.5", "ERROR", MB_OK);
  EXPECT_TRUE(shown.Finish(0));
  EXPECT_EQ(written.handOvers, (std::vector<std::string>{kHeader, "200\n\n1 200\n\n",
                                                         "# box {\"title\":\"ERROR\",\"text\":"
                                                         "\"Fehler Nr.5\"}\n",
                                                         "# exit 0\n"}));
  EXPECT_EQ(inner.MessageBoxes().size(), 1u);  // and the box was shown
}

// Frames in which the keyboard cannot be read keep the game's snapshot; the
// recording repeats it for them, so that a replay in which every read works
// gives the game's key tests the same answers.
TEST(RecordingDisplay, AFailedReadIsRecordedAsTheSnapshotTheGameKeeps) {
  // Per frame: Up down (0x80) plus P released (1).
  auto play = [](auto& display, const std::function<void(int)>& beforeFrame) {
    std::vector<int32_t> answers;
    RunWithProgram(display, &display, [&] {
      OpenGameScreen();
      ASSERT_EQ(KeyboardInit(), 1);
      for (int frame = 0; frame < 9; ++frame) {
        beforeFrame(frame);
        KeyboardExamine();
        answers.push_back(KeyDown(kKeyUp) + KeyReleased(kKeyP));
      }
    });
    return answers;
  };
  headless::HeadlessDisplay live;
  live.SetKeyTimeline({{200}, {25, 200}, {}, {25}, {}, {200}});
  RecordingDisplay recorder(live, &live);
  Written written;
  recorder.Record(7, written.Writer());
  // The reads of frames 2 to 4 fail: P stays down, Up too.
  std::vector<int32_t> played = play(recorder, [&](int frame) {
    if (frame == 2) live.FailDeviceStates(3);
  });
  EXPECT_TRUE(recorder.Finish(0));
  EXPECT_EQ(played, (std::vector<int32_t>{0x80, 0x80, 0x80, 0x80, 0x80, 1, 0, 1, 0x80}));

  std::string text;
  for (const std::string& handOver : written.handOvers) text += handOver;
  EXPECT_EQ(text,
            std::string(kHeader) + "200\n25 200\n25 200\n25 200\n25 200\n\n25\n\n200\n# exit 0\n");
  Recording recorded;
  std::string problem;
  ASSERT_TRUE(recording::ParseRecording(text, &recorded, &problem)) << problem;
  headless::HeadlessDisplay replay;
  replay.SetKeyTimeline(recorded.snapshots);
  EXPECT_EQ(play(replay, [](int) {}), played);
}

// A file gets every line as it is taken, so that a program killed in the
// middle of a game leaves all it showed; a signal's end is a comment.
TEST(RecordingDisplay, AFileGetsEachLineAsItIsTaken) {
  headless::HeadlessDisplay inner(7);
  inner.SetKeyTimeline({{200}, {}});
  RecordingDisplay shown(inner, &inner);
  const std::string file = testing::TempDir() + "recording_test_each_line.rec";
  std::string problem, text;
  ASSERT_TRUE(shown.RecordTo(file, 7, &problem)) << problem;
  std::vector<std::string> seen;
  for (int step = 0; step < 4; ++step) {
    uint8_t state[256];
    if (step == 1 || step == 2) shown.ReadKeyboard(state);
    EXPECT_TRUE(step < 3 || shown.FinishInterrupted("SIGTERM"));
    recording::ReadFile(file, &text, &problem);
    seen.push_back(text.substr(std::string(kHeader).size()));
  }
  std::remove(file.c_str());
  EXPECT_EQ(seen, (std::vector<std::string>{"", "200\n", "200\n\n", "200\n\n# signal SIGTERM\n"}));
  Recording read;
  ASSERT_TRUE(recording::ParseRecording(text, &read, &problem)) << problem;
  EXPECT_EQ(read.snapshots.size(), 2u);
  EXPECT_FALSE(read.ended);
}

TEST(RecordingDisplay, PlaysARecordingWithThePlayersEscapeAndSpeed) {
  headless::HeadlessDisplay inner;
  inner.SetKeyTimeline({{200}, {1, 25}, {5, 3}, {1}});  // 4 and 2 at once: the larger wins
  RecordingDisplay shown(inner, &inner);
  Recording game;
  game.tick = 99;
  game.snapshots = {{}, {25}, {200}};
  shown.Play(game);
  std::vector<std::vector<int>> read;
  for (int k = 0; k < 4; ++k) {
    uint8_t state[256];
    shown.ReadKeyboard(state);
    read.emplace_back();
    for (int code = 0; code < 256; ++code)
      if (state[code]) read.back().push_back(code);
  }
  EXPECT_EQ(read, (std::vector<std::vector<int>>{{}, {1, 25}, {200}, {1}}));
  EXPECT_EQ(shown.TickCount(), 99u);
  EXPECT_EQ(std::vector<size_t>({shown.Played(), shown.Length()}), std::vector<size_t>({4, 3}));
  // At four times the speed a sleep is a quarter as long on the wrapped
  // clock, and the played clock runs four times as fast.
  EXPECT_EQ(shown.Speed(), 4);
  shown.SetSpeed(3);  // not a speed: ignored
  int64_t start = shown.ReadCounter();
  shown.Sleep(40);
  EXPECT_EQ(shown.ReadCounter() - start, 4 * (100000 + 1000));
  shown.SetSpeed(1);  // from the next reading on
  int64_t changed = shown.ReadCounter();
  EXPECT_EQ(changed - start, 4 * 102000);
  EXPECT_EQ(shown.ReadCounter() - changed, 1000);
}

TEST(RecordingDisplay, StartTickHoldsUntilTheCounterIsReadThenRuns) {
  headless::HeadlessDisplay inner(5);
  RecordingDisplay shown(inner, &inner);
  EXPECT_EQ(shown.TickCount(), 5u);  // nothing set: the wrapped clock
  shown.SetStartTick(4294967290u);
  inner.Sleep(50);
  EXPECT_EQ(shown.TickCount(), 4294967290u);
  EXPECT_EQ(shown.ReadCounter(), 42949672900000);
  inner.Sleep(20);
  EXPECT_EQ(shown.ReadCounter(), 42949672900000 + 201000);  // each headless reading: 0.1 ms
  EXPECT_EQ(shown.TickCount(), 14u);                        // 20.2 ms on, past the wrap
}

}  // namespace
