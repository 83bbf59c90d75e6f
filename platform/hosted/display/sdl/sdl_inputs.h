// What the SDL display reads besides the keyboard: the pointers held in its
// windows and SDL's game controllers, folded into the keyboard snapshot as
// the other displays fold them, for the line-up (display/keys/inputs.h).
//
// A pointer is a mouse button (a pen on X11 is one) or a finger (SDL's touch)
// that went down in one of the display's windows; it is held until it goes up,
// wherever that happens, or until the focus leaves the display's windows. It
// keeps the zone (the player) of the place where it went down.
// Game controllers are opened as SDL finds them, those plugged in at the start
// included, and closed when unplugged, which lets go of whatever they held.
// Each takes a slot, which decides its player: a pad plugged back in takes
// the slot that remembers its joystick GUID, any other pad the first slot
// without a pad (its memory replaced), else a new slot after the others.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

union SDL_Event;
struct _SDL_GameController;
typedef struct _SDL_GameController SDL_GameController;

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
  // The line-up the inputs are folded for: 1 to 4 players (others are one).
  void SetPlayers(int32_t players) { players_ = players; }
  int32_t Players() const { return players_; }
  // Takes in one of SDL's events: pointers going down in one of the
  // display's windows (`ours`, the event's window) in the zone `zone`,
  // pointers going up, controllers plugged in or out; every other event
  // changes nothing.
  void Take(const SDL_Event& event, bool ours, int32_t zone = 0);
  // Every pointer lets go: the focus left the display's windows.
  void LetGoOfPointers();
  // The snapshot (sdl_keys.h's MapKeyboard) of SDL's key state `held` (null:
  // every key up) with the pointers and the controllers folded in when
  // `focused` (one of the display's windows has the focus).
  void Snapshot(const uint8_t* held, int count, bool focused, uint8_t state[256]);
  // Mouse buttons and fingers held, as they count.
  int32_t PointersDown() const { return static_cast<int32_t>(pointers_.size()); }
  // Game controllers open.
  int32_t Pads() const;
  // The controllers that fly player `player` (1, 2, ...): with one player
  // every pad, with several the pad in the player's slot.
  std::vector<SDL_GameController*> PadsOf(int32_t player) const;

 private:
  // A mouse button (device kMouse, id the button) or a finger.
  struct Pointer {
    int64_t device;
    int64_t id;
    int32_t zone;
  };
  struct Slot {
    std::array<uint8_t, 16> guid;
    int32_t instance;  // the SDL joystick instance; -1 while unplugged
  };
  static constexpr int64_t kMouse = INT64_MIN;  // no touch device's number
  void Down(int64_t device, int64_t id, int32_t zone);
  void Up(int64_t device, int64_t id);
  void PlugIn(int32_t deviceIndex);
  void Unplug(int32_t instance);

  bool padsStarted_ = false;
  int32_t players_ = 1;
  std::vector<Pointer> pointers_;
  std::vector<Slot> slots_;
};

}  // namespace sdl
