#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include "simclient/window/SimClientWindow.h"
#include "tests/support/SimFixture.h"

namespace kestar::test {
namespace {

TEST(SimClientWindow, APersonOpensRoomsSpeaksAndRollsAsAnyone) {
  SimRig rig;
  sim::SimClientWindow window(rig.client, rig.windows);
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

}  // namespace
}  // namespace kestar::test
