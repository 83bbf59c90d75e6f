// Whole games held against what the game must produce: for each case below,
// cave-replay runs a fixed start tick and key timeline, and its output, its
// trace of every keyboard snapshot and its pictures must equal the reference
// kept in tests/game/references/ exactly.
//
// The references are made by scripts/update-references (which runs this test
// with CAVE_UPDATE_REFERENCES=1): only when the game's behaviour is meant to
// change, with the reason in the commit. A picture is kept as a hash of its
// pixels with a hash per row when it is large, in full when it is small; the
// pictures of every run are left in the build folder for a person to look at.
// A case that is heard keeps its sound in a file of its own (NAME.sounds):
// cave-replay's --sounds lines (the sounds playing at the end of every frame
// and the frame's levels) and the size and hash of its --audio file; the
// audio file of every run is left in the build folder to listen to.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A key held in snapshot k < until when (k + phase) % period < held.
struct Pulse {
  int key, period, held, phase, until;
};

struct Case {
  const char* name;
  unsigned tick;
  // Keys pressed, by snapshot: "25" (P), "1" (Escape), "200" (Up), or several.
  std::vector<std::pair<int, const char*>> presses;
  int steerUntil;             // the autopilot holds Up as needed before this snapshot; 0: never
  std::vector<int> pictures;  // snapshots whose cave and window pictures are kept
  int players = 1;            // the line-up, given to cave-replay as --players
  std::vector<Pulse> pulses = {};
  bool heard = false;  // its sound is kept too
};

// Held against a run without keys (heard: the crash, the game over); a long
// flight through narrow passages that ends in a crash; a pause (P let go in
// 32, again in 46) in a steered flight that ends with Escape (heard: the hum
// while Up is held, the pause and the resume); a steered flight ended by
// Escape.
// Two players (Up, W) part: blue dies on the floor in 82, red in 160; four:
// yellow (I) on the ceiling in 61, blue 82, green (keypad 8) 95, red 216
// (heard: the four hums together, each crash and its player's rumble).
// clang-format off
const Case kCases[] = {
    {"fall", 0, {}, 0, {0, 14, 28}, 1, {}, true},
    {"steer", 1, {}, 1600, {0, 501, 502, 800, 1613}},
    {"pause", 2, {{30, "25"}, {31, "25"}, {45, "25"}, {70, "1"}}, 70, {0, 33, 40, 50, 71}, 1, {},
     true},
    {"escape", 3, {{40, "1"}}, 40, {0, 20, 41}},
    {"two_players", 4, {}, 0, {0, 40, 83, 160}, 2, {{200, 5, 3, 0, 161}, {17, 7, 4, 3, 161}}},
    {"four_players", 6, {}, 0, {0, 30, 62, 96, 216}, 4,
     {{200, 5, 3, 0, 217}, {17, 7, 4, 3, 217}, {23, 4, 3, 1, 217}, {72, 6, 4, 2, 217}}, true},
};
// clang-format on

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

const fs::path kReferences = fs::path(CAVE_SOURCE_DIR) / "tests/game/references";
const fs::path kRuns = fs::path(CAVE_BINARY_DIR) / "tests/references";

bool Updating() {
  const char* value = std::getenv("CAVE_UPDATE_REFERENCES");
  return value != nullptr && std::string(value) == "1";
}

