// Ghosts: their thrust from the command line's bits, their translucent balls
// and the mark a crashed ghost leaves in the cave.
#include "game/game.h"
#include "runtime/drawing/drawing.h"
#include "runtime/screen/screen.h"

namespace {

// A lavender apart from the players' red, blue, yellow and green, and from
// the grey passage and the tinted rock.
constexpr int32_t kGhostRed = 220, kGhostGreen = 180, kGhostBlue = 255;
constexpr int32_t kBallRadius = 10;
constexpr int32_t kBallSize = 2 * kBallRadius;
// One mark serves every ghost; the ships' sprites start at 10.
constexpr int32_t kMarkSprite = 9;

// The six bits of a base64url character (LineUpGhosts let only those in).
int32_t Sextet(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  return c == '-' ? 62 : 63;
}

// A cross two pixels wide over the ball's square, in the ghosts' colour.
void DrawMark() {
  if (SpriteCreate(kMarkSprite, kBallSize, kBallSize) == nullptr) FailWithError(5);
  DrawingStart(SpriteOutput(kMarkSprite));
  const Colour colour = Rgb(kGhostRed, kGhostGreen, kGhostBlue);
  for (int32_t i = 4; i < kBallSize - 4; ++i) {
    DrawPlot(i, i, colour);
    DrawPlot(i + 1, i, colour);
    DrawPlot(kBallSize - 1 - i, i, colour);
    DrawPlot(kBallSize - 2 - i, i, colour);
  }
  DrawingStop();
}

}  // namespace

int32_t GhostThrust(int32_t ghost, int32_t call) {
  if (ghost < 1 || ghost > GhostCount || call < 0) return 0;
  const Ghost& g = Ghosts[ghost - 1];
  if (call / 6 >= g.length) return 0;
  return (Sextet(g.thrust[call / 6]) >> (5 - call % 6)) & 1;
}

void CreateGhost(int32_t ghost) {
  if (ghost == 1) DrawMark();
  CreateShip(kBallRadius, 1.0f, Rgb(kGhostRed, kGhostGreen, kGhostBlue), -1);
  Ship& ship = *ListCurrent<Ship>(ShipList);
  ship.ghost = ghost;
  // Every other pixel black, which the keyed copy leaves out: the cave shows
  // through the ball.
  DrawingStart(SpriteOutput(ship.sprite));
  for (int32_t y = 0; y < kBallSize; ++y)
    for (int32_t x = (y + 1) % 2; x < kBallSize; x += 2) DrawPlot(x, y, 0);
  DrawingStop();
}

int32_t ShipSprite(const Ship& ship) {
  return ship.ghost != 0 && ship.dead != 0 ? kMarkSprite : ship.sprite;
}
