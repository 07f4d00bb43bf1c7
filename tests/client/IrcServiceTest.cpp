#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/ClientSide.h"
#include "app/Options.h"
#include "client/Client.h"
#include "client/irc/IrcService.h"
#include "client/irc/Numerics.h"
#include "client/window/IrcControls.h"
#include "tests/client/IrcChecks.h"
#include "tests/irc/Ngircd.h"
#include "tests/irc/ScriptedServer.h"

namespace kestar::client {
namespace {

using irc::test::Ngircd;
using irc::test::RawClient;
using irc::test::ScriptedServer;

// The client with what the tests look for in it.
struct IrcRig : test::IrcClient {
  using IrcClient::IrcClient;

  bool shows(const std::string& room, const std::string& line, int ms = 5000) {
    return QTest::qWaitFor(
        [&] {
          const auto lines = client.transcript(room);
          return std::find(lines.begin(), lines.end(), line) != lines.end();
        },
        ms);
  }
  bool hasPerson(const std::string& room, const std::string& nick) {
    return QTest::qWaitFor(
        [&] {
          // Whatever the mark of the nick's rank.
          const auto people = client.people(room);
          return std::any_of(people.begin(), people.end(), [&](const std::string& shown) {
            return shown.substr(shown.find_first_not_of("~&@%+")) == nick;
          });
        },
        5000);
  }
  std::string lastBox() {
    return client.messageBoxes().empty() ? std::string() : client.messageBoxes().back().text;
  }
};

// The text after " :" of a raw line.
std::string text(const std::string& line) {
  const std::size_t at = line.find(" :", 1);
  return at == std::string::npos ? std::string() : line.substr(at + 2);
}

TEST(IrcService, AddressesAndTheCommandLine) {
  const struct {
    const char* url;
    const char* host;
    unsigned short port;
    bool tls;
    const char* room;  // nullptr: not an address
  } cases[] = {
      {"ircs://spar.example.invalid/Spar%20Arena", "spar.example.invalid", 6697, true,
       "Spar Arena"},
      {"irc://127.0.0.1:16667/Lobby", "127.0.0.1", 16667, false, "Lobby"},
      {"irc://h/Lobby", "h", 6667, false, "Lobby"},
      {"ircs://h:7000/#Spar_Arena", "h", 7000, true, "Spar Arena"},
      {"ircs://h/%23a%255Fb", "h", 6697, true, "a_b"},
      {"https://h/Lobby", "", 0, false, nullptr},
      {"ircs://h", "", 0, false, nullptr},
      {"ircs://h/", "", 0, false, nullptr},
      {"ircs://h:99999/Lobby", "", 0, false, nullptr},
      {"ircs://:6697/Lobby", "", 0, false, nullptr},
  };
  for (const auto& c : cases) {
    const auto address = parseIrcAddress(c.url);
    ASSERT_EQ(address.has_value(), c.room != nullptr) << c.url;
    if (!address) continue;
    EXPECT_EQ(address->host, c.host) << c.url;
    EXPECT_EQ(address->port, c.port) << c.url;
    EXPECT_EQ(address->tls, c.tls) << c.url;
    EXPECT_EQ(address->room, c.room) << c.url;
  }

  const app::Options irc = app::parseOptions({"--irc", "ircs://h/Lobby", "--nick", "Bob",
                                              "--serve-rolls", "--roller=Zed", "--ca", "ca.pem"});
  EXPECT_EQ(irc.error, "");
  EXPECT_EQ(irc.irc, "ircs://h/Lobby");
  EXPECT_EQ(irc.nick, "Bob");
  EXPECT_TRUE(irc.serveRolls);
  EXPECT_EQ(irc.roller, "Zed");
  EXPECT_EQ(irc.ca, "ca.pem");
  EXPECT_TRUE(app::parseOptions({"--help"}).help);
  EXPECT_EQ(app::parseOptions({}).error, "");
  EXPECT_EQ(app::parseOptions({"--irc", "ircs://h/Lobby"}).error, "--irc needs --nick NAME");
  EXPECT_EQ(app::parseOptions({"--nick", "Bob"}).error,
            "--nick, --serve-rolls, --roller, --roller-account, --account, --password-file and "
            "--ca go with --irc");
  // Alone, --irc comes back to the last connection of the IRC controls.
  EXPECT_EQ(app::parseOptions({"--irc"}).irc, "");
  const app::Options alone = app::parseOptions({"--irc", "--nick", "Bob"});
  EXPECT_EQ(alone.error, "");
  EXPECT_EQ(alone.irc, "");
  EXPECT_EQ(alone.nick, "Bob");
  EXPECT_EQ(app::parseOptions({"--loud"}).error, "unknown option --loud");
  EXPECT_TRUE(app::parseOptions({"--version"}).version);
  // Qt's own options and their values are Qt's to read.
  EXPECT_EQ(app::parseOptions({"-platform", "offscreen", "-style", "Fusion"}).error, "");
  const std::string help = app::helpText();
  for (const char* option :
       {"--irc", "ircs://HOST[:PORT]/ROOM", "irc://HOST[:PORT]/ROOM", "--nick", "--serve-rolls",
        "--roller", "DiceHost", "--ca", "--version", "--help"})
    EXPECT_NE(help.find(option), std::string::npos) << option;
}

TEST(IrcService, TellsTheServersRefusalsAndAnswersInItsOwnWords) {
  const struct {
    int code;
    const char* text;
    bool knockAgain;
  } joins[] = {
      {471, "The room \"Lobby\" is full. Try again in a little while.", true},
      {473, "The room \"Lobby\" is invite only: someone in it must invite you.", true},
      {474, "You are banned from the room \"Lobby\".", false},
      {475, "The room \"Lobby\" needs a key to enter.", false},
      {477, "The room \"Lobby\" takes only people logged in to a registered nick.", false},
      {437, "The room \"Lobby\" cannot be entered for a while: said so", false},
      {405, "You are in as many rooms as the network allows: leave one to enter \"Lobby\".", false},
      {0, "\"Lobby\" is no name a room can have.", false},
      {403, "You cannot enter the room \"Lobby\": said so", false},
  };
  for (const auto& c : joins)
    EXPECT_EQ(joinRefusal(c.code, "Lobby", "said so"), (JoinRefusal{c.text, c.knockAgain}))
        << c.code;
  EXPECT_EQ(knockHeld("Lobby", 45),
            "Knocked at the room \"Lobby\" often just now: waiting 45 s before knocking again.");
  EXPECT_EQ(forwarded("Lobby", "Overflow"),
            "The room \"Lobby\" did not let you in: it sends newcomers on to \"Overflow\", "
            "which Kestar left again. Enter \"Overflow\" to stay there.");

  const struct {
    int code;
    bool toRoom;
    const char* text;
  } sends[] = {
      {401, false, "ann is not signed on right now, so the message cannot be sent."},
      {404, true, "Your line did not reach the room: you may not speak in it now (said so)."},
      {707, true,
       "Your line was dropped: you wrote to too many people or rooms in a short while. Wait a "
       "little and send it again."},
      {707, false,
       "The message to ann was dropped: you wrote to too many people or rooms in a short "
       "while. Wait a little and send it again."},
      {0, false, "ann is no name a message can go to."},
  };
  for (const auto& c : sends)
    EXPECT_EQ(sendRefusal(c.code, "ann", "said so", c.toRoom), c.text) << c.code;

  const std::pair<int, const char*> nicks[] = {
      {432, "The nick \"1ann\" is not allowed on this network (said so): you stay bo."},
      {433, "The nick \"1ann\" is in use: you stay bo."},
      {437, "The nick \"1ann\" is held for a while: you stay bo."},
  };
  for (const auto& [code, text] : nicks)
    EXPECT_EQ(nickRefusal(code, "1ann", "bo", "said so"), text) << code;

  const struct {
    int code;
    std::vector<std::string> params;
    const char* line;
  } whois[] = {
      {311, {"bob", "~bob", "127.0.0.1", "*", "Bob B"}, "bob is ~bob@127.0.0.1 (Bob B)"},
      {317, {"bob", "42", "1700000000", "seconds idle, signon time"}, "bob has been idle 42 s"},
      {319, {"bob", "@#Spar_Arena #Lobby"}, "bob is in @#Spar_Arena #Lobby"},
      {330, {"bob", "Bobby", "is logged in as"}, "bob is logged in as Bobby"},
      {318, {"bob", "End of WHOIS list"}, "That is all the server says of bob."},
      {332, {"#a", "topic"}, ""},
  };
  for (const auto& c : whois)
    EXPECT_EQ(whoisLine(c.code, c.params), c.line) << c.code;
}

// The service on each network: ngircd, which trusts the roller by channel operator status, and
// InspIRCd with services, which tags lines with their sender's account and so trusts the roller by
// its account.
class IrcServiceOnNetwork : public irc::test::OnNetwork {};
INSTANTIATE_TEST_SUITE_P(, IrcServiceOnNetwork, irc::test::everyNetwork(), irc::test::paramName);

TEST_P(IrcServiceOnNetwork, ChatRollsAndWhoseRollsCount) {
  const bool byAccount = network.hasServices();
  IrcRig roller(network.port(), "DiceHost", true, true, test::accountOf(network, "DiceHost"));
  roller.client.goToRoom("Spar Arena");
  ASSERT_TRUE(roller.entered("Spar Arena"));  // first in the channel: its operator

  RawClient bob(network.port(), "bob");
  ASSERT_TRUE(bob.registered());
  bob.send("JOIN #Spar_Arena");
  ASSERT_TRUE(roller.hasPerson("Spar Arena", "bob"));
  EXPECT_TRUE(roller.shows("Spar Arena", "bob has entered the room."));

  IrcRig counter(network.port(), "carol");
  counter.client.goToRoom("Spar Arena");
  ASSERT_TRUE(counter.entered("Spar Arena"));
  EXPECT_TRUE(counter.shows("Spar Arena",
                            byAccount ? "The roll service, logged in as DiceHost, is here: its "
                                        "rolls show as OnlineHost."
                                      : "The roll service DiceHost is here and a channel "
                                        "operator: its rolls show as OnlineHost."));
  EXPECT_EQ(counter.client.people("Spar Arena"),
            (std::vector<std::string>{"@DiceHost", "bob", "carol"}));

  // A player's roll: answered by the serving Kestar under its nick, seen by all as OnlineHost.
  bob.send(
      "PRIVMSG #Spar_Arena :\x03"
      "04//roll-dice3-sides20");
  const std::string answer = bob.waitFor("PRIVMSG #Spar_Arena");
  EXPECT_EQ(answer.substr(0, answer.find(' ')), ":DiceHost!" + network.mask("DiceHost"));
  EXPECT_TRUE(
      std::regex_match(text(answer), std::regex("bob rolled 3 20-sided dice:  ([1-9]|1[0-9]|20) "
                                                "([1-9]|1[0-9]|20) ([1-9]|1[0-9]|20)")))
      << answer;
  EXPECT_TRUE(counter.shows("Spar Arena", "bob:\t//roll-dice3-sides20"));
  EXPECT_TRUE(counter.shows("Spar Arena", "OnlineHost:\t" + text(answer)));
  EXPECT_TRUE(roller.shows("Spar Arena", "OnlineHost:\t" + text(answer)));
  bob.send("PRIVMSG #Spar_Arena ://roll-dice0-sides20");
  EXPECT_EQ(text(bob.waitFor("PRIVMSG #Spar_Arena")),
            "Sorry, bob: use //roll or //roll-diceN-sidesS (N 1-15, S 2-999).");

  // A user who calls himself OnlineHost is shown so that no counter trusts him.
  RawClient forger(network.port(), "OnlineHost");
  ASSERT_TRUE(forger.registered());
  forger.send("JOIN #Spar_Arena");
  forger.send("PRIVMSG #Spar_Arena :bob rolled 1 6-sided die:  6");
  EXPECT_TRUE(counter.shows("Spar Arena", "~OnlineHost:\tbob rolled 1 6-sided die:  6"));

  // The roller's nick without operator status: not the roll service by the operator rule; by
  // account, operator status is not needed.
  bob.send("JOIN #Back_Room");
  ASSERT_FALSE(bob.waitFor("366").empty());
  counter.client.goToRoom("Back Room");
  roller.client.goToRoom("Back Room");
  ASSERT_TRUE(roller.entered("Back Room"));
  ASSERT_TRUE(counter.entered("Back Room"));
  EXPECT_TRUE(counter.shows("Back Room",
                            byAccount ? "The roll service, logged in as DiceHost, is here: its "
                                        "rolls show as OnlineHost."
                                      : "The roll service DiceHost is here but not a channel "
                                        "operator: its lines are not trusted as rolls."));
  EXPECT_EQ(counter.client.serviceState().find("not a channel operator") != std::string::npos,
            !byAccount);
  bob.send("PRIVMSG #Back_Room ://roll");
  const std::string shownAs = byAccount ? "OnlineHost:\t" : "DiceHost:\t";
  EXPECT_TRUE(QTest::qWaitFor([&] {
    const auto lines = counter.client.transcript("Back Room");
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.rfind(shownAs + "bob rolled 2 6-sided dice:  ", 0) == 0;
    });
  }));

