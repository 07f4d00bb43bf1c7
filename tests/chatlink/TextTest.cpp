#include <gtest/gtest.h>

#include "chatlink/ChatLink.h"

namespace kestar::test {
namespace {

using chatlink::GetLine;
using chatlink::LineCount;
using chatlink::ReplaceText;

TEST(LineCount, CountsCarriageReturnsOnly) {
  const std::pair<Text, int> cases[] = {
      {u"", 0},        {u"a", 1},  {u"a\r\nb", 2},  {u"a\r\n", 2},
      {u"a\nb\nc", 1}, {u"\r", 2}, {u"a\rb\rc", 3}, {u"\r\n\r\n", 3},
  };
  for (const auto& [text, count] : cases)
    EXPECT_EQ(LineCount(text), count);
}

TEST(GetLine, CutsAtCarriageReturnsAndDropsFeeds) {
  struct Case {
    Text text;
    int n;
    Text line;
  };
  const Case cases[] = {
      {u"only", 1, u"only"},
      {u"only\n", 1, u"only\n"},  // a single line comes back unchanged, feed included
      {u"one\r\ntwo\r\nthree", 1, u"one"},
      {u"one\r\ntwo\r\nthree", 2, u"two"},
      {u"one\r\ntwo\r\nthree", 3, u"three"},
      {u"one\r\ntwo\r\n", 3, u""},
      {u"one\r\ntwo", 4, u""},
      {u"a\nb\r\nc\nd", 1, u"ab"},
      {u"a\nb\r\nc\nd", 2, u"cd"},
      {u"x\r\r\ny", 2, u""},
      {u"x\r\r\ny", 3, u"y"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetLine(c.text, c.n), c.line) << "line " << c.n;
  }
}

TEST(ReplaceText, IgnoresCaseAndNeverSearchesAReplacement) {
  struct Case {
    Text text, find, with, result;
  };
  const Case cases[] = {
      {u"A b C", u" ", u"", u"AbC"},
      {u"Xax", u"x", u"yx", u"yxayx"},
      {u"aAaA", u"a", u"", u""},
      {u"abc", u"z", u"q", u"abc"},
      {u"", u"a", u"b", u""},
      {u"HeLLo there", u"l", u"_", u"He__o there"},
      {u"\r\n\r\n", u"\r", u"", u"\n\n"},
      {u"abc", u"", u"x", u"abc"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReplaceText(c.text, c.find, c.with), c.result);
}

}  // namespace
}  // namespace kestar::test