std::vector<std::string> Lines(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Runs cave-replay; its standard output, line by line.
std::vector<std::string> Replay(const std::string& arguments, const fs::path& out) {
  std::string command =
      std::string(CAVE_BINARY_DIR) + "/bin/cave-replay " + arguments + " >" + out.string();
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return Lines(out);
}

// ---------------------------------------------------------------- traces
// The scalar fields of one trace line in order, named by their path
// ("ships.0.y", "tint.2").
std::vector<std::pair<std::string, std::string>> Fields(const std::string& line) {
  struct Level {
    std::string prefix;  // the path of the object or array, with a dot
    int index;           // the position in an array; -1 in an object
  };
  std::vector<std::pair<std::string, std::string>> fields;
  std::vector<Level> levels;
  std::string key, value;
  auto name = [&] {
    const Level& level = levels.back();
    return level.prefix + (level.index < 0 ? key : std::to_string(level.index));
  };
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == '"') {
      size_t end = std::min(line.find('"', i + 1), line.size());
      std::string text = line.substr(i + 1, end - i - 1);
      bool isKey = end + 1 < line.size() && line[end + 1] == ':';
      (isKey ? key : value) = text;
      i = isKey ? end + 1 : end;
    } else if (c == '{' || c == '[') {
      levels.push_back({levels.empty() ? "" : name() + ".", c == '[' ? 0 : -1});
    } else if ((c == ',' || c == '}' || c == ']') && !levels.empty()) {
      if (!value.empty()) fields.emplace_back(name(), value);
      value.clear();
      if (c != ',')
        levels.pop_back();
      else if (levels.back().index >= 0)
        ++levels.back().index;
    } else {
      value += c;
    }
  }
  return fields;
}

// The first difference between two traces: its snapshot and field.
std::string TraceDifference(const std::vector<std::string>& expected,
                            const std::vector<std::string>& actual) {
  for (size_t k = 0; k < std::max(expected.size(), actual.size()); ++k) {
    if (k >= expected.size()) return "the trace goes on past its end: " + actual[k];
    if (k >= actual.size()) return "the trace ends early, before: " + expected[k];
    if (expected[k] == actual[k]) continue;
    auto want = Fields(expected[k]), got = Fields(actual[k]);
    for (size_t f = 0; f < std::max(want.size(), got.size()); ++f) {
      if (f < want.size() && f < got.size() && want[f] == got[f]) continue;
      std::string snapshot = want.empty() ? "?" : want[0].second;
      std::string field = f < want.size() ? want[f].first : got[f].first;
      return "trace line " + std::to_string(k + 1) + " (snapshot " + snapshot + "), field " +
             field + ": expected " + (f < want.size() ? want[f].second : "nothing") + ", got " +
             (f < got.size() ? got[f].second : "nothing");
    }
    return "trace line " + std::to_string(k + 1) + ": expected " + expected[k] + ", got " +
           actual[k];
  }
  return "";
}

// ---------------------------------------------------------------- pictures
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // 0xRRGGBB
};

Picture ReadPpm(const fs::path& file) {
  Picture picture;
  std::ifstream in(file, std::ios::binary);
  std::string magic;
  int depth = 0;
  in >> magic >> picture.width >> picture.height >> depth;
  in.get();
  if (magic != "P6" || depth != 255 || picture.width <= 0 || picture.height <= 0) return {};
  std::vector<unsigned char> bytes(static_cast<size_t>(picture.width) * picture.height * 3);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!in) return {};
  for (size_t i = 0; i < bytes.size(); i += 3)
    picture.pixels.push_back(bytes[i] << 16 | bytes[i + 1] << 8 | bytes[i + 2]);
  return picture;
}

uint64_t Fnv(const uint32_t* pixels, size_t count) {
  uint64_t hash = 14695981039346656037u;
  for (size_t i = 0; i < count; ++i)
    for (int shift = 16; shift >= 0; shift -= 8)
      hash = (hash ^ ((pixels[i] >> shift) & 0xFF)) * 1099511628211u;
  return hash;
}

std::string Hex(uint64_t value, int digits) {
  char text[17];
  std::snprintf(text, sizeof text, "%0*llx", digits, static_cast<unsigned long long>(value));
  return text;
}

// Pictures of up to this many pixels are kept in full.
constexpr int kFullPixels = 1024;

