#include <gtest/gtest.h>

#include <array>

#include "chatlink/ChatLink.h"
#include "tests/chatlink/ChatRoomTables.h"
#include "tests/support/SimFixture.h"

namespace kestar::test {
namespace {

using chatlink::ScrollText;
using client::Message;

struct ScrollRig : SimRig {
  ScrollRig() {
    room = client.openRoom("Lobby");
    input = windows.children(room).at(1);
  }
  // The lines typed into the room's input, in order.
  std::vector<std::string> typedLines() {
    std::vector<std::string> lines;
    for (const Message& m : windows.messages()) {
      if (m.msg == chatlink::WmSetText && m.window == input) lines.push_back(m.text);
    }
    return lines;
  }
  chatlink::Hwnd room = 0;
  chatlink::Hwnd input = 0;
};

TEST(ScrollText, SkipsShortLinesCutsLongOnesAndPausesAfterEachSentLine) {
  ScrollRig rig;
  const double start = rig.host.steadySeconds();
  ScrollText(rig.link, wide(tables::kThreeLines), u"<b>");
  EXPECT_TRUE(sameMessages(rig.windows.messages(), tables::threeLineScroll(rig.input, "<b>")));
  EXPECT_EQ(rig.host.pauses, (std::vector<int>{1, 1}));
  EXPECT_DOUBLE_EQ(rig.host.steadySeconds() - start, 2.0);
  // The lines reached the room during the pauses, in order.
  EXPECT_EQ(rig.client.sentByUser(),
            (std::vector<std::string>{"<b>abcd", "<b>" + std::string(92, 'x')}));
}

TEST(ScrollText, LineBreakRulesDecideWhatIsALine) {
  {
    ScrollRig rig;  // a trailing break makes an empty last line, which is skipped
    ScrollText(rig.link, u"first line\r\nsecond\r\n", u" ");
    EXPECT_EQ(rig.typedLines(), (std::vector<std::string>{" first line", " second"}));
    EXPECT_EQ(rig.host.pauses, (std::vector<int>{1, 1}));
  }
  {
    ScrollRig rig;  // line feeds alone do not break: one line, feeds kept, cut at 92
    const std::string text = "one\ntwo\n" + std::string(100, 'y');
    ScrollText(rig.link, wide(text), u"");
    EXPECT_EQ(rig.typedLines(), std::vector<std::string>{text.substr(0, 92)});
  }
  {
    ScrollRig rig;  // a bare carriage return breaks too
    ScrollText(rig.link, u"alpha\rbeta", u"");
    EXPECT_EQ(rig.typedLines(), (std::vector<std::string>{"alpha", "beta"}));
  }
}

TEST(ScrollText, ExtraZeroPauseAfterEveryFourthLineSentOrSkipped) {
  {
    ScrollRig rig;
    ScrollText(rig.link, u"a\r\nb\r\nc\r\nd\r\ne\r\nf\r\ng\r\nh", u"");
    EXPECT_TRUE(rig.windows.messages().empty());
    EXPECT_EQ(rig.host.pauses, (std::vector<int>{0, 0}));
  }
  {
    ScrollRig rig;
    ScrollText(rig.link, u"line 1\r\nline 2\r\nxx\r\nline 4\r\nline 5", u"");
    EXPECT_EQ(rig.host.pauses, (std::vector<int>{1, 1, 1, 0, 1}));
    EXPECT_EQ(rig.typedLines().size(), 4u);
  }
  {
    // A zero pause waits for the next whole second when the current one is more than half gone.
    ScrollRig rig;
    rig.host.setTimeOfDay(100.7);
    ScrollText(rig.link, u"a\r\nb\r\nc\r\nd", u"");
    EXPECT_NEAR(rig.host.timeOfDay(), 101.0, 1e-9);
  }
}

TEST(ScrollText, NothingWithoutRoomOrText) {
  ScrollRig rig;
  ScrollText(rig.link, u"", u" ");
  EXPECT_TRUE(rig.host.pauses.empty());

  rig.client.closeRoom("Lobby");
  ScrollText(rig.link, u"a line of text\r\nanother line", u" ");
  EXPECT_TRUE(rig.host.pauses.empty());
  EXPECT_TRUE(rig.windows.messages().empty());
  EXPECT_DOUBLE_EQ(rig.host.steadySeconds(), 0.0);
}

TEST(ScrollText, ReadsThePrefixAfreshForEveryLine) {
  ScrollRig rig;
  Text prefix = u" ";
  chatlink::Timer change(rig.host, 1500);
  change.onTimer = [&] {
    prefix = u"<i>";
    change.setEnabled(false);
  };
  change.setEnabled(true);
  ScrollText(rig.link, u"line one\r\nline two\r\nline three", prefix);
  EXPECT_EQ(rig.typedLines(),
            (std::vector<std::string>{" line one", " line two", "<i>line three"}));
}

TEST(ScrollText, TellsOfEachLineAsItsTurnComesSkippedLinesToo) {
  ScrollRig rig;
  // line, count, and how many lines had been typed when it was heard of
  std::vector<std::array<int, 3>> heard;
  ScrollText(rig.link, u"line one\r\nxx\r\nline three", u"", [&](int line, int count) {
    heard.push_back({line, count, static_cast<int>(rig.typedLines().size())});
  });
  EXPECT_EQ(heard, (std::vector<std::array<int, 3>>{{1, 3, 0}, {2, 3, 1}, {3, 3, 1}}));

  rig.client.closeRoom("Lobby");
  ScrollText(rig.link, u"line one", u"", [&](int, int) { ADD_FAILURE() << "no room, no lines"; });
}

TEST(ScrollText, StopsSendingWhenTheProgramEndsDuringAPause) {
  ScrollRig rig;
  chatlink::Timer stop(rig.host, 500);
  stop.onTimer = [&] { rig.host.end(); };
  stop.setEnabled(true);
  ScrollText(rig.link, u"line one\r\nline two\r\nline three", u"");
  EXPECT_EQ(rig.typedLines(), std::vector<std::string>{"line one"});
}

}  // namespace
}  // namespace kestar::test
