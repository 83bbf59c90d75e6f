// cave-replay: runs the whole program (WinMain, RuntimeStart and everything
// it calls, unchanged) on the headless display, with keys from a file, and
// reports what happens: message boxes and the exit code on standard output,
// and on request a trace of the game at every keyboard snapshot, the cave
// picture, the first player's ball sprite and what the window shows (each of
// --cave, --ball and --shot may be given several times, for several
// snapshots), and what the window shows when the first message box appears
// (--box-shot), and the game's sound as the player would hear it (--audio,
// a WAV file of the headless display's mix: the same bytes on every run) and
// by frame (--sounds).
//
//   cave-replay [--tick N] [--players N] [--input FILE] [--snapshots N] [--trace FILE]
//               [--cave K:FILE] [--ball K:FILE] [--shot K:FILE] [--box-shot FILE]
//               [--fail POINT] [--desktop WxH] [--steer N:FILE] [--record FILE]
//               [--race FILE]... [--audio FILE] [--sounds FILE]
//   cave-replay --check FILE [--trace FILE] [--cave K:FILE] [--ball K:FILE]
//               [--shot K:FILE] [--box-shot FILE] [--desktop WxH]
//   cave-replay --link FILE
//
// --sounds FILE writes a line for every frame (from one keyboard snapshot to
// the next, or to the message box that ends it): the sound buffers playing
// at its end, by the order they were made (the runtime's sound numbers), the
// loudest sample and the root mean square of the samples heard in it, and the
// pads shaken in it (player and milliseconds); then a line "end" for what is
// heard after the last frame (while the box is read, and as the game ends).
//
// --players N plays with N players (1 to 4), as cave --players does.
//
// --input reads a plain key file (one line of scan codes per snapshot) or a
// recording (runs/runs.h), whose start tick and line-up apply unless --tick
// and --players are given: --players 1 replays a two-player recording's
// keys with one player. --record FILE writes the run as a recording, with
// its line-up.
//
// --race FILE races the ghost of the recording in FILE (runs/race/race.h), up
// to three of them, on their cave (--tick and --players cannot be given): the
// ghosts fly beside player 1, and --record keeps the race with them. A
// recording that cannot be a ghost is refused.
//
// --check FILE replays a recording, with its own line-up (a race with its
// ghosts), and compares its end with the recorded one: exit code 0 when they
// agree, 1 with the first difference on standard error when they do not.
//
// --link FILE prints the fragment "#run=..." of the run link of the
// recording in FILE (runs/runs.h), which the page's address
// and cave --watch take; a file that is no recording is refused.
//
// --steer N:FILE lets an autopilot hold the first player's key as needed in
// snapshots 0 ... N - 1 (on top of the keys of --input) and writes every
// snapshot's keys to FILE in the --input format, so that the run can be
// replayed from FILE alone.
//
// Bad command lines and malformed input files get a one-line message on
// standard error and exit code 2.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "game/game.h"
#include "platform/hosted/display/headless/headless.h"
#include "platform/hosted/display/recording/recording_display.h"
#include "platform/hosted/hosted_view.h"
#include "platform/hosted/services.h"
#include "runs/race/race.h"
#include "runs/runs.h"
#include "runtime/keyboard/keyboard.h"
#include "runtime/list/list_view.h"
#include "runtime/screen/screen_view.h"
#include "runtime/window/window.h"
#include "tools/replay/steering.h"

