// The game's rules at their edges, where whole games rarely go: the collision
// test exactly on the rock's edge, the score of one frame, a dead ship's
// drift, and the frame-rate figure around the restart of its measurement.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "game/game.h"
#include "platform/hosted/display/keys/inputs.h"
#include "platform/hosted/hosted_view.h"
#include "runtime/drawing/drawing.h"
#include "runtime/keyboard/keyboard.h"
#include "runtime/screen/screen.h"
#include "runtime/screen/screen_view.h"
#include "runtime/window/window.h"
#include "tests/support/program.h"

namespace {

// 320 columns that would kill any ship, but for the one at `index`.
void Cave(int index, float top, float bottom) {
  ListNew(&ColumnList, sizeof(CaveColumn));
  for (int i = 0; i < kFieldWidth; ++i) {
    CaveColumn* column = static_cast<CaveColumn*>(ListRecord(ListAdd(&ColumnList)));
    *column = i == index ? CaveColumn{top, bottom} : CaveColumn{230.0f, 235.0f};
  }
}

Ship& AddShip(float x, float y, int32_t dead) {
  Ship* ship = static_cast<Ship*>(ListRecord(ListAdd(&ShipList)));
  *ship = Ship{x, y, 0.0f, 0.0f, 1.0f, 0.16f, 10.0f, 10, Rgb(255, 0, 0), 0, kKeyUp, dead, 0};
  return *ship;
}

// One frame of one living ship at rest (vy 0, so its collision line stays at
// y + 10) over one column: whether it dies, and what it earns.
TEST(UpdateShips, CollisionIsStrictAndTheScoreTruncates) {
  const float above = std::nextafter(40.25f, 0.0f), below = std::nextafter(80.75f, 100.0f);
  struct Case {
    float x, y, top, bottom;
    int32_t dead, points;
  } cases[] = {
      {160.0f, 40.25f, 50.25f, 90.75f, 0, 250},  // line on the ceiling; 199.5 rounds to 200
      {160.0f, above, 50.25f, 90.75f, 1, 250},   // a hair above it: dead, and still paid
      {160.0f, 80.75f, 50.25f, 90.75f, 0, 250},  // line on the floor
      {160.0f, below, 50.25f, 90.75f, 1, 250},   // a hair below it
      {160.0f, 110.0f, 100.0f, 141.0f, 0, 248},  // 41 pixels wide: 199 * 300 / 240
      {160.0f, 110.0f, 0.0f, 240.0f, 0, 0},      // full height earns nothing
      {160.0f, 110.0f, 10.25f, 201.75f, 0, 60},  // 48.5 rounds to 48
      {160.0f, 110.0f, 10.25f, 200.75f, 0, 62},  // 49.5 rounds to 50; 62.5 truncates
      {160.5f, 110.0f, 100.0f, 141.0f, 0, 248},  // x 160.5: column 160 (halves to even)
      {161.5f, 110.0f, 100.0f, 141.0f, 0, 248},  // x 161.5: column 162
  };
  InRuntime([&] {
    ListNew(&ShipList, sizeof(Ship));
    for (const Case& c : cases) {
      Cave(RoundToInt(c.x), c.top, c.bottom);
      ListNew(&ShipList, sizeof(Ship));
      Ship& ship = AddShip(c.x, c.y, 0);
      EXPECT_EQ(UpdateShips(), 1) << "y " << c.y << " over " << c.top << "-" << c.bottom;
      EXPECT_EQ(ship.dead, c.dead) << "y " << c.y << " over " << c.top << "-" << c.bottom;
      EXPECT_EQ(ship.score, c.points) << c.top << "-" << c.bottom;
      EXPECT_EQ(ship.y, c.y);
    }
  });
}

TEST(UpdateShips, ADeadShipDriftsWithTheCaveAndNothingElse) {
  InRuntime([] {
    Cave(160, 100.0f, 141.0f);
    ListNew(&ShipList, sizeof(Ship));
    Ship& dead = AddShip(1.5f, 300.0f, 1);
    dead.vy = 2.0f;
    dead.score = 7000;
    EXPECT_EQ(UpdateShips(), 0);  // nobody alive: the game ends
    EXPECT_EQ(dead.x, -1.5f);
    EXPECT_EQ(dead.y, 300.0f);
    EXPECT_EQ(dead.vy, 2.0f);
    EXPECT_EQ(dead.score, 7000);
    EXPECT_EQ(dead.dead, 1);
    AddShip(160.0f, 110.0f, 0).ghost = 1;  // a living ghost does not
    EXPECT_EQ(UpdateShips(), 0);
    AddShip(160.0f, 110.0f, 0);  // one living player's ship keeps the game going
    EXPECT_EQ(UpdateShips(), 1);
    EXPECT_EQ(dead.x, -7.5f);
  });
}

// The line-up a command line asks for: "--players N" with N from 1 to 4 as a
// word of its own; anything else is one player.
TEST(LineUp, OnlyAWholeLineUpOfOneToFourCounts) {
  const std::pair<const char*, int32_t> cases[] = {
      {"", 1},
      {"--players 2", 2},
      {"  --tick 5 --players\t4 ", 4},
      {"--players 1", 1},
      {"--players 0", 1},
      {"--players 5", 1},
      {"--players x", 1},
      {"--players 02", 1},
      {"--players 2x", 1},
      {"--players", 1},
      {"--players=3", 1},
      {"x--players 3", 1},
  };
  for (const auto& [line, players] : cases) EXPECT_EQ(LineUp(line), players) << line;
  EXPECT_EQ(LineUp(nullptr), 1);
  EXPECT_EQ(PlayerKey(1), kKeyUp);
  EXPECT_EQ(PlayerColour(1), Rgb(255, 0, 0));
  EXPECT_EQ(PlayerKey(2), 17);  // W
  EXPECT_EQ(PlayerKey(3), 23);  // I
  EXPECT_EQ(PlayerKey(4), 72);  // the keypad's 8
  EXPECT_EQ(PlayerKey(5), kKeyUp);
  // The displays fold each player's pad and pointers into that key.
  for (int32_t player = 1; player <= keys::kMaxPlayers; ++player)
    EXPECT_EQ(keys::kPlayers[player - 1].key, PlayerKey(player)) << player;
}

// The ghosts a command line hands over ("--ghost POINTS:BITS", up to three;
// malformed ones left out) and the thrust of each in the first calls: the
// calls' bits, six to a character, the highest first; none past the bits.
TEST(LineUp, GhostsAndTheirThrustFromTheCommandLine) {
  const struct {
    const char* line;
    std::vector<int32_t> points;
    std::string thrust;  // ghost 1's, calls 0-13
  } cases[] = {
      {"--players 2 --ghost 323:gB", {323}, "10000000000100"},
      {"--ghost 0:_-9 --ghost 7: --ghost 1:A --ghost 2:A", {0, 7, 1}, "11111111111011"},
      {"--ghost 5:z_", {5}, "11001111111100"},
      {"--ghost 5", {}, ""},
      {"--ghost :A --ghost 1234567890:A --ghost 5:A= --ghost -5:A --ghost 5;A", {}, ""},
      {"--ghost5:A --ghost", {}, ""},
  };
  for (const auto& c : cases) {
    InRuntime([&] {
      ASSERT_EQ(LineUpGhosts(c.line), static_cast<int32_t>(c.points.size())) << c.line;
      for (size_t n = 0; n < c.points.size(); ++n) EXPECT_EQ(Ghosts[n].points, c.points[n]);
      std::string thrust;
      for (int32_t call = 0; call < 14 && !c.points.empty(); ++call)
        thrust += static_cast<char>('0' + GhostThrust(1, call));
      EXPECT_EQ(thrust, c.thrust) << c.line;
      EXPECT_EQ(GhostThrust(1, -1) + GhostThrust(0, 0) + GhostThrust(4, 0), 0);
    });
  }
  EXPECT_EQ(LineUpGhosts(nullptr), 0);
}

// The white pixels of the head-up display's frame-rate line, (10, 10) onwards.
std::vector<bool> FigurePixels() {
  hosted::SurfaceInfo back = hosted::InspectSurface(ScreenInspect().backBuffer);
  std::vector<bool> white;
  for (int y = 10; y < 30; ++y)
    for (int x = 10; x < 110; ++x)
      white.push_back((back.pixels[y * back.pitch / 4 + x] & 0xFFFFFF) == 0xFFFFFF);
  return white;
}

// The frame-rate figure is measured over 500 frames and then starts again.
// The headless counter moves 1000 ticks a read, so a frame period of
// 10,000,000 / 31 ticks lasts 323,000 ticks, 32.3 ms. Pass 500 restarts the
// measurement at 16150 ms (the counter reads 161,501,000 when it begins):
// before it, 500 frames over about 16150 ms show 31; pass 500 itself shows 0;
// then 1 frame over 16214 - 16150 = 64 ms shows 16 (15.6), 2 frames over
// 97 ms 21 (20.6), 3 frames over 129 ms 23 (23.3).
TEST(RunGame, TheFrameRateFigureAroundItsRestart) {
  // Snapshot k shows what pass k - 1 drew; pass 500 restarts the measurement.
  const std::vector<std::pair<int, std::string>> figures = {{499, "FPS: 31"}, {500, "FPS: 31"},
                                                            {501, "FPS: 0"},  {502, "FPS: 16"},
                                                            {503, "FPS: 21"}, {504, "FPS: 23"}};
  // The steered flight of the reference games lives well past 505 frames.
  std::vector<std::vector<uint8_t>> keys;
  std::ifstream in(std::string(CAVE_SOURCE_DIR) + "/tests/game/references/steer.keys");
  for (std::string line; std::getline(in, line) && keys.size() < 505;)
    keys.push_back(line.empty() ? std::vector<uint8_t>{} : std::vector<uint8_t>{kKeyUp});
  ASSERT_EQ(keys.size(), 505u);
  keys.push_back({kKeyEscape});  // let go in the snapshot after

  headless::HeadlessDisplay game(1);
  game.SetKeyTimeline(keys);
  std::vector<std::vector<bool>> drawn;
  int64_t previousCounter = 0;
  game.onSnapshot = [&](int k) {
    if (k >= figures.front().first - 1) {
      EXPECT_EQ(game.Counter() - previousCounter, 323000) << k;
    }
    if (k == 500) {
      EXPECT_EQ(game.Counter(), 161501000);
    }
    previousCounter = game.Counter();
    if (k >= figures.front().first && k <= figures.back().first) drawn.push_back(FigurePixels());
  };
  EXPECT_EQ(RunWithProgram(game,
                           [] {
                             StartGame();
                             RunGame();
                           }),
            0);
  ASSERT_EQ(drawn.size(), figures.size()) << "the ship did not live long enough";

  // The same lines drawn by the drawing library on a black screen.
  RunWithProgram([&] {
    ScreenInit();
    ScreenOpenWindowed(WindowOpen(0, 0, 0, kFieldWidth, kFieldHeight, kWindowCentredPopup, ""), 0,
                       0, kFieldWidth, kFieldHeight, 0, 0, 0);
    for (size_t i = 0; i < figures.size(); ++i) {
      ScreenClear(0, 0, 0);
      DrawingStart(ScreenOutput());
      DrawingMode(kDrawingTransparentText);
      DrawingColour(255, 255, 255);
      TextCursor(10, 10);
      DrawText(figures[i].second.c_str());
      DrawingStop();
      EXPECT_EQ(drawn[i], FigurePixels())
          << "snapshot " << figures[i].first << " does not show " << figures[i].second;
    }
  });
}

}  // namespace
