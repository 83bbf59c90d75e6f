// cave-icon: the program's icon, which is the game's own ball. CreateShip
// shades it at every size asked for, on the headless display, exactly as the
// game makes its ball sprite, and each is written as a PAM picture
// (RGB_ALPHA) in which black, the colour the game leaves out when it draws
// the ball, is transparent.
//
//   cave-icon SIZE:FILE ...
//
// SIZE is the picture's side in pixels, even, 2 ... 1024; the ball's radius
// is half of it. Exit code 0 when every picture was written, 1 when one could
// not be, 2 for a bad command line (with a one-line message).
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/game.h"
#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/hosted_view.h"
#include "runtime/keyboard/keyboard.h"
#include "runtime/screen/screen_view.h"
#include "runtime/start/start.h"

namespace {

struct Picture {
  int32_t size;
  std::string file;
};

std::vector<Picture> pictures;
bool written = false;

bool WritePam(const std::string& file, const hosted::SurfaceInfo& surface) {
  if (surface.pixels == nullptr) return false;
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) return false;
  std::fprintf(out, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n",
               surface.width, surface.height);
  std::vector<unsigned char> row(static_cast<size_t>(surface.width) * 4);
  for (int32_t y = 0; y < surface.height; ++y) {
    const uint32_t* line = reinterpret_cast<const uint32_t*>(
        reinterpret_cast<const char*>(surface.pixels) + static_cast<ptrdiff_t>(y) * surface.pitch);
    for (int32_t x = 0; x < surface.width; ++x) {
      const uint32_t pixel = line[x] & 0xFFFFFFu;
      row[x * 4 + 0] = static_cast<unsigned char>(pixel >> 16);
      row[x * 4 + 1] = static_cast<unsigned char>(pixel >> 8);
      row[x * 4 + 2] = static_cast<unsigned char>(pixel);
      row[x * 4 + 3] = pixel == 0 ? 0 : 255;
    }
    std::fwrite(row.data(), 1, row.size(), out);
  }
  return std::fclose(out) == 0;
}

[[noreturn]] void Usage(const std::string& problem) {
  std::fprintf(stderr, "cave-icon: %s\n", problem.c_str());
  std::exit(2);
}

Picture ParsePicture(const std::string& argument) {
  const size_t colon = argument.find(':');
  char* end = nullptr;
  const long size = std::strtol(argument.c_str(), &end, 10);
  if (colon == std::string::npos || end != argument.c_str() + colon ||
      colon + 1 >= argument.size() || size < 2 || size > 1024 || size % 2 != 0)
    Usage("needs SIZE:FILE with an even SIZE of 2 ... 1024, got '" + argument + "'");
  return {static_cast<int32_t>(size), argument.substr(colon + 1)};
}

}  // namespace

void GameReset() { ClearGameGlobals(); }

// The game's own start-up, which makes its ship, then one ship more per
// picture. A failure shows the game's error box and ends the program with
// nothing more written.
void GameMain() {
  StartGame();
  for (const Picture& picture : pictures) {
    CreateShip(picture.size / 2, 1.0f, Rgb(255, 0, 0), kKeyUp);
    const SpriteRecord* sprite = SpriteRecordAt(ListCurrent<Ship>(ShipList)->sprite);
    if (!WritePam(picture.file, hosted::InspectSurface(sprite ? sprite->surface : nullptr))) {
      std::fprintf(stderr, "cave-icon: could not write '%s'\n", picture.file.c_str());
      RuntimeEnd();
    }
  }
  written = true;
  RuntimeEnd();
}

int main(int argc, char** argv) {
  if (argc < 2) Usage("usage: cave-icon SIZE:FILE ...");
  for (int i = 1; i < argc; ++i) pictures.push_back(ParsePicture(argv[i]));
  headless::HeadlessDisplay display;
  hosted::RunWinMain(display, &display);
  for (const headless::MessageBoxRecord& box : display.MessageBoxes())
    std::fprintf(stderr, "cave-icon: the game failed: %s\n", box.text.c_str());
  return written ? 0 : 1;
}
