// The sound library on the headless display: the sounds it makes, exactly;
// the device it opens, and silence whenever it cannot; what the game's calls
// make of the mix.
#include "runtime/sound/sound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/hosted_view.h"
#include "runtime/sound/sound_view.h"
#include "tests/support/game_screen.h"
#include "tests/support/program.h"

namespace {

uint64_t Fnv(const int16_t* samples, int32_t count) {
  uint64_t hash = 14695981039346656037u;
  for (int32_t i = 0; i < count; ++i)
    for (int shift : {0, 8})
      hash = (hash ^ ((static_cast<uint16_t>(samples[i]) >> shift) & 0xFF)) * 1099511628211u;
  return hash;
}

// The loudest of samples[from ... to).
int Peak(const std::vector<int16_t>& samples, size_t from = 0, size_t to = SIZE_MAX) {
  int peak = 0;
  for (size_t i = from; i < std::min(to, samples.size()); ++i)
    peak = std::max(peak, std::abs(samples[i]));
  return peak;
}

// Every sound, as many samples as it has, their hash and their loudest:
// made the same on every platform. The sounds played once begin and end in
// silence; the hums' loops join without a step (their last sample is as near
// their first as any neighbours are).
TEST(Sounds, AreMadeExactlyAndNeverStep) {
  const struct {
    int32_t count;
    uint64_t hash;
    int peak;
  } sounds[kSounds] = {
      {8820, 0xF61C37C23DD87D9FULL, 2556},   // hum 1
      {8820, 0x995601A357A431FCULL, 2556},   // hum 2
      {8820, 0xD6452E304B458301ULL, 2556},   // hum 3
      {8820, 0xB9DC975D6E230AE3ULL, 2556},   // hum 4
      {12127, 0x479964C9740ABE25ULL, 5898},  // crash 1
      {12127, 0xF6075B245215BF25ULL, 5898},  // crash 2
      {12127, 0xC743D9735872F198ULL, 5898},  // crash 3
      {12127, 0x508A4E6DCD4F888FULL, 5898},  // crash 4
      {4410, 0xD60A4798A89DE221ULL, 4915},   // pause
      {4410, 0x49F1328A0954F207ULL, 4915},   // resume
      {30429, 0xBE9A7F2CD93F452DULL, 6553},  // game over
  };
  InRuntime([&] {
    for (int32_t sound = 0; sound < kSounds; ++sound) {
      int32_t count = 0;
      const int16_t* samples = SoundSamples(sound, &count);
      ASSERT_NE(samples, nullptr);
      std::vector<int16_t> made(samples, samples + count);
      EXPECT_EQ(count, sounds[sound].count) << sound;
      EXPECT_EQ(Fnv(samples, count), sounds[sound].hash) << sound;
      EXPECT_EQ(Peak(made), sounds[sound].peak) << sound;
      int step = 0;
      for (int32_t i = 1; i < count; ++i)
        step = std::max(step, std::abs(samples[i] - samples[i - 1]));
      EXPECT_EQ(samples[0], 0) << sound;
      if (sound < kSoundCrash)
        EXPECT_LE(std::abs(samples[count - 1] - samples[0]), step) << sound;
      else
        EXPECT_EQ(samples[count - 1], 0) << sound;
    }
    EXPECT_EQ(SoundSamples(kSounds, nullptr), nullptr);
    EXPECT_EQ(SoundSamples(-1, nullptr), nullptr);
  });
}

// Runs `calls` with the sound opened on the game's screen, every sample kept.
void Hearing(headless::HeadlessDisplay& display, const std::function<void()>& calls) {
  display.KeepSound();
  RunWithProgram(display, [&] {
    OpenGameScreen();
    ASSERT_EQ(SoundInit(), 1);
    calls();
  });
}

// Without a device, or when any step of opening it fails, the program is
// silent: SoundInit answers 0, the calls do nothing, nothing is shown.
TEST(SoundInit, EveryFailureLeavesTheProgramSilentAndAlone) {
  using hosted::FailPoint;
  const struct {
    void (*prepare)(headless::HeadlessDisplay& display);
    bool screen;  // the window is open
    int buffers;  // made before the failure
  } cases[] = {
      {[](auto&) {}, true, 11},
      {[](auto& d) { d.FailLoadLibrary("DSOUND.DLL"); }, true, 0},
      {[](auto& d) { d.Fail(FailPoint::kDirectSoundCreate); }, true, 0},
      {[](auto& d) { d.SetSoundAvailable(false); }, true, 0},
      {[](auto&) {}, false, 0},  // no window for the cooperative level
  };
  for (const auto& c : cases) {
    headless::HeadlessDisplay display;
    display.KeepSound();
    c.prepare(display);
    RunWithProgram(display, [&] {
      if (c.screen) OpenGameScreen();
      EXPECT_EQ(SoundInit(), c.buffers == kSounds ? 1 : 0);
      EXPECT_EQ(SoundInit(), c.buffers == kSounds ? 1 : 0);  // once
      EXPECT_EQ(hosted::SoundBufferCount(), c.buffers);
      SoundLoop(kSoundHum, 0);
      SoundPlay(kSoundCrash + 3, -600);
      SoundStop(kSoundHum);
      SleepMs(100);
      for (int32_t sound : {-1, kSounds}) {
        SoundPlay(sound, 0);
        SoundLoop(sound, 0);
        SoundStop(sound);
      }
    });
    EXPECT_TRUE(display.MessageBoxes().empty());
    EXPECT_EQ(Peak(display.Heard()) > 0, c.buffers > 0) << c.buffers;
  }
}

// What the calls make of the device's buffers: a loop asked for again keeps
// on, a stop is heard to fade out over 10 ms, a volume turns a sound down
// (clamped to the device's range), and each crash shakes its own player's
// pad for as long as it lasts.
TEST(Sounds, CallsPlayLoopStopAndShake) {
  headless::HeadlessDisplay display;
  Hearing(display, [&] {
    for (int32_t player = 1; player <= kSoundPlayers; ++player)
      EXPECT_EQ(hosted::InspectSoundBuffer(kSoundCrash + player - 1).padPlayer,
                static_cast<DWORD>(player));
    SoundLoop(kSoundHum + 1, 0);
    SleepMs(100);
    size_t turned = display.Heard().size();
    DWORD at = hosted::InspectSoundBuffer(kSoundHum + 1).position;
    SoundLoop(kSoundHum + 1, -600);  // kept on, turned down
    EXPECT_EQ(hosted::InspectSoundBuffer(kSoundHum + 1).position, at);
    EXPECT_EQ(hosted::InspectSoundBuffer(kSoundHum + 1).volume, -600);
    EXPECT_TRUE(hosted::InspectSoundBuffer(kSoundHum + 1).looping);
    SleepMs(420);  // the fade and a whole loop
    size_t stopped = display.Heard().size();
    SoundStop(kSoundHum + 1);
    SleepMs(100);
    const std::vector<int16_t>& heard = display.Heard();
    EXPECT_GT(Peak(heard, stopped), 0);
    EXPECT_EQ(Peak(heard, stopped + 220), 0);  // faded out over 10 ms
    // The loudest sample heard at full volume, and at -6 dB after the fade.
    EXPECT_EQ(Peak(heard, 0, turned), 2556);
    EXPECT_EQ(Peak(heard, turned + 220, stopped), 1282);  // -2556 at a gain of 0.501, rounded down
    SoundPlay(kSoundCrash + 2, 0);
    SoundPlay(kSoundPause, 5000);  // volumes are clamped
    SoundLoop(kSoundResume, -20000);
    EXPECT_EQ(hosted::InspectSoundBuffer(kSoundPause).volume, 0);
    EXPECT_EQ(hosted::InspectSoundBuffer(kSoundResume).volume, -10000);
  });
  ASSERT_EQ(display.Rumbles().size(), 2u);  // the crash, then the end's stop
  EXPECT_EQ(display.Rumbles()[0].player, 3);
  EXPECT_EQ(display.Rumbles()[0].milliseconds, 549u);
  EXPECT_EQ(display.Rumbles()[1].milliseconds, 0u);
}

// Everything that can sound at once started together: four hums, four
// crashes and the game over stay at or below half of full scale (-6 dBFS).
TEST(Sounds, EverySoundAtOnceStaysBelowMinusSixDecibels) {
  headless::HeadlessDisplay display;
  Hearing(display, [&] {
    for (int32_t player = 0; player < kSoundPlayers; ++player) {
      SoundLoop(kSoundHum + player, 0);
      SoundPlay(kSoundCrash + player, 0);
    }
    SoundPlay(kSoundGameOver, 0);
    SleepMs(2000);
  });
  EXPECT_LE(Peak(display.Heard()), 16384);
}

}  // namespace
