// The program's main sequence, run by the runtime once it is ready, and the
// zeroing of the game's globals. Kept in a file of their own so that test
// programs can run the game's logic under a main sequence of their own.
#include <cstring>

#include "game/game.h"

void GameMain() {
  StartGame();
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
