#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <regex>
#include <string>

#include "app/KestarProgram.h"
#include "client/Client.h"
#include "client/irc/IrcService.h"
#include "dice/Dice.h"
#include "moves/Moves.h"
#include "room/Room.h"
#include "shell/QtHost.h"
#include "shell/Startup.h"
#include "spar/Init.h"
#include "tests/client/IrcChecks.h"

namespace kestar::test {
namespace {

using irc::test::RawClient;
using irc::test::speaker;
using irc::test::text;

// The whole program on each network: ngircd trusts the roller by channel operator status,
// InspIRCd with services by the roller's account.
class IrcProgramOnNetwork : public irc::test::OnNetwork {};
INSTANTIATE_TEST_SUITE_P(, IrcProgramOnNetwork, irc::test::everyNetwork(), irc::test::paramName);

// The roll road over a real server: a player asks, the serving Kestar answers, the counting
// Kestar totals only the roll service's lines, and the player reads it all in order.
TEST_P(IrcProgramOnNetwork, APlayersRollIsAnsweredAndTotalledAndForgeriesAreNot) {
  const bool byAccount = network.hasServices();
  const QString password = accountOf(network, "DiceHost");
  RawClient bob(network.port(), "bob");
  ASSERT_TRUE(bob.joined("#Spar_Arena"));  // first: the channel's operator

  IrcProgram roller(network.port(), "DiceHost", true, password);
  ASSERT_TRUE(roller.enter("Spar Arena"));
  IrcProgram counter(network.port(), "carol", false);
  ASSERT_TRUE(counter.enter("Spar Arena"));
  QTest::mouseClick(counter.program.window<shell::Startup>().Command1, Qt::LeftButton);
  QTest::mouseClick(counter.program.window<dice::Dice>().Command1, Qt::LeftButton);
  RawClient forger(network.port(), "OnlineHost");
  ASSERT_TRUE(forger.registered());
  forger.send("JOIN #Spar_Arena");
  ASSERT_FALSE(bob.waitFor(":OnlineHost!").empty());

  // By the operator rule, the roller without operator status is not totalled; nor is, by any
  // rule, a user named as the service.
  if (!byAccount) {
    bob.send("PRIVMSG #Spar_Arena ://roll-dice1-sides20");
    const std::string untrusted = bob.waitFor("PRIVMSG #Spar_Arena");
    EXPECT_EQ(speaker(untrusted), "DiceHost");
  }
  forger.send("PRIVMSG #Spar_Arena :zed rolled 1 20-sided die:  20");
  ASSERT_TRUE(QTest::qWaitFor([&] {
    return !counter.client.transcript("Spar Arena").empty() &&
           counter.client.transcript("Spar Arena").back() ==
               "~OnlineHost:\tzed rolled 1 20-sided die:  20";
  }));
  QTest::qWait(1500);  // time enough for a counter to answer either
  EXPECT_EQ(speaker(bob.waitFor("PRIVMSG #Spar_Arena")), "OnlineHost");

  // The roller as channel operator, or logged in as its account: the service of the room.
  if (!byAccount) {
    bob.send("MODE #Spar_Arena +o DiceHost");
    ASSERT_FALSE(bob.waitFor("MODE #Spar_Arena +o").empty());
  }
  expectBobsRollTotalled(bob, counter, "DiceHost", "carol");
}

// Signed on, then the Room window open, its buster set to knock at a private room.
room::Room& roomWindow(IrcProgram& kestar, const char* name) {
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return kestar.service.connection().state() == irc::IrcConnection::State::Registered; },
      5000));
  QTest::mouseClick(kestar.program.window<shell::Startup>().Command5, Qt::LeftButton);
  room::Room& buster = kestar.program.window<room::Room>();
  buster.Combo1->setCurrentIndex(2);  // a private room: its name only
  buster.Text1->setText(QString::fromLatin1(name));
  return buster;
}

// The room buster at a channel full by its limit: each refusal is the client's message box, and
// the knocking goes on until a place is free.
TEST_P(IrcProgramOnNetwork, TheRoomBusterKnocksAtAFullChannelUntilAPlaceFrees) {
  RawClient holder(network.port(), "holder");
  RawClient filler(network.port(), "filler");
  ASSERT_TRUE(holder.registered());
  ASSERT_TRUE(filler.registered());
  holder.send("JOIN #Lobby");
  holder.send("MODE #Lobby +l 2");
  filler.send("JOIN #Lobby");
  ASSERT_FALSE(holder.waitFor(":filler!").empty());

  IrcProgram kestar(network.port(), "ann", false);
  room::Room& buster = roomWindow(kestar, "Lobby");
  buster.Check1->setChecked(false);
  // A place frees once the first refusal has shown.
  QTimer person;
  QObject::connect(&person, &QTimer::timeout, [&] {
    if (kestar.client.messageBoxes().empty()) return;
    filler.send("PART #Lobby");
    person.stop();
  });
  person.start(20);
  QTest::mouseClick(buster.Command1, Qt::LeftButton);  // returns when the run has ended

  EXPECT_EQ(kestar.client.roomNames(), std::vector<std::string>{"Lobby"});
  ASSERT_FALSE(kestar.client.messageBoxes().empty());
  EXPECT_EQ(kestar.client.messageBoxes().front().text,
            "The room \"Lobby\" is full. Try again in a little while.");
  EXPECT_EQ(kestar.client.messageBox(), 0u);
  EXPECT_GE(buster.Text3->text().toInt(), 1);
  EXPECT_EQ(kestar.client.keywords().front(), "aol://2719:2-2-Lobby");
}

