// The hosted Win32 subset: the part of the Windows kernel, window manager and
// GDI that the runtime calls, implemented in portable C++ for systems that are
// not Windows. DirectDraw 7, DirectInput 7 and DirectSound 7 are beside it in
// ddraw.h, dinput.h and dsound.h, as in the SDK.
//
// Names, types, constants and documented behaviour are those of Win32, so the
// runtime compiles unchanged against these headers and against <windows.h>,
// <ddraw.h> and <dinput.h>. Only what the runtime uses is here: the calls it
// makes, with the types, constants, messages and results that give them their
// meaning; the few that only the tests use are in hosted_view.h. Results
// follow the real platform: handles or TRUE on success, NULL or FALSE on
// failure, COM methods return 0 (DD_OK, DI_OK) on success and an HRESULT
// error otherwise. Where the hosted windows appear and where keys come from is
// decided by the display backend (platform/hosted/display/display.h).
//
// Where it deliberately differs from Win32 (ddraw.h, dinput.h and dsound.h
// list the differences of DirectDraw, DirectInput and DirectSound):
// - every pen draws one pixel wide and solid; brushes are solid or null;
// - text has one font, a built-in 8 x 16 bitmap font, and of the alignment
//   flags only TA_UPDATECP applies;
// - window frames have fixed metrics (those of the classic look); a window
//   device context off the desktop draws into memory of its own, unseen;
//   WS_CLIPSIBLINGS is added to overlapped windows only, not to popups (on
//   Windows every top-level window has it; nothing here clips by it);
// - no resources: only the system's own icon and cursor load; TranslateMessage
//   makes no character messages;
// - LoadLibraryA finds only the built-in "DDRAW.DLL", "DINPUT.DLL" and
//   "DSOUND.DLL";
// - QueryPerformanceCounter, read again with nothing else asked of the
//   platform in between (a busy-wait), first lets the processor rest where
//   the clock is real time: until shortly before the wait is foreseen to end
//   from the rhythm of the waits before it, then a tenth of a millisecond
//   at a time, so that a paced game does not keep a processor core busy;
//   the reading is the true time;
// - while the player is away (the program's window minimised or no longer in
//   front, the page hidden), QueryPerformanceCounter does not return until
//   the player is back, and the counter does not advance meanwhile: the
//   game goes on where it was;
// - handles (GDI objects, windows) are never reused within a process, and a
//   released COM object answers an error instead of touching freed memory, so
//   a stale handle or pointer fails the call rather than the program.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------- basic types
#define WINAPI
#define CALLBACK
#define STDMETHODCALLTYPE

typedef int BOOL;
typedef unsigned char BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef unsigned int UINT;
typedef int64_t LONGLONG;
typedef uintptr_t UINT_PTR;
typedef intptr_t INT_PTR;
typedef uintptr_t ULONG_PTR;
typedef intptr_t LONG_PTR;
typedef size_t SIZE_T;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef LONG HRESULT;
typedef WORD ATOM;
typedef DWORD COLORREF;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef DWORD* LPDWORD;
typedef void* HANDLE;

#define TRUE 1
#define FALSE 0

#define HOSTED_DECLARE_HANDLE(name) \
  struct name##__ {                 \
    int unused;                     \
  };                                \
  typedef struct name##__* name

HOSTED_DECLARE_HANDLE(HWND);
HOSTED_DECLARE_HANDLE(HDC);
HOSTED_DECLARE_HANDLE(HINSTANCE);
HOSTED_DECLARE_HANDLE(HICON);
HOSTED_DECLARE_HANDLE(HMENU);
HOSTED_DECLARE_HANDLE(HBRUSH);
HOSTED_DECLARE_HANDLE(HPEN);
HOSTED_DECLARE_HANDLE(HFONT);
HOSTED_DECLARE_HANDLE(HBITMAP);
HOSTED_DECLARE_HANDLE(HGDIOBJ__STRUCT);
#undef HOSTED_DECLARE_HANDLE
typedef void* HGDIOBJ;
typedef HINSTANCE HMODULE;
typedef HICON HCURSOR;

typedef INT_PTR(WINAPI* FARPROC)();
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

typedef union _LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  struct {
    DWORD LowPart;
    LONG HighPart;
  };
  LONGLONG QuadPart;
} LARGE_INTEGER;

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT, *LPRECT;

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT, *LPPOINT;

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG, *LPMSG;

typedef struct _GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
} GUID, IID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;

// IUnknown: the base of every COM interface of this subset.
struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

 protected:
  ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_FAIL ((HRESULT)0x80004005)
#define E_NOINTERFACE ((HRESULT)0x80004002)
#define E_POINTER ((HRESULT)0x80004003)
#define E_INVALIDARG ((HRESULT)0x80070057)
#define E_OUTOFMEMORY ((HRESULT)0x8007000E)
#define E_HANDLE ((HRESULT)0x80070006)

