#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <string>

#include "app/ClientSide.h"
#include "app/Options.h"
#include "dice/Dice.h"
#include "shell/Startup.h"
#include "tests/client/IrcChecks.h"
#include "tests/support/TempFolder.h"

namespace kestar::test {
namespace {

using irc::test::RawClient;
using irc::test::speaker;
using irc::test::text;

TEST(IrcLogin, TheCommandLineNamesTheAccountsAndThePasswordFile) {
  TempFolder folder;
  writeBytes(folder / "password", "s3cret word\r\nnot this\r\n");
  writeBytes(folder / "blank", "\nlater\n");
  const std::string file = (folder / "password").string();
  const app::Options options =
      app::parseOptions({"--irc", "ircs://h/Lobby", "--nick", "Bob", "--roller-account", "Dicer",
                         "--account=Bobby", "--password-file", file});
  EXPECT_EQ(options.error, "");
  EXPECT_EQ(options.rollerAccount, "Dicer");
  EXPECT_EQ(options.account, "Bobby");
  EXPECT_EQ(options.password, "s3cret word");
  EXPECT_EQ(app::parseOptions({"--irc", "--password-file", (folder / "none").string()}).error,
            "cannot read a password from " + (folder / "none").string());
  EXPECT_EQ(app::parseOptions({"--irc", "--password-file", (folder / "blank").string()}).error,
            "the first line of " + (folder / "blank").string() + " holds no password");
  EXPECT_EQ(app::parseOptions({"--password-file", file}).error,
            "--nick, --serve-rolls, --roller, --roller-account, --account, --password-file and "
            "--ca go with --irc");
  const std::string help = app::helpText();
  for (const char* option : {"--roller-account NAME", "--password-file FILE", "--account NAME"})
    EXPECT_NE(help.find(option), std::string::npos) << option;
}

class IrcLoginOnNetwork : public irc::test::OnNetwork {};
INSTANTIATE_TEST_SUITE_P(, IrcLoginOnNetwork, irc::test::bothServers(), irc::test::paramName);

// SASL PLAIN against the services: the state line says the account; a wrong password stops with
// the services' reason, once.
TEST_P(IrcLoginOnNetwork, LogsInWithSaslOrStopsOnce) {
  if (!network.hasServices()) GTEST_SKIP() << "ngircd has no SASL and no accounts";
  const QString password = accountOf(network, "ann");
  TempFolder folder;
  writeBytes(folder / "password", password.toStdString() + "\n");
  RawClient watcher(network.port(), "watcher");
  ASSERT_TRUE(watcher.joined("#Spar_Arena"));
  const auto side = app::makeClientSide(app::parseOptions(
      {"--irc", "irc://127.0.0.1:" + std::to_string(network.port()) + "/Spar%20Arena", "--nick",
       "ann", "--password-file", (folder / "password").string()}));
  ASSERT_FALSE(watcher.waitFor(":ann!").empty());
  watcher.send("WHOIS ann");
  EXPECT_EQ(text(watcher.waitFor(" 330 ")), "is logged in as");
  // The same account again, under another nick.
  IrcClient ann(network.port(), "ann", false, true, password);
  const std::string signedOn = "Signed on to 127.0.0.1:" + std::to_string(network.port()) +
                               " as ann_ (ann is taken: asking for it again), logged in as "
                               "ann; roller trusted by account DiceHost";
  EXPECT_TRUE(QTest::qWaitFor([&] { return ann.client.serviceState() == signedOn; }, 5000))
      << ann.client.serviceState();

  IrcClient wrong(network.port(), "ann", false, true, QStringLiteral("not-the-password"));
  const std::string refused = "Disconnected: SASL login refused: SASL authentication failed";
  EXPECT_TRUE(QTest::qWaitFor([&] { return wrong.client.serviceState() == refused; }, 5000))
      << wrong.client.serviceState();
  QTest::qWait(1500);  // time for a first retry, which must not come
  EXPECT_EQ(wrong.client.serviceState(), refused);
}

// The impostor: first into the empty channel registered to the roller's account, with the
// roller's nick. ChanServ takes its operator status; its roll lines are never totalled, the real
// roller's (logged in, under another nick) are.
TEST_P(IrcLoginOnNetwork, AnImpostorWithTheRollersNickIsNeverTotalled) {
  if (!network.hasServices()) {
    GTEST_SKIP() << "ngircd has no accounts and no services: there the channel's operators "
                    "decide who rolls, and an impostor they op is trusted";
  }
  ASSERT_TRUE(network.registerAccount("DiceHost", "pw-DiceHost", "#Spar_Arena"));
  RawClient impostor(network.port(), "DiceHost");
  ASSERT_TRUE(impostor.joined("#Spar_Arena"));
  EXPECT_NE(impostor.waitFor("MODE #Spar_Arena").find("-o"), std::string::npos);

  IrcProgram counter(network.port(), "carol", false);
  ASSERT_TRUE(counter.enter("Spar Arena"));
  QTest::mouseClick(counter.program.window<shell::Startup>().Command1, Qt::LeftButton);
  QTest::mouseClick(counter.program.window<dice::Dice>().Command1, Qt::LeftButton);
  IrcProgram roller(network.port(), "DiceHost", true, QStringLiteral("pw-DiceHost"));
  ASSERT_TRUE(roller.enter("Spar Arena"));
  EXPECT_EQ(roller.service.connection().nick(), QStringLiteral("DiceHost_"));
  RawClient bob(network.port(), "bob");
  ASSERT_TRUE(bob.joined("#Spar_Arena"));
  const auto& members = counter.service.connection().members();
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return members.isOperator("#Spar_Arena", "DiceHost_") == irc::Membership::Status::Yes;
  }));
  EXPECT_EQ(members.isOperator("#Spar_Arena", "DiceHost"), irc::Membership::Status::No);

  impostor.send("PRIVMSG #Spar_Arena :bob rolled 3 20-sided dice:  20 20 20");
  ASSERT_FALSE(bob.waitFor(":DiceHost!").empty());
  QTest::qWait(1500);  // time enough for a counter to total it
  expectBobsRollTotalled(bob, counter, "DiceHost_", "carol");
  // Logged in as the roller's account, the roll service is trusted under any nick: it says so.
  const auto said = roller.client.transcript("Spar Arena");
  EXPECT_EQ(std::count_if(said.begin(), said.end(),
                          [](const std::string& line) {
                            return line.find("its answers are not trusted") != std::string::npos;
                          }),
            0);
}

}  // namespace
}  // namespace kestar::test
