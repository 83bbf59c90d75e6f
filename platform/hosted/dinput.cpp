// Hosted DirectInput 7: the system keyboard, read as one snapshot per
// GetDeviceState from the installed display.
//
// The objects behave as DirectInput's documented ones do for the calls the
// runtime makes: a device needs a data format before it can be acquired, a
// foreground device only acquires while its window is in front and is lost
// when the window leaves the front, and a lost read unacquires the device.
// They live as com.h says: a call on a released one answers
// DIERR_NOTINITIALIZED.
#include "platform/hosted/dinput.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/hosted/com.h"
#include "platform/hosted/hosted_view.h"
#include "platform/hosted/internal.h"

namespace hosted {
namespace {

// Versions that DirectInput 7 accepts from an application; anything newer
// asks for a DirectInput that is not installed, anything between them was a
// prerelease.
constexpr DWORD kKnownVersions[] = {0x0300, 0x0500, 0x050A, 0x05B2, 0x0602, 0x061A, 0x0700};
constexpr DWORD kNewestVersion = 0x0700;

constexpr DWORD kTypeMask = 0x000000FF;
constexpr DWORD kPushButton = 0x00000004;
constexpr DWORD kAnyInstance = 0x00FFFF00;
constexpr DWORD kMaxDataSize = 1024;
constexpr int kKeys = 256;

template <typename Interface, const IID& kIid>
using DirectInputObject = ComObject<Interface, kIid, E_POINTER, DIERR_NOTINITIALIZED>;

class Input;

class KeyboardDevice final
    : public DirectInputObject<IDirectInputDevice7A, IID_IDirectInputDevice7A> {
 public:
  explicit KeyboardDevice(Input* parent);

  HRESULT STDMETHODCALLTYPE SetDataFormat(LPCDIDATAFORMAT format) override;
  HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Acquire() override;
  HRESULT STDMETHODCALLTYPE Unacquire() override;
  HRESULT STDMETHODCALLTYPE GetDeviceState(DWORD size, LPVOID data) override;

  // Where each mapped key goes in the caller's buffer.
  struct Mapping {
    DWORD offset;
    int key;
  };

  Input* parent;
  bool formatSet = false;
  DWORD dataSize = 0;
  std::vector<Mapping> mappings;
  HWND window = nullptr;
  DWORD cooperation = 0;  // 0 until a level is set: nonexclusive background
  bool acquired = false;
  int32_t acquisitions = 0;

 private:
  void Released() override;
};

class Input final : public DirectInputObject<IDirectInput7A, IID_IDirectInput7A> {
 public:
  HRESULT STDMETHODCALLTYPE CreateDeviceEx(REFGUID device, REFIID iid, LPVOID* object,
                                           LPUNKNOWN outer) override;
};

struct DirectInputState {
  ComShells<Input, IDirectInput7A> inputs;
  ComShells<KeyboardDevice, IDirectInputDevice7A> devices;
};

DirectInputState& State() {
  static DirectInputState state;
  return state;
}

// ---------------------------------------------------------------- Input

HRESULT Input::CreateDeviceEx(REFGUID device, REFIID iid, LPVOID* object, LPUNKNOWN outer) {
  if (object == nullptr) return DIERR_INVALIDPARAM;
  *object = nullptr;
  if (!Live()) return DIERR_NOTINITIALIZED;
  if (outer != nullptr) return DIERR_NOAGGREGATION;
  if (!SameGuid(device, GUID_SysKeyboard)) return DIERR_DEVICENOTREG;
  if (!SameGuid(iid, IID_IDirectInputDevice7A)) return DIERR_NOINTERFACE;
  NotWaiting();
  if (CurrentHooks().Fails(FailPoint::kDirectInputDevice, "", 0, 0)) return DIERR_OUTOFMEMORY;
  *object = static_cast<IDirectInputDevice7A*>(State().devices.Make(this));
  return DI_OK;
}

// ---------------------------------------------------------------- KeyboardDevice

// A device keeps its DirectInput object alive, as on Windows.
KeyboardDevice::KeyboardDevice(Input* parent) : parent(parent) { parent->AddRef(); }

void KeyboardDevice::Released() {
  acquired = false;
  mappings = {};
  parent->Release();
}

// Only keys live on this device: an object matches when it asks for a key (or
// any object type) that buttons satisfy, by a free instance number or by any.
// Optional objects that match nothing are left out; others refuse the format.
HRESULT KeyboardDevice::SetDataFormat(LPCDIDATAFORMAT format) {
  if (!Live()) return DIERR_NOTINITIALIZED;
  if (format == nullptr) return DIERR_INVALIDPARAM;
  if (acquired) return DIERR_ACQUIRED;
  if (format->dwSize != sizeof(DIDATAFORMAT) || format->dwObjSize != sizeof(DIOBJECTDATAFORMAT))
    return DIERR_INVALIDPARAM;
  if ((format->dwFlags & ~static_cast<DWORD>(DIDF_ABSAXIS | DIDF_RELAXIS)) != 0 ||
      (format->dwFlags & (DIDF_ABSAXIS | DIDF_RELAXIS)) == (DIDF_ABSAXIS | DIDF_RELAXIS))
    return DIERR_INVALIDPARAM;
  if (format->dwDataSize == 0 || format->dwDataSize % 4 != 0 || format->dwDataSize > kMaxDataSize)
    return DIERR_INVALIDPARAM;
  if (format->dwNumObjs > 0 && format->rgodf == nullptr) return DIERR_INVALIDPARAM;
  // Every object takes a byte of its own.
  if (format->dwNumObjs > format->dwDataSize) return DIERR_INVALIDPARAM;

  std::vector<Mapping> result;
  bool keyTaken[kKeys] = {};
  std::vector<bool> offsetTaken(format->dwDataSize, false);
  for (DWORD i = 0; i < format->dwNumObjs; ++i) {
    const DIOBJECTDATAFORMAT& object = format->rgodf[i];
    if (object.dwOfs >= format->dwDataSize || offsetTaken[object.dwOfs]) return DIERR_INVALIDPARAM;
    offsetTaken[object.dwOfs] = true;
    DWORD type = object.dwType & kTypeMask;
    bool keyType = (object.pguid == nullptr || SameGuid(*object.pguid, GUID_Key)) &&
                   (type == 0 || (type & kPushButton) != 0);
    int key = -1;
    if (keyType) {
      DWORD instance = object.dwType & kAnyInstance;
      if (instance == kAnyInstance) {
        for (int k = 0; k < kKeys && key < 0; ++k)
          if (!keyTaken[k]) key = k;
      } else {
        DWORD number = DIDFT_GETINSTANCE(object.dwType);
        if (number < kKeys && !keyTaken[number]) key = static_cast<int>(number);
      }
    }
    if (key < 0) {
      if (object.dwType & DIDFT_OPTIONAL) continue;
      return DIERR_INVALIDPARAM;
    }
    keyTaken[key] = true;
    result.push_back({object.dwOfs, key});
  }
  mappings = std::move(result);
  dataSize = format->dwDataSize;
  formatSet = true;
  return DI_OK;
}

HRESULT KeyboardDevice::SetCooperativeLevel(HWND target, DWORD flags) {
  if (!Live()) return DIERR_NOTINITIALIZED;
  DWORD sharing = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
  DWORD focus = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
  if (sharing == 0 || sharing == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE) || focus == 0 ||
      focus == (DISCL_FOREGROUND | DISCL_BACKGROUND))
    return DIERR_INVALIDPARAM;
  // Only a nonexclusive background device may go without a window: it then
  // belongs to the desktop.
  if (target == nullptr && flags != (DISCL_NONEXCLUSIVE | DISCL_BACKGROUND)) return E_HANDLE;
  if (target != nullptr && !IsWindow(target)) return E_HANDLE;
  // Windows does not let a program take the keyboard away from every other.
  if ((flags & DISCL_EXCLUSIVE) && (flags & DISCL_BACKGROUND)) return DIERR_UNSUPPORTED;
  if (acquired) return DIERR_ACQUIRED;
  window = target;
  cooperation = flags;
  return DI_OK;
}

HRESULT KeyboardDevice::Acquire() {
  if (!Live()) return DIERR_NOTINITIALIZED;
  if (!formatSet) return DIERR_INVALIDPARAM;
  if (acquired) return DI_NOEFFECT;
  if ((cooperation & DISCL_FOREGROUND) && GetForegroundWindow() != window)
    return DIERR_OTHERAPPHASPRIO;
  acquired = true;
  ++acquisitions;
  return DI_OK;
}

HRESULT KeyboardDevice::Unacquire() {
  if (!Live()) return DIERR_NOTINITIALIZED;
  if (!acquired) return DI_NOEFFECT;
  acquired = false;
  return DI_OK;
}

HRESULT KeyboardDevice::GetDeviceState(DWORD size, LPVOID data) {
  if (!Live()) return DIERR_NOTINITIALIZED;
  NotWaiting();
  Display& display = CurrentDisplay();
  ProcessHooks& hooks = CurrentHooks();
  if (!acquired) {
    hooks.KeyboardUnread();
    return DIERR_NOTACQUIRED;
  }
  if (data == nullptr || size != dataSize) return DIERR_INVALIDPARAM;
  display.Pump();
  // A foreground device loses the keyboard when its window leaves the front,
  // and must be acquired again; the caller's buffer is left alone.
  bool lost = ((cooperation & DISCL_FOREGROUND) && GetForegroundWindow() != window) ||
              hooks.Fails(FailPoint::kGetDeviceState, "", 0, 0);
  if (lost) hooks.KeyboardUnread();
  uint8_t keys[kKeys];
  if (lost || !display.ReadKeyboard(keys)) {
    acquired = false;
    return DIERR_INPUTLOST;
  }
  auto* out = static_cast<uint8_t*>(data);
  std::memset(out, 0, size);
  for (const Mapping& mapping : mappings) out[mapping.offset] = keys[mapping.key];
  return DI_OK;
}

}  // namespace

