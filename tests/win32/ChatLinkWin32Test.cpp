// The client link against real Win32 windows: a stand-in client in a process of its own, reached
// through user32 as the chat client is. The tables are the ones the simulated client passes.

#include <gtest/gtest.h>

#include "chatlink/ChatLink.h"
#include "chatlink/ChatScanner.h"
#include "chatlink/win32/Win32Host.h"
#include "chatlink/win32/Win32WindowApi.h"
#include "tests/chatlink/ChatRoomTables.h"
#include "tests/support/SimFixture.h"
#include "tests/support/VirtualHost.h"
#include "tests/win32/StandIn.h"

namespace kestar::test {
namespace {

using chatlink::FindChatRoom;
using chatlink::SendChat;

// The stand-in client and the link to it; waits run on a virtual clock unless a test needs the
// client's own time to pass.
struct WineRig {
  StandIn client;
  chatlink::win32::Win32WindowApi api;
  VirtualHost host;
  chatlink::Link link{api, host};

  chatlink::Hwnd inputOf(chatlink::Hwnd room) { return client.children(room).at(1); }
};

TEST(Win32ChatRoom, PassesOverClientWindowsThatLackAnyKindOfChild) {
  for (const auto& c : tables::kNotARoom) {
    WineRig rig;
    const auto room = rig.client.openRoom("Lobby");
    rig.client.openWindow(c.name, c.richText, c.listBox, c.icon, c.label);
    EXPECT_EQ(FindChatRoom(rig.link), room) << c.name;
  }
}

TEST(Win32ChatRoom, TakesTheHigherOfTwoRoomsAndSendChatWritesThere) {
  WineRig rig;
  const auto lobby = rig.client.openRoom("Lobby");
  const auto arena = rig.client.openRoom("Arena");
  EXPECT_EQ(FindChatRoom(rig.link), arena);
  rig.client.takeMessages();
  SendChat(rig.link, u"hello");
  EXPECT_TRUE(
      sameMessages(rig.client.takeMessages(), tables::typedLine(rig.inputOf(arena), "hello")));

  rig.client.raise(lobby);
  EXPECT_EQ(FindChatRoom(rig.link), lobby);
  SendChat(rig.link, u"again");
  EXPECT_TRUE(
      sameMessages(rig.client.takeMessages(), tables::typedLine(rig.inputOf(lobby), "again")));
  rig.client.settle();
  EXPECT_EQ(rig.client.transcript("Arena"), std::vector<std::string>{"SparKing:\thello"});
  EXPECT_EQ(rig.client.transcript("Lobby"), std::vector<std::string>{"SparKing:\tagain"});
}

TEST(Win32ChatRoom, NothingWithoutARoomOrWithOneRichTextBox) {
  WineRig rig;
  EXPECT_EQ(FindChatRoom(rig.link), 0u);
  SendChat(rig.link, u"nobody hears this");
  const auto half = rig.client.openWindow("Half a room", 1, true, true, true);
  EXPECT_EQ(FindChatRoom(rig.link), half);
  SendChat(rig.link, u"lost");
  EXPECT_TRUE(rig.client.takeMessages().empty());
}

TEST(Win32ChatRoom, TextCrossesInTheSystemCodePage) {
  WineRig rig;
  const auto room = rig.client.openRoom("Lobby");
  rig.client.takeMessages();
  SendChat(rig.link, wide("caf\xC3\xA9 \xE2\x82\xAC"
                          "5 \xE2\x98\x83 \xF0\x9F\x98\x80!"));
  EXPECT_TRUE(sameMessages(rig.client.takeMessages(), tables::typedLine(rig.inputOf(room),
                                                                        "caf\xE9 \x80"
                                                                        "5 ? ?"
                                                                        "?!")));
  rig.client.settle();
  EXPECT_EQ(rig.client.transcript("Lobby"), std::vector<std::string>{"SparKing:\tcaf\xE9 \x80"
                                                                     "5 ? ?"
                                                                     "?!"});
}

TEST(Win32ScrollText, SendsTheThreeLineExampleWithItsPauses) {
  WineRig rig;
  const auto room = rig.client.openRoom("Lobby");
  rig.client.takeMessages();
  chatlink::ScrollText(rig.link, wide(tables::kThreeLines), u"<b>");
  EXPECT_TRUE(
      sameMessages(rig.client.takeMessages(), tables::threeLineScroll(rig.inputOf(room), "<b>")));
  EXPECT_EQ(rig.host.pauses, (std::vector<int>{1, 1}));
}

TEST(Win32ChatScanner, ReadsTheTranscriptAndSendsLines) {
  StandIn client;
  chatlink::win32::Win32WindowApi api;
  chatlink::win32::Win32Host host;
  const chatlink::Link link{api, host};
  client.openRoom("Lobby");
  client.setTranscriptLimit(4);
  client.say("Lobby", "Old", "before the start");

  chatlink::ChatScanner scanner(link);
  std::vector<std::pair<std::string, std::string>> heard;
  scanner.ChatMsg = [&](const Text& name, const Text& said) {
    heard.emplace_back(chatlink::toCodePage(name), chatlink::toCodePage(said));
  };
  scanner.StartScan();
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Ann", "hello"}, {"Ann", "hello"}, {"Jos\xE9", "caf\xE9"}, {"Bob", "one"},
      {"Bob", "two"},   {"Bob", "three"}, {"Bob", "four"},        {"Bob", "five"}};
  for (const auto& [name, said] : expected) {
    client.say("Lobby", name, said);
    chatlink::Pause(host, 0);
    host.processEvents(0.05);
  }
  for (int i = 0; i < 100 && heard.size() < expected.size(); ++i)
    host.processEvents(0.05);
  EXPECT_EQ(heard, expected);

