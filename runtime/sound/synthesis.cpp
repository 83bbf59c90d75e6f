// The runtime's sounds, made by synthesis: sines, a noise generator of their
// own, filters and envelopes in single precision, every operation in a fixed
// order (no library functions, no clock, never the game's random numbers),
// so that every platform makes the same samples.
//
// Each sound is made in floating point, then scaled so that its loudest
// sample has the sound's peak level, and rounded to 16 bits. The levels keep
// the mix at or below half of full scale (-6 dBFS): the hums are soft (four
// of them peak under a third), a crash twice as loud but brief, and every
// sound starts from silence over 8 ms and ends in it, so that the peaks of
// what plays together seldom meet; all of them started at once stay below.
//
// Nothing is piercing: the tones lie between 110 and 590 Hz with a few weak
// harmonics up to 1.8 kHz, and the crash's noise is filtered down twice
// (12 dB an octave above 900 Hz), so little reaches the 2 to 5 kHz where the
// ear is most sensitive.
#include <cstdint>
#include <iterator>

#include "runtime/sound/sound.h"
#include "runtime/sound/sound_internal.h"

namespace {

constexpr int32_t kRate = kSoundRate;
constexpr int32_t kTenthsPerTurn = kRate * 10;  // a tone in tenths of a hertz

// The hums are one loop of 0.4 s, in which each of their tones (multiples of
// 2.5 Hz) makes whole periods, so that the loop joins without a step. The
// players' hums are the notes of a major chord (A2, C#3, E3, A3), so that
// several together sound well; their crashes are pitched in the same ratios.
constexpr int32_t kHumLength = kRate * 2 / 5;
constexpr int32_t kHumTenths[kSoundPlayers] = {1100, 1375, 1650, 2200};
constexpr float kPlayerPitch[kSoundPlayers] = {1.0f, 1.25f, 1.5f, 2.0f};
constexpr int32_t kCrashLength = kRate * 55 / 100;
constexpr int32_t kThumpLength = kRate * 3 / 10;

// The notes of the chimes, in tenths of a hertz.
enum Note : int32_t { kD3 = 1468, kA3 = 2200, kD4 = 2937, kF4 = 3492, kA4 = 4400, kD5 = 5873 };

// sin(2 pi t) for t in [0, 1): folded to a quarter wave, then a polynomial
// (error below 4e-6).
float Sine(float t) {
  constexpr float kTwoPi = 6.28318531f;
  if (t >= 0.75f)
    t = t - 1.0f;
  else if (t >= 0.25f)
    t = 0.5f - t;
  float x = t * kTwoPi;
  float x2 = x * x;
  float p = 1.0f / 362880.0f;
  p = p * x2 - 1.0f / 5040.0f;
  p = p * x2 + 1.0f / 120.0f;
  p = p * x2 - 1.0f / 6.0f;
  p = p * x2 + 1.0f;
  return p * x;
}

// A tone of `tenths` tenths of a hertz at sample n, with its phase taken
// exactly from n, so that whole periods repeat exactly.
float Tone(int32_t n, int32_t tenths) {
  int64_t turns = static_cast<int64_t>(n) * tenths % kTenthsPerTurn;
  return Sine(static_cast<float>(turns) / static_cast<float>(kTenthsPerTurn));
}

// A soft bell-like note: the tone with weak second and third harmonics.
float Voiced(int32_t n, int32_t tenths) {
  return Tone(n, tenths) + 0.2f * Tone(n, 2 * tenths) + 0.05f * Tone(n, 3 * tenths);
}

// From 0 to 1 over the attack, 8 ms: every sound begins this softly.
constexpr int32_t kAttack = 176;
float Attack(int32_t n) {
  return n >= kAttack ? 1.0f : static_cast<float>(n) / static_cast<float>(kAttack);
}

// (1 - n / length)^power: from 1 down to 0 at the end, gentler the lower the
// power; 0 from the end on.
float Decay(int32_t n, int32_t length, int32_t power) {
  if (n >= length) return 0.0f;
  float left = 1.0f - static_cast<float>(n) / static_cast<float>(length);
  float value = 1.0f;
  for (int32_t i = 0; i < power; ++i) value *= left;
  return value;
}

// A note that starts at sample `start` and lasts `length` samples.
struct Played {
  Note note;
  int32_t start;
  int32_t length;
};

float Notes(const Played* notes, int32_t count, int32_t n) {
  float sum = 0.0f;
  for (int32_t i = 0; i < count; ++i) {
    int32_t at = n - notes[i].start;
    if (at >= 0 && at < notes[i].length)
      sum += Attack(at) * Decay(at, notes[i].length, 2) * Voiced(at, notes[i].note);
  }
  return sum;
}

constexpr int32_t kChimeNote = kRate * 12 / 100;
constexpr int32_t kChimeStep = kRate * 8 / 100;
constexpr Played kPause[] = {{kD5, 0, kChimeNote}, {kA4, kChimeStep, kChimeNote}};
constexpr Played kResume[] = {{kA4, 0, kChimeNote}, {kD5, kChimeStep, kChimeNote}};
constexpr int32_t kGameOverNote = kRate * 2 / 5;
constexpr int32_t kGameOverStep = kRate * 16 / 100;
constexpr int32_t kGameOverEnd = kRate * 9 / 10;
constexpr Played kGameOver[] = {{kA4, 0, kGameOverNote},
                                {kF4, kGameOverStep, kGameOverNote},
                                {kD4, 2 * kGameOverStep, kGameOverNote},
                                {kD3, 3 * kGameOverStep, kGameOverEnd},
                                {kA3, 3 * kGameOverStep, kGameOverEnd}};
constexpr int32_t kChimeLength = kChimeStep + kChimeNote;
constexpr int32_t kGameOverLength = 3 * kGameOverStep + kGameOverEnd;

// A player's thrust hum: the note with its second and third harmonics and a
// tone 2.5 Hz above it, against which it throbs gently like an engine.
void Hum(int32_t player, float* out) {
  int32_t f = kHumTenths[player];
  for (int32_t n = 0; n < kHumLength; ++n)
    out[n] = Tone(n, f) + 0.35f * Tone(n, f + 25) + 0.3f * Tone(n, 2 * f) + 0.1f * Tone(n, 3 * f);
}

// A player's crash: a thump whose pitch falls from 140 to 45 Hz (times the
// player's pitch) under rumbling noise, filtered twice, that dies away.
void Crash(int32_t player, float* out) {
  float pitch = kPlayerPitch[player];
  uint32_t noise = 0x9E3779B9u * static_cast<uint32_t>(player + 1);
  float low = 0.0f, lower = 0.0f;
  float phase = 0.0f;
  for (int32_t n = 0; n < kCrashLength; ++n) {
    float glide = Decay(n, kThumpLength, 2);
    float hertz = pitch * (45.0f + 95.0f * glide);
    phase = phase + hertz / static_cast<float>(kRate);
    if (phase >= 1.0f) phase = phase - 1.0f;
    float thump = Decay(n, kThumpLength, 3) * Sine(phase);
    // xorshift32, from a seed of the player's own.
    noise ^= noise << 13;
    noise ^= noise >> 17;
    noise ^= noise << 5;
    float white = static_cast<float>(static_cast<int32_t>(noise)) / 2147483648.0f;
    // Two one-pole low passes at about 900 Hz.
    low = low + 0.226f * (white - low);
    lower = lower + 0.226f * (low - lower);
    float rumble = Decay(n, kCrashLength, 4) * lower;
    out[n] = Attack(n) * (0.8f * thump + 1.6f * rumble);
  }
}

// A sound's length, and its peak as a fraction of full scale.
struct Made {
  int32_t length;
  float peak;
};

Made Recipe(int32_t sound) {
  if (sound >= kSoundHum && sound < kSoundHum + kSoundPlayers) return {kHumLength, 0.078f};
  if (sound >= kSoundCrash && sound < kSoundCrash + kSoundPlayers) return {kCrashLength, 0.18f};
  if (sound == kSoundPause || sound == kSoundResume) return {kChimeLength, 0.15f};
  if (sound == kSoundGameOver) return {kGameOverLength, 0.2f};
  return {0, 0.0f};
}

}  // namespace

