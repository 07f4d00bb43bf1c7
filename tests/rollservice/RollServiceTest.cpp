#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>

#include "rollservice/FairDice.h"
#include "rollservice/RollAnswer.h"

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
