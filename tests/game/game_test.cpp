// The whole game on the headless display, observed at every keyboard
// snapshot.
#include "game/game.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <string>
#include <vector>

#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/display/recording/recording_display.h"
#include "platform/hosted/hosted_view.h"
#include "runs/race/race.h"
#include "runtime/keyboard/keyboard.h"
#include "runtime/list/list_view.h"
#include "runtime/screen/screen_view.h"

namespace {

struct Frame {
  std::vector<Ship> ships;
  std::vector<CaveColumn> columns;
  Tint tint;
};

std::vector<CaveColumn> Columns() { return ListRecords<CaveColumn>(ColumnList); }
std::vector<Ship> Ships() { return ListRecords<Ship>(ShipList); }

struct Played {
  int exitCode = -1;
  std::vector<Frame> frames;  // one per snapshot, taken before the frame acts on it
  std::vector<headless::MessageBoxRecord> boxes;
};

// Runs the game; `keys` says which keys are down in snapshot k, given the
// game as it stands (so a test can steer). `each` sees every snapshot. The
// player is away for a minute after snapshot `absentAfter` (-1: never). A
// `speed` other than 0 plays at that percent of the speed, on a recording
// display around the headless one (`display`, when given, learns it).
Played Play(uint32_t tick, const std::function<std::vector<uint8_t>(int, const Frame&)>& keys,
            const std::function<void(int)>& each = nullptr, int limit = 5000, int absentAfter = -1,
            int32_t speed = 0, headless::HeadlessDisplay** shownOn = nullptr) {
  Played run;
  headless::HeadlessDisplay display(tick);
  if (shownOn != nullptr) *shownOn = &display;
  display.SetAbsence(absentAfter, 60000);
  display.SetKeyScript([&](int snapshot, uint8_t state[256]) {
    Frame frame{Ships(), Columns(), RockTint};
    if (snapshot >= limit) {
      state[kKeyEscape] = snapshot == limit ? 0x80 : 0;
    } else {
      for (uint8_t code : keys(snapshot, frame)) state[code] = 0x80;
    }
    run.frames.push_back(std::move(frame));
  });
  display.onSnapshot = [&](int snapshot) {
    if (each) each(snapshot);
  };
  recording::RecordingDisplay slowed(display, &display);
  slowed.SetStartTick(tick);
  slowed.SetGameSpeed(speed);
  run.exitCode =
      speed != 0 ? hosted::RunWinMain(slowed, &slowed) : hosted::RunWinMain(display, &display);
  run.boxes = display.MessageBoxes();
  return run;
}

std::vector<uint8_t> NoKeys(int, const Frame&) { return {}; }

// Holds Up while the ship's collision line is below the middle of its column.
std::vector<uint8_t> Autopilot(int, const Frame& frame) {
  if (frame.ships.empty() || frame.columns.size() < 161) return {};
  const Ship& ship = frame.ships[0];
  const CaveColumn& column = frame.columns[160];
  float middle = (column.top + column.bottom) / 2.0f;
  return ship.y + 10.0f + ship.vy * 6.0f > middle ? std::vector<uint8_t>{kKeyUp}
                                                  : std::vector<uint8_t>{};
}

int32_t Points(const CaveColumn& column) {
  return (RoundToInt(column.top - column.bottom + 240.0f) * 3 * 100) / 240;
}

TEST(Game, WithoutKeysTheShipFallsAndTheScoresAreShown) {
  Played run = Play(0, NoKeys);
  EXPECT_EQ(run.exitCode, 0);
  ASSERT_EQ(run.boxes.size(), 1u);
  EXPECT_EQ(run.boxes[0].title, "Game Over!");
  EXPECT_EQ(run.boxes[0].flags, 0u);
  // Every frame of a living ship earns the points of the column under it,
  // the frame in which it dies included.
  int32_t expected = 0;
  int death = -1;
  for (size_t k = 0; k < run.frames.size(); ++k) {
    const Frame& frame = run.frames[k];
    ASSERT_EQ(frame.ships.size(), 1u);
    EXPECT_EQ(frame.ships[0].score, expected) << "snapshot " << k;
    if (frame.ships[0].dead) {
      death = static_cast<int>(k);
      break;
    }
    expected += Points(frame.columns[160]);
  }
  ASSERT_GT(death, 0);
  // Dead in snapshot `death`: the game-over frame is that very pass.
  EXPECT_EQ(run.frames.size(), static_cast<size_t>(death + 1));
  EXPECT_EQ(run.boxes[0].text,
            "Spielstand:\n\nPlayer 1: " + std::to_string(expected / 1000) + " Punkte\n");
  // It fell: below its start, accelerating.
  EXPECT_GT(run.frames[death].ships[0].y, 120.0f);
  EXPECT_GT(run.frames[5].ships[0].vy, run.frames[4].ships[0].vy);
}

TEST(Game, ThrustAndGravityChangeTheVelocity) {
  // Up in snapshots 0-9, then nothing.
  Played run = Play(3, [](int k, const Frame&) {
    return k < 10 ? std::vector<uint8_t>{kKeyUp} : std::vector<uint8_t>{};
  });
  ASSERT_GT(run.frames.size(), 13u);
  const float up = std::bit_cast<float>(0x3DC8E8A7u) - 0.16f;
  for (int k = 1; k < 10; ++k)
    EXPECT_NEAR(run.frames[k + 1].ships[0].vy - run.frames[k].ships[0].vy, up, 1e-6);
  EXPECT_LT(run.frames[10].ships[0].y, 120.0f);  // held Up keeps it up
  EXPECT_NEAR(run.frames[12].ships[0].vy - run.frames[11].ships[0].vy,
              std::bit_cast<float>(0x3DC8E8A7u), 1e-6);
}

TEST(Game, EscapeQuitsWithoutABox) {
  Played run = Play(0, [](int k, const Frame&) {
    return k == 1 ? std::vector<uint8_t>{kKeyEscape} : std::vector<uint8_t>{};
  });
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(run.frames.size(), 3u);  // pressed in 1, let go in 2: the pass of 2 is the last
}

TEST(Game, PauseBeginsOnReleaseFreezesAndEndsOnTheNextRelease) {
  // P down in 2 and 3 (held: no pause yet), up in 4 (pause from the end of
  // that pass), down again in 8, up in 9 (resumed).
  Played run = Play(
      1,
      [](int k, const Frame& f) {
        std::vector<uint8_t> keys = Autopilot(k, f);
        if (k == 2 || k == 3 || k == 8) keys.push_back(kKeyP);
        return keys;
      },
      nullptr, 20);
  ASSERT_GE(run.frames.size(), 12u);
  auto same = [](const Frame& a, const Frame& b) {
    if (a.ships[0].y != b.ships[0].y || a.ships[0].score != b.ships[0].score) return false;
    for (size_t i = 0; i < a.columns.size(); ++i)
      if (a.columns[i].top != b.columns[i].top || a.columns[i].bottom != b.columns[i].bottom)
        return false;
    return a.tint.red == b.tint.red && a.tint.green == b.tint.green && a.tint.blue == b.tint.blue;
  };
  EXPECT_FALSE(same(run.frames[3], run.frames[4]));  // still running while P is held
  EXPECT_FALSE(same(run.frames[4], run.frames[5]));  // the pass that saw P let go ran on
  // Snapshots 5-9 are taken in the pause loop, 10 by the first pass after it.
  for (int k = 6; k <= 10; ++k) EXPECT_TRUE(same(run.frames[5], run.frames[k])) << k;
  EXPECT_FALSE(same(run.frames[10], run.frames[11]));  // running again
  EXPECT_TRUE(run.boxes.empty());
}

TEST(Game, EscapeInsideThePauseEndsItAndQuits) {
  // P and Escape let go in the same snapshot: the pause begins, and the game
  // quits as soon as it ends.
  Played run = Play(2, [](int k, const Frame&) {
    if (k == 1) return std::vector<uint8_t>{kKeyP, kKeyEscape};
    if (k == 4) return std::vector<uint8_t>{kKeyEscape};
    return std::vector<uint8_t>{};
  });
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.boxes.empty());
  EXPECT_EQ(run.frames.size(), 6u);  // 0-2 running, 3-5 paused; Escape let go in 5
}

