// The process entry on every platform: Windows calls WinMain, the hosted
// platform's process start calls it the same way.
#include "platform/win32.h"
#include "runtime/start/start.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) { RuntimeStart(commandLine); }
