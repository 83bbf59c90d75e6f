// The hosted platform as tests and tools see it, beyond what the runtime
// calls: first the calls and names of the Win32 subset that the runtime does
// not use, as the SDK declares them, through which the tests check the
// platform (the hosted modules call a few of them among themselves: IsWindow,
// IsWindowVisible, SendMessageA, IID_IUnknown); then what the hosted objects
// hold right now, through the platform's inspection calls, which neither the
// runtime nor a display makes. Tests and tools include it themselves; the
// desktop picture itself is the display's (Desktop() in services.h).
//
// The COM methods that only the tests call stay in their interfaces in
// ddraw.h, marked "tests only": a method cannot be declared apart from its
// class.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/hosted/ddraw.h"
#include "platform/hosted/dinput.h"
#include "platform/hosted/dsound.h"
#include "platform/hosted/windows.h"

// ---------------------------------------------------------------- Win32 for tests
#define FAILED(hr) (((HRESULT)(hr)) < 0)
extern const IID IID_IUnknown;

#define WS_SYSMENU 0x00080000L
#define WM_NULL 0x0000
#define PM_NOREMOVE 0x0000

SIZE_T WINAPI HeapSize(HANDLE heap, DWORD flags, LPCVOID block);
BOOL WINAPI IsWindow(HWND window);
BOOL WINAPI IsWindowVisible(HWND window);
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI GetClientRect(HWND window, LPRECT rect);
BOOL WINAPI GetCurrentPositionEx(HDC dc, LPPOINT position);
COLORREF WINAPI SetBkColor(HDC dc, COLORREF colour);

// ---------------------------------------------------------------- inspection

namespace hosted {

// Number of live blocks of a private heap; 0 for a handle that is no heap.
size_t HeapBlockCount(HANDLE heap);

struct WindowInfo {
  bool exists;
  char className[64];
  char title[256];
  DWORD style;
  RECT rect;    // outer rectangle, desktop coordinates
  RECT client;  // client area, desktop coordinates
  bool visible;
};
WindowInfo InspectWindow(HWND window);

// Every window that exists, in creation order.
int WindowCount();
HWND WindowAt(int index);

struct SurfaceInfo {
  uint32_t* pixels;  // 32-bit XRGB; null for an unknown surface
  int32_t width;
  int32_t height;
  int32_t pitch;  // bytes
  bool primary;
};
SurfaceInfo InspectSurface(IDirectDrawSurface7* surface);

// The keyboard device made last by IDirectInput7A::CreateDeviceEx, while it
// lives (exists false once released, or before one was made).
struct KeyboardDeviceInfo {
  bool exists;
  ULONG references;
  bool formatSet;
  HWND window;        // of the cooperative level
  DWORD cooperation;  // DISCL_ flags; 0 until a level was set
  bool acquired;
  int32_t acquisitions;  // successful Acquire calls
};
KeyboardDeviceInfo InspectKeyboardDevice();

// The sound buffers made by IDirectSound::CreateSoundBuffer in this process,
// in the order they were made; index from 0 to SoundBufferCount() - 1 (live
// false once released, or past the last).
struct SoundBufferInfo {
  bool live;
  bool playing;
  bool looping;
  DWORD position;  // bytes, where it plays or would start
  LONG volume;     // hundredths of a decibel
  DWORD bytes;
  DWORD padPlayer;  // the pad feel's player; 0: none
};
int SoundBufferCount();
SoundBufferInfo InspectSoundBuffer(int index);

}  // namespace hosted