void ResetDirectInput() { State() = {}; }

KeyboardDeviceInfo InspectKeyboardDevice() {
  const KeyboardDevice* device = State().devices.Last();
  if (device == nullptr || !device->Live()) return {};
  return {true,
          device->References(),
          device->formatSet,
          device->window,
          device->cooperation,
          device->acquired,
          device->acquisitions};
}

}  // namespace hosted

HRESULT WINAPI DirectInputCreateEx(HINSTANCE instance, DWORD version, REFIID iid, LPVOID* object,
                                   LPUNKNOWN outer) {
  using namespace hosted;
  if (object == nullptr) return DIERR_INVALIDPARAM;
  *object = nullptr;
  if (outer != nullptr) return DIERR_NOAGGREGATION;
  if (instance == nullptr) return DIERR_INVALIDPARAM;
  if (version == 0) return DIERR_NOTINITIALIZED;
  if (version > kNewestVersion) return DIERR_OLDDIRECTINPUTVERSION;
  if (std::find(std::begin(kKnownVersions), std::end(kKnownVersions), version) ==
      std::end(kKnownVersions))
    return DIERR_BETADIRECTINPUTVERSION;
  if (!SameGuid(iid, IID_IDirectInput7A)) return DIERR_NOINTERFACE;
  NotWaiting();
  if (CurrentHooks().Fails(FailPoint::kDirectInputCreate, "", 0, 0)) return DIERR_GENERIC;
  *object = static_cast<IDirectInput7A*>(State().inputs.Make());
  return DI_OK;
}
