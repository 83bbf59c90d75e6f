// Keyboard snapshots through DirectInput 7, loaded at run time so that the
// program starts without it and reports its absence itself.
#include "runtime/keyboard/keyboard.h"

#include "runtime/core/core.h"
#include "runtime/core/hooks.h"
#include "runtime/screen/screen.h"

namespace {

constexpr DWORD kDirectInputVersion = 0x0700;
constexpr int32_t kKeys = 256;
constexpr DWORD kBoundLevel = DISCL_EXCLUSIVE | DISCL_FOREGROUND;
constexpr DWORD kLooseLevel = DISCL_NONEXCLUSIVE;
constexpr BYTE kDownBit = 0x80;

// The standard keyboard format: 256 optional keys, key i at byte i. One
// block, the header followed by the objects.
struct KeyboardFormat {
  DIDATAFORMAT format;
  DIOBJECTDATAFORMAT objects[kKeys];
};

struct KeyboardState {
  LPDIRECTINPUT7A directInput;
  LPDIRECTINPUTDEVICE7A keyboardDevice;
  bool acquirePending;
  BYTE keyState[kKeys];
  BYTE seenDown[kKeys];
};

KeyboardState state;

bool IsKey(int32_t key) { return key >= 0 && key < kKeys; }

// Built in RuntimeHeap and never freed: DirectInput may keep referring to it.
// It carries the sizes of this build's structures, by which DirectInput
// checks that it reads the layout it expects.
const DIDATAFORMAT* BuildKeyboardFormat() {
  auto* block = static_cast<KeyboardFormat*>(
      HeapAlloc(RuntimeHeap, HEAP_ZERO_MEMORY, sizeof(KeyboardFormat)));
  if (block == nullptr) return nullptr;
  block->format.dwSize = sizeof(DIDATAFORMAT);
  block->format.dwObjSize = sizeof(DIOBJECTDATAFORMAT);
  block->format.dwFlags = DIDF_RELAXIS;
  block->format.dwDataSize = kKeys;
  block->format.dwNumObjs = kKeys;
  block->format.rgodf = block->objects;
  for (int32_t i = 0; i < kKeys; ++i) {
    DIOBJECTDATAFORMAT& object = block->objects[i];
    object.pguid = &GUID_Key;
    object.dwOfs = static_cast<DWORD>(i);
    object.dwType = DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_MAKEINSTANCE(i);
    object.dwFlags = 0;
  }
  return &block->format;
}

}  // namespace

int32_t KeyboardInit() {
  state.keyboardDevice = nullptr;
  HMODULE module = LoadLibraryA("DINPUT.DLL");
  if (module == nullptr) return 0;
  FARPROC entry = GetProcAddress(module, "DirectInputCreateEx");
  if (entry == nullptr) return 0;
  // Through void (*)() because a cast between unrelated function types
  // is warned about; that one is the generic function pointer.
  auto create =
      reinterpret_cast<decltype(&DirectInputCreateEx)>(reinterpret_cast<void (*)()>(entry));
  LPDIRECTINPUT7A input = nullptr;
  if (create(RuntimeInstance, kDirectInputVersion, IID_IDirectInput7A,
             reinterpret_cast<LPVOID*>(&input), nullptr) != 0 ||
      input == nullptr)
    return 0;
  state.directInput = input;

  const DIDATAFORMAT* format = BuildKeyboardFormat();
  if (format == nullptr) return 0;

  LPDIRECTINPUTDEVICE7A device = nullptr;
  if (state.directInput->CreateDeviceEx(GUID_SysKeyboard, IID_IDirectInputDevice7A,
                                        reinterpret_cast<LPVOID*>(&device), nullptr) != 0 ||
      device == nullptr)
    return 0;
  // Kept even if the format is refused, so that the stop hook releases it.
  state.keyboardDevice = device;
  if (device->SetDataFormat(format) != 0) return 0;
  state.acquirePending = true;
  return 1;
}

int32_t KeyboardExamine() {
  LPDIRECTINPUTDEVICE7A device = state.keyboardDevice;
  if (device == nullptr) return 0;
  // The screen's window is only known once the screen is open, which is
  // after KeyboardInit; so the device is bound on the first snapshot.
  if (state.acquirePending) {
    device->SetCooperativeLevel(ScreenWindow(), kBoundLevel);
    device->Acquire();
    state.acquirePending = false;
  }
  if (device->GetDeviceState(sizeof(state.keyState), state.keyState) == 0) return 1;
  // Lost (the window left the front, or the device was never acquired): bind
  // again and leave the read to the next frame. The snapshot keeps whatever
  // the failed read left in it.
  device->Unacquire();
  device->SetCooperativeLevel(nullptr, kLooseLevel);
  device->SetCooperativeLevel(ScreenWindow(), kBoundLevel);
  device->Acquire();
  return 0;
}

int32_t KeyDown(int32_t key) {
  if (!IsKey(key)) return 0;
  return state.keyState[key] & kDownBit;
}

int32_t KeyReleased(int32_t key) {
  if (!IsKey(key)) return 0;
  if (state.keyState[key] & kDownBit) {
    state.seenDown[key] = 1;
    return 0;
  }
  if (state.seenDown[key]) {
    state.seenDown[key] = 0;
    return 1;
  }
  return 0;
}

void KeyboardStop() {
  LPDIRECTINPUTDEVICE7A device = state.keyboardDevice;
  if (device == nullptr) return;
  device->Unacquire();
  device->SetCooperativeLevel(nullptr, kLooseLevel);
  device->Release();
  state.keyboardDevice = nullptr;
}

void KeyboardReset() { state = {}; }
