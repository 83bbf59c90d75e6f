// The program's main sequence, run by the runtime once it is ready, and the
// zeroing of the game's globals. Kept in a file of their own so that test
// programs can run the game's logic under a main sequence of their own.
#include "game/game.h"
#include "runtime/start/start.h"

void GameMain() {
  StartGame();
  RunGame();
  RuntimeEnd();
}

void GameReset() { ClearGameGlobals(); }
