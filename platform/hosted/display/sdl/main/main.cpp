// The process entry of the hosted program on a real screen: the SDL display
// is installed and WinMain runs as a hosted process, its result the exit code.
#include <string>

#include "platform/hosted/display/sdl/sdl_display.h"

int main(int argc, char** argv) {
  // WinMain gets the command line without the program's name, as on Windows.
  std::string commandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine += ' ';
    commandLine += argv[i];
  }
  sdl::SdlDisplay display;
  return hosted::RunProcess(display, [&commandLine] {
    ExitProcess(static_cast<UINT>(
        WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWNORMAL)));
  });
}