namespace {

struct PictureRequest {
  int snapshot = -1;
  std::string file;
};

// The start-up steps that --fail makes fail, by name.
struct FailurePoint {
  const char* name;
  void (*fail)(headless::HeadlessDisplay& display);
};
using hosted::FailPoint;
using Headless = headless::HeadlessDisplay;
const FailurePoint kFailurePoints[] = {
    {"ddraw-load", [](Headless& d) { d.FailLoadLibrary("DDRAW.DLL"); }},
    {"ddraw-create", [](Headless& d) { d.Fail(FailPoint::kDirectDrawCreate); }},
    {"dinput-load", [](Headless& d) { d.FailLoadLibrary("DINPUT.DLL"); }},
    {"dinput-create", [](Headless& d) { d.Fail(FailPoint::kDirectInputCreate); }},
    {"dinput-device", [](Headless& d) { d.Fail(FailPoint::kDirectInputDevice); }},
    {"dsound-load", [](Headless& d) { d.FailLoadLibrary("DSOUND.DLL"); }},
    {"dsound-create", [](Headless& d) { d.Fail(FailPoint::kDirectSoundCreate); }},
    {"window", [](Headless& d) { d.FailCreateWindow("WindowClass_0"); }},
    {"screen", [](Headless& d) { d.Fail(FailPoint::kPrimarySurface); }},
    {"cave-sprite", [](Headless& d) { d.FailSurfaceSize(kFieldWidth, kFieldHeight); }},
    {"ship-sprite", [](Headless& d) { d.FailSurfaceSize(20, 20); }},
};

struct Options {
  uint32_t tick = 0;
  bool tickGiven = false;
  int32_t players = 1;
  bool playersGiven = false;
  std::vector<std::vector<uint8_t>> input;
  bool inputIsRecording = false;
  uint32_t inputTick = 0;    // the start tick of a recording given as input
  int32_t inputPlayers = 1;  // and its line-up
  std::string check;         // the recording to check; empty: none
  runs::Recording checked;
  std::vector<race::Ghost> ghosts;  // --race
  std::string record;
  long long quitAt = 1000000;
  std::string trace;
  std::vector<PictureRequest> caves;
  std::vector<PictureRequest> balls;
  std::vector<PictureRequest> shots;
  std::string boxShot;
  std::string audio;
  std::string sounds;
  PictureRequest steer;                // snapshot: steer before it; file: where the keys go
  const FailurePoint* fail = nullptr;  // --fail
  int32_t desktopWidth = 1024;
  int32_t desktopHeight = 768;
};

[[noreturn]] void Usage(const std::string& problem) {
  std::fprintf(stderr, "cave-replay: %s\n", problem.c_str());
  std::exit(2);
}

bool ParseNumber(const std::string& text, long long min, long long max, long long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != 0 || value < min || value > max) return false;
  if (text[0] == '+' || text[0] == ' ') return false;
  *out = value;
  return true;
}

// An input file: a recording, or (unless `recordingOnly`) a plain key file,
// every line of which is a snapshot (the last one may lack its newline).
// `isRecording` says which it was.
runs::Recording ReadInput(const std::string& file, bool recordingOnly, bool* isRecording) {
  std::string text, problem;
  if (!runs::ReadFile(file, &text, &problem)) Usage(problem);
  runs::Recording input;
  *isRecording = recordingOnly || runs::LooksLikeRecording(text);
  if (*isRecording) {
    if (!runs::ParseRecording(text, &input, &problem)) Usage("'" + file + "' " + problem);
    return input;
  }
  std::string_view rest = text;
  for (int number = 1; !rest.empty(); ++number) {
    std::string_view line = rest.substr(0, rest.find('\n'));
    rest.remove_prefix(std::min(rest.size(), line.size() + 1));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<uint8_t> keys;
    if (!runs::ParseKeys(line, &keys, &problem))
      Usage("'" + file + "' line " + std::to_string(number) + ": " + problem);
    input.snapshots.push_back(std::move(keys));
  }
  return input;
}

