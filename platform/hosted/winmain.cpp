// The program's process entry run as a hosted process. A file of its own, so
// that only executables that run WinMain need to link one.
#include "platform/hosted/process.h"

namespace hosted {

int RunWinMain(Display& display, ProcessHooks* hooks) {
  return RunProcess(
      display,
      [] {
        char commandLine[] = "";
        ExitProcess(static_cast<UINT>(
            WinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL)));
      },
      hooks);
}

}  // namespace hosted
