// Hosted DirectSound 7: secondary buffers of 16-bit mono PCM, and the mix of
// those that play, which the display asks for (services.h: MixSound).
//
// The mix is integer arithmetic throughout, so that the same calls give the
// same samples on every machine: each voice is scaled by its gain (1 = 65536)
// and the voices are summed in the order the buffers were made, then clipped
// to 16 bits. A buffer plays through one voice; when it stops or jumps, the
// voice it had fades out beside the new one (the tail), so that nothing
// steps. Every change of what is heard tells the display first
// (Display::SoundChanging), so that a display mixing by its clock mixes what
// was due before it.
//
// Objects live as com.h says: a call on a released one answers
// DSERR_UNINITIALIZED.
#include "platform/hosted/dsound.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/hosted/com.h"
#include "platform/hosted/hosted_view.h"
#include "platform/hosted/internal.h"
#include "platform/pad_feel.h"

namespace hosted {
namespace {

constexpr int32_t kUnity = 65536;             // the gain that leaves a sample as it is
constexpr int32_t kFade = kMixRate / 100;     // samples of every fade: 10 ms
constexpr DWORD kMaxBytes = DWORD{64} << 20;  // more than any buffer a game fills
constexpr DWORD kBytesPerSample = 2;
constexpr DWORD kAllowedCaps = DSBCAPS_STATIC | DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRLVOLUME |
                               DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS |
                               DSBCAPS_GETCURRENTPOSITION2;

// The gain of `hundredths` hundredths of a decibel down (10^(-n/2000)), by
// powers of one hundredth's factor: exact float operations in a fixed order.
int32_t GainOf(LONG volume) {
  int32_t n = -std::clamp<LONG>(volume, DSBVOLUME_MIN, DSBVOLUME_MAX);
  float gain = 1.0f;
  float factor = 0.99884937f;  // 10^(-1/2000)
  for (; n > 0; n >>= 1) {
    if (n & 1) gain *= factor;
    factor *= factor;
  }
  return static_cast<int32_t>(gain * static_cast<float>(kUnity) + 0.5f);
}

// A way through a buffer's samples, with its gain ramping linearly from
// `from` to `to` over the `left` samples still to go of a fade.
struct Voice {
  bool active = false;
  bool looping = false;
  DWORD position = 0;  // in samples
  int32_t from = 0;
  int32_t to = 0;
  int32_t left = 0;

  int32_t Gain() const { return to + (from - to) * left / kFade; }
  void FadeTo(int32_t target) {
    from = Gain();
    to = target;
    left = kFade;
  }
  // Starts afresh from silence.
  void FadeIn(int32_t target) {
    active = true;
    from = 0;
    to = target;
    left = kFade;
  }
};

template <typename Interface, const IID& kIid>
using DirectSoundObject = ComObject<Interface, kIid, DSERR_INVALIDPARAM, DSERR_UNINITIALIZED>;

class DirectSound;
class Buffer;

// The buffer's property sets: the pad feel alone. Its references are the
// buffer's.
class Properties final : public IKsPropertySet {
 public:
  explicit Properties(Buffer* buffer) : buffer_(buffer) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE Get(REFGUID set, ULONG id, LPVOID instance, ULONG instanceLength,
                                LPVOID data, ULONG dataLength, ULONG* returned) override;
  HRESULT STDMETHODCALLTYPE Set(REFGUID set, ULONG id, LPVOID instance, ULONG instanceLength,
                                LPVOID data, ULONG dataLength) override;
  HRESULT STDMETHODCALLTYPE QuerySupport(REFGUID set, ULONG id, ULONG* support) override;

 private:
  Buffer* buffer_;
};

class Buffer final : public DirectSoundObject<IDirectSoundBuffer, IID_IDirectSoundBuffer> {
 public:
  Buffer(DirectSound* parent, DWORD caps, DWORD samples);