  const auto input = client.children(client.openRoom("Lobby")).at(1);
  client.takeMessages();
  scanner.SendLine(u"<b>18-Total of Roll by Bob");
  EXPECT_TRUE(sameMessages(client.takeMessages(),
                           tables::sentLine(input, "", "<b>18-Total of Roll by Bob")));
  scanner.StopScan();
  client.settle();
  EXPECT_EQ(client.transcript("Lobby").back(), "SparKing:\t<b>18-Total of Roll by Bob");
}

TEST(Win32ChatScanner, ReadsChatLinesOfAWrappingTranscriptAndEachRoomOnce) {
  StandIn client;
  chatlink::win32::Win32WindowApi api;
  chatlink::win32::Win32Host host;
  const chatlink::Link link{api, host};
  const auto lobby = client.openRoom("Lobby");
  client.say("Lobby", "Old", "before the start");

  chatlink::ChatScanner scanner(link);
  std::vector<std::pair<std::string, std::string>> heard;
  scanner.ChatMsg = [&](const Text& name, const Text& said) {
    heard.emplace_back(chatlink::toCodePage(name), chatlink::toCodePage(said));
  };
  const auto hear = [&](std::size_t lines) {
    for (int i = 0; i < 100 && heard.size() < lines; ++i)
      host.processEvents(0.05);
    for (int i = 0; i < 5; ++i)  // and nothing more
      host.processEvents(0.05);
  };
  scanner.StartScan();
  const std::string fifteenDice =
      "Bob rolled 15 100-sided dice:  91 2 33 47 58 69 70 81 99 100 12 23 34 45 56";
  client.say("Lobby", "Ann", "one");
  hear(1);
  client.say("Lobby", "Ann", "two");
  client.say("Lobby", "OnlineHost", fifteenDice);
  hear(3);
  client.say("Lobby", "Ann", "three");
  hear(4);
  // The real box wraps the roll over several lines and ends its text with a line break.
  const auto transcript = client.children(lobby).at(0);
  EXPECT_GT(api.lineCount(transcript), 6);
  EXPECT_EQ(api.windowText(transcript).substr(api.windowText(transcript).size() - 2), "\r\n");

  // Another room entered and the first raised again: each line once.
  client.openRoom("Arena");
  client.say("Arena", "Cy", "in the arena");
  hear(5);
  client.raise(lobby);
  hear(5);
  EXPECT_EQ(heard, (std::vector<std::pair<std::string, std::string>>{{"Ann", "one"},
                                                                     {"Ann", "two"},
                                                                     {"OnlineHost", fifteenDice},
                                                                     {"Ann", "three"},
                                                                     {"Cy", "in the arena"}}));
}

}  // namespace
}  // namespace kestar::test
