// The recording format: reading recordings, key lines and files.
#include <cstdio>

#include "runs/runs.h"
#include "runs/runs_internal.h"

namespace runs {
namespace {

using internal::kBox;
using internal::kExit;
using internal::kFormat;
using internal::kGhost;
using internal::kPlayers;
using internal::kTick;
using internal::kVersion;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The first word after "# " of a '#' line: "box" for "# box {...}".
std::string_view Keyword(std::string_view line) {
  if (!StartsWith(line, "# ")) return {};
  line.remove_prefix(2);
  return line.substr(0, line.find(' '));
}

// A decimal whole number up to `max`, digits only: no sign, no spaces.
bool Number(std::string_view text, uint64_t max, uint64_t* out) {
  if (text.empty()) return false;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > max) return false;
  }
  *out = value;
  return true;
}

// The exit code as RunProcess gives it: a 32-bit int, possibly negative.
bool ExitCode(std::string_view text, int* out) {
  bool negative = StartsWith(text, "-");
  if (negative) text.remove_prefix(1);
  uint64_t value = 0;
  if (!Number(text, negative ? 2147483648u : 2147483647u, &value)) return false;
  *out = static_cast<int>(negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value));
  return true;
}

// Reads the JSON text of one box: an object with exactly the string members
// "title" and "text", in either order. Strings hold bytes: escapes \" \\ \/
// \b \f \n \r \t and \u0001 to \u00ff, raw bytes from 0x20 up.
class BoxReader {
 public:
  explicit BoxReader(std::string_view json) : json_(json) {}

  bool Read(Box* box) {
    bool title = false, text = false;
    if (!Take('{')) return false;
    do {
      std::string name, value;
      if (!String(&name) || !Take(':') || !String(&value)) return false;
      if (name == "title" && !title) {
        box->title = value;
        title = true;
      } else if (name == "text" && !text) {
        box->text = value;
        text = true;
      } else {
        return false;
      }
    } while (Take(','));
    if (!Take('}')) return false;
    Space();
    return title && text && at_ == json_.size();
  }

 private:
  void Space() {
    while (at_ < json_.size() && (json_[at_] == ' ' || json_[at_] == '\t')) ++at_;
  }
  bool Take(char c) {
    Space();
    if (at_ >= json_.size() || json_[at_] != c) return false;
    ++at_;
    return true;
  }
  bool String(std::string* out) {
    if (!Take('"')) return false;
    while (at_ < json_.size()) {
      auto c = static_cast<unsigned char>(json_[at_++]);
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c != '\\') {
        *out += static_cast<char>(c);
        continue;
      }
      if (at_ >= json_.size()) return false;
      char escape = json_[at_++];
      static constexpr std::string_view kEscapes = "\"\\/bfnrt", kMeanings = "\"\\/\b\f\n\r\t";
      size_t known = kEscapes.find(escape);
      if (known != std::string_view::npos) {
        *out += kMeanings[known];
      } else if (escape == 'u' && json_.substr(at_, 2) == "00" && at_ + 4 <= json_.size()) {
        unsigned value = 0;
        for (char digit : json_.substr(at_ + 2, 2)) {
          size_t hex = std::string_view("0123456789abcdef").find(static_cast<char>(digit | 0x20));
          if (hex == std::string_view::npos) return false;
          value = value * 16 + static_cast<unsigned>(hex);
        }
        if (value == 0) return false;  // a message box text ends at its first zero byte
        *out += static_cast<char>(value);
        at_ += 4;
      } else {
        return false;
      }
    }
    return false;
  }

  std::string_view json_;
  size_t at_ = 0;
};

// Whether `line` is a line of a race's ghost: '#' and a digit.
bool IsGhostLine(std::string_view line) {
  return line.size() >= 2 && line[0] == kGhost && line[1] >= '0' && line[1] <= '9';
}

// A line of a race's ghost, "#N LINE", appended to ghost N's text; false
// with a problem. The race's header comes before, its snapshots after.
bool GhostLine(std::string_view line, Recording* recording, std::string* problem) {
  const size_t ghosts = recording->ghosts.size();
  const int ghost = line[1] - '0';
  const std::string_view rest = line.substr(2);
  if (ghost < 1 || ghost > kMaxGhosts || !(rest.empty() || rest[0] == ' ')) {
    *problem = "expected a ghost's line, '#N LINE' with N 1-" + std::to_string(kMaxGhosts);
  } else if (!rest.empty() && rest.back() == '\r') {
    // The race's line lost one carriage return already; one more would be
    // lost again each time the race is read back.
    *problem = "a ghost's line ends in a stray carriage return";
  } else if (!recording->snapshots.empty() || !recording->boxes.empty() || recording->ended) {
    *problem = "a ghost's line after the race's first snapshot";
  } else if (static_cast<size_t>(ghost) != ghosts && static_cast<size_t>(ghost) != ghosts + 1) {
    *problem = "ghost " + std::to_string(ghost) + "'s lines out of order: ghost 1's come first";
  } else {
    if (static_cast<size_t>(ghost) > ghosts) recording->ghosts.emplace_back();
    recording->ghosts.back().append(rest.substr(rest.empty() ? 0 : 1)).append("\n");
    return true;
  }
  return false;
}

std::string Line(int number, const std::string& problem) {
  return "line " + std::to_string(number) + ": " + problem;
}

}  // namespace

