// The main sequence, the frame loop with its head-up display, pause and quit,
// and the ending with the final scores.
#include <cstring>

#include "game/game.h"
#include "runtime/drawing/drawing.h"
#include "runtime/keyboard/keyboard.h"
#include "runtime/screen/screen.h"
#include "runtime/sound/sound.h"
#include "runtime/window/window.h"

List ShipList;
List ColumnList;
Tint RockTint;
int32_t OpenBrightness;
int32_t RockBrightness;
int32_t ShipUpdates;
Ghost Ghosts[kMaxGhosts];
int32_t GhostCount;

void ClearGameGlobals() {
  std::memset(&ShipList, 0, sizeof ShipList);
  std::memset(&ColumnList, 0, sizeof ColumnList);
  RockTint = {};
  OpenBrightness = 0;
  RockBrightness = 0;
  ShipUpdates = 0;
  std::memset(Ghosts, 0, sizeof Ghosts);
  GhostCount = 0;
}

namespace {

constexpr int32_t kFrameRate = 30;
constexpr int32_t kFpsWindow = 500;  // frames over which the rate is measured
constexpr int32_t kPauseSleep = 100;
constexpr int32_t kScoreRow = 190;     // the score's text cursor, at x = 270
constexpr int32_t kScoreSpacing = 16;  // one text line, between the scores of several ships

// The measured frame rate; 0 while no millisecond has passed since the
// measurement restarted.
int32_t FrameRate(int32_t frames, int32_t elapsed) {
  if (elapsed <= 0) return 0;
  return RoundToInt(static_cast<float>(frames) * 1000.0f / static_cast<float>(elapsed));
}

// DrawText of a number, built in the string work area.
void DrawNumber(const char* prefix, int32_t value) {
  char* mark = StringWorkPosition;
  char* start = StringWorkPosition;
  StringAppend(prefix);
  FormatInt(value, StringWorkPosition);
  DrawText(StringArgument(start));
  StringWorkPosition = mark;
}

// Every ship's score in its colour, one above the other, the last ship's
// in the one-player score's place; the walk leaves the last ship current, as
// DrawShips does.
void DrawScores() {
  int32_t row = kScoreRow - kScoreSpacing * (ListCount(&ShipList) - 1);
  ListReset(&ShipList);
  while (ListNext(&ShipList)) {
    const Ship& ship = *ListCurrent<Ship>(ShipList);
    DrawingColour(static_cast<int32_t>(RedOf(ship.colour)),
                  static_cast<int32_t>(GreenOf(ship.colour)),
                  static_cast<int32_t>(BlueOf(ship.colour)));
    TextCursor(270, row);
    DrawNumber("", ship.score / 1000);
    row += kScoreSpacing;
  }
}

// Appends "<who><n>: <points> Punkte" and a line break to the string `text`.
void AppendScore(char** text, const char* who, int32_t n, int32_t points) {
  char* mark = StringWorkPosition;
  StringAppend(*text);
  StringAppend(who);
  FormatInt(n, StringWorkPosition);
  StringAppend(": ");
  FormatInt(points, StringWorkPosition);
  StringAppend(" Punkte\n");
  StringStoreExpression(text, mark);
}

}  // namespace

void DrawHeadUpDisplay(int32_t frames, uint32_t fpsStart) {
  DrawingStart(ScreenOutput());
  DrawingMode(kDrawingOutline);
  DrawBox(0, 0, kFieldWidth, kFieldHeight, Rgb(255, 0, 0));
  DrawingColour(255, 255, 255);
  DrawingMode(kDrawingTransparentText);
  int32_t elapsed = static_cast<int32_t>(GetTickCount() - fpsStart);
  TextCursor(10, 10);
  DrawNumber("FPS: ", FrameRate(frames, elapsed));
  if (ListCount(&ShipList) > 1) {
    DrawScores();
  } else {
    TextCursor(270, kScoreRow);
    // After DrawShips the last ship of the list is current.
    const Ship* ship = ListCurrent<Ship>(ShipList);
    DrawNumber("", ship ? ship->score / 1000 : 0);
  }
  DrawingStop();
}

