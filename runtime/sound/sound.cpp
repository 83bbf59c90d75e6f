// Sounds through DirectSound 7, loaded at run time so that the program starts
// without it and stays silent where it is missing.
#include "runtime/sound/sound.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/core.h"
#include "runtime/core/hooks.h"
#include "runtime/screen/screen.h"
#include "runtime/sound/sound_internal.h"
#include "runtime/sound/sound_view.h"

namespace {

constexpr DWORD kBytesPerSample = 2;

struct SoundState {
  int16_t* samples;  // every sound, one after the other, in RuntimeHeap; null: none made
  int32_t start[kSounds];
  int32_t length[kSounds];
  bool opened;  // SoundInit ran
  int32_t ready;
  HMODULE module;
  LPDIRECTSOUND directSound;
  LPDIRECTSOUNDBUFFER buffers[kSounds];
  // What the buffers were last told, so that a game asking for the same
  // every frame asks the device nothing.
  bool active[kSounds];
  bool looping[kSounds];
  LONG volume[kSounds];
};

SoundState state;

bool IsSound(int32_t sound) { return sound >= 0 && sound < kSounds; }

// The buffer of a sound, at the volume asked for; null while there is none.
LPDIRECTSOUNDBUFFER Tuned(int32_t sound, int32_t volume) {
  if (!IsSound(sound) || state.buffers[sound] == nullptr) return nullptr;
  LONG wanted = std::clamp<LONG>(volume, DSBVOLUME_MIN, DSBVOLUME_MAX);
  if (wanted != state.volume[sound] && state.buffers[sound]->SetVolume(wanted) == DS_OK)
    state.volume[sound] = wanted;
  return state.buffers[sound];
}

// A buffer holding the sound; null when it cannot be had.
LPDIRECTSOUNDBUFFER MakeBuffer(int32_t sound) {
  WAVEFORMATEX format;
  std::memset(&format, 0, sizeof format);
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 1;
  format.nSamplesPerSec = kSoundRate;
  format.wBitsPerSample = 16;
  format.nBlockAlign = kBytesPerSample;
  format.nAvgBytesPerSec = kSoundRate * kBytesPerSample;
  DSBUFFERDESC description;
  std::memset(&description, 0, sizeof description);
  description.dwSize = sizeof description;
  description.dwFlags = DSBCAPS_CTRLVOLUME | DSBCAPS_STATIC;
  description.dwBufferBytes = static_cast<DWORD>(state.length[sound]) * kBytesPerSample;
  description.lpwfxFormat = &format;
  LPDIRECTSOUNDBUFFER buffer = nullptr;
  if (state.directSound->CreateSoundBuffer(&description, &buffer, nullptr) != DS_OK ||
      buffer == nullptr)
    return nullptr;
  LPVOID part = nullptr;
  DWORD bytes = 0;
  if (buffer->Lock(0, 0, &part, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER) != DS_OK ||
      part == nullptr || bytes != description.dwBufferBytes) {
    buffer->Release();
    return nullptr;
  }
  std::memcpy(part, state.samples + state.start[sound], bytes);
  buffer->Unlock(part, bytes, nullptr, 0);
  return buffer;
}

// Marks a crash's buffer as its player's, for a driver that shakes pads;
// where the driver has no such thing, nothing happens.
void MarkPlayer(LPDIRECTSOUNDBUFFER buffer, DWORD player) {
  LPKSPROPERTYSET properties = nullptr;
  if (buffer->QueryInterface(IID_IKsPropertySet, reinterpret_cast<void**>(&properties)) != DS_OK ||
      properties == nullptr)
    return;
  properties->Set(DSPROPSETID_PadFeel, DSPROPERTY_PADFEEL_PLAYER, nullptr, 0, &player,
                  sizeof player);
  properties->Release();
}

}  // namespace