TEST(Game, CaveAndTintKeepTheirShapeFrameAfterFrame) {
  int checked = 0;
  Played run = Play(
      77, Autopilot,
      [&](int) {
        std::vector<CaveColumn> columns = Columns();
        ASSERT_EQ(columns.size(), 320u);
        for (size_t i = 1; i < columns.size(); ++i) {
          ASSERT_GT(columns[i].top, 0.0f);
          ASSERT_LT(columns[i].bottom, 239.0f);
          ASSERT_GT(columns[i].bottom - columns[i].top, 40.0f);
        }
        const int32_t channels[] = {RockTint.red, RockTint.green, RockTint.blue};
        bool full = false;
        for (int32_t c : channels) {
          ASSERT_GE(c, 192);
          ASSERT_LE(c, 255);
          full = full || c == 255;
        }
        ASSERT_TRUE(full);
        ++checked;
      },
      1500);
  EXPECT_GT(checked, 300);  // the autopilot keeps the ship alive for a while
  EXPECT_EQ(run.exitCode, 0);
}

TEST(Game, ThePictureShowsTheColumns) {
  int inspected = 0;
  Play(
      5, Autopilot,
      [&](int snapshot) {
        if (snapshot != 0 && snapshot != 40) return;
        const SpriteRecord* sprite = SpriteRecordAt(kCaveSprite);
        ASSERT_NE(sprite, nullptr);
        hosted::SurfaceInfo picture = hosted::InspectSurface(sprite->surface);
        ASSERT_NE(picture.pixels, nullptr);
        std::vector<CaveColumn> columns = Columns();
        int rock = 0, tinted = 0;
        for (int x = 0; x < 320; ++x) {
          int top = RoundToInt(columns[x].top), bottom = RoundToInt(columns[x].bottom);
          for (int y = 0; y < 240; ++y) {
            uint32_t p = picture.pixels[y * picture.pitch / 4 + x];
            bool grey = ((p >> 16) & 0xFF) == ((p >> 8) & 0xFF) && ((p >> 8) & 0xFF) == (p & 0xFF);
            if (y >= top && y <= bottom) {
              ASSERT_TRUE(grey) << "open pixel (" << x << ", " << y << ") is tinted at snapshot "
                                << snapshot;
            } else {
              ++rock;
              tinted += !grey;
            }
          }
        }
        // Rock pixels are tinted, but a dark texel can be grey by chance.
        EXPECT_GT(tinted, rock * 9 / 10);
        ++inspected;
      },
      60);
  EXPECT_EQ(inspected, 2);
}