// The limit lifted while the buster knocks faster than the network takes JOINs: its held knock
// says how long it waits, then knocks for real and gets in, within the pace.
TEST(IrcProgram, TheRoomBusterGetsInOnceThePaceAllowsAfterTheLimitIsLifted) {
  irc::test::Ngircd server;
  ASSERT_TRUE(server.start());
  RawClient holder(server.port(), "holder");
  ASSERT_TRUE(holder.joined("#Lobby"));
  holder.send("MODE #Lobby +l 1");
  IrcProgram kestar(server.port(), "ann", false);
  irc::IrcSettings settings = kestar.service.settings().connection;
  settings.joinPace = irc::JoinPace{2, irc::Millis(5000)};
  kestar.service.connectTo(settings);
  room::Room& buster = roomWindow(kestar, "Lobby");
  QTimer person;
  QObject::connect(&person, &QTimer::timeout, [&] {
    // Two knocks refused, the third held.
    if (kestar.client.messageBoxes().size() < 3) return;
    holder.send("MODE #Lobby -l");
    person.stop();
  });
  person.start(20);
  QTest::mouseClick(buster.Command1, Qt::LeftButton);  // returns when the run has ended

  EXPECT_EQ(kestar.client.roomNames(), std::vector<std::string>{"Lobby"});
  std::vector<std::string> boxes;
  for (const auto& box : kestar.client.messageBoxes())
    boxes.push_back(box.text);
  ASSERT_GE(boxes.size(), 2u);
  EXPECT_EQ(boxes.front(), "The room \"Lobby\" is full. Try again in a little while.");
  EXPECT_TRUE(std::regex_match(boxes.back(), std::regex("Knocked at the room \"Lobby\" often just "
                                                        "now: waiting [1-5] s before knocking "
                                                        "again\\.")))
      << boxes.back();
  EXPECT_LE(buster.Text3->text().toInt(), 6);
  EXPECT_EQ(text(holder.waitFor("PRIVMSG #Lobby")),
            "::runs in, panting:: Geez, I knocked on the door " +
                buster.Text3->text().toStdString() + " times to get in ((Kestar Room Bust))");
}

// Banned: the run ends at the refusal's box, which stays, and announces nothing in the room the
// user is in.
TEST(IrcProgram, TheRoomBusterStopsAtARoomThatTurnsTheUserAwayForGood) {
  irc::test::Ngircd server;
  ASSERT_TRUE(server.start());
  RawClient bob(server.port(), "bob");
  ASSERT_TRUE(bob.joined("#Spar_Arena"));
  bob.send("JOIN #Lobby");
  bob.send("MODE #Lobby +b ann!*@*");
  ASSERT_FALSE(bob.waitFor("MODE #Lobby +b").empty());
  IrcProgram kestar(server.port(), "ann", false);
  ASSERT_TRUE(kestar.enter("Spar Arena"));
  room::Room& buster = roomWindow(kestar, "Lobby");
  QTest::mouseClick(buster.Command1, Qt::LeftButton);

  EXPECT_EQ(buster.Text3->text(), "0");
  ASSERT_NE(kestar.client.messageBox(), 0u);
  EXPECT_EQ(kestar.client.messageBoxes().back().text, "You are banned from the room \"Lobby\".");
  EXPECT_TRUE(buster.Command1->isEnabled());
  EXPECT_EQ(bob.waitFor("PRIVMSG #Spar_Arena", 1500), "");
}

// IRC has no delivery receipt: a message the server has taken is sent; one it refuses shows the
// client's box, and the sender keeps it.
TEST(IrcProgram, TheInstantMessageSenderSaysSentOnceTheServerHasTheMessage) {
  irc::test::Ngircd server;
  ASSERT_TRUE(server.start());
  RawClient bob(server.port(), "bob");
  ASSERT_TRUE(bob.registered());
  IrcProgram kestar(server.port(), "ann", false);
  room::Room& sender = roomWindow(kestar, "");
  sender.Text4->setText(QStringLiteral("bob"));
  sender.Text5->setPlainText(QStringLiteral("a place is free"));
  QTest::mouseClick(sender.Command3, Qt::LeftButton);  // returns when the message has gone
  EXPECT_EQ(sender.ImStatus->text(), "Sent.");
  EXPECT_EQ(sender.Text5->toPlainText(), "");
  EXPECT_EQ(text(bob.waitFor("PRIVMSG bob")), "a place is free");

  sender.Text4->setText(QStringLiteral("nobody"));
  sender.Text5->setPlainText(QStringLiteral("are you there?"));
  QTest::mouseClick(sender.Command3, Qt::LeftButton);
  EXPECT_EQ(sender.ImStatus->text(),
            "Refused by the client: \"nobody is not signed on right now, so the message cannot be "
            "sent.\"");
  EXPECT_EQ(sender.Text5->toPlainText(), "are you there?");
}

