// The process entry of the hosted program in a browser: the page calls
// CavePlay for every game, and the web display is installed, wrapped in the
// recording display so that the page can offer the game as a recording,
// while WinMain runs as a hosted process.
#include <emscripten.h>

#include <string>
#include <string_view>

#include "platform/hosted/display/recording/recording_display.h"
#include "platform/hosted/display/web/web_display.h"
#include "platform/hosted/process.h"

namespace {

std::string lastRecording;  // the recording of the game played last

}  // namespace

// Runs the program once with the tick count starting at `startTick`, and
// records it; returns its exit code. The page calls it through Asyncify
// (ccall with async), so it returns a promise there, settled when the program
// has ended. The web display holds the tick count at `startTick` until the
// game first reads the counter, so the recording's tick is the game's.
extern "C" EMSCRIPTEN_KEEPALIVE int CavePlay(uint32_t startTick) {
  web::WebDisplay display(startTick);
  recording::RecordingDisplay shown(display);
  lastRecording.clear();
  shown.Record(startTick, [](std::string_view text) {
    lastRecording.append(text);
    return true;
  });
  int code = hosted::RunWinMain(shown, &shown);
  shown.Finish(code);
  return code;
}

// The recording of the game that CavePlay played last, as text; empty
// before the first game has ended.
extern "C" EMSCRIPTEN_KEEPALIVE const char* CaveRecording() { return lastRecording.c_str(); }
