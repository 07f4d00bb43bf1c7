#include <gtest/gtest.h>

#include "chatlink/ChatLink.h"
#include "tests/chatlink/ChatRoomTables.h"
#include "tests/support/SimFixture.h"

namespace kestar::test {
namespace {

using chatlink::FindChatRoom;
using chatlink::SendChat;
using client::Message;

// The room's chat input: its second RICHCNTL child.
chatlink::Hwnd inputOf(const client::Desktop& windows, chatlink::Hwnd room) {
  return windows.children(room).at(1);
}

TEST(FindChatRoom, PassesOverClientWindowsThatLackAnyKindOfChild) {
  for (const auto& c : tables::kNotARoom) {
    SimRig rig;
    const auto room = rig.client.openRoom("Lobby");
    const auto above = rig.client.openWindow(c.name, c.richText, c.listBox, c.icon, c.label);
    ASSERT_EQ(rig.windows.children(rig.client.mdi()).front(), above) << c.name;
    EXPECT_EQ(FindChatRoom(rig.link), room) << c.name;
  }
}

TEST(FindChatRoom, TakesTheHigherOfTwoRoomsAndSendChatWritesThere) {
  SimRig rig;
  const auto lobby = rig.client.openRoom("Lobby");
  const auto arena = rig.client.openRoom("Arena");
  EXPECT_EQ(FindChatRoom(rig.link), arena);

  SendChat(rig.link, u"hello");
  EXPECT_TRUE(sameMessages(rig.windows.takeMessages(),
                           tables::typedLine(inputOf(rig.windows, arena), "hello")));

  rig.client.raise(lobby);
  EXPECT_EQ(FindChatRoom(rig.link), lobby);
  SendChat(rig.link, u"again");
  EXPECT_TRUE(sameMessages(rig.windows.takeMessages(),
                           tables::typedLine(inputOf(rig.windows, lobby), "again")));

  rig.host.settle();
  EXPECT_EQ(rig.client.transcript("Arena"), std::vector<std::string>{"SparKing:\thello"});
  EXPECT_EQ(rig.client.transcript("Lobby"), std::vector<std::string>{"SparKing:\tagain"});
}

TEST(FindChatRoom, FindsNothingWithoutClientOrRoom) {
  client::Desktop empty;
  VirtualHost host;
  const chatlink::Link link{empty, host};
  EXPECT_EQ(FindChatRoom(link), 0u);
  SendChat(link, u"nobody hears this");
  EXPECT_TRUE(empty.messages().empty());

  SimRig rig;
  rig.client.openWindow("Welcome", 1, false, true, true);
  EXPECT_EQ(FindChatRoom(rig.link), 0u);
  SendChat(rig.link, u"nobody hears this");
  EXPECT_TRUE(withoutReads(rig.windows.messages()).empty());
}

TEST(SendChat, RoomWithOneRichTextIsFoundButGetsNothing) {
  SimRig rig;
  const auto room = rig.client.openWindow("Half a room", 1, true, true, true);
  EXPECT_EQ(FindChatRoom(rig.link), room);
  SendChat(rig.link, u"lost");
  EXPECT_TRUE(rig.windows.messages().empty());
}

TEST(SendChat, TextCrossesInTheCodePageAndAppearsOnALaterRound) {
  SimRig rig;
  const auto room = rig.client.openRoom("Lobby");
  // é and € are in the code page; the snowman and the emoji (two units, two marks) are not.
  SendChat(rig.link, wide("caf\xC3\xA9 \xE2\x82\xAC"
                          "5 \xE2\x98\x83 \xF0\x9F\x98\x80!"));
  EXPECT_TRUE(sameMessages(rig.windows.takeMessages(), tables::typedLine(inputOf(rig.windows, room),
                                                                         "caf\xE9 \x80"
                                                                         "5 ? ?"
                                                                         "?!")));
  EXPECT_TRUE(rig.client.transcript("Lobby").empty()) << "the line arrived inside the call";
  EXPECT_EQ(rig.client.inputText("Lobby"), "");
  rig.host.settle();
  EXPECT_EQ(rig.client.transcript("Lobby"), std::vector<std::string>{"SparKing:\tcaf\xE9 \x80"
                                                                     "5 ? ?"
                                                                     "?!"});
}

TEST(SendChat, SendsNothingOnceTheProgramHasEnded) {
  SimRig rig;
  rig.client.openRoom("Lobby");
  rig.host.end();
  SendChat(rig.link, u"too late");
  EXPECT_TRUE(rig.windows.messages().empty());
}

}  // namespace
}  // namespace kestar::test
