// The hosted DirectInput 7: creation, the keyboard device, data formats,
// cooperative levels, acquisition and reads from the display's keyboard.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/hosted_view.h"
#include "runtime/core/core.h"
#include "tests/support/program.h"

namespace {

constexpr GUID kSysMouse = {
    0x6F1D2B60, 0xD5A0, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr GUID kXAxis = {
    0xA36D02E0, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
constexpr DWORD kAxis = 0x3;
constexpr DWORD kAnyInstance = 0x00FFFF00;
constexpr DWORD kBound = DISCL_EXCLUSIVE | DISCL_FOREGROUND;

// The standard keyboard format (key i at byte i, every key optional), to be
// spoilt by a test.
struct Format {
  std::vector<DIOBJECTDATAFORMAT> objects;
  DIDATAFORMAT format{
      sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS, 256, 0, nullptr};
  Format() {
    for (DWORD i = 0; i < 256; ++i)
      objects.push_back({&GUID_Key, i, DIDFT_OPTIONAL | DIDFT_BUTTON | DIDFT_MAKEINSTANCE(i), 0});
  }
  const DIDATAFORMAT* get() {
    format.rgodf = objects.data();
    format.dwNumObjs = static_cast<DWORD>(objects.size());
    return &format;
  }
};

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow(bool visible) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "InputTest";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, "InputTest", "", WS_POPUP | (visible ? WS_VISIBLE : 0), 0, 0, 64, 64,
                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

HRESULT Create(DWORD version, const GUID& iid, LPVOID* object,
               HINSTANCE instance = GetModuleHandleA(nullptr)) {
  return DirectInputCreateEx(instance, version, iid, object, nullptr);
}

LPDIRECTINPUTDEVICE7A Keyboard(bool withFormat = true) {
  LPDIRECTINPUT7A input = nullptr;
  EXPECT_EQ(Create(0x0700, IID_IDirectInput7A, reinterpret_cast<LPVOID*>(&input)), DI_OK);
  LPDIRECTINPUTDEVICE7A device = nullptr;
  EXPECT_EQ(input->CreateDeviceEx(GUID_SysKeyboard, IID_IDirectInputDevice7A,
                                  reinterpret_cast<LPVOID*>(&device), nullptr),
            DI_OK);
  input->Release();  // the device keeps it
  Format format;
  if (withFormat) {
    EXPECT_EQ(device->SetDataFormat(format.get()), DI_OK);
  }
  return device;
}

TEST(DirectInputCreate, VersionsInterfacesArgumentsAndFailures) {
  headless::HeadlessDisplay display;
  hosted::RunProcess(
      display,
      [] {
        LPVOID object = reinterpret_cast<LPVOID>(1);
        EXPECT_EQ(Create(0, IID_IDirectInput7A, &object), DIERR_NOTINITIALIZED);
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(Create(0x0800, IID_IDirectInput7A, &object), DIERR_OLDDIRECTINPUTVERSION);
        EXPECT_EQ(Create(0x0701, IID_IDirectInput7A, &object), DIERR_OLDDIRECTINPUTVERSION);
        EXPECT_EQ(Create(0x0650, IID_IDirectInput7A, &object), DIERR_BETADIRECTINPUTVERSION);
        EXPECT_EQ(Create(0x0700, IID_IDirectInputDevice7A, &object), DIERR_NOINTERFACE);
        EXPECT_EQ(Create(0x0700, IID_IDirectInput7A, &object, nullptr), DIERR_INVALIDPARAM);
        EXPECT_EQ(Create(0x0700, IID_IDirectInput7A, nullptr), DIERR_INVALIDPARAM);
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(Create(0x0500, IID_IDirectInput7A, &object), DI_OK);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(static_cast<LPDIRECTINPUT7A>(object)->Release(), 0u);
      },
      &display);
  display.Fail(hosted::FailPoint::kDirectInputCreate);
  hosted::RunProcess(
      display,
      [] {
        LPVOID object = reinterpret_cast<LPVOID>(1);
        EXPECT_TRUE(FAILED(Create(0x0700, IID_IDirectInput7A, &object)));
        EXPECT_EQ(object, nullptr);
      },
      &display);
  display.ClearFailures();
  // As a program finds it: in "DINPUT.DLL", taking the program's instance.
  RunWithProgram(display, [] {
    FARPROC entry = GetProcAddress(LoadLibraryA("dinput.dll"), "DirectInputCreateEx");
    ASSERT_EQ(reinterpret_cast<void (*)()>(entry),
              reinterpret_cast<void (*)()>(&DirectInputCreateEx));
    LPVOID object = nullptr;
    EXPECT_EQ(Create(0x0700, IID_IDirectInput7A, &object, RuntimeInstance), DI_OK);
  });
}

TEST(DirectInputDevice, OnlyTheSystemKeyboardWithCountedReferences) {
  headless::HeadlessDisplay display;
  hosted::RunProcess(
      display,
      [] {
        LPDIRECTINPUT7A input = nullptr;
        ASSERT_EQ(Create(0x0700, IID_IDirectInput7A, reinterpret_cast<LPVOID*>(&input)), DI_OK);
        LPVOID object = reinterpret_cast<LPVOID>(1);
        EXPECT_EQ(input->CreateDeviceEx(kSysMouse, IID_IDirectInputDevice7A, &object, nullptr),
                  DIERR_DEVICENOTREG);
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(input->CreateDeviceEx(GUID_SysKeyboard, IID_IDirectInput7A, &object, nullptr),
                  DIERR_NOINTERFACE);
        EXPECT_FALSE(hosted::InspectKeyboardDevice().exists);

        LPDIRECTINPUTDEVICE7A device = Keyboard();
        EXPECT_EQ(device->AddRef(), 2u);
        EXPECT_EQ(device->Release(), 1u);
        EXPECT_EQ(device->Release(), 0u);
        EXPECT_FALSE(hosted::InspectKeyboardDevice().exists);
        Keyboard();  // left for the next process to clean up
      },
      &display);
  display.Fail(hosted::FailPoint::kDirectInputDevice);
  hosted::RunProcess(
      display,
      [] {
        EXPECT_FALSE(hosted::InspectKeyboardDevice().exists);
        LPDIRECTINPUT7A input = nullptr;
        ASSERT_EQ(Create(0x0700, IID_IDirectInput7A, reinterpret_cast<LPVOID*>(&input)), DI_OK);
        LPVOID object = reinterpret_cast<LPVOID>(1);
        EXPECT_TRUE(FAILED(
            input->CreateDeviceEx(GUID_SysKeyboard, IID_IDirectInputDevice7A, &object, nullptr)));
        EXPECT_EQ(object, nullptr);
      },
      &display);
}

TEST(DataFormat, RefusesMalformedFormatsAndMapsKeysByTheFormat) {
  headless::HeadlessDisplay display;
  display.SetKeyTimeline({{DIK_UP, DIK_ESCAPE}});
  hosted::RunProcess(
      display,
      [] {
        LPDIRECTINPUTDEVICE7A device = Keyboard(false);
        EXPECT_EQ(device->SetDataFormat(nullptr), DIERR_INVALIDPARAM);
        auto refused = [&](auto spoil) {
          Format format;
          spoil(format);
          return device->SetDataFormat(format.get()) == DIERR_INVALIDPARAM;
        };
        EXPECT_TRUE(refused([](Format& f) { f.format.dwSize = 24; }));
        EXPECT_TRUE(refused([](Format& f) { f.format.dwObjSize = 16; }));
        EXPECT_TRUE(refused([](Format& f) { f.format.dwFlags = DIDF_ABSAXIS | DIDF_RELAXIS; }));
        EXPECT_TRUE(refused([](Format& f) { f.format.dwDataSize = 254; }));
        EXPECT_TRUE(refused([](Format& f) { f.objects[3].dwOfs = 256; }));
        EXPECT_TRUE(refused([](Format& f) { f.objects[3].dwOfs = 2; }));  // a byte taken twice
        // Required objects that match no free key.
        EXPECT_TRUE(
            refused([](Format& f) { f.objects[3].dwType = DIDFT_BUTTON | DIDFT_MAKEINSTANCE(2); }));
        EXPECT_TRUE(refused([](Format& f) { f.objects[3] = {&kXAxis, 3, kAxis, 0}; }));
        EXPECT_TRUE(refused(
            [](Format& f) { f.objects[0].dwType = DIDFT_BUTTON | DIDFT_MAKEINSTANCE(256); }));
        EXPECT_FALSE(hosted::InspectKeyboardDevice().formatSet);
        EXPECT_EQ(device->Acquire(), DIERR_INVALIDPARAM);  // no format yet

        // Up at byte 0, Escape at byte 2, byte 3 for any key (the first free
        // one, key 0); an optional axis is left out.
        Format format;
        format.format.dwDataSize = 4;
        format.objects = {{&GUID_Key, 0, DIDFT_BUTTON | DIDFT_MAKEINSTANCE(DIK_UP), 0},
                          {nullptr, 2, DIDFT_BUTTON | DIDFT_MAKEINSTANCE(DIK_ESCAPE), 0},
                          {&GUID_Key, 3, DIDFT_BUTTON | kAnyInstance, 0},
                          {&kXAxis, 1, DIDFT_OPTIONAL | kAxis | kAnyInstance, 0}};
        ASSERT_EQ(device->SetDataFormat(format.get()), DI_OK);
        ASSERT_EQ(device->Acquire(), DI_OK);
        EXPECT_EQ(device->SetDataFormat(format.get()), DIERR_ACQUIRED);
        uint8_t state[4] = {1, 1, 1, 1};
        EXPECT_EQ(device->GetDeviceState(256, state), DIERR_INVALIDPARAM);
        ASSERT_EQ(device->GetDeviceState(4, state), DI_OK);
        EXPECT_EQ(std::vector<uint8_t>(state, state + 4), (std::vector<uint8_t>{0x80, 0, 0x80, 0}));
      },
      &display);
}

TEST(CooperativeLevel, ValidatesFlagsAndWindow) {
  headless::HeadlessDisplay display;
  hosted::RunProcess(
      display,
      [&] {
        HWND window = MakeWindow(true);
        LPDIRECTINPUTDEVICE7A device = Keyboard();
        const DWORD invalid[] = {DISCL_EXCLUSIVE, DISCL_FOREGROUND,
                                 DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND,
                                 DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | DISCL_BACKGROUND};
        for (DWORD flags : invalid)
          EXPECT_EQ(device->SetCooperativeLevel(window, flags), DIERR_INVALIDPARAM) << flags;
        EXPECT_EQ(device->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE), DIERR_INVALIDPARAM);
        EXPECT_EQ(device->SetCooperativeLevel(nullptr, kBound), E_HANDLE);
        EXPECT_EQ(device->SetCooperativeLevel(reinterpret_cast<HWND>(&display), kBound), E_HANDLE);
        EXPECT_EQ(device->SetCooperativeLevel(window, DISCL_EXCLUSIVE | DISCL_BACKGROUND),
                  DIERR_UNSUPPORTED);
        EXPECT_EQ(hosted::InspectKeyboardDevice().cooperation, 0u);

        EXPECT_EQ(device->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
                  DI_OK);
        EXPECT_EQ(device->SetCooperativeLevel(window, kBound), DI_OK);
        EXPECT_EQ(hosted::InspectKeyboardDevice().window, window);
        EXPECT_EQ(hosted::InspectKeyboardDevice().cooperation, kBound);
        ASSERT_EQ(device->Acquire(), DI_OK);
        EXPECT_EQ(device->SetCooperativeLevel(window, kBound), DIERR_ACQUIRED);
      },
      &display);
}

TEST(Acquisition, ReadsOnlyWhileAcquiredAndFailedReadsLoseTheDevice) {
  headless::HeadlessDisplay display;
  display.SetKeyTimeline({{DIK_P}, {}});
  hosted::RunProcess(
      display,
      [&] {
        LPDIRECTINPUTDEVICE7A device = Keyboard();
        uint8_t state[256];
        EXPECT_EQ(device->GetDeviceState(256, state), DIERR_NOTACQUIRED);
        EXPECT_EQ(device->Unacquire(), DI_NOEFFECT);
        EXPECT_EQ(device->Acquire(), DI_OK);
        EXPECT_EQ(device->Acquire(), DI_NOEFFECT);
        EXPECT_EQ(device->GetDeviceState(255, state), DIERR_INVALIDPARAM);
        EXPECT_EQ(device->GetDeviceState(256, nullptr), DIERR_INVALIDPARAM);

        // Failed reads leave the buffer alone and take no snapshot.
        display.FailDeviceStates(1);
        std::memset(state, 0x55, sizeof(state));
        EXPECT_EQ(device->GetDeviceState(256, state), DIERR_INPUTLOST);
        EXPECT_EQ(device->GetDeviceState(256, state), DIERR_NOTACQUIRED);
        EXPECT_EQ(state[DIK_P], 0x55);
        EXPECT_EQ(display.Snapshots(), 0);

        EXPECT_EQ(device->Acquire(), DI_OK);
        ASSERT_EQ(device->GetDeviceState(256, state), DI_OK);
        for (int key = 0; key < 256; ++key) EXPECT_EQ(state[key], key == DIK_P ? 0x80 : 0) << key;
        EXPECT_EQ(device->Unacquire(), DI_OK);
        EXPECT_EQ(device->GetDeviceState(256, state), DIERR_NOTACQUIRED);
        EXPECT_EQ(hosted::InspectKeyboardDevice().acquisitions, 2);
      },
      &display);
}

TEST(Acquisition, ForegroundDeviceFollowsItsWindow) {
  headless::HeadlessDisplay display;
  display.SetKeyTimeline({{DIK_UP}, {DIK_UP}});
  hosted::RunProcess(
      display,
      [&] {
        HWND hidden = MakeWindow(false);
        HWND shown = MakeWindow(true);
        ASSERT_EQ(GetForegroundWindow(), shown);
        LPDIRECTINPUTDEVICE7A device = Keyboard();
        ASSERT_EQ(device->SetCooperativeLevel(hidden, kBound), DI_OK);
        EXPECT_EQ(device->Acquire(), DIERR_OTHERAPPHASPRIO);
        ASSERT_EQ(device->SetCooperativeLevel(shown, kBound), DI_OK);
        ASSERT_EQ(device->Acquire(), DI_OK);
        uint8_t state[256];
        ASSERT_EQ(device->GetDeviceState(256, state), DI_OK);

        hosted::SetForeground(nullptr);  // another program comes to the front
        EXPECT_EQ(device->GetDeviceState(256, state), DIERR_INPUTLOST);
        EXPECT_EQ(device->Acquire(), DIERR_OTHERAPPHASPRIO);
        hosted::SetForeground(shown);
        EXPECT_EQ(device->Acquire(), DI_OK);
        EXPECT_EQ(device->GetDeviceState(256, state), DI_OK);
        EXPECT_EQ(state[DIK_UP], 0x80);
      },
      &display);
}

}  // namespace
