// Hosted window manager: window classes, top-level windows, activation,
// metrics. The thread's message queue and message boxes are in messages.cpp,
// the device contexts of windows in window_dc.cpp.
//
// Windows receive the messages Windows sends for the calls made here:
// creation sends WM_NCCREATE and WM_CREATE, then for a visible window
// WM_SHOWWINDOW and the activation (WM_ACTIVATE, WM_SETFOCUS), then WM_SIZE and
// WM_MOVE; destruction sends the deactivation, WM_DESTROY and WM_NCDESTROY.
// Input from the display is queued and reaches a window procedure only when
// something retrieves messages (PeekMessageA with DispatchMessageA, or the
// modal loop of MessageBoxA).
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/hosted/hosted_view.h"
#include "platform/hosted/internal.h"

namespace hosted {
namespace {

// The window frame, in pixels: fixed metrics, those of the classic Windows
// look, for AdjustWindowRect and GetSystemMetrics alike.
struct FrameMetrics {
  int caption;      // the title bar's height (WS_CAPTION)
  int border;       // WS_BORDER
  int dialogFrame;  // WS_DLGFRAME
  int sizingFrame;  // WS_THICKFRAME
};
constexpr FrameMetrics kFrame = {19, 1, 3, 4};
constexpr ATOM kFirstAtom = 0xC000;
constexpr uintptr_t kFirstHandle = 0x10010;

struct WindowClass {
  std::string name;
  ATOM atom;
  WNDCLASSEXA attributes;
};

struct Window {
  HWND handle;
  std::string className;
  std::string title;
  DWORD style;
  DWORD exStyle;
  RECT rect;  // outer, desktop coordinates
  WNDPROC procedure;
  HBRUSH background;
  bool destroying;
};

struct UserState {
  std::vector<std::unique_ptr<WindowClass>> classes;
  std::vector<std::unique_ptr<Window>> windows;  // creation order
  HWND active = nullptr;
  ATOM nextAtom = kFirstAtom;
  // Window handles are serial numbers, never reused within a process, so a
  // stale handle never names a newer window.
  uintptr_t nextHandle = kFirstHandle;
  // What LoadIconA and LoadCursorA hand out for the system's own icon and
  // cursor: markers that nothing draws.
  char stockIcon;
  char stockCursor;
};

UserState& State() {
  static UserState state;
  return state;
}

HWND HandleOf(Window* window) { return window->handle; }

Window* Find(HWND handle) {
  if (handle == nullptr) return nullptr;
  for (auto& window : State().windows)
    if (window->handle == handle) return window.get();
  return nullptr;
}

WindowClass* FindClass(LPCSTR name) {
  if (name == nullptr) return nullptr;
  for (auto& cls : State().classes) {
    if (IS_INTRESOURCE(name)) {
      if (cls->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name))) return cls.get();
    } else if (EqualNoCase(cls->name.c_str(), name)) {
      return cls.get();
    }
  }
  return nullptr;
}

// The frame that AdjustWindowRect puts around a client area.
RECT FrameOf(DWORD style) {
  RECT frame{0, 0, 0, 0};
  int edge = 0;
  if (style & WS_THICKFRAME)
    edge = kFrame.sizingFrame;
  else if (style & WS_DLGFRAME)
    edge = kFrame.dialogFrame;
  else if (style & WS_BORDER)
    edge = kFrame.border;
  frame.left = frame.top = -edge;
  frame.right = frame.bottom = edge;
  if ((style & WS_CAPTION) == WS_CAPTION) frame.top -= kFrame.caption;
  return frame;
}

RECT ClientOf(const Window& window) {
  RECT frame = FrameOf(window.style);
  RECT client{hosted::WrapSubtract(window.rect.left, frame.left),
              hosted::WrapSubtract(window.rect.top, frame.top),
              hosted::WrapSubtract(window.rect.right, frame.right),
              hosted::WrapSubtract(window.rect.bottom, frame.bottom)};
  if (client.right < client.left) client.right = client.left;
  if (client.bottom < client.top) client.bottom = client.top;
  return client;
}

bool Visible(const Window& window) { return (window.style & WS_VISIBLE) != 0; }

LRESULT Send(Window* window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window == nullptr || window->procedure == nullptr) return 0;
  return window->procedure(HandleOf(window), message, wParam, lParam);
}

