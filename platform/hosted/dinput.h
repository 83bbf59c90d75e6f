// Hosted DirectInput 7: the system keyboard as a device that reads a 256-byte
// snapshot in DirectInput scan codes, as the SDK's <dinput.h> declares it;
// windows.h has the basic types and IUnknown.
//
// Where it deliberately differs from DirectInput:
// - the system keyboard is the only device.
#pragma once

#include "platform/hosted/windows.h"

#define DI_OK S_OK
#define DIERR_GENERIC E_FAIL
#define DIERR_INVALIDPARAM E_INVALIDARG
#define DIERR_OUTOFMEMORY E_OUTOFMEMORY
#define DIERR_NOINTERFACE E_NOINTERFACE
#define DIERR_NOTACQUIRED ((HRESULT)0x8007000C)
#define DIERR_INPUTLOST ((HRESULT)0x8007001E)
#define DIERR_ACQUIRED ((HRESULT)0x800700AA)
#define DIERR_NOTINITIALIZED ((HRESULT)0x80070015)
#define DIERR_DEVICENOTREG ((HRESULT)0x80040154)
#define DIERR_OLDDIRECTINPUTVERSION ((HRESULT)0x8007047E)
#define DIERR_BETADIRECTINPUTVERSION ((HRESULT)0x80070481)
#define DIERR_UNSUPPORTED ((HRESULT)0x80004001)
#define DIERR_OTHERAPPHASPRIO ((HRESULT)0x80070005)
#define DIERR_NOAGGREGATION ((HRESULT)0x80040110)
#define DI_NOEFFECT S_FALSE

#define DISCL_EXCLUSIVE 0x00000001
#define DISCL_NONEXCLUSIVE 0x00000002
#define DISCL_FOREGROUND 0x00000004
#define DISCL_BACKGROUND 0x00000008

#define DIDF_ABSAXIS 0x00000001
#define DIDF_RELAXIS 0x00000002

#define DIDFT_BUTTON 0x0000000C
#define DIDFT_OPTIONAL 0x80000000
#define DIDFT_MAKEINSTANCE(n) ((WORD)(n) << 8)
#define DIDFT_GETINSTANCE(n) LOWORD((n) >> 8)

// Scan codes, the indices of the keyboard snapshot, of the keys that the
// displays and the tests name (the runtime names its keys by number).
#define DIK_ESCAPE 0x01
#define DIK_1 0x02
#define DIK_2 0x03
#define DIK_4 0x05
#define DIK_8 0x09
#define DIK_P 0x19
#define DIK_M 0x32
#define DIK_UP 0xC8

typedef struct _DIOBJECTDATAFORMAT {
  const GUID* pguid;
  DWORD dwOfs;
  DWORD dwType;
  DWORD dwFlags;
} DIOBJECTDATAFORMAT, *LPDIOBJECTDATAFORMAT;

typedef struct _DIDATAFORMAT {
  DWORD dwSize;
  DWORD dwObjSize;
  DWORD dwFlags;
  DWORD dwDataSize;
  DWORD dwNumObjs;
  LPDIOBJECTDATAFORMAT rgodf;
} DIDATAFORMAT;
typedef const DIDATAFORMAT* LPCDIDATAFORMAT;

struct IDirectInputDevice7A : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE Acquire() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unacquire() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) = 0;

 protected:
  ~IDirectInputDevice7A() = default;
};
typedef IDirectInputDevice7A* LPDIRECTINPUTDEVICE7A;

struct IDirectInput7A : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateDeviceEx(REFGUID device, REFIID iid, LPVOID* object,
                                                   LPUNKNOWN outer) = 0;

 protected:
  ~IDirectInput7A() = default;
};
typedef IDirectInput7A* LPDIRECTINPUT7A;

// The identifiers of DirectInput 7 that the runtime names, as the SDK's import
// library (dxguid) provides them.
extern const GUID IID_IDirectInput7A;
extern const GUID IID_IDirectInputDevice7A;
extern const GUID GUID_SysKeyboard;
extern const GUID GUID_Key;

// Exported by the built-in module "DINPUT.DLL"; reached through GetProcAddress.
HRESULT WINAPI DirectInputCreateEx(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* object,
                                   LPUNKNOWN outer);