  // The user's line leaves with the program's markup as IRC codes and shows as the others read
  // it; a line in Latin-1 or UTF-8 reaches the client in the code page, without its formatting.
  counter.client.typeLine("Spar Arena", "<b>Terms</b> <i>of</i> <u>spar</u>");
  EXPECT_EQ(text(bob.waitFor("PRIVMSG #Spar_Arena :\x02")),
            "\x02Terms\x02 \x1Dof\x1D \x1Fspar\x1F");
  EXPECT_TRUE(counter.shows("Spar Arena", "carol:\tTerms of spar"));
  bob.send(
      "PRIVMSG #Spar_Arena :caf\xC3\xA9 \x02"
      "cr\xC3\xA8me \xE2\x82\xAC\xE2\x98\x83");
  bob.send("PRIVMSG #Spar_Arena :cr\xE8me");
  EXPECT_TRUE(counter.shows("Spar Arena", "bob:\tcaf\xE9 cr\xE8me \x80?"));
  EXPECT_TRUE(counter.shows("Spar Arena", "bob:\tcr\xE8me"));
  bob.send("PART #Spar_Arena :later");
  EXPECT_TRUE(counter.shows("Spar Arena", "bob has left the room (later)."));
}

TEST_P(IrcServiceOnNetwork, FullRoomsAndInstantMessages) {
  RawClient holder(network.port(), "holder");
  ASSERT_TRUE(holder.registered());
  holder.send("JOIN #Small_Room");
  holder.send("MODE #Small_Room +l 1");
  ASSERT_FALSE(holder.waitFor("MODE #Small_Room +l").empty());

  IrcRig rig(network.port(), "ann");
  rig.client.goToRoom("Small Room");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.client.messageBoxes().empty(); }, 5000));
  EXPECT_EQ(rig.lastBox(), "The room \"Small Room\" is full. Try again in a little while.");
  EXPECT_EQ(rig.client.room("Small Room"), 0u);
  holder.send("PART #Small_Room");
  rig.client.goToRoom("Small Room");
  ASSERT_TRUE(rig.entered("Small Room"));

  rig.client.typeInstantMessage("nobody", "are you there?");
  ASSERT_TRUE(QTest::qWaitFor([&] { return rig.client.messageBoxes().size() == 2; }, 8000));
  EXPECT_EQ(rig.lastBox(), "nobody is not signed on right now, so the message cannot be sent.");
  rig.client.typeInstantMessage("holder", "a place is free");
  EXPECT_EQ(text(holder.waitFor("PRIVMSG holder", 8000)), "a place is free");
  const Hwnd im = rig.client.imWindows().back().window;
  EXPECT_TRUE(QTest::qWaitFor([&] { return !rig.windows.exists(im); }, 8000));
  EXPECT_EQ(rig.client.messageBoxes().size(), 2u);

  holder.send(
      "PRIVMSG ann :thanks \x03"
      "3friend");
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return rig.client.receivedMessages() ==
           std::vector<InstantMessage>{InstantMessage{"holder", "thanks friend"}};
  }));
}

