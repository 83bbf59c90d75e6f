// The process entry on every platform: Windows calls WinMain, the hosted
// platform's process start calls it the same way.
#include "runtime/core/core.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { RuntimeStart(); }
