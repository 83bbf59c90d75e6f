// Runtime core: the heap, temporary strings, the message box and the end;
// random numbers, colours and delay.
//
// The runtime starts before the program's GameMain runs (runtime/start): by
// then every global below is set, RuntimeHeap made, the string work area
// allocated and the generator seeded from the tick count. RuntimeEnd is the
// only way out: the libraries' stop hooks (keyboard, sound, screen, window),
// the heap destroyed as a whole, exit code 0.
//
// Strings are built as expressions in StringWorkArea at StringWorkPosition;
// only assignments to string variables (char* owning a RuntimeHeap block, or
// null for none) allocate. A statement saves the position (its mark), builds
// its expressions with StringAppend and FormatInt, advances one byte past each
// expression it passes to a call, and puts the position back to the mark.
// Expressions never run past the work area: text that would not fit is cut at
// its end, and the expression stays zero-terminated.
//
// When the heap cannot be created, or a block cannot be had where the program
// cannot go on without it (the work area, a string variable's block), the
// program ends cleanly through RuntimeEnd with exit code 0.
#pragma once

#include <cstdint>

#include "platform/win32.h"

// A colour: red in bits 0-7, green 8-15, blue 16-23. Passes to GDI unchanged.
typedef uint32_t Colour;

constexpr uint32_t kStringWorkAreaSize = 64000;

// Process-wide state shared by every library. Zero until RuntimeStart.
extern HANDLE RuntimeHeap;         // the one private heap; destroyed at the end
extern HINSTANCE RuntimeInstance;  // GetModuleHandleA(NULL), taken at start-up
extern char* StringWorkArea;       // 64000 zero-filled bytes from RuntimeHeap
extern char* StringWorkPosition;   // where the next piece of an expression goes

// Ends the program: stop hooks, heap, exit code 0. Does not return.
[[noreturn]] void RuntimeEnd();
// The command line the program was started with, without the program's own
// name (WinMain's), as the process entry handed it over; "" when it had none.
const char* RuntimeCommandLine();

// Copies text and its zero to StringWorkPosition and leaves the position on
// the copied zero. Null appends nothing.
void StringAppend(const char* text);
// Writes value in decimal ("%ld": optional minus, no padding, at most 11
// characters) at destination (the current position), leaves the position on
// its zero and returns destination.
char* FormatInt(int32_t value, char* destination);
// Ends the expression that began at `start` as a call argument: moves the
// position one byte past its zero (never past the work area's last byte), so
// the next expression of the statement cannot overwrite it; returns start.
char* StringArgument(char* start);
// Copies the expression from mark up to StringWorkPosition into a new block
// owned by *variable (the old block is freed after the copy was made in the
// work area, so text = text + more is safe) and puts the position back to mark.
void StringStoreExpression(char** variable, char* mark);
// Frees *variable's block and sets it to none; copies text into a new block
// unless text is null. The variable's own text may be given.
void StringAssign(char** variable, const char* text);
// Returns a string variable's block to RuntimeHeap; null is ignored.
void StringRelease(char* block);
// Modal message box owned by the foreground window; returns the button's
// identifier, 0 when the box could not be shown.
int32_t ShowMessage(const char* title, const char* text, uint32_t flags);

// Resets the generator: 34 words from a linear congruential sequence of seed,
// then 31 discarded steps.
void RandomSeed(uint32_t seed);
// Uniform in 0 ... max (one generator step, also for a negative max, which
// returns -2147483648).
int32_t RandomNext(int32_t max);
// red + green * 256 + blue * 65536, without masking.
Colour Rgb(int32_t red, int32_t green, int32_t blue);
uint32_t RedOf(Colour colour);
uint32_t GreenOf(Colour colour);
uint32_t BlueOf(Colour colour);
// Suspends the thread (Sleep).
void SleepMs(uint32_t milliseconds);