// "WxH" then either every pixel or the hash of the whole and one per row.
std::string Describe(const Picture& picture) {
  std::string text = std::to_string(picture.width) + "x" + std::to_string(picture.height);
  if (picture.width * picture.height <= kFullPixels) {
    for (uint32_t pixel : picture.pixels) text += " " + Hex(pixel, 6);
    return text;
  }
  text += " " + Hex(Fnv(picture.pixels.data(), picture.pixels.size()), 16) + " ";
  for (int y = 0; y < picture.height; ++y)
    text += Hex(
        Fnv(&picture.pixels[static_cast<size_t>(y) * picture.width], picture.width) & 0xFFFFFFFF,
        8);
  return text;
}

// What differs between a picture and its description: the number of
// differing pixels (rows, for a hashed picture) and the first.
std::string PictureDifference(const std::string& expected, const Picture& actual) {
  std::string got = Describe(actual);
  if (got == expected) return "";
  std::istringstream words(expected);
  std::string size;
  words >> size;
  if (size != got.substr(0, got.find(' ')))
    return "size " + got.substr(0, got.find(' ')) + " instead of " + size;
  std::istringstream gotWords(got.substr(got.find(' ') + 1));
  int count = 0, first = -1;
  if (actual.width * actual.height <= kFullPixels) {
    std::string want, have;
    for (int i = 0; words >> want && gotWords >> have; ++i)
      if (want != have && count++ == 0) first = i;
    return std::to_string(count) + " pixels differ, the first at (" +
           std::to_string(first % actual.width) + ", " + std::to_string(first / actual.width) + ")";
  }
  std::string wantRows, haveRows;
  words >> wantRows >> wantRows;
  gotWords >> haveRows >> haveRows;
  for (int y = 0; y < actual.height; ++y)
    if (wantRows.compare(y * 8, 8, haveRows, y * 8, 8) != 0 && count++ == 0) first = y;
  return std::to_string(count) + " rows differ, the first is row " + std::to_string(first);
}