PictureRequest ParsePicture(const std::string& option, const std::string& value) {
  size_t colon = value.find(':');
  long long snapshot = 0;
  if (colon == std::string::npos || colon + 1 >= value.size() ||
      !ParseNumber(value.substr(0, colon), 0, 2147483647, &snapshot))
    Usage(option + " needs K:FILE, got '" + value + "'");
  return {static_cast<int>(snapshot), value.substr(colon + 1)};
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  std::vector<std::string> given;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    if (i + 1 >= argc) Usage("missing value for " + option);
    given.push_back(option);
    std::string value = argv[++i];
    long long number = 0;
    if (option == "--tick") {
      if (!ParseNumber(value, 0, 4294967295LL, &number))
        Usage("--tick needs 0-4294967295, got '" + value + "'");
      options.tick = static_cast<uint32_t>(number);
      options.tickGiven = true;
    } else if (option == "--players") {
      if (!ParseNumber(value, 1, runs::kMaxPlayers, &number))
        Usage("--players needs 1, 2, 3 or 4, got '" + value + "'");
      options.players = static_cast<int32_t>(number);
      options.playersGiven = true;
    } else if (option == "--input") {
      runs::Recording input = ReadInput(value, false, &options.inputIsRecording);
      options.input = std::move(input.snapshots);
      options.inputTick = input.tick;
      options.inputPlayers = input.players;
    } else if (option == "--check") {
      bool isRecording = true;
      options.checked = ReadInput(value, true, &isRecording);
      options.check = value;
    } else if (option == "--record") {
      options.record = value;
    } else if (option == "--race") {
      bool isRecording = true;
      options.ghosts.emplace_back();
      std::string problem;
      if (!race::MakeGhost(ReadInput(value, true, &isRecording), &options.ghosts.back(), &problem))
        Usage("ghost " + std::to_string(options.ghosts.size()) + " '" + value + "' " + problem);
    } else if (option == "--snapshots") {
      if (!ParseNumber(value, 0, 1LL << 40, &number))
        Usage("--snapshots needs a count, got '" + value + "'");
      options.quitAt = number;
    } else if (option == "--trace") {
      options.trace = value;
    } else if (option == "--cave") {
      options.caves.push_back(ParsePicture(option, value));
    } else if (option == "--ball") {
      options.balls.push_back(ParsePicture(option, value));
    } else if (option == "--shot") {
      options.shots.push_back(ParsePicture(option, value));
    } else if (option == "--box-shot") {
      options.boxShot = value;
    } else if (option == "--audio") {
      options.audio = value;
    } else if (option == "--sounds") {
      options.sounds = value;
    } else if (option == "--steer") {
      options.steer = ParsePicture(option, value);
    } else if (option == "--fail") {
      options.fail = nullptr;
      for (const FailurePoint& point : kFailurePoints)
        if (value == point.name) options.fail = &point;
      if (options.fail == nullptr) Usage("unknown failure point '" + value + "'");
    } else if (option == "--desktop") {
      size_t x = value.find('x');
      long long w = 0, h = 0;
      if (x == std::string::npos || !ParseNumber(value.substr(0, x), 1, 65535, &w) ||
          !ParseNumber(value.substr(x + 1), 1, 65535, &h))
        Usage("--desktop needs WxH with both at least 1, got '" + value + "'");
      options.desktopWidth = static_cast<int32_t>(w);
      options.desktopHeight = static_cast<int32_t>(h);
    } else if (option == "--link") {
      Usage("--link takes one recording and no other options");
    } else {
      Usage("unknown option '" + option + "'");
    }
  }
  if (options.inputIsRecording && !options.tickGiven) options.tick = options.inputTick;
  if (options.inputIsRecording && !options.playersGiven) options.players = options.inputPlayers;
  if (!options.check.empty()) {
    // The recording alone decides the game that is checked.
    for (const char* other :
         {"--tick", "--players", "--input", "--snapshots", "--steer", "--fail", "--record"})
      if (std::find(given.begin(), given.end(), other) != given.end())
        Usage(std::string("--check cannot be combined with ") + other);
    options.tick = options.checked.tick;
  }
  std::string problem;
  if (!options.ghosts.empty()) {
    // The ghosts decide the cave, and race one player.
    for (const char* other : {"--tick", "--players", "--check"})
      if (std::find(given.begin(), given.end(), other) != given.end())
        Usage(std::string("--race cannot be combined with ") + other);
    if (!race::Together(options.ghosts, &problem)) Usage(problem);
    options.tick = options.ghosts[0].tick;
  }
  return options;
}

std::string Float(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
  return text;
}

