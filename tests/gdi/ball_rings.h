// The game's ball as GDI draws it: Ellipse(10 - i, 10 - i, 10 + i, 10 + i)
// for i = 10 down to 0 on a 20 x 20 picture, each ring with a pen and a brush
// of its own colour, as the drawing library's DrawCircle makes them. A probe
// run on the real platform draws the same calls; the two pictures compare
// character for character.
#pragma once

#include <string>
#include <vector>

#include "platform/win32.h"

constexpr int kBallSize = 20;

// Ring i is drawn in this colour; pixels no ring touched stay white.
inline COLORREF BallRingColour(int ring) { return RGB(ring * 20, 100, 255 - ring * 20); }

// One character per pixel: '0' ... '9' and 'A' for rings 0 ... 10, '.' for
// white, '?' for anything else.
char BallRingCharacter(COLORREF pixel);

// Draws the rings through `dc` (20 x 20 pixels) and reads them back.
std::vector<std::string> DrawBallRings(HDC dc);

// The same on the hosted GDI, over memory of its own.
std::vector<std::string> HostedBallRings();
