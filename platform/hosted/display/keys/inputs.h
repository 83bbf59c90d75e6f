// The inputs other than the keyboard, folded into the keyboard snapshot.
//
// The game reads one thing: the keyboard, as DirectInput scan codes. A
// one-button game is also played by finger, mouse and gamepad, so displays
// fold those into the same snapshot, and the game, its recordings and their
// replays cannot tell them apart:
//   - a pointer held down (any mouse button, finger or pen) is Up; several at
//     once are still one Up;
//   - on a gamepad (the standard layout: the browsers' "standard" mapping,
//     SDL's game controllers) A, B, X, Y, the d-pad's up and either trigger
//     past half way are Up, Start is P, Back (Select) is Escape;
//   - Space is Up as well (the Up arrow stays Up).
// Up is held while any source holds it. A source that goes away while held
// (a pad unplugged, a pointer cancelled, the focus lost) is simply no longer
// in the inputs, so it lets go.
//
// A game of several players (the line-up, 2 to kMaxPlayers) has a thrust key
// per player, all in the one snapshot (kPlayers: Up, W, I, the keypad's 8).
// The keyboard's keys are simply themselves, and Space stays player 1's Up.
// Each pad flies one player: the first pad (slot 0) player 1, the second
// player 2 and so on; pads past the line-up fly nobody, and Start (P) and
// Back (Escape) count on every pad. The play area (the picture of the game's
// window) is split into as many side-by-side zones of equal width as there
// are players, player 1's leftmost; a pointer flies the player of the zone
// in which it went down, until it goes up. With one player every pad and
// every pointer flies it, as above.
//
// An input held across an absence (the player left the game's window or page
// and came back) counts only once pressed again: the player who comes back
// with a key or button still down has not pressed it in the game. One latch
// (HeldLatch) does that for every display, on the folded snapshot.
#pragma once

#include <bitset>
#include <cstdint>
#include <span>

namespace keys {

// ---- the players
constexpr int32_t kMaxPlayers = 4;

// What tells a player apart: the thrust key, which must be the game's for
// that player, and the ball's colour, for a display that shows each player
// where their zone is.
struct Player {
  uint8_t key;      // DirectInput scan code
  uint32_t colour;  // 0xRRGGBB
};
// Players 1 to kMaxPlayers: red on Up, blue on W, yellow on I, green on the
// keypad's 8.
inline constexpr Player kPlayers[kMaxPlayers] = {
    {0xC8, 0xFF0000}, {0x11, 0x0072FF}, {0x17, 0xFFD200}, {0x48, 0x00C878}};

// The zone (0 leftmost: player 1's) of a pointer that went down `x` pixels
// right of the play area's left edge, the area being `width` wide and split
// among `players`; left of the area is the first zone, right of it the last.
// 0 for one player (or a line-up outside 2 to kMaxPlayers) or an empty area.
int32_t PointerZone(int32_t x, int32_t width, int32_t players);
// The first x of zone `zone` in that area (`width` for zone `players`), for
// a display that shows the zones: x is in zone z from ZoneLeft(z) up to
// ZoneLeft(z + 1).
int32_t ZoneLeft(int32_t zone, int32_t width, int32_t players);

// How the displays show the zones when a game of several players begins:
// a strip of each player's colour along the bottom of the play area, this
// many of the desktop's pixels high, for this many milliseconds from the
// first picture.
constexpr int32_t kZoneStripHeight = 3;
constexpr uint64_t kZonesShownFor = 2000;

// The buttons of a gamepad in the standard layout that mean something here.
enum class PadButton { kA, kB, kX, kY, kDpadUp, kStart, kBack, kCount };

// A trigger counts as pressed past this much of its travel.
constexpr float kTriggerPressed = 0.5f;

struct Pad {
  bool buttons[static_cast<int>(PadButton::kCount)] = {};
  float leftTrigger = 0;  // 0 released ... 1 pressed all the way
  float rightTrigger = 0;
  // Which pad it is: 0 the first. A display keeps a pad's slot while it is
  // unplugged, and gives it back when the same pad returns.
  int32_t slot = 0;
};

// What is held besides the keyboard at one keyboard read.
struct Inputs {
  int32_t pointersDown = 0;  // mouse buttons, fingers and pens down anywhere
  std::span<const Pad> pads = {};
  int32_t players = 1;  // the line-up; outside 2 to kMaxPlayers: one player
  // With several players: the pointers down in each zone, zone 0 leftmost
  // (pointersDown is not used then).
  std::span<const int32_t> zonePointers = {};
};

// Sets in `state` (DirectInput scan codes, bit 7 for a key that is down) the
// keys that `inputs` and the keys already in `state` stand for, for its
// line-up.
void FoldInputs(const Inputs& inputs, uint8_t state[256]);

// Holds back what was held when the player came back. Armed on the return
// (when Display::WaitForReturn ends), it takes every key down in the next
// snapshot it is applied to as held from before, and keeps each such key up
// in that snapshot and the later ones until a snapshot shows it up. Keys that
// go down after that snapshot count as they are. Being folded, Up held by any
// source (Space, a pointer, a pad) stays up until no source holds it. The
// displays apply it to a snapshot of their own taken at the return, then to
// every snapshot the game reads.
class HeldLatch {
 public:
  void Arm() { armed_ = true; }
  // Applies the latch to the folded snapshot `state`.
  void Apply(uint8_t state[256]);

 private:
  bool armed_ = false;
  std::bitset<256> held_;  // by scan code: held from before the return
};

}  // namespace keys