void Notify(Window* window) {
  TopWindow view{window->rect, ClientOf(*window), Visible(*window), (window->style & WS_POPUP) != 0,
                 window->title.c_str()};
  CurrentDisplay().WindowChanged(HandleOf(window), view);
}

LPARAM PackSize(const RECT& r) {
  return static_cast<LPARAM>((hosted::WrapSubtract(r.bottom, r.top) & 0xFFFF) << 16 |
                             (hosted::WrapSubtract(r.right, r.left) & 0xFFFF));
}

LPARAM PackPosition(int32_t x, int32_t y) {
  return static_cast<LPARAM>((static_cast<uint32_t>(y) & 0xFFFF) << 16 |
                             (static_cast<uint32_t>(x) & 0xFFFF));
}

// Moves the activation, telling the old window it lost it and the new one
// that it got it.
void Activate(HWND handle) {
  UserState& user = State();
  if (user.active == handle) return;
  HWND previous = user.active;
  user.active = handle;
  if (Window* old = Find(previous))
    Send(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(handle));
  if (Window* now = Find(handle)) {
    Send(now, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
    Send(now, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  }
}

// After the active window went away: the most recent visible window takes over.
void ActivateNext(Window* leaving) {
  UserState& user = State();
  if (user.active != HandleOf(leaving)) return;
  HWND next = nullptr;
  for (auto it = user.windows.rbegin(); it != user.windows.rend(); ++it)
    if (it->get() != leaving && Visible(**it) && !(*it)->destroying) {
      next = HandleOf(it->get());
      break;
    }
  Activate(next);
}

}  // namespace

void ResetUser() {
  UserState& user = State();
  user.windows.clear();
  user.classes.clear();
  user.active = nullptr;
  user.nextAtom = kFirstAtom;
  user.nextHandle = kFirstHandle;
}

bool WindowRects(HWND handle, RECT* outer, RECT* client) {
  Window* window = Find(handle);
  if (window == nullptr) return false;
  if (outer) *outer = window->rect;
  if (client) *client = ClientOf(*window);
  return true;
}

void SetForeground(HWND window) { Activate(Find(window) ? window : nullptr); }

HWND Foreground() { return State().active; }

WindowInfo InspectWindow(HWND handle) {
  WindowInfo info{};
  Window* window = Find(handle);
  if (window == nullptr) return info;
  info.exists = true;
  std::snprintf(info.className, sizeof info.className, "%s", window->className.c_str());
  std::snprintf(info.title, sizeof info.title, "%s", window->title.c_str());
  info.style = window->style;
  info.rect = window->rect;
  info.client = ClientOf(*window);
  info.visible = Visible(*window);
  return info;
}

int WindowCount() { return static_cast<int>(State().windows.size()); }

HWND WindowAt(int index) {
  auto& windows = State().windows;
  if (index < 0 || static_cast<size_t>(index) >= windows.size()) return nullptr;
  return HandleOf(windows[static_cast<size_t>(index)].get());
}

}  // namespace hosted

