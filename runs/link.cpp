// Run links without the compression: the fragment, base64url both ways, the
// recording read from the inflated text, what may be linked, and the words of
// every refusal.
#include <cstdio>

#include "runs/runs.h"

namespace runs {
namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr std::string_view kFragment = "run=";
constexpr std::string_view kMarker = "#run=";

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

bool FromBase64Url(std::string_view text, std::string* bytes, LinkRefusal* refusal) {
  if (text.size() % 4 == 1) {
    *refusal = {LinkRefusal::Kind::kBase64Length, text.size(), 0, ""};
    return false;
  }
  bytes->clear();
  bytes->reserve(text.size() * 3 / 4);
  uint32_t bits = 0;
  int held = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t value = kAlphabet.find(text[i]);
    if (value == std::string_view::npos) {
      *refusal = {LinkRefusal::Kind::kBase64Character, i + 1, text[i], ""};
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

}  // namespace

std::string RefusalLine(const LinkRefusal& refusal) {
  using Kind = LinkRefusal::Kind;
  switch (refusal.kind) {
    case Kind::kNone:
      return "";
    case Kind::kNoFragment:
      return "it has no 'run=' fragment";
    case Kind::kBase64Length:
      return "bad base64url: " + std::to_string(refusal.count) +
             " characters, a length (4n+1) that no data has";
    case Kind::kBase64Character:
      return "bad base64url: character " + std::to_string(refusal.count) + " is '" +
             Shown(refusal.character) + "'" +
             (refusal.character == '=' ? ", padding, which run links leave out" : "");
    case Kind::kBadDeflate:
      return "bad DEFLATE data" + (refusal.detail.empty() ? "" : ": " + refusal.detail);
    case Kind::kTooLarge:
      return "more than " + std::to_string(kRunLinkLimit) + " bytes once inflated";
    case Kind::kNotARecording:
      return "not a recording: " + refusal.detail;
    case Kind::kTooLargeToLink:
      return std::to_string(refusal.count) + " bytes, more than a run link holds (" +
             std::to_string(kRunLinkLimit) + ")";
    case Kind::kCannotInflate:
      return "cannot inflate: out of memory";
    case Kind::kCannotCompress:
      return "cannot compress: out of memory";
  }
  return "";
}

bool LooksLikeRunLink(std::string_view argument) {
  return argument.find(kMarker) != std::string_view::npos ||
         argument.substr(0, kFragment.size()) == kFragment;
}

bool RunLinkData(std::string_view link, std::string* deflated, LinkRefusal* refusal) {
  size_t hash = link.find(kMarker);
  std::string_view data = hash != std::string_view::npos ? link.substr(hash + 1) : link;
  if (data.substr(0, kFragment.size()) != kFragment) {
    *refusal = {LinkRefusal::Kind::kNoFragment, 0, 0, ""};
    return false;
  }
  return FromBase64Url(data.substr(kFragment.size()), deflated, refusal);
}

bool ReadLinkedRecording(std::string_view text, Recording* recording, LinkRefusal* refusal) {
  std::string problem;
  if (ParseRecording(text, recording, &problem)) return true;
  *refusal = {LinkRefusal::Kind::kNotARecording, 0, 0, problem};
  return false;
}

bool Linkable(std::string_view text, LinkRefusal* refusal) {
  Recording read;
  if (!ReadLinkedRecording(text, &read, refusal)) return false;
  if (text.size() <= kRunLinkLimit) return true;
  *refusal = {LinkRefusal::Kind::kTooLargeToLink, text.size(), 0, ""};
  return false;
}

std::string LinkFragment(std::string_view deflated) {
  return std::string(kFragment) + Base64Url(deflated);
}

}  // namespace runs
