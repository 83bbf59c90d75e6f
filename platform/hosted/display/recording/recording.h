// Recordings of games: the text format, read and written.
//
// The start tick and the keys down at each keyboard snapshot decide a whole
// game, so a recording holds exactly those, and how the game ended:
//
//   # cave recording 1
//   # tick 123456
//   200                        one line per keyboard snapshot: the scan codes
//                              down, ascending, separated by one space (an
//   200                        empty line when no key is down)
//   # box {"title":"Game Over!","text":"Spielstand:\n\nPlayer 1: 5 Punkte\n"}
//   # exit 0
//
// The first line names the format and its version, the second the start
// tick; then come the snapshots, then one `# box` line per message box shown
// (JSON, as cave-replay prints boxes), then `# exit` with the exit code. A
// recording of a game that was interrupted simply stops after its last
// snapshot, or box, perhaps with a comment that says why (`# signal
// SIGTERM`). Lines that start with '#' are never snapshots: any other than
// these are comments. Every line ends with a newline (a carriage return
// before it is allowed).
//
// The same scan-code lines without the two header lines are the key files
// that cave-replay --input has always read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace recording {

struct Box {
  std::string title;
  std::string text;
  bool operator==(const Box&) const = default;
};

struct Recording {
  uint32_t tick = 0;
  std::vector<std::vector<uint8_t>> snapshots;  // the scan codes down, per snapshot
  std::vector<Box> boxes;
  bool ended = false;  // the game's end is recorded (`# exit`); false for an interrupted game
  int exitCode = 0;
  bool operator==(const Recording&) const = default;
};

// Reads a recording; false with a one-line `problem` naming the line ("line 3:
// '256' is not a scan code 0-255") when the text is not a well-formed one.
bool ParseRecording(std::string_view text, Recording* recording, std::string* problem);

// True when `text` should be read as a recording rather than a plain key file:
// its first line starts with '#', which a key file never has.
bool LooksLikeRecording(std::string_view text);

// One line of a key file or recording (without its newline): the scan codes
// 0-255 it names, in its order; false with a `problem` (without line number).
bool ParseKeys(std::string_view line, std::vector<uint8_t>* keys, std::string* problem);

// The whole file `path` into `text`; false with a problem naming the file.
bool ReadFile(const std::string& path, std::string* text, std::string* problem);
// The recording in the file `path`; false with a one-line problem naming the
// file, and the line when it is not a well-formed recording.
bool ReadRecording(const std::string& path, Recording* recording, std::string* problem);

// The lines of a recording, each with its newline.
std::string HeaderLines(uint32_t tick);
std::string SnapshotLine(const uint8_t state[256]);  // the keys with bit 7 set
std::string BoxLine(const Box& box);
std::string ExitLine(int exitCode);
std::string SignalLine(std::string_view signalName);  // "# signal SIGTERM": a comment
// A whole recording as text; ParseRecording reads it back unchanged.
std::string RecordingText(const Recording& recording);

// The box as the JSON object {"title":...,"text":...}, as recordings and
// cave-replay's output hold it; `text` as a JSON string.
std::string BoxJson(const Box& box);
std::string JsonString(std::string_view text);

// What a replay of a recording came to: the boxes it showed, the snapshots
// taken before its first box, all the snapshots it took and its exit code.
struct Replayed {
  std::vector<Box> boxes;
  int firstBoxSnapshot = -1;
  int snapshots = 0;
  int exitCode = 0;
};

// The first way in which `replayed` differs from `recorded`, in the order of
// the game: it ended before the recording's last snapshot, it went on after
// it, a box differs or is missing or extra, or the exit code differs; "" when
// they agree. Of a recording without an end (an interrupted game) only the
// boxes shown up to its last snapshot are compared.
std::string FirstDifference(const Recording& recorded, const Replayed& replayed);

// The score of a recorded game: the first "Player N: P Punkte" line of its
// last box, and P; false when it has no such line (a game ended by Escape or
// interrupted).
bool Score(const Recording& recording, int* points, std::string* line);

}  // namespace recording
