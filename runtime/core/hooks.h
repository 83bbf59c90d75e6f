// The runtime's start, stop and reset hooks. Each library defines its own;
// RuntimeStart (runtime/start) and RuntimeEnd run them in the order given
// here. The program never calls them; tests do, to take a library through
// its life.
#pragma once

// ---------------------------------------------------------------- resets
// Each zeroes its library's state, as at process load; RuntimeStart runs
// them first, before the heap is made.
void RandomReset();  // the generator: table and cursors
void WindowReset();
void DrawingReset();
void ScreenReset();
void KeyboardReset();
void SoundReset();

// ---------------------------------------------------------------- start hooks
// Run by RuntimeStart once the heap is made.
// RandomSeed(GetTickCount()).
void RandomStart();
// Empty table for 10 windows, the background brush, the class attributes.
void WindowStart();
// The default black brush and one-pixel black pen.
void DrawingInit();
// Makes every sound (runtime/sound) in RuntimeHeap; without the memory, none.
void SoundStart();

// ---------------------------------------------------------------- stop hooks
// Run by RuntimeEnd before the heap goes.
// Releases the keyboard device, if one was made.
void KeyboardStop();
// Stops and releases every sound buffer and DirectSound, unloads "DSOUND.DLL".
void SoundRelease();
// ScreenClose, then releases DirectDraw and unloads "DDRAW.DLL".
void ScreenStop();
// WindowClose for every number from capacity - 1 down to 0.
void WindowStop();
// Hands RuntimeEnd the function that runs the stop hooks. The core stands
// below the libraries whose hooks they are, so RuntimeStart tells it.
void RuntimeSetStopHooks(void (*stopHooks)());
// Hands the core the process entry's command line (kept, not copied: it
// lives as long as the process), for RuntimeCommandLine.
void RuntimeSetCommandLine(const char* commandLine);
