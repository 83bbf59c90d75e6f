// The sound library as tests see it: the samples it made.
#pragma once

#include <cstdint>

// The samples of `sound` (sound.h's numbers) as made when the runtime
// started, and their count; null and 0 outside the table, or when they could
// not be made (no memory).
const int16_t* SoundSamples(int32_t sound, int32_t* count);
