// The start-up and end sequence: every library's reset, start and stop hooks
// in their order around the program's GameMain.
#include "runtime/start/start.h"

#include "runtime/core/core.h"
#include "runtime/core/hooks.h"

namespace {

void StopHooks() {
  KeyboardStop();
  SoundRelease();
  ScreenStop();
  WindowStop();
}

}  // namespace

void RuntimeStart(const char* commandLine) {
  RuntimeSetStopHooks(StopHooks);
  RuntimeSetCommandLine(commandLine);
  // Everything starts at zero, as the globals of a freshly loaded program are.
  RuntimeHeap = nullptr;
  RuntimeInstance = nullptr;
  StringWorkArea = nullptr;
  StringWorkPosition = nullptr;
  RandomReset();
  WindowReset();
  DrawingReset();
  ScreenReset();
  KeyboardReset();
  SoundReset();
  GameReset();

  RuntimeInstance = GetModuleHandleA(nullptr);
  RuntimeHeap = HeapCreate(0, 4000, 0);
  // Without its heap the runtime can hold nothing; the program ends at once.
  if (RuntimeHeap == nullptr) RuntimeEnd();

  RandomStart();
  WindowStart();
  DrawingInit();
  SoundStart();

  StringWorkArea =
      static_cast<char*>(HeapAlloc(RuntimeHeap, HEAP_ZERO_MEMORY, kStringWorkAreaSize));
  if (StringWorkArea == nullptr) RuntimeEnd();
  StringWorkPosition = StringWorkArea;

  // The start hook seeded the generator already; this seeding is the one
  // that counts.
  RandomSeed(GetTickCount());
  GameMain();
  RuntimeEnd();
}
