// The mix queued to SDL's audio device, muting, and the pads' rumble.
#include "platform/hosted/display/sdl/sdl_audio.h"

#include <SDL.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>

#include "platform/hosted/services.h"

namespace sdl {
namespace {

constexpr int kSampleBytes = 2;
// The device's own buffer, and the least a top-up queues: 12 ms.
constexpr uint32_t kBlock = 256;
// What the queue holds ahead of the device after a top-up: 35 ms more, far
// more than the program ever goes without reading the clock, and little
// enough that a sound is heard with its frame.
constexpr uint32_t kLead = 768;
// How often the queue is looked at, in ms.
constexpr uint64_t kFeedEvery = 4;
// What plays once is queued for at most this long before a message box.
constexpr int32_t kLongestOnce = hosted::kMixRate * 10;
constexpr int32_t kUnity = 65536;
constexpr int32_t kFadeStep = kUnity / (hosted::kMixRate / 100);  // from full to silent in 10 ms
// A crash's rumble: the low motor strong, the high one gentle.
constexpr uint16_t kLowMotor = 0x9000;
constexpr uint16_t kHighMotor = 0x3000;

// While it lives, standard error goes nowhere. The audio libraries under SDL
// say there what they cannot find (a sound card, a sound server); for this
// program no device is no error, only silence.
class Hushed {
 public:
  Hushed() : saved_(fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0)) {
    int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (nowhere >= 0) {
      dup2(nowhere, STDERR_FILENO);
      close(nowhere);
    }
  }
  ~Hushed() {
    if (saved_ < 0) return;
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }
  Hushed(const Hushed&) = delete;
  Hushed& operator=(const Hushed&) = delete;

 private:
  int saved_;
};

// Mixes `count` more samples and queues them, faded towards silence while
// muted and back while not.
void Queue(Driver& driver, int32_t count) {
  driver.mixed.resize(static_cast<size_t>(count));
  hosted::MixSound(driver.mixed.data(), count);
  int32_t target = driver.muted ? 0 : kUnity;
  for (int16_t& sample : driver.mixed) {
    if (driver.gain < target) driver.gain = std::min(driver.gain + kFadeStep, target);
    if (driver.gain > target) driver.gain = std::max(driver.gain - kFadeStep, target);
    sample = static_cast<int16_t>((static_cast<int32_t>(sample) * driver.gain) >> 16);
  }
  SDL_QueueAudio(driver.audioDevice, driver.mixed.data(),
                 static_cast<Uint32>(count) * kSampleBytes);
}

// Tops the queue up to the lead and `more` samples.
void TopUp(Driver& driver, uint32_t more) {
  driver.fedAt = SDL_GetTicks64();
  uint32_t queued = SDL_GetQueuedAudioSize(driver.audioDevice) / kSampleBytes;
  if (queued < kLead + more) Queue(driver, static_cast<int32_t>(kLead + kBlock + more - queued));
}

}  // namespace

bool StartAudio(Driver& driver) {
  if (driver.audio != Driver::Audio::kUntried) return driver.audio == Driver::Audio::kReady;
  driver.audio = Driver::Audio::kMissing;
  SDL_AudioDeviceID device = 0;
  {
    Hushed hushed;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec wanted{};
    wanted.freq = hosted::kMixRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = kBlock;
    device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
  }
  if (device == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  driver.audioDevice = device;
  driver.audio = Driver::Audio::kReady;
  driver.gain = driver.muted ? 0 : kUnity;
  SDL_PauseAudioDevice(device, 0);
  return true;
}

void StopAudio(Driver& driver) {
  if (driver.audio != Driver::Audio::kReady) return;
  SDL_CloseAudioDevice(driver.audioDevice);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  driver.audio = Driver::Audio::kUntried;
  driver.audioDevice = 0;
}

void FeedAudio(Driver& driver) {
  if (driver.audio != Driver::Audio::kReady) return;
  if (SDL_GetTicks64() - driver.fedAt >= kFeedEvery) TopUp(driver, 0);
}

void FeedUntilQuiet(Driver& driver) {
  if (driver.audio != Driver::Audio::kReady) return;
  int32_t left = std::min(hosted::SoundOnceLeft(), kLongestOnce);
  if (left > 0) Queue(driver, left);
}

void HoldAudio(Driver& driver, bool held) {
  if (driver.audio == Driver::Audio::kReady) SDL_PauseAudioDevice(driver.audioDevice, held ? 1 : 0);
}

void SleepFeeding(Driver& driver, uint32_t milliseconds) {
  if (driver.audio == Driver::Audio::kReady) {
    uint64_t samples = uint64_t{milliseconds} * hosted::kMixRate / 1000;
    TopUp(driver, static_cast<uint32_t>(std::min<uint64_t>(samples, kLongestOnce)));
  }
  SDL_Delay(milliseconds);
}

void RumblePad(Driver& driver, int32_t player, uint32_t milliseconds) {
  if (!driver.rumble || player < 1) return;
  bool on = milliseconds > 0;
  for (SDL_GameController* pad : driver.held.PadsOf(player))
    SDL_GameControllerRumble(pad, on ? kLowMotor : 0, on ? kHighMotor : 0, milliseconds);
}

}  // namespace sdl
