#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <functional>
#include <set>

#include "app/OwnClient.h"
#include "room/Room.h"
#include "shell/Controls.h"
#include "shell/Startup.h"
#include "tests/chatlink/KeywordTables.h"
#include "tests/support/ProgramRig.h"

namespace kestar::test {
namespace {

using room::Room;
using tables::operator+;

// The user picks an item from the list, as a click in the drop-down does.
void choose(QComboBox* box, int index) {
  box->setCurrentIndex(index);
  emit box->activated(index);
}

std::string advert(const std::string& count) {
  return "::runs in, panting:: Geez, I knocked on the door " + count +
         " times to get in ((Kestar Room Bust))";
}

// A rig with no chat room open, and a room "Lobby" that is full.
struct BustRig : ProgramRig {
  BustRig() {
    client.closeRoom(room);
    service.setRoomCapacity("Lobby", 2);
    service.setRoomPeople("Lobby", 2);
    click(window<shell::Startup>().Command5);
    buster.Text1->setText("Lobby");
  }
  Room& buster = window<Room>();
};

TEST(Room, LoadsWithItsControlsInTheirFirstState) {
  ProgramRig rig;
  click(rig.window<shell::Startup>().Command5);
  Room& w = rig.window<Room>();
  EXPECT_TRUE(w.isVisible());
  EXPECT_FALSE(rig.window<shell::Startup>().isVisible());
  EXPECT_EQ(w.windowTitle(), "Room Buster");
  EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);

