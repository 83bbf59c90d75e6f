// The game: a ball (the ship) at a fixed column of a 320 x 240 cave that
// scrolls left 3 pixels per frame. Gravity pulls the ship down, its thrust key
// pushes it up; it dies when its centre line leaves the open span of the
// column under it. The score grows every frame, faster in narrow passages.
//
// The cave exists twice and both copies move together: ColumnList, 320
// CaveColumn records whose list position is the screen column, and sprite 1,
// the 320 x 240 picture. The rock is drawn in a tinted noisy texture
// (RockTint), the open span in grey noise that darkens as the passage narrows.
//
// All game arithmetic is single precision, each operation rounded to float,
// and every conversion to pixels rounds to nearest with halves to even, so the
// same seed and keys give the same game on every platform.
#pragma once

#include <cstdint>

#include "runtime/core/core.h"
#include "runtime/list/list.h"

// One column of the cave: rows y < round(top) are ceiling rock, rows
// y > round(bottom) floor rock, the rows between (inclusive) are open.
struct CaveColumn {
  float top;
  float bottom;
};
static_assert(sizeof(CaveColumn) == 8);

// One player's ball.
struct Ship {
  float x;        // left edge of the ball sprite on the screen
  float y;        // top edge
  float vx;       // never changed
  float vy;       // positive downwards
  float gravity;  // factor of the gravity step
  float thrust;   // subtracted from vy in frames with the key down
  float offset;   // from y down to the collision line
  int32_t sprite;
  Colour colour;
  int32_t score;  // shown divided by 1000
  int32_t key;    // scan code of the thrust key
  int32_t dead;   // 0 flying, 1 crashed
  int32_t ghost;  // 0 a player's ball; n: ghost n, flown by its recorded thrust (Ghosts)
};

struct Tint {
  int32_t red;
  int32_t green;
  int32_t blue;
};

// Game globals, zeroed by GameReset (ClearGameGlobals) and made by StartGame.
extern List ShipList;
extern List ColumnList;
extern Tint RockTint;           // each channel 192 ... 255, one of them 255
extern int32_t OpenBrightness;  // 190
extern int32_t RockBrightness;  // 255
extern int32_t ShipUpdates;     // UpdateShips calls so far: the number of the next one, from 0

constexpr int32_t kFieldWidth = 320;
constexpr int32_t kFieldHeight = 240;
constexpr int32_t kCaveSprite = 1;

// ---- helpers
// Rounds to the nearest integer, halves to even (the processor's default).
int32_t RoundToInt(float value);
// Shows "ERROR" / "Fehler Nr.<number>" and ends the program.
[[noreturn]] void FailWithError(int32_t number);

// ---- cave
// Random start tint: three channels in 192 ... 255, one raised to 255.
void ChooseRockTint();
// Creates sprite 1, fills ColumnList with 320 columns and draws the picture;
// ends the game with error 4 when the sprite cannot be made.
void GenerateCave();
// Shifts picture and list left by count columns and adds count new ones.
void ScrollCave(int32_t count);
// One random step of the tint.
void DriftRockTint();

// ---- ships
// Adds a ship (sprite 10 for the first, the current ship's + 1 after) and
// renders its shaded ball; ends the game with error 5 when the sprite cannot
// be made.
void CreateShip(int32_t radius, float gravity, Colour colour, int32_t key);
// One frame of every ship; 1 if at least one player's ship was alive when
// its update began. A player's ship thrusts while its key is down, a ghost
// when its thrust has a 1 for this call (GhostThrust); a ghost never keeps
// the game going. The players' ships are heard (runtime/sound), the n-th of
// them as player n: its thrust hum while it lives with its key down, and
// its crash in the frame it dies; a ghost is silent.
int32_t UpdateShips();
// Stops every ship's hum: the game pauses.
void SilenceShips();
// Draws every ship keyed on the back buffer, a crashed ghost as its mark.
void DrawShips();

// ---- line-up
constexpr int32_t kMaxPlayers = 4;
// The number of players that the command line asks for with "--players N",
// N from 1 to 4; 1 for any other command line, a bad or missing N included.
int32_t LineUp(const char* commandLine);
// Player n's (1 ... kMaxPlayers) ball colour and thrust key: player 1 the red
// ball on Up, then blue on W, yellow on I and green on the keypad's 8.
// Numbers outside the line-up give player 1's.
Colour PlayerColour(int32_t player);
int32_t PlayerKey(int32_t player);

// ---- ghosts
// A ghost is a recorded game flown again beside the players: a ball of its
// own colour at the head of the ship list, thrusting in its n-th UpdateShips
// call exactly when the recorded game's ship did, so that on the recorded
// game's cave it flies exactly as it flew. The command line hands each ghost
// over as "--ghost POINTS:BITS": POINTS its recorded final score (as the box
// shows it), BITS its thrust, one bit per UpdateShips call of the recorded
// game, six to a base64url character (A-Z a-z 0-9 - _), the first call in
// the first character's highest bit; calls past BITS do not thrust.
constexpr int32_t kMaxGhosts = 3;
struct Ghost {
  int32_t points;
  const char* thrust;  // BITS, in the command line, which lasts as long as the process
  int32_t length;      // of BITS, in characters
};
extern Ghost Ghosts[kMaxGhosts];
extern int32_t GhostCount;
// Reads the ghosts of the command line into Ghosts, up to kMaxGhosts, in
// their order; a "--ghost" word whose value is not POINTS:BITS (POINTS 1 to 9
// digits, BITS base64url characters only) is left out. Returns GhostCount.
int32_t LineUpGhosts(const char* commandLine);
// 1 when ghost n (1 ... GhostCount) thrusts in UpdateShips call `call`; 0
// past its thrust, and for other numbers.
int32_t GhostThrust(int32_t ghost, int32_t call);
// Adds ghost n's ship: a translucent ball in the ghosts' colour, with no key.
void CreateGhost(int32_t ghost);
// The sprite that shows `ship`: its ball, or for a crashed ghost its mark.
int32_t ShipSprite(const Ship& ship);

// ---- main sequence
// Zeroes the game's globals, as at process load: the program's GameReset.
void ClearGameGlobals();
// Everything before the frame loop: tint, brightness, both lists, screen and
// keyboard (error 1), the display, the sound (silent without it), a ship for
// every ghost that the command line hands over (LineUpGhosts), then one for
// every player that it lines up (LineUp): one red ship steered with Up when
// it asks for nothing. The ghosts come first, so a player's ball is drawn
// over them and the last ship is a player's.
void StartGame();
// Window (error 2), screen (error 3) and the cave.
void OpenDisplay();
// The drawing of a running pass, after the ships moved: presents the previous
// frame (pacing the loop), then clear, cave copy, scroll, tint, ships, and
// the head-up display.
void PlayFrame(int32_t frames, uint32_t fpsStart);
// The head-up display on the back buffer: the red frame, "FPS: " with the
// rate measured since fpsStart over `frames` frames, the last ship's score;
// with several ships, every ship's score in its colour, the last one's at
// the bottom: a race's ghosts' live scores above the players'.
void DrawHeadUpDisplay(int32_t frames, uint32_t fpsStart);
// The frame loop; returns when the player quits. A pause silences the ships
// and sounds its two falling notes, the resume its rising ones.
void RunGame();
// Shows "Game Over!" with every player's score, then every ghost's recorded
// score, to the game over's notes, and ends the program.
[[noreturn]] void ShowGameOver();
