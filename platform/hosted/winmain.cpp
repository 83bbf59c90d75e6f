// The program's process entry run as a hosted process. A file of its own, so
// that only executables that run WinMain need to link one.
#include <string>

#include "platform/hosted/process.h"

namespace hosted {

int RunWinMain(Display& display, ProcessHooks* hooks, const char* commandLine) {
  // WinMain may write into its command line, as on Windows: a copy of its own.
  std::string line = commandLine != nullptr ? commandLine : "";
  return RunProcess(
      display,
      [&line] {
        ExitProcess(static_cast<UINT>(
            WinMain(GetModuleHandleA(nullptr), nullptr, line.data(), SW_SHOWNORMAL)));
      },
      hooks);
}

}  // namespace hosted
