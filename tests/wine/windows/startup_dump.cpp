// The game's start-up on the real platform with a fixed seed in place of the
// clock: everything GameMain does before its frame loop, then the cave
// picture (sprite 1) and the ball sprite are written as binary PPM files.
//
//   startup-dump SEED CAVE.ppm BALL.ppm
//
// It prints "written" when both files were written, or what went wrong.
#include <cstdlib>

#include "game/game.h"
#include "runtime/keyboard/keyboard.h"
#include "runtime/screen/screen_view.h"
#include "runtime/start/start.h"
#include "tests/wine/windows/probe.h"

namespace {
constexpr int32_t kFirstShipSprite = 10;
}  // namespace

void GameReset() { ClearGameGlobals(); }

void GameMain() {
  const char* seed = ProbeArgument(1);
  const char* cave = ProbeArgument(2);
  const char* ball = ProbeArgument(3);
  if (seed == nullptr || cave == nullptr || ball == nullptr)
    ProbeFinish("usage: startup-dump SEED CAVE.ppm BALL.ppm");
  RandomSeed(static_cast<uint32_t>(std::strtoul(seed, nullptr, 10)));

  ChooseRockTint();
  OpenBrightness = 190;
  RockBrightness = 255;
  ListNew(&ShipList, sizeof(Ship));
  ListNew(&ColumnList, sizeof(CaveColumn));
  if (ScreenInit() == 0 || KeyboardInit() == 0) ProbeFinish("ScreenInit or KeyboardInit failed");
  OpenDisplay();
  CreateShip(10, 1.0f, Rgb(255, 0, 0), kKeyUp);

  const SpriteRecord* picture = SpriteRecordAt(kCaveSprite);
  const SpriteRecord* sprite = SpriteRecordAt(kFirstShipSprite);
  if (!WriteSurfacePpm(picture ? picture->surface : nullptr, cave))
    ProbeFinish("could not write the cave");
  if (!WriteSurfacePpm(sprite ? sprite->surface : nullptr, ball))
    ProbeFinish("could not write the ball");
  ProbeFinish("written");
}
