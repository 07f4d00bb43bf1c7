#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "irc/net/IrcConnection.h"
#include "tests/irc/OnNetwork.h"
#include "tests/irc/ScriptedServer.h"

namespace kestar::irc {
namespace {

using Kind = IrcConnection::Kind;
using test::plainSettings;
using test::RawClient;
using test::ScriptedServer;

QList<QVariant> relayedLine(quint64 ticket, const char* target, const std::string& text) {
  return {ticket, target, QString::fromStdString(text), QVariant::fromValue(Kind::Message)};
}

class OwnLinesOnNetwork : public test::OnNetwork {};
INSTANTIATE_TEST_SUITE_P(, OwnLinesOnNetwork, test::bothServers(), test::paramName);

// 1,400 bytes of letters and euro signs without a blank: each piece fills the line the server
// relays (510 bytes, less at most two of a cut character) and none is cut (InspIRCd cuts
// without a word, ngircd writes [CUT] over the end). The program has each piece once, as the
// room got it: echoed by InspIRCd, as written on ngircd; never as someone's chat.
TEST_P(OwnLinesOnNetwork, ALongLineReachesTheRoomWholeAndIsRelayedPieceByPiece) {
  RawClient bob(network.port(), "bob");
  ASSERT_TRUE(bob.joined("#test"));
  IrcConnection alice(plainSettings(network.port(), "alice"));
  QSignalSpy chat(&alice, &IrcConnection::chatMessage);
  QSignalSpy relayed(&alice, &IrcConnection::relayed);
  QSignalSpy cut(&alice, &IrcConnection::cut);
  alice.join(QStringLiteral("#test"));
  alice.open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return alice.members().inChannel("#test"); }, 5000));
  EXPECT_EQ(alice.echoes(), network.hasServices());

  std::string said;
  for (int i = 0; said.size() < 1400; ++i)
    said +=
        i % 7 == 6 ? std::string("\xE2\x82\xAC") : std::string(1, static_cast<char>('a' + i % 26));
  const quint64 ticket = alice.say(QStringLiteral("#test"), QString::fromStdString(said));
  std::vector<std::string> pieces;
  std::string got;
  while (got.size() < said.size()) {
    const std::string line = bob.waitFor(" PRIVMSG #test :", 5000);
    ASSERT_FALSE(line.empty()) << got.size() << " of " << said.size();
    if (got.size() + test::text(line).size() < said.size()) {
      EXPECT_GE(line.size(), 508u);
      EXPECT_LE(line.size(), 510u);
    }
    pieces.push_back(test::text(line));
    got += pieces.back();
  }
  EXPECT_EQ(got, said);
  EXPECT_EQ(pieces.size(), 3u);
  ASSERT_TRUE(QTest::qWaitFor([&] { return relayed.size() >= 3; }, 5000));
  QTest::qWait(300);
  ASSERT_EQ(relayed.size(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(relayed.at(i), relayedLine(ticket, "#test", pieces[i])) << i;
  EXPECT_TRUE(chat.isEmpty());
  EXPECT_TRUE(cut.isEmpty());
  EXPECT_TRUE(alice.unrelayed().empty());
}

// A nick merely taken shows that its length is allowed: the alternate is cut only where the
// server says it is too long (ngircd takes 12 characters here, InspIRCd 30).
TEST_P(OwnLinesOnNetwork, AnAlternateNickIsAsLongAsTheServerTakes) {
  RawClient holder(network.port(), "Watcher12345");
  ASSERT_TRUE(holder.registered());
  IrcConnection watcher(plainSettings(network.port(), "Watcher12345"));
  watcher.open();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return watcher.state() == IrcConnection::State::Registered; }, 10000));
  EXPECT_EQ(watcher.nick(), network.hasServices() ? "Watcher12345_" : "Watcher1234_");
}

