// What the cave, the ships and the main sequence share: rounding to pixels,
// and ending the game with an error number.
#include <cmath>

#include "game/game.h"

int32_t RoundToInt(float value) {
  // Clamped so that no float, however far off, converts out of range.
  if (!(value > -2147483648.0f)) return value != value ? 0 : INT32_MIN;
  if (value >= 2147483648.0f) return INT32_MAX;
  return static_cast<int32_t>(std::nearbyint(value));
}

void FailWithError(int32_t number) {
  char* mark = StringWorkPosition;
  char* start = StringWorkPosition;
  StringAppend("Fehler Nr.");
  FormatInt(number, StringWorkPosition);
  ShowMessage("ERROR", StringArgument(start), 0);
  StringWorkPosition = mark;
  RuntimeEnd();
}
