#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "dice/rules/RollLine.h"
#include "tests/support/SimFixture.h"

namespace kestar::rolls {
void PrintTo(Skip skip, std::ostream* out) {
  *out << skipName(skip);
}
}  // namespace kestar::rolls

namespace kestar::test {
namespace {

using rolls::Skip;

TEST(Dice1, ScoresEachDieByItsValue) {
  const double infinity = std::numeric_limits<double>::infinity();
  const struct {
    double value;
    std::optional<int> score;
  } cases[] = {
      {-5, 0},
      {0, 0},
      {10.5, 0},
      {14, 0},
      {14.5, 0},
      {15, 1},
      {15.5, 1},
      {19, 1},
      {20, 2},
      {24.5, 2},  // 14.5 -> 14
      {25.5, 3},
      {50, 8},
      {69, 11},
      {89, 15},
      {90, 16},
      {90.5, 16},
      {91, 17},
      {91.5, 18},
      {100, 26},
      {999, 925},
      {32841, 32767},
      {32841.4, 32767},
      // The score does not fit 16 bits.
      {32841.5, std::nullopt},
      {32842, std::nullopt},
      {1e9, std::nullopt},
      {infinity, std::nullopt},
      // Far below, the quotient before the floor of 0 does not fit either.
      {-163834, 0},
      {-163834.5, 0},
      {-163834.6, std::nullopt},
      {-163835, std::nullopt},
      {-infinity, std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<std::int16_t> score = rolls::Dice1(c.value);
    if (c.score) {
      EXPECT_EQ(score, std::optional<std::int16_t>(static_cast<std::int16_t>(*c.score))) << c.value;
    } else {
      EXPECT_EQ(score, std::nullopt) << c.value;
    }
  }
}

struct RollCase {
  const char* speaker;
  const char* said;
  std::optional<Skip> skipped;
  const char* roller = nullptr;  // nullptr: roller and dice count are not named
  const char* diceCount = nullptr;
  int snagLines = 0;
  const char* announcement = "";
};

TEST(CountRoll, TotalsTheServicesRollLinesAndSkipsTheRest) {
  // clang-format off
  const RollCase cases[] = {
      {"OnlineHost", "Bob rolled 1 100-sided die:  7", {}, "Bob", "1", 0, " 0-Total of Roll by Bob"},
      {"OnlineHost", "Bob rolled 1 100-sided die:  69", {}, "Bob", "1", 1, " 11-Total of Roll by Bob"},
      {"OnlineHost", "Bob rolled 2 100-sided dice:  47 69", {}, "Bob", "2", 1, " 18-Total of Roll by Bob"},
      {"OnlineHost", "Bob rolled 2 100-sided dice:  100 91", {}, "Bob", "2", 0, " 43-Total of Roll by Bob"},
      {"OnlineHost", "Bob rolled 4 100-sided dice:  69 69 69 69", {}, "Bob", "4", 4, " 44-Total of Roll by Bob"},
      // Sums of scores widen beyond 16 bits.
      {"OnlineHost", "Al rolled 4 999-sided dice:  32841 32841 32841 32841", {}, "Al", "4", 0,
       " 131068-Total of Roll by Al"},
      // "rolled" is found in any letter case; the name may be empty.
      {"OnlineHost", "Bob ROLLED 1 100-sided die:  50", {}, "Bob", "1", 0, " 8-Total of Roll by Bob"},
      {"OnlineHost", " rolled 1 100-sided die:  50", {}, "", "1", 0, " 8-Total of Roll by "},
      // The colon is looked for from position 14, so a colon in a short name is passed over...
      {"OnlineHost", "A:B rolled 1 100-sided die:  50", {}, "A:B", "1", 0, " 8-Total of Roll by A:B"},
      // ...but one at position 14 is taken, and from position 20 with four dice.
      {"OnlineHost", "Mister Marvel:X rolled 1 100-sided die:  50", {}, "Mister Marvel:X", "1", 0,
       " 0-Total of Roll by Mister Marvel:X"},
      {"OnlineHost", "Mister Marvel:X rolled 4 100-sided dice:  20 20 20 20", {}, "Mister Marvel:X", "4", 0,
       " 8-Total of Roll by Mister Marvel:X"},
      // Two blanks in a row: the field between them is empty and the last takes the rest.
      {"OnlineHost", "Bob rolled 3 100-sided dice:  10  20 30", {}, "Bob", "3", 0, " 1956-Total of Roll by Bob"},
      // A 69 is any text that reads as exactly 69.
      {"OnlineHost", "Bob rolled 1 100-sided die:  6 9", {}, "Bob", "1", 1, " 11-Total of Roll by Bob"},

      {"onlinehost", "Bob rolled 1 100-sided die:  50", Skip::NotTheService},
      {"OnlineHost ", "Bob rolled 1 100-sided die:  50", Skip::NotTheService},
      {"Bob", "Bob rolled 1 100-sided die:  50", Skip::NotTheService},
      {"OnlineHost", "", Skip::NoNumberAtTheEnd},
      {"OnlineHost", "Bob rolled 1 100-sided die:  50 ok!", Skip::NoNumberAtTheEnd},
      {"OnlineHost", "Bob rolled the dice", Skip::NoNumberAtTheEnd},
      {"OnlineHost", "Bob rolled 1 100-sided die:  0", Skip::NoNumberAtTheEnd},
      {"OnlineHost", "Welcome to room 12", Skip::NoRolled},
      {"OnlineHost", "rolled 1 100-sided die:  50", Skip::RolledAtTheStart},
      {"OnlineHost", "Bob rolled 12", Skip::NoBlankAfterCount},
      {"OnlineHost", "Bob rolled 1,2,3", Skip::NoBlankAfterCount},
      // Past this point the line has named roller and count, which the counter shows.
      {"OnlineHost", "Bob rolled 5 6-sided dice:  1 2 3 4 5", Skip::NotOneToFourDice, "Bob", "5"},
      {"OnlineHost", "Bob rolled 1.5 6-sided dice:  1 2", Skip::NotOneToFourDice, "Bob", "1.5"},
      {"OnlineHost", "Bob rolled x 6-sided dice:  1 2", Skip::NotOneToFourDice, "Bob", "x"},
      {"OnlineHost", "Bob rolled 3 100-sided dice:  47 69", Skip::MissingValue, "Bob", "3"},
      {"OnlineHost", "Bob rolled 2 100-sided dice:  47", Skip::MissingValue, "Bob", "2"},
      {"OnlineHost", "Bob rolled 4 100-sided dice:  1 2 3", Skip::MissingValue, "Bob", "4"},
      // No 69 line either for a roll that is not announced.
      {"OnlineHost", "Bob rolled 2 100-sided dice:  69 40001", Skip::ScoreTooLarge, "Bob", "2"},
      {"OnlineHost", "Bob rolled 1 100-sided die:  -1e300", Skip::ScoreTooLarge, "Bob", "1"},
  };
  // clang-format on
  // The same through one outcome kept from line to line, as the tally reads a whole log.
  rolls::RollOutcome kept;
  for (const RollCase& c : cases) {
    SCOPED_TRACE(std::string(c.speaker) + ": " + c.said);
    const rolls::RollOutcome outcome = rolls::countRoll(wide(c.speaker), wide(c.said), u" ");
    rolls::countRoll(wide(c.speaker), wide(c.said), u" ", kept);
    EXPECT_EQ(kept.skipped, outcome.skipped);
    EXPECT_EQ(kept.roller.has_value(), outcome.roller.has_value());
    if (kept.roller && outcome.roller) {
      EXPECT_EQ(kept.roller->RollerName, outcome.roller->RollerName);
      EXPECT_EQ(kept.roller->DiceCount, outcome.roller->DiceCount);
    }
    EXPECT_EQ(kept.values, outcome.values);
    EXPECT_EQ(kept.scores, outcome.scores);
    EXPECT_EQ(kept.total, outcome.total);
    EXPECT_EQ(kept.snagLines, outcome.snagLines);
    EXPECT_EQ(kept.announcement, outcome.announcement);
    EXPECT_EQ(outcome.skipped, c.skipped);
    ASSERT_EQ(outcome.roller.has_value(), c.roller != nullptr);
    if (outcome.roller) {
      EXPECT_EQ(narrow(outcome.roller->RollerName), c.roller);
      EXPECT_EQ(narrow(outcome.roller->DiceCount), c.diceCount);
    }
    EXPECT_EQ(outcome.snagLines, std::vector<Text>(static_cast<std::size_t>(c.snagLines),
                                                   u" ::snags the 69, hides it::"));
    EXPECT_EQ(narrow(outcome.announcement), c.announcement);
  }
}

TEST(CountRoll, PutsTheTagPrefixBeforeEveryLineItSays) {
  const rolls::RollOutcome outcome =
      rolls::countRoll(u"OnlineHost", u"Bob rolled 2 100-sided dice:  47 69", u"<b><i>");
  EXPECT_EQ(outcome.snagLines, std::vector<Text>{u"<b><i>::snags the 69, hides it::"});
  EXPECT_EQ(outcome.announcement, u"<b><i>18-Total of Roll by Bob");
  EXPECT_EQ(outcome.scores, (std::vector<std::int16_t>{7, 11}));
  EXPECT_EQ(outcome.total, 18);
  EXPECT_EQ(outcome.totalText, u"18");
  EXPECT_EQ(outcome.roller->RolledPos, 5);

  // Before any Start or Scroll the prefix is empty.
  EXPECT_EQ(rolls::countRoll(u"OnlineHost", u"Bob rolled 1 100-sided die:  69", u"").snagLines,
            std::vector<Text>{u"::snags the 69, hides it::"});
}

TEST(DieSides, TakesTheDigitsBeforeSidedAfterTheDiceCount) {
  const struct {
    const char* said;
    int sides;
  } cases[] = {
      {"Bob rolled 2 100-sided dice:  47 91", 100},
      {"Bob ROLLED 1 6-sided die:  4", 6},
      {"Big Al rolled 3 20-sided dice:  1 2 3", 20},
      {"Bob rolled 1 999999999-sided die:  5", 999999999},
      {"Bob rolled 1 1000000000-sided die:  5", 0},  // no die has that many sides
      {"Bob rolled 1 six-sided die:  4", 0},
      {"Bob rolled 1 6 -sided die:  4", 0},
      {"Bob rolled 1 -sided die:  4", 0},
      {"Bob rolled 1 die:  4", 0},
  };
  for (const auto& c : cases) {
    const auto roller = std::get<rolls::Roller>(rolls::change(wide(c.said)));
    EXPECT_EQ(rolls::dieSides(wide(c.said), roller), c.sides) << c.said;
  }
}

TEST(InitiativeRoll, TakesTheNameBeforeRolledAndTheNumberAtTheEnd) {
  struct Case {
    const char* speaker;
    const char* said;
    const char* name;  // nullptr: no roll taken
    double value;
  };
  const Case cases[] = {
      {"OnlineHost", "Ann rolled 1 100-sided die:  57", "Ann", 57},
      {"OnlineHost", "Ann rolled 1 100-sided die:  100", "Ann", 100},
      {"OnlineHost", "Big Al ROLLED 2 6-sided dice:  3 5", "Big Al", 35},  // "3 5" reads 35
      {"OnlineHost", "Ann rolled 1 6-sided die: 4", nullptr, 0},           // ": 4" reads 0: no roll
      {"onlinehost", "Ann rolled 1 100-sided die:  57", nullptr, 0},
      {"Ann", "Ann rolled 1 100-sided die:  57", nullptr, 0},
      {"OnlineHost", "nothing to see 57", nullptr, 0},
      {"OnlineHost", "rolled first 57", nullptr, 0},
      {"OnlineHost", " rolled 57", "", 57},  // an empty name is still a name
      {"OnlineHost", "Ann rolled 1 100-sided die:  abc", nullptr, 0},
  };
  for (const Case& c : cases) {
    const auto roll = rolls::initiativeRoll(wide(c.speaker), wide(c.said));
    ASSERT_EQ(roll.has_value(), c.name != nullptr) << c.said;
    if (roll) {
      EXPECT_EQ(narrow(roll->name), c.name) << c.said;
      EXPECT_EQ(roll->value, c.value) << c.said;
    }
  }
}

}  // namespace
}  // namespace kestar::test
