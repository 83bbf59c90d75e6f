// The web display: clock, canvas, keys and message boxes through the page.
#include "platform/hosted/display/web/web_display.h"

#include <emscripten.h>

#include <algorithm>
#include <cmath>

#include "platform/hosted/display/keys/keys.h"

// The page's side, CaveWeb in web_display.js. Pointers are offsets into the
// program's memory (HEAPU8).
EM_JS(double, PageNow, (), { return performance.now(); });
EM_ASYNC_JS(void, PageSleep, (double milliseconds), { await CaveWeb.sleep(milliseconds); });
EM_JS(void, PageStart, (), { CaveWeb.start(); });
EM_JS(void, PageMapKey, (const char* code, int scanCode),
      { CaveWeb.mapKey(UTF8ToString(code), scanCode); });
EM_JS(void, PageReadKeys, (uint8_t * state),
      { CaveWeb.readKeys(HEAPU8.subarray(state, state + 256)); });
EM_JS(void, PagePresent,
      (const uint32_t* pixels, int width, int height, int x, int y, int w, int h),
      { CaveWeb.present(pixels, width, height, x, y, w, h); });
EM_ASYNC_JS(void, PageMessageBox, (const char* title, const char* text),
            { await CaveWeb.messageBox(CaveWeb.ansi(title), CaveWeb.ansi(text)); });

namespace web {
namespace {

// The longest run of clock readings without a turn for the browser: short
// enough for key events and paints to keep flowing, long enough that the
// turns cost little.
constexpr double kSliceMs = 1.0;
// How long before the foreseen present a sleeping wait wakes up: the draw
// before the present and a late timer fit in it. The wait goes on without
// turns from then until this long after the foreseen present.
constexpr double kMarginMs = 6.0;
constexpr double kLateMs = 4.0;
constexpr double kCounterPerMs = 10000.0;  // the hosted performance counter: 10 MHz

}  // namespace

WebDisplay::WebDisplay(uint32_t startTick) : startTick_(startTick) {
  rgba_.assign(static_cast<size_t>(kWidth) * kHeight, 0xFF000000u);
  PageStart();
  for (const keys::Key& key : keys::KeyTable())
    if (key.domCode != nullptr) PageMapKey(key.domCode, key.scanCode);
}

bool WebDisplay::Available() { return true; }

void WebDisplay::DesktopSize(int32_t* width, int32_t* height) {
  *width = kWidth;
  *height = kHeight;
}

double WebDisplay::Elapsed() {
  if (origin_ < 0) return 0;
  double now = PageNow();
  if (now - lastTurn_ >= kSliceMs) {
    // Once several frames have come at a steady pace the next present is
    // foreseen. Until shortly before it the turn is a sleep; from then on
    // until shortly after it there is no turn, so that nothing the browser
    // does makes the frame late; with nothing foreseen, a bare yield.
    double ahead = -kLateMs - 1;
    if (framesSeen_ >= frames_.size())
      ahead = lastPresent_ + *std::min_element(frames_.begin(), frames_.end()) - now;
    if (ahead < kMarginMs + 1 && ahead > -kLateMs) return now - origin_;
    double sleep = ahead - kMarginMs;
    if (sleep >= 1) {
      slept_ = true;
      readingsAfterSleep_ = 0;
    }
    PageSleep(sleep >= 1 ? sleep : 0);
    now = lastTurn_ = PageNow();
    waited_ = true;
  }
  return now - origin_;
}

int64_t WebDisplay::ReadCounter() {
  if (origin_ < 0) origin_ = lastTurn_ = PageNow();
  double elapsed = Elapsed();
  ++readingsAfterSleep_;
  return static_cast<int64_t>(std::llround(elapsed * kCounterPerMs));
}

uint32_t WebDisplay::TickCount() {
  return startTick_ + static_cast<uint32_t>(static_cast<int64_t>(Elapsed()));
}

void WebDisplay::Sleep(uint32_t milliseconds) {
  PageSleep(milliseconds);
  lastTurn_ = PageNow();
}

void WebDisplay::WindowChanged(HWND, const hosted::WindowView& view) {
  if (view.visible) Paint(view.client);
}

void WebDisplay::WindowDestroyed(HWND) {}

void WebDisplay::Present(HWND, const RECT& area) {
  Paint(area);
  double now = PageNow();
  // An interval between presents counts towards the foresight when the
  // program waited on the clock in it. When the first reading after a sleep
  // already ended the wait, the sleep ran late and made the frame as long as
  // it was: what was foreseen is forgotten.
  if (slept_ && readingsAfterSleep_ <= 1) {
    framesSeen_ = 0;
  } else if (lastPresent_ >= 0 && waited_) {
    frames_[framesSeen_ % frames_.size()] = now - lastPresent_;
    ++framesSeen_;
  }
  lastPresent_ = now;
  waited_ = false;
  slept_ = false;
}

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
  PagePresent(rgba_.data(), kWidth, kHeight, left, top, right - left, bottom - top);
}

void WebDisplay::Pump() {}

bool WebDisplay::ReadKeyboard(uint8_t state[256]) {
  PageReadKeys(state);
  return true;
}

int WebDisplay::MessageBox(HWND, const char* text, const char* title, uint32_t) {
  PageMessageBox(title ? title : "", text ? text : "");
  lastTurn_ = PageNow();
  return IDOK;
}

bool WebDisplay::Fails(hosted::FailPoint, const char*, int32_t, int32_t) { return false; }

}  // namespace web
