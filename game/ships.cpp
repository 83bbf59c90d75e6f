// Ships: creation with the shaded ball, motion, scoring, collision, their
// sounds, drawing.
#include <bit>
#include <cmath>

#include "game/game.h"
#include "runtime/drawing/drawing.h"
#include "runtime/keyboard/keyboard.h"
#include "runtime/screen/screen.h"
#include "runtime/sound/sound.h"

namespace {

// The game's pi is the constant 3.1415930 as a float, which is 0x40490FDC:
// one unit above the float nearest to pi (0x40490FDB), because 3.1415930 lies
// nearer to that one. The balls are shaded with it. The asserts hold both
// constants to the bits the game has always used.
constexpr float kPi = 3.1415930f;
constexpr float kGravityStep = 0.0981f;
static_assert(std::bit_cast<uint32_t>(kPi) == 0x40490FDCu);
static_assert(std::bit_cast<uint32_t>(kGravityStep) == 0x3DC8E8A7u);
constexpr float kSpeed = 3.0f;  // pixels per unit of velocity
constexpr float kScrollSpeed = 3.0f;
constexpr int32_t kFirstShipSprite = 10;
static_assert(kMaxPlayers <= kSoundPlayers, "every player has a hum and a crash");

Ship* CurrentShip() { return ListCurrent<Ship>(ShipList); }

// Player n's own sound of the kind `first` (kSoundHum, kSoundCrash); none
// (-1) past the players that have one.
int32_t PlayerSound(int32_t first, int32_t player) {
  return player >= 1 && player <= kSoundPlayers ? first + player - 1 : -1;
}

// The thrust hum sounds while a live ball's key is down.
bool Hums(const Ship& ship, int32_t down) { return down != 0 && ship.dead == 0; }

// The player whose sounds `ship` makes, counting the players' ships met so
// far in `players`: the n-th player's ship is player n. A ghost is no player
// and silent: none (0).
int32_t Voice(const Ship& ship, int32_t* players) {
  if (ship.ghost != 0) return 0;
  *players = *players + 1;
  return *players;
}

// One ring's brightness: a component scaled by s, kept as a float and then
// rounded.
int32_t Shade(uint32_t component, float s) {
  float value = static_cast<float>(component) * s;
  return RoundToInt(value);
}

}  // namespace

void CreateShip(int32_t radius, float gravity, Colour colour, int32_t key) {
  int32_t sprite = kFirstShipSprite;
  if (ListCount(&ShipList) != 0) {
    // Numbered after the current ship; after a finished walk that is the last.
    const Ship* previous =
        CurrentShip() ? CurrentShip() : static_cast<Ship*>(ListRecord(ShipList.head->last));
    sprite = previous->sprite + 1;
  }
  if (ListAdd(&ShipList) == nullptr) FailWithError(5);
  Ship* ship = CurrentShip();
  ship->x = 160.0f;
  ship->y = 120.0f;
  ship->vx = 0.0f;
  ship->vy = 0.0f;
  ship->thrust = 0.16f;
  ship->offset = 10.0f;
  ship->sprite = sprite;
  ship->score = 0;
  ship->dead = 0;
  ship->colour = colour;
  ship->gravity = gravity;
  ship->key = key;
  ship->ghost = 0;

  if (SpriteCreate(sprite, 2 * radius, 2 * radius) == nullptr) FailWithError(5);
  DrawingStart(SpriteOutput(sprite));
  DrawingMode(0);
  // Filled rings from the outside in, each covering the centre of the one
  // before: black at the rim, brightening towards the centre.
  for (int32_t i = radius; i >= 0 && radius > 0; --i) {
    float angle = static_cast<float>(i) * kPi / static_cast<float>(2 * radius);
    float s = static_cast<float>(std::cos(static_cast<double>(angle)));
    DrawCircle(radius, radius, i,
               Rgb(Shade(RedOf(colour), s), Shade(GreenOf(colour), s), Shade(BlueOf(colour), s)));
  }
  DrawingStop();
}

int32_t UpdateShips() {
  int32_t alive = 0;
  int32_t players = 0;
  const int32_t call = ShipUpdates;
  ShipUpdates = call + 1;
  ListReset(&ShipList);
  while (ListNext(&ShipList)) {
    Ship& ship = *CurrentShip();
    int32_t down = ship.ghost != 0 ? GhostThrust(ship.ghost, call) : KeyDown(ship.key);
    const int32_t voice = Voice(ship, &players);
    if (ship.dead == 1) {
      ship.x = ship.x - kScrollSpeed;
      continue;
    }
    ship.x = ship.x + ship.vx * kSpeed;
    ship.y = ship.y + ship.vy * kSpeed;
    ship.vy = ship.vy + ship.gravity * kGravityStep;
    if (down) ship.vy = ship.vy - ship.thrust;
    ListSelect(&ColumnList, RoundToInt(ship.x));
    // A ship whose column is -1 has no column under it: nothing to earn or
    // to hit there.
    if (const CaveColumn* column = ListCurrent<CaveColumn>(ColumnList)) {
      ship.score = ship.score + (RoundToInt(column->top - column->bottom + 240.0f) * 3 * 100) / 240;
      float line = ship.y + ship.offset;
      if (column->top > line || column->bottom < line) ship.dead = 1;
    }
    if (Hums(ship, down))
      SoundLoop(PlayerSound(kSoundHum, voice), 0);
    else
      SoundStop(PlayerSound(kSoundHum, voice));
    if (ship.dead == 1) SoundPlay(PlayerSound(kSoundCrash, voice), 0);
    if (ship.ghost == 0) alive = 1;
  }
  return alive;
}

void SilenceShips() {
  for (int32_t player = 1; player <= kSoundPlayers; ++player)
    SoundStop(PlayerSound(kSoundHum, player));
}

void DrawShips() {
  ListReset(&ShipList);
  while (ListNext(&ShipList)) {
    const Ship& ship = *CurrentShip();
    SpriteDisplayKeyed(ShipSprite(ship), RoundToInt(ship.x), RoundToInt(ship.y));
  }
}