// The game as it stands, read without moving any list cursor.
std::string GameState(int snapshot, bool box) {
  std::string line = "{\"snapshot\":" + std::to_string(snapshot) + ",\"ships\":[";
  const char* separator = "";
  for (const Ship& ship : ListRecords<Ship>(ShipList)) {
    line += separator;
    separator = ",";
    line += "{\"x\":" + Float(ship.x) + ",\"y\":" + Float(ship.y) + ",\"vy\":" + Float(ship.vy) +
            ",\"score\":" + std::to_string(ship.score) + ",\"dead\":" + std::to_string(ship.dead) +
            "}";
  }
  line += "],\"tint\":[" + std::to_string(RockTint.red) + "," + std::to_string(RockTint.green) +
          "," + std::to_string(RockTint.blue) + "],\"column160\":";
  std::vector<CaveColumn> columns = ListRecords<CaveColumn>(ColumnList);
  line += columns.size() > 160
              ? "[" + Float(columns[160].top) + "," + Float(columns[160].bottom) + "]"
              : std::string("null");
  line += ",\"columns\":" + std::to_string(columns.size());
  if (box) line += ",\"box\":true";
  return line + "}\n";
}

bool WritePpm(const std::string& file, const uint32_t* pixels, int32_t width, int32_t height,
              int32_t pitch) {
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) return false;
  std::fprintf(out, "P6\n%d %d\n255\n", width, height);
  std::vector<unsigned char> row(static_cast<size_t>(width) * 3);
  for (int32_t y = 0; y < height; ++y) {
    const uint32_t* line =
        reinterpret_cast<const uint32_t*>(reinterpret_cast<const char*>(pixels) + y * pitch);
    for (int32_t x = 0; x < width; ++x) {
      row[x * 3 + 0] = static_cast<unsigned char>(line[x] >> 16);
      row[x * 3 + 1] = static_cast<unsigned char>(line[x] >> 8);
      row[x * 3 + 2] = static_cast<unsigned char>(line[x]);
    }
    std::fwrite(row.data(), 1, row.size(), out);
  }
  return std::fclose(out) == 0;
}

void WriteSprite(int32_t number, const std::string& file, const char* what) {
  const SpriteRecord* sprite = number >= 0 ? SpriteRecordAt(number) : nullptr;
  hosted::SurfaceInfo info = hosted::InspectSurface(sprite ? sprite->surface : nullptr);
  if (info.pixels == nullptr || !WritePpm(file, info.pixels, info.width, info.height, info.pitch))
    std::fprintf(stderr, "cave-replay: could not write the %s to '%s'\n", what, file.c_str());
}

// The first player's ship (after the ghosts), none while there is none.
const Ship* FirstPlayer() {
  for (ListElement* e = ShipList.head ? ShipList.head->first : nullptr; e; e = e->next)
    if (static_cast<const Ship*>(ListRecord(e))->ghost == 0)
      return static_cast<const Ship*>(ListRecord(e));
  return nullptr;
}

// The first player's sprite number, -1 while there is none.
int32_t FirstShipSprite() {
  const Ship* ship = FirstPlayer();
  return ship ? ship->sprite : -1;
}

void WriteShot(const std::string& file) {
  hosted::WindowInfo window = hosted::InspectWindow(WindowHandle());
  hosted::DesktopPicture desktop = hosted::Desktop();
  RECT area = window.client;
  bool inside = window.exists && area.left >= 0 && area.top >= 0 && area.right <= desktop.width &&
                area.bottom <= desktop.height && area.right > area.left && area.bottom > area.top;
  const uint32_t* origin =
      inside ? desktop.pixels + static_cast<size_t>(area.top) * desktop.width + area.left : nullptr;
  if (!inside ||
      !WritePpm(file, origin, area.right - area.left, area.bottom - area.top, desktop.pitch))
    std::fprintf(stderr, "cave-replay: could not write the window picture to '%s'\n", file.c_str());
}

// Holds the first player's key when the autopilot says so.
void Steer(uint8_t state[256]) {
  const Ship* ship = FirstPlayer();
  if (ship && ship->key >= 0 && ship->key < 256 &&
      SteerUp(*ship, ListRecords<CaveColumn>(ColumnList)))
    state[ship->key] = 0x80;
}