// A minute away in the middle of a game: the game goes on as if no time had
// passed, with the same counter at every snapshot and the same box, and the
// readings on either side of the absence are one step of the clock apart.
TEST(Game, AnAbsenceHoldsTheGameAndChangesNothing) {
  std::vector<int32_t> counts[2];
  Played runs[2];
  for (int away = 0; away < 2; ++away)
    runs[away] = Play(
        7, Autopilot, [&](int) { counts[away].push_back(ScreenInspect().lastCount); }, 5000,
        away ? 100 : -1);
  ASSERT_GT(counts[0].size(), 100u);
  EXPECT_EQ(counts[1], counts[0]);
  ASSERT_EQ(runs[1].boxes.size(), 1u);
  EXPECT_EQ(runs[1].boxes[0].text, runs[0].boxes[0].text);
  EXPECT_EQ(runs[1].boxes[0].snapshot, runs[0].boxes[0].snapshot);

  headless::HeadlessDisplay display;
  display.SetAbsence(0, 60000);
  hosted::RunProcess(display, [&] {
    LARGE_INTEGER before, after;
    uint8_t keys[256];
    QueryPerformanceCounter(&before);
    display.ReadKeyboard(keys);
    QueryPerformanceCounter(&after);
    EXPECT_EQ(after.QuadPart - before.QuadPart, 1000);
    EXPECT_EQ(display.Counter(), 600003000);  // the minute passed on the display's clock
  });
}