void StartGame() {
  ChooseRockTint();
  OpenBrightness = 190;
  RockBrightness = 255;
  ListNew(&ShipList, sizeof(Ship));
  ListNew(&ColumnList, sizeof(CaveColumn));
  if (ScreenInit() == 0 || KeyboardInit() == 0) FailWithError(1);
  OpenDisplay();
  SoundInit();
  int32_t ghosts = LineUpGhosts(RuntimeCommandLine());
  for (int32_t ghost = 1; ghost <= ghosts; ++ghost) CreateGhost(ghost);
  int32_t players = LineUp(RuntimeCommandLine());
  for (int32_t player = 1; player <= players; ++player)
    CreateShip(10, 1.0f, PlayerColour(player), PlayerKey(player));
}

void OpenDisplay() {
  ScreenSetFrameRate(kFrameRate);
  if (WindowOpen(0, 0, 0, kFieldWidth, kFieldHeight, kWindowCentredPopup, "") == nullptr)
    FailWithError(2);
  if (ScreenOpenWindowed(WindowHandle(), 0, 0, kFieldWidth, kFieldHeight, 0, 0, 0) == 0)
    FailWithError(3);
  GenerateCave();
}

void PlayFrame(int32_t frames, uint32_t fpsStart) {
  // Presents the frame drawn in the previous pass and paces the loop.
  ScreenFlip();
  ScreenClear(0, 0, 0);
  SpriteDisplay(kCaveSprite, 0, 0);
  ScrollCave(3);
  DriftRockTint();
  DrawShips();
  DrawHeadUpDisplay(frames, fpsStart);
}

void RunGame() {
  int32_t frames = 0;
  uint32_t fpsStart = GetTickCount();
  int32_t quit = 0;
  int32_t pause = 0;
  for (;;) {
    frames = frames + 1;
    if (frames > kFpsWindow) {
      fpsStart = GetTickCount();
      frames = 0;
    }
    KeyboardExamine();
    if (KeyReleased(kKeyEscape)) quit = 1;
    if (KeyReleased(kKeyP)) pause = 1;
    int32_t alive = UpdateShips();
    if (alive == 0) {
      // Show the frame with the crash, then the scores.
      ScreenFlip();
      ShowGameOver();
    }
    PlayFrame(frames, fpsStart);
    if (pause == 1) {
      SilenceShips();
      SoundPlay(kSoundPause, 0);
    }
    while (pause == 1) {
      SleepMs(kPauseSleep);
      SpriteDisplay(kCaveSprite, 0, 0);
      ScreenFlip();
      KeyboardExamine();
      if (KeyReleased(kKeyP)) {
        pause = 0;
        SoundPlay(kSoundResume, 0);
      }
      if (KeyReleased(kKeyEscape)) {
        pause = 0;
        quit = 1;
      }
    }
    if (quit != 0) return;
  }
}

void ShowGameOver() {
  char* text = nullptr;
  StringAssign(&text, "Spielstand:\n\n");
  int32_t n = 0;
  ListReset(&ShipList);
  while (ListNext(&ShipList)) {
    const Ship& ship = *ListCurrent<Ship>(ShipList);
    if (ship.ghost != 0) continue;
    n = n + 1;
    AppendScore(&text, "Player ", n, ship.score / 1000);
  }
  // A ghost's score is the one its game ended with, wherever the race ended.
  for (int32_t ghost = 1; ghost <= GhostCount; ++ghost)
    AppendScore(&text, "Ghost ", ghost, Ghosts[ghost - 1].points);
  SoundPlay(kSoundGameOver, 0);
  ShowMessage("Game Over!", text, 0);
  StringRelease(text);
  RuntimeEnd();
}