// The sound heard as a WAV file: 16-bit mono PCM, little-endian.
bool WriteWav(const std::string& file, const std::vector<int16_t>& samples) {
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (out == nullptr) return false;
  auto put = [out](uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) std::fputc(static_cast<int>((value >> (8 * i)) & 0xFF), out);
  };
  const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
  const uint32_t rate = static_cast<uint32_t>(hosted::kMixRate);
  std::fputs("RIFF", out);
  put(36 + data, 4);
  std::fputs("WAVEfmt ", out);
  put(16, 4);  // the size of the format: PCM, mono, the rate, bytes a second and a sample, bits
  put(1, 2);
  put(1, 2);
  put(rate, 4);
  put(rate * 2, 4);
  put(2, 2);
  put(16, 2);
  std::fputs("data", out);
  put(data, 4);
  for (int16_t sample : samples) put(static_cast<uint16_t>(sample), 2);
  return std::fclose(out) == 0;
}

// The --sounds line of frame `snapshot` (-1: the end): the samples heard
// since `from`, the rumbles from `rumbled` on.
std::string SoundLine(int snapshot, const std::vector<int16_t>& heard, size_t from,
                      const std::vector<headless::RumbleRecord>& rumbles, size_t rumbled) {
  std::string playing;
  for (int i = 0; i < hosted::SoundBufferCount(); ++i)
    if (hosted::InspectSoundBuffer(i).playing)
      playing += (playing.empty() ? "" : ",") + std::to_string(i);
  int peak = 0;
  double squares = 0;
  for (size_t i = from; i < heard.size(); ++i) {
    peak = std::max(peak, std::abs(static_cast<int>(heard[i])));
    squares += static_cast<double>(heard[i]) * heard[i];
  }
  size_t count = heard.size() - from;
  long rms = count > 0 ? std::lround(std::sqrt(squares / static_cast<double>(count))) : 0;
  std::string shaken;
  for (size_t i = rumbled; i < rumbles.size(); ++i)
    shaken += std::string(shaken.empty() ? "[" : ",[") + std::to_string(rumbles[i].player) + "," +
              std::to_string(rumbles[i].milliseconds) + "]";
  std::string frame = snapshot < 0 ? "\"end\"" : std::to_string(snapshot);
  return "{\"snapshot\":" + frame + ",\"playing\":[" + playing +
         "],\"peak\":" + std::to_string(peak) + ",\"rms\":" + std::to_string(rms) +
         (shaken.empty() ? "" : ",\"rumbles\":[" + shaken + "]") + "}\n";
}

std::FILE* OpenForWriting(const std::string& file, const char* what) {
  if (file.empty()) return nullptr;
  std::FILE* out = std::fopen(file.c_str(), "w");
  if (out == nullptr) Usage(std::string("cannot write ") + what + " '" + file + "'");
  return out;
}