TEST(IrcService, ShowsTheTopicRanksAndChannelNoticesAsAnIrcClientDoes) {
  irc::test::Network server(irc::test::NetworkKind::Ngircd);
  ASSERT_TRUE(server.start());
  RawClient bob(server.port(), "bob");
  ASSERT_TRUE(bob.joined("#Spar_Arena"));  // the first in: an operator
  bob.send("TOPIC #Spar_Arena :Mass spar at nine");
  ASSERT_FALSE(bob.waitFor(" TOPIC ").empty());
  IrcRig rig(server.port(), "ann");
  ASSERT_TRUE(rig.enter("Spar Arena"));
  RawClient cy(server.port(), "cy");
  ASSERT_TRUE(cy.joined("#Spar_Arena"));
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return rig.client.topic("Spar Arena") == "Mass spar at nine"; }));

  bob.send("MODE #Spar_Arena +v cy");
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return rig.client.people("Spar Arena") == std::vector<std::string>{"@bob", "+cy", "ann"};
  }));
  bob.send("TOPIC #Spar_Arena :Round two");
  EXPECT_TRUE(QTest::qWaitFor([&] { return rig.client.topic("Spar Arena") == "Round two"; }));
  bob.send("NOTICE #Spar_Arena :the spar begins");
  EXPECT_TRUE(rig.shows("Spar Arena", "-bob- the spar begins"));
  EXPECT_TRUE(rig.client.sentByUser().empty());
}

