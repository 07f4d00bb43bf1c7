#include <gtest/gtest.h>

#include "simclient/SimClient.h"
#include "tests/support/SimFixture.h"

namespace kestar::test {
namespace {

std::string answerTo(const std::string& line) {
  int next = 0;
  return sim::rollAnswer("Bob", line, [&](int sides) { return sides - next++; });
}

TEST(ChatService, AnswersRollRequestsInItsOwnLineFormat) {
  EXPECT_EQ(answerTo("//roll"), "Bob rolled 2 6-sided dice:  6 5");
  EXPECT_EQ(answerTo("//roll-dice1-sides20"), "Bob rolled 1 20-sided die:  20");
  EXPECT_EQ(answerTo("//roll-dice4-sides100"), "Bob rolled 4 100-sided dice:  100 99 98 97");
  EXPECT_EQ(answerTo("//roll-dice15-sides999").size(),
            std::string("Bob rolled 15 999-sided dice: ").size() + 15 * 4);
  EXPECT_EQ(answerTo("//roll-dice2-sides2"), "Bob rolled 2 2-sided dice:  2 1");
  EXPECT_EQ(answerTo("hello //roll"), "");
  EXPECT_EQ(answerTo("just talking"), "");
  for (const char* bad : {"//roll-dice0-sides6", "//roll-dice16-sides6", "//roll-dice2-sides1",
                          "//roll-dice2-sides1000", "//roll-dice2", "//rollx", "//roll-dice-sides6",
                          "//roll-dicex-sides6", "//roll-dice2-sides6 ", "//roll-dice2-sides+6"}) {
    const std::string answer = answerTo(bad);
    EXPECT_EQ(answer.rfind("Sorry, Bob", 0), 0u) << bad;
    EXPECT_EQ(answer.find("rolled"), std::string::npos) << bad;
  }
}

TEST(SimClient, UserLinesAndRollAnswersArriveOnLaterRounds) {
  SimRig rig;
  const auto room = rig.client.openRoom("Lobby");
  const auto input = rig.windows.children(room).at(1);
  rig.client.setNextRolls({3, 4});
  rig.windows.sendTextMessage(input, chatlink::WmSetText, 0, "//roll");
  rig.windows.sendMessage(input, chatlink::WmChar, chatlink::KeyEnter, 0);
  EXPECT_EQ(rig.client.inputText("Lobby"), "");
  EXPECT_TRUE(rig.client.transcript("Lobby").empty());
  rig.windows.runPending();
  EXPECT_EQ(rig.client.transcript("Lobby"), std::vector<std::string>{"SparKing:\t//roll"});
  rig.windows.runPending();
  EXPECT_EQ(rig.client.transcript("Lobby"),
            (std::vector<std::string>{"SparKing:\t//roll",
                                      "OnlineHost:\tSparKing rolled 2 6-sided dice:  3 4"}));

  // Typed characters gather in the box; Enter on an empty box sends nothing.
  rig.windows.sendMessage(input, chatlink::WmChar, 'h', 0);
  rig.windows.sendMessage(input, chatlink::WmChar, 'i', 0);
  EXPECT_EQ(rig.client.inputText("Lobby"), "hi");
  rig.windows.sendTextMessage(input, chatlink::WmSetText, 0, "");
  rig.windows.sendMessage(input, chatlink::WmChar, chatlink::KeyEnter, 0);
  rig.host.settle();
  EXPECT_EQ(rig.client.transcript("Lobby").size(), 2u);
}

TEST(SimClient, RoomsOpenRaiseCloseAndTrim) {
  SimRig rig;
  rig.client.openRoom("Lobby");
  rig.client.openRoom("Arena");
  EXPECT_EQ(rig.client.roomNames(), (std::vector<std::string>{"Arena", "Lobby"}));
  rig.client.openRoom("Lobby");
  EXPECT_EQ(rig.client.roomNames(), (std::vector<std::string>{"Lobby", "Arena"}));

  rig.client.setTranscriptLimit(3);
  for (int i = 0; i < 5; ++i)
    rig.client.say("Lobby", "Ann", std::to_string(i));
  rig.client.say("Lobby", "Ann", "two\r\nlines");
  EXPECT_EQ(rig.client.transcript("Lobby"),
            (std::vector<std::string>{"Ann:\t3", "Ann:\t4", "Ann:\ttwo  lines"}));

  // A line sent just before its room closes goes nowhere; WM_CLOSE closes a room.
  const auto lobby = rig.client.room("Lobby");
  rig.windows.sendTextMessage(rig.windows.children(lobby).at(1), chatlink::WmSetText, 0, "bye");
  rig.windows.sendMessage(rig.windows.children(lobby).at(1), chatlink::WmChar, 13, 0);
  rig.windows.sendMessage(lobby, chatlink::WmClose, 0, 0);
  rig.host.settle();
  EXPECT_EQ(rig.client.roomNames(), std::vector<std::string>{"Arena"});
  EXPECT_FALSE(rig.windows.exists(lobby));
  EXPECT_TRUE(rig.client.sentByUser().empty());
}

}  // namespace
}  // namespace kestar::test
