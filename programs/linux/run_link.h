// Run links: a whole recorded game in a web address.
//
// A run link is the game's page address with the fragment `#run=` and the
// recording file's bytes, compressed as a raw DEFLATE stream (no zlib or gzip
// wrapper) and written in base64url without padding, so that the page and
// the programs read the same game from it:
//
//   https://cave.example/#run=7ZRBDoIwEEX3nIIL...
//
// A link is untrusted input: decoding refuses, with a one-line problem that
// begins "not a run link: ", anything but a well-formed recording of at most
// kRunLinkLimit bytes, and never inflates more than that.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace program {

// The most bytes a recording in a run link may have once inflated (1 MB).
constexpr size_t kRunLinkLimit = 1048576;

// "run=DATA" for the recording `text` (the fragment without its '#'),
// compressed as tightly as DEFLATE can; false with a problem when `text` is
// no well-formed recording or is larger than kRunLinkLimit.
bool EncodeRunLink(std::string_view text, std::string* fragment, std::string* problem);

// The recording text of a run link: a whole address with "#run=DATA", the
// fragment "#run=DATA" or "run=DATA". False with one of these problems:
//   not a run link: it has no 'run=' fragment
//   not a run link: bad base64url: character 17 is '%'
//   not a run link: bad base64url: character 40 is '=', padding, which run links leave out
//   not a run link: bad base64url: 41 characters, a length (4n+1) that no data has
//   not a run link: bad DEFLATE data: invalid block type
//   not a run link: bad DEFLATE data: the stream ends early
//   not a run link: bad DEFLATE data: bytes follow the end of the stream
//   not a run link: more than 1048576 bytes once inflated
//   not a run link: not a recording: line 3: '256' is not a scan code 0-255
bool DecodeRunLink(std::string_view link, std::string* text, std::string* problem);

// True when `argument` is written as a run link (it has "#run=" or begins
// with "run="), rather than naming a file.
bool LooksLikeRunLink(std::string_view argument);

}  // namespace program
