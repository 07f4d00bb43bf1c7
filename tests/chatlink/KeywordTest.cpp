#include <gtest/gtest.h>

#include "chatlink/ChatLink.h"
#include "tests/chatlink/KeywordTables.h"
#include "tests/support/SimFixture.h"

namespace kestar::test {
namespace {

using chatlink::DismissMessageBox;
using chatlink::ImOutcome;
using chatlink::SendIM;
using chatlink::SendKeyword;
using namespace tables;

TEST(SendKeyword, TypesTheKeywordABlankAndEnterAndTheClientGoesThereLater) {
  SimRig rig;
  SendKeyword(rig.link, u"aol://9293:Bob");
  SendKeyword(rig.link, wide("aol://2719:67-2-Caf\xC3\xA9 \xE2\x98\x83"));
  EXPECT_TRUE(sameMessages(rig.windows.takeMessages(),
                           keywordTyped(rig.client.keywordBox(), "aol://9293:Bob") +
                               keywordTyped(rig.client.keywordBox(), "aol://2719:67-2-Caf\xE9 ?")));
  EXPECT_TRUE(rig.client.keywords().empty()) << "the client went inside the call";
  rig.host.settle();
  EXPECT_EQ(rig.client.keywords(),
            (std::vector<std::string>{"aol://9293:Bob", "aol://2719:67-2-Caf\xE9 ?"}));

  client::Desktop empty;
  SendKeyword(chatlink::Link{empty, rig.host}, u"aol://9293:Bob");
  EXPECT_TRUE(empty.messages().empty());

  rig.host.end();
  SendKeyword(rig.link, u"aol://9293:Bob");
  EXPECT_TRUE(rig.windows.messages().empty());
}

TEST(SendIM, FillsTheReadyWindowClicksSendAndReturnsOnceItCloses) {
  SimRig rig;
  const std::string message = "hi there\r\nsecond line";
  EXPECT_EQ(SendIM(rig.link, u"Bob", wide(message)), ImOutcome::Sent);
  ASSERT_EQ(rig.client.imWindows().size(), 1u);
  const client::ImWindow& im = rig.client.imWindows().front();
  EXPECT_TRUE(sameMessages(rig.windows.takeMessages(),
                           keywordTyped(rig.client.keywordBox(), "aol://9293:Bob") +
                               imFilledAndClicked(im.textBox, im.sendButton, message)));
  EXPECT_FALSE(rig.windows.exists(im.window));
  EXPECT_EQ(rig.service.instantMessages(),
            (std::vector<client::DeliveredMessage>{{"Bob", message}}));
  EXPECT_LT(rig.host.steadySeconds(), 0.5);
}

TEST(SendIM, AWindowWithEightIconsIsNotTakenAsReady) {
  SimRig rig;
  rig.client.setImIcons(8);
  EXPECT_EQ(SendIM(rig.link, u"Bob", u"lost?"), ImOutcome::GaveUp);
  EXPECT_NEAR(rig.host.steadySeconds(), chatlink::kImWaitSeconds, 1e-6);
  EXPECT_TRUE(sameMessages(rig.windows.takeMessages(),
                           keywordTyped(rig.client.keywordBox(), "aol://9293:Bob")));
  EXPECT_TRUE(rig.windows.exists(rig.client.imWindows().at(0).window));

  // A ninth icon that comes late is the send button from then on.
  SimRig late;
  late.client.setImIcons(8);
  chatlink::Hwnd ninth = 0;
  chatlink::Timer grow(late.host, 5000);
  grow.onTimer = [&] {
    grow.setEnabled(false);
    ninth = late.windows.create(late.client.imWindows().at(0).window, "_AOL_Icon", "Send");
    EXPECT_EQ(withoutReads(late.windows.messages()).size(), 3u) << "filled before it was ready";
  };
  grow.setEnabled(true);
  // The late icon does nothing when clicked, so the wait for the answer runs out.
  EXPECT_EQ(SendIM(late.link, u"Bob", u"now"), ImOutcome::GaveUp);
  EXPECT_NEAR(late.host.steadySeconds(), 5 + chatlink::kImWaitSeconds, 1e-6);
  EXPECT_TRUE(
      sameMessages(late.windows.takeMessages(),
                   keywordTyped(late.client.keywordBox(), "aol://9293:Bob") +
                       imFilledAndClicked(late.client.imWindows().at(0).textBox, ninth, "now")));
}

TEST(SendIM, ARecipientNotSignedOnGetsTheBoxPressedAndTheWindowClosed) {
  SimRig rig;
  rig.service.signOff("Bob");
  EXPECT_EQ(SendIM(rig.link, u"B O B", u"are you there"), ImOutcome::Refused);
  rig.service.signOn("Bob");  // too late: the client has answered already
  const client::ImWindow& im = rig.client.imWindows().at(0);
  const client::ShownBox& box = rig.client.messageBoxes().at(0);
  EXPECT_EQ(rig.windows.parent(box.box), 0u) << "the box is a top-level window";
  EXPECT_TRUE(sameMessages(rig.windows.takeMessages(),
                           keywordTyped(rig.client.keywordBox(), "aol://9293:B O B") +
                               imFilledAndClicked(im.textBox, im.sendButton, "are you there") +
                               boxAnsweredAndImClosed(box.button, im.window)));
  rig.host.settle();
  EXPECT_FALSE(rig.windows.exists(box.box));
  EXPECT_FALSE(rig.windows.exists(im.window));
  EXPECT_TRUE(rig.service.instantMessages().empty());
}

TEST(SendIM, AClosedWindowIsASentMessageWhateverBoxShowsBesideIt) {
  // The room buster's late "room full" comes up on the round the message goes out.
  SimRig rig;
  rig.host.addSource([&] {
    if (rig.service.instantMessages().empty() || !rig.client.messageBoxes().empty()) return false;
    rig.client.showMessageBox("The room is full.");
    return true;
  });
  Text boxText = u"untouched";
  EXPECT_EQ(SendIM(rig.link, u"Bob", u"hello", &boxText), ImOutcome::Sent);
  EXPECT_EQ(boxText, u"untouched");
  rig.host.settle();
  EXPECT_NE(rig.client.messageBox(), 0u) << "the box of another errand was pressed";
  EXPECT_EQ(rig.service.instantMessages(),
            (std::vector<client::DeliveredMessage>{{"Bob", "hello"}}));
}

TEST(SendIM, ARefusalBoxIsAnsweredWithItsFirstButtonWhateverItsCaptionAndItsTextIsTold) {
  SimRig rig;
  // Once the window is open, the client asks with a box of its own and the click does nothing.
  rig.host.addSource([&] {
    if (rig.client.imWindows().empty() || !rig.client.messageBoxes().empty()) return false;
    rig.client.setResponding(false);
    rig.client.showMessageBox("Bob cannot take messages.", "Retry");
    return true;
  });
  Text boxText;
  EXPECT_EQ(SendIM(rig.link, u"Bob", u"hello", &boxText), ImOutcome::Refused);
  EXPECT_EQ(boxText, u"Bob cannot take messages.");
  const client::ShownBox& box = rig.client.messageBoxes().at(0);
  EXPECT_TRUE(
      sameMessages(withoutReads(rig.windows.takeMessages()),
                   keywordTyped(rig.client.keywordBox(), "aol://9293:Bob") +
                       imFilledAndClicked(rig.client.imWindows().at(0).textBox,
                                          rig.client.imWindows().at(0).sendButton, "hello") +
                       boxAnsweredAndImClosed(box.button, rig.client.imWindows().at(0).window)));
  rig.host.settle();
  EXPECT_FALSE(rig.windows.exists(box.box));
}

TEST(SendIM, GivesUpWithoutClientOrWhenTheClientDoesNotAnswerInTime) {
  {
    client::Desktop empty;
    VirtualHost host;
    EXPECT_EQ(SendIM(chatlink::Link{empty, host}, u"Bob", u"hello"), ImOutcome::GaveUp);
    EXPECT_EQ(host.steadySeconds(), 0.0) << "waited for a window that cannot come";
    EXPECT_TRUE(empty.messages().empty());
  }
  {
    SimRig rig;  // the window never comes
    rig.client.setResponding(false);
    EXPECT_EQ(SendIM(rig.link, u"Bob", u"hello"), ImOutcome::GaveUp);
    EXPECT_NEAR(rig.host.steadySeconds(), chatlink::kImWaitSeconds, 1e-6);
    EXPECT_TRUE(rig.client.imWindows().empty());
  }
  {
    SimRig rig;  // the window is there, but the click brings no answer
    SendKeyword(rig.link, u"aol://9293:Bob");
    rig.host.settle();
    rig.client.setResponding(false);
    EXPECT_EQ(SendIM(rig.link, u"Bob", u"hello"), ImOutcome::GaveUp);
    EXPECT_NEAR(rig.host.steadySeconds(), chatlink::kImWaitSeconds, 0.1);
    const client::ImWindow& im = rig.client.imWindows().at(0);
    EXPECT_TRUE(rig.windows.exists(im.window));
    EXPECT_EQ(rig.windows.text(im.textBox), "hello");
  }
  {
    SimRig rig;  // the program ends during the wait
    rig.client.setResponding(false);
    chatlink::Timer end(rig.host, 2000);
    end.onTimer = [&] { rig.host.end(); };
    end.setEnabled(true);
    EXPECT_EQ(SendIM(rig.link, u"Bob", u"hello"), ImOutcome::GaveUp);
    EXPECT_NEAR(rig.host.steadySeconds(), 2.0, 1e-6);
  }
}

TEST(DismissMessageBox, WithoutABoxLetsEventsRunThreeTimesAndPressesNothing) {
  SimRig rig;
  const int before = rig.host.rounds;
  DismissMessageBox(rig.link);
  EXPECT_EQ(rig.host.rounds - before, 3);
  EXPECT_TRUE(rig.windows.messages().empty());

  // A box that comes after the look stays until the next call.
  int round = 0;
  rig.host.addSource([&] {
    if (++round == 2) rig.client.showMessageBox("late");
    return false;
  });
  DismissMessageBox(rig.link);
  EXPECT_NE(rig.client.messageBox(), 0u);
  EXPECT_TRUE(rig.windows.messages().empty());
}

TEST(DismissMessageBox, PressesOkWithTheSpaceKeyUntilEveryBoxIsGone) {
  SimRig rig;
  rig.client.showMessageBox("first");
  rig.client.showMessageBox("second");
  const auto& boxes = rig.client.messageBoxes();
  DismissMessageBox(rig.link);
  EXPECT_EQ(rig.client.messageBox(), 0u);
  // The top box goes on the round after its press, and the one under it is pressed next.
  EXPECT_TRUE(sameMessages(rig.windows.takeMessages(),
                           okPressedTwice(boxes[1].button) + okPressedTwice(boxes[0].button)));
  EXPECT_LT(rig.host.steadySeconds(), 0.5);
}

TEST(DismissMessageBox, ABoxWithoutOkIsWatchedButNotPressedUntilTheTimeLimit) {
  SimRig rig;
  const auto box = rig.client.showMessageBox("Delete everything?", "Cancel");
  DismissMessageBox(rig.link);
  EXPECT_NEAR(rig.host.steadySeconds(), chatlink::kMessageBoxWaitSeconds, 1e-6);
  EXPECT_TRUE(rig.windows.exists(box));
  EXPECT_TRUE(rig.windows.messages().empty());

  // Closed by someone else meanwhile, it is waited for no longer.
  SimRig closed;
  const auto gone = closed.client.showMessageBox("Delete everything?", "Cancel");
  chatlink::Timer person(closed.host, 3000);
  person.onTimer = [&] { closed.windows.destroy(gone); };
  person.setEnabled(true);
  DismissMessageBox(closed.link);
  EXPECT_NEAR(closed.host.steadySeconds(), 3.0, 0.06);
}

}  // namespace
}  // namespace kestar::test
