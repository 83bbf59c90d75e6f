// Running the program's entry on the headless display.
#include "platform/hosted/display/headless/headless.h"

namespace headless {

int RunProgram(hosted::Display& display) {
  return hosted::RunProcess(display, [] {
    char commandLine[] = "";
    WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
  });
}

}  // namespace headless