TEST_P(IrcServiceOnNetwork, TheWindowsControlsConnectDisconnectAndServeRolls) {
  IrcRig rig(0, "nobody", false, false);
  ClientWindow window(rig.client, rig.windows);
  auto* controls = new IrcControls(rig.service, rig.client, QStringLiteral("ircs://elsewhere/X"));
  window.setServiceControls(controls);
  EXPECT_EQ(controls->address->text(), "ircs://elsewhere/X");
  EXPECT_EQ(controls->nick->text(), "nobody");
  EXPECT_EQ(controls->state->text(), "Not connected");

  controls->address->setText(QStringLiteral("no address"));
  QTest::mouseClick(controls->connectButton, Qt::LeftButton);
  EXPECT_EQ(controls->state->text(), "Give the server as ircs://HOST[:PORT]/ROOM and a nick.");
  const QString address = QStringLiteral("irc://127.0.0.1:%1/Spar%20Arena").arg(network.port());
  controls->address->setText(address);
  controls->nick->setText(QStringLiteral("ann"));
  QTest::mouseClick(controls->connectButton, Qt::LeftButton);
  ASSERT_TRUE(rig.entered("Spar Arena"));
  const QString signedOn =
      QStringLiteral("Signed on to 127.0.0.1:%1 as ann; ").arg(network.port()) +
      (network.hasServices() ? QStringLiteral("roller trusted by account DiceHost")
                             : QStringLiteral("roller DiceHost trusted by channel operator "
                                              "status: the channel's operators decide who rolls"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return controls->state->text() == signedOn; }))
      << controls->state->text().toStdString();
  EXPECT_EQ(QSettings().value("irc/address").toString(), address);
  EXPECT_EQ(QSettings().value("irc/nick").toString(), "ann");

  QTest::mouseClick(controls->serveRolls, Qt::LeftButton);
  EXPECT_TRUE(rig.service.servesRolls());
  EXPECT_TRUE(QSettings().value("irc/serveRolls").toBool());
  EXPECT_TRUE(rig.shows("Spar Arena",
                        "This Kestar serves the room's rolls as ann, not as the roll service "
                        "DiceHost: its answers are not trusted."));
  RawClient bob(network.port(), "bob");
  ASSERT_TRUE(bob.joined("#Spar_Arena"));
  bob.send("PRIVMSG #Spar_Arena ://roll-dice1-sides6");
  EXPECT_TRUE(QTest::qWaitFor([&] {
    const auto lines = rig.client.transcript("Spar Arena");
    return std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
      return line.rfind("ann:\tbob rolled 1 6-sided die:  ", 0) == 0;
    });
  }));
  // The user's own request is answered too, once: an echo of it is no request.
  rig.client.typeLine("Spar Arena", "//roll-dice2-sides4");
  EXPECT_EQ(text(bob.waitFor("PRIVMSG #Spar_Arena :ann rolled "))
                .rfind("ann rolled 2 4-sided dice:  ", 0),
            0u);

  // Signing off reveals the epoch before the QUIT.
  QTest::mouseClick(controls->disconnectButton, Qt::LeftButton);
  EXPECT_EQ(text(bob.waitFor(":ann!"))
                .rfind("Dice epoch 1 of #Spar_Arena ends after 2 answers: its seed is ", 0),
            0u);
  EXPECT_NE(bob.waitFor(":ann!").find(" QUIT :"), std::string::npos);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return controls->state->text().startsWith(QStringLiteral("Disconnected")); }));
}

