// The pad feel: a property set of sound buffers (IKsPropertySet), by which a
// program tells a sound driver that can shake game pads which player's pad a
// buffer belongs to. Property sets are how DirectSound lets drivers offer
// more than DirectSound itself; a driver that does not know this one says so
// (QueryInterface or Set fails), and the program goes on without it.
//
// DSPROPERTY_PADFEEL_PLAYER (set only): a DWORD, the player (1, 2, ...) whose
// pad shakes while the buffer plays once, from its Play until it ends or
// stops; 0 marks the buffer as no one's. The hosted platform's driver knows
// it (platform/hosted/dsound.h); Windows' drivers do not.
//
// Included by platform/win32.h after the system's headers, which define GUID.
#pragma once

inline const GUID DSPROPSETID_PadFeel = {
    0xCA02D8A8, 0xC870, 0x454F, {0x96, 0xB8, 0x1E, 0x21, 0x53, 0x8F, 0x8D, 0x7A}};
#define DSPROPERTY_PADFEEL_PLAYER 0