void SoundStart() {
  int32_t total = 0, longest = 0;
  for (int32_t sound = 0; sound < kSounds; ++sound) {
    state.start[sound] = total;
    state.length[sound] = SynthesisLength(sound);
    total += state.length[sound];
    longest = std::max(longest, state.length[sound]);
  }
  auto* samples = static_cast<int16_t*>(
      HeapAlloc(RuntimeHeap, 0, static_cast<SIZE_T>(total) * sizeof(int16_t)));
  auto* work =
      static_cast<float*>(HeapAlloc(RuntimeHeap, 0, static_cast<SIZE_T>(longest) * sizeof(float)));
  if (samples != nullptr && work != nullptr) {
    for (int32_t sound = 0; sound < kSounds; ++sound)
      Synthesize(sound, work, samples + state.start[sound]);
    state.samples = samples;
  } else {
    HeapFree(RuntimeHeap, 0, samples);
  }
  HeapFree(RuntimeHeap, 0, work);
}

int32_t SoundInit() {
  if (state.opened) return state.ready;
  state.opened = true;
  if (state.samples == nullptr) return 0;
  HMODULE module = LoadLibraryA("DSOUND.DLL");
  if (module == nullptr) return 0;
  state.module = module;
  FARPROC entry = GetProcAddress(module, "DirectSoundCreate");
  if (entry == nullptr) return 0;
  // Through void (*)() because a cast between unrelated function types
  // is warned about; that one is the generic function pointer.
  auto create = reinterpret_cast<decltype(&DirectSoundCreate)>(reinterpret_cast<void (*)()>(entry));
  LPDIRECTSOUND directSound = nullptr;
  if (create(nullptr, &directSound, nullptr) != DS_OK || directSound == nullptr) return 0;
  state.directSound = directSound;
  if (directSound->SetCooperativeLevel(ScreenWindow(), DSSCL_NORMAL) != DS_OK) return 0;
  int32_t made = 0;
  for (int32_t sound = 0; sound < kSounds; ++sound) {
    state.buffers[sound] = MakeBuffer(sound);
    if (state.buffers[sound] == nullptr) continue;
    ++made;
    if (sound >= kSoundCrash && sound < kSoundCrash + kSoundPlayers)
      MarkPlayer(state.buffers[sound], static_cast<DWORD>(sound - kSoundCrash + 1));
  }
  state.ready = made == kSounds ? 1 : 0;
  return state.ready;
}

void SoundPlay(int32_t sound, int32_t volume) {
  LPDIRECTSOUNDBUFFER buffer = Tuned(sound, volume);
  if (buffer == nullptr) return;
  buffer->Stop();
  buffer->SetCurrentPosition(0);
  buffer->Play(0, 0, 0);
  state.active[sound] = true;
  state.looping[sound] = false;
}

void SoundLoop(int32_t sound, int32_t volume) {
  LPDIRECTSOUNDBUFFER buffer = Tuned(sound, volume);
  if (buffer == nullptr || state.looping[sound]) return;
  buffer->Play(0, 0, DSBPLAY_LOOPING);
  state.active[sound] = true;
  state.looping[sound] = true;
}

void SoundStop(int32_t sound) {
  if (!IsSound(sound) || state.buffers[sound] == nullptr || !state.active[sound]) return;
  state.buffers[sound]->Stop();
  state.active[sound] = false;
  state.looping[sound] = false;
}

void SoundRelease() {
  for (LPDIRECTSOUNDBUFFER& buffer : state.buffers) {
    if (buffer == nullptr) continue;
    buffer->Stop();
    buffer->Release();
    buffer = nullptr;
  }
  if (state.directSound != nullptr) state.directSound->Release();
  state.directSound = nullptr;
  if (state.module != nullptr) FreeLibrary(state.module);
  state.module = nullptr;
}

void SoundReset() { state = {}; }

const int16_t* SoundSamples(int32_t sound, int32_t* count) {
  bool made = IsSound(sound) && state.samples != nullptr;
  if (count != nullptr) *count = made ? state.length[sound] : 0;
  return made ? state.samples + state.start[sound] : nullptr;
}
