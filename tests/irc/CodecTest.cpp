#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "irc/LineReader.h"
#include "irc/Message.h"

namespace kestar::irc {
namespace {

TEST(IrcMessage, ParsesTagsSourceCommandAndParams) {
  struct Case {
    std::string line;
    std::vector<Tag> tags;
    std::string source;
    std::string command;
    std::vector<std::string> params;
  };
  const Case cases[] = {
      {":alice!~alice@127.0.0.1 PRIVMSG #test :hello there",
       {},
       "alice!~alice@127.0.0.1",
       "PRIVMSG",
       {"#test", "hello there"}},
      {"PING :irc.test.local", {}, "", "PING", {"irc.test.local"}},
      {":srv 001 bob :Welcome", {}, "srv", "001", {"bob", "Welcome"}},
      {"privmsg   #a    b   :", {}, "", "PRIVMSG", {"#a", "b", ""}},
      {":x PRIVMSG #a ::-)", {}, "x", "PRIVMSG", {"#a", ":-)"}},
      {"@a=1\\:2\\s3\\\\4\\r\\n;b;c=;+vendor/d=x\\y\\ :n PING :t",
       {{"a", "1;2 3\\4\r\n"}, {"b", ""}, {"c", ""}, {"+vendor/d", "xy"}},
       "n",
       "PING",
       {"t"}},
      {"CMD 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17",
       {},
       "",
       "CMD",
       {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16",
        "17"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const std::optional<Message> m = parseMessage(c.line);
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(m->tags, c.tags);
    EXPECT_EQ(m->source, c.source);
    EXPECT_EQ(m->command, c.command);
    EXPECT_EQ(m->params, c.params);
  }
  for (const char* bad :
       {"", "   ", ":only-source", "@tags", "12 x", "1234 x", "PRIV-MSG x", ":src 0x1 x"}) {
    EXPECT_FALSE(parseMessage(bad).has_value()) << bad;
  }
  const Source s = parseSource("alice!~alice@127.0.0.1");
  EXPECT_EQ(s.nick, "alice");
  EXPECT_EQ(s.user, "~alice");
  EXPECT_EQ(s.host, "127.0.0.1");
  EXPECT_EQ(parseSource("irc.test.local").nick, "irc.test.local");
}

TEST(IrcMessage, SerialisesSafely) {
  EXPECT_EQ(serialise(makeMessage("PRIVMSG", {"#c", "hi there"})), "PRIVMSG #c :hi there");
  EXPECT_EQ(serialise(makeMessage("PRIVMSG", {"#c", "hi"})), "PRIVMSG #c hi");
  EXPECT_EQ(serialise(makeMessage("PRIVMSG", {"#c", ""})), "PRIVMSG #c :");
  EXPECT_EQ(serialise(makeMessage("PRIVMSG", {"#c", ":)"})), "PRIVMSG #c ::)");
  EXPECT_EQ(serialise(makeMessage("NICK", {"bob"})), "NICK bob");
  // A line break or NUL in a text never starts a second command.
  EXPECT_EQ(serialise(makeMessage("PRIVMSG", {"#c", "a\r\nQUIT :x\0b"})), "PRIVMSG #c :aQUIT :x");
  EXPECT_EQ(serialise(makeMessage("PRIVMSG", {"#c", std::string("a\0\nb", 4)})), "PRIVMSG #c ab");
  EXPECT_FALSE(serialise(makeMessage("PRIVMSG", {"Bob Smith", "hi"})).has_value());
  EXPECT_FALSE(serialise(makeMessage("PRIVMSG", {"", "hi"})).has_value());
  EXPECT_FALSE(serialise(makeMessage("PRIVMSG", {":x", "hi"})).has_value());
  EXPECT_FALSE(serialise(makeMessage("PRIV MSG", {"#c"})).has_value());
  EXPECT_FALSE(serialise(makeMessage("X", std::vector<std::string>(16, "p"))).has_value());
  EXPECT_TRUE(serialise(makeMessage("X", std::vector<std::string>(15, "p"))).has_value());
  for (const char* word : {"#c", "bob", "a:b"})
    EXPECT_TRUE(isMiddle(word)) << word;
  for (const char* notWord : {"", ":x", "two words", "a\rb", "a\nb"})
    EXPECT_FALSE(isMiddle(notWord)) << notWord;
  EXPECT_FALSE(isMiddle(std::string("a\0b", 3)));
  // What is written reads back as it was.
  const Message m = makeMessage("PRIVMSG", {"#c", " lead and trail "});
  EXPECT_EQ(parseMessage(*serialise(m)), m);
}

TEST(IrcLineReader, CutsLinesWhateverPiecesTheyComeIn) {
  LineReader reader;
  EXPECT_EQ(reader.feed("PING :a\r\nPI"), std::vector<std::string>{"PING :a"});
  EXPECT_EQ(reader.feed("NG :b\r"), std::vector<std::string>{"PING :b"});
  EXPECT_EQ(reader.feed("\nc\n\n\rd\re"), (std::vector<std::string>{"c", "d"}));
  EXPECT_EQ(reader.feed(std::string("\0f\n", 3)), std::vector<std::string>{"e\xEF\xBF\xBD"
                                                                           "f"});
  EXPECT_FALSE(reader.overflowed());

  LineReader small(10);
  EXPECT_EQ(small.feed("0123456789\n"), std::vector<std::string>{"0123456789"});
  EXPECT_TRUE(small.feed("0123456789A").empty());
  EXPECT_TRUE(small.overflowed());
  EXPECT_TRUE(small.feed("\nPING :x\n").empty());
  small.reset();
  EXPECT_EQ(small.feed("PING :x\n"), std::vector<std::string>{"PING :x"});
}

}  // namespace
}  // namespace kestar::irc
