// Checks: the score a recording holds, and the verdict of a replay worded as
// the page and cave --watch say it.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "runs/runs.h"

namespace {

using runs::Recording;

TEST(Check, ScoreIsTheFirstPlayerLineOfTheLastBox) {
  struct Case {
    std::vector<std::string> boxes;
    int points;  // -1: no score
    std::string line;
  };
  const Case cases[] = {
      {{"Spielstand:\n\nPlayer 1: 125 Punkte\nPlayer 2: 3 Punkte\n"}, 125, "Player 1: 125 Punkte"},
      {{"Spielstand:\n\nPlayer 1: 12 Punkte\nPlayer 2: 30 Punkte\nPlayer 3: 30 Punkte\n"},
       30,
       "Player 2: 30 Punkte"},
      {{"Spielstand:\n\nPlayer 1: 0 Punkte"}, 0, "Player 1: 0 Punkte"},
      {{"Spielstand:\n\nPlayer 1: 5 Punkte\n", "Fehler Nr.1"}, -1, ""},
      {{"Player 1:  Punkte\nPlayer 1: 1x Punkte\nPlayer 1: 1234567890 Punkte\n"}, -1, ""},
      {{}, -1, ""},
  };
  for (const Case& c : cases) {
    Recording game;
    for (const std::string& text : c.boxes) game.boxes.push_back({"Game Over!", text});
    int points = -1;
    std::string line;
    EXPECT_EQ(runs::Score(game, &points, &line), c.points >= 0) << c.line;
    EXPECT_EQ(points, c.points);
    EXPECT_EQ(line, c.line);
  }
}

// Recordings of three snapshots judged by a replay that showed one score box
// after them, or none: a box appended or missing never verifies.
TEST(Check, TheVerdictSaysWhatTheReplayShowed) {
  const runs::Box shown{"Game Over!", "Spielstand:\n\nPlayer 1: 5 Punkte\n"};
  const runs::Box forged{"Game Over!", "Spielstand:\n\nPlayer 1: 999 Punkte\n"};
  const runs::Box two{"Game Over!", "Spielstand:\n\nPlayer 1: 12 Punkte\nPlayer 2: 30 Punkte\n"};
  const runs::Box race{"Game Over!", "Spielstand:\n\nPlayer 1: 5 Punkte\nGhost 1: 7 Punkte\n"};
  const runs::Box races{"Game Over!",
                        "Spielstand:\n\nPlayer 1: 5 Punkte\nGhost 1: 4 Punkte\nGhost 2: 5 "
                        "Punkte\nGhost 3: 6 Punkte\n"};
  const runs::Replayed replayed{{shown}, 3, 3, 0}, escaped{{}, -1, 3, 0}, played{{two}, 3, 3, 0};
  auto game = [](std::vector<runs::Box> boxes, bool ended) {
    Recording recorded;
    recorded.snapshots = {{}, {200}, {}};
    recorded.boxes = std::move(boxes);
    recorded.ended = ended;
    return recorded;
  };
  const struct {
    runs::Verdict verdict;
    std::string line;
  } cases[] = {
      {runs::Judge(game({shown}, true), replayed), "Verified: Player 1: 5 Punkte"},
      {runs::Judge(game({two}, true), played),
       "Verified: Player 1: 12 Punkte, Player 2: 30 Punkte"},
      {runs::Judge(game({race}, true), {{race}, 3, 3, 0}),
       "Verified: Player 1: 5 Punkte, behind the ghost's 7"},
      {runs::Judge(game({races}, true), {{races}, 3, 3, 0}),
       "Verified: Player 1: 5 Punkte, beating ghost 1's 4, level with ghost 2's 5, behind ghost "
       "3's 6"},
      {runs::Judge(game({}, true), escaped), "Verified: no score (ended after 3 snapshots)"},
      {runs::Judge(game({}, false), escaped), "Verified: no score (interrupted after 3 snapshots)"},
      {runs::Judge(game({{"\x01", "Player \x80: 7 Punkte"}}, true),
                   {{{"\x01", "Player \x80: 7 Punkte"}}, 3, 3, 0}),
       "Verified: Player ?: 7 Punkte"},
      {runs::Judge(game({shown, forged}, true), replayed),
       "Not verified: box 2 {\"title\":\"Game Over!\",\"text\":\"Spielstand:\\n\\nPlayer 1: "
       "999 Punkte\\n\"} was not shown"},
      {runs::Judge(game({}, true), replayed),
       "Not verified: box 1 {\"title\":\"Game Over!\",\"text\":\"Spielstand:\\n\\nPlayer 1: 5 "
       "Punkte\\n\"} is not in the recording"},
      {runs::NotARecording("line 3: '\t\xff' is not a scan code 0-255"),
       "Not a recording: line 3: '?"
       "?' is not a scan code 0-255"},
      {runs::NotARecording(std::string(150, 'a') + std::string(60, 'b')),
       "Not a recording: " + std::string(150, 'a') + std::string(50, 'b') + "..."},
  };
  for (const auto& c : cases) EXPECT_EQ(runs::VerdictLine(c.verdict), c.line);
  // The data under the words.
  runs::Verdict forgedScore = runs::Judge(game({shown, forged}, true), replayed);
  EXPECT_EQ(forgedScore.kind, runs::Verdict::Kind::kNotVerified);
  EXPECT_EQ(std::vector<int>({forgedScore.scored, forgedScore.points, forgedScore.ended,
                              static_cast<int>(forgedScore.snapshots)}),
            std::vector<int>({1, 999, 1, 3}));
  EXPECT_EQ(forgedScore.scoreLine, "Player 1: 999 Punkte");
  EXPECT_EQ(
      runs::Judge(game({two}, true), played).scores,
      (std::vector<runs::PlayerScore>{{12, "Player 1: 12 Punkte"}, {30, "Player 2: 30 Punkte"}}));
  // The same as the page reads it.
  const struct {
    runs::Verdict verdict;
    std::string json;
  } data[] = {
      {runs::Judge(game({shown}, true), replayed),
       R"({"kind":"verified","line":"Verified: Player 1: 5 Punkte","scored":true,"points":5,)"
       R"("ended":true,"snapshots":3})"},
      {runs::Judge(game({}, false), {{{"A\"", "\n"}}, 3, 3, 0}),
       R"({"kind":"not verified","line":"Not verified: box 1 {\"title\":\"A\\\"\",\"text\":)"
       R"(\"\\n\"} is not in the recording","scored":false,"points":0,"ended":false,)"
       R"("snapshots":3})"},
      {runs::NotARecording("line 1: empty"),
       R"({"kind":"not a recording","line":"Not a recording: line 1: empty","scored":false,)"
       R"("points":0,"ended":false,"snapshots":0})"},
  };
  for (const auto& c : data) EXPECT_EQ(runs::VerdictJson(c.verdict), c.json);
}

}  // namespace
