// Run links and kept runs: a link read back to the same recording and every
// kind of bad link refused with its line; which kept runs a new game removes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/hosted/display/recording/recording.h"
#include "programs/linux/kept_runs.h"
#include "programs/linux/run_link.h"

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
  ASSERT_TRUE(
      recording::ReadFile(CAVE_SOURCE_DIR "/tests/recordings/steered.rec", &text, &problem));
  ASSERT_TRUE(program::EncodeRunLink(text, &fragment, &problem)) << problem;
  EXPECT_EQ(fragment.find_first_not_of("run=ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                       "0123456789-_"),
            std::string::npos);
  for (std::string link : {fragment, "#" + fragment, "https://cave.example/?tick=1#" + fragment}) {
    ASSERT_TRUE(program::DecodeRunLink(link, &decoded, &problem)) << problem;
    EXPECT_EQ(decoded, text);
  }
  // What another DEFLATE (Python's zlib) made of a small recording.
  ASSERT_TRUE(program::DecodeRunLink(
      "#run="
      "DcwxCgIxEEbhPqf4nW0tsoIIuYClC7ZpYnaQYeOsxHGJiHc35fuKNyCnjVE5r3UWvWN0A0zygpM7eO963daGL5lYYQp"
      "0Tg_GZeO6oz0ZN-t2fQqXlyWdQ9SoU0kfrhgDjpjeuhhHpV8_cRODd38",
      &decoded, &problem));
  EXPECT_EQ(decoded,
            "# cave recording 1\n# tick 7\n200\n\n# box {\"title\":\"Game Over!\",\"text\":"
            "\"Spielstand:\\n\\nPlayer 1: 5 Punkte\\n\"}\n# exit 0\n");
  // The largest recording a link may hold.
  ASSERT_TRUE(program::EncodeRunLink(RecordingOfSize(program::kRunLinkLimit), &fragment, &problem));
  EXPECT_TRUE(program::DecodeRunLink(fragment, &decoded, &problem)) << problem;
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
      {RawLink(RecordingOfSize(program::kRunLinkLimit + 1)),
       "more than 1048576 bytes once inflated"},
      {RawLink("# cave recording 1\n# tick 7\n300\n"),
       "not a recording: line 3: '300' is not a scan code 0-255"},
  };
  for (const auto& c : cases) {
    std::string text = "left", problem;
    EXPECT_FALSE(program::DecodeRunLink(c.link, &text, &problem)) << c.problem;
    EXPECT_EQ(problem, std::string("not a run link: ") + c.problem);
    EXPECT_EQ(text, "");
  }
  std::string fragment, problem;
  EXPECT_FALSE(
      program::EncodeRunLink(RecordingOfSize(program::kRunLinkLimit + 1), &fragment, &problem));
  EXPECT_EQ(problem, "1048577 bytes, more than a run link holds (1048576)");
  EXPECT_FALSE(program::EncodeRunLink("200\n", &fragment, &problem));
  EXPECT_EQ(
      problem,
      "not a recording: line 1: not a cave recording (it must begin with '# cave recording 1')");
}

// Runs t = 0, 1, ... a second apart, named as CreateRun names them, with the
// points points(t) (-1: none); and foreign files.
std::vector<program::KeptRun> Runs(int count, int (*points)(int), int foreign) {
  std::vector<program::KeptRun> runs;
  for (int t = 0; t < count; ++t)
    runs.push_back({program::RunName(1765256130000 + t * 1000), true, "", points(t) >= 0,
                    std::max(points(t), 0)});
  for (int f = 0; f < foreign; ++f)  // an old name, not a run: never removed
    runs.push_back({program::RunName(1000000000000 + f), false, "foreign: line 1: ..."});
  return runs;
}

TEST(KeptRuns, TheBestAndTheLatestAreKept) {
  const struct {
    const char* what;
    std::vector<program::KeptRun> runs;
    std::vector<int> removed;  // t of the runs removed
  } cases[] = {
      {"40 runs: the earlier 20 the best",
       Runs(
           40, [](int t) { return t < 20 ? 50 : t; }, 0),
       {}},
      {"41 runs, the later the better",
       Runs(
           41, [](int t) { return t; }, 0),
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
      {"41 runs, the earlier the better",
       Runs(
           41, [](int t) { return 100 - t; }, 0),
       {20}},
      {"41 runs of equal points: the earlier ranks higher",
       Runs(
           41, [](int) { return 9; }, 0),
       {20}},
      {"25 without score",
       Runs(
           25, [](int) { return -1; }, 3),
       {0, 1, 2, 3, 4}},
      {"an old best run outlives newer unscored ones",
       Runs(
           23, [](int t) { return t == 0 ? 5 : -1; }, 2),
       {1, 2}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> expected;
    for (int t : c.removed) expected.push_back(program::RunName(1765256130000 + t * 1000));
    std::vector<std::string> removed = program::RunsToRemove(c.runs);
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, expected) << c.what;
  }
}

TEST(KeptRuns, ANewRunNeverTakesTheNameOfAnother) {
  std::string folder = std::string(CAVE_BINARY_DIR) + "/tests/kept-runs/a/b", path, problem;
  std::remove((folder + "/20251209-045530-007.rec").c_str());
  std::remove((folder + "/20251209-045530-007b.rec").c_str());
  for (const char* name : {"20251209-045530-007.rec", "20251209-045530-007b.rec"}) {
    std::FILE* file = program::CreateRun(folder, 1765256130007, &path, &problem);
    ASSERT_NE(file, nullptr) << problem;
    std::fclose(file);
    EXPECT_EQ(path, folder + "/" + name);
  }
}

}  // namespace
