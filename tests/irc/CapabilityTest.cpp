#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <set>
#include <string>
#include <vector>

#include "irc/net/IrcConnection.h"
#include "tests/irc/OnNetwork.h"
#include "tests/irc/ScriptedServer.h"

namespace kestar::irc {
namespace {

using State = IrcConnection::State;
using test::plainSettings;
using test::ScriptedServer;

bool settles(const IrcConnection& connection) {
  return QTest::qWaitFor(
      [&] {
        return connection.state() == State::Registered || connection.state() == State::Disconnected;
      },
      5000);
}

const std::string kWelcome = ":f 001 kim :Welcome\r\n:f 422 kim :No MOTD\r\n";

// What the program asks for, how a refusal of capabilities, of the login or of the password
// ends, against servers that say what the test's real servers never do.
TEST(IrcCapabilities, AskForWhatIsOfferedAndStopWithoutALoginThatWasAskedFor) {
  const struct {
    const char* what;
    const char* login;     // the SASL password, for the account "kim"
    const char* password;  // the server's
    ScriptedServer::Replies script;
    std::vector<std::string> heard;
    const char* ended;  // the reason of the disconnection, nullptr when registered
    std::set<std::string> granted;
  } cases[] = {
      {"two lines of LS",
       nullptr,
       nullptr,
       {{"CAP LS 302",
         ":f CAP * LS * :multi-prefix echo-message account-tag away-notify\r\n"
         ":f CAP * LS :extended-join account-notify userhost-in-names server-time "
         "message-tags cap-notify sasl=PLAIN\r\n"},
        {"CAP REQ *",
         ":f CAP kim ACK :multi-prefix userhost-in-names account-tag account-notify "
         "extended-join server-time message-tags echo-message\r\n"},
        {"CAP END", kWelcome}},
       {"CAP LS 302", "NICK kim", "USER kim 0 * Kestar",
        "CAP REQ :multi-prefix userhost-in-names account-tag account-notify extended-join "
        "server-time message-tags echo-message",
        "CAP END"},
       nullptr,
       {"account-notify", "account-tag", "echo-message", "extended-join", "message-tags",
        "multi-prefix", "server-time", "userhost-in-names"}},
      {"a refused request asked for again piece by piece",
       nullptr,
       nullptr,
       {{"CAP LS 302", ":f CAP * LS :account-tag multi-prefix\r\n"},
        {"CAP REQ :multi-prefix account-tag", ":f CAP kim NAK :multi-prefix account-tag\r\n"},
        {"CAP REQ multi-prefix", ":f CAP kim ACK :multi-prefix \r\n"},
        {"CAP REQ account-tag", ":f CAP kim NAK :account-tag\r\n"},
        {"CAP END", kWelcome}},
       {"CAP LS 302", "NICK kim", "USER kim 0 * Kestar", "CAP REQ :multi-prefix account-tag",
        "CAP REQ multi-prefix", "CAP REQ account-tag", "CAP END"},
       nullptr,
       {"multi-prefix"}},
      {"no CAP at all",
       nullptr,
       nullptr,
       {{"CAP LS 302", ":f 421 * CAP :Unknown command\r\n"}, {"USER *", kWelcome}},
       {"CAP LS 302", "NICK kim", "USER kim 0 * Kestar"},
       nullptr,
       {}},
      {"no CAP, with a login asked for",
       "pw",
       nullptr,
       {{"CAP LS 302", ":f 421 * CAP :Unknown command\r\n"}, {"USER *", kWelcome}},
       {"CAP LS 302", "NICK kim", "USER kim 0 * Kestar"},
       "The server knows no capabilities and so no SASL login: not signed on",
       {}},
      {"CAP passed over in silence, with a login asked for",
       "pw",
       nullptr,
       {{"USER *", kWelcome}},
       {"CAP LS 302", "NICK kim", "USER kim 0 * Kestar"},
       "The server signed Kestar on without the SASL login: disconnected",
       {}},
      {"the login refused",
       "pw",
       nullptr,
       {{"CAP LS 302", ":f CAP * LS :sasl=PLAIN\r\n"},
        {"CAP REQ sasl", ":f CAP kim ACK :sasl\r\n"},
        {"AUTHENTICATE PLAIN", "AUTHENTICATE +\r\n"},
        {"AUTHENTICATE AGtpbQBwdw==", ":f 904 kim :SASL authentication failed\r\n"}},
       {"CAP LS 302", "NICK kim", "USER kim 0 * Kestar", "CAP REQ sasl", "AUTHENTICATE PLAIN",
        "AUTHENTICATE AGtpbQBwdw=="},
       "SASL login refused: SASL authentication failed",
       {"sasl"}},
      {"the login too long",
       "pw",
       nullptr,
       {{"CAP LS 302", ":f CAP * LS :sasl\r\n"},
        {"CAP REQ sasl", ":f CAP kim ACK :sasl\r\n"},
        {"AUTHENTICATE PLAIN", "AUTHENTICATE +\r\n"},
        {"AUTHENTICATE AGtpbQBwdw==", ":f 905 kim :SASL message too long\r\n"}},
       {"CAP LS 302", "NICK kim", "USER kim 0 * Kestar", "CAP REQ sasl", "AUTHENTICATE PLAIN",
        "AUTHENTICATE AGtpbQBwdw=="},
       "SASL login refused: SASL message too long",
       {"sasl"}},
      {"sasl refused",
       "pw",
       nullptr,
       {{"CAP LS 302", ":f CAP * LS :sasl\r\n"}, {"CAP REQ sasl", ":f CAP kim NAK :sasl\r\n"}},
       {"CAP LS 302", "NICK kim", "USER kim 0 * Kestar", "CAP REQ sasl"},
       "The server refused the SASL login",
       {}},
      {"the server's password refused by 464",
       nullptr,
       "wrong",
       {{"CAP LS 302", ":f CAP * LS :multi-prefix\r\n"},
        {"CAP REQ multi-prefix", ":f CAP kim ACK :multi-prefix\r\n"},
        {"CAP END", ":f 464 kim :Password incorrect\r\nERROR :Closing link\r\n"}},
       {"CAP LS 302", "PASS wrong", "NICK kim", "USER kim 0 * Kestar", "CAP REQ multi-prefix",
        "CAP END"},
       "The server refused the password: Password incorrect",
       {"multi-prefix"}},
  };
  for (const auto& c : cases) {
    ScriptedServer server(c.script);
    IrcSettings settings = plainSettings(server.port(), "kim");
    if (c.login != nullptr) {
      settings.saslAccount = QStringLiteral("kim");
      settings.saslPassword = QString::fromLatin1(c.login);
    }
    if (c.password != nullptr) settings.password = QString::fromLatin1(c.password);
    IrcConnection kim(settings);
    QSignalSpy states(&kim, &IrcConnection::stateChanged);
    kim.open();
    ASSERT_TRUE(settles(kim)) << c.what;
    EXPECT_EQ(kim.capabilities(), c.granted) << c.what;
    if (c.ended == nullptr) {
      EXPECT_EQ(kim.state(), State::Registered) << c.what;
      EXPECT_EQ(server.lines(), c.heard) << c.what;
      continue;
    }
    EXPECT_EQ(states.last().at(1).toString().toStdString(), c.ended) << c.what;
    QTest::qWait(1500);  // time for a first retry, which must not come
    EXPECT_EQ(kim.state(), State::Disconnected) << c.what;
    EXPECT_EQ(server.connections(), 1) << c.what;
    EXPECT_EQ(server.lines(), c.heard) << c.what;
  }
}

// Capabilities that come and go after registration (cap-notify): the trust by account with them.
TEST(IrcCapabilities, FollowWhatTheServerAddsAndWithdraws) {
  ScriptedServer server({{"CAP LS 302", ":f CAP * LS :multi-prefix\r\n"},
                         {"CAP REQ multi-prefix", ":f CAP kim ACK :multi-prefix\r\n"},
                         {"CAP END", kWelcome},
                         {"CAP REQ account-tag", ":f CAP kim ACK :account-tag\r\n"}});
  IrcConnection kim(plainSettings(server.port(), "kim"));
  QSignalSpy changes(&kim, &IrcConnection::capabilitiesChanged);
  kim.open();
  ASSERT_TRUE(settles(kim));
  EXPECT_FALSE(kim.accounts().tagged());
  server.say(":f CAP kim NEW :account-tag sasl=PLAIN\r\n");
  ASSERT_TRUE(changes.wait(5000));
  EXPECT_EQ(server.lines().back(), "CAP REQ account-tag");  // sasl belongs to registration
  EXPECT_EQ(kim.capabilities(), (std::set<std::string>{"account-tag", "multi-prefix"}));
  EXPECT_TRUE(kim.accounts().tagged());
  server.say(":f CAP kim DEL :account-tag\r\n");
  ASSERT_TRUE(changes.wait(5000));
  EXPECT_EQ(kim.capabilities(), std::set<std::string>{"multi-prefix"});
  EXPECT_FALSE(kim.accounts().tagged());
}

class IrcCapabilitiesOnNetwork : public test::OnNetwork {};
INSTANTIATE_TEST_SUITE_P(, IrcCapabilitiesOnNetwork, test::everyNetwork(), test::paramName);

// What the real servers grant, and the case mapping they say; a login asked of a server without
// SASL stops there, once.
TEST_P(IrcCapabilitiesOnNetwork, AreAskedOfTheRealServers) {
  IrcConnection ann(plainSettings(network.port(), "ann"));
  ann.open();
  ASSERT_TRUE(settles(ann));
  EXPECT_EQ(ann.members().support().caseMapping,
            GetParam() == test::NetworkKind::Inspircd ? CaseMapping::Rfc1459 : CaseMapping::Ascii);
  EXPECT_EQ(ann.capabilities(),
            network.hasServices()
                ? (std::set<std::string>{"account-notify", "account-tag", "echo-message",
                                         "extended-join", "message-tags", "multi-prefix",
                                         "server-time", "userhost-in-names"})
                : std::set<std::string>{"multi-prefix"});
  EXPECT_EQ(ann.accounts().tagged(), network.hasServices());

  IrcSettings login = plainSettings(network.port(), "bea");
  login.saslAccount = QStringLiteral("bea");
  login.saslPassword = QStringLiteral("pw-bea");
  IrcConnection bea(login);
  QSignalSpy states(&bea, &IrcConnection::stateChanged);
  if (network.hasServices()) {
    ASSERT_TRUE(network.registerAccount("bea", "pw-bea"));
  }
  bea.open();
  ASSERT_TRUE(settles(bea));
  if (network.hasServices()) {
    EXPECT_EQ(bea.state(), State::Registered);
    EXPECT_EQ(bea.accounts().of("bea", bea.members()), "bea");
    return;
  }
  EXPECT_EQ(states.last().at(1), QStringLiteral("The server offers no SASL login"));
  QTest::qWait(1500);
  EXPECT_EQ(bea.state(), State::Disconnected);
}

}  // namespace
}  // namespace kestar::irc