// At 75 % and 50 % of the speed the game shows the same pictures at the same
// snapshots, its ships where they are at full speed, each frame 4/3 and 2
// times as long on the wrapped clock: its readings step 0.1 ms, a slowed
// game's 0.075 ms and 0.05 ms, and a frame lasts until the first step past
// the period. At 50 % that is 2 x 32.3 ms exactly; at 75 % the first step of
// 0.075 ms past 32.258 ms is 32.325 ms, 43.1 ms on the wrapped clock.
TEST(Game, ASlowerGamePlaysFrameForFrameAsAtFullSpeed) {
  const int32_t speeds[] = {100, 75, 50};
  std::vector<std::string> seen[3];
  std::vector<int64_t> frames[3];
  for (int s = 0; s < 3; ++s) {
    headless::HeadlessDisplay* display = nullptr;
    int64_t before = 0;
    Play(
        7, Autopilot,
        [&](int) {
          hosted::DesktopPicture desktop = hosted::Desktop();
          std::string state(reinterpret_cast<const char*>(desktop.pixels),
                            static_cast<size_t>(desktop.pitch) * desktop.height);
          for (const Ship& ship : Ships())
            state += std::to_string(ship.y) + " " + std::to_string(ship.score) + ";";
          seen[s].push_back(std::to_string(std::hash<std::string>{}(state)));
          frames[s].push_back(display->Counter() - before);
          before = display->Counter();
        },
        400, -1, speeds[s], &display);
  }
  ASSERT_EQ(seen[0].size(), 402u);
  EXPECT_EQ(seen[1], seen[0]);
  EXPECT_EQ(seen[2], seen[0]);
  // Past the first frames, each frame's time on the wrapped clock.
  const int64_t full = 323000, slowest = 2 * full, slower = 431000;
  for (size_t k = 10; k < 400; ++k)
    ASSERT_EQ(std::vector<int64_t>({frames[0][k], frames[1][k], frames[2][k]}),
              std::vector<int64_t>({full, slower, slowest}))
        << k;
}

TEST(Game, EveryStartupFailureShowsItsNumber) {
  struct Case {
    std::function<void(headless::HeadlessDisplay&)> fail;
    const char* text;
  } cases[] = {
      {[](auto& d) { d.FailLoadLibrary("DDRAW.DLL"); }, "Fehler Nr.1"},
      {[](auto& d) { d.Fail(hosted::FailPoint::kDirectDrawCreate); }, "Fehler Nr.1"},
      {[](auto& d) { d.FailLoadLibrary("DINPUT.DLL"); }, "Fehler Nr.1"},
      {[](auto& d) { d.Fail(hosted::FailPoint::kDirectInputCreate); }, "Fehler Nr.1"},
      {[](auto& d) { d.Fail(hosted::FailPoint::kDirectInputDevice); }, "Fehler Nr.1"},
      {[](auto& d) { d.FailCreateWindow("WindowClass_0"); }, "Fehler Nr.2"},
      {[](auto& d) { d.Fail(hosted::FailPoint::kPrimarySurface); }, "Fehler Nr.3"},
      {[](auto& d) { d.Fail(hosted::FailPoint::kBackBuffer); }, "Fehler Nr.3"},
      {[](auto& d) { d.Fail(hosted::FailPoint::kClipper); }, "Fehler Nr.3"},
      {[](auto& d) { d.FailSurfaceSize(320, 240); }, "Fehler Nr.4"},
      {[](auto& d) { d.FailSurfaceSize(20, 20); }, "Fehler Nr.5"},
  };
  for (const Case& c : cases) {
    headless::HeadlessDisplay display;
    c.fail(display);
    EXPECT_EQ(hosted::RunWinMain(display, &display), 0) << c.text;
    ASSERT_EQ(display.MessageBoxes().size(), 1u) << c.text;
    EXPECT_EQ(display.MessageBoxes()[0].title, "ERROR");
    EXPECT_EQ(display.MessageBoxes()[0].text, c.text);
    EXPECT_EQ(display.Snapshots(), 0);
  }
}

// What the game holds after each of its UpdateShips calls (ShipUpdates),
// noted at the snapshot or the box that follows the call.
struct ByCall {
  std::vector<std::vector<Ship>> ships;
  std::vector<std::vector<CaveColumn>> columns;
  std::vector<headless::MessageBoxRecord> boxes;
  std::vector<int16_t> heard;  // Race: every sample, and how often a pad was shaken
  size_t shaken = 0;
  void Watch(headless::HeadlessDisplay& display) {
    auto note = [this] {
      if (static_cast<size_t>(ShipUpdates) <= ships.size()) return;
      ships.push_back(Ships());
      columns.push_back(Columns());
    };
    display.onSnapshot = [note](int) { note(); };
    display.onMessageBox = [this, note](const headless::MessageBoxRecord& box) {
      note();
      boxes.push_back(box);
    };
  }
};

// What a ship's flight is: where, how fast, its score and whether it crashed.
std::vector<float> Flown(const Ship& ship) {
  return {ship.x, ship.y, ship.vy, static_cast<float>(ship.score), static_cast<float>(ship.dead)};
}

