// Hosted DirectSound 7: the DirectSound object and its secondary buffers
// (filled through Lock and Unlock, played once or looping, stopped, moved,
// turned down), as the SDK's <dsound.h> declares them, and a buffer's
// property set (IKsPropertySet), through which a driver offers what goes
// beyond DirectSound; windows.h has the basic types and IUnknown. The
// playing buffers are mixed into one stream that the display plays
// (platform/hosted/services.h: MixSound).
//
// Where it deliberately differs from DirectSound:
// - buffers hold 16-bit mono PCM at 22050 samples a second, the mix's own
//   format; any other format is refused (DSERR_BADFORMAT), where DirectSound
//   would convert it; there is no primary buffer to ask for, and volume is
//   the one control (others are refused with DSERR_CONTROLUNAVAIL);
// - every start, stop, jump and change of volume of a playing buffer fades
//   over 10 ms (a stop or a jump lets the old sound fade out while the new
//   one fades in) instead of stepping, so that none of them clicks;
// - buffers are heard whichever window is in front (as with
//   DSBCAPS_GLOBALFOCUS);
// - a buffer keeps its DirectSound object alive, where DirectSound releases
//   the buffers with the object;
// - the one property set is the pad feel of platform/pad_feel.h: while a
//   buffer marked with a player plays once, the display shakes that
//   player's game pad.
#pragma once

#include "platform/hosted/windows.h"

#define DS_OK S_OK
#define DSERR_GENERIC E_FAIL
#define DSERR_INVALIDPARAM E_INVALIDARG
#define DSERR_OUTOFMEMORY E_OUTOFMEMORY
#define DSERR_NOINTERFACE E_NOINTERFACE
#define DSERR_UNSUPPORTED ((HRESULT)0x80004001)
#define DSERR_NOAGGREGATION ((HRESULT)0x80040110)
#define DSERR_CONTROLUNAVAIL ((HRESULT)0x8878001E)
#define DSERR_INVALIDCALL ((HRESULT)0x88780032)
#define DSERR_PRIOLEVELNEEDED ((HRESULT)0x88780046)
#define DSERR_BADFORMAT ((HRESULT)0x88780064)
#define DSERR_NODRIVER ((HRESULT)0x88780078)
#define DSERR_UNINITIALIZED ((HRESULT)0x887800AA)
// Property sets: the set, or the property within it, that the driver does
// not know.
#define E_PROP_ID_UNSUPPORTED ((HRESULT)0x80070490)
#define E_PROP_SET_UNSUPPORTED ((HRESULT)0x80070492)

#define DSSCL_NORMAL 1
#define DSSCL_PRIORITY 2
#define DSSCL_EXCLUSIVE 3
#define DSSCL_WRITEPRIMARY 4

#define DSBCAPS_PRIMARYBUFFER 0x00000001
#define DSBCAPS_STATIC 0x00000002
#define DSBCAPS_LOCSOFTWARE 0x00000008
#define DSBCAPS_CTRLVOLUME 0x00000080
#define DSBCAPS_STICKYFOCUS 0x00004000
#define DSBCAPS_GLOBALFOCUS 0x00008000
#define DSBCAPS_GETCURRENTPOSITION2 0x00010000

#define DSBPLAY_LOOPING 0x00000001
#define DSBLOCK_FROMWRITECURSOR 0x00000001
#define DSBLOCK_ENTIREBUFFER 0x00000002

#define DSBSIZE_MIN 4
#define DSBSIZE_MAX 0x0FFFFFFF
#define DSBVOLUME_MAX 0
#define DSBVOLUME_MIN (-10000)

#define WAVE_FORMAT_PCM 1

#define KSPROPERTY_SUPPORT_GET 1
#define KSPROPERTY_SUPPORT_SET 2

typedef struct tWAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
} WAVEFORMATEX, *LPWAVEFORMATEX;

typedef struct _DSBUFFERDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwBufferBytes;
  DWORD dwReserved;
  LPWAVEFORMATEX lpwfxFormat;
  GUID guid3DAlgorithm;
} DSBUFFERDESC, *LPDSBUFFERDESC;
typedef const DSBUFFERDESC* LPCDSBUFFERDESC;

struct IDirectSoundBuffer : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1,
                                         LPVOID* part2, LPDWORD bytes2, DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE Play(DWORD reserved1, DWORD priority, DWORD flags) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetCurrentPosition(DWORD position) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetVolume(LONG volume) = 0;
  virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
  virtual HRESULT STDMETHODCALLTYPE Unlock(LPVOID part1, DWORD bytes1, LPVOID part2,
                                           DWORD bytes2) = 0;

 protected:
  ~IDirectSoundBuffer() = default;
};
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;

struct IDirectSound : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC description,
                                                      LPDIRECTSOUNDBUFFER* buffer,
                                                      LPUNKNOWN outer) = 0;
  virtual HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD level) = 0;

 protected:
  ~IDirectSound() = default;
};
typedef IDirectSound* LPDIRECTSOUND;

struct IKsPropertySet : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Get(REFGUID set, ULONG id, LPVOID instance,
                                        ULONG instanceLength, LPVOID data, ULONG dataLength,
                                        ULONG* returned) = 0;
  virtual HRESULT STDMETHODCALLTYPE Set(REFGUID set, ULONG id, LPVOID instance,
                                        ULONG instanceLength, LPVOID data, ULONG dataLength) = 0;
  virtual HRESULT STDMETHODCALLTYPE QuerySupport(REFGUID set, ULONG id, ULONG* support) = 0;

 protected:
  ~IKsPropertySet() = default;
};
typedef IKsPropertySet* LPKSPROPERTYSET;

// The identifiers of DirectSound 7, as the SDK's import library (dxguid)
// provides them.
extern const GUID IID_IDirectSound;
extern const GUID IID_IDirectSoundBuffer;
extern const GUID IID_IKsPropertySet;

// Exported by the built-in module "DSOUND.DLL"; reached through
// GetProcAddress. Fails with DSERR_NODRIVER where the display has no sound.
HRESULT WINAPI DirectSoundCreate(const GUID* device, LPDIRECTSOUND* object, LPUNKNOWN outer);
