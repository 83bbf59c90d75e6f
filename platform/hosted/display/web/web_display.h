// The web display: the hosted platform in a browser page, compiled to
// WebAssembly with Asyncify.
//
// The desktop is the page's 320 x 240 canvas, so the game's centred window
// fills it. A present copies the window's pixels from the desktop picture
// into the canvas; the browser shows them the next time it paints. The clock
// is the browser's high-resolution clock at the hosted 10 MHz; it starts with
// the first reading of the performance counter, and until then the tick count
// is the chosen one, as on the headless display, so that the program seeds its
// random numbers with exactly that tick count. Sleep sleeps. Keys are the page's
// key events mapped to DirectInput scan codes through the key table, with the
// other inputs folded in (display/keys/inputs.h): pointers held anywhere on the
// page but its controls and links, and the gamepads of the Gamepad API in the
// standard mapping, read at every keyboard read. For a game of several
// players (SetPlayers), the pad of the Gamepad API's index i is player i + 1's,
// and a pointer flies the player of the zone of the canvas in which it went
// down: its place then, in device pixels from the canvas's left edge, and
// the canvas's width in device pixels, are what keys::PointerZone takes, as
// the SDL display takes its window's. The browser keeps a pad's index while
// the pad stays connected, leaves it free once the pad goes, and gives a pad
// that comes the lowest free index: a pad that is unplugged and plugged in
// again gets its place back unless another pad came meanwhile. The zones are
// shown as the SDL display shows them, strips of the players' colours along
// the canvas's bottom edge from the first picture on, for keys::kZonesShownFor
// milliseconds or until a message box appears. Everything is up while the page does not have the
// focus. The player is away while the page is hidden, or has lost the focus it had; the wait for
// the return yields to the browser, and whatever is held on return, a gamepad's buttons included,
// counts only once pressed again (keys::HeldLatch). Message boxes are a modal dialog in the page
// with the box's title, text and one OK button, answered by a press that begins after it appears
// (Return, Space, Escape, a pointer or a gamepad's button), never by a key held from before.
//
// Sound is the platform's mix (hosted::MixSound) played with Web Audio,
// which browsers start only at a press: from the page's first press on, the
// display hands the page the mix a little ahead of what is heard, at its
// clock's readings and before its sleeps, and the page plays it back to back;
// before that first press the sound moves on unheard. Before a message box
// what plays once is handed over to its end; while the player is away the
// page's sound is paused. M mutes and unmutes (fading, as the page's sound
// button does) and never reaches the keyboard snapshot; a crash's rumble
// shakes its player's gamepad where the browser can (the Gamepad API's
// vibration), and the phone briefly; the page may turn either off.
//
// The program never returns to the browser while it runs: it paces its frames
// by busy-waiting on the performance counter. The readings of the clock in
// such a wait (Rest) therefore sleep, and the page paints and key events
// arrive meanwhile; Asyncify saves the program's stack. The browser's timers
// count whole milliseconds, so a wait sleeps a millisecond at a time until
// its end is foreseen from the rhythm of the waits before it, then until
// about a millisecond before that end and a millisecond more while one is
// left; at most the last half millisecond is waited out reading the clock.
// A waiting game so keeps no processor busy, and its frame is late only by as
// much as a timer is.
//
// The page's side of this display is web_display.js; the page itself is
// the web program's (programs/web/site/index.html).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/hosted/display/display.h"
#include "platform/hosted/display/keys/inputs.h"

namespace web {

class WebDisplay final : public hosted::Display {
 public:
  // The desktop size; the game's window is as large.
  static constexpr int32_t kWidth = 320;
  static constexpr int32_t kHeight = 240;

  // A display whose tick count starts at `startTick`. Forgets every key held
  // before it was made: keys count from their next press.
  explicit WebDisplay(uint32_t startTick);

  // The line-up of the game to be played, 1 to keys::kMaxPlayers (others
  // are one): each player's pad and pointer zone is folded into the
  // snapshot as that player's key, and a game of several players shows the
  // zones at its start. One player unless told.
  void SetPlayers(int32_t players);

  // ---- hosted::Display
  HOSTED_DISPLAY_OPERATIONS;
  void Rest(int64_t foreseen) override;
  bool Away() override;
  void WaitForReturn() override;
  bool SoundAvailable() override;
  void Rumble(int32_t player, uint32_t milliseconds) override;

 private:
  void Paint(const RECT& area);
  void PaintZones(int32_t left, int32_t top, int32_t right, int32_t bottom);
  void CoverZones(bool now);
  // Hands the page more of the mix when it has little left (see above), or
  // less than a sleep of `sleepMs` needs.
  void FeedSound(double sleepMs = 0);
  void QueueSound(int32_t count);

  uint32_t startTick_;
  double origin_ = -1;          // browser time of the first counter reading, ms
  double answered_ = 0;         // browser time of the latest counter reading, ms
  std::vector<uint32_t> rgba_;  // the canvas's pixels, as the page takes them
  keys::HeldLatch latch_;
  int32_t players_ = 1;
  double zonesUntil_ = 0;  // browser time when the zones' strips go, ms; 0: not shown yet
  bool zonesCovered_ = false;
  double fedAt_ = -1;  // browser time of the last look at the page's sound, ms; -1: none
  std::vector<int16_t> mixed_;
};

}  // namespace web