  const QStringList locations = {"Featured", "Member", "Private"};
  const QStringList categories = {"Town Square",
                                  "Arts and Entertainment",
                                  "Friends",
                                  "Life",
                                  "News Sports & Finance",
                                  "Places",
                                  "Romance",
                                  "Special Interests",
                                  "Germany",
                                  "The UK Experience",
                                  "France",
                                  "Canada",
                                  "Japan",
                                  "Australia"};
  for (const auto& [box, caption, items] : {std::tuple{w.Combo1, "Location", locations},
                                            std::tuple{w.Combo2, "Category", categories}}) {
    QStringList shown;
    for (int i = 0; i < box->count(); ++i)
      shown << box->itemText(i);
    EXPECT_EQ(shown, items);
    EXPECT_EQ(box->currentIndex(), -1);
    EXPECT_EQ(box->currentText(), caption);
    EXPECT_TRUE(box->isEditable());
    EXPECT_TRUE(box->isEnabled());
  }
  const std::vector<std::tuple<QLineEdit*, QString, int>> lines = {
      {w.Text1, "Chat Room Name", 21}, {w.Text3, "", 32767}, {w.Text4, "", 10}};
  for (const auto& [line, text, limit] : lines) {
    EXPECT_EQ(line->text(), text);
    EXPECT_EQ(line->maxLength(), limit);
  }
  EXPECT_FALSE(w.Text2->isVisible());
  EXPECT_EQ(w.Text2->text(), "Text2");
  const std::vector<std::pair<QPushButton*, QString>> buttons = {{w.Command1, "Start"},
                                                                 {w.Command2, "Stop"},
                                                                 {w.Command4, "Close"},
                                                                 {w.Command3, "Send"},
                                                                 {w.Command5, "Clear"}};
  for (const auto& [button, caption] : buttons) {
    EXPECT_EQ(button->text(), caption);
    EXPECT_EQ(button->isEnabled(), button != w.Command2) << caption.toStdString();
  }
  EXPECT_EQ(w.Check1->text(), "Advertise");
  EXPECT_TRUE(w.Check1->isChecked());
  EXPECT_EQ(w.Label2->text(), "Total Attemps");
  EXPECT_EQ(w.Label4->text(), "Instant Message Sender");
  EXPECT_TRUE(w.Label4->font().bold());
  EXPECT_EQ(w.Label1->text(), "Screen Name:");
  EXPECT_EQ(w.Label3->text(), "Message:");
  EXPECT_TRUE(w.Text5->toPlainText().isEmpty());
  EXPECT_EQ(w.Text5->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

  // Tab order, each control once (a combo box's own edit line belongs to it).
  const std::vector<QWidget*> order = {w.Text1,    w.Combo1,   w.Combo2,   w.Text3,
                                       w.Check1,   w.Text4,    w.Text5,    w.Command3,
                                       w.Command5, w.Command1, w.Command2, w.Command4};
  const std::set<QWidget*> controls(order.begin(), order.end());
  std::vector<QWidget*> chain;
  QWidget* at = w.Text1;
  do {
    QWidget* control = at;
    while (control != nullptr && controls.count(control) == 0)
      control = control->parentWidget();
    const bool tabStop = (at->focusPolicy() & Qt::TabFocus) != 0;
    if (tabStop && control != nullptr && (chain.empty() || chain.back() != control)) {
      chain.push_back(control);
    }
    at = at->nextInFocusChain();
  } while (at != w.Text1 && chain.size() < 40);
  EXPECT_EQ(chain,
            (std::vector<QWidget*>{w.Text1, w.Command1, w.Command2, w.Command4, w.Combo1, w.Combo2,
                                   w.Text3, w.Check1, w.Text4, w.Text5, w.Command3, w.Command5}));
}

TEST(Room, ChoosingPrivateDisablesTheCategory) {
  ProgramRig rig;
  Room& w = rig.shown<Room>();
  const std::pair<int, bool> choices[] = {{2, false}, {0, true}, {2, false}, {1, true}};
  for (const auto& [location, enabled] : choices) {
    choose(w.Combo1, location);
    EXPECT_EQ(w.Combo2->isEnabled(), enabled) << location;
  }
}

TEST(RoomBust, BuildsTheKeywordFromLocationCategoryAndName) {
  struct Case {
    int location, category;
    const char* name;
    const char* keyword;
  };
  const Case cases[] = {
      {0, 6, "Lobby", "aol://2719:27-2-Lobby"},
      {1, 6, "Lobby", "aol://2719:67-2-Lobby"},
      {2, 6, "Lobby", "aol://2719:2-2-Lobby"},  // the category still shows, but is ignored
      {-1, 6, "Lobby", "aol://2719:7-2-Lobby"},
      {1, -1, "Lobby", "aol://2719:60-2-Lobby"},
      {-1, -1, "Two  Blanks", "aol://2719:0-2-Two  Blanks"},
      {0, 13, "Outback", "aol://2719:214-2-Outback"},
  };
  for (const Case& c : cases) {
    ProgramRig rig;
    rig.client.closeRoom(rig.room);
    Room& w = rig.shown<Room>();
    if (c.category >= 0) choose(w.Combo2, c.category);
    if (c.location >= 0) choose(w.Combo1, c.location);
    w.Text1->setText(c.name);
    click(w.Command1);
    EXPECT_EQ(rig.client.keywords(), std::vector<std::string>{c.keyword}) << c.keyword;
    EXPECT_EQ(rig.client.roomNames(), std::vector<std::string>{c.name}) << c.keyword;
    // Entered at the first attempt: the box shows 0, and so does the advertisement.
    EXPECT_EQ(w.Text3->text(), "0");
    EXPECT_EQ(rig.host.pauses, std::vector<int>{1});
    EXPECT_EQ(rig.sent(), std::vector<std::string>{advert("0")});
  }
}

TEST(RoomBust, TextTypedOverAChosenLocationIsNoLocation) {
  ProgramRig rig;
  rig.client.closeRoom(rig.room);
  Room& w = rig.shown<Room>();
  choose(w.Combo1, 1);
  w.Combo1->setEditText("Somewhere");
  w.Text1->setText("Lobby");
  click(w.Command1);
  EXPECT_EQ(rig.client.keywords(), std::vector<std::string>{"aol://2719:0-2-Lobby"});
}

TEST(RoomBust, ARoomAlreadyOpenMeansNoAttemptAndTheBoxAsItStands) {
  ProgramRig rig;
  Room& w = rig.shown<Room>();
  click(w.Command1);
  EXPECT_TRUE(rig.client.keywords().empty());
  EXPECT_TRUE(rig.host.pauses.empty());
  EXPECT_EQ(w.Text3->text(), "");
  EXPECT_TRUE(w.Command1->isEnabled());
  EXPECT_FALSE(w.Command2->isEnabled());

  w.Text3->setText("12");  // the user's edit after a run is what the next one quotes
  click(w.Command1);
  w.Check1->setChecked(false);
  click(w.Command1);
  EXPECT_EQ(rig.sent(), (std::vector<std::string>{advert(""), advert("12")}));
  EXPECT_EQ(rig.typedBySendChat(), rig.sent());
}

TEST(RoomBust, OnTheOwnClientARunEndsInTheRoomItKnocksAtWhateverElseIsOpen) {
  struct Case {
    const char* typed;
    const char* alsoOpen;  // besides "Spar Arena", and on top of it
    int fullForMs;         // how long "Lobby" turns visitors away
    const char* count;
    const char* advertIn;
  };
  const Case cases[] = {
      {"Lobby", "", 0, "0", "Lobby"},
      {"Lobby  ", "", 1500, "2", "Lobby"},  // the client takes the name without its end blanks
      {"Spar Arena", "Lobby", 0, "0", "Spar Arena"},  // one knock brings it to the top
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    ProgramRig rig;
    app::followOwnClient(rig.program, rig.client);
    if (*c.alsoOpen != '\0') rig.client.openRoom(c.alsoOpen);
    rig.service.setRoomPeople("Lobby", c.fullForMs > 0 ? 23 : 0);
    chatlink::Timer frees(rig.host, std::max(c.fullForMs, 1));
    frees.onTimer = [&] {
      frees.setEnabled(false);
      rig.service.setRoomPeople("Lobby", 0);
    };
    frees.setEnabled(c.fullForMs > 0);
    click(rig.window<shell::Startup>().Command5);
    Room& w = rig.window<Room>();
    w.Text1->setText(c.typed);
    click(w.Command1);
    EXPECT_EQ(w.Text3->text(), c.count);
    EXPECT_EQ(rig.client.keywords().size(), std::stoul(c.count) + 1);
    EXPECT_EQ(rig.sent(), std::vector<std::string>{advert(c.count)});
    EXPECT_EQ(rig.client.transcript(c.advertIn).back(), "SparKing:\t" + advert(c.count));
  }
}

TEST(RoomBust, KnocksOnAFullRoomUntilItFreesWhileHiddenAndCountsWhatCameBefore) {
  BustRig rig;
  Room& w = rig.buster;
  choose(w.Combo1, 1);
  choose(w.Combo2, 6);
  w.Check1->setChecked(false);
  chatlink::Timer person(rig.host, 1500);
  int tick = 0;
  person.onTimer = [&] {
    ++tick;
    if (tick == 1) {
      EXPECT_FALSE(w.Command1->isEnabled());
      EXPECT_TRUE(w.Command2->isEnabled());
      click(w.Command4);  // Close: the run goes on out of sight
      EXPECT_FALSE(w.isVisible());
      EXPECT_TRUE(rig.window<shell::Startup>().isVisible());
      choose(w.Combo1, 2);  // read at Start only
    } else if (tick == 3) {
      person.setEnabled(false);
      // The fifth knock's pause is running; each of the four before it was followed by the count.
      EXPECT_EQ(w.Text3->text(), "3");
      EXPECT_EQ(rig.client.messageBox(), 0u) << "a refusal was left showing";
      w.Text3->setText("99");
      w.Check1->setChecked(true);  // read when the run ends
      rig.service.setRoomPeople("Lobby", 1);
    }
  };
  person.setEnabled(true);
  click(w.Command1);

  EXPECT_EQ(rig.client.roomNames(), std::vector<std::string>{"Lobby"});
  EXPECT_EQ(rig.client.keywords(), std::vector<std::string>(6, "aol://2719:67-2-Lobby"));
  EXPECT_EQ(rig.client.messageBoxes().size(), 5u);
  EXPECT_EQ(rig.client.messageBox(), 0u);
  EXPECT_EQ(w.Text3->text(), "5");
  EXPECT_EQ(rig.sent(), std::vector<std::string>{advert("5")});
  EXPECT_TRUE(w.Command1->isEnabled());
  EXPECT_FALSE(w.Command2->isEnabled());

  click(rig.window<shell::Startup>().Command5);
  EXPECT_EQ(&rig.window<Room>(), &w);
  EXPECT_EQ(w.Text3->text(), "5");
}

// Starts a run that the user interrupts with action during the third knock's pause.
void interruptedRun(BustRig& rig, const std::function<void()>& action) {
  chatlink::Timer person(rig.host, 2500);
  person.onTimer = [&] {
    person.setEnabled(false);
    action();
  };
  person.setEnabled(true);
  click(rig.buster.Command1);
}

TEST(RoomBust, StopEndsTheRunAtItsNextTestAndStartWaitsForThat) {
  BustRig rig;
  Room& w = rig.buster;
  interruptedRun(rig, [&] {
    click(w.Command2);
    EXPECT_FALSE(w.Command2->isEnabled());
    EXPECT_FALSE(w.Command1->isEnabled()) << "a new run could start inside the stopped one";
  });
  // Stopped during the third knock's pause: that knock is still counted.
  EXPECT_EQ(w.Text3->text(), "2");
  EXPECT_EQ(rig.client.keywords().size(), 3u);
  EXPECT_TRUE(w.Command1->isEnabled());
  EXPECT_FALSE(w.Command2->isEnabled());
  // Advertise was checked, but no room is open: the line goes nowhere.
  EXPECT_TRUE(rig.sent().empty());

  // A new run counts from the start again and is not stopped by the old Stop.
  rig.service.setRoomPeople("Lobby", 0);
  click(w.Command1);
  EXPECT_EQ(w.Text3->text(), "0");
  EXPECT_EQ(rig.sent(), std::vector<std::string>{advert("0")});
}

TEST(RoomBust, ClosingTheWindowFromItsTitleBarDuringARunEndsItWithoutTheAdvertisement) {
  BustRig rig;
  interruptedRun(rig, [&] { rig.buster.close(); });
  EXPECT_TRUE(rig.program.ended());
  EXPECT_EQ(rig.client.keywords().size(), 3u);
  rig.service.setRoomPeople("Lobby", 0);
  rig.host.settle();
  EXPECT_TRUE(rig.client.sentByUser().empty());
  EXPECT_EQ(rig.client.keywords().size(), 3u) << "the run knocked after the end";
}

TEST(RoomBust, EndsWithTheBoxAtTheCountersLargestValue) {
  BustRig rig;
  rig.client.setResponding(false);  // knocks go unanswered: no room, no box
  click(rig.buster.Command1);
  EXPECT_EQ(rig.buster.Text3->text(), "32767");
  EXPECT_EQ(rig.host.pauses.size(), 32768u);
  EXPECT_TRUE(rig.buster.Command1->isEnabled());
  EXPECT_FALSE(rig.buster.Command2->isEnabled());
  // The line went to the room the client finally shows.
  rig.client.openRoom("Lobby");
  click(rig.buster.Command1);
  EXPECT_EQ(rig.sent(), std::vector<std::string>{advert("32767")});
}

TEST(ImSender, SendsTheMessageEmptiesItAndKeepsTheScreenName) {
  ProgramRig rig;
  Room& w = rig.shown<Room>();
  w.Text4->setText("Bob");
  w.Text5->setPlainText(" hi\nthere ");
  click(w.Command3);
  EXPECT_EQ(rig.service.instantMessages(),
            (std::vector<client::DeliveredMessage>{{"Bob", " hi\r\nthere "}}));
  EXPECT_TRUE(w.Text5->toPlainText().isEmpty());
  EXPECT_EQ(w.focusWidget(), w.Text5);
  EXPECT_EQ(w.Text4->text(), "Bob");
  EXPECT_TRUE(w.Command3->isEnabled());
  EXPECT_TRUE(rig.sent().empty()) << "nothing goes to the room";

  w.Text5->setPlainText("again");
  click(w.Command5);
  EXPECT_TRUE(w.Text4->text().isEmpty());
  EXPECT_TRUE(w.Text5->toPlainText().isEmpty());
  rig.host.settle();
  EXPECT_EQ(rig.service.instantMessages().size(), 1u);
}

TEST(ImSender, DismissesAShowingBoxBeforeSending) {
  ProgramRig rig;
  Room& w = rig.shown<Room>();
  rig.client.showMessageBox("The room is full.");
  const client::ShownBox box = rig.client.messageBoxes().at(0);
  w.Text4->setText("Ann");
  w.Text5->setPlainText("hello");
  rig.windows.takeMessages();
  click(w.Command3);
  const client::ImWindow& im = rig.client.imWindows().at(0);
  EXPECT_TRUE(sameMessages(withoutReads(rig.windows.takeMessages()),
                           tables::okPressedTwice(box.button) +
                               tables::keywordTyped(rig.client.keywordBox(), "aol://9293:Ann") +
                               tables::imFilledAndClicked(im.textBox, im.sendButton, "hello")));
  EXPECT_FALSE(rig.windows.exists(box.box));
  EXPECT_EQ(rig.service.instantMessages(),
            (std::vector<client::DeliveredMessage>{{"Ann", "hello"}}));
}

TEST(ImSender, AMessageThatDidNotGoOutStaysInItsBox) {
  struct Case {
    const char* what;
    bool signedOn, responding;
    double seconds;
  };
  const Case cases[] = {{"not signed on", false, true, 0},
                        {"client not responding", true, false, chatlink::kImWaitSeconds}};
  for (const Case& c : cases) {
    ProgramRig rig;
    Room& w = rig.shown<Room>();
    if (!c.signedOn) rig.service.signOff("Bob");
    rig.client.setResponding(c.responding);
    w.Text4->setText("Bob");
    w.Text5->setPlainText("still here");
    chatlink::Timer check(rig.host, 100);
    int sendEnabledDuringSend = 0;
    check.onTimer = [&] { sendEnabledDuringSend += w.Command3->isEnabled(); };
    check.setEnabled(true);
    click(w.Command3);
    check.setEnabled(false);
    EXPECT_EQ(sendEnabledDuringSend, 0) << c.what;
    EXPECT_NEAR(rig.host.steadySeconds(), c.seconds, 0.2) << c.what;
    EXPECT_EQ(w.Text5->toPlainText(), "still here") << c.what;
    EXPECT_TRUE(w.Command3->isEnabled()) << c.what;
    rig.host.settle();
    EXPECT_TRUE(rig.service.instantMessages().empty()) << c.what;
    EXPECT_EQ(rig.client.messageBox(), 0u) << c.what;
  }
}

TEST(ImSender, SaysHowTheMessageEndedAndASentOneIsSentWhateverBoxCameUp) {
  ProgramRig rig;
  Room& w = rig.shown<Room>();
  EXPECT_TRUE(w.ImStatus->text().isEmpty());
  // The room buster's late refusal comes up on the round the message goes out.
  bool late = true;
  rig.host.addSource([&] {
    if (!late || rig.service.instantMessages().empty()) return false;
    late = false;
    rig.client.showMessageBox("The room is full.");
    return true;
  });
  w.Text4->setText("Bob");
  w.Text5->setPlainText("first");
  click(w.Command3);
  EXPECT_EQ(w.ImStatus->text(), "Sent.");
  EXPECT_TRUE(w.Text5->toPlainText().isEmpty()) << "a sent message invites a duplicate";
  EXPECT_EQ(rig.service.instantMessages().size(), 1u);

  rig.service.signOff("Bob");
  w.Text5->setPlainText("second");
  click(w.Command3);
  EXPECT_EQ(w.ImStatus->text(),
            "Refused by the client: \"Bob is not signed on right now, so the message cannot be "
            "sent.\"");
  EXPECT_EQ(w.Text5->toPlainText(), "second");

  rig.client.setResponding(false);
  click(w.Command3);
  EXPECT_EQ(w.ImStatus->text(), "No answer from the client.");
  EXPECT_EQ(w.Text5->toPlainText(), "second");
}

TEST(ImSender, TheMessageHoldsAtMost300CharactersLineBreaksCountingTwo) {
  ProgramRig rig;
  Room& w = rig.shown<Room>();
  w.Text5->setPlainText(QString(290, 'x'));
  QTextCursor cursor = w.Text5->textCursor();
  cursor.setPosition(10);
  w.Text5->setTextCursor(cursor);
  w.Text5->insertPlainText(QString(20, 'y'));  // a paste in the middle: what fits is kept
  EXPECT_EQ(w.Text5->toPlainText(), QString(10, 'x') + QString(10, 'y') + QString(280, 'x'));

  w.Text5->clear();
  QTest::keyClicks(w.Text5, QString(305, 'z'));
  EXPECT_EQ(w.Text5->toPlainText(), QString(300, 'z'));

  w.Text5->setPlainText(QString(149, '\n') + "tail");
  Text breaks;
  for (int i = 0; i < 149; ++i)
    breaks += u"\r\n";
  EXPECT_EQ(shell::boxText(*w.Text5), breaks + u"ta");
}

}  // namespace
}  // namespace kestar::test
