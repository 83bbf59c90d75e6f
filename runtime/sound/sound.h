// Sounds through DirectSound 7.
//
// The runtime makes its sounds when it starts, by synthesis (no sample files):
// 16-bit mono samples at 22050 a second, the same on every platform and in
// every run (arithmetic in a fixed order, a noise generator of their own, no
// clock, never the game's random numbers). They are numbered below: each
// player's thrust hum (a loop) and crash, the pause, the resume and the game
// over. SoundInit opens the sound device once the screen's window is open
// (DirectSound's cooperative level needs a window), loading DirectSound at run
// time from "DSOUND.DLL", and puts every sound in a buffer of its own; each
// player's crash buffer is marked as that player's for a driver that shakes
// game pads (platform/pad_feel.h). Without a device, or when anything of it
// fails, the program stays silent and otherwise unchanged: every call below
// then does nothing, and none of them ever shows an error.
//
// Volumes are in hundredths of a decibel below the sound as made: 0 as made,
// -10000 silent; others are clamped to that range. Numbers outside the table
// are ignored.
#pragma once

#include <cstdint>

#include "platform/win32.h"

constexpr int32_t kSoundRate = 22050;  // samples a second, mono, 16-bit
constexpr int32_t kSoundPlayers = 4;   // players with a hum and a crash of their own

// The sounds. Player n's (1 ... kSoundPlayers) are kSoundHum + n - 1 and
// kSoundCrash + n - 1.
constexpr int32_t kSoundHum = 0;        // a loop, pitched apart for each player
constexpr int32_t kSoundCrash = 4;      // once; shakes the player's pad
constexpr int32_t kSoundPause = 8;      // two notes falling
constexpr int32_t kSoundResume = 9;     // the same two rising
constexpr int32_t kSoundGameOver = 10;  // four notes falling to a low chord
constexpr int32_t kSounds = 11;

// Opens the device and fills a buffer for every sound; 1 when every sound can
// be played, 0 otherwise (then silent, or without the sounds that failed).
// Later calls return 1 if the first succeeded, and change nothing.
int32_t SoundInit();
// Plays the sound once from its start at `volume`, whatever it was doing.
void SoundPlay(int32_t sound, int32_t volume);
// Loops the sound at `volume`; a sound looping already keeps on, at the new
// volume.
void SoundLoop(int32_t sound, int32_t volume);
// Stops the sound; one that is not playing stays so.
void SoundStop(int32_t sound);