  HRESULT STDMETHODCALLTYPE Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1,
                                 LPVOID* part2, LPDWORD bytes2, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Play(DWORD reserved1, DWORD priority, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE SetCurrentPosition(DWORD position) override;
  HRESULT STDMETHODCALLTYPE SetVolume(LONG volume) override;
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) override;

  // Adds `count` samples of its voices to `sum`, and moves them on; with
  // `sum` null, only moves them on.
  void Mix(int32_t* sum, int32_t count);
  // The samples until it ends, while it plays once; 0 otherwise.
  int32_t OnceLeft() const;

  DirectSound* parent;
  DWORD caps;
  std::vector<int16_t> samples;
  bool playing = false;
  LONG volume = DSBVOLUME_MAX;
  int32_t gain = kUnity;
  Voice voice;  // its position is the buffer's, playing or not
  Voice tail;   // the sound it had before a stop or a jump, fading out
  DWORD padPlayer = 0;
  Properties properties{this};

 private:
  void Released() override;
  void* OtherInterface(REFIID riid) override;
  void MixVoice(Voice& playing, int32_t* sum, int32_t count, bool isTail);
  void SkipVoice(Voice& playing, int32_t count, bool isTail);
  // The voice, as it is, goes on fading out as the tail.
  void LeaveTail();
  void Feel(bool starts);
};

class DirectSound final : public DirectSoundObject<IDirectSound, IID_IDirectSound> {
 public:
  HRESULT STDMETHODCALLTYPE CreateSoundBuffer(LPCDSBUFFERDESC description,
                                              LPDIRECTSOUNDBUFFER* buffer,
                                              LPUNKNOWN outer) override;
  HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD level) override;

