// The program's main sequence, run by the runtime once it is ready. Kept in a
// file of its own so that test programs can run the game's start-up with
// their own main sequence.
#include <cstring>

#include "game/game.h"
#include "runtime/keyboard/keyboard.h"
#include "runtime/screen/screen.h"

namespace {
constexpr int32_t kKeyUp = 200;
}

void GameMain() {
  ChooseRockTint();
  OpenBrightness = 190;
  RockBrightness = 255;
  ListNew(&ShipList, sizeof(Ship));
  ListNew(&ColumnList, sizeof(CaveColumn));
  if (ScreenInit() == 0 || KeyboardInit() == 0) FailWithError(1);
  OpenDisplay();
  CreateShip(10, 1.0f, Rgb(255, 0, 0), kKeyUp);
  RunGame();
  RuntimeEnd();
}

void GameReset() {
  std::memset(&ShipList, 0, sizeof ShipList);
  std::memset(&ColumnList, 0, sizeof ColumnList);
  RockTint = {};
  OpenBrightness = 0;
  RockBrightness = 0;
}