// cave-replay --link FILE.
int PrintLink(const std::string& file) {
  std::string text, fragment, problem;
  if (!runs::ReadFile(file, &text, &problem)) Usage(problem);
  runs::LinkRefusal refusal;
  if (!runs::EncodeRunLink(text, &fragment, &refusal))
    Usage("'" + file + "' is " + runs::RefusalLine(refusal));
  std::printf("#%s\n", fragment.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "--link") {
    if (argc != 3) Usage("--link takes one recording and no other options");
    return PrintLink(argv[2]);
  }
  Options options = ParseOptions(argc, argv);
  std::FILE* trace = OpenForWriting(options.trace, "trace file");
  std::FILE* keys = OpenForWriting(options.steer.file, "key file");
  std::FILE* sounds = OpenForWriting(options.sounds, "sound trace");

  headless::HeadlessDisplay display(options.tick, options.desktopWidth, options.desktopHeight);
  if (options.fail) options.fail->fail(display);
  // A check's keys are the recording's (recording::Check).
  if (options.check.empty())
    display.SetKeyScript([&options, keys](int snapshot, uint8_t state[256]) {
      const auto& input = options.input;
      if (snapshot >= 0 && static_cast<size_t>(snapshot) < input.size())
        for (uint8_t code : input[static_cast<size_t>(snapshot)]) state[code] = 0x80;
      if (snapshot == options.quitAt) state[kKeyEscape] = 0x80;  // as a player quitting
      if (keys) {
        if (snapshot < options.steer.snapshot) Steer(state);
        std::fputs(runs::SnapshotLine(state).c_str(), keys);
      }
    });
  auto pictures = [](const std::vector<PictureRequest>& requests, int snapshot, auto write) {
    for (const PictureRequest& request : requests)
      if (request.snapshot == snapshot) write(request.file);
  };
  if (!options.audio.empty() || sounds) display.KeepSound();
  // What the --sounds lines have told: the samples and rumbles, and the frame.
  size_t heardBefore = 0, rumbledBefore = 0;
  int soundsTold = -1;
  // The line of frame `snapshot`, once; -1: the end.
  auto soundFrame = [&](int snapshot) {
    if (sounds == nullptr || (snapshot >= 0 && snapshot <= soundsTold)) return;
    const std::vector<int16_t>& heard = display.Heard();
    std::fputs(SoundLine(snapshot, heard, heardBefore, display.Rumbles(), rumbledBefore).c_str(),
               sounds);
    heardBefore = heard.size();
    rumbledBefore = display.Rumbles().size();
    soundsTold = std::max(soundsTold, snapshot);
  };
  display.onSnapshot = [&](int snapshot) {
    if (snapshot > 0) soundFrame(snapshot - 1);
    if (trace) std::fputs(GameState(snapshot, false).c_str(), trace);
    pictures(options.caves, snapshot,
             [](const std::string& file) { WriteSprite(kCaveSprite, file, "cave picture"); });
    pictures(options.balls, snapshot,
             [](const std::string& file) { WriteSprite(FirstShipSprite(), file, "ball sprite"); });
    pictures(options.shots, snapshot, WriteShot);
  };
  display.onMessageBox = [&](const headless::MessageBoxRecord& box) {
    if (box.snapshot > 0) soundFrame(box.snapshot - 1);
    if (trace) std::fputs(GameState(box.snapshot, true).c_str(), trace);
    if (!options.boxShot.empty() && display.MessageBoxes().size() == 1) WriteShot(options.boxShot);
    std::printf("{\"box\":%s,\"snapshot\":%d}\n", runs::BoxJson({box.title, box.text}).c_str(),
                box.snapshot);
    std::fflush(stdout);
  };

  int code = 0;
  runs::Verdict verdict;
  if (!options.check.empty()) {
    runs::Replayed replayed;
    verdict = race::Check(display, &display, options.checked, &replayed);
    code = replayed.exitCode;
  } else {
    // The run as a recording, on request; otherwise the display only passes
    // everything on.
    recording::RecordingDisplay recorder(display, &display);
    runs::RecordingWriter writer;
    std::string problem;
    if (!options.record.empty()) {
      if (!writer.Open(options.record, &problem)) Usage(problem);
      recorder.Record(writer, options.tick, options.players, race::GhostTexts(options.ghosts));
    }
    code = hosted::RunWinMain(recorder, &recorder,
                              race::CommandLine(options.players, options.ghosts).c_str());
    recorder.Finish(code);
    if (!writer.Close())
      std::fprintf(stderr, "cave-replay: could not write the recording '%s'\n",
                   options.record.c_str());
  }
  if (sounds) {
    if (display.Snapshots() > 0) soundFrame(display.Snapshots() - 1);
    soundFrame(-1);
    std::fclose(sounds);
  }
  if (!options.audio.empty() && !WriteWav(options.audio, display.Heard()))
    std::fprintf(stderr, "cave-replay: could not write the sound to '%s'\n", options.audio.c_str());
  if (trace) std::fclose(trace);
  if (keys) std::fclose(keys);
  std::printf("{\"exit\":%d,\"snapshots\":%d}\n", code, display.Snapshots());
  if (options.check.empty()) return code;
  if (verdict.kind != runs::Verdict::Kind::kVerified) {
    std::fprintf(stderr, "cave-replay: '%s' does not replay as recorded: %s\n",
                 options.check.c_str(), verdict.detail.c_str());
    return 1;
  }
  if (!verdict.ended)
    std::fprintf(stderr,
                 "cave-replay: '%s' has no end (the game was interrupted); its %zu snapshots "
                 "replay as recorded\n",
                 options.check.c_str(), verdict.snapshots);
  return 0;
}
