#include <gtest/gtest.h>

#include "chatlink/CodePage.h"
#include "chatlink/win32/CodePageWin32.h"

namespace kestar::test {
namespace {

using chatlink::win32::decodeIn;
using chatlink::win32::encodeIn;

TEST(Win32CodePage, MarksWhatTheCodePageCannotHoldAndKeepsEverythingInUtf8) {
  const Text text = u"caf\u00E9 \u20AC \u2603 \U0001F600";
  EXPECT_EQ(encodeIn(1252, text), "caf\xE9 \x80 ? ??");
  // A system set to UTF-8 converts every character; the settings that mark the others would make
  // it convert nothing.
  EXPECT_EQ(encodeIn(65001, text), "caf\xC3\xA9 \xE2\x82\xAC \xE2\x98\x83 \xF0\x9F\x98\x80");
  EXPECT_EQ(decodeIn(65001, encodeIn(65001, text)), text);
  EXPECT_EQ(decodeIn(1252, "\x80\xE9"), u"\u20AC\u00E9");
  // The system's own code page here is one of the 8-bit ones.
  EXPECT_EQ(chatlink::toCodePage(u"\u00E9"), "\xE9");
}

}  // namespace
}  // namespace kestar::test
