// Run links: base64url over raw DEFLATE over the recording's bytes.
#include "programs/linux/run_link.h"

#include <zlib.h>

#include <cstdio>

#include "platform/hosted/display/recording/recording.h"

namespace program {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr std::string_view kFragment = "run=";
constexpr size_t kInflateStep = 65536;  // the inflated text grows by this much at most at a time

std::string Base64Url(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() * 4 + 2) / 3);
  uint32_t bits = 0;
  int held = 0;
  for (unsigned char byte : bytes) {
    bits = (bits << 8) | byte;
    held += 8;
    while (held >= 6) {
      held -= 6;
      out += kAlphabet[(bits >> held) & 63];
    }
  }
  if (held > 0) out += kAlphabet[(bits << (6 - held)) & 63];
  return out;
}

// The character as it can be shown on one line.
std::string Shown(char c) {
  auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x20 && byte < 0x7f) return std::string(1, c);
  char escaped[8];
  std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
  return escaped;
}

bool FromBase64Url(std::string_view text, std::string* bytes, std::string* problem) {
  if (text.size() % 4 == 1) {
    *problem = "bad base64url: " + std::to_string(text.size()) +
               " characters, a length (4n+1) that no data has";
    return false;
  }
  bytes->clear();
  bytes->reserve(text.size() * 3 / 4);
  uint32_t bits = 0;
  int held = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t value = kAlphabet.find(text[i]);
    if (value == std::string_view::npos) {
      *problem = "bad base64url: character " + std::to_string(i + 1) + " is '" + Shown(text[i]) +
                 "'" + (text[i] == '=' ? ", padding, which run links leave out" : "");
      return false;
    }
    bits = (bits << 6) | static_cast<uint32_t>(value);
    held += 6;
    if (held >= 8) {
      held -= 8;
      *bytes += static_cast<char>((bits >> held) & 0xff);
    }
  }
  return true;
}

// Inflates `compressed` into `text`, which never grows beyond kRunLinkLimit.
bool Inflate(std::string_view compressed, std::string* text, std::string* problem) {
  z_stream stream{};
  if (inflateInit2(&stream, -15) != Z_OK) {
    *problem = "cannot inflate: out of memory";
    return false;
  }
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
  stream.avail_in = static_cast<uInt>(compressed.size());
  text->clear();
  int result = Z_OK;
  while (result == Z_OK) {
    size_t have = text->size();
    char spare = 0;  // past the limit, room for the one byte that shows the text is too large
    bool full = have == kRunLinkLimit;
    if (!full) text->resize(std::min(have + kInflateStep, kRunLinkLimit));
    stream.next_out = reinterpret_cast<Bytef*>(full ? &spare : text->data() + have);
    stream.avail_out = static_cast<uInt>(full ? 1 : text->size() - have);
    result = inflate(&stream, Z_NO_FLUSH);
    if (!full) text->resize(text->size() - stream.avail_out);
    if (full && stream.avail_out == 0) {
      *problem = "more than " + std::to_string(kRunLinkLimit) + " bytes once inflated";
      result = Z_MEM_ERROR;
    } else if (result == Z_BUF_ERROR) {  // all input read, and no end of the stream in it
      *problem = "bad DEFLATE data: the stream ends early";
    } else if (result == Z_DATA_ERROR) {
      *problem = std::string("bad DEFLATE data: ") + (stream.msg ? stream.msg : "unreadable");
    } else if (result == Z_STREAM_END && stream.avail_in != 0) {
      *problem = "bad DEFLATE data: bytes follow the end of the stream";
      result = Z_DATA_ERROR;
    } else if (result != Z_OK && result != Z_STREAM_END) {
      *problem = "cannot inflate: out of memory";
    }
  }
  inflateEnd(&stream);
  return result == Z_STREAM_END;
}

}  // namespace

bool EncodeRunLink(std::string_view text, std::string* fragment, std::string* problem) {
  recording::Recording read;
  if (!recording::ParseRecording(text, &read, problem)) {
    *problem = "not a recording: " + *problem;
    return false;
  }
  if (text.size() > kRunLinkLimit) {
    *problem = std::to_string(text.size()) + " bytes, more than a run link holds (" +
               std::to_string(kRunLinkLimit) + ")";
    return false;
  }
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
    *problem = "cannot compress: out of memory";
    return false;
  }
  std::string compressed(deflateBound(&stream, static_cast<uLong>(text.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(compressed.data());
  stream.avail_out = static_cast<uInt>(compressed.size());
  // deflateBound's room is enough for one call to finish the stream.
  bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
  compressed.resize(stream.total_out);
  deflateEnd(&stream);
  if (!done) {
    *problem = "cannot compress: out of memory";
    return false;
  }
  *fragment = std::string(kFragment) + Base64Url(compressed);
  return true;
}

bool LooksLikeRunLink(std::string_view argument) {
  return argument.find("#run=") != std::string_view::npos || argument.substr(0, 4) == kFragment;
}

bool DecodeRunLink(std::string_view link, std::string* text, std::string* problem) {
  size_t hash = link.find("#run=");
  std::string_view data = hash != std::string_view::npos ? link.substr(hash + 1) : link;
  std::string compressed;
  recording::Recording read;
  bool good = false;
  if (data.substr(0, kFragment.size()) != kFragment) {
    *problem = "it has no 'run=' fragment";
  } else if (FromBase64Url(data.substr(kFragment.size()), &compressed, problem) &&
             Inflate(compressed, text, problem)) {
    good = recording::ParseRecording(*text, &read, problem);
    if (!good) *problem = "not a recording: " + *problem;
  }
  if (!good) {
    *problem = "not a run link: " + *problem;
    text->clear();
  }
  return good;
}

}  // namespace program
