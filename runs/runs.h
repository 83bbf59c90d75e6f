// Runs: what a recorded game is, for every program, tool and page that reads,
// writes, checks, links or keeps one. A leaf: text, bytes and numbers only,
// nothing of the game, the platform or a display. Run links are inflated and
// compressed with zlib where the library is built with it (everywhere but the
// web build, whose page has the browser's DEFLATE streams).
//
// ---- Recordings
// The start tick and the keys down at each keyboard snapshot decide a whole
// game, so a recording holds exactly those, and how the game ended:
//
//   # cave recording 1
//   # tick 123456
//   # players 2                the line-up, for two to four players only
//   200 17                     one line per keyboard snapshot: the scan codes
//                              down, ascending, separated by one space (an
//   200                        empty line when no key is down)
//   # box {"title":"Game Over!","text":"Spielstand:\n\nPlayer 1: 5 Punkte\n"}
//   # exit 0
//
// The first line names the format and its version, the second the start
// tick; a game of several players says how many on the third (every
// player's key is in the snapshots; a recording without the line is one
// player's, and one player's never has it). A race (a game flown beside the
// ghosts of recorded games) then holds each ghost's whole recording, every
// line of ghost n's prefixed with "#n " (n from 1 to kMaxGhosts, ghost 1's
// lines first), so that it replays exactly; a reader that knows nothing of
// ghosts takes those lines for comments. The prefix is kept that short for
// run links: with a longer one, a race's link would be longer than the links
// of its games together.
//
//   #1 # cave recording 1
//   #1 # tick 123456
//   #1 200
//   #1 # box {"title":"Game Over!","text":"Spielstand:\n\nPlayer 1: 5 Punkte\n"}
//   #1 # exit 0
//
// Then come the snapshots, then one `# box` line per
// message box shown (JSON, as cave-replay prints boxes), then `# exit` with the exit code. A
// recording of a game that was interrupted simply stops after its last
// snapshot, or box, perhaps with a comment that says why (`# signal
// SIGTERM`). Lines that start with '#' are never snapshots: any other than
// these are comments. Every line ends with a newline (a carriage return
// before it is allowed). The same scan-code lines without the two header
// lines are the key files that cave-replay --input has always read.
//
// ---- Writing a recording as the game is played
// A RecordingWriter writes one recording, line by line, into any number of
// files and, on request, into memory. Each line goes to the system as soon
// as it is written (one write and flush per line, without waiting for the
// disk), so that a program that is killed loses at most the snapshot in
// progress. Each file fails on its own: its first failed write or close is
// reported once, and nothing more is written to it (the lines after a lost
// one would replay another game), while the others go on.
//
// ---- Checking a recording
// A check replays a recording and compares what the game did (Replayed) with
// what was recorded: it must end where the recording ends, with the same
// boxes and exit code; of a recording without an end only what it holds is
// compared. The Verdict is data; VerdictLine words it as the page says it.
//
// ---- Run links
// A run link is the game's page address with the fragment `#run=` and the
// recording file's bytes, compressed as a raw DEFLATE stream (no zlib or gzip
// wrapper) and written in base64url without padding:
//
//   https://cave.example/#run=7ZRBDoIwEEX3nIIL...
//
// A link is untrusted input. Reading one goes in three steps, so that a page
// that inflates with the browser's streams takes the first and the last from
// here: the link to its DEFLATE bytes, the bytes inflated to at most
// kRunLinkLimit, the text read as a recording. A refusal is data
// (LinkRefusal), worded by RefusalLine:
//   it has no 'run=' fragment
//   bad base64url: character 17 is '%'
//   bad base64url: character 40 is '=', padding, which run links leave out
//   bad base64url: 41 characters, a length (4n+1) that no data has
//   bad DEFLATE data: invalid block type           (zlib's words; the page has none)
//   bad DEFLATE data: the stream ends early
//   bad DEFLATE data: bytes follow the end of the stream
//   more than 1048576 bytes once inflated
//   not a recording: line 3: '256' is not a scan code 0-255
//
// ---- Run names and what is kept
// A kept run is named by the time its game started, in UTC, to the
// millisecond: 20261209-051530-123.rec, with a letter b to z before ".rec"
// when a name is taken, so that the names sort by time. Of the runs kept, the
// best kKeepBest by score and the latest kKeepLatest stay, the others go; a
// run's score is the best player's score line of its recording's last box,
// and a run without one (ended by Escape or a signal) counts only among the
// latest. Each line-up size keeps its own best kKeepBest; the latest
// kKeepLatest are those of all line-ups together.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace runs {

// ---------------------------------------------------------------- recordings

struct Box {
  std::string title;
  std::string text;
  bool operator==(const Box&) const = default;
};

// How many players a game may have, and how many ghosts a race.
constexpr int32_t kMaxPlayers = 4;
constexpr int32_t kMaxGhosts = 3;

