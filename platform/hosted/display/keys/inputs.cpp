// Pointers, gamepads and Space folded into the keyboard snapshot, for one
// player or several, and the latch on what was held across an absence.
#include "platform/hosted/display/keys/inputs.h"

#include <algorithm>

namespace keys {
namespace {

// The scan codes of the keys the game reads, and of Space; bit 7 marks a key
// that is down.
enum ScanCode : uint8_t { kEscape = 0x01, kP = 0x19, kSpace = 0x39, kUp = 0xC8, kDown = 0x80 };

bool Held(const Pad& pad, PadButton button) { return pad.buttons[static_cast<int>(button)]; }

bool Thrust(const Pad& pad) {
  return Held(pad, PadButton::kA) || Held(pad, PadButton::kB) || Held(pad, PadButton::kX) ||
         Held(pad, PadButton::kY) || Held(pad, PadButton::kDpadUp) ||
         pad.leftTrigger > kTriggerPressed || pad.rightTrigger > kTriggerPressed;
}

bool Several(int32_t players) { return players >= 2 && players <= kMaxPlayers; }

}  // namespace

// Zone z holds the x with z <= x * players / width < z + 1.
int32_t PointerZone(int32_t x, int32_t width, int32_t players) {
  if (!Several(players) || width <= 0) return 0;
  return static_cast<int32_t>(std::clamp<int64_t>(int64_t{x} * players / width, 0, players - 1));
}

int32_t ZoneLeft(int32_t zone, int32_t width, int32_t players) {
  if (!Several(players) || width <= 0) return zone <= 0 ? 0 : std::max(width, 0);
  int64_t edge = int64_t{std::clamp(zone, 0, players)} * width;
  return static_cast<int32_t>((edge + players - 1) / players);
}

void FoldInputs(const Inputs& inputs, uint8_t state[256]) {
  const bool several = Several(inputs.players);
  // Up: Space and, with one player, every pointer and pad.
  bool up = (state[kSpace] & kDown) || (!several && inputs.pointersDown > 0);
  for (const Pad& pad : inputs.pads) {
    if (Thrust(pad) && !several) up = true;
    if (Thrust(pad) && several && pad.slot >= 0 && pad.slot < inputs.players)
      state[kPlayers[pad.slot].key] |= kDown;
    if (Held(pad, PadButton::kStart)) state[kP] |= kDown;
    if (Held(pad, PadButton::kBack)) state[kEscape] |= kDown;
  }
  for (size_t zone = 0; several && zone < inputs.zonePointers.size(); ++zone)
    if (zone < static_cast<size_t>(inputs.players) && inputs.zonePointers[zone] > 0)
      state[kPlayers[zone].key] |= kDown;
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
