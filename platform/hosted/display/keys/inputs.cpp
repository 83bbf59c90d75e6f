// Pointers, gamepads and Space folded into the keyboard snapshot, and the
// latch on what was held across an absence.
#include "platform/hosted/display/keys/inputs.h"

namespace keys {
namespace {

// The scan codes of the keys the game reads, and of Space; bit 7 marks a key
// that is down.
enum ScanCode : uint8_t { kEscape = 0x01, kP = 0x19, kSpace = 0x39, kUp = 0xC8, kDown = 0x80 };

bool Held(const Pad& pad, PadButton button) { return pad.buttons[static_cast<int>(button)]; }

}  // namespace

void FoldInputs(const Inputs& inputs, uint8_t state[256]) {
  bool up = inputs.pointersDown > 0 || (state[kSpace] & kDown);
  for (const Pad& pad : inputs.pads) {
    up = up || Held(pad, PadButton::kA) || Held(pad, PadButton::kB) || Held(pad, PadButton::kX) ||
         Held(pad, PadButton::kY) || Held(pad, PadButton::kDpadUp) ||
         pad.leftTrigger > kTriggerPressed || pad.rightTrigger > kTriggerPressed;
    if (Held(pad, PadButton::kStart)) state[kP] |= kDown;
    if (Held(pad, PadButton::kBack)) state[kEscape] |= kDown;
  }
  if (up) state[kUp] |= kDown;
}

void HeldLatch::Apply(uint8_t state[256]) {
  for (size_t code = 0; code < held_.size(); ++code) {
    bool down = (state[code] & kDown) != 0;
    if (armed_ && down) held_.set(code);
    if (!down) held_.reset(code);
    if (held_[code]) state[code] = 0;
  }
  armed_ = false;
}

}  // namespace keys
