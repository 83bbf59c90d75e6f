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
// An input held across an absence (the player left the game's window or page
// and came back) counts only once pressed again: the player who comes back
// with a key or button still down has not pressed it in the game. One latch
// (HeldLatch) does that for every display, on the folded snapshot.
#pragma once

#include <bitset>
#include <cstdint>
#include <span>

namespace keys {

// The buttons of a gamepad in the standard layout that mean something here.
enum class PadButton { kA, kB, kX, kY, kDpadUp, kStart, kBack, kCount };

// A trigger counts as pressed past this much of its travel.
constexpr float kTriggerPressed = 0.5f;

struct Pad {
  bool buttons[static_cast<int>(PadButton::kCount)] = {};
  float leftTrigger = 0;  // 0 released ... 1 pressed all the way
  float rightTrigger = 0;
};

// What is held besides the keyboard at one keyboard read.
struct Inputs {
  int32_t pointersDown = 0;  // mouse buttons, fingers and pens down
  std::span<const Pad> pads;
};

// Sets in `state` (DirectInput scan codes, bit 7 for a key that is down) the
// keys that `inputs` and the keys already in `state` stand for.
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
