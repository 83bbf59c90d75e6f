// Hosted DirectInput 7: the system keyboard, read as one snapshot per
// GetDeviceState from the installed display.
//
// The objects behave as DirectInput's documented ones do for the calls the
// runtime makes: a device needs a data format before it can be acquired, a
// foreground device only acquires while its window is in front and is lost
// when the window leaves the front, and a lost read unacquires the device.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/hosted/internal.h"

const GUID IID_IDirectInput7A = {0x9A4CB684, 0x236D, 0x11D3,
                                 {0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE}};
const GUID IID_IDirectInputDevice7A = {0x57D7C6BC, 0x2356, 0x11D3,
                                       {0x8E, 0x9D, 0x00, 0xC0, 0x4F, 0x68, 0x44, 0xAE}};
const GUID GUID_SysKeyboard = {0x6F1D2B61, 0xD5A0, 0x11CF,
                               {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const GUID GUID_Key = {0x55728220, 0xD33C, 0x11CF,
                       {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

namespace hosted {
namespace {

constexpr GUID kIidUnknown = {0x00000000, 0x0000, 0x0000,
                              {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

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

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }

class Input;

class KeyboardDevice final : public IDirectInputDevice7A {
 public:
  explicit KeyboardDevice(Input* parent);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override;
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
  ULONG references = 1;
  bool formatSet = false;
  DWORD dataSize = 0;
  std::vector<Mapping> mappings;
  HWND window = nullptr;
  DWORD cooperation = 0;  // 0 until a level is set: nonexclusive background
  bool acquired = false;
  int32_t acquisitions = 0;
};

class Input final : public IDirectInput7A {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateDeviceEx(REFGUID device, REFIID iid, LPVOID* object,
                                           LPUNKNOWN outer) override;

  ULONG references = 1;
};

struct DirectInputState {
  std::vector<Input*> inputs;
  std::vector<KeyboardDevice*> devices;  // in creation order

  // Objects a program never released go with the next process, or here
  // when the last one has ended.
  void Clear();
  ~DirectInputState() { Clear(); }
};

DirectInputState& State() {
  static DirectInputState state;
  return state;
}

template <typename T>
void Forget(std::vector<T*>& list, T* object) {
  list.erase(std::remove(list.begin(), list.end(), object), list.end());
}

// ---------------------------------------------------------------- Input

HRESULT Input::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (SameGuid(riid, kIidUnknown) || SameGuid(riid, IID_IDirectInput7A)) {
    *object = this;
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG Input::Release() {
  ULONG left = --references;
  if (left == 0) {
    Forget(State().inputs, this);
    delete this;
  }
  return left;
}

HRESULT Input::CreateDeviceEx(REFGUID device, REFIID iid, LPVOID* object, LPUNKNOWN outer) {
  if (object == nullptr) return DIERR_INVALIDPARAM;
  *object = nullptr;
  if (outer != nullptr) return DIERR_NOAGGREGATION;
  if (!SameGuid(device, GUID_SysKeyboard)) return DIERR_DEVICENOTREG;
  if (!SameGuid(iid, IID_IDirectInputDevice7A)) return DIERR_NOINTERFACE;
  if (CurrentDisplay().Fails(FailPoint::kDirectInputDevice, "", 0, 0)) return DIERR_OUTOFMEMORY;
  auto* keyboard = new KeyboardDevice(this);
  State().devices.push_back(keyboard);
  *object = static_cast<IDirectInputDevice7A*>(keyboard);
  return DI_OK;
}

// ---------------------------------------------------------------- KeyboardDevice

// A device keeps its DirectInput object alive, as on Windows.
KeyboardDevice::KeyboardDevice(Input* parent) : parent(parent) { parent->AddRef(); }

HRESULT KeyboardDevice::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (SameGuid(riid, kIidUnknown) || SameGuid(riid, IID_IDirectInputDevice7A)) {
    *object = this;
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG KeyboardDevice::Release() {
  ULONG left = --references;
  if (left == 0) {
    Input* owner = parent;
    Forget(State().devices, this);
    delete this;
    owner->Release();
  }
  return left;
}

// Only keys live on this device: an object matches when it asks for a key (or
// any object type) that buttons satisfy, by a free instance number or by any.
// Optional objects that match nothing are left out; others refuse the format.
HRESULT KeyboardDevice::SetDataFormat(LPCDIDATAFORMAT format) {
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
  if (!formatSet) return DIERR_INVALIDPARAM;
  if (acquired) return DI_NOEFFECT;
  if ((cooperation & DISCL_FOREGROUND) && GetForegroundWindow() != window)
    return DIERR_OTHERAPPHASPRIO;
  acquired = true;
  ++acquisitions;
  return DI_OK;
}

HRESULT KeyboardDevice::Unacquire() {
  if (!acquired) return DI_NOEFFECT;
  acquired = false;
  return DI_OK;
}

HRESULT KeyboardDevice::GetDeviceState(DWORD size, LPVOID data) {
  if (!acquired) return DIERR_NOTACQUIRED;
  if (data == nullptr || size != dataSize) return DIERR_INVALIDPARAM;
  Display& display = CurrentDisplay();
  display.Pump();
  // A foreground device loses the keyboard when its window leaves the front,
  // and must be acquired again; the caller's buffer is left alone.
  bool lost = ((cooperation & DISCL_FOREGROUND) && GetForegroundWindow() != window) ||
              display.Fails(FailPoint::kGetDeviceState, "", 0, 0);
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

void DirectInputState::Clear() {
  for (KeyboardDevice* device : devices) delete device;
  for (Input* input : inputs) delete input;
  devices.clear();
  inputs.clear();
}

}  // namespace

void ResetDirectInput() { State().Clear(); }

KeyboardDeviceInfo InspectKeyboardDevice() {
  DirectInputState& state = State();
  if (state.devices.empty()) return {};
  const KeyboardDevice& device = *state.devices.back();
  return {true,          device.references, device.formatSet,   device.window,
          device.cooperation, device.acquired, device.acquisitions};
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
  if (CurrentDisplay().Fails(FailPoint::kDirectInputCreate, "", 0, 0)) return DIERR_GENERIC;
  auto* input = new Input;
  State().inputs.push_back(input);
  *object = static_cast<IDirectInput7A*>(input);
  return DI_OK;
}
