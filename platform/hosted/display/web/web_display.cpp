// The web display: clock, canvas, keys and message boxes through the page.
#include "platform/hosted/display/web/web_display.h"

#include <emscripten.h>

#include <algorithm>
#include <cmath>

#include "platform/hosted/dinput.h"
#include "platform/hosted/display/keys/inputs.h"
#include "platform/hosted/display/keys/keys.h"
#include "platform/hosted/services.h"

// The page's side, CaveWeb in web_display.js. Pointers are offsets into the
// program's memory (HEAPU8).
EM_JS(double, PageNow, (), { return performance.now(); });
EM_ASYNC_JS(void, PageSleep, (double milliseconds), { await CaveWeb.sleep(milliseconds); });
EM_JS(void, PageStart, (), { CaveWeb.start(); });
EM_JS(void, PageMapKey, (const char* code, int scanCode),
      { CaveWeb.mapKey(UTF8ToString(code), scanCode); });
EM_JS(void, PageReadKeys, (uint8_t * state),
      { CaveWeb.readKeys(HEAPU8.subarray(state, state + 256)); });
EM_JS(int, PageReadPointers, (int32_t * places, int max),
      { return CaveWeb.readPointers(places >> 2, max); });
EM_JS(int, PageReadPads, (float* pads, int max), { return CaveWeb.readPads(pads >> 2, max); });
EM_JS(int, PageAway, (), { return CaveWeb.away ? 1 : 0; });
EM_ASYNC_JS(void, PageWaitForReturn, (), { await CaveWeb.waitForReturn(); });
EM_JS(void, PagePresent,
      (const uint32_t* pixels, int width, int height, int x, int y, int w, int h),
      { CaveWeb.present(pixels, width, height, x, y, w, h); });
EM_ASYNC_JS(void, PageMessageBox, (const char* title, const char* text),
            { await CaveWeb.messageBox(CaveWeb.ansi(title), CaveWeb.ansi(text)); });
EM_JS(int, PageSoundReady, (), { return CaveWeb.soundReady() ? 1 : 0; });
EM_JS(double, PageSoundAhead, (), { return CaveWeb.soundAhead(); });
EM_JS(void, PageQueueSound, (const int16_t* samples, int count, int rate),
      { CaveWeb.queueSound(new Int16Array(HEAPU8.buffer, samples, count), rate); });
EM_JS(void, PageRumble, (int player, int milliseconds, int players),
      { CaveWeb.rumble(player, milliseconds, players); });

