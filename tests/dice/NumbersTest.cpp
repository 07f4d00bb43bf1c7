#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dice/rules/Numbers.h"
#include "dice/rules/TagPrefix.h"
#include "tests/support/SimFixture.h"

namespace kestar::test {
namespace {

using rolls::leadingNumber;
using rolls::numberText;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(LeadingNumber, ReadsTheNumberATextBeginsWithPassingOverBlanks) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"", 0},
      {"57", 57},
      {" 57", 57},
      {"3 5", 35},  // blanks between digits do not end the number
      {"\t1\n2", 12},
      {"47 69", 4769},
      {"69 ", 69},
      {"-5", -5},
      {"+5", 5},
      {"- 5", -5},
      {"2.5", 2.5},
      {".5", 0.5},
      {"5.", 5},
      {"1.2.3", 1.2},
      {"1E3", 1000},
      {"1e3", 1000},
      {"1D3", 1000},
      {"2d-2", 0.02},
      {"1 e + 3", 1000},
      {"1E", 1},
      {"1E+", 1},
      {"1Ex", 1},
      {"12abc", 12},
      {"1,000", 1},
      {"abc", 0},
      {"a5", 0},
      {"-", 0},
      {".", 0},
      {"--5", 0},
      {"+-5", 0},
      {"\r5", 0},  // a carriage return is no blank
      {"E5", 0},
      {"0.000000000000000000000000000000000000000000000001", 1e-48},
      {"1e308", 1e308},
      {"1e999", kInfinity},
      {"-1e999", -kInfinity},
      {"1e-999", 0},
      {"1e99999999999999999999999999", kInfinity},
      {"0.0000000000000000000000001e-310", 0},
      {"100000000000000000000000000e290", kInfinity},
      {"0e999999", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(leadingNumber(wide(c.text)), c.value) << '"' << c.text << '"';
  }
  EXPECT_EQ(leadingNumber(u"5\u00A0"), 5);  // a non-breaking space ends it
  EXPECT_EQ(leadingNumber(u"\uFF15"), 0);   // a full-width digit is no digit
}

TEST(NumberText, ShowsAtMostFifteenSignificantDigitsWithoutBlankOrTrailingPoint) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0, "0"},
      {-0.0, "0"},
      {11, "11"},
      {37, "37"},
      {28.5, "28.5"},
      {-3, "-3"},
      {-2.5, "-2.5"},
      {0.5, "0.5"},
      {0.1 + 0.2, "0.3"},
      {2.0 / 3, "0.666666666666667"},
      {0.0001, "0.0001"},
      {1e-5, "1E-05"},
      {123456789012345, "123456789012345"},
      {1e15, "1E+15"},
      {1234567890123456, "1.23456789012346E+15"},
      {32767.0 * 4, "131068"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(narrow(numberText(c.value)), c.text) << c.value;
  }
}

TEST(NumberText, ReadsBackAsTheSameNumberText) {
  for (double value : {28.5, -1.0 / 3, 1e15, 1.23456789012345e-7, 98765.4321, 1e300, -7e-300}) {
    const Text text = numberText(value);
    EXPECT_EQ(numberText(leadingNumber(text)), text) << narrow(text);
    EXPECT_NEAR(leadingNumber(text), value, std::fabs(value) * 1e-14);
  }
}

TEST(TagPrefix, GivesAllEightPrefixes) {
  const struct {
    bool bold, italic, underline;
    const char* prefix;
  } cases[] = {
      {false, false, false, " "},     {true, false, false, "<b>"},
      {false, true, false, " <i>"},   {false, false, true, " <u>"},
      {true, true, false, "<b><i>"},  {true, false, true, "<b><u>"},
      {false, true, true, " <i><u>"}, {true, true, true, "<b><i><u>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(narrow(rolls::tagPrefix(c.bold, c.italic, c.underline)), c.prefix)
        << c.bold << c.italic << c.underline;
  }
}

}  // namespace
}  // namespace kestar::test
