// The display around another display that records (also frames whose
// keyboard read fails), plays back, checks and sets the start tick.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/hosted/dinput.h"
#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/display/recording/recording_display.h"
#include "runtime/keyboard/keyboard.h"
#include "tests/support/game_screen.h"
#include "tests/support/program.h"

namespace {

using recording::RecordingDisplay;
using runs::Recording;

constexpr const char* kHeader = "# cave recording 1\n# tick 7\n";

// Each line reaches the writer as it is taken; a box's before the box is
// shown, as the player may leave it open for good.
TEST(RecordingDisplay, RecordsSnapshotsAndBoxesEachAsItIsTaken) {
  headless::HeadlessDisplay inner(7);
  inner.SetKeyTimeline({{200}, {}, {1, 200}});
  RecordingDisplay shown(inner, &inner);
  runs::RecordingWriter writer;
  writer.KeepText();
  shown.Record(writer, 7);
  std::vector<std::string> seen{writer.Text()};
  inner.onMessageBox = [&](const headless::MessageBoxRecord&) { seen.push_back(writer.Text()); };
  for (int k = 0; k < 4; ++k) {
    uint8_t state[256];
    shown.ReadKeyboard(state);
    seen.push_back(writer.Text());
    EXPECT_EQ(state[1], k == 2 ? 0x80 : 0);  // the game gets the keys it always got
  }
  shown.MessageBox(nullptr, "Fehler Nr.5", "ERROR", MB_OK);
  shown.Finish(0);
  std::vector<std::string> expected;
  std::string text = kHeader;
  for (const char* line : {"", "200\n", "\n", "1 200\n", "\n",
                           "# box {\"title\":\"ERROR\",\"text\":\"Fehler Nr.5\"}\n"})
    expected.push_back(text += line);
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(writer.Text(), text + "# exit 0\n");
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
  runs::RecordingWriter writer;
  writer.KeepText();
  recorder.Record(writer, 7);
  // The reads of frames 2 to 4 fail: P stays down, Up too.
  std::vector<int32_t> played = play(recorder, [&](int frame) {
    if (frame == 2) live.FailDeviceStates(3);
  });
  recorder.Finish(0);
  EXPECT_EQ(played, (std::vector<int32_t>{0x80, 0x80, 0x80, 0x80, 0x80, 1, 0, 1, 0x80}));

  const std::string& text = writer.Text();
  EXPECT_EQ(text,
            std::string(kHeader) + "200\n25 200\n25 200\n25 200\n25 200\n\n25\n\n200\n# exit 0\n");
  Recording recorded;
  std::string problem;
  ASSERT_TRUE(runs::ParseRecording(text, &recorded, &problem)) << problem;
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
  runs::RecordingWriter writer;
  ASSERT_TRUE(writer.Open(file, &problem)) << problem;
  shown.Record(writer, 7);
  std::vector<std::string> seen;
  for (int step = 0; step < 4; ++step) {
    uint8_t state[256];
    if (step == 1 || step == 2) shown.ReadKeyboard(state);
    if (step == 3) shown.FinishInterrupted("SIGTERM");
    runs::ReadFile(file, &text, &problem);
    seen.push_back(text.substr(std::string(kHeader).size()));
  }
  EXPECT_TRUE(writer.Close());
  std::remove(file.c_str());
  EXPECT_EQ(seen, (std::vector<std::string>{"", "200\n", "200\n\n", "200\n\n# signal SIGTERM\n"}));
  Recording read;
  ASSERT_TRUE(runs::ParseRecording(text, &read, &problem)) << problem;
  EXPECT_EQ(read.snapshots.size(), 2u);
  EXPECT_FALSE(read.ended);
}

// The scan codes down in each of the next `count` keyboard reads.
std::vector<std::vector<int>> KeysRead(RecordingDisplay& shown, int count) {
  std::vector<std::vector<int>> read;
  for (int k = 0; k < count; ++k) {
    uint8_t state[256];
    shown.ReadKeyboard(state);
    read.emplace_back();
    for (int code = 0; code < 256; ++code)
      if (state[code]) read.back().push_back(code);
  }
  return read;
}

TEST(RecordingDisplay, PlaysARecordingWithThePlayersEscapeAndSpeed) {
  headless::HeadlessDisplay inner;
  inner.SetKeyTimeline({{200}, {1, 25}, {5, 3}, {1}});  // 4 and 2 at once: the larger wins
  RecordingDisplay shown(inner, &inner);
  Recording game;
  game.tick = 99;
  game.snapshots = {{}, {25}, {200}};
  shown.Play(game);
  EXPECT_EQ(KeysRead(shown, 4), (std::vector<std::vector<int>>{{}, {1, 25}, {200}, {1}}));
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

  // A game played at 50 % is watched at its own speed times the watcher's.
  game.assists.speed = 50;
  RecordingDisplay slowed(inner, &inner);
  slowed.Play(game);
  slowed.SetSpeed(8);
  start = slowed.ReadCounter();
  slowed.Sleep(40);
  EXPECT_EQ(slowed.ReadCounter() - start, 4 * (100000 + 1000));

  // The player's digit keys from speed 2: 1, 2, 4 and 8 set the speed, the
  // others (3, 5, 9 and 0: scan codes 4, 6, 10 and 11) change nothing.
  const struct {
    uint8_t key;
    int speed;
  } digits[] = {{DIK_1, 1}, {DIK_2, 2}, {DIK_4, 4}, {DIK_8, 8}, {4, 2}, {6, 2}, {10, 2}, {11, 2}};
  for (const auto& digit : digits) {
    headless::HeadlessDisplay player;
    player.SetKeyTimeline({{digit.key}});
    RecordingDisplay watched(player, &player);
    watched.Play(game);
    watched.SetSpeed(2);
    uint8_t state[256];
    watched.ReadKeyboard(state);
    EXPECT_EQ(watched.Speed(), digit.speed) << static_cast<int>(digit.key);
  }
}

// A check keeps the wrapped display's clock, presses Escape in the snapshot
// after the recording's last, and gathers what the game did.
TEST(RecordingDisplay, AChecksEscapeFollowsTheLastSnapshot) {
  headless::HeadlessDisplay inner(5);
  RecordingDisplay shown(inner, &inner);
  Recording game;
  game.tick = 99;
  game.snapshots = {{25}, {200}};
  shown.Play(game, RecordingDisplay::Playback::kCheck);
  EXPECT_EQ(KeysRead(shown, 3), (std::vector<std::vector<int>>{{25}, {200}, {DIK_ESCAPE}}));
  shown.MessageBox(nullptr, "b", "a", MB_OK);
  EXPECT_EQ(KeysRead(shown, 1), (std::vector<std::vector<int>>{{}}));
  shown.MessageBox(nullptr, "d", "c", MB_OK);
  shown.Finish(7);
  EXPECT_EQ(shown.TickCount(), 5u);
  runs::Replayed replayed = shown.Replayed();
  EXPECT_EQ(replayed.boxes, (std::vector<runs::Box>{{"a", "b"}, {"c", "d"}}));
  EXPECT_EQ(std::vector<int>({replayed.firstBoxSnapshot, replayed.snapshots, replayed.exitCode}),
            std::vector<int>({3, 4, 7}));
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