namespace web {
namespace {

// The browser's timers count whole milliseconds and fire a few tenths of one
// late, more on a busy machine; a wait sleeps in steps of whole milliseconds.
// Within half a step of the end, a step would make the frame later than it is
// worth: the wait reads the clock until the end instead.
constexpr double kStepMs = 1.0;
constexpr double kReadMs = 0.5;
constexpr double kCounterPerMs = 10000.0;  // the hosted performance counter: 10 MHz

// The sound handed to the page ahead of what is heard: more than the longest
// the program goes without reading the clock (a frame, and a late timer),
// little enough that a sound comes with its frame; handed over at least a
// block at a time, and looked at every few milliseconds.
constexpr double kSoundLeadMs = 60.0;
constexpr double kSoundBlockMs = 20.0;
constexpr double kSoundLookMs = 8.0;
// Unheard (before the first press), the sound moves on by the clock, but at
// most this much at a time.
constexpr double kUnheardMs = 1000.0;
constexpr int32_t kLongestOnce = hosted::kMixRate * 10;  // what a box waits out, at most

int32_t SamplesIn(double milliseconds) {
  return static_cast<int32_t>(milliseconds * hosted::kMixRate / 1000.0);
}

// The gamepads read at most, and the numbers the page gives for each
// (CaveWeb.readPads): its buttons in the order of keys::PadButton (A, B, X,
// Y, d-pad up, Start, Back), then the left and the right trigger, then its
// index in the Gamepad API.
constexpr int kMaxPads = 4;
constexpr int kPadButtons = static_cast<int>(keys::PadButton::kCount);
constexpr int kPadFields = kPadButtons + 3;

// The pointers whose places are read at most (CaveWeb.readPointers); more
// held at once still hold Up for one player, and fly nobody else.
constexpr int kMaxPointers = 16;

}  // namespace

WebDisplay::WebDisplay(uint32_t startTick) : startTick_(startTick) {
  rgba_.assign(static_cast<size_t>(kWidth) * kHeight, 0xFF000000u);
  PageStart();
  for (const keys::Key& key : keys::KeyTable())
    if (key.domCode != nullptr) PageMapKey(key.domCode, key.scanCode);
}

void WebDisplay::SetPlayers(int32_t players) {
  players_ = players >= 1 && players <= keys::kMaxPlayers ? players : 1;
}

bool WebDisplay::Available() { return true; }

void WebDisplay::DesktopSize(int32_t* width, int32_t* height) {
  *width = kWidth;
  *height = kHeight;
}

// A wait on the clock sleeps, and so gives the browser its turns. While the
// wait's end is foreseen (from the rhythm of the waits before it), it sleeps
// until about a step before that end, then a step at a time; the last part
// of a step, which no timer can time, it may wait out reading the clock. A late
// timer makes the frame late by as much, and no later. With nothing foreseen
// it sleeps a step at a time.
void WebDisplay::Rest(int64_t foreseen) {
  double sleep = kStepMs;
  if (foreseen > 0) {
    double ahead = answered_ + static_cast<double>(foreseen) / kCounterPerMs - PageNow();
    if (ahead < kReadMs) return;
    sleep = std::max(std::floor(ahead) - kStepMs, kStepMs);
  }
  PageSleep(sleep);
}

int64_t WebDisplay::ReadCounter() {
  FeedSound();
  answered_ = PageNow();
  if (origin_ < 0) origin_ = answered_;
  return static_cast<int64_t>(std::llround((answered_ - origin_) * kCounterPerMs));
}

uint32_t WebDisplay::TickCount() {
  double elapsed = origin_ < 0 ? 0 : PageNow() - origin_;
  return startTick_ + static_cast<uint32_t>(static_cast<int64_t>(elapsed));
}

// The sound to be heard while the program sleeps is handed over first.
void WebDisplay::Sleep(uint32_t milliseconds) {
  FeedSound(milliseconds);
  PageSleep(milliseconds);
}

void WebDisplay::WindowChanged(HWND, const hosted::TopWindow& view) {
  if (view.visible) Paint(view.client);
}

void WebDisplay::WindowDestroyed(HWND) {}

void WebDisplay::Present(HWND, const RECT& area) { Paint(area); }

// Copies the desktop pixels inside `area` into the canvas, XRGB to RGBA.
void WebDisplay::Paint(const RECT& area) {
  hosted::DesktopPicture desktop = hosted::Desktop();
  int32_t left = std::max<int32_t>(area.left, 0);
  int32_t top = std::max<int32_t>(area.top, 0);
  int32_t right = std::min({area.right, desktop.width, kWidth});
  int32_t bottom = std::min({area.bottom, desktop.height, kHeight});
  if (right <= left || bottom <= top) return;
  for (int32_t y = top; y < bottom; ++y) {
    const uint32_t* source = desktop.pixels + static_cast<size_t>(y) * (desktop.pitch / 4);
    uint32_t* target = rgba_.data() + static_cast<size_t>(y) * kWidth;
    for (int32_t x = left; x < right; ++x) {
      uint32_t pixel = source[x];
      // Little-endian RGBA: red in the lowest byte, opaque alpha on top.
      target[x] =
          0xFF000000u | (pixel & 0x0000FF00u) | ((pixel >> 16) & 0xFFu) | ((pixel & 0xFFu) << 16);
    }
  }
  PaintZones(left, top, right, bottom);
  PagePresent(rgba_.data(), kWidth, kHeight, left, top, right - left, bottom - top);
}

// The zones' strips over the canvas's bottom rows, inside the area painted,
// while a game of several players begins.
void WebDisplay::PaintZones(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (players_ < 2) return;
  double now = PageNow();
  if (zonesUntil_ == 0) zonesUntil_ = now + keys::kZonesShownFor;
  if (now >= zonesUntil_) return;
  for (int32_t zone = 0; zone < players_; ++zone) {
    uint32_t colour = keys::kPlayers[zone].colour;
    uint32_t rgba =
        0xFF000000u | (colour >> 16 & 0xFFu) | (colour & 0xFF00u) | (colour & 0xFFu) << 16;
    int32_t from = std::max(left, keys::ZoneLeft(zone, kWidth, players_));
    int32_t to = std::min(right, keys::ZoneLeft(zone + 1, kWidth, players_));
    for (int32_t y = std::max(top, kHeight - keys::kZoneStripHeight); y < bottom && from < to; ++y)
      std::fill_n(rgba_.data() + static_cast<size_t>(y) * kWidth + from, to - from, rgba);
  }
}

// The game may show no picture for a while (paused, or at the message box
// at its end): once their time is up, or at once when `now`, the strips are
// covered with the picture under them.
void WebDisplay::CoverZones(bool now) {
  if (zonesUntil_ == 0 || zonesCovered_) return;
  double time = PageNow();
  if (!now && time < zonesUntil_) return;
  zonesUntil_ = std::min(zonesUntil_, time);
  zonesCovered_ = true;
  Paint({0, kHeight - keys::kZoneStripHeight, kWidth, kHeight});
}

void WebDisplay::Pump() {}

bool WebDisplay::Away() { return PageAway() != 0; }

// The latch takes what is held at the return, not at the game's next read: a
// key pressed or a control used after the return counts.
void WebDisplay::WaitForReturn() {
  PageWaitForReturn();
  fedAt_ = -1;  // the time away is no time the sound moved on
  latch_.Arm();
  uint8_t held[256];
  ReadKeyboard(held);
}

// The keys, with the pointers held and the gamepads folded in, and what was
// held on the player's return held back.
bool WebDisplay::ReadKeyboard(uint8_t state[256]) {
  PageReadKeys(state);
  float fields[kMaxPads * kPadFields];
  keys::Pad pads[kMaxPads];
  int count = PageReadPads(fields, kMaxPads);
  for (int i = 0; i < count; ++i) {
    const float* field = fields + i * kPadFields;
    for (int b = 0; b < kPadButtons; ++b) pads[i].buttons[b] = field[b] > 0;
    pads[i].leftTrigger = field[kPadButtons];
    pads[i].rightTrigger = field[kPadButtons + 1];
    // A slot past the players flies nobody; so does a number that is no index.
    float index = field[kPadButtons + 2];
    pads[i].slot = index >= 0 && index < 256 ? static_cast<int32_t>(index) : -1;
  }
  // Each pointer's place where it went down, and the canvas's width then.
  int32_t places[kMaxPointers * 2];
  int32_t zones[keys::kMaxPlayers] = {};
  int down = PageReadPointers(places, kMaxPointers);
  for (int i = 0; i < std::min(down, kMaxPointers); ++i)
    ++zones[keys::PointerZone(places[2 * i], places[2 * i + 1], players_)];
  keys::FoldInputs({.pointersDown = down,
                    .pads = {pads, static_cast<size_t>(count)},
                    .players = players_,
                    .zonePointers = zones},
                   state);
  latch_.Apply(state);
  state[DIK_M] = 0;  // the display's own key (web_display.h)
  CoverZones(false);
  return true;
}

// The box holds the program: what plays once is handed over to its end first.
int WebDisplay::MessageBox(HWND, const char* text, const char* title, uint32_t) {
  if (PageSoundAhead() >= 0) QueueSound(std::min(hosted::SoundOnceLeft(), kLongestOnce));
  CoverZones(true);
  PageMessageBox(title ? title : "", text ? text : "");
  return IDOK;
}

bool WebDisplay::SoundAvailable() { return PageSoundReady() != 0; }

void WebDisplay::Rumble(int32_t player, uint32_t milliseconds) {
  PageRumble(player, static_cast<int>(milliseconds), players_);
}

void WebDisplay::FeedSound(double sleepMs) {
  double now = PageNow();
  if (sleepMs == 0 && fedAt_ >= 0 && now - fedAt_ < kSoundLookMs) return;
  double since = fedAt_ < 0 ? 0 : now - fedAt_;
  fedAt_ = now;
  double ahead = PageSoundAhead();
  if (ahead < 0) {
    hosted::MixSound(nullptr, SamplesIn(std::min(since, kUnheardMs)));
    return;
  }
  if (ahead < kSoundLeadMs + sleepMs)
    QueueSound(SamplesIn(kSoundLeadMs + kSoundBlockMs + sleepMs - ahead));
}

void WebDisplay::QueueSound(int32_t count) {
  if (count <= 0) return;
  mixed_.resize(static_cast<size_t>(count));
  hosted::MixSound(mixed_.data(), count);
  PageQueueSound(mixed_.data(), count, hosted::kMixRate);
}

}  // namespace web
