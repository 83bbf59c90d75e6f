// Placeholder until the game lands: the program starts and ends through the
// runtime's end sequence.
#include "runtime/core/core.h"
void GameMain() {}
void GameReset() {}
