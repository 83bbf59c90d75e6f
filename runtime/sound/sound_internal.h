// What the sound library's files share: the synthesis of its sounds
// (synthesis.cpp) for the device's side (sound.cpp).
#pragma once

#include <cstdint>

// The samples of sound `sound` (sound.h's numbers); 0 outside the table.
int32_t SynthesisLength(int32_t sound);
// Makes the sound into `out`, SynthesisLength(sound) samples, using as many
// floats of `work`.
void Synthesize(int32_t sound, float* work, int16_t* out);
