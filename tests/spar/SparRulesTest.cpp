#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "dice/rules/Numbers.h"
#include "spar/rules/SparRules.h"
#include "tests/support/SimFixture.h"

namespace kestar::test {
namespace {

std::vector<Text> texts(std::initializer_list<const char*> items) {
  std::vector<Text> out;
  for (const char* item : items)
    out.push_back(wide(item));
  return out;
}

TEST(RollRow, AddsTheFirstRollOfEachExactNameWhileThereIsRoom) {
  const std::vector<Text> listed = texts({"Ann", "Big Al"});
  const struct {
    const char* speaker;
    const char* said;
    const char* name;  // nullptr: no row
    const char* initiative;
  } cases[] = {
      {"OnlineHost", "Cy rolled 1 100-sided die:  57", "Cy", "57"},
      {"OnlineHost", "Cy rolled 1 100-sided die:  100", "Cy", "100"},
      {"OnlineHost", "Cy rolled 2 10-sided dice:  3 5", "Cy", "35"},
      {"OnlineHost", "Cy rolled 1 6-sided die:  4", "Cy", "4"},
      {"OnlineHost", "Cy rolled 1 6-sided die: 4", nullptr, ""},  // ": 4" reads 0
      {"OnlineHost", "Ann rolled 1 100-sided die:  90", nullptr, ""},
      {"OnlineHost", "Big Al rolled 1 100-sided die:  90", nullptr, ""},
      {"OnlineHost", "ann rolled 1 100-sided die:  90", "ann", "90"},
      {"OnlineHost", "Ann  rolled 1 100-sided die:  90", "Ann ", "90"},
      {"Cy", "Cy rolled 1 100-sided die:  57", nullptr, ""},
      {"OnlineHost", "Room 12 opens at 57", nullptr, ""},
      {"OnlineHost", "rolled 1 100-sided die:  57", nullptr, ""},
  };
  for (const auto& c : cases) {
    const std::optional<spar::NewRow> row = spar::rollRow(wide(c.speaker), wide(c.said), listed);
    ASSERT_EQ(row.has_value(), c.name != nullptr) << c.said;
    if (row) {
      EXPECT_EQ(narrow(row->name), c.name) << c.said;
      EXPECT_EQ(narrow(row->initiative), c.initiative) << c.said;
    }
  }

  // The rows are counted by a 16-bit index: a roll beyond the last one is refused.
  std::vector<Text> full(spar::kMostRows - 1, u"someone");
  const Text roll = u"Cy rolled 1 100-sided die:  57";
  EXPECT_TRUE(spar::rollRow(u"OnlineHost", roll, full).has_value());
  full.push_back(u"someone");
  EXPECT_FALSE(spar::rollRow(u"OnlineHost", roll, full).has_value());
}

TEST(AnswerRows, TakesAListedPlayersFirstAnswerThatBeginsWithANumber) {
  const std::vector<Text> names = texts({"Ann", "Bob", "Cy"});
  const std::vector<Text> marks = texts({"", "Y", ""});
  const struct {
    const char* speaker;
    const char* said;
    std::vector<std::size_t> rows;
  } cases[] = {
      {"Ann", "3", {0}},  {"Ann", "2.5", {0}}, {"Ann", "5 because I said so", {0}},
      {"Ann", " 4", {0}}, {"Cy", "-2", {2}},   {"Ann", "three", {}},
      {"Ann", "0", {}},   {"Ann", "", {}},     {"Bob", "4", {}},  // answered already
      {"ann", "3", {}},   {"Dee", "3", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(spar::answerRows(wide(c.speaker), wide(c.said), names, marks), c.rows) << c.said;

  // Every unanswered row of the name is filled, should a name stand twice.
  EXPECT_EQ(spar::answerRows(u"Ann", u"2", texts({"Ann", "Bob", "Ann"}), texts({"", "", ""})),
            (std::vector<std::size_t>{0, 2}));
}

// The rows' order as the full bubble sort leaves it: PeopleCount - 1 passes, each exchanging
// neighbours only when the lower one's value is strictly greater.
std::vector<std::size_t> bubbleSorted(const std::vector<Text>& initiatives) {
  std::vector<std::size_t> rows(initiatives.size());
  for (std::size_t i = 0; i < rows.size(); ++i)
    rows[i] = i;
  for (std::size_t pass = 1; pass < rows.size(); ++pass) {
    for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
      if (rolls::leadingNumber(initiatives[rows[k + 1]]) >
          rolls::leadingNumber(initiatives[rows[k]]))
        std::swap(rows[k], rows[k + 1]);
    }
  }
  return rows;
}

TEST(InitiativeOrder, HighestFirstAndEqualValuesInArrivalOrder) {
  const struct {
    std::vector<Text> initiatives;
    std::vector<std::size_t> order;
  } cases[] = {
      {texts({"40", "75", "40", "90"}), {3, 1, 0, 2}},
      {{}, {}},
      {texts({"12"}), {0}},
      {texts({"5", "5", "5"}), {0, 1, 2}},
      {texts({"9", "10", "100"}), {2, 1, 0}},  // by number, not by text
      {texts({"abc", "-3", "0", "2.5"}), {3, 0, 2, 1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(spar::initiativeOrder(c.initiatives), c.order);
    EXPECT_EQ(bubbleSorted(c.initiatives), c.order);
  }

  // Many small values, so that runs of equal ones are common.
  std::mt19937 random(4);
  for (int round = 0; round < 200; ++round) {
    std::vector<Text> initiatives(random() % 40);
    for (Text& value : initiatives)
      value = rolls::numberText(static_cast<double>(random() % 12) - 2);
    EXPECT_EQ(spar::initiativeOrder(initiatives), bubbleSorted(initiatives)) << round;
  }
}

TEST(PlayerList, NameZeroSlashAnswerAndTwoBlanksPerRow) {
  EXPECT_EQ(spar::playerList(texts({"Ann", "Bob"}), texts({"3", " "})), u"Ann-0/3  Bob-0/   ");
  EXPECT_EQ(spar::playerList(texts({"Ann"}), texts({"4 immortal!"})), u"Ann-0/4 immortal!  ");
  EXPECT_EQ(spar::playerList({}, {}), u"");
}

TEST(SparWorth, PeopleLessOneTimesFiveTimesHighestDice) {
  const struct {
    const char* people;
    const char* highestDice;
    std::optional<double> worth;
  } cases[] = {
      {"5", "4", 80},
      {"1", "4", 0},
      {"3", "2.5", 25},
      {"", "4", -20},
      {"5", "", 0},
      {"four", "4", -20},
      {"1E200", "1E200", std::nullopt},  // beyond a double
      {"1E999", "0", std::nullopt},      // infinity times 0 is no number at all
      {"1E999", "4", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(spar::sparWorth(wide(c.people), wide(c.highestDice)), c.worth)
        << c.people << " people, " << c.highestDice;
  }
  EXPECT_EQ(spar::sparWorthLine(u"80"), u"Spar is worth 80 xps");
}

TEST(ListNumber, WhatATypedValueShowsAsInAList) {
  const struct {
    const char* typed;
    std::optional<const char*> shown;
  } cases[] = {
      {"4", "4"}, {" 2.50", "2.5"}, {"abc", "0"}, {"", "0"}, {"-7x", "-7"}, {"1E999", std::nullopt},
  };
  for (const auto& c : cases) {
    const std::optional<Text> shown = spar::listNumber(wide(c.typed));
    ASSERT_EQ(shown.has_value(), c.shown.has_value()) << c.typed;
    if (shown) {
      EXPECT_EQ(narrow(*shown), *c.shown) << c.typed;
    }
  }
}

}  // namespace
}  // namespace kestar::test