  DWORD level = 0;
};

struct DirectSoundState {
  ComShells<DirectSound, IDirectSound> objects;
  ComShells<Buffer, IDirectSoundBuffer> buffers;
  std::vector<int32_t> sum;
};

DirectSoundState& State() {
  static DirectSoundState state;
  return state;
}

// What is heard is about to change.
void Changing() {
  NotWaiting();
  CurrentDisplay().SoundChanging();
}

// ---------------------------------------------------------------- DirectSound

HRESULT DirectSound::CreateSoundBuffer(LPCDSBUFFERDESC description, LPDIRECTSOUNDBUFFER* buffer,
                                       LPUNKNOWN outer) {
  if (buffer == nullptr) return DSERR_INVALIDPARAM;
  *buffer = nullptr;
  if (!Live()) return DSERR_UNINITIALIZED;
  if (outer != nullptr) return DSERR_NOAGGREGATION;
  if (description == nullptr || description->dwSize != sizeof(DSBUFFERDESC))
    return DSERR_INVALIDPARAM;
  if (description->dwFlags & DSBCAPS_PRIMARYBUFFER) return DSERR_UNSUPPORTED;
  if (description->dwFlags & ~kAllowedCaps) return DSERR_CONTROLUNAVAIL;
  DWORD bytes = description->dwBufferBytes;
  if (bytes < DSBSIZE_MIN || bytes > DSBSIZE_MAX || description->lpwfxFormat == nullptr)
    return DSERR_INVALIDPARAM;
  const WAVEFORMATEX& format = *description->lpwfxFormat;
  if (format.wFormatTag != WAVE_FORMAT_PCM || format.nChannels != 1 ||
      format.wBitsPerSample != 16 || format.nSamplesPerSec != static_cast<DWORD>(kMixRate) ||
      format.nBlockAlign != kBytesPerSample || format.nAvgBytesPerSec != kMixRate * kBytesPerSample)
    return DSERR_BADFORMAT;
  if (bytes % kBytesPerSample != 0) return DSERR_INVALIDPARAM;
  if (bytes > kMaxBytes) return DSERR_OUTOFMEMORY;
  *buffer = State().buffers.Make(this, description->dwFlags, bytes / kBytesPerSample);
  return DS_OK;
}

HRESULT DirectSound::SetCooperativeLevel(HWND window, DWORD newLevel) {
  if (!Live()) return DSERR_UNINITIALIZED;
  if (newLevel < DSSCL_NORMAL || newLevel > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
  if (window == nullptr || !IsWindow(window)) return DSERR_INVALIDPARAM;
  // Writing the primary buffer asks for the primary buffer, which is not here.
  if (newLevel == DSSCL_WRITEPRIMARY) return DSERR_UNSUPPORTED;
  level = newLevel;
  return DS_OK;
}

// ---------------------------------------------------------------- Buffer

// A buffer keeps its DirectSound object alive, as DirectInput's devices do.
Buffer::Buffer(DirectSound* parent, DWORD caps, DWORD count)
    : parent(parent), caps(caps), samples(count, 0) {
  parent->AddRef();
}

void Buffer::Released() {
  if (playing || tail.active) Changing();
  if (playing) Feel(false);
  playing = false;
  voice.active = false;
  tail.active = false;
  samples = {};
  parent->Release();
}

void* Buffer::OtherInterface(REFIID riid) {
  return SameGuid(riid, IID_IKsPropertySet) ? static_cast<IKsPropertySet*>(&properties) : nullptr;
}

HRESULT Buffer::Lock(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2,
                     LPDWORD bytes2, DWORD flags) {
  if (!Live()) return DSERR_UNINITIALIZED;
  if (part1 == nullptr || bytes1 == nullptr) return DSERR_INVALIDPARAM;
  DWORD size = static_cast<DWORD>(samples.size()) * kBytesPerSample;
  if (flags & DSBLOCK_ENTIREBUFFER) bytes = size;
  if (flags & DSBLOCK_FROMWRITECURSOR) offset = voice.position * kBytesPerSample;
  if (offset >= size || bytes == 0 || bytes > size) return DSERR_INVALIDPARAM;
  auto* memory = reinterpret_cast<BYTE*>(samples.data());
  DWORD first = std::min(bytes, size - offset);
  DWORD second = bytes - first;
  // The part past the end wraps to the start, if the caller takes a second part.
  if (second > 0 && (part2 == nullptr || bytes2 == nullptr)) return DSERR_INVALIDPARAM;
  *part1 = memory + offset;
  *bytes1 = first;
  if (part2 != nullptr) *part2 = second > 0 ? memory : nullptr;
  if (bytes2 != nullptr) *bytes2 = second;
  return DS_OK;
}

HRESULT Buffer::Unlock(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) {
  if (!Live()) return DSERR_UNINITIALIZED;
  auto* start = reinterpret_cast<BYTE*>(samples.data());
  BYTE* end = start + samples.size() * kBytesPerSample;
  auto within = [&](LPVOID part, DWORD bytes) {
    auto* at = static_cast<BYTE*>(part);
    return part == nullptr ? bytes == 0
                           : at >= start && at <= end && bytes <= static_cast<size_t>(end - at);
  };
  if (part1 == nullptr || !within(part1, bytes1) || !within(part2, bytes2))
    return DSERR_INVALIDPARAM;
  return DS_OK;
}

HRESULT Buffer::Play(DWORD reserved1, DWORD priority, DWORD flags) {
  if (!Live()) return DSERR_UNINITIALIZED;
  if (reserved1 != 0 || priority != 0 || (flags & ~static_cast<DWORD>(DSBPLAY_LOOPING)) != 0)
    return DSERR_INVALIDPARAM;
  bool looping = (flags & DSBPLAY_LOOPING) != 0;
  if (playing) {
    voice.looping = looping;
    return DS_OK;
  }
  Changing();
  playing = true;
  voice.looping = looping;
  voice.FadeIn(gain);
  Feel(true);
  return DS_OK;
}

HRESULT Buffer::Stop() {
  if (!Live()) return DSERR_UNINITIALIZED;
  if (!playing) return DS_OK;
  Changing();
  LeaveTail();
  voice.active = false;
  playing = false;
  Feel(false);
  return DS_OK;
}

HRESULT Buffer::SetCurrentPosition(DWORD position) {
  if (!Live()) return DSERR_UNINITIALIZED;
  if (position >= samples.size() * kBytesPerSample) return DSERR_INVALIDPARAM;
  DWORD sample = position / kBytesPerSample;
  if (!playing) {
    voice.position = sample;
    return DS_OK;
  }
  // The sound jumps: what it had fades out as the new place fades in.
  Changing();
  LeaveTail();
  voice.position = sample;
  voice.FadeIn(gain);
  Feel(true);
  return DS_OK;
}

HRESULT Buffer::SetVolume(LONG newVolume) {
  if (!Live()) return DSERR_UNINITIALIZED;
  if (!(caps & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
  if (newVolume < DSBVOLUME_MIN || newVolume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
  volume = newVolume;
  int32_t target = GainOf(newVolume);
  if (target == gain) return DS_OK;
  gain = target;
  if (playing) {
    Changing();
    voice.FadeTo(gain);
  }
  return DS_OK;
}

void Buffer::LeaveTail() {
  tail = voice;
  tail.FadeTo(0);
}

// The pad shakes for what is left of a sound played once; a loop shakes
// nothing.
void Buffer::Feel(bool starts) {
  if (padPlayer == 0) return;
  if (!starts) {
    CurrentDisplay().Rumble(static_cast<int32_t>(padPlayer), 0);
    return;
  }
  if (voice.looping) return;
  DWORD left = static_cast<DWORD>(samples.size()) - voice.position;
  CurrentDisplay().Rumble(static_cast<int32_t>(padPlayer),
                          static_cast<uint32_t>(uint64_t{left} * 1000 / kMixRate));
}

void Buffer::MixVoice(Voice& v, int32_t* sum, int32_t count, bool isTail) {
  const DWORD size = static_cast<DWORD>(samples.size());
  for (int32_t i = 0; i < count && v.active; ++i) {
    int32_t g = v.left > 0 ? v.Gain() : v.to;
    sum[i] += (static_cast<int32_t>(samples[v.position]) * g) >> 16;
    if (v.left > 0 && --v.left == 0 && isTail) v.active = false;  // faded out
    if (++v.position < size) continue;
    v.position = 0;
    if (v.looping) continue;
    // A sound played once rests at its start when it has ended.
    v.active = false;
    if (!isTail) playing = false;
  }
}

// As MixVoice, without the samples.
void Buffer::SkipVoice(Voice& v, int32_t count, bool isTail) {
  if (!v.active) return;
  if (isTail && count >= v.left) {
    v.active = false;
    return;
  }
  v.left = std::max(v.left - count, 0);
  const int64_t size = static_cast<int64_t>(samples.size());
  int64_t end = v.position + static_cast<int64_t>(count);
  if (end < size || v.looping) {
    v.position = static_cast<DWORD>(end % size);
    return;
  }
  v.position = 0;
  v.active = false;
  if (!isTail) playing = false;
}

void Buffer::Mix(int32_t* sum, int32_t count) {
  for (bool isTail : {true, false}) {
    Voice& v = isTail ? tail : voice;
    if (sum == nullptr)
      SkipVoice(v, count, isTail);
    else if (v.active)
      MixVoice(v, sum, count, isTail);
  }
}

int32_t Buffer::OnceLeft() const {
  if (!playing || voice.looping) return 0;
  return static_cast<int32_t>(samples.size() - voice.position);
}

// ---------------------------------------------------------------- Properties

HRESULT Properties::QueryInterface(REFIID riid, void** object) {
  return buffer_->QueryInterface(riid, object);
}
ULONG Properties::AddRef() { return buffer_->AddRef(); }
ULONG Properties::Release() { return buffer_->Release(); }

HRESULT Properties::Get(REFGUID set, ULONG id, LPVOID, ULONG, LPVOID, ULONG, ULONG*) {
  if (!buffer_->Live()) return DSERR_UNINITIALIZED;
  if (!SameGuid(set, DSPROPSETID_PadFeel)) return E_PROP_SET_UNSUPPORTED;
  return id == DSPROPERTY_PADFEEL_PLAYER ? DSERR_UNSUPPORTED : E_PROP_ID_UNSUPPORTED;
}

HRESULT Properties::Set(REFGUID set, ULONG id, LPVOID, ULONG, LPVOID data, ULONG dataLength) {
  if (!buffer_->Live()) return DSERR_UNINITIALIZED;
  if (!SameGuid(set, DSPROPSETID_PadFeel)) return E_PROP_SET_UNSUPPORTED;
  if (id != DSPROPERTY_PADFEEL_PLAYER) return E_PROP_ID_UNSUPPORTED;
  if (data == nullptr || dataLength != sizeof(DWORD)) return DSERR_INVALIDPARAM;
  std::memcpy(&buffer_->padPlayer, data, sizeof(DWORD));
  return DS_OK;
}

HRESULT Properties::QuerySupport(REFGUID set, ULONG id, ULONG* support) {
  if (!buffer_->Live()) return DSERR_UNINITIALIZED;
  if (support == nullptr) return DSERR_INVALIDPARAM;
  *support = 0;
  if (!SameGuid(set, DSPROPSETID_PadFeel)) return E_PROP_SET_UNSUPPORTED;
  if (id != DSPROPERTY_PADFEEL_PLAYER) return E_PROP_ID_UNSUPPORTED;
  *support = KSPROPERTY_SUPPORT_SET;
  return DS_OK;
}

}  // namespace

void ResetDirectSound() { State() = {}; }

void MixSound(int16_t* out, int32_t count) {
  if (count <= 0) return;
  DirectSoundState& state = State();
  if (out == nullptr) {
    for (size_t i = 0; Buffer* buffer = state.buffers.At(i); ++i)
      if (buffer->Live()) buffer->Mix(nullptr, count);
    return;
  }
  state.sum.assign(static_cast<size_t>(count), 0);
  for (size_t i = 0; Buffer* buffer = state.buffers.At(i); ++i)
    if (buffer->Live()) buffer->Mix(state.sum.data(), count);
  for (int32_t i = 0; i < count; ++i)
    out[i] =
        static_cast<int16_t>(std::clamp<int32_t>(state.sum[static_cast<size_t>(i)], -32768, 32767));
}

int32_t SoundOnceLeft() {
  int32_t left = 0;
  for (size_t i = 0; Buffer* buffer = State().buffers.At(i); ++i)
    if (buffer->Live()) left = std::max(left, buffer->OnceLeft());
  return left;
}

int SoundBufferCount() {
  int count = 0;
  while (State().buffers.At(static_cast<size_t>(count)) != nullptr) ++count;
  return count;
}

SoundBufferInfo InspectSoundBuffer(int index) {
  const Buffer* buffer = index >= 0 ? State().buffers.At(static_cast<size_t>(index)) : nullptr;
  if (buffer == nullptr || !buffer->Live()) return {};
  return {true,
          buffer->playing,
          buffer->playing && buffer->voice.looping,
          buffer->voice.position * kBytesPerSample,
          buffer->volume,
          static_cast<DWORD>(buffer->samples.size()) * kBytesPerSample,
          buffer->padPlayer};
}

}  // namespace hosted

HRESULT WINAPI DirectSoundCreate(const GUID* device, LPDIRECTSOUND* object, LPUNKNOWN outer) {
  using namespace hosted;
  if (object == nullptr) return DSERR_INVALIDPARAM;
  *object = nullptr;
  if (outer != nullptr) return DSERR_NOAGGREGATION;
  // Only the default device is here.
  if (device != nullptr) return DSERR_NODRIVER;
  NotWaiting();
  if (CurrentHooks().Fails(FailPoint::kDirectSoundCreate, "", 0, 0)) return DSERR_GENERIC;
  if (!CurrentDisplay().SoundAvailable()) return DSERR_NODRIVER;
  *object = static_cast<IDirectSound*>(State().objects.Make());
  return DS_OK;
}
