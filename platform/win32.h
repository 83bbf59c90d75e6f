// The one door through which the runtime reaches the platform.
//
// On Windows this is the system itself: the window manager, GDI, DirectDraw 7,
// DirectInput 7 and DirectSound 7 headers. Everywhere else it is the hosted
// implementation of the same subset, with the same names, types, constants
// and behaviour. Nothing above platform/ includes a system header or knows
// which one it got. Both have the pad feel (pad_feel.h), a property set of
// sound buffers that the hosted platform's driver knows.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0700
#endif
#ifndef DIRECTSOUND_VERSION
#define DIRECTSOUND_VERSION 0x0700
#endif
#ifndef NODRAWTEXT
#define NODRAWTEXT  // the drawing library has a DrawText of its own
#endif
// In this order: DirectSound's structures use the multimedia types, which
// the lean windows.h leaves out.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
#include <ddraw.h>
#include <dinput.h>
#include <dsound.h>
// clang-format on
#undef DrawText
#ifndef _WIN64
// In the 32-bit program the structures handed to DirectDraw, DirectInput and
// DirectSound have the sizes those interfaces expect of a 32-bit caller (each
// carries its own size in its first field).
static_assert(sizeof(DDSURFACEDESC2) == 124);
static_assert(sizeof(DDBLTFX) == 100);
static_assert(sizeof(DIDATAFORMAT) == 24);
static_assert(sizeof(DIOBJECTDATAFORMAT) == 16);
static_assert(sizeof(DSBUFFERDESC) == 36);
static_assert(sizeof(WAVEFORMATEX) == 18);
#endif
#else
#include "platform/hosted/ddraw.h"
#include "platform/hosted/dinput.h"
#include "platform/hosted/dsound.h"
#include "platform/hosted/windows.h"
#endif
#include "platform/pad_feel.h"
