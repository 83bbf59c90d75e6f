// Whole-number scaling for the SDL display: which scale a screen gets, and
// the copy that shows every pixel of the desktop as a block of scale x scale
// screen pixels (nearest neighbour: no smoothing, no seams, every block the
// same size).
//
// The desktop the game sees is logical: the screen divided by the scale. A
// window's picture is drawn at that scale in its own SDL window, or, in full
// screen, at the largest scale at which it fits the screen, centred.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/hosted/services.h"

struct SDL_Surface;

namespace sdl {

// The largest whole number k for which k x `width` by k x `height` fits in
// `areaWidth` x `areaHeight`; 1 when not even that fits.
int32_t FitScale(int32_t areaWidth, int32_t areaHeight, int32_t width, int32_t height);

// The scale of a screen unless the player chooses one: the largest that
// leaves a logical desktop of at least 640 x 480 (1 on smaller screens).
int32_t DefaultScale(int32_t screenWidth, int32_t screenHeight);

// The largest scale a screen allows: the logical desktop stays at least
// 320 x 240, the game's own size (1 on smaller screens).
int32_t LargestScale(int32_t screenWidth, int32_t screenHeight);

// Copies `width` x `height` 32-bit pixels from `source` into `target`, each
// pixel as a block of `scale` x `scale`; pitches in bytes. The target holds
// the whole scaled picture.
void ScalePixels(const uint32_t* source, int32_t sourcePitch, int32_t width, int32_t height,
                 int32_t scale, void* target, int32_t targetPitch);

// Shows the desktop's pixels inside `area` (desktop coordinates) in `target`
// at `scale`, the area's top-left corner at (x, y) of the target: the work
// of one present. What of the area lies outside the desktop is black; blocks
// that would not fit whole in the target are left out. Targets in another
// pixel format than the desktop's (32-bit XRGB) are converted through
// `scratch`.
void PaintScaled(const hosted::DesktopPicture& desktop, const RECT& area, int32_t scale, int32_t x,
                 int32_t y, SDL_Surface* target, std::vector<uint32_t>* scratch);

}  // namespace sdl