TEST_P(IrcServiceOnNetwork, IrcAloneComesBackToTheLastConnection) {
  RawClient watcher(network.port(), "watcher");
  ASSERT_TRUE(watcher.joined("#Spar_Arena"));
  QSettings().setValue("irc/address",
                       QStringLiteral("irc://127.0.0.1:%1/Spar%20Arena").arg(network.port()));
  QSettings().setValue("irc/nick", "ann");
  const auto side = app::makeClientSide(app::parseOptions({"--irc"}));
  EXPECT_NE(watcher.waitFor(" JOIN :#Spar_Arena").find(":ann!"), std::string::npos);
  QSettings().remove("irc");
}

// The room's name holds letters an ascii server folds apart from their rfc1459 others.
TEST_P(IrcServiceOnNetwork, AServerGoneAndBackGetsTheRoomsAndTheLinesSaidMeanwhile) {
  const std::string room = "Den [A] \\ ~x";
  IrcRig rig(network.port(), "ann");
  ASSERT_TRUE(rig.enter(room));
  network.stop();
  // The server back within the wait after the third attempt: bob is in before the lines go.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return rig.client.serviceState() == "Connection refused by 127.0.0.1:" +
                                                std::to_string(network.port()) +
                                                " (no server there); connecting again in 4 s";
      },
      8000))
      << rig.client.serviceState();
  rig.client.typeLine(room, "said while the server was gone");
  rig.client.typeLine(room, "and one more");
  // Marked as waiting, apart from the transcript the scanner reads, until they go.
  const std::vector<std::string> meanwhile = {"said while the server was gone", "and one more"};
  ASSERT_TRUE(QTest::qWaitFor([&] { return rig.client.waiting(room) == meanwhile; }, 2000));
  EXPECT_EQ(rig.client.history(room).back().line, "Waiting to be sent: and one more");
  EXPECT_FALSE(rig.shows(room, "ann:\tand one more", 500));
  ASSERT_TRUE(network.restart());
  RawClient bob(network.port(), "bob");
  ASSERT_TRUE(bob.joined("#Den_[A]_\\_~x"));
  EXPECT_EQ(text(bob.waitFor("PRIVMSG #Den_", 8000)), "said while the server was gone");
  EXPECT_EQ(text(bob.waitFor("PRIVMSG #Den_", 8000)), "and one more");
  EXPECT_TRUE(rig.shows(room, "ann:\tand one more"));
  EXPECT_EQ(rig.client.waiting(room), std::vector<std::string>{});
  EXPECT_TRUE(rig.hasPerson(room, "bob"));
  bob.send("PRIVMSG #Den_[A]_\\_~x :welcome back");
  EXPECT_TRUE(rig.shows(room, "bob:\twelcome back"));
  // The room has no roll service here, and the state says so (by account, once the server has
  // said who the people already in the room are logged in as).
  const std::string state =
      "Signed on to 127.0.0.1:" + std::to_string(network.port()) + " as ann; " +
      (network.hasServices()
           ? "roller trusted by account DiceHost; No one logged in as the roll service's account "
             "DiceHost is in the room: no rolls are counted."
           : "roller DiceHost trusted by channel operator status: the channel's operators decide "
             "who rolls; The roll service DiceHost is not in the room: no rolls are counted.");
  EXPECT_TRUE(QTest::qWaitFor([&] { return rig.client.serviceState() == state; }, 5000))
      << rig.client.serviceState();
}

}  // namespace
}  // namespace kestar::client

