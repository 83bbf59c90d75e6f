// The one door through which the runtime reaches the platform.
//
// On Windows this is the system itself: the window manager, GDI, DirectDraw 7
// and DirectInput 7 headers. Everywhere else it is the hosted implementation of
// the same subset, with the same names, types, constants and behaviour.
// Nothing above platform/ includes a system header or knows which one it got.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0700
#endif
#ifndef NODRAWTEXT
#define NODRAWTEXT  // the drawing library has a DrawText of its own
#endif
#include <ddraw.h>
#include <dinput.h>
#include <windows.h>
#undef DrawText
#else
#include "platform/hosted/windows.h"
#endif
