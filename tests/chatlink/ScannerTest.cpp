#include <gtest/gtest.h>

#include "chatlink/ChatScanner.h"
#include "tests/chatlink/ChatRoomTables.h"
#include "tests/support/SimFixture.h"

namespace kestar::test {
namespace {

using chatlink::ChatScanner;
using Heard = std::vector<std::pair<std::string, std::string>>;

// A scanner whose events are written down.
struct Listener {
  explicit Listener(const chatlink::Link& link) : scanner(link) {
    scanner.ChatMsg = [this](const Text& name, const Text& said) {
      heard.emplace_back(narrow(name), narrow(said));
    };
  }
  ChatScanner scanner;
  Heard heard;
};

struct ScanRig : SimRig {
  ScanRig() { client.openRoom("Lobby"); }
  void say(const std::string& who, const std::string& text) { service.sayAs("Lobby", who, text); }
  void tick() { host.advance(0.1); }
};

TEST(ChatScanner, ReportsEachNewLineOnceInOrderOnlyWhileScanning) {
  ScanRig rig;
  Listener listener(rig.link);
  rig.say("Early", "before the start");
  rig.tick();
  listener.scanner.StartScan();
  rig.tick();
  EXPECT_TRUE(listener.heard.empty()) << "a line from before the start was reported";

  rig.say("Ann", "hello");
  rig.say("Ann", "hello");  // two identical lines are two lines
  rig.say("Bob", "");
  rig.tick();
  rig.say("OnlineHost", "Bob rolled 1 6-sided die:  4");
  rig.tick();
  rig.tick();
  EXPECT_EQ(listener.heard, (Heard{{"Ann", "hello"},
                                   {"Ann", "hello"},
                                   {"Bob", ""},
                                   {"OnlineHost", "Bob rolled 1 6-sided die:  4"}}));

  listener.scanner.StopScan();
  rig.say("Ann", "after the stop");
  rig.tick();
  EXPECT_EQ(listener.heard.size(), 4u);

  listener.scanner.StartScan();
  rig.say("Ann", "back again");
  rig.tick();
  EXPECT_EQ(listener.heard.back(), (std::pair<std::string, std::string>{"Ann", "back again"}));
  EXPECT_EQ(listener.heard.size(), 5u);
}

TEST(ChatScanner, TrimmedTranscriptNeitherReplaysNorDrops) {
  ScanRig rig;
  rig.client.setTranscriptLimit(5);
  for (int i = 0; i < 5; ++i)
    rig.say("Old", "line " + std::to_string(i));
  Listener listener(rig.link);
  listener.scanner.StartScan();

  Heard expected;
  int next = 0;
  // Batches of 1 to 7 lines between looks, while the transcript keeps only 5.
  for (int batch : {1, 3, 5, 7, 2, 4, 6, 1}) {
    for (int i = 0; i < batch && i < 5; ++i) {
      const std::string text = "msg " + std::to_string(next++);
      rig.say("Ann", text);
      expected.emplace_back("Ann", text);
    }
    rig.tick();
  }
  EXPECT_EQ(listener.heard, expected);

  // Repeated identical lines across a trim are still each reported once.
  for (int i = 0; i < 3; ++i) {
    rig.say("Echo", "same");
    expected.emplace_back("Echo", "same");
    rig.tick();
  }
  EXPECT_EQ(listener.heard, expected);
}

TEST(ChatScanner, InstancesScanIndependently) {
  ScanRig rig;
  Listener first(rig.link);
  Listener second(rig.link);
  first.scanner.StartScan();
  rig.say("Ann", "one");
  rig.tick();
  second.scanner.StartScan();
  rig.say("Ann", "two");
  rig.tick();
  first.scanner.StopScan();
  rig.say("Ann", "three");
  rig.tick();
  EXPECT_EQ(first.heard, (Heard{{"Ann", "one"}, {"Ann", "two"}}));
  EXPECT_EQ(second.heard, (Heard{{"Ann", "two"}, {"Ann", "three"}}));
}

TEST(ChatScanner, ReportsDuringAPauseAndKeepsOrderWhenAHandlerWaits) {
  ScanRig rig;
  Listener listener(rig.link);
  std::vector<std::string> order;
  listener.scanner.ChatMsg = [&](const Text& name, const Text& said) {
    order.push_back(narrow(said));
    // A handler that waits lets further looks run inside it.
    if (narrow(name) == "Slow") chatlink::Pause(rig.host, 1);
  };
  listener.scanner.StartScan();
  chatlink::Timer talk(rig.host, 250);
  int said = 0;
  talk.onTimer = [&] {
    const std::string speaker = said % 2 == 0 ? "Slow" : "Ann";
    rig.say(speaker, "n" + std::to_string(said));
    if (++said == 8) talk.setEnabled(false);
  };
  talk.setEnabled(true);
  chatlink::Pause(rig.host, 3);
  rig.host.advance(5);
  ASSERT_EQ(said, 8);
  for (std::size_t i = 0; i < order.size(); ++i)
    EXPECT_EQ(order[i], "n" + std::to_string(i));
  EXPECT_EQ(static_cast<int>(order.size()), said);
}

TEST(ChatScanner, DecodesTheCodePageAndSkipsLinesThatAreNotChat) {
  ScanRig rig;
  Listener listener(rig.link);
  listener.scanner.StartScan();
  rig.say("Jos\xE9", "caf\xE9 \x80");
  const auto transcript = rig.windows.children(rig.client.room("Lobby")).front();
  rig.windows.appendLine(transcript, "*** a notice without a speaker ***");
  rig.say("Ann", "a: b\tc");
  rig.tick();
  ASSERT_EQ(listener.heard.size(), 2u);
  EXPECT_EQ(listener.heard[1], (std::pair<std::string, std::string>{"Ann", "a: b\tc"}));
  EXPECT_EQ(listener.heard[0].first, "Jos?");  // narrow() marks non-ASCII with "?"
  Text name;
  listener.scanner.ChatMsg = [&](const Text& n, const Text&) { name = n; };
  rig.say("Jos\xE9", "again");
  rig.tick();
  EXPECT_EQ(name, u"Jos\u00E9");
}

TEST(ChatScanner, NewRoomAndNoRoom) {
  SimRig rig;
  Listener listener(rig.link);
  listener.scanner.StartScan();  // no room open: nothing to read, nothing breaks
  rig.host.advance(0.1);
  rig.client.openRoom("Lobby");
  rig.service.sayAs("Lobby", "Ann", "hi");
  rig.host.advance(0.1);
  EXPECT_EQ(listener.heard, (Heard{{"Ann", "hi"}}));
  rig.client.closeRoom("Lobby");
  rig.host.advance(0.1);
  rig.client.openRoom("Arena");
  rig.service.sayAs("Arena", "Cy", "fresh room");
  rig.host.advance(0.1);
  EXPECT_EQ(listener.heard, (Heard{{"Ann", "hi"}, {"Cy", "fresh room"}}));
}

TEST(ChatScanner, SendLinePostsUnderTheUsersNameAndKeepsTheDraft) {
  ScanRig rig;
  const auto input = rig.windows.children(rig.client.room("Lobby")).at(1);
  Listener listener(rig.link);
  listener.scanner.SendLine(u"<b><i>12-Total of Roll by Bob");
  EXPECT_TRUE(sameMessages(rig.windows.takeMessages(),
                           tables::sentLine(input, "", "<b><i>12-Total of Roll by Bob")));
  rig.host.settle();
  EXPECT_EQ(rig.client.sentByUser(), std::vector<std::string>{"<b><i>12-Total of Roll by Bob"});

  // Something the user had begun to type is put back after the line goes out.
  rig.windows.sendTextMessage(input, chatlink::WmSetText, 0, "half a thou");
  rig.windows.takeMessages();
  listener.scanner.SendLine(u"announcement");
  EXPECT_TRUE(sameMessages(rig.windows.takeMessages(),
                           tables::sentLine(input, "half a thou", "announcement")));
  rig.host.settle();
  EXPECT_EQ(rig.client.inputText("Lobby"), "half a thou");
  EXPECT_EQ(rig.client.sentByUser().back(), "announcement");

  rig.host.end();
  rig.windows.takeMessages();
  listener.scanner.SendLine(u"too late");
  EXPECT_TRUE(rig.windows.messages().empty());
}

}  // namespace
}  // namespace kestar::test
