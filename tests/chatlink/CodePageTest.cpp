#include <gtest/gtest.h>

#include "chatlink/CodePage.h"

namespace kestar::test {
namespace {

using chatlink::fromCodePage;
using chatlink::toCodePage;

TEST(CodePage, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte)
    all.push_back(static_cast<char>(byte));
  EXPECT_EQ(toCodePage(fromCodePage(all)), all);
}

TEST(CodePage, MapsTheWindowsCharactersAndMarksTheRest) {
  struct Case {
    Text text;
    std::string bytes;
  };
  const Case cases[] = {
      {u"plain", "plain"},
      {u"\u20AC", "\x80"},            // euro sign
      {u"\u2019\u2026", "\x92\x85"},  // right quote, ellipsis
      {u"\u00E9\u00FF", "\xE9\xFF"},
      {u"\u2603", "?"},       // snowman: not in the code page
      {u"\U0001F600", "??"},  // beyond 16 bits: two units, two marks, as the system does
      {u"a\xD800"
       "b",
       "a?b"},  // a lone surrogate
      {u"<b>\u0100", "<b>?"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(toCodePage(c.text), c.bytes);
  EXPECT_EQ(fromCodePage("\x80\x9F\xE9"), u"\u20AC\u0178\u00E9");
}

}  // namespace
}  // namespace kestar::test