#define LOWORD(l) ((WORD)(((DWORD_PTR_HOSTED)(l)) & 0xffff))
typedef uintptr_t DWORD_PTR_HOSTED;
#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define IS_INTRESOURCE(p) ((((ULONG_PTR)(p)) >> 16) == 0)

// ---------------------------------------------------------------- kernel
#define HEAP_ZERO_MEMORY 0x00000008
#define HEAP_REALLOC_IN_PLACE_ONLY 0x00000010

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
HANDLE WINAPI HeapCreate(DWORD options, SIZE_T initialSize, SIZE_T maximumSize);
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
LPVOID WINAPI HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes);
BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID block);
BOOL WINAPI HeapDestroy(HANDLE heap);
DWORD WINAPI GetTickCount();
void WINAPI Sleep(DWORD milliseconds);
BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency);
BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count);
HMODULE WINAPI LoadLibraryA(LPCSTR fileName);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName);
BOOL WINAPI FreeLibrary(HMODULE module);
[[noreturn]] void WINAPI ExitProcess(UINT exitCode);

// The program's entry, as on Windows; the hosted process start calls it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

// ---------------------------------------------------------------- user
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_THICKFRAME 0x00040000L

#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_CLOSE 0x0010
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_KEYDOWN 0x0100
#define WM_SYSKEYDOWN 0x0104

#define WA_INACTIVE 0
#define WA_ACTIVE 1

#define SIZE_RESTORED 0

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CYCAPTION 4
#define SM_CXDLGFRAME 7
#define SM_CYDLGFRAME 8
#define SM_CXFRAME 32
#define SM_CYFRAME 33

#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)

#define COLOR_WINDOW 5
#define COLOR_BTNFACE 15

#define PM_REMOVE 0x0001

#define MB_OK 0x00000000L
#define MB_ICONERROR 0x00000010L
#define IDOK 1

#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)

typedef struct tagWNDCLASSA {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
} WNDCLASSA;

typedef struct tagWNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
} WNDCLASSEXA;

typedef struct tagCREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
} CREATESTRUCTA;

ATOM WINAPI RegisterClassA(const WNDCLASSA* windowClass);
ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass);
BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance);
HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param);
BOOL WINAPI DestroyWindow(HWND window);
BOOL WINAPI ShowWindow(HWND window, int command);
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu);
BOOL WINAPI GetWindowRect(HWND window, LPRECT rect);
LONG WINAPI GetWindowLongA(HWND window, int index);
int WINAPI GetSystemMetrics(int index);
HWND WINAPI GetActiveWindow();
HWND WINAPI GetForegroundWindow();
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR iconName);
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR cursorName);
DWORD WINAPI GetSysColor(int index);
HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC dc);
BOOL WINAPI SetRect(LPRECT rect, int left, int top, int right, int bottom);
BOOL WINAPI OffsetRect(LPRECT rect, int dx, int dy);
BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT remove);
BOOL WINAPI TranslateMessage(const MSG* msg);
LRESULT WINAPI DispatchMessageA(const MSG* msg);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
int WINAPI wvsprintfA(LPSTR output, LPCSTR format, va_list arguments);

// ---------------------------------------------------------------- gdi
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define SYSTEM_FONT 13

#define BS_SOLID 0
#define BS_NULL 1

#define PS_SOLID 0
#define PS_NULL 5

#define TA_NOUPDATECP 0
#define TA_UPDATECP 1

#define TRANSPARENT 1
#define OPAQUE 2

#define R2_BLACK 1
#define R2_NOT 6
#define R2_COPYPEN 13
#define R2_WHITE 16

#define BITSPIXEL 12
#define PLANES 14
#define HORZRES 8
#define VERTRES 10

#define CLR_INVALID 0xFFFFFFFF
#define RGB(r, g, b) \
  ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))

typedef struct tagLOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;
} LOGBRUSH;

HBRUSH WINAPI CreateSolidBrush(COLORREF colour);
HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* brush);
HPEN WINAPI CreatePen(int style, int width, COLORREF colour);
HGDIOBJ WINAPI GetStockObject(int index);
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
BOOL WINAPI DeleteObject(HGDIOBJ object);
BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL WINAPI Ellipse(HDC dc, int left, int top, int right, int bottom);
BOOL WINAPI SetPixelV(HDC dc, int x, int y, COLORREF colour);
COLORREF WINAPI GetPixel(HDC dc, int x, int y);
BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT previous);
BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length);
UINT WINAPI SetTextAlign(HDC dc, UINT align);
COLORREF WINAPI SetTextColor(HDC dc, COLORREF colour);
int WINAPI SetBkMode(HDC dc, int mode);
int WINAPI SetROP2(HDC dc, int mode);
int WINAPI GetDeviceCaps(HDC dc, int index);
