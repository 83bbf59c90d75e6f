// What the SDL display reads besides the keyboard: the pointers held in its
// windows and SDL's game controllers, folded into the keyboard snapshot as
// the other displays fold them (display/keys/inputs.h).
//
// A pointer is a mouse button (a pen on X11 is one) or a finger (SDL's touch)
// that went down in one of the display's windows; it is held until it goes up,
// wherever that happens, or until the focus leaves the display's windows.
// Game controllers are opened as SDL finds them, those plugged in at the start
// included, and closed when unplugged, which lets go of whatever they held.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

union SDL_Event;

namespace sdl {

class HeldInputs {
 public:
  HeldInputs() = default;
  ~HeldInputs() { ClosePads(); }
  HeldInputs(const HeldInputs&) = delete;
  HeldInputs& operator=(const HeldInputs&) = delete;

  // Starts SDL's game controllers, once; without them only pointers count.
  void OpenPads();
  // Closes the controllers and stops SDL's game controllers (before SDL_Quit).
  void ClosePads();
  // Takes in one of SDL's events: pointers going down in one of the
  // display's windows (`ours`, the event's window), pointers going up,
  // controllers plugged in or out; every other event changes nothing.
  void Take(const SDL_Event& event, bool ours);
  // Every pointer lets go: the focus left the display's windows.
  void LetGoOfPointers();
  // The snapshot (sdl_keys.h's MapKeyboard) of SDL's key state `held` (null:
  // every key up) with the pointers and the controllers folded in when
  // `focused` (one of the display's windows has the focus).
  void Snapshot(const uint8_t* held, int count, bool focused, uint8_t state[256]);
  // Mouse buttons and fingers held, as they count.
  int32_t PointersDown() const;
  // Game controllers open.
  int32_t Pads() const { return static_cast<int32_t>(pads_.size()); }

 private:
  bool padsStarted_ = false;
  uint32_t mouseButtons_ = 0;                         // SDL_BUTTON masks
  std::vector<std::pair<int64_t, int64_t>> fingers_;  // touch device, finger
  std::vector<int32_t> pads_;                         // by SDL joystick instance
};

}  // namespace sdl