// Two players with `ghosts`, or none: player 1 flies by the autopilot,
// player 2 (W) by `thrust`, a ghost's, so that it lives as long; both pause
// from snapshot 41 to 60.
ByCall Race(uint32_t tick, const std::vector<bool>& thrust,
            const std::vector<race::Ghost>& ghosts) {
  ByCall run;
  headless::HeadlessDisplay display(tick);
  run.Watch(display);
  display.SetKeyScript([&](int k, uint8_t state[256]) {
    const Frame player1{{Ships()[ghosts.size()]}, Columns(), RockTint};
    for (uint8_t code : Autopilot(k, player1)) state[code] = 0x80;
    const size_t call = static_cast<size_t>(ShipUpdates);
    if (call < thrust.size() && thrust[call]) state[PlayerKey(2)] = 0x80;
    if (k == 40 || k == 59) state[kKeyP] = 0x80;
  });
  display.KeepSound();
  hosted::RunWinMain(display, &display, race::CommandLine(2, ghosts).c_str());
  run.heard = display.Heard();
  run.shaken = display.Rumbles().size();
  return run;
}

// Every kept recording that ends in its box, raced twice at once by players
// who pause: each ghost flies exactly as the recorded game's ship flew,
// after each UpdateShips call, whatever pauses either game had, and never
// by the keyboard; and the players' ships, the cave and the sound are those
// of the same players without ghosts, whose crashes alone shake a pad: a
// ghost is silent.
TEST(Race, GhostsFlyAsTheyFlewAndChangeNothingOfThePlayersGame) {
  for (const char* name : {"played", "pause", "steered"}) {
    runs::Recording recorded;
    std::string problem;
    ASSERT_TRUE(runs::ReadRecording(
        CAVE_SOURCE_DIR "/tests/recordings/" + std::string(name) + ".rec", &recorded, &problem))
        << problem;
    race::Ghost ghost;
    ASSERT_TRUE(race::MakeGhost(recorded, &ghost, &problem)) << problem;
    // The check that makes a ghost in its replay, and a race's ghost words
    // guessed without one: the ghost's own for a game that never paused (the
    // other two pause).
    race::Checked checked = race::CheckAndMakeGhost(recorded);
    EXPECT_EQ(runs::VerdictLine(checked.verdict), "Verified: " + runs::Scores(recorded)[0].line);
    EXPECT_EQ(checked.ghost, race::GhostCommandLine({ghost})) << name;
    runs::Recording withGhost;
    withGhost.tick = recorded.tick;
    withGhost.ghosts = {ghost.text};
    std::string words;
    runs::Verdict refused;
    ASSERT_TRUE(race::FlyGhosts(withGhost, &words, &refused)) << name;
    EXPECT_EQ(words, checked.ghost);
    EXPECT_EQ(race::GuessGhosts(withGhost) == words, std::string(name) == "steered") << name;
    ByCall alone;
    headless::HeadlessDisplay display(recorded.tick);
    alone.Watch(display);
    recording::Check(display, &display, recorded);

    ByCall raced = Race(recorded.tick, ghost.thrust, {ghost, ghost});
    ByCall plain = Race(recorded.tick, ghost.thrust, {});
    ASSERT_GE(raced.ships.size(), alone.ships.size()) << name;
    for (size_t n = 0; n < alone.ships.size(); ++n)
      for (size_t g = 0; g < 2; ++g)
        ASSERT_EQ(Flown(raced.ships[n][g]), Flown(alone.ships[n][0])) << name << " call " << n;
    ASSERT_EQ(raced.ships.size(), plain.ships.size()) << name;
    for (size_t n = 0; n < plain.ships.size(); ++n) {
      for (size_t player = 0; player < 2; ++player)
        ASSERT_EQ(Flown(raced.ships[n][2 + player]), Flown(plain.ships[n][player]))
            << name << " " << n;
      ASSERT_EQ(raced.columns[n].size(), plain.columns[n].size());
      ASSERT_EQ(std::memcmp(raced.columns[n].data(), plain.columns[n].data(),
                            plain.columns[n].size() * sizeof(CaveColumn)),
                0)
          << name << " " << n;
    }
    ASSERT_EQ(plain.boxes.size(), 1u);
    ASSERT_EQ(raced.boxes.size(), 1u);
    const std::string points = std::to_string(runs::Scores(recorded)[0].points) + " Punkte\n";
    EXPECT_EQ(raced.boxes[0].text,
              plain.boxes[0].text + "Ghost 1: " + points + "Ghost 2: " + points)
        << name;
    EXPECT_EQ(raced.heard, plain.heard) << name;
    EXPECT_EQ(raced.shaken, 2u) << name;  // each player's crash, never a ghost's
  }
}

}  // namespace
