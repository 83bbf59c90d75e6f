// Numbered top-level windows, each with a class of its own, and the window
// procedure they share.
#include "runtime/window/window.h"

#include "runtime/core/core.h"
#include "runtime/core/helpers.h"
#include "runtime/core/hooks.h"
#include "runtime/window/window_view.h"

namespace {

constexpr int32_t kInitialCapacity = 10;
constexpr int32_t kCapacityStep = 10;  // a larger number grows the table to number + 10
constexpr int32_t kSpareEntries = 2;   // the table has two entries more than its capacity

enum class Centring { kNone, kScreen, kActiveWindow };

struct WindowEntry {
  HWND handle;  // 0 while no window is open under this number
};

struct WindowState {
  int32_t capacity;
  WindowEntry* entries;  // capacity + 2 records in RuntimeHeap
  HWND current;          // the window of the last successful WindowOpen
  HBRUSH background;
  WNDCLASSA classAttributes;
  char className[50];
};

WindowState state;

void FormatClassName(int32_t number) {
  FormatText(state.className, "WindowClass_%ld", static_cast<LONG>(number));
}

// Grows the table so that it covers `number`; the new entries are zero. On an
// allocation failure the table stays as it was and the result is false.
bool CoverNumber(int32_t number) {
  if (number < state.capacity) return true;
  int32_t capacity = number + kCapacityStep;
  SIZE_T bytes = static_cast<SIZE_T>(capacity + kSpareEntries) * sizeof(WindowEntry);
  void* grown = state.entries ? HeapReAlloc(RuntimeHeap, HEAP_ZERO_MEMORY, state.entries, bytes)
                              : HeapAlloc(RuntimeHeap, HEAP_ZERO_MEMORY, bytes);
  if (grown == nullptr) return false;
  state.entries = static_cast<WindowEntry*>(grown);
  state.capacity = capacity;
  return true;
}

}  // namespace

void WindowReset() { state = {}; }

int32_t WindowCapacity() { return state.capacity; }

void WindowStart() {
  state = {};
  state.entries = static_cast<WindowEntry*>(HeapAlloc(
      RuntimeHeap, HEAP_ZERO_MEMORY, (kInitialCapacity + kSpareEntries) * sizeof(WindowEntry)));
  // Without a table the capacity stays 0, and the first WindowOpen tries again.
  if (state.entries) state.capacity = kInitialCapacity;

  LOGBRUSH brush{};
  brush.lbStyle = BS_SOLID;
  brush.lbColor = GetSysColor(COLOR_BTNFACE);
  state.background = CreateBrushIndirect(&brush);

  WNDCLASSA& attributes = state.classAttributes;
  attributes.style = 0;
  attributes.lpfnWndProc = WindowProcedure;
  attributes.cbClsExtra = 0;
  attributes.cbWndExtra = 0;
  attributes.hInstance = RuntimeInstance;
  // Icon resource 1 is the program's icon, the ball; the hosted platform has no
  // resources, finds none and shows no icon of the program.
  attributes.hIcon = LoadIconA(RuntimeInstance, MAKEINTRESOURCEA(1));
  attributes.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  attributes.hbrBackground = state.background;
  attributes.lpszMenuName = nullptr;
  attributes.lpszClassName = state.className;
}

HWND WindowOpen(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags,
                const char* title) {
  if (number < 0 || number >= kWindowNumberLimit) return nullptr;
  if (!CoverNumber(number)) return nullptr;
  WindowClose(number);

  FormatClassName(number);
  RegisterClassA(&state.classAttributes);  // fails harmlessly while the class is still registered

  Centring centring = Centring::kNone;
  if (flags & kWindowCentred) centring = Centring::kScreen;
  if (flags & kWindowCentredOnActive) centring = Centring::kActiveWindow;
  DWORD style = flags & ~(kWindowCentred | kWindowCentredOnActive);
  if (style == 0 || style == kWindowHidden) style |= WS_CAPTION;
  style ^= kWindowHidden;

  RECT rect{x, y, WrapAdd(x, width), WrapAdd(y, height)};
  AdjustWindowRect(&rect, style, FALSE);
  LONG outerWidth = WrapSubtract(rect.right, rect.left);
  LONG outerHeight = WrapSubtract(rect.bottom, rect.top);

  HWND active = centring == Centring::kActiveWindow ? GetActiveWindow() : nullptr;
  if (centring == Centring::kActiveWindow && active == nullptr) centring = Centring::kScreen;
  if (centring == Centring::kScreen) {
    x = WrapSubtract(GetSystemMetrics(SM_CXSCREEN) >> 1, outerWidth >> 1);
    y = WrapSubtract(GetSystemMetrics(SM_CYSCREEN) >> 1, outerHeight >> 1);
  } else if (centring == Centring::kActiveWindow) {
    RECT around{};
    GetWindowRect(active, &around);
    x = WrapAdd(WrapSubtract(around.left, outerWidth >> 1),
                WrapSubtract(around.right, around.left) >> 1);
    y = WrapAdd(WrapSubtract(around.top, outerHeight >> 1),
                WrapSubtract(around.bottom, around.top) >> 1);
    if (x < 0) x = 0;
    if (y < 0) y = 0;
  }

  HWND handle = CreateWindowExA(0, state.className, title, style, x, y, outerWidth, outerHeight,
                                nullptr, nullptr, RuntimeInstance, nullptr);
  state.entries[number].handle = handle;
  if (handle == nullptr) return nullptr;
  state.current = handle;
  return handle;
}

HWND WindowHandle() { return state.current; }

void WindowClose(int32_t number) {
  if (number < 0 || number >= state.capacity) return;
  WindowEntry& entry = state.entries[number];
  if (entry.handle == nullptr) return;
  HWND old = entry.handle;
  entry.handle = nullptr;
  DestroyWindow(old);
  FormatClassName(number);
  UnregisterClassA(state.className, RuntimeInstance);
}

void WindowStop() {
  for (int32_t number = state.capacity - 1; number >= 0; --number) WindowClose(number);
}

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:  // a close request never closes the window
    case WM_SIZE:
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