struct Recording {
  uint32_t tick = 0;
  int32_t players = 1;                          // the line-up, 1 to kMaxPlayers
  std::vector<std::string> ghosts;              // a race's: each ghost's recording, as text
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

// The lines of a recording, each with its newline. The header names the
// line-up only for several players (`players` outside 2 to kMaxPlayers is
// one player), and holds a race's `ghosts`' recordings (each a text of whole
// lines; those past kMaxGhosts are left out).
std::string HeaderLines(uint32_t tick, int32_t players = 1,
                        const std::vector<std::string>& ghosts = {});
std::string SnapshotLine(const uint8_t state[256]);  // the keys with bit 7 set
std::string BoxLine(const Box& box);
std::string ExitLine(int exitCode);
std::string SignalLine(std::string_view signalName);  // "# signal SIGTERM": a comment
// A whole recording as text; ParseRecording reads it back unchanged.
std::string RecordingText(const Recording& recording);

// The command line that hands the game the line-up `players`, as the
// game's process entry reads it: "--players N" for 2 to kMaxPlayers, ""
// for one player (and any other number).
std::string LineUpCommandLine(int32_t players);

// The box as the JSON object {"title":...,"text":...}, as recordings and
// cave-replay's output hold it; `text` as a JSON string.
std::string BoxJson(const Box& box);
std::string JsonString(std::string_view text);

// ---------------------------------------------------------------- writing

class RecordingWriter {
 public:
  // Learns of a file's first failed write or close: its path and the error
  // number.
  using Report = std::function<void(const std::string& path, int error)>;

  explicit RecordingWriter(Report report = nullptr);
  ~RecordingWriter();  // closes the files still open, without a report
  RecordingWriter(const RecordingWriter&) = delete;
  RecordingWriter& operator=(const RecordingWriter&) = delete;

  // ---- destinations, before the first line
  // Creates the file `path`, or makes it empty, and writes into it; false with
  // "cannot write the recording 'PATH': <the system's reason>" otherwise.
  bool Open(const std::string& path, std::string* problem);
  // Writes into `file`, open for writing, from now on; closes it at the end.
  void Add(std::FILE* file, const std::string& path);
  // Gathers the recording in memory as well (Text).
  void KeepText();
  // True when it writes nowhere.
  bool Empty() const { return files_.empty() && !keepText_; }

  // ---- the lines, in the order of the format
  void WriteHeader(uint32_t tick, int32_t players = 1, const std::vector<std::string>& ghosts = {});
  void WriteSnapshot(const uint8_t state[256]);  // the keys with bit 7 set
  void WriteBox(const Box& box);
  void WriteExit(int exitCode);
  void WriteSignal(std::string_view signalName);

  // Closes every file; a close that fails is reported as a failed write.
  // False when a write to any file, or its close, failed.
  bool Close();
  // True when a write to `path`, or its close, failed.
  bool Failed(const std::string& path) const;
  // The keyboard snapshots written so far.
  size_t Snapshots() const { return snapshots_; }
  // The recording gathered in memory (KeepText).
  const std::string& Text() const { return text_; }

 private:
  struct File {
    std::FILE* file;
    std::string path;
    bool failed = false;
  };
  void Write(std::string_view line);
  void Fail(File& file, int error);

