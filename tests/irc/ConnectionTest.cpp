#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QVariant>
#include <ostream>
#include <string>
#include <vector>

#include "irc/net/IrcConnection.h"
#include "tests/irc/Network.h"

// Signal arguments in failure messages as text.
void PrintTo(const QVariant& value, std::ostream* out) {
  *out << value.toString().toStdString();
}

namespace kestar::irc {
namespace {

using State = IrcConnection::State;
using test::Ngircd;
using test::plainSettings;
using test::RawClient;

bool reaches(const IrcConnection& connection, State state, int ms) {
  return QTest::qWaitFor([&] { return connection.state() == state; }, ms);
}

// The last arguments of a signal once it has come, else an empty list.
QList<QVariant> awaited(QSignalSpy& spy, int ms = 5000) {
  if (spy.isEmpty() && !spy.wait(ms)) return {};
  return spy.takeFirst();
}

TEST(IrcConnection, RegistersTalksInChannelsAndIsToldWhatIsRefused) {
  Ngircd server;
  ASSERT_TRUE(server.start());
  RawClient bob(server.port(), "bob");
  RawClient holder(server.port(), "alice");
  ASSERT_TRUE(bob.registered());
  ASSERT_TRUE(holder.joined("#full"));

  IrcConnection alice(plainSettings(server.port(), "alice"));
  QSignalSpy chat(&alice, &IrcConnection::chatMessage);
  QSignalSpy joins(&alice, &IrcConnection::joined);
  QSignalSpy refusedJoins(&alice, &IrcConnection::joinRefused);
  QSignalSpy refusedSends(&alice, &IrcConnection::sendRefused);
  alice.join(QStringLiteral("#test"));
  alice.open();
  ASSERT_TRUE(reaches(alice, State::Registered, 5000));
  EXPECT_EQ(alice.nick(), QStringLiteral("alice_"));  // "alice" was taken

  EXPECT_EQ(awaited(joins), (QList<QVariant>{"#test", "alice_"}));
  bob.send("JOIN #test");
  EXPECT_EQ(awaited(joins), (QList<QVariant>{"#test", "bob"}));
  bob.send(
      "PRIVMSG #test :hello \x02there\x02 \x03"
      "04caf\xC3\xA9");
  EXPECT_EQ(awaited(chat), (QList<QVariant>{"#test", "bob", QStringLiteral("hello there café"),
                                            QVariant::fromValue(IrcConnection::Kind::Message)}));
  bob.send("PRIVMSG alice_ :psst caf\xE9");
  EXPECT_EQ(awaited(chat).mid(0, 3),
            (QList<QVariant>{"alice_", "bob", QStringLiteral("psst café")}));
  EXPECT_EQ(alice.members().names("#test"), (std::vector<std::string>{"alice_", "bob"}));
  EXPECT_EQ(alice.members().isOperator("#test", "alice_"), Membership::Status::Yes);

  alice.say(QStringLiteral("#test"), QStringLiteral("hi bob, caf\u00e9"));
  EXPECT_EQ(bob.waitFor("PRIVMSG #test"),
            ":alice_!~alice@127.0.0.1 PRIVMSG #test :hi bob, caf\xC3\xA9");
  QSignalSpy delivered(&alice, &IrcConnection::delivered);
  alice.say(QStringLiteral("bob"), QStringLiteral("just you\nand you"));
  EXPECT_EQ(bob.waitFor("PRIVMSG bob"), ":alice_!~alice@127.0.0.1 PRIVMSG bob :just you");
  EXPECT_EQ(bob.waitFor("PRIVMSG bob"), ":alice_!~alice@127.0.0.1 PRIVMSG bob :and you");
  // Both lines to bob read by the server, once each.
  EXPECT_TRUE(QTest::qWaitFor([&] {
    QStringList targets;
    for (const QList<QVariant>& emission : delivered)
      targets += emission.at(0).toStringList();
    return targets.count(QStringLiteral("bob")) == 2;
  }));
  // 1000 bytes of two-byte characters arrive whole, in lines the server need not cut.
  const QString longText = QString(500, QChar(0xE9));
  alice.say(QStringLiteral("#test"), longText);
  std::string arrived;
  for (int piece = 0; piece < 3 && arrived.size() < 1000; ++piece) {
    const std::string line = bob.waitFor("PRIVMSG #test");
    ASSERT_LE(line.size() + 2, 512u);
    arrived += line.substr(line.find(" :") + 2);
  }
  EXPECT_EQ(arrived, longText.toStdString());

  alice.join(QStringLiteral("#two words"));
  EXPECT_EQ(awaited(refusedJoins), (QList<QVariant>{"#two words", 0, "Not a channel name"}));
  alice.join(QStringLiteral("#full"));
  EXPECT_EQ(
      awaited(refusedJoins),
      (QList<QVariant>{"#full", 471, "Cannot join channel (+l) -- Channel is full, try later"}));
  // Knocking again: the second JOIN goes out; the third, too soon for the network, is answered
  // with the same refusal.
  alice.join(QStringLiteral("#full"));
  alice.join(QStringLiteral("#full"));
  for (int knock = 2; knock <= 3; ++knock)
    EXPECT_EQ(awaited(refusedJoins, 8000).value(1), 471) << knock;
  alice.say(QStringLiteral("nobody"), QStringLiteral("are you there?"));
  EXPECT_EQ(awaited(refusedSends, 8000),
            (QList<QVariant>{"nobody", 401, "No such nick or channel name"}));
  alice.say(QStringLiteral("Bob Smith"), QStringLiteral("x"));
  EXPECT_EQ(awaited(refusedSends).value(1), 0);
  EXPECT_EQ(alice.state(), State::Registered);
}

TEST(IrcConnection, TwentyLinesReachTheChannelInOrder) {
  Ngircd server;
  ASSERT_TRUE(server.start());
  RawClient bob(server.port(), "bob");
  ASSERT_TRUE(bob.joined("#test"));

  IrcConnection carol(plainSettings(server.port(), "carol"));
  QSignalSpy states(&carol, &IrcConnection::stateChanged);
  carol.join(QStringLiteral("#test"));
  for (int i = 1; i <= 20; ++i)
    carol.say(QStringLiteral("#test"), QStringLiteral("line %1 of 20").arg(i));
  carol.open();
  // A burst of 4, then one a second: about 16 seconds.
  for (int i = 1; i <= 20; ++i) {
    const std::string line = bob.waitFor("PRIVMSG #test", 6000);
    ASSERT_EQ(line, ":carol!~carol@127.0.0.1 PRIVMSG #test :line " + std::to_string(i) + " of 20");
  }
  EXPECT_EQ(carol.queued(), 0u);
  ASSERT_EQ(states.size(), 2);  // connecting, registered: never dropped meanwhile
  EXPECT_EQ(states.at(1).at(0).value<State>(), State::Registered);
}

TEST(IrcConnection, ReconnectsRejoinsAndSendsWhatWasQueued) {
  Ngircd server;
  ASSERT_TRUE(server.start());
  IrcSettings settings = plainSettings(server.port(), "dave");
  IrcConnection dave(settings);
  QSignalSpy states(&dave, &IrcConnection::stateChanged);
  dave.join(QStringLiteral("#test"));
  dave.open();
  ASSERT_TRUE(reaches(dave, State::Registered, 5000));

  // Said just before the fall: written, but the server never reads it.
  dave.say(QStringLiteral("#test"), QStringLiteral("said as it fell"));
  server.stop();
  ASSERT_TRUE(reaches(dave, State::Reconnecting, 5000));
  EXPECT_EQ(states.last().at(1), QStringLiteral("1"));  // the first wait: 1 second
  dave.say(QStringLiteral("#test"), QStringLiteral("said while away 1"));
  dave.say(QStringLiteral("#test"), QStringLiteral("said while away 2"));
  ASSERT_TRUE(server.restart());
  RawClient bob(server.port(), "bob");
  ASSERT_TRUE(bob.joined("#test"));

  EXPECT_EQ(bob.waitFor("JOIN", 10000), ":dave!~dave@127.0.0.1 JOIN :#test");
  EXPECT_EQ(bob.waitFor("PRIVMSG"), ":dave!~dave@127.0.0.1 PRIVMSG #test :said as it fell");
  EXPECT_EQ(bob.waitFor("PRIVMSG"), ":dave!~dave@127.0.0.1 PRIVMSG #test :said while away 1");
  EXPECT_EQ(bob.waitFor("PRIVMSG"), ":dave!~dave@127.0.0.1 PRIVMSG #test :said while away 2");
  EXPECT_EQ(dave.state(), State::Registered);
  EXPECT_EQ(dave.nick(), QStringLiteral("dave"));
}

TEST(IrcConnection, TlsTrustsTheGivenAuthorityAndNothingUnverified) {
  Ngircd server;
  ASSERT_TRUE(test::makeCertificate(server.folder()));
  ASSERT_TRUE(server.start(server.folder() / "cert.pem", server.folder() / "key.pem"));

  IrcSettings settings = plainSettings(server.tlsPort(), "erin");
  settings.tls = true;
  settings.host = QStringLiteral("localhost");
  IrcConnection refused(settings);
  QSignalSpy refusedStates(&refused, &IrcConnection::stateChanged);
  refused.open();
  ASSERT_TRUE(reaches(refused, State::Disconnected, 10000));
  EXPECT_TRUE(refusedStates.last().at(1).toString().startsWith(
      QStringLiteral("The server's certificate is not trusted: ")))
      << refusedStates.last().at(1).toString().toStdString();
  QTest::qWait(1500);  // no quiet retry either
  EXPECT_EQ(refused.state(), State::Disconnected);

  settings.caFile = QString::fromStdString(server.folder() / "cert.pem");
  IrcConnection trusted(settings);
  trusted.open();
  EXPECT_TRUE(reaches(trusted, State::Registered, 10000));
}

TEST(IrcConnection, SendsTheServerPasswordAndStopsWhenItIsWrong) {
  Ngircd server("[Global]\nPassword = sesame\n");
  ASSERT_TRUE(server.start());
  IrcSettings settings = plainSettings(server.port(), "gina");
  settings.password = QStringLiteral("wrong");
  IrcConnection refused(settings);
  QSignalSpy states(&refused, &IrcConnection::stateChanged);
  refused.open();
  ASSERT_TRUE(reaches(refused, State::Disconnected, 5000));
  EXPECT_EQ(states.last().at(1), QStringLiteral("Access denied: Bad password?"));
  QTest::qWait(1500);  // no retry
  EXPECT_EQ(states.size(), 2);

  settings.password = QStringLiteral("sesame");
  IrcConnection welcome(settings);
  welcome.open();
  EXPECT_TRUE(reaches(welcome, State::Registered, 5000));
}

// ngircd has no SASL: a scripted server plays it, then falls silent to test liveness.
TEST(IrcConnection, LogsInWithSaslPlainAndNoticesASilentServer) {
  QTcpServer fake;
  ASSERT_TRUE(fake.listen(QHostAddress::LocalHost, 0));
  std::vector<std::string> heard;
  LineReader reader;
  QTcpSocket* peer = nullptr;
  QObject::connect(&fake, &QTcpServer::newConnection, [&] {
    peer = fake.nextPendingConnection();
    QObject::connect(peer, &QTcpSocket::readyRead, [&, peer] {
      for (const std::string& line : reader.feed(peer->readAll().toStdString())) {
        heard.push_back(line);
        const auto answer = [&](const char* text) { peer->write(text); };
        if (line == "CAP LS 302")
          answer(":f CAP * LS * :multi-prefix\r\n:f CAP * LS :sasl=PLAIN\r\n");
        if (line == "CAP REQ :multi-prefix sasl") answer(":f CAP * ACK :multi-prefix sasl\r\n");
        if (line == "AUTHENTICATE PLAIN") answer("AUTHENTICATE +\r\n");
        if (line.rfind("AUTHENTICATE ", 0) == 0 && line != "AUTHENTICATE PLAIN")
          answer(":f 903 * :SASL authentication successful\r\n");
        if (line == "CAP END") answer(":f 001 frank :Welcome\r\n:f 422 frank :No MOTD\r\n");
      }
    });
  });
  IrcSettings settings = plainSettings(fake.serverPort(), "frank");
  settings.saslAccount = QStringLiteral("frank");
  settings.saslPassword = QStringLiteral("s3cret");
  settings.quietMs = 300;
  settings.answerMs = 300;
  IrcConnection frank(settings);
  frank.open();
  ASSERT_TRUE(reaches(frank, State::Registered, 5000));
  EXPECT_EQ(heard,
            (std::vector<std::string>{"CAP LS 302", "NICK frank", "USER frank 0 * Kestar",
                                      "CAP REQ :multi-prefix sasl", "AUTHENTICATE PLAIN",
                                      "AUTHENTICATE AGZyYW5rAHMzY3JldA==",  // "\0frank\0s3cret"
                                      "CAP END"}));
  // Silence: a PING after the quiet spell, then, unanswered, a new connection.
  ASSERT_TRUE(reaches(frank, State::Reconnecting, 3000));
  EXPECT_EQ(heard.back().rfind("PING ", 0), 0u);
}

}  // namespace
}  // namespace kestar::irc