// A stored move of 20 lines, one a second, and the spar terms reach the channel whole and in
// order, through the connection's paced queue, without the server throttling or dropping Kestar.
// The case mapping plays no part in pacing: each server once.
class IrcProgramOnEachServer : public irc::test::OnNetwork {};
INSTANTIATE_TEST_SUITE_P(, IrcProgramOnEachServer, irc::test::bothServers(), irc::test::paramName);

TEST_P(IrcProgramOnEachServer, AMoveOfTwentyLinesAndTheTermsReachTheChannelWholeAndInOrder) {
  RawClient bob(network.port(), "bob");
  ASSERT_TRUE(bob.joined("#Spar_Arena"));
  IrcProgram kestar(network.port(), "carol", false);
  ASSERT_TRUE(kestar.enter("Spar Arena"));
  QTest::mouseClick(kestar.program.window<shell::Startup>().Command6, Qt::LeftButton);
  moves::Moves& moves = kestar.program.window<moves::Moves>();
  QString move;
  for (int line = 1; line <= 20; ++line)
    move += QStringLiteral("Move %1: a swift strike, then a feint to the left\n").arg(line);
  moves.Text1->setPlainText(move);
  QTest::mouseClick(moves.Command1, Qt::LeftButton);  // returns when the scroll has ended
  for (int line = 1; line <= 20; ++line) {
    EXPECT_EQ(text(bob.waitFor("PRIVMSG #Spar_Arena", 5000)),
              "Move " + std::to_string(line) + ": a swift strike, then a feint to the left");
  }

  QTest::mouseClick(kestar.program.window<shell::Startup>().Command1, Qt::LeftButton);
  for (const std::string& line : sendAllTerms(kestar))
    EXPECT_EQ(text(bob.waitFor("PRIVMSG #Spar_Arena", 5000)), line);
  EXPECT_EQ(kestar.service.connection().state(), irc::IrcConnection::State::Registered);
  EXPECT_EQ(kestar.service.connection().queued(), 0u);
}

// Init collects the first roll of each player from the channel, as the roll service answers it.
TEST_P(IrcProgramOnNetwork, InitCollectsEachPlayersFirstRoll) {
  IrcProgram roller(network.port(), "DiceHost", true, accountOf(network, "DiceHost"));
  ASSERT_TRUE(roller.enter("Spar Arena"));  // first: the channel's operator
  IrcProgram counter(network.port(), "carol", false);
  ASSERT_TRUE(counter.enter("Spar Arena"));
  RawClient bob(network.port(), "bob");
  RawClient eve(network.port(), "eve");
  ASSERT_TRUE(bob.registered());
  ASSERT_TRUE(eve.registered());
  bob.send("JOIN #Spar_Arena");
  eve.send("JOIN #Spar_Arena");
  ASSERT_FALSE(bob.waitFor(":eve!").empty());
  QTest::mouseClick(counter.program.window<shell::Startup>().Command1, Qt::LeftButton);
  QTest::mouseClick(counter.program.window<dice::Dice>().Command5, Qt::LeftButton);
  spar::Init& init = counter.program.window<spar::Init>();
  QTest::mouseClick(init.Command1, Qt::LeftButton);  // Start Init
  EXPECT_EQ(text(bob.waitFor("PRIVMSG #Spar_Arena")), "~*Roll 1d100 Init*~");

  std::vector<std::string> firsts;
  for (RawClient* player : {&bob, &eve, &bob}) {
    player->send("PRIVMSG #Spar_Arena ://roll-dice1-sides100");
    const std::string answer = text(bob.waitFor(":DiceHost!"));
    ASSERT_NE(answer.find(" rolled 1 100-sided die:  "), std::string::npos) << answer;
    if (firsts.size() < 2) firsts.push_back(answer.substr(answer.rfind(' ') + 1));
  }
  std::vector<std::string> names;
  std::vector<std::string> values;
  ASSERT_TRUE(QTest::qWaitFor([&] { return init.List1->count() == 2; }, 5000));
  QTest::qWait(500);  // the second roll by bob has been seen too
  for (int row = 0; row < init.List1->count(); ++row) {
    names.push_back(init.List1->item(row)->text().toStdString());
    values.push_back(init.List2->item(row)->text().toStdString());
  }
  EXPECT_EQ(names, (std::vector<std::string>{"bob", "eve"}));
  EXPECT_EQ(values, firsts);
}

}  // namespace
}  // namespace kestar::test
