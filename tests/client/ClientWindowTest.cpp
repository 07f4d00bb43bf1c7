#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include "app/ClientSide.h"
#include "app/KestarProgram.h"
#include "client/window/ClientWindow.h"
#include "client/window/PracticeControls.h"
#include "shell/QtHost.h"
#include "tests/support/SimFixture.h"

namespace kestar::test {
namespace {

// The client's window with the practice service's controls in it.
struct WindowRig : SimRig {
  client::ClientWindow window{client, windows};
  client::PracticeControls& practice = *new client::PracticeControls(service, window);
  WindowRig() { window.setServiceControls(&practice); }
};

TEST(ClientWindow, APersonEntersRoomsSaysLinesAndPlaysEveryoneElse) {
  WindowRig rig;
  auto& window = rig.window;
  auto& practice = rig.practice;
  EXPECT_TRUE(window.state->text().contains("SparKing"));
  window.roomName->setText("Lobby");
  QTest::mouseClick(window.openButton, Qt::LeftButton);
  window.roomName->setText("Arena");
  QTest::mouseClick(window.openButton, Qt::LeftButton);
  window.refresh();
  ASSERT_EQ(window.rooms->count(), 2);
  EXPECT_EQ(window.rooms->item(0)->text(), "Arena");
  EXPECT_EQ(window.currentRoom(), "Arena");
  ASSERT_EQ(window.people->count(), 1);
  EXPECT_EQ(window.people->item(0)->text(), "SparKing");

  // The user's own line goes through the room's input box and the service.
  window.line->setText("evening all");
  QTest::mouseClick(window.sayButton, Qt::LeftButton);
  rig.host.settle();
  EXPECT_EQ(rig.client.transcript("Arena"), std::vector<std::string>{"SparKing:\tevening all"});
  EXPECT_TRUE(window.line->text().isEmpty());

  practice.speaker->setText("Ann");
  practice.speakLine->setText("hello there");
  QTest::mouseClick(practice.speakButton, Qt::LeftButton);
  EXPECT_EQ(rig.client.transcript("Arena").back(), "Ann:\thello there");
  EXPECT_TRUE(practice.speakLine->text().isEmpty());

  rig.service.setNextRolls({57, 3, 99});
  practice.roller->setText("Cy");
  practice.dice->setValue(3);
  practice.sides->setValue(100);
  QTest::mouseClick(practice.rollButton, Qt::LeftButton);
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
  ASSERT_EQ(window.rooms->count(), 2);
  EXPECT_EQ(window.rooms->item(0)->text(), "Arena");
  EXPECT_EQ(window.rooms->item(1)->text(), "Lobby (left)");
}

TEST(ClientWindow, ShowsTheTopicNoticesApartTimesWhenAskedAndRoomsLeftUntilClosed) {
  WindowRig rig;
  auto& window = rig.window;
  std::string now = "20:15";
  rig.client.clock = [&] { return now; };
  window.resize(900, 400);
  window.show();
  EXPECT_FALSE(window.timeStamps->isChecked()) << "time stamps are off at first";
  EXPECT_EQ(window.topic->text(), "No topic");
  QTest::mouseClick(window.openButton, Qt::LeftButton);  // "Spar Arena"
  rig.service.setTopic("Spar Arena", "Mass spar at nine");
  rig.service.sayAs("Spar Arena", "Ann", "ready");
  rig.service.sayAs("Spar Arena", "Bob", "set");
  window.refresh();
  EXPECT_EQ(window.topic->text(), "Topic: Mass spar at nine");
  EXPECT_EQ(window.chat->toPlainText(), "Ann:\tready\nBob:\tset");

  window.timeStamps->click();
  EXPECT_EQ(window.chat->toPlainText(), "20:15 Ann:\tready\n20:15 Bob:\tset");
  EXPECT_TRUE(QSettings().value("client/timeStamps").toBool());
  EXPECT_EQ(rig.client.transcript("Spar Arena").front(), "Ann:\tready")
      << "the scanner reads a time";

  // Left, the room's lines stay until the person closes it; the client's note is no speech.
  now = "20:30";
  QTest::mouseClick(window.closeButton, Qt::LeftButton);
  window.refresh();
  EXPECT_EQ(window.rooms->item(0)->text(), "Spar Arena (left)");
  EXPECT_EQ(window.chat->toPlainText(),
            "20:15 Ann:\tready\n20:15 Bob:\tset\n20:30 You left the room.");
  QTextCursor speech(window.chat->document()->firstBlock());
  QTextCursor notice(window.chat->document()->lastBlock());
  speech.movePosition(QTextCursor::EndOfBlock);
  notice.movePosition(QTextCursor::EndOfBlock);
  EXPECT_NE(speech.charFormat().fontItalic(), notice.charFormat().fontItalic());
  QTest::mouseClick(window.closeButton, Qt::LeftButton);  // now "Close"
  window.refresh();
  EXPECT_EQ(window.rooms->count(), 0);
  QSettings().remove("client");
}

TEST(ClientWindow, APersonSetsPlacesSignsNamesOnAndOffSendsMessagesAndPressesTheBox) {
  WindowRig rig;
  auto& window = rig.window;
  auto& practice = rig.practice;
  window.roomName->setText("Packed");
  EXPECT_EQ(practice.capacity->value(), 23);
  practice.capacity->setValue(5);
  practice.people->setValue(5);
  QTest::mouseClick(practice.placesButton, Qt::LeftButton);
  EXPECT_EQ(rig.service.roomCapacity("Packed"), 5);
  EXPECT_EQ(rig.service.roomPeople("Packed"), 5);
  window.roomName->setText("Lobby");
  EXPECT_EQ(practice.people->value(), 0);
  window.roomName->setText("Packed");
  EXPECT_EQ(practice.people->value(), 5);

  practice.screenName->setText("d an");
  QTest::mouseClick(practice.signOnButton, Qt::LeftButton);
  EXPECT_TRUE(rig.service.signedOn("Dan"));
  EXPECT_TRUE(practice.signedOn->text().contains("d an"));
  practice.screenName->setText("BOB");
  QTest::mouseClick(practice.signOffButton, Qt::LeftButton);
  EXPECT_FALSE(rig.service.signedOn("Bob"));
  EXPECT_FALSE(practice.signedOn->text().contains("Bob"));

  chatlink::SendIM(rig.link, u"Dan", u"hello Dan");
  window.imTo->setText("Ann");
  window.imText->setText("hi Ann");
  QTest::mouseClick(window.imSendButton, Qt::LeftButton);
  window.keyword->setText("aol://2719:61-2-Packed");
  QTest::mouseClick(window.goButton, Qt::LeftButton);
  rig.host.settle();
  window.refresh();
  ASSERT_EQ(practice.delivered->count(), 2);
  EXPECT_EQ(practice.delivered->item(0)->text(), "To Dan: hello Dan");
  EXPECT_EQ(practice.delivered->item(1)->text(), "To Ann: hi Ann");
  EXPECT_TRUE(window.boxText->text().contains("Packed"));
  ASSERT_TRUE(window.boxButton->isEnabled());
  QTest::mouseClick(window.boxButton, Qt::LeftButton);
  rig.host.settle();
  window.refresh();
  EXPECT_EQ(rig.client.messageBox(), 0u);
  EXPECT_FALSE(window.boxButton->isEnabled());
}

TEST(ClientWindow, TheRoomBoxStartsWithTheRoomOfTheIrcAddressOrThePracticeRoom) {
  const std::pair<const char*, const char*> cases[] = {
      {nullptr, "Spar Arena"}, {"irc://127.0.0.1:6667/%23Mass_Spar", "Mass Spar"}, {"", ""}};
  for (const auto& [remembered, room] : cases) {
    // The IRC controls' last address, without a nick: the service does not connect.
    if (remembered != nullptr) QSettings().setValue("irc/address", remembered);
    const auto side = app::makeClientSide(app::parseOptions(
        remembered ? std::vector<std::string>{"--irc"} : std::vector<std::string>{}));
    shell::QtHost host;
    app::KestarProgram program(side->api(), host);
    side->show(program);
    int shown = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (const auto* client = dynamic_cast<client::ClientWindow*>(window)) {
        EXPECT_EQ(client->roomName->text(), room);
        ++shown;
      }
    }
    EXPECT_EQ(shown, 1);
    host.end();
  }
  QSettings().remove("irc");
}

}  // namespace
}  // namespace kestar::test