static ATOM Register(const WNDCLASSEXA& attributes) {
  if (attributes.lpszClassName == nullptr || IS_INTRESOURCE(attributes.lpszClassName) ||
      attributes.lpfnWndProc == nullptr)
    return 0;
  if (hosted::FindClass(attributes.lpszClassName)) return 0;  // already registered
  auto cls = std::make_unique<hosted::WindowClass>();
  cls->name = attributes.lpszClassName;
  cls->atom = hosted::State().nextAtom++;
  cls->attributes = attributes;
  cls->attributes.lpszClassName = nullptr;  // the caller's buffer may change
  cls->attributes.lpszMenuName = nullptr;
  ATOM atom = cls->atom;
  hosted::State().classes.push_back(std::move(cls));
  return atom;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass) {
  if (windowClass == nullptr) return 0;
  WNDCLASSEXA ex{};
  ex.cbSize = sizeof ex;
  ex.style = windowClass->style;
  ex.lpfnWndProc = windowClass->lpfnWndProc;
  ex.cbClsExtra = windowClass->cbClsExtra;
  ex.cbWndExtra = windowClass->cbWndExtra;
  ex.hInstance = windowClass->hInstance;
  ex.hIcon = windowClass->hIcon;
  ex.hCursor = windowClass->hCursor;
  ex.hbrBackground = windowClass->hbrBackground;
  ex.lpszMenuName = windowClass->lpszMenuName;
  ex.lpszClassName = windowClass->lpszClassName;
  return Register(ex);
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA)) return 0;
  return Register(*windowClass);
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE) {
  hosted::WindowClass* cls = hosted::FindClass(className);
  if (cls == nullptr) return FALSE;
  for (auto& window : hosted::State().windows)
    if (hosted::EqualNoCase(window->className.c_str(), cls->name.c_str())) return FALSE;  // in use
  auto& classes = hosted::State().classes;
  for (auto it = classes.begin(); it != classes.end(); ++it)
    if (it->get() == cls) {
      classes.erase(it);
      break;
    }
  return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU, HINSTANCE,
                            LPVOID param) {
  hosted::NotWaiting();
  hosted::WindowClass* cls = hosted::FindClass(className);
  if (cls == nullptr) return nullptr;
  if (parent != nullptr && hosted::Find(parent) == nullptr) return nullptr;
  if (hosted::CurrentHooks().Fails(hosted::FailPoint::kCreateWindow, cls->name.c_str(), width,
                                   height))
    return nullptr;
  // Top-level windows that are neither popups nor children always get a
  // caption, as on Windows.
  if (!(style & (WS_POPUP | WS_CHILD))) style |= WS_CLIPSIBLINGS | WS_CAPTION;
  bool show = (style & WS_VISIBLE) != 0;

  auto owned = std::make_unique<hosted::Window>();
  hosted::Window* window = owned.get();
  window->handle = reinterpret_cast<HWND>(hosted::State().nextHandle);
  hosted::State().nextHandle += 2;
  window->className = cls->name;
  window->title = windowName ? windowName : "";
  window->style = style & ~static_cast<DWORD>(WS_VISIBLE);
  window->exStyle = exStyle;
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  window->rect = {x, y, hosted::WrapAdd(x, width), hosted::WrapAdd(y, height)};
  window->procedure = cls->attributes.lpfnWndProc;
  window->background = cls->attributes.hbrBackground;
  window->destroying = false;
  hosted::State().windows.push_back(std::move(owned));
  HWND handle = hosted::HandleOf(window);

  CREATESTRUCTA create{};
  create.lpCreateParams = param;
  create.hInstance = cls->attributes.hInstance;
  create.hwndParent = parent;
  create.cx = width;
  create.cy = height;
  create.x = x;
  create.y = y;
  create.style = static_cast<LONG>(style);
  create.lpszName = window->title.c_str();
  create.lpszClass = window->className.c_str();
  create.dwExStyle = exStyle;
  LPARAM createParam = reinterpret_cast<LPARAM>(&create);
  if (!hosted::Send(window, WM_NCCREATE, 0, createParam) ||
      hosted::Send(window, WM_CREATE, 0, createParam) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  hosted::Notify(window);
  if (show) ShowWindow(handle, SW_SHOWNORMAL);
  if (hosted::Find(handle) == nullptr) return nullptr;  // destroyed while being shown
  RECT client = hosted::ClientOf(*window);
  hosted::Send(window, WM_SIZE, SIZE_RESTORED, hosted::PackSize(client));
  hosted::Send(window, WM_MOVE, 0, hosted::PackPosition(client.left, client.top));
  return hosted::Find(handle) ? handle : nullptr;
}

BOOL WINAPI DestroyWindow(HWND handle) {
  hosted::NotWaiting();
  hosted::Window* window = hosted::Find(handle);
  if (window == nullptr || window->destroying) return FALSE;
  window->destroying = true;
  if (hosted::Visible(*window)) {
    window->style &= ~static_cast<DWORD>(WS_VISIBLE);
    hosted::Notify(window);
  }
  hosted::ActivateNext(window);
  hosted::Send(window, WM_DESTROY, 0, 0);
  hosted::Send(window, WM_NCDESTROY, 0, 0);
  hosted::CurrentDisplay().WindowDestroyed(handle);
  auto& user = hosted::State();
  hosted::ForgetMessages(handle);
  std::erase_if(user.windows, [window](const auto& owned) { return owned.get() == window; });
  return TRUE;
}

BOOL WINAPI ShowWindow(HWND handle, int command) {
  hosted::NotWaiting();
  hosted::Window* window = hosted::Find(handle);
  if (window == nullptr) return FALSE;
  bool wasVisible = hosted::Visible(*window);
  bool show = command != SW_HIDE;
  if (show == wasVisible) {
    if (show && command != SW_SHOW) hosted::Activate(handle);
    return wasVisible;
  }
  hosted::Send(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  if (hosted::Find(handle) == nullptr) return wasVisible;
  if (show)
    window->style |= WS_VISIBLE;
  else
    window->style &= ~static_cast<DWORD>(WS_VISIBLE);
  hosted::Notify(window);
  if (show)
    hosted::Activate(handle);
  else
    hosted::ActivateNext(window);
  return wasVisible;
}

BOOL WINAPI IsWindow(HWND handle) { return hosted::Find(handle) != nullptr; }

BOOL WINAPI IsWindowVisible(HWND handle) {
  hosted::Window* window = hosted::Find(handle);
  return window && hosted::Visible(*window);
}

LRESULT WINAPI DefWindowProcA(HWND handle, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(handle);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    default:
      return 0;
  }
}

LRESULT WINAPI SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  return hosted::Send(hosted::Find(handle), message, wParam, lParam);
}

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL) {
  if (rect == nullptr) return FALSE;
  RECT frame = hosted::FrameOf(style);
  rect->left = hosted::WrapAdd(rect->left, frame.left);
  rect->top = hosted::WrapAdd(rect->top, frame.top);
  rect->right = hosted::WrapAdd(rect->right, frame.right);
  rect->bottom = hosted::WrapAdd(rect->bottom, frame.bottom);
  return TRUE;
}

BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
  hosted::Window* window = hosted::Find(handle);
  if (window == nullptr || rect == nullptr) return FALSE;
  *rect = window->rect;
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
  hosted::Window* window = hosted::Find(handle);
  if (window == nullptr || rect == nullptr) return FALSE;
  RECT client = hosted::ClientOf(*window);
  *rect = {0, 0, hosted::WrapSubtract(client.right, client.left),
           hosted::WrapSubtract(client.bottom, client.top)};
  return TRUE;
}

LONG WINAPI GetWindowLongA(HWND handle, int index) {
  hosted::Window* window = hosted::Find(handle);
  if (window == nullptr) return 0;
  if (index == GWL_STYLE) return static_cast<LONG>(window->style);
  if (index == GWL_EXSTYLE) return static_cast<LONG>(window->exStyle);
  return 0;
}

int WINAPI GetSystemMetrics(int index) {
  hosted::NotWaiting();
  int32_t width = 0, height = 0;
  hosted::CurrentDisplay().DesktopSize(&width, &height);
  switch (index) {
    case SM_CXSCREEN:
      return width;
    case SM_CYSCREEN:
      return height;
    case SM_CYCAPTION:
      return hosted::kFrame.caption;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return hosted::kFrame.border;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return hosted::kFrame.dialogFrame;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return hosted::kFrame.sizingFrame;
    default:
      return 0;
  }
}

HWND WINAPI GetActiveWindow() { return hosted::State().active; }

HWND WINAPI GetForegroundWindow() { return hosted::Foreground(); }

// The program carries no resources, so only the system's own icon and
// cursor can be loaded.
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName) {
  if (instance == nullptr && iconName == IDI_APPLICATION)
    return reinterpret_cast<HICON>(&hosted::State().stockIcon);
  return nullptr;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
  if (instance == nullptr && cursorName == IDC_ARROW)
    return reinterpret_cast<HCURSOR>(&hosted::State().stockCursor);
  return nullptr;
}

DWORD WINAPI GetSysColor(int index) {
  switch (index) {
    case COLOR_BTNFACE:
      return 0x00F0F0F0;
    case COLOR_WINDOW:
      return 0x00FFFFFF;
    default:
      return 0;
  }
}

BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (rect == nullptr) return FALSE;
  *rect = {left, top, right, bottom};
  return TRUE;
}

BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy) {
  if (rect == nullptr) return FALSE;
  rect->left = hosted::WrapAdd(rect->left, dx);
  rect->right = hosted::WrapAdd(rect->right, dx);
  rect->top = hosted::WrapAdd(rect->top, dy);
  rect->bottom = hosted::WrapAdd(rect->bottom, dy);
  return TRUE;
}
