#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "client/window/ClientWindow.h"
#include "tests/support/SimFixture.h"

namespace kestar::test {
namespace {

TEST(ClientWindow, APersonOpensRoomsSpeaksAndRollsAsAnyone) {
  SimRig rig;
  client::ClientWindow window(rig.client, rig.windows);
  window.roomName->setText("Lobby");
  QTest::mouseClick(window.openButton, Qt::LeftButton);
  window.roomName->setText("Arena");
  QTest::mouseClick(window.openButton, Qt::LeftButton);
  window.refresh();
  ASSERT_EQ(window.rooms->count(), 2);
  EXPECT_EQ(window.rooms->item(0)->text(), "Arena");
  EXPECT_EQ(window.currentRoom(), "Arena");

  window.speaker->setText("Ann");
  window.line->setText("hello there");
  QTest::mouseClick(window.sayButton, Qt::LeftButton);
  EXPECT_EQ(rig.client.transcript("Arena"), std::vector<std::string>{"Ann:\thello there"});
  EXPECT_TRUE(window.line->text().isEmpty());

  rig.client.setNextRolls({57, 3, 99});
  window.roller->setText("Cy");
  window.dice->setValue(3);
  window.sides->setValue(100);
  QTest::mouseClick(window.rollButton, Qt::LeftButton);
  rig.host.settle();
  window.refresh();
  EXPECT_EQ(rig.client.transcript("Arena").back(),
            "OnlineHost:\tCy rolled 3 100-sided dice:  57 3 99");
  EXPECT_TRUE(window.chat->toPlainText().contains("Cy rolled 3 100-sided dice:  57 3 99"));

  window.rooms->setCurrentRow(1);
  QTest::mouseClick(window.raiseButton, Qt::LeftButton);
  EXPECT_EQ(rig.client.roomNames().front(), "Lobby");
  window.refresh();
  QTest::mouseClick(window.closeButton, Qt::LeftButton);
  window.refresh();
  EXPECT_EQ(rig.client.roomNames(), std::vector<std::string>{"Arena"});
  EXPECT_EQ(window.rooms->count(), 1);
}

TEST(ClientWindow, APersonSetsPlacesSignsNamesOnAndOffAndPressesTheBox) {
  SimRig rig;
  client::ClientWindow window(rig.client, rig.windows);
  window.roomName->setText("Packed");
  EXPECT_EQ(window.capacity->value(), 23);
  window.capacity->setValue(5);
  window.people->setValue(5);
  QTest::mouseClick(window.placesButton, Qt::LeftButton);
  EXPECT_EQ(rig.client.roomCapacity("Packed"), 5);
  EXPECT_EQ(rig.client.roomPeople("Packed"), 5);
  window.roomName->setText("Lobby");
  EXPECT_EQ(window.people->value(), 0);
  window.roomName->setText("Packed");
  EXPECT_EQ(window.people->value(), 5);

  window.screenName->setText("d an");
  QTest::mouseClick(window.signOnButton, Qt::LeftButton);
  EXPECT_TRUE(rig.client.signedOn("Dan"));
  EXPECT_TRUE(window.signedOn->text().contains("d an"));
  window.screenName->setText("BOB");
  QTest::mouseClick(window.signOffButton, Qt::LeftButton);
  EXPECT_FALSE(rig.client.signedOn("Bob"));
  EXPECT_FALSE(window.signedOn->text().contains("Bob"));

  chatlink::SendIM(rig.link, u"Dan", u"hello Dan");
  chatlink::SendKeyword(rig.link, u"aol://2719:61-2-Packed");
  rig.host.settle();
  window.refresh();
  ASSERT_EQ(window.delivered->count(), 1);
  EXPECT_EQ(window.delivered->item(0)->text(), "To Dan: hello Dan");
  EXPECT_TRUE(window.boxText->text().contains("Packed"));
  ASSERT_TRUE(window.boxButton->isEnabled());
  QTest::mouseClick(window.boxButton, Qt::LeftButton);
  rig.host.settle();
  window.refresh();
  EXPECT_EQ(rig.client.messageBox(), 0u);
  EXPECT_FALSE(window.boxButton->isEnabled());
}

}  // namespace
}  // namespace kestar::test