namespace kestar::client {
namespace {

// The roller's nick still held by another (the ghost of its last connection): the roller serves
// under another nick meanwhile and says so, and takes its own back as soon as the holder leaves.
TEST(IrcService, ARollerWhoseNickIsHeldSaysSoAndWinsItBack) {
  Ngircd server;
  ASSERT_TRUE(server.start());
  RawClient ghost(server.port(), "DiceHost");
  ASSERT_TRUE(ghost.joined("#Spar_Arena"));
  IrcRig roller(server.port(), "DiceHost", true);
  ASSERT_TRUE(roller.enter("Spar Arena"));
  const std::string signedOn = "Signed on to 127.0.0.1:" + std::to_string(server.port()) + " as ";
  EXPECT_TRUE(roller.shows("Spar Arena",
                           "This Kestar serves the room's rolls as DiceHost_, not as the roll "
                           "service DiceHost: its answers are not trusted."));
  EXPECT_EQ(roller.client.serviceState().rfind(
                signedOn + "DiceHost_ (DiceHost is taken: asking for it again); serving rolls", 0),
            0u)
      << roller.client.serviceState();
  ghost.send("QUIT :gone");
  EXPECT_TRUE(roller.shows(
      "Spar Arena", "This Kestar serves the room's rolls as the roll service DiceHost again."));
  EXPECT_EQ(roller.client.serviceState().rfind(signedOn + "DiceHost; serving rolls", 0), 0u)
      << roller.client.serviceState();
}

// A serving Kestar that closes reveals its rooms' epochs before its QUIT.
TEST(IrcService, AServingKestarClosedRevealsTheEpochBeforeItsQuit) {
  Ngircd server;
  ASSERT_TRUE(server.start());
  auto roller = std::make_unique<IrcRig>(server.port(), "DiceHost", true);
  ASSERT_TRUE(roller->enter("Spar Arena"));
  RawClient bob(server.port(), "bob");
  ASSERT_TRUE(bob.joined("#Spar_Arena"));
  roller.reset();
  EXPECT_EQ(text(bob.waitFor(":DiceHost!"))
                .rfind("Dice epoch 1 of #Spar_Arena ends after 0 answers: its seed is ", 0),
            0u);
  EXPECT_EQ(text(bob.waitFor(":DiceHost!")), "\"Kestar closed\"");
}

// A roll answer the server read but had not confirmed when the connection fell is not sent
// again, and the room says so; the user's own line is. (ngircd confirms too fast to show it.)
TEST(IrcService, ARollAnswerGoesAtMostOnceAndTheRoomIsToldOfOneNotConfirmed) {
  ScriptedServer fake([](QTcpSocket& peer, int connection, const std::string& line) {
    if (line.rfind("USER ", 0) == 0) ScriptedServer::welcome(peer, "DiceHost");
    if (line.rfind("JOIN ", 0) == 0) {
      peer.write(
          ":DiceHost!d@h JOIN #Spar_Arena\r\n:f 353 DiceHost = #Spar_Arena :@DiceHost bob\r\n"
          ":f 366 DiceHost #Spar_Arena :End of NAMES list\r\n");
      if (connection == 1) peer.write(":bob!b@h PRIVMSG #Spar_Arena ://roll\r\n");
    }
    // The first connection falls once it has read the user's line, its PINGs unanswered.
    if (connection == 1 && line == "PRIVMSG #Spar_Arena :my own line") peer.close();
  });
  IrcRig roller(fake.port(), "DiceHost", true);
  roller.client.goToRoom("Spar Arena");
  ASSERT_TRUE(roller.entered("Spar Arena"));
  const std::string said = "PRIVMSG #Spar_Arena :bob rolled 2 6-sided dice:  ";
  ASSERT_TRUE(QTest::qWaitFor([&] { return fake.find(1, said) != nullptr; }, 5000));
  const std::string answer = text(" " + fake.find(1, said)->line);
  EXPECT_TRUE(roller.shows("Spar Arena", "OnlineHost:\t" + answer));
  roller.client.typeLine("Spar Arena", "my own line");
  EXPECT_TRUE(roller.shows("Spar Arena",
                           "Roll answer 1 not confirmed before the connection was lost (it may "
                           "not have reached the room): " +
                               answer));
  // Back in the room: the user's line again; the answer named by a gap line; and the epoch, whose
  // commitment was not confirmed either, ended and another begun.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return fake.find(2, "PRIVMSG #Spar_Arena :Dice epoch 2 ") != nullptr; }, 5000));
  const std::vector<std::string> again = fake.lines(2, "PRIVMSG");
  ASSERT_EQ(again.size(), 4u);
  EXPECT_EQ(again[0], "PRIVMSG #Spar_Arena :my own line");
  EXPECT_EQ(again[1],
            "PRIVMSG #Spar_Arena :Dice epoch 1 of #Spar_Arena: answer 1 was not confirmed by the "
            "server and may be missing from the room.");
  EXPECT_EQ(again[2].rfind("PRIVMSG #Spar_Arena :Dice epoch 1 of #Spar_Arena ends after 1 answer: "
                           "its seed is ",
                           0),
            0u);
  EXPECT_EQ(again[3].rfind("PRIVMSG #Spar_Arena :Dice epoch 2 of #Spar_Arena begins: ", 0), 0u);
}

// Players who flood the roll service: each has three requests answered and gets one notice, the
// rest not a word; the answers waiting never hold the user's own line back more than ten lines
// at the server's pace of one a second.
TEST(IrcService, RollFloodsNeverHoldTheUsersLineBack) {
  Ngircd server("[Limits]\nMaxPenaltyTime = 0\n");  // lets the players flood
  ASSERT_TRUE(server.start());
  IrcRig roller(server.port(), "DiceHost", true);
  ASSERT_TRUE(roller.enter("Spar Arena"));
  RawClient watcher(server.port(), "watcher");
  ASSERT_TRUE(watcher.joined("#Spar_Arena"));
  std::vector<std::unique_ptr<RawClient>> players;
  for (int i = 1; i <= 6; ++i) {
    players.push_back(std::make_unique<RawClient>(server.port(), "p" + std::to_string(i)));
    ASSERT_TRUE(players.back()->joined("#Spar_Arena"));
  }
  // One player after the other, as the roll service hears them.
  for (auto& player : players) {
    for (int request = 0; request < 6; ++request)
      player->send("PRIVMSG #Spar_Arena ://roll");
    for (int request = 0; request < 6; ++request)
      ASSERT_FALSE(watcher.waitFor(" PRIVMSG #Spar_Arena ://roll").empty()) << request;
  }
  QTest::qWait(200);
  // The lines of the service written between the user's typing and the user's line.
  int ahead = 0;
  bool typed = false;
  QObject::connect(&roller.service.connection(), &irc::IrcConnection::written,
                   [&](quint64, const QString&, const QString& said) {
                     if (!typed) return;
                     typed = said != QStringLiteral("the spar goes on");
                     ahead += typed ? 1 : 0;
                   });
  QElapsedTimer waited;
  waited.start();
  typed = true;
  roller.client.typeLine("Spar Arena", "the spar goes on");
  EXPECT_FALSE(watcher.waitFor(" PRIVMSG #Spar_Arena :the spar goes on", 15000).empty());
  EXPECT_LE(ahead, 10);
  EXPECT_LE(waited.elapsed(), (ahead + 1) * 1000 + 1000) << ahead;
  // Each player: three answers at most, and one notice at most.
  int told = 0;
  for (std::size_t i = 0; i < players.size(); ++i) {
    const std::string nick = "p" + std::to_string(i + 1);
    int answered = 0;
    int notices = 0;
    for (std::string line; !(line = players[i]->waitFor(":DiceHost!", 200)).empty();) {
      if (line.find(" NOTICE ") != std::string::npos) {
        EXPECT_EQ(text(line), nick +
                                  ", your rolls come faster than they are answered (3 at "
                                  "once, then one each 1 s): the others are not answered.");
        ++notices;
      } else if (text(line).rfind(nick + " rolled ", 0) == 0) {
        ++answered;
      }
    }
    EXPECT_LE(answered, 3) << nick;
    EXPECT_LE(notices, 1) << nick;
    told += notices;
  }
  EXPECT_GE(told, 1);
}

}  // namespace
}  // namespace kestar::client
