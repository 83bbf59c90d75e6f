// Pointers and game controllers of the SDL display.
#include "platform/hosted/display/sdl/sdl_inputs.h"

#include <SDL.h>

#include <algorithm>
#include <bit>

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
  for (int32_t id : pads_) SDL_GameControllerClose(SDL_GameControllerFromInstanceID(id));
  pads_.clear();
  if (padsStarted_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  padsStarted_ = false;
}

// SDL then tells of the controllers plugged in already, as of those plugged
// in later (SDL_CONTROLLERDEVICEADDED).
void HeldInputs::OpenPads() {
  if (padsStarted_) return;
  padsStarted_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
}

void HeldInputs::Take(const SDL_Event& event, bool ours) {
  switch (event.type) {
    case SDL_MOUSEBUTTONDOWN:
      // A finger also moves SDL's mouse: it counts once, as a finger.
      if (ours && event.button.which != SDL_TOUCH_MOUSEID)
        mouseButtons_ |= SDL_BUTTON(event.button.button);
      break;
    case SDL_MOUSEBUTTONUP:
      mouseButtons_ &= ~SDL_BUTTON(event.button.button);
      break;
    case SDL_FINGERDOWN:
      if (ours) fingers_.emplace_back(event.tfinger.touchId, event.tfinger.fingerId);
      break;
    case SDL_FINGERUP:
      std::erase(fingers_,
                 std::pair<int64_t, int64_t>(event.tfinger.touchId, event.tfinger.fingerId));
      break;
    case SDL_CONTROLLERDEVICEADDED: {
      SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which);
      if (controller == nullptr) break;
      int32_t id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
      if (std::find(pads_.begin(), pads_.end(), id) != pads_.end()) {
        SDL_GameControllerClose(controller);  // opened twice: once is kept
      } else {
        pads_.push_back(id);
      }
      break;
    }
    case SDL_CONTROLLERDEVICEREMOVED: {
      int32_t id = event.cdevice.which;
      auto gone = std::find(pads_.begin(), pads_.end(), id);
      if (gone == pads_.end()) break;
      SDL_GameControllerClose(SDL_GameControllerFromInstanceID(id));
      pads_.erase(gone);
      break;
    }
    default:
      break;
  }
}

void HeldInputs::LetGoOfPointers() {
  mouseButtons_ = 0;
  fingers_.clear();
}

int32_t HeldInputs::PointersDown() const {
  return std::popcount(mouseButtons_) + static_cast<int32_t>(fingers_.size());
}

void HeldInputs::Snapshot(const uint8_t* held, int count, bool focused, uint8_t state[256]) {
  MapKeyboard(held, count, state);
  if (!focused) return;
  std::vector<keys::Pad> pads;
  for (int32_t id : pads_) {
    SDL_GameController* controller = SDL_GameControllerFromInstanceID(id);
    keys::Pad pad;
    for (int b = 0; b < kButtons; ++b)
      pad.buttons[b] = SDL_GameControllerGetButton(controller, kPadButtons[b]) != 0;
    pad.leftTrigger = Trigger(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
    pad.rightTrigger = Trigger(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    pads.push_back(pad);
  }
  keys::FoldInputs({PointersDown(), pads}, state);
}

}  // namespace sdl
