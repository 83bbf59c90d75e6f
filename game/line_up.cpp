// The line-up: how many players the command line asks for and which ghosts
// it hands over, and what tells each player's ball apart (its colour) and
// flies it (its key).
#include <cstring>

#include "game/game.h"
#include "runtime/keyboard/keyboard.h"

namespace {

struct Player {
  int32_t red, green, blue;
  int32_t key;  // scan code of the thrust key
};

// Player 1 is the game's own red ball on Up. The others are a blue, a yellow
// and a green that stay apart from each other and from red under protanopia,
// deuteranopia and tritanopia as well, and from the grey passage the balls
// fly in. Their keys are far from each other and from P, Escape and Return.
constexpr Player kPlayers[kMaxPlayers] = {
    {255, 0, 0, kKeyUp},
    {0, 114, 255, 17},  // W
    {255, 210, 0, 23},  // I
    {0, 200, 120, 72},  // the keypad's 8
};

constexpr char kOption[] = "--players";
constexpr char kGhostOption[] = "--ghost";

bool Space(char c) { return c == ' ' || c == '\t'; }

// The word at `at`, and past it.
const char* Word(const char* at, size_t* length) {
  while (Space(*at)) ++at;
  *length = 0;
  while (at[*length] != 0 && !Space(at[*length])) ++*length;
  return at;
}

bool IsWord(const char* word, size_t length, const char* option) {
  return length == std::strlen(option) && std::strncmp(word, option, length) == 0;
}

bool Base64Url(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}

// POINTS:BITS, the value of a "--ghost" word, into `ghost`.
bool ReadGhost(const char* value, size_t length, Ghost* ghost) {
  size_t digits = 0;
  int32_t points = 0;
  while (digits < length && value[digits] >= '0' && value[digits] <= '9')
    points = points * 10 + (value[digits++] - '0');
  if (digits == 0 || digits > 9 || digits == length || value[digits] != ':') return false;
  for (size_t i = digits + 1; i < length; ++i)
    if (!Base64Url(value[i])) return false;
  *ghost = {points, value + digits + 1, static_cast<int32_t>(length - digits - 1)};
  return true;
}

}  // namespace

int32_t LineUpGhosts(const char* commandLine) {
  GhostCount = 0;
  if (commandLine == nullptr) return 0;
  size_t length = 0;
  for (const char* word = Word(commandLine, &length); length > 0 && GhostCount < kMaxGhosts;
       word = Word(word + length, &length)) {
    if (!IsWord(word, length, kGhostOption)) continue;
    word = Word(word + length, &length);
    Ghost ghost;
    if (ReadGhost(word, length, &ghost)) Ghosts[GhostCount++] = ghost;
  }
  return GhostCount;
}

int32_t LineUp(const char* commandLine) {
  if (commandLine == nullptr) return 1;
  size_t length = 0;
  for (const char* word = Word(commandLine, &length); length > 0;
       word = Word(word + length, &length)) {
    if (!IsWord(word, length, kOption)) continue;
    const char* value = Word(word + length, &length);
    if (length == 1 && value[0] >= '1' && value[0] < '1' + kMaxPlayers) return value[0] - '0';
    return 1;
  }
  return 1;
}

Colour PlayerColour(int32_t player) {
  const Player& p = kPlayers[(player >= 1 && player <= kMaxPlayers ? player : 1) - 1];
  return Rgb(p.red, p.green, p.blue);
}

int32_t PlayerKey(int32_t player) {
  return kPlayers[(player >= 1 && player <= kMaxPlayers ? player : 1) - 1].key;
}
