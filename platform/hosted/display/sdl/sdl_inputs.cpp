// Pointers and game controllers of the SDL display.
#include "platform/hosted/display/sdl/sdl_inputs.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "platform/hosted/display/keys/inputs.h"
#include "platform/hosted/display/sdl/sdl_keys.h"

namespace sdl {
namespace {

// SDL's buttons in the order of keys::PadButton.
constexpr SDL_GameControllerButton kPadButtons[] = {
    SDL_CONTROLLER_BUTTON_A,   SDL_CONTROLLER_BUTTON_B,       SDL_CONTROLLER_BUTTON_X,
    SDL_CONTROLLER_BUTTON_Y,   SDL_CONTROLLER_BUTTON_DPAD_UP, SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_BACK};
constexpr int kButtons = static_cast<int>(keys::PadButton::kCount);

// A trigger from 0 (released) to 1 (pressed all the way).
float Trigger(SDL_GameController* controller, SDL_GameControllerAxis axis) {
  return static_cast<float>(SDL_GameControllerGetAxis(controller, axis)) / 32767.0f;
}

}  // namespace

void HeldInputs::ClosePads() {
  for (const Slot& slot : slots_)
    if (slot.instance >= 0)
      SDL_GameControllerClose(SDL_GameControllerFromInstanceID(slot.instance));
  slots_.clear();
  if (padsStarted_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  padsStarted_ = false;
}

// SDL then tells of the controllers plugged in already, as of those plugged
// in later (SDL_CONTROLLERDEVICEADDED).
void HeldInputs::OpenPads() {
  if (padsStarted_) return;
  padsStarted_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

int32_t HeldInputs::Pads() const {
  return static_cast<int32_t>(
      std::count_if(slots_.begin(), slots_.end(), [](const Slot& s) { return s.instance >= 0; }));
}

std::vector<SDL_GameController*> HeldInputs::PadsOf(int32_t player) const {
  std::vector<SDL_GameController*> pads;
  for (size_t s = 0; s < slots_.size(); ++s)
    if (slots_[s].instance >= 0 && (players_ == 1 || static_cast<int32_t>(s) == player - 1))
      pads.push_back(SDL_GameControllerFromInstanceID(slots_[s].instance));
  return pads;
}

void HeldInputs::Take(const SDL_Event& event, bool ours, int32_t zone) {
  switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
      // A finger also moves SDL's mouse: it counts once, as a finger.
      if (ours && event.button.which != SDL_TOUCH_MOUSEID) Down(kMouse, event.button.button, zone);
      break;
    case SDL_MOUSEBUTTONUP:
      Up(kMouse, event.button.button);
      break;
    case SDL_FINGERDOWN:
      if (ours) Down(event.tfinger.touchId, event.tfinger.fingerId, zone);
      break;
    case SDL_FINGERUP:
      Up(event.tfinger.touchId, event.tfinger.fingerId);
      break;
    case SDL_CONTROLLERDEVICEADDED:
      PlugIn(event.cdevice.which);
      break;
    case SDL_CONTROLLERDEVICEREMOVED:
      Unplug(event.cdevice.which);
      break;
    default:
      break;
  }
}

void HeldInputs::Down(int64_t device, int64_t id, int32_t zone) {
  Up(device, id);  // a pointer down twice counts once, in its latest zone
  pointers_.push_back({device, id, zone});
}

void HeldInputs::Up(int64_t device, int64_t id) {
  std::erase_if(pointers_, [&](const Pointer& p) { return p.device == device && p.id == id; });
}

void HeldInputs::PlugIn(int32_t deviceIndex) {
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (controller == nullptr) return;
  SDL_Joystick* joystick = SDL_GameControllerGetJoystick(controller);
  int32_t instance = SDL_JoystickInstanceID(joystick);
  auto has = [](int32_t id) { return [id](const Slot& slot) { return slot.instance == id; }; };
  if (std::any_of(slots_.begin(), slots_.end(), has(instance))) {
    SDL_GameControllerClose(controller);  // opened twice: once is kept
    return;
  }
  Slot pad{{}, instance};
  SDL_JoystickGUID guid = SDL_JoystickGetGUID(joystick);
  std::memcpy(pad.guid.data(), guid.data, pad.guid.size());
  auto slot = std::find_if(slots_.begin(), slots_.end(), [&pad](const Slot& slot) {
    return slot.instance < 0 && slot.guid == pad.guid;
  });
  if (slot == slots_.end()) slot = std::find_if(slots_.begin(), slots_.end(), has(-1));
  if (slot == slots_.end())
    slots_.push_back(pad);
  else
    *slot = pad;
}

// The slot stays, with its GUID, for the pad's return.
void HeldInputs::Unplug(int32_t instance) {
  for (Slot& slot : slots_) {
    if (slot.instance != instance) continue;
    SDL_GameControllerClose(SDL_GameControllerFromInstanceID(instance));
    slot.instance = -1;
  }
}

void HeldInputs::LetGoOfPointers() { pointers_.clear(); }

void HeldInputs::Snapshot(const uint8_t* held, int count, bool focused, uint8_t state[256]) {
  MapKeyboard(held, count, state);
  if (!focused) return;
  std::vector<keys::Pad> pads;
  for (size_t s = 0; s < slots_.size(); ++s) {
    if (slots_[s].instance < 0) continue;
    SDL_GameController* controller = SDL_GameControllerFromInstanceID(slots_[s].instance);
    keys::Pad pad;
    for (int b = 0; b < kButtons; ++b)
      pad.buttons[b] = SDL_GameControllerGetButton(controller, kPadButtons[b]) != 0;
    pad.leftTrigger = Trigger(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
    pad.rightTrigger = Trigger(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    pad.slot = static_cast<int32_t>(s);
    pads.push_back(pad);
  }
  int32_t zones[keys::kMaxPlayers] = {};
  for (const Pointer& pointer : pointers_)
    if (pointer.zone >= 0 && pointer.zone < keys::kMaxPlayers) ++zones[pointer.zone];
  keys::FoldInputs({PointersDown(), pads, players_, zones}, state);
}

}  // namespace sdl
