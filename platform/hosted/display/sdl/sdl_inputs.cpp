// Pointers and game controllers of the SDL display, and what is held when the
// player comes back.
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
constexpr int kLeftTrigger = kButtons;
constexpr int kRightTrigger = kButtons + 1;
constexpr float kHalfWay = 0.5f;

// Whether an input held or not counts: one held since before Forget does not
// until it has been let go.
bool Fresh(bool held, bool& stale) {
  if (!held) stale = false;
  return held && !stale;
}

// A trigger from 0 (released) to 1 (pressed all the way).
float Trigger(SDL_GameController* controller, SDL_GameControllerAxis axis) {
  return static_cast<float>(SDL_GameControllerGetAxis(controller, axis)) / 32767.0f;
}

}  // namespace

void HeldInputs::ClosePads() {
  for (const OpenPad& pad : pads_)
    SDL_GameControllerClose(SDL_GameControllerFromInstanceID(pad.id));
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
      bool known = std::any_of(pads_.begin(), pads_.end(),
                               [id](const OpenPad& pad) { return pad.id == id; });
      if (known) {
        SDL_GameControllerClose(controller);  // opened twice: once is kept
      } else {
        pads_.push_back({id, {}});
      }
      break;
    }
    case SDL_CONTROLLERDEVICEREMOVED: {
      int32_t id = event.cdevice.which;
      auto gone = std::find_if(pads_.begin(), pads_.end(),
                               [id](const OpenPad& pad) { return pad.id == id; });
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

// Pointers are known by their events: those held are forgotten, and their
// going up will change nothing.
void HeldInputs::Forget(const uint8_t* held, int count) {
  LetGoOfPointers();
  staleKeys_.assign(SDL_NUM_SCANCODES, false);
  for (int i = 0; held != nullptr && i < std::min(count, int{SDL_NUM_SCANCODES}); ++i)
    staleKeys_[i] = held[i] != 0;
  for (OpenPad& pad : pads_) {
    SDL_GameController* controller = SDL_GameControllerFromInstanceID(pad.id);
    for (int b = 0; b < kButtons; ++b)
      pad.stale[b] = SDL_GameControllerGetButton(controller, kPadButtons[b]) != 0;
    pad.stale[kLeftTrigger] = Trigger(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT) > kHalfWay;
    pad.stale[kRightTrigger] = Trigger(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > kHalfWay;
  }
}

void HeldInputs::Snapshot(const uint8_t* held, int count, bool focused, uint8_t state[256]) {
  if (held != nullptr) {
    count = std::clamp(count, 0, int{SDL_NUM_SCANCODES});
    staleKeys_.resize(SDL_NUM_SCANCODES, false);
    scratch_.assign(held, held + count);
    for (int i = 0; i < count; ++i) {
      bool stale = staleKeys_[i];
      scratch_[i] = Fresh(held[i] != 0, stale);
      staleKeys_[i] = stale;
    }
    held = scratch_.data();
  }
  MapKeyboard(held, count, state);
  if (!focused) return;
  std::vector<keys::Pad> pads;
  for (OpenPad& open : pads_) {
    SDL_GameController* controller = SDL_GameControllerFromInstanceID(open.id);
    keys::Pad pad;
    for (int b = 0; b < kButtons; ++b)
      pad.buttons[b] =
          Fresh(SDL_GameControllerGetButton(controller, kPadButtons[b]), open.stale[b]);
    pad.leftTrigger = Trigger(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT);
    pad.rightTrigger = Trigger(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
    if (!Fresh(pad.leftTrigger > kHalfWay, open.stale[kLeftTrigger])) pad.leftTrigger = 0;
    if (!Fresh(pad.rightTrigger > kHalfWay, open.stale[kRightTrigger])) pad.rightTrigger = 0;
    pads.push_back(pad);
  }
  keys::FoldInputs({PointersDown(), pads}, state);
}

}  // namespace sdl
