// The hosted DirectSound 7: creation, buffers and their refusals, locks,
// playing, the pad feel's property set, released objects, and the mix.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/hosted_view.h"
#include "platform/hosted/services.h"
#include "tests/support/game_screen.h"
#include "tests/support/program.h"

namespace {

WAVEFORMATEX Format(WORD channels = 1, DWORD rate = 22050, WORD bits = 16) {
  WORD align = static_cast<WORD>(channels * bits / 8);
  return {WAVE_FORMAT_PCM, channels, rate, rate * align, align, bits, 0};
}

// A buffer of `count` samples, each `value`.
LPDIRECTSOUNDBUFFER Filled(LPDIRECTSOUND sound, DWORD count, int16_t value) {
  WAVEFORMATEX format = Format();
  DSBUFFERDESC description{sizeof description, DSBCAPS_CTRLVOLUME, count * 2, 0, &format, {}};
  LPDIRECTSOUNDBUFFER buffer = nullptr;
  EXPECT_EQ(sound->CreateSoundBuffer(&description, &buffer, nullptr), DS_OK);
  LPVOID part = nullptr;
  DWORD bytes = 0;
  EXPECT_EQ(buffer->Lock(0, 0, &part, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
  std::vector<int16_t> samples(count, value);
  std::memcpy(part, samples.data(), bytes);
  EXPECT_EQ(buffer->Unlock(part, bytes, nullptr, 0), DS_OK);
  return buffer;
}

std::vector<int16_t> Mix(int32_t count) {
  std::vector<int16_t> samples(static_cast<size_t>(count));
  hosted::MixSound(samples.data(), count);
  return samples;
}

// Runs `body` with a DirectSound object at a cooperative level.
void WithDirectSound(const std::function<void(LPDIRECTSOUND)>& body) {
  InRuntime([&] {
    LPDIRECTSOUND sound = nullptr;
    ASSERT_EQ(DirectSoundCreate(nullptr, &sound, nullptr), DS_OK);
    ASSERT_EQ(sound->SetCooperativeLevel(OpenGameScreen(), DSSCL_NORMAL), DS_OK);
    body(sound);
  });
}

TEST(DirectSoundCreate, ArgumentsLevelsAndFailures) {
  InRuntime([] {
    LPDIRECTSOUND sound = nullptr;
    GUID other{1, 2, 3, {}};
    EXPECT_EQ(DirectSoundCreate(nullptr, nullptr, nullptr), DSERR_INVALIDPARAM);
    EXPECT_EQ(DirectSoundCreate(&other, &sound, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(DirectSoundCreate(nullptr, &sound, reinterpret_cast<LPUNKNOWN>(1)),
              DSERR_NOAGGREGATION);
    ASSERT_EQ(DirectSoundCreate(nullptr, &sound, nullptr), DS_OK);
    HWND window = OpenGameScreen();
    const struct {
      HWND window;
      DWORD level;
      HRESULT result;
    } levels[] = {{window, DSSCL_NORMAL, DS_OK},
                  {window, DSSCL_EXCLUSIVE, DS_OK},
                  {window, 0, DSERR_INVALIDPARAM},
                  {window, 5, DSERR_INVALIDPARAM},
                  {nullptr, 1, DSERR_INVALIDPARAM},
                  {window, DSSCL_WRITEPRIMARY, DSERR_UNSUPPORTED},
                  {reinterpret_cast<HWND>(7), 1, DSERR_INVALIDPARAM}};
    for (const auto& l : levels)
      EXPECT_EQ(sound->SetCooperativeLevel(l.window, l.level), l.result) << l.level;
    EXPECT_EQ(sound->Release(), 0u);
    EXPECT_EQ(sound->SetCooperativeLevel(window, DSSCL_NORMAL), DSERR_UNINITIALIZED);
  });
  for (auto fail :
       {+[](headless::HeadlessDisplay& d) { d.Fail(hosted::FailPoint::kDirectSoundCreate); },
        +[](headless::HeadlessDisplay& d) { d.SetSoundAvailable(false); }}) {
    headless::HeadlessDisplay display;
    fail(display);
    RunWithProgram(display, [] {
      LPDIRECTSOUND sound = reinterpret_cast<LPDIRECTSOUND>(1);
      EXPECT_NE(DirectSoundCreate(nullptr, &sound, nullptr), DS_OK);
      EXPECT_EQ(sound, nullptr);
    });
  }
}

TEST(SoundBuffer, RefusesWhatItCannotPlayAndLocksWithWrapping) {
  WithDirectSound([](LPDIRECTSOUND sound) {
    const struct {
      DWORD size;
      DWORD flags;
      DWORD bytes;
      WAVEFORMATEX format;
      HRESULT result;
    } cases[] = {
        {sizeof(DSBUFFERDESC), 0, 8, Format(), DS_OK},
        {sizeof(DSBUFFERDESC) - 16, 0, 8, Format(), DSERR_INVALIDPARAM},
        {sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 0, Format(), DSERR_UNSUPPORTED},
        {sizeof(DSBUFFERDESC), 0x40 /* pan */, 8, Format(), DSERR_CONTROLUNAVAIL},
        {sizeof(DSBUFFERDESC), 0, 2, Format(), DSERR_INVALIDPARAM},
        {sizeof(DSBUFFERDESC), 0, 7, Format(), DSERR_INVALIDPARAM},
        {sizeof(DSBUFFERDESC), 0, 8, Format(2), DSERR_BADFORMAT},
        {sizeof(DSBUFFERDESC), 0, 8, Format(1, 44100), DSERR_BADFORMAT},
        {sizeof(DSBUFFERDESC), 0, 8, Format(1, 22050, 8), DSERR_BADFORMAT},
        {sizeof(DSBUFFERDESC), 0, DSBSIZE_MAX - 1, Format(), DSERR_OUTOFMEMORY},
    };
    for (const auto& c : cases) {
      WAVEFORMATEX format = c.format;
      DSBUFFERDESC description{c.size, c.flags, c.bytes, 0, &format, {}};
      LPDIRECTSOUNDBUFFER buffer = reinterpret_cast<LPDIRECTSOUNDBUFFER>(1);
      EXPECT_EQ(sound->CreateSoundBuffer(&description, &buffer, nullptr), c.result) << c.bytes;
      EXPECT_EQ(buffer != nullptr, c.result == DS_OK);
    }
    LPDIRECTSOUNDBUFFER buffer = Filled(sound, 4, 0);
    LPVOID one = nullptr, two = nullptr;
    DWORD first = 0, second = 0;
    EXPECT_EQ(buffer->Lock(6, 4, &one, &first, &two, &second, 0), DS_OK);
    EXPECT_EQ(first, 2u);
    EXPECT_EQ(second, 2u);
    EXPECT_EQ(two, static_cast<BYTE*>(one) - 6);
    EXPECT_EQ(buffer->Unlock(one, first, two, second), DS_OK);
    EXPECT_EQ(buffer->Lock(6, 4, &one, &first, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Lock(8, 2, &one, &first, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Unlock(static_cast<BYTE*>(one) + 8, 2, nullptr, 0), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->Play(0, 0, 2), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetCurrentPosition(8), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(-10001), DSERR_INVALIDPARAM);
    // The pad feel, and no other property.
    LPKSPROPERTYSET properties = nullptr;
    ASSERT_EQ(buffer->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&properties)),
              DS_OK);
    DWORD player = 2;
    ULONG support = 7;
    EXPECT_EQ(properties->QuerySupport(DSPROPSETID_PadFeel, 0, &support), DS_OK);
    EXPECT_EQ(support, static_cast<ULONG>(KSPROPERTY_SUPPORT_SET));
    EXPECT_EQ(properties->QuerySupport(IID_IUnknown, 0, &support), E_PROP_SET_UNSUPPORTED);
    EXPECT_EQ(properties->Set(DSPROPSETID_PadFeel, 1, nullptr, 0, &player, 4),
              E_PROP_ID_UNSUPPORTED);
    EXPECT_EQ(properties->Set(DSPROPSETID_PadFeel, 0, nullptr, 0, &player, 2), DSERR_INVALIDPARAM);
    EXPECT_EQ(properties->Set(DSPROPSETID_PadFeel, 0, nullptr, 0, &player, 4), DS_OK);
    EXPECT_EQ(hosted::InspectSoundBuffer(1).padPlayer, 2u);
    EXPECT_EQ(properties->Release(), 1u);  // the buffer's references
    EXPECT_EQ(buffer->Release(), 0u);
    EXPECT_EQ(buffer->Play(0, 0, 0), DSERR_UNINITIALIZED);
    EXPECT_EQ(properties->Set(DSPROPSETID_PadFeel, 0, nullptr, 0, &player, 4), DSERR_UNINITIALIZED);
    EXPECT_FALSE(hosted::InspectSoundBuffer(1).live);
  });
}

// The mix: a start fades in over 220 samples (10 ms), a stop fades out the
// same way, a buffer played once ends and rests at its start, loops wrap,
// the sum is clipped to 16 bits; moving on without the samples leaves the
// buffers where mixing would.
TEST(SoundMix, FadesEndsLoopsClipsAndMovesOn) {
  WithDirectSound([](LPDIRECTSOUND sound) {
    LPDIRECTSOUNDBUFFER once = Filled(sound, 300, 22000);
    LPDIRECTSOUNDBUFFER loop = Filled(sound, 100, 22000);
    ASSERT_EQ(once->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(hosted::SoundOnceLeft(), 300);
    std::vector<int16_t> heard = Mix(400);
    EXPECT_EQ((std::vector<int16_t>{heard[0], heard[110], heard[219], heard[220], heard[299],
                                    heard[300]}),
              (std::vector<int16_t>{0, 11000, 21900, 22000, 22000, 0}));
    EXPECT_FALSE(hosted::InspectSoundBuffer(0).playing);
    EXPECT_EQ(hosted::InspectSoundBuffer(0).position, 0u);
    EXPECT_EQ(hosted::SoundOnceLeft(), 0);
    ASSERT_EQ(once->Play(0, 0, 0), DS_OK);
    ASSERT_EQ(loop->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    heard = Mix(250);
    EXPECT_EQ(heard[249], 32767);                             // 44000, clipped
    EXPECT_EQ(hosted::InspectSoundBuffer(1).position, 100u);  // 250 samples of 100, in bytes
    ASSERT_EQ(once->Stop(), DS_OK);
    ASSERT_EQ(loop->Stop(), DS_OK);
    // The buffer played once ends 50 samples into its fade.
    heard = Mix(221);
    EXPECT_EQ((std::vector<int16_t>{heard[0], heard[110], heard[219], heard[220]}),
              (std::vector<int16_t>{32767, 11000, 99, 0}));
    ASSERT_EQ(loop->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    hosted::MixSound(nullptr, 1234);
    EXPECT_EQ(hosted::InspectSoundBuffer(1).position, (50 + 1234) % 100 * 2u);
    EXPECT_EQ(Mix(1)[0], 22000);  // the fade in went by unheard
  });
}

}  // namespace