// A server that echoes, and cuts every relayed line to 400 bytes without a word, refuses a
// line (404) and drops a NOTICE silently; it also echoes a line said elsewhere under the nick,
// and nothing to #quiet.
TEST(OwnLines, WhatTheServerEchoesIsComparedWithWhatWasSent) {
  ScriptedServer fake([](QTcpSocket& peer, int, const std::string& line) {
    const auto write = [&](const std::string& text) {
      peer.write(QByteArray::fromStdString(text + "\r\n"));
    };
    if (line == "CAP LS 302") write(":f CAP * LS :echo-message");
    if (line == "CAP REQ echo-message") write(":f CAP kim ACK :echo-message");
    if (line == "CAP END") write(":f 001 kim :Welcome\r\n:f 422 kim :No MOTD");
    if (line == "JOIN #c") write(":kim!k@h JOIN #c");
    // Late, so that a refusal is seen before the server shows it read the lines.
    if (line.rfind("PING ", 0) == 0) {
      QTimer::singleShot(500, &peer, [&peer, token = line.substr(5)] {
        peer.write(QByteArray::fromStdString(":f PONG f " + token + "\r\n"));
      });
    }
    if (line.rfind("PRIVMSG #gone ", 0) == 0) write(":f 404 kim #gone :Cannot send to channel");
    if (line.rfind("PRIVMSG #c ", 0) == 0) {
      const std::string said = line.substr(line[11] == ':' ? 12 : 11);
      write((":kim!k@longer.host PRIVMSG #c :" + said).substr(0, 400));
    }
  });
  IrcConnection kim(plainSettings(fake.port(), "kim"));
  QSignalSpy chat(&kim, &IrcConnection::chatMessage);
  QSignalSpy relayed(&kim, &IrcConnection::relayed);
  QSignalSpy cut(&kim, &IrcConnection::cut);
  kim.join(QStringLiteral("#c"));
  kim.open();
  ASSERT_TRUE(QTest::qWaitFor([&] { return kim.members().inChannel("#c"); }, 5000));
  EXPECT_TRUE(kim.echoes());

  // "kim!k@h" leaves 489 bytes: the first piece is cut to 369 (the echo's mask is longer), which
  // the pieces said later leave room for.
  const quint64 first = kim.say(QStringLiteral("#c"), QString(600, QLatin1Char('x')));
  ASSERT_TRUE(QTest::qWaitFor([&] { return relayed.size() == 2; }, 5000));
  EXPECT_EQ(relayed.at(0), relayedLine(first, "#c", std::string(369, 'x')));
  EXPECT_EQ(relayed.at(1), relayedLine(first, "#c", std::string(111, 'x')));
  ASSERT_EQ(cut.size(), 1);
  EXPECT_EQ(cut.at(0), (QList<QVariant>{first, "#c", QString(120, QLatin1Char('x'))}));
  EXPECT_EQ(kim.members().mask(), "kim!k@longer.host");
  const quint64 second = kim.say(QStringLiteral("#c"), QString(600, QLatin1Char('y')));
  ASSERT_TRUE(QTest::qWaitFor([&] { return relayed.size() == 4; }, 5000));
  EXPECT_EQ(relayed.at(2), relayedLine(second, "#c", std::string(369, 'y')));
  EXPECT_EQ(relayed.at(3), relayedLine(second, "#c", std::string(231, 'y')));
  EXPECT_EQ(cut.size(), 1);

  // Refused, or dropped without a word: neither is relayed, and neither waits once the server
  // has shown it read them, as the program hears that it has.
  std::vector<std::size_t> waitingWhenRead;
  QObject::connect(&kim, &IrcConnection::delivered, &kim,
                   [&] { waitingWhenRead.push_back(kim.unrelayed().size()); });
  QSignalSpy refused(&kim, &IrcConnection::sendRefused);
  kim.say(QStringLiteral("#gone"), QStringLiteral("nobody hears"));
  kim.notice(QStringLiteral("#c"), QStringLiteral("quiet"));
  ASSERT_TRUE(refused.wait(5000));
  EXPECT_EQ(kim.unrelayed().size(), 1u);
  EXPECT_TRUE(QTest::qWaitFor([&] { return kim.unrelayed().empty(); }, 8000));
  ASSERT_FALSE(waitingWhenRead.empty());
  EXPECT_EQ(waitingWhenRead.back(), 0u);
  fake.say(":kim!k@longer.host PRIVMSG #c :said elsewhere\r\n");
  ASSERT_TRUE(QTest::qWaitFor([&] { return relayed.size() == 5; }, 3000));
  EXPECT_EQ(relayed.at(4), relayedLine(0, "#c", "said elsewhere"));
  EXPECT_TRUE(chat.isEmpty());

  // Written just before the program's own QUIT, which the server reads after it: relayed.
  QSignalSpy written(&kim, &IrcConnection::written);
  const quint64 last = kim.say(QStringLiteral("#quiet"), QStringLiteral("last words"));
  ASSERT_TRUE(written.wait(3000));
  kim.close();
  ASSERT_EQ(relayed.size(), 6);
  EXPECT_EQ(relayed.at(5), relayedLine(last, "#quiet", "last words"));
}

}  // namespace
}  // namespace kestar::irc