  Report report_;
  std::vector<File> files_;
  bool keepText_ = false;
  std::string text_;
  size_t snapshots_ = 0;
};

// ---------------------------------------------------------------- checking

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

// One "Player N: P Punkte" line of a game's last box, and its P.
struct PlayerScore {
  int points = 0;
  std::string line;
  bool operator==(const PlayerScore&) const = default;
};
// Every player's score in a recorded game: the "Player N: P Punkte" lines of
// its last box, in order; none for a game ended by Escape or interrupted.
std::vector<PlayerScore> Scores(const Recording& recording);
// The score of a recorded game, which ranks it: the best of Scores (the
// first of equals), and its P; false when it has none.
bool Score(const Recording& recording, int* points, std::string* line);
// A race's ghosts' scores: the "Ghost N: P Punkte" lines of its last box,
// which lists every ghost after the players with the score its own game
// ended with.
std::vector<PlayerScore> GhostScores(const Recording& recording);

// What a check found: the run verified, not verified (`detail`: the first
// difference), or no recording at all (`detail`: what is wrong with the
// text); and what the recording says of itself (nothing for no recording).
struct Verdict {
  enum class Kind { kVerified, kNotVerified, kNotARecording };
  Kind kind = Kind::kNotARecording;
  std::string detail;
  bool scored = false;  // it has a score line (Score)
  int points = 0;       // the best player's
  std::string scoreLine;
  std::vector<PlayerScore> scores;  // every player's (Scores)
  std::vector<PlayerScore> ghosts;  // a race's ghosts' (GhostScores)
  bool ended = false;               // its end is recorded
  size_t snapshots = 0;             // the recording's
};

// The verdict on `recorded` from the replay `replayed`.
Verdict Judge(const Recording& recorded, const Replayed& replayed);
// The verdict on a text that is no recording, for the reason `problem`.
Verdict NotARecording(std::string problem);
// The verdict as one line of printable ASCII, as the page says it: "Verified:
// Player 1: 323 Punkte" (with several players every score: "Verified:
// Player 1: 12 Punkte, Player 2: 30 Punkte"; a race compares the best
// player's points with each ghost's: "Verified: Player 1: 341 Punkte, beating
// the ghost's 323", or "behind", or "level with"; with several ghosts
// "..., beating ghost 1's 323, behind ghost 2's 400"), "Verified: no score
// (ended after 29 snapshots)" (or
// "interrupted after"), "Not verified: box 2 {...} was not shown", "Not a
// recording: line 3: ..."; bytes of the untrusted text outside ASCII's
// printable range become '?', and a detail past 200 characters is cut ("...").
std::string VerdictLine(const Verdict& verdict);
// The verdict as a JSON object, for a page to decide by its kind and show its
// line: {"kind":"verified","line":"Verified: Player 1: 323 Punkte",
// "scored":true,"points":323,"ended":true,"snapshots":2117}, the kind one of
// "verified", "not verified" and "not a recording", the line VerdictLine's.
std::string VerdictJson(const Verdict& verdict);

// ---------------------------------------------------------------- run links

// The most bytes a recording in a run link may have once inflated (1 MB).
constexpr size_t kRunLinkLimit = 1048576;

// Why a run link was refused, or why none was made. `count` and `character`
// are what the kinds below name; `detail` is zlib's words on bad DEFLATE data
// (empty when the inflater gives none) or ParseRecording's problem.
struct LinkRefusal {
  enum class Kind {
    kNone,
    kNoFragment,       // neither "#run=" nor a leading "run="
    kBase64Length,     // `count` characters, a length that no data has
    kBase64Character,  // character number `count` (from 1) is `character`
    kBadDeflate,
    kTooLarge,        // more than kRunLinkLimit bytes once inflated
    kNotARecording,   // what it holds is no well-formed recording
    kTooLargeToLink,  // a recording of `count` bytes, more than a link holds
    kCannotInflate,   // out of memory
    kCannotCompress,  // out of memory
  };
  Kind kind = Kind::kNone;
  size_t count = 0;
  char character = 0;
  std::string detail;
};

// The refusal as one line, as listed at the top ("" for kNone). The Linux
// program says "not a run link: " before it.
std::string RefusalLine(const LinkRefusal& refusal);

// True when `argument` is written as a run link (it has "#run=" or begins
// with "run="), rather than naming a file.
bool LooksLikeRunLink(std::string_view argument);

// Step 1: the DEFLATE bytes of a run link, a whole address with "#run=DATA",
// the fragment "#run=DATA" or "run=DATA"; false with kNoFragment or a
// base64url refusal.
bool RunLinkData(std::string_view link, std::string* deflated, LinkRefusal* refusal);
// Step 2 (zlib): the raw DEFLATE stream `deflated` inflated into `text`,
// which never grows past kRunLinkLimit; false with kBadDeflate, kTooLarge or
// kCannotInflate.
bool InflateRunLink(std::string_view deflated, std::string* text, LinkRefusal* refusal);
// Step 3: the inflated text read as a recording; false with kNotARecording.
bool ReadLinkedRecording(std::string_view text, Recording* recording, LinkRefusal* refusal);
// The three steps (zlib): the recording a run link holds, and its text when
// `text` is given (empty when refused).
bool DecodeRunLink(std::string_view link, Recording* recording, LinkRefusal* refusal,
                   std::string* text = nullptr);

// Whether the recording `text` may go into a run link, before it is
// compressed: false with kNotARecording, or kTooLargeToLink past
// kRunLinkLimit bytes.
bool Linkable(std::string_view text, LinkRefusal* refusal);
// "run=" and the base64url of `deflated` (the fragment without its '#'), for
// a page that compresses with the browser's streams.
std::string LinkFragment(std::string_view deflated);
// (zlib) The fragment "run=DATA" of the recording `text`, compressed as
// tightly as DEFLATE can; false with Linkable's refusal (or kCannotCompress).
bool EncodeRunLink(std::string_view text, std::string* fragment, LinkRefusal* refusal);

// ---------------------------------------------------------------- kept runs

constexpr size_t kKeepBest = 20;
constexpr size_t kKeepLatest = 20;

// The run name for a game started at `millisecondsSince1970` (UTC), with the
// letter `suffix` when not 0; and the start in seconds that a run name gives
// (false for other names).
std::string RunName(int64_t millisecondsSince1970, char suffix = 0);
bool RunStart(std::string_view name, int64_t* secondsSince1970);

// A kept run as the keep policy sees it: `ageOrder` is larger for a newer
// run (no two alike), `points` counts when `scored`, `players` is its
// line-up.
struct RunRank {
  int64_t ageOrder = 0;
  bool scored = false;
  int points = 0;
  int32_t players = 1;
};
// The indices of the runs of `runs` that have a score, best first: more
// points (the best player's), then the earlier, whatever their line-ups.
std::vector<size_t> BestRuns(const std::vector<RunRank>& runs);
// The indices of `runs`, ascending, that are among neither the best
// kKeepBest of their line-up size (BestRuns among them) nor the latest
// kKeepLatest of all.
std::vector<size_t> RunsToDrop(const std::vector<RunRank>& runs);

}  // namespace runs
