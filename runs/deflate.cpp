// Run links with zlib: the raw DEFLATE stream of a recording inflated, never
// past the limit, and made as tightly as DEFLATE can.
#include <zlib.h>

#include <algorithm>
#include <utility>

#include "runs/runs.h"

namespace runs {
namespace {

constexpr size_t kInflateStep = 65536;  // the inflated text grows by this much at most at a time

LinkRefusal Refusal(LinkRefusal::Kind kind, std::string detail = "") {
  return {kind, 0, 0, std::move(detail)};
}

}  // namespace

bool InflateRunLink(std::string_view deflated, std::string* text, LinkRefusal* refusal) {
  z_stream stream{};
  if (inflateInit2(&stream, -15) != Z_OK) {
    *refusal = Refusal(LinkRefusal::Kind::kCannotInflate);
    return false;
  }
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  stream.avail_in = static_cast<uInt>(deflated.size());
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
      *refusal = Refusal(LinkRefusal::Kind::kTooLarge);
      result = Z_MEM_ERROR;
    } else if (result == Z_BUF_ERROR) {  // all input read, and no end of the stream in it
      *refusal = Refusal(LinkRefusal::Kind::kBadDeflate, "the stream ends early");
    } else if (result == Z_DATA_ERROR) {
      *refusal = Refusal(LinkRefusal::Kind::kBadDeflate, stream.msg ? stream.msg : "unreadable");
    } else if (result == Z_STREAM_END && stream.avail_in != 0) {
      *refusal = Refusal(LinkRefusal::Kind::kBadDeflate, "bytes follow the end of the stream");
      result = Z_DATA_ERROR;
    } else if (result != Z_OK && result != Z_STREAM_END) {
      *refusal = Refusal(LinkRefusal::Kind::kCannotInflate);
    }
  }
  inflateEnd(&stream);
  return result == Z_STREAM_END;
}

bool DecodeRunLink(std::string_view link, Recording* recording, LinkRefusal* refusal,
                   std::string* text) {
  std::string deflated, inflated;
  bool read = RunLinkData(link, &deflated, refusal) &&
              InflateRunLink(deflated, &inflated, refusal) &&
              ReadLinkedRecording(inflated, recording, refusal);
  if (text != nullptr) *text = read ? std::move(inflated) : std::string();
  return read;
}

bool EncodeRunLink(std::string_view text, std::string* fragment, LinkRefusal* refusal) {
  if (!Linkable(text, refusal)) return false;
  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
    *refusal = Refusal(LinkRefusal::Kind::kCannotCompress);
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
    *refusal = Refusal(LinkRefusal::Kind::kCannotCompress);
    return false;
  }
  *fragment = LinkFragment(compressed);
  return true;
}

}  // namespace runs
