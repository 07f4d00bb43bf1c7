#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "irc/Names.h"
#include "irc/Text.h"

namespace kestar::irc {
namespace {

TEST(IrcText, StripsFormattingAsARichTextBoxShowsIt) {
  const std::pair<std::string, std::string> cases[] = {
      {"\x03"
       "1,2345",
       "45"},
      {"\x03"
       "123",
       "3"},
      {"\x03"
       "12,x",
       ",x"},
      {"\x03"
       ",05",
       ",05"},
      {"\x03"
       "99x",
       "x"},
      {"\x04"
       "FF0000,00FF00x",
       "x"},
      {"\x04"
       "FF00x",
       "FF00x"},
      {"a\x02"
       "b\x0F"
       "c",
       "abc"},
      {"\x1D"
       "i\x1F"
       "u\x1E"
       "s\x11"
       "m\x16"
       "r",
       "iusmr"},
      {"tab\there\x01\x07\x1B", "tab\there"},
      {"\x03"
       "04Bob rolled 2 6-sided dice:  3 5",
       "Bob rolled 2 6-sided dice:  3 5"},
      {"caf\xC3\xA9", "caf\xC3\xA9"},
  };
  for (const auto& [in, out] : cases)
    EXPECT_EQ(stripFormatting(in), out) << in;
  EXPECT_EQ(ctcpAction("\x01"
                       "ACTION waves\x01"),
            "waves");
  EXPECT_EQ(ctcpAction("\x01"
                       "ACTION waves"),
            "waves");
  EXPECT_FALSE(ctcpAction("\x01"
                          "VERSION\x01")
                   .has_value());
  EXPECT_FALSE(ctcpAction("\x01"
                          "ACTIONS x\x01")
                   .has_value());
}

TEST(IrcText, DecodesUtf8ElseTheCodePage) {
  EXPECT_EQ(decodeText("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB2"), u"café € \U0001F3B2");
  // Latin-1 and Windows-1252 bytes from old clients.
  EXPECT_EQ(decodeText("caf\xE9 \x80 \x93quoted\x94"), u"café € “quoted”");
  // Overlong forms, surrogates and cut sequences are no UTF-8.
  EXPECT_EQ(decodeText("\xC0\xAF"), u"À¯");
  EXPECT_FALSE(fromUtf8("\xED\xA0\x80").has_value());
  EXPECT_FALSE(fromUtf8("\xE2\x82").has_value());
  EXPECT_FALSE(fromUtf8("\xF4\x90\x80\x80").has_value());
  EXPECT_EQ(toUtf8(u"café € \U0001F3B2"), "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB2");
  EXPECT_EQ(toUtf8(Text(1, u'\xD800') + u"x"), "\xEF\xBF\xBDx");
}

TEST(IrcText, TurnsTheProgramsMarkupIntoFormattingCodes) {
  const std::pair<Text, Text> cases[] = {
      {u" 18-Total of Roll by Bob", u" 18-Total of Roll by Bob"},
      {u"<b>18",
       u"\x02"
       u"18"},
      {u" <i><u>x", u" \x1D\x1Fx"},
      {u"<B><I>::wakes back up, yawns::", u"\x02\x1D::wakes back up, yawns::"},
      {u"<b>bold</b> plain </i>",
       u"\x02"
       u"bold\x02 plain "},
      {u"<b><b>x</B>", u"\x02x\x02"},
      {u"a < b <x> </ <b", u"a < b <x> </ <b"},
  };
  for (const auto& [in, out] : cases)
    EXPECT_EQ(markupToIrc(in), out);
}

TEST(IrcText, SplitsLongTextOnCharacterBoundaries) {
  // ":alice!~alice@127.0.0.1 PRIVMSG #test :" is 39 bytes of the 510.
  EXPECT_EQ(textBudget("alice!~alice@127.0.0.1", "#test"), 471u);
  EXPECT_EQ(worstMask("bob").size(), 3u + 1 + 19 + 1 + 63);

  EXPECT_EQ(splitText("", 10), std::vector<std::string>{""});
  EXPECT_EQ(splitText("abcdefghij", 10), std::vector<std::string>{"abcdefghij"});
  EXPECT_EQ(splitText("abcdefgh \xC3\xA9z", 10),
            (std::vector<std::string>{"abcdefgh", " \xC3\xA9z"}));
  EXPECT_EQ(splitText("abcdefghi\xC3\xA9", 10),
            (std::vector<std::string>{"abcdefghi", "\xC3\xA9"}));
  EXPECT_EQ(splitText("ab cdefghijkl", 10), (std::vector<std::string>{"ab cdefghi", "jkl"}));
  // Bytes that are no UTF-8 (a run of continuation bytes) still keep to the budget.
  EXPECT_EQ(splitText(std::string(25, '\x89'), 10),
            (std::vector<std::string>{std::string(10, '\x89'), std::string(10, '\x89'),
                                      std::string(5, '\x89')}));
  EXPECT_EQ(splitText("abcdefgh\x03"
                      "12x",
                      10),
            (std::vector<std::string>{"abcdefgh",
                                      "\x03"
                                      "12x"}));

  std::mt19937 random(7);
  const char* const pieces[] = {"a",
                                " ",
                                "\xC3\xA9",
                                "\xE2\x82\xAC",
                                "\xF0\x9F\x8E\xB2",
                                "\x03"
                                "4,12",
                                "\x02"};
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int length = std::uniform_int_distribution<int>(0, 400)(random);
    for (int i = 0; i < length; ++i)
      text += pieces[std::uniform_int_distribution<int>(0, 6)(random)];
    const std::size_t budget = std::uniform_int_distribution<std::size_t>(8, 120)(random);
    std::string joined;
    for (const std::string& piece : splitText(text, budget)) {
      ASSERT_LE(piece.size(), budget);
      ASSERT_TRUE(fromUtf8(piece).has_value()) << text;
      joined += piece;
    }
    ASSERT_EQ(joined, text);
    // No colour code is cut: the pieces strip to the whole text stripped.
    std::string stripped;
    for (const std::string& piece : splitText(text, budget))
      stripped += stripFormatting(piece);
    ASSERT_EQ(stripped, stripFormatting(text));
  }
}

TEST(IrcNames, MapsRoomsToChannelsAndBack) {
  const std::pair<std::string, std::string> cases[] = {
      {"Spar Arena", "#Spar_Arena"},
      {"a_b", "#a%5Fb"},
      {"50% off, now: go", "#50%25_off%2C_now%3A_go"},
      {"bell\x07", "#bell%07"},
      {"Caf\xC3\xA9", "#Caf\xC3\xA9"},
      {" x ", "#_x_"},
  };
  for (const auto& [room, channel] : cases) {
    EXPECT_EQ(roomToChannel(room), channel);
    EXPECT_EQ(channelToRoom(channel), room);
    EXPECT_EQ(roomToChannel(room).find_first_of(" ,\x07"), std::string::npos);
  }
  for (const char* other : {"#", "test", "&local", "#a%5", "#a%zz", "#a%41", "#a,b", "#a:b"})
    EXPECT_FALSE(channelToRoom(other).has_value()) << other;

  EXPECT_EQ(alternateNick("alicesmith", 1, 9), "alicesmi_");
  EXPECT_EQ(alternateNick("bob", 1, 9), "bob_");
  EXPECT_EQ(alternateNick("alicesmith", 2, 9), "alicesmi1");
  EXPECT_EQ(alternateNick("alicesmith", 10, 9), "alicesmi9");
  EXPECT_EQ(alternateNick("alicesmith", 11, 9), "alicesm10");
  EXPECT_EQ(alternateNick("alicesmith", 12, 30), "alicesmith11");
}

}  // namespace
}  // namespace kestar::irc
