// Run links and kept runs: a link read back to the same recording and every
// kind of bad link refused with its line; which kept runs the policy drops.
#include "runs/runs.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// "run=" and the base64url of the raw DEFLATE of `bytes`, made here, for
// links that EncodeRunLink would refuse to make.
std::string RawLink(const std::string& bytes, size_t cut = 0, const std::string& after = "") {
  z_stream stream{};
  deflateInit2(&stream, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, bytes.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
  stream.avail_in = static_cast<uInt>(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out - cut);
  deflateEnd(&stream);
  out += after;
  std::string link = "run=";
  for (size_t bit = 0; bit < out.size() * 8; bit += 6) {
    unsigned value = 0;
    for (size_t b = bit; b < bit + 6; ++b)
      value = value * 2 + (b / 8 < out.size() && (out[b / 8] >> (7 - b % 8) & 1));
    link += "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"[value];
  }
  return link;
}

// A recording of `size` bytes: the header, then empty snapshots.
std::string RecordingOfSize(size_t size) {
  std::string text = "# cave recording 1\n# tick 7\n";
  return text + std::string(size - text.size(), '\n');
}

TEST(RunLink, AKeptRecordingComesBackFromEveryFormOfItsLink) {
  std::string text, problem, fragment, decoded;
  runs::Recording kept, linked;
  runs::LinkRefusal refusal;
  ASSERT_TRUE(runs::ReadFile(CAVE_SOURCE_DIR "/tests/recordings/steered.rec", &text, &problem));
  ASSERT_TRUE(runs::ParseRecording(text, &kept, &problem)) << problem;
  ASSERT_TRUE(runs::EncodeRunLink(text, &fragment, &refusal)) << runs::RefusalLine(refusal);
  EXPECT_EQ(fragment.find_first_not_of("run=ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                       "0123456789-_"),
            std::string::npos);
  for (std::string link : {fragment, "#" + fragment, "https://cave.example/?tick=1#" + fragment}) {
    ASSERT_TRUE(runs::DecodeRunLink(link, &linked, &refusal, &decoded))
        << runs::RefusalLine(refusal);
    EXPECT_EQ(decoded, text);
    EXPECT_EQ(linked, kept);
  }
  // What another DEFLATE (Python's zlib) made of a small recording.
  ASSERT_TRUE(runs::DecodeRunLink(
      "#run="
      "DcwxCgIxEEbhPqf4nW0tsoIIuYClC7ZpYnaQYeOsxHGJiHc35fuKNyCnjVE5r3UWvWN0A0zygpM7eO963daGL5lYYQp"
      "0Tg_GZeO6oz0ZN-t2fQqXlyWdQ9SoU0kfrhgDjpjeuhhHpV8_cRODd38",
      &linked, &refusal, &decoded));
  EXPECT_EQ(decoded,
            "# cave recording 1\n# tick 7\n200\n\n# box {\"title\":\"Game Over!\",\"text\":"
            "\"Spielstand:\\n\\nPlayer 1: 5 Punkte\\n\"}\n# exit 0\n");
  // The largest recording a link may hold.
  ASSERT_TRUE(runs::EncodeRunLink(RecordingOfSize(runs::kRunLinkLimit), &fragment, &refusal));
  EXPECT_TRUE(runs::DecodeRunLink(fragment, &linked, &refusal)) << runs::RefusalLine(refusal);
}

TEST(RunLink, BadLinksAndRecordingsAreRefusedWithTheirProblem) {
  const std::string small = "# cave recording 1\n# tick 7\n200\n# exit 0\n";
  const struct {
    std::string link;
    const char* problem;
  } cases[] = {
      {"https://cave.example/#tick=5", "it has no 'run=' fragment"},
      {"rum=AAAA", "it has no 'run=' fragment"},
      {"run=AB%C", "bad base64url: character 3 is '%'"},
      {"run=AB\x01", "bad base64url: character 3 is '\\x01'"},
      {"run=ABC=", "bad base64url: character 4 is '=', padding, which run links leave out"},
      {"run=ABCDE", "bad base64url: 5 characters, a length (4n+1) that no data has"},
      {"run=__8", "bad DEFLATE data: invalid block type"},
      {"run=", "bad DEFLATE data: the stream ends early"},
      {RawLink(small, 3), "bad DEFLATE data: the stream ends early"},
      {RawLink(small, 0, "x"), "bad DEFLATE data: bytes follow the end of the stream"},
      {RawLink(RecordingOfSize(runs::kRunLinkLimit + 1)), "more than 1048576 bytes once inflated"},
      {RawLink("# cave recording 1\n# tick 7\n300\n"),
       "not a recording: line 3: '300' is not a scan code 0-255"},
  };
  for (const auto& c : cases) {
    std::string text = "left";
    runs::Recording read;
    runs::LinkRefusal refusal;
    EXPECT_FALSE(runs::DecodeRunLink(c.link, &read, &refusal, &text)) << c.problem;
    EXPECT_EQ(runs::RefusalLine(refusal), c.problem);
    EXPECT_EQ(text, "");
  }
  std::string fragment;
  runs::LinkRefusal refusal;
  EXPECT_FALSE(runs::EncodeRunLink(RecordingOfSize(runs::kRunLinkLimit + 1), &fragment, &refusal));
  EXPECT_EQ(runs::RefusalLine(refusal), "1048577 bytes, more than a run link holds (1048576)");
  EXPECT_FALSE(runs::EncodeRunLink("200\n", &fragment, &refusal));
  EXPECT_EQ(
      runs::RefusalLine(refusal),
      "not a recording: line 1: not a cave recording (it must begin with '# cave recording 1')");
}

// Runs t = 0, 1, ... by age, with the points points(t) (-1: none), listed
// newest first: run t is at index count - 1 - t; of two players for an odd t
// when `pairs`.
std::vector<runs::RunRank> Ranks(int count, int (*points)(int), bool pairs = false) {
  std::vector<runs::RunRank> ranks;
  for (int t = count - 1; t >= 0; --t)
    ranks.push_back(
        {1765256130000 + t * 1000, points(t) >= 0, std::max(points(t), 0), pairs && t % 2 ? 2 : 1});
  return ranks;
}

TEST(KeptRuns, TheBestAndTheLatestAreKept) {
  const struct {
    const char* what;
    std::vector<runs::RunRank> runs;
    std::vector<int> dropped;  // t of the runs dropped
  } cases[] = {
      {"40 runs: the earlier 20 the best", Ranks(40, [](int t) { return t < 20 ? 50 : t; }), {}},
      {"41 runs, the later the better",
       Ranks(41, [](int t) { return t; }),
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
      {"41 runs, the earlier the better", Ranks(41, [](int t) { return 100 - t; }), {20}},
      {"41 runs of equal points: the earlier ranks higher", Ranks(41, [](int) { return 9; }), {20}},
      {"25 without score", Ranks(25, [](int) { return -1; }), {0, 1, 2, 3, 4}},
      {"an old best run outlives newer unscored ones",
       Ranks(23, [](int t) { return t == 0 ? 5 : -1; }),
       {1, 2}},
      {"42 runs, the two players' all worse: each line-up keeps its best 20",
       Ranks(
           42, [](int t) { return t % 2 ? t : 100 + t; }, true),
       {0, 1}},
  };
  for (const auto& c : cases) {
    std::vector<size_t> expected;
    for (int t : c.dropped) expected.push_back(c.runs.size() - 1 - static_cast<size_t>(t));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(runs::RunsToDrop(c.runs), expected) << c.what;
  }
  // Ranked best first (t = 1, 3, 0), the unscored run (t = 2) not at all.
  EXPECT_EQ(runs::BestRuns(Ranks(4, [](int t) { return t == 2 ? -1 : t % 2 * 5; })),
            (std::vector<size_t>{2, 0, 3}));
}

}  // namespace
