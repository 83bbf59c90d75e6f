// The ball's rings through the drawing library's DrawCircle (GDI Ellipse) on
// a DirectDraw surface, written as a binary PPM. Built for Windows, where the
// real GDI draws them, and for the headless display, where ours does, so the
// two pictures can be compared pixel for pixel.
//
//   ellipse-probe OUT.ppm
//
// Row 0 of the picture holds eleven 24 x 24 cells, cell r a white filled
// circle of radius r round (12, 12) of the cell; row 1 holds the game's whole
// ball of radius 10, drawn ring by ring as the game draws it, in cell 0.
#include <cmath>

#include "runtime/core/core.h"
#include "runtime/drawing/drawing.h"
#include "runtime/screen/screen.h"
#include "runtime/start/start.h"
#include "runtime/window/window.h"
#include "tests/wine/windows/probe.h"

namespace {
constexpr int32_t kCell = 24;
constexpr int32_t kRadii = 11;  // 0 ... 10
constexpr int32_t kSprite = 1;

int32_t Shade(uint32_t component, float s) {
  return static_cast<int32_t>(std::nearbyint(static_cast<float>(component) * s));
}
}  // namespace

void GameReset() {}

void GameMain() {
  const char* file = ProbeArgument(1);
  if (file == nullptr) ProbeFinish("usage: ellipse-probe OUT.ppm");
  if (ScreenInit() == 0) ProbeFinish("ScreenInit failed");
  if (WindowOpen(0, 0, 0, 320, 240, kWindowCentredPopup, "") == nullptr)
    ProbeFinish("WindowOpen failed");
  if (ScreenOpenWindowed(WindowHandle(), 0, 0, 320, 240, 0, 0, 0) == 0)
    ProbeFinish("ScreenOpenWindowed failed");
  IDirectDrawSurface7* surface = SpriteCreate(kSprite, kRadii * kCell, 2 * kCell);
  if (surface == nullptr) ProbeFinish("SpriteCreate failed");

  DrawingStart(SpriteOutput(kSprite));
  DrawingMode(0);
  for (int32_t r = 0; r < kRadii; ++r)
    DrawCircle(r * kCell + kCell / 2, kCell / 2, r, Rgb(255, 255, 255));
  // The ball as the game makes it: rings from the rim inwards, cos-shaded red.
  const float pi = 3.1415930f;
  const int32_t radius = 10;
  for (int32_t i = radius; i >= 0; --i) {
    float angle = static_cast<float>(i) * pi / static_cast<float>(2 * radius);
    float s = static_cast<float>(std::cos(static_cast<double>(angle)));
    DrawCircle(radius, kCell + radius, i, Rgb(Shade(255, s), 0, 0));
  }
  DrawingStop();

  if (!WriteSurfacePpm(surface, file)) ProbeFinish("could not write the picture");
  ProbeFinish("written");
}
