// The SDL display over its concerns: video, windows, events and message
// boxes; the clock and the signals are its own.
#include "platform/hosted/display/sdl/sdl_display.h"

#include <SDL.h>

#include "platform/hosted/dinput.h"
#include "platform/hosted/display/sdl/ending.h"
#include "platform/hosted/display/sdl/sdl_audio.h"
#include "platform/hosted/display/sdl/sdl_driver.h"
#include "platform/hosted/display/sdl/sdl_events.h"
#include "platform/hosted/display/sdl/sdl_messagebox.h"
#include "platform/hosted/display/sdl/sdl_video.h"
#include "platform/hosted/display/sdl/sdl_window.h"
#include "platform/hosted/services.h"

namespace sdl {
namespace {

constexpr uint64_t kCounterRate = 10000000;  // the hosted performance counter: 10 MHz

}  // namespace

SdlDisplay::SdlDisplay() : driver_(std::make_unique<Driver>()) {
  uint64_t frequency = SDL_GetPerformanceFrequency();
  driver_->frequency = frequency ? frequency : 1;
}

SdlDisplay::~SdlDisplay() {
  StopAudio(*driver_);
  StopVideo(*driver_);
}

// ---- set-up and observation

bool SdlDisplay::SetScale(int32_t scale) { return ChooseScale(*driver_, scale); }
int32_t SdlDisplay::LargestScale() { return LargestScaleOf(*driver_); }
void SdlDisplay::StartInFullScreen() { driver_->startFull = true; }
void SdlDisplay::SetPlayers(int32_t players) { driver_->held.SetPlayers(players); }
void SdlDisplay::SetMuted(bool muted) { driver_->muted = muted; }
void SdlDisplay::SetRumble(bool rumble) { driver_->rumble = rumble; }

void SdlDisplay::EndOnSignals() {
  if (!driver_->endOnSignals) CatchEndingSignals();
  driver_->endOnSignals = true;
}

void SdlDisplay::EndWhenScreenLost(const std::string& line) {
  sdl::EndWhenScreenLost(*driver_, line);
}

void SdlDisplay::ToggleFullScreen(HWND window) { SwitchFullScreen(*driver_, window); }

SDL_Window* SdlDisplay::WindowOf(HWND window) const { return sdl::WindowOf(*driver_, window); }
int32_t SdlDisplay::Scale() const { return driver_->scale; }
HWND SdlDisplay::FullScreenWindow() const { return driver_->full; }
int SdlDisplay::PrintedMessageBoxes() const { return driver_->printedBoxes; }
int64_t SdlDisplay::Rests() const { return driver_->rests; }
const HeldInputs& SdlDisplay::Held() const { return driver_->held; }
int SdlDisplay::EndingSignal() const { return driver_->endingSignal; }
bool SdlDisplay::Muted() const { return driver_->muted; }

// Once: the platform ends the process on the yes, and may still call the
// display on the way out.
bool SdlDisplay::EndRequested(UINT* exitCode) {
  if (!Interrupted(*driver_) || driver_->endingSignal != 0) return false;
  driver_->endingSignal = CaughtSignal();
  *exitCode = static_cast<UINT>(128 + driver_->endingSignal);
  return true;
}

// ---- the screen and the windows

bool SdlDisplay::Available() { return StartVideo(*driver_); }

void SdlDisplay::DesktopSize(int32_t* width, int32_t* height) {
  LogicalDesktop(*driver_, width, height);
}

void SdlDisplay::WindowChanged(HWND window, const hosted::TopWindow& view) {
  MirrorWindow(*driver_, window, view);
}

void SdlDisplay::WindowDestroyed(HWND window) { EndMirror(*driver_, window); }

void SdlDisplay::Present(HWND window, const RECT&) {
  Shown* shown = FindShown(*driver_, window);
  if (shown && shown->visible) Paint(*driver_, *shown);
}

// ---- the clock: SDL's performance counter

int64_t SdlDisplay::Now() const {
  // Split so that the scaling cannot overflow for any counter value.
  uint64_t count = SDL_GetPerformanceCounter();
  uint64_t frequency = driver_->frequency;
  uint64_t ticks = count / frequency * kCounterRate + count % frequency * kCounterRate / frequency;
  return static_cast<int64_t>(ticks & INT64_MAX);
}

// Each reading tops the sound's queue up as well: the program reads the
// clock all through its frames.
int64_t SdlDisplay::ReadCounter() {
  FeedAudio(*driver_);
  return driver_->answered = Now();
}

uint32_t SdlDisplay::TickCount() { return static_cast<uint32_t>(Now() / 10000); }

void SdlDisplay::Rest(int64_t foreseen) {
  if (hosted::RestInWait(driver_->answered, Now(), foreseen)) ++driver_->rests;
}

void SdlDisplay::Sleep(uint32_t milliseconds) { SleepFeeding(*driver_, milliseconds); }

// ---- events, the keyboard and message boxes

void SdlDisplay::Pump() { PumpEvents(*driver_); }

bool SdlDisplay::ReadKeyboard(uint8_t state[256]) {
  ReadKeys(*driver_, state);
  state[DIK_M] = 0;  // the display's own key (sdl_events.h)
  return true;
}

bool SdlDisplay::Away() { return PlayerAway(*driver_); }

void SdlDisplay::WaitForReturn() {
  HoldAudio(*driver_, true);
  WaitForPlayer(*driver_);
  HoldAudio(*driver_, false);
}

// The box holds the program: what plays once is queued to its end first.
int SdlDisplay::MessageBox(HWND owner, const char* text, const char* title, uint32_t flags) {
  FeedUntilQuiet(*driver_);
  return ShowMessageBox(*driver_, owner, text, title, flags);
}

// ---- sound

bool SdlDisplay::SoundAvailable() { return StartAudio(*driver_); }

void SdlDisplay::Rumble(int32_t player, uint32_t milliseconds) {
  RumblePad(*driver_, player, milliseconds);
}

}  // namespace sdl