int32_t SynthesisLength(int32_t sound) { return Recipe(sound).length; }

void Synthesize(int32_t sound, float* work, int16_t* out) {
  Made made = Recipe(sound);
  if (sound >= kSoundHum && sound < kSoundHum + kSoundPlayers) {
    Hum(sound - kSoundHum, work);
  } else if (sound >= kSoundCrash && sound < kSoundCrash + kSoundPlayers) {
    Crash(sound - kSoundCrash, work);
  } else {
    const Played* notes = sound == kSoundPause    ? kPause
                          : sound == kSoundResume ? kResume
                                                  : kGameOver;
    auto count =
        static_cast<int32_t>(sound == kSoundGameOver ? std::size(kGameOver) : std::size(kPause));
    for (int32_t n = 0; n < made.length; ++n) work[n] = Notes(notes, count, n);
  }
  float loudest = 0.0f;
  for (int32_t n = 0; n < made.length; ++n) {
    float size = work[n] < 0.0f ? -work[n] : work[n];
    if (size > loudest) loudest = size;
  }
  float scale = loudest > 0.0f ? made.peak * 32767.0f / loudest : 0.0f;
  for (int32_t n = 0; n < made.length; ++n) {
    float value = work[n] * scale;
    out[n] = static_cast<int16_t>(value < 0.0f ? value - 0.5f : value + 0.5f);
  }
}