// ---------------------------------------------------------------- the cases
std::string InputText(const Case& c) {
  std::vector<std::string> lines;
  for (const auto& [snapshot, keys] : c.presses) {
    if (lines.size() <= static_cast<size_t>(snapshot)) lines.resize(snapshot + 1);
    lines[snapshot] = keys;
  }
  for (const Pulse& pulse : c.pulses) {
    lines.resize(std::max<size_t>(lines.size(), pulse.until));
    for (int k = 0; k < pulse.until; ++k)
      if ((k + pulse.phase) % pulse.period < pulse.held)
        lines[k] += (lines[k].empty() ? "" : " ") + std::to_string(pulse.key);
  }
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

struct PictureFile {
  std::string kind;
  int snapshot;
  fs::path file;
};

// Replays the case from its key file; the reference's lines as they come out.
std::vector<std::string> RunCase(const Case& c, const fs::path& keys, const fs::path& dir) {
  std::vector<PictureFile> pictures{{"ball", 0, dir / "ball_0.ppm"}};
  for (int k : c.pictures)
    for (const char* kind : {"cave", "shot"})
      pictures.push_back({kind, k, dir / (std::string(kind) + "_" + std::to_string(k) + ".ppm")});
  std::string arguments = "--tick " + std::to_string(c.tick) + " --input " + keys.string() +
                          " --trace " + (dir / "trace.jsonl").string();
  arguments += " --players " + std::to_string(c.players);
  if (c.heard)
    arguments +=
        " --sounds " + (dir / "sounds.jsonl").string() + " --audio " + (dir / "sound.wav").string();
  for (const PictureFile& p : pictures)
    arguments += " --" + p.kind + " " + std::to_string(p.snapshot) + ":" + p.file.string();
  std::vector<std::string> lines;
  for (const std::string& line : Replay(arguments, dir / "out.jsonl"))
    lines.push_back("out " + line);
  for (const std::string& line : Lines(dir / "trace.jsonl")) lines.push_back("trace " + line);
  for (const PictureFile& p : pictures)
    lines.push_back(p.kind + " " + std::to_string(p.snapshot) + " " + Describe(ReadPpm(p.file)));
  return lines;
}

// The kept sound of a case that is heard, as its last run made it: the
// --sounds lines, then "wav", the audio file's size and hash.
std::vector<std::string> Heard(const fs::path& dir) {
  std::vector<std::string> lines = Lines(dir / "sounds.jsonl");
  std::ifstream in(dir / "sound.wav", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  uint64_t hash = 14695981039346656037u;
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211u;
  lines.push_back("wav " + std::to_string(bytes.size()) + " " + Hex(hash, 16));
  return lines;
}

void MakeReference(const Case& c, const fs::path& dir) {
  fs::path keys = kReferences / (std::string(c.name) + ".keys");
  fs::path presses = dir / "presses.txt";
  std::ofstream(presses) << InputText(c);
  if (c.steerUntil > 0)
    Replay("--tick " + std::to_string(c.tick) + " --input " + presses.string() + " --steer " +
               std::to_string(c.steerUntil) + ":" + keys.string(),
           dir / "steer.jsonl");
  else
    fs::copy_file(presses, keys, fs::copy_options::overwrite_existing);
  std::ofstream out(kReferences / (std::string(c.name) + ".ref"));
  for (const std::string& line : RunCase(c, keys, dir)) out << line << "\n";
  if (!c.heard) return;
  std::ofstream sounds(kReferences / (std::string(c.name) + ".sounds"));
  for (const std::string& line : Heard(dir)) sounds << line << "\n";
}

class GameReference : public ::testing::TestWithParam<Case> {};

TEST_P(GameReference, ReplaysExactly) {
  const Case& c = GetParam();
  fs::path dir = kRuns / c.name;
  fs::create_directories(dir);
  if (Updating()) MakeReference(c, dir);
  std::vector<std::string> expected = Lines(kReferences / (std::string(c.name) + ".ref"));
  ASSERT_FALSE(expected.empty()) << "no reference for " << c.name;
  std::vector<std::string> actual = RunCase(c, kReferences / (std::string(c.name) + ".keys"), dir);

  // Standard output, then the trace, then each picture.
  auto part = [](const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& line : lines)
      if (line.rfind(prefix, 0) == 0) out.push_back(line.substr(prefix.size()));
    return out;
  };
  EXPECT_EQ(part(actual, "out "), part(expected, "out "));
  EXPECT_EQ(TraceDifference(part(expected, "trace "), part(actual, "trace ")), "");
  for (const std::string& line : expected) {
    if (line.rfind("out ", 0) == 0 || line.rfind("trace ", 0) == 0) continue;
    std::istringstream words(line);
    std::string kind, snapshot;
    words >> kind >> snapshot;
    fs::path file = dir / (kind + "_" + snapshot + ".ppm");
    std::string description = line.substr(kind.size() + snapshot.size() + 2);
    EXPECT_EQ(PictureDifference(description, ReadPpm(file)), "")
        << kind << " picture at snapshot " << snapshot << "; the actual picture is "
        << file.string();
  }
  if (!c.heard) return;
  std::vector<std::string> heard = Heard(dir);
  EXPECT_EQ(heard, Lines(kReferences / (std::string(c.name) + ".sounds")))
      << "the sound heard is in " << (dir / "sound.wav").string();
  // Each player's crash shakes their pad (for its 549 ms) in the frame after
  // which the trace first has their ship dead; never without a death.
  std::vector<std::string> trace = part(actual, "trace ");
  for (int player = 0; player < c.players; ++player) {
    std::string dead = "ships." + std::to_string(player) + ".dead";
    auto died = std::find_if(trace.begin(), trace.end(), [&](const std::string& line) {
      for (const auto& [name, value] : Fields(line))
        if (name == dead) return value == "1";
      return false;
    });
    std::string shaken = "[" + std::to_string(player + 1) + ",549]";
    auto shook = std::find_if(heard.begin(), heard.end(), [&](const std::string& line) {
      return line.find(shaken) != std::string::npos;
    });
    EXPECT_EQ(died == trace.end() ? heard.end() - heard.begin() : died - trace.begin() - 1,
              shook - heard.begin())
        << "the frame of player " << player + 1 << "'s crash";
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, GameReference, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
