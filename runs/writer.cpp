// Writing recordings: their lines, and the writer that hands each line to
// its files and its memory as it is written.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "runs/runs.h"
#include "runs/runs_internal.h"

namespace runs {
namespace {

// A snapshot's line: the codes in their order, one space apart.
std::string KeysLine(const std::vector<uint8_t>& keys) {
  std::string line;
  for (uint8_t code : keys) {
    if (!line.empty()) line += ' ';
    line += std::to_string(code);
  }
  return line + "\n";
}

}  // namespace

// One player's recording has no line-up line: it stays as it always was.
std::string HeaderLines(uint32_t tick, int32_t players, const std::vector<std::string>& ghosts) {
  std::string lines = std::string(internal::kFormat) + std::string(internal::kVersion) + "\n" +
                      std::string(internal::kTick) + std::to_string(tick) + "\n";
  if (players >= 2 && players <= kMaxPlayers)
    lines += std::string(internal::kPlayers) + std::to_string(players) + "\n";
  for (size_t n = 0; n < ghosts.size() && n < kMaxGhosts; ++n) {
    const std::string prefix = internal::kGhost + std::to_string(n + 1) + " ";
    for (size_t start = 0, end; start < ghosts[n].size(); start = end + 1) {
      end = std::min(ghosts[n].find('\n', start), ghosts[n].size());
      lines += prefix + ghosts[n].substr(start, end - start) + "\n";
    }
  }
  return lines;
}

std::string LineUpCommandLine(int32_t players) {
  return players >= 2 && players <= kMaxPlayers ? "--players " + std::to_string(players) : "";
}

std::string SnapshotLine(const uint8_t state[256]) {
  std::vector<uint8_t> keys;
  for (int code = 0; code < 256; ++code)
    if (state[code] & 0x80) keys.push_back(static_cast<uint8_t>(code));
  return KeysLine(keys);
}

std::string BoxLine(const Box& box) {
  return std::string(internal::kBox) + " " + BoxJson(box) + "\n";
}

std::string ExitLine(int exitCode) {
  return std::string(internal::kExit) + " " + std::to_string(exitCode) + "\n";
}

std::string SignalLine(std::string_view signalName) {
  return "# signal " + std::string(signalName) + "\n";
}

std::string RecordingText(const Recording& recording) {
  std::string text = HeaderLines(recording.tick, recording.players, recording.ghosts);
  for (const std::vector<uint8_t>& keys : recording.snapshots) text += KeysLine(keys);
  for (const Box& box : recording.boxes) text += BoxLine(box);
  if (recording.ended) text += ExitLine(recording.exitCode);
  return text;
}

std::string BoxJson(const Box& box) {
  return "{\"title\":" + JsonString(box.title) + ",\"text\":" + JsonString(box.text) + "}";
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

RecordingWriter::RecordingWriter(Report report) : report_(std::move(report)) {}

RecordingWriter::~RecordingWriter() {
  for (File& file : files_)
    if (file.file != nullptr) std::fclose(file.file);
}

bool RecordingWriter::Open(const std::string& path, std::string* problem) {
  // "e": not inherited by the process of a message box.
  std::FILE* file = std::fopen(path.c_str(), "wbe");
  if (file == nullptr) {
    *problem = "cannot write the recording '" + path + "': " + std::strerror(errno);
    return false;
  }
  Add(file, path);
  return true;
}

void RecordingWriter::Add(std::FILE* file, const std::string& path) {
  files_.push_back({file, path});
}

void RecordingWriter::KeepText() { keepText_ = true; }

void RecordingWriter::WriteHeader(uint32_t tick, int32_t players,
                                  const std::vector<std::string>& ghosts) {
  Write(HeaderLines(tick, players, ghosts));
}

void RecordingWriter::WriteSnapshot(const uint8_t state[256]) {
  ++snapshots_;
  Write(SnapshotLine(state));
}

void RecordingWriter::WriteBox(const Box& box) { Write(BoxLine(box)); }

void RecordingWriter::WriteExit(int exitCode) { Write(ExitLine(exitCode)); }

void RecordingWriter::WriteSignal(std::string_view signalName) { Write(SignalLine(signalName)); }

// Every line goes to the system as it is written, which writes it to the disk
// in its own time: what the program showed outlives the program, not a crash
// of the whole system.
void RecordingWriter::Write(std::string_view line) {
  if (keepText_) text_ += line;
  for (File& file : files_) {
    if (file.failed || file.file == nullptr) continue;
    if (std::fwrite(line.data(), 1, line.size(), file.file) != line.size() ||
        std::fflush(file.file) != 0)
      Fail(file, errno);
  }
}

bool RecordingWriter::Close() {
  bool written = true;
  for (File& file : files_) {
    if (file.file != nullptr && std::fclose(file.file) != 0 && !file.failed) Fail(file, errno);
    file.file = nullptr;
    written = written && !file.failed;
  }
  return written;
}

bool RecordingWriter::Failed(const std::string& path) const {
  for (const File& file : files_)
    if (file.path == path && file.failed) return true;
  return false;
}

void RecordingWriter::Fail(File& file, int error) {
  file.failed = true;
  if (report_) report_(file.path, error);
}

}  // namespace runs
