#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <random>
#include <set>
#include <string>

#include "rollservice/FairDice.h"
#include "rollservice/RollAnswer.h"
#include "rollservice/RollService.h"

namespace kestar::rollservice {
namespace {

std::string answerTo(const std::string& line) {
  int next = 0;
  return rollAnswer("Bob", line, [&](int sides) { return sides - next++; });
}

TEST(RollAnswer, AnswersRollRequestsInItsOwnLineFormat) {
  EXPECT_EQ(answerTo("//roll"), "Bob rolled 2 6-sided dice:  6 5");
  EXPECT_EQ(answerTo("//roll-dice1-sides20"), "Bob rolled 1 20-sided die:  20");
  EXPECT_EQ(answerTo("//roll-dice4-sides100"), "Bob rolled 4 100-sided dice:  100 99 98 97");
  EXPECT_EQ(answerTo("//roll-dice15-sides999").size(),
            std::string("Bob rolled 15 999-sided dice: ").size() + 15 * 4);
  EXPECT_EQ(answerTo("//roll-dice2-sides2"), "Bob rolled 2 2-sided dice:  2 1");
  EXPECT_EQ(answerTo("hello //roll"), "");
  EXPECT_EQ(answerTo("just talking"), "");
  for (const char* bad : {"//roll-dice0-sides6", "//roll-dice16-sides6", "//roll-dice2-sides1",
                          "//roll-dice2-sides1000", "//roll-dice2", "//rollx", "//roll-dice-sides6",
                          "//roll-dicex-sides6", "//roll-dice2-sides6 ", "//roll-dice2-sides+6"}) {
    const std::string answer = answerTo(bad);
    EXPECT_EQ(answer.rfind("Sorry, Bob", 0), 0u) << bad;
    EXPECT_EQ(answer.find("rolled"), std::string::npos) << bad;
  }
}

TEST(FairDice, EveryFaceEquallyOftenAndNoOther) {
  std::seed_seq seeds{1, 2, 3};
  FairDice dice(seeds);
  std::map<int, int> counts;
  for (int i = 0; i < 60000; ++i)
    ++counts[dice(6)];
  ASSERT_EQ(counts.size(), 6u);
  EXPECT_EQ(counts.begin()->first, 1);
  EXPECT_EQ(counts.rbegin()->first, 6);
  for (const auto& [face, count] : counts)
    EXPECT_NEAR(count, 10000, 500) << face;
  FairDice seeded;
  std::set<int> faces;
  for (int i = 0; i < 5000; ++i)
    faces.insert(seeded(999));
  EXPECT_GT(faces.size(), 900u);
  EXPECT_TRUE(faces.count(0) == 0 && faces.count(1000) == 0);
}

}  // namespace
}  // namespace kestar::rollservice

namespace kestar::rollservice {
namespace {

// Requests heard in order; the dice give each die sides, sides - 1, ...
TEST(RollService, AnswersWithinEachAskersPaceAndNumbersTheRolls) {
  using Kind = Reply::Kind;
  std::vector<std::string> draws;
  RollService service(
      "DiceHost",
      [&](const Draw& d) {
        draws.push_back(d.channel + " " + std::to_string(d.k) + " " + d.nick + " " +
                        std::to_string(d.dice) + "d" + std::to_string(d.sides));
        std::vector<int> values;
        for (int die = 0; die < d.dice; ++die)
          values.push_back(d.sides - die);
        return values;
      },
      Limits{},
      [](std::string_view name) {
        std::string folded(name);
        for (char& c : folded)
          c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return folded;
      });
  service.setSelf("Kestar");
  const char* tooFast =
      "bob, your rolls come faster than they are answered (3 at once, then one each 1 s): the "
      "others are not answered.";
  const struct {
    int ms;
    const char* channel;
    const char* nick;
    const char* text;
    std::size_t waiting;
    Kind kind;
    const char* reply;
    std::uint64_t k;
  } heard[] = {
      {0, "#a", "bob", "//roll", 0, Kind::Answer, "bob rolled 2 6-sided dice:  6 5", 1},
      {0, "#a", "bob", "//roll-dice1-sides20", 1, Kind::Answer, "bob rolled 1 20-sided die:  20",
       2},
      {0, "#a", "bob", "//rollx", 2, Kind::Answer,
       "Sorry, bob: use //roll or //roll-diceN-sidesS (N 1-15, S 2-999).", 0},
      {0, "#a", "bob", "//roll", 3, Kind::Notice, tooFast, 0},
      {500, "#a", "BOB", "//roll", 0, Kind::Refused, "", 0},
      {1000, "#A", "bob", "//roll-dice3-sides4", 0, Kind::Answer,
       "bob rolled 3 4-sided dice:  4 3 2", 3},
      {1000, "#a", "bob", "//roll", 0, Kind::Refused, "", 0},
      {1000, "#b", "ann", "//roll", 0, Kind::Answer, "ann rolled 2 6-sided dice:  6 5", 1},
      {1000, "#b", "dicehost", "//roll", 0, Kind::None, "", 0},
      {1000, "#b", "KESTAR", "//roll", 0, Kind::None, "", 0},
      {1000, "#b", "ann", "hello //roll", 0, Kind::None, "", 0},
      // Ten lines of the service waiting: nothing more, not even a notice, and no pace used.
      {1000, "#b", "cy", "//roll", 10, Kind::Refused, "", 0},
      {1000, "#b", "cy", "//roll", 9, Kind::Answer, "cy rolled 2 6-sided dice:  6 5", 2},
      // A minute after the last notice, another.
      {60000, "#a", "bob", "//roll", 0, Kind::Answer, "bob rolled 2 6-sided dice:  6 5", 4},
      {60000, "#a", "bob", "//roll", 0, Kind::Answer, "bob rolled 2 6-sided dice:  6 5", 5},
      {60000, "#a", "bob", "//roll", 0, Kind::Answer, "bob rolled 2 6-sided dice:  6 5", 6},
      {60000, "#a", "bob", "//roll", 0, Kind::Notice, tooFast, 0},
  };
  for (const auto& h : heard) {
    const Reply reply = service.hear(h.channel, h.nick, h.text, Millis(h.ms), h.waiting);
    SCOPED_TRACE(std::to_string(h.ms) + " " + h.nick + " " + h.text);
    EXPECT_EQ(reply.kind, h.kind);
    EXPECT_EQ(reply.text, h.reply);
    EXPECT_EQ(reply.k, h.k);
  }
  EXPECT_EQ(draws, (std::vector<std::string>{"#a 1 bob 2d6", "#a 2 bob 1d20", "#A 3 bob 3d4",
                                             "#b 1 ann 2d6", "#b 2 cy 2d6", "#a 4 bob 2d6",
                                             "#a 5 bob 2d6", "#a 6 bob 2d6"}));
}

}  // namespace
}  // namespace kestar::rollservice