bool ParseKeys(std::string_view line, std::vector<uint8_t>* keys, std::string* problem) {
  keys->clear();
  size_t at = 0;
  while (at < line.size()) {
    if (line[at] == ' ' || line[at] == '\t') {
      ++at;
      continue;
    }
    size_t end = line.find_first_of(" \t", at);
    std::string_view word = line.substr(at, end == std::string_view::npos ? end : end - at);
    uint64_t code = 0;
    if (!Number(word, 255, &code)) {
      *problem = "'" + std::string(word) + "' is not a scan code 0-255";
      return false;
    }
    keys->push_back(static_cast<uint8_t>(code));
    at += word.size();
  }
  return true;
}

bool LooksLikeRecording(std::string_view text) { return StartsWith(text, "#"); }

bool ParseRecording(std::string_view text, Recording* recording, std::string* problem) {
  *recording = Recording{};
  enum class Part { kSnapshots, kBoxes, kEnded } part = Part::kSnapshots;
  int number = 0;
  // The two header lines are read even from a file too short to hold them,
  // so that their absence is named as such.
  while (!text.empty() || number < 2) {
    ++number;
    size_t newline = text.find('\n');
    if (newline == std::string_view::npos && !text.empty()) {
      *problem = Line(number, "the file ends in the middle of this line");
      return false;
    }
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    if (number == 1) {
      if (!StartsWith(line, kFormat)) {
        *problem = Line(number, "not a cave recording (it must begin with '" +
                                    std::string(kFormat) + std::string(kVersion) + "')");
        return false;
      }
      if (line.substr(kFormat.size()) != kVersion) {
        *problem = Line(number, "recording version '" + std::string(line.substr(kFormat.size())) +
                                    "' is not supported; this program reads version " +
                                    std::string(kVersion));
        return false;
      }
      continue;
    }
    uint64_t tick = 0;
    if (number == 2) {
      if (!StartsWith(line, kTick) || !Number(line.substr(kTick.size()), UINT32_MAX, &tick)) {
        *problem = Line(number, "expected the start tick, '# tick N' with N 0-4294967295");
        return false;
      }
      recording->tick = static_cast<uint32_t>(tick);
      continue;
    }
    std::string_view keyword = Keyword(line);
    if (keyword == "tick") {
      *problem = Line(number, "the start tick is given on line 2 only");
      return false;
    }
    if (keyword == "players") {
      if (number != 3) {
        *problem = Line(number, "the line-up is given on line 3 only, right after the start tick");
        return false;
      }
      // One digit, as it is written: one player's recording has no such line.
      std::string_view players = StartsWith(line, kPlayers) ? line.substr(kPlayers.size()) : "";
      if (players.size() != 1 || players[0] < '2' || players[0] > '0' + kMaxPlayers) {
        *problem = Line(
            number, "expected the line-up, '# players N' with N 2-" + std::to_string(kMaxPlayers));
        return false;
      }
      recording->players = players[0] - '0';
      continue;
    }
    if (IsGhostLine(line)) {
      std::string wrong;
      if (!GhostLine(line, recording, &wrong)) {
        *problem = Line(number, wrong);
        return false;
      }
      continue;
    }
    if (part == Part::kEnded && (!StartsWith(line, "#") || keyword == "box" || keyword == "exit")) {
      *problem = Line(number, "the recording goes on after its '# exit' line");
      return false;
    }
    if (keyword == "box") {
      Box box;
      if (!StartsWith(line, "# box ") || !BoxReader(line.substr(kBox.size() + 1)).Read(&box)) {
        *problem = Line(number, "expected '# box {\"title\":\"...\",\"text\":\"...\"}'");
        return false;
      }
      recording->boxes.push_back(std::move(box));
      part = Part::kBoxes;
    } else if (keyword == "exit") {
      if (!StartsWith(line, "# exit ") ||
          !ExitCode(line.substr(kExit.size() + 1), &recording->exitCode)) {
        *problem = Line(number, "expected '# exit N' with a whole number N");
        return false;
      }
      recording->ended = true;
      part = Part::kEnded;
    } else if (!StartsWith(line, "#")) {
      if (part != Part::kSnapshots) {
        *problem = Line(number, "a keyboard snapshot after a message box");
        return false;
      }
      std::vector<uint8_t> keys;
      std::string wrong;
      if (!ParseKeys(line, &keys, &wrong)) {
        *problem = Line(number, wrong);
        return false;
      }
      recording->snapshots.push_back(std::move(keys));
    }
  }
  return true;
}

bool ReadFile(const std::string& path, std::string* text, std::string* problem) {
  text->clear();
  std::FILE* in = std::fopen(path.c_str(), "rb");
  bool read = in != nullptr;
  char buffer[65536];
  size_t n = 0;
  while (read && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0) text->append(buffer, n);
  if (in != nullptr) {
    read = read && !std::ferror(in);
    std::fclose(in);
  }
  if (!read) *problem = "cannot read '" + path + "'";
  return read;
}

bool ReadRecording(const std::string& path, Recording* recording, std::string* problem) {
  std::string text, wrong;
  if (!ReadFile(path, &text, problem)) return false;
  if (ParseRecording(text, recording, &wrong)) return true;
  *problem = "'" + path + "' " + wrong;
  return false;
}

}  // namespace runs
