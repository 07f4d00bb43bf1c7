#include <gtest/gtest.h>

#include "chatlink/ChatScanner.h"
#include "tests/chatlink/ChatRoomTables.h"
#include "tests/support/SimFixture.h"
#include "tests/support/VirtualHost.h"

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

TEST(ChatScanner, RemembersEachRoomApartAndNeverRepeatsALine) {
  SimRig rig;
  rig.client.openRoom("Lobby");
  rig.client.openRoom("Arena");  // on top
  rig.service.sayAs("Lobby", "Old", "in the lobby before the start");
  rig.service.sayAs("Arena", "Old", "in the arena before the start");
  Listener listener(rig.link);
  listener.scanner.StartScan();
  rig.host.advance(0.1);
  rig.service.sayAs("Arena", "Ann", "a1");
  rig.host.advance(0.1);
  rig.client.openRoom("Lobby");  // brought to the top
  rig.host.advance(0.1);
  rig.service.sayAs("Lobby", "Bob", "l1");
  rig.service.sayAs("Arena", "Cy", "a2, said below");
  rig.host.advance(0.1);
  rig.client.openRoom("Arena");
  rig.host.advance(0.1);
  rig.client.openRoom("Lobby");
  rig.host.advance(0.1);
  // A room entered during the scan reports what arrives in it, even before the first look.
  rig.client.openRoom("Den");
  rig.service.sayAs("Den", "Dee", "first in the den");
  rig.host.advance(0.1);
  // The rooms still open are remembered when a new one appears: nothing old comes back.
  rig.client.openRoom("Lobby");
  rig.host.advance(0.1);
  rig.client.openRoom("Arena");
  rig.host.advance(0.1);
  EXPECT_EQ(
      listener.heard,
      (Heard{{"Ann", "a1"}, {"Bob", "l1"}, {"Cy", "a2, said below"}, {"Dee", "first in the den"}}));
}

// The simulated client's transcript as a real rich-text box shows it: it wraps its words at a
// width, so a long chat line is several display lines, and its text ends in a line break.
class WrappingBox final : public chatlink::WindowApi {
 public:
  WrappingBox(client::Desktop& windows, chatlink::Hwnd transcript, std::size_t width)
      : windows_(windows), transcript_(transcript), width_(width) {}

  chatlink::Hwnd findWindow(chatlink::Match c, chatlink::Match t) override {
    return windows_.findWindow(c, t);
  }
  chatlink::Hwnd findWindowEx(chatlink::Hwnd p, chatlink::Hwnd a, chatlink::Match c,
                              chatlink::Match t) override {
    return windows_.findWindowEx(p, a, c, t);
  }
  chatlink::LParam sendMessage(chatlink::Hwnd w, chatlink::Msg m, chatlink::WParam wp,
                               chatlink::LParam lp) override {
    return windows_.sendMessage(w, m, wp, lp);
  }
  chatlink::LParam sendTextMessage(chatlink::Hwnd w, chatlink::Msg m, chatlink::WParam wp,
                                   std::string_view text) override {
    return windows_.sendTextMessage(w, m, wp, text);
  }
  bool postMessage(chatlink::Hwnd w, chatlink::Msg m, chatlink::WParam wp,
                   chatlink::LParam lp) override {
    return windows_.postMessage(w, m, wp, lp);
  }
  std::string windowText(chatlink::Hwnd w) override {
    return w == transcript_ ? windows_.contents(w) + "\r\n" : windows_.windowText(w);
  }
  int textLength(chatlink::Hwnd w) override { return static_cast<int>(windowText(w).size()); }
  int lineCount(chatlink::Hwnd w) override {
    return w == transcript_ ? static_cast<int>(shown().size()) : windows_.lineCount(w);
  }
  std::string lineText(chatlink::Hwnd w, int index) override {
    if (w != transcript_) return windows_.lineText(w, index);
    const auto lines = shown();
    return index >= 0 && index < static_cast<int>(lines.size())
               ? lines[static_cast<std::size_t>(index)]
               : std::string();
  }

 private:
  // Display lines: each chat line cut every width characters, and the empty line after the last
  // line break.
  std::vector<std::string> shown() const {
    std::vector<std::string> lines;
    for (const std::string& line : windows_.lines(transcript_)) {
      for (std::size_t at = 0; at == 0 || at < line.size(); at += width_)
        lines.push_back(line.substr(at, width_));
    }
    lines.emplace_back();
    return lines;
  }

  client::Desktop& windows_;
  chatlink::Hwnd transcript_;
  std::size_t width_;
};

TEST(ChatScanner, ReadsChatLinesOfABoxThatWrapsAndEndsInALineBreak) {
  ScanRig rig;
  WrappingBox box(rig.windows, rig.windows.children(rig.client.room("Lobby")).front(), 24);
  Listener listener(chatlink::Link{box, rig.host});
  listener.scanner.StartScan();
  const std::string fifteenDice =
      "Bob rolled 15 100-sided dice:  91 2 33 47 58 69 70 81 99 100 12 23 34 45 56";
  for (const std::string& said : {std::string("one"), std::string("two"), fifteenDice}) {
    rig.say(said == fifteenDice ? "OnlineHost" : "Ann", said);
    rig.tick();
  }
  rig.say("Ann", "three");
  rig.tick();
  rig.tick();
  EXPECT_EQ(listener.heard,
            (Heard{{"Ann", "one"}, {"Ann", "two"}, {"OnlineHost", fifteenDice}, {"Ann", "three"}}));
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

TEST(ChatScanner, SendLinePutsTheDraftBackOnlyOnceAClientThatReadsLateHasTakenTheLine) {
  // A chat room whose input box is taken on a later round of the client's work.
  client::Desktop windows;
  VirtualHost host;
  host.addSource([&] { return windows.runPending(); });
  const auto frame = windows.create(0, "AOL Frame25", "");
  const auto room = windows.create(windows.create(frame, "MDIClient", ""), "AOL Child", "Lobby");
  windows.create(room, "RICHCNTL", "");
  std::vector<std::string> taken;
  const auto input = windows.create(
      room, "RICHCNTL", "", [&](client::Desktop& w, client::Hwnd box, const client::Message& m) {
        if (m.msg != chatlink::WmChar) return client::Desktop::defaultProc(w, box, m);
        w.post([&w, &taken, box] {
          taken.push_back(w.text(box));
          w.setText(box, "");
        });
        return chatlink::LParam{0};
      });
  for (const char* kind : {"_AOL_Listbox", "_AOL_Icon", "_AOL_Static"})
    windows.create(room, kind, "");

  windows.setText(input, "half a thou");
  ChatScanner scanner(chatlink::Link{windows, host});
  scanner.SendLine(u" 12-Total of Roll by Bob");
  host.advance(1);
  EXPECT_EQ(taken, (std::vector<std::string>{" 12-Total of Roll by Bob"}));
  EXPECT_EQ(windows.text(input), "half a thou");
}

}  // namespace
}  // namespace kestar::test
