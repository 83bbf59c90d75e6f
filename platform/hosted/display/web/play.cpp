// The process entry of the hosted program in a browser: the page calls
// CavePlay for every game, and the web display is installed while WinMain
// runs as a hosted process.
#include <emscripten.h>

#include "platform/hosted/display/web/web_display.h"

// Runs the program once with the tick count starting at `startTick`; returns
// its exit code. The page calls it through Asyncify (ccall with async), so it
// returns a promise there, settled when the program has ended.
extern "C" EMSCRIPTEN_KEEPALIVE int CavePlay(uint32_t startTick) {
  web::WebDisplay display(startTick);
  return hosted::RunProcess(display, [] {
    char commandLine[] = "";
    ExitProcess(
        static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL)));
  });
}
