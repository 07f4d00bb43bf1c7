// Keywords, instant messages and the client's message box against real Win32 windows of a
// stand-in client in its own process, checked with the tables the simulated client passes.

#include <gtest/gtest.h>

#include "chatlink/ChatLink.h"
#include "chatlink/win32/Win32WindowApi.h"
#include "tests/chatlink/KeywordTables.h"
#include "tests/support/SimFixture.h"
#include "tests/win32/PacedHost.h"
#include "tests/win32/StandIn.h"

namespace kestar::test {
namespace {

using chatlink::DismissMessageBox;
using chatlink::ImOutcome;
using chatlink::SendIM;
using chatlink::SendKeyword;
using namespace tables;

struct WineRig {
  StandIn client;
  chatlink::win32::Win32WindowApi api;
  PacedHost host{client};
  chatlink::Link link{api, host};
};

TEST(Win32SendKeyword, TypesTheKeywordABlankAndEnter) {
  WineRig rig;
  rig.client.takeMessages();
  SendKeyword(rig.link, wide("aol://2719:67-2-Caf\xC3\xA9 \xE2\x98\x83"));
  EXPECT_TRUE(sameMessages(rig.client.takeMessages(),
                           keywordTyped(rig.client.keywordBox(), "aol://2719:67-2-Caf\xE9 ?")));
  rig.client.settle();
  EXPECT_EQ(rig.client.keywords(), std::vector<std::string>{"aol://2719:67-2-Caf\xE9 ?"});
}

TEST(Win32SendIM, FillsTheReadyWindowClicksSendAndReturnsOnceItCloses) {
  WineRig rig;
  rig.client.takeMessages();
  const std::string message = "hi there\r\nsecond line";
  EXPECT_EQ(SendIM(rig.link, u"Bob", wide(message)), ImOutcome::Sent);
  const auto ims = rig.client.imWindows();
  ASSERT_EQ(ims.size(), 1u);
  EXPECT_FALSE(ims[0].open);
  EXPECT_TRUE(sameMessages(rig.client.takeMessages(),
                           keywordTyped(rig.client.keywordBox(), "aol://9293:Bob") +
                               imFilledAndClicked(ims[0].textBox, ims[0].sendButton, message)));
  EXPECT_EQ(rig.client.instantMessages(),
            (std::vector<std::pair<std::string, std::string>>{{"Bob", message}}));
}

TEST(Win32SendIM, AWindowWithEightIconsIsNotTakenAsReady) {
  WineRig rig;
  rig.client.setImIcons(8);
  rig.client.takeMessages();
  EXPECT_EQ(SendIM(rig.link, u"Bob", u"lost?"), ImOutcome::GaveUp);
  EXPECT_NEAR(rig.host.steadySeconds(), chatlink::kImWaitSeconds, 1e-6);
  EXPECT_TRUE(sameMessages(rig.client.takeMessages(),
                           keywordTyped(rig.client.keywordBox(), "aol://9293:Bob")));
  EXPECT_TRUE(rig.client.imWindows().at(0).open);
}

TEST(Win32SendIM, ARecipientNotSignedOnGetsTheBoxPressedAndTheWindowClosed) {
  WineRig rig;
  rig.client.signOff("Bob");
  rig.client.takeMessages();
  EXPECT_EQ(SendIM(rig.link, u"Bob", u"are you there"), ImOutcome::Refused);
  rig.client.settle();
  const auto im = rig.client.imWindows().at(0);
  const auto box = rig.client.messageBoxes().at(0);
  EXPECT_TRUE(sameMessages(rig.client.takeMessages(),
                           keywordTyped(rig.client.keywordBox(), "aol://9293:Bob") +
                               imFilledAndClicked(im.textBox, im.sendButton, "are you there") +
                               boxAnsweredAndImClosed(box.button, im.window)));
  EXPECT_FALSE(rig.client.imWindows().at(0).open);
  EXPECT_FALSE(rig.client.messageBoxes().at(0).open);
  EXPECT_TRUE(rig.client.instantMessages().empty());
}

TEST(Win32SendIM, GivesUpWhenTheClientDoesNotAnswerInTime) {
  WineRig rig;
  rig.client.setResponding(false);
  EXPECT_EQ(SendIM(rig.link, u"Bob", u"hello"), ImOutcome::GaveUp);
  EXPECT_NEAR(rig.host.steadySeconds(), chatlink::kImWaitSeconds, 1e-6);
  EXPECT_TRUE(rig.client.imWindows().empty());
}

TEST(Win32DismissMessageBox, PressesOkUntilEveryBoxIsGoneAndNothingWithoutOne) {
  WineRig rig;
  rig.client.takeMessages();
  DismissMessageBox(rig.link);
  EXPECT_TRUE(rig.client.takeMessages().empty());

  rig.client.showMessageBox("first", "OK");
  rig.client.showMessageBox("second", "OK");
  const auto boxes = rig.client.messageBoxes();
  DismissMessageBox(rig.link);
  EXPECT_TRUE(sameMessages(rig.client.takeMessages(),
                           okPressedTwice(boxes[1].button) + okPressedTwice(boxes[0].button)));
  for (const auto& box : rig.client.messageBoxes())
    EXPECT_FALSE(box.open);
}

TEST(Win32DismissMessageBox, ABoxWithoutOkIsNotPressedUntilTheTimeLimit) {
  WineRig rig;
  rig.client.showMessageBox("Delete everything?", "Cancel");
  rig.client.takeMessages();
  DismissMessageBox(rig.link);
  EXPECT_NEAR(rig.host.steadySeconds(), chatlink::kMessageBoxWaitSeconds, 1e-6);
  EXPECT_TRUE(rig.client.messageBoxes().at(0).open);
  EXPECT_TRUE(rig.client.takeMessages().empty());
}

}  // namespace
}  // namespace kestar::test
