#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "client/window/ClientWindow.h"
#include "tests/client/IrcRigs.h"
#include "tests/irc/Ngircd.h"
#include "tests/irc/ScriptedServer.h"

namespace kestar::test {
namespace {

using irc::test::Ngircd;
using irc::test::RawClient;
using irc::test::ScriptedServer;
using irc::test::text;

// The own client on a server that does not make the test wait: lines go out as fast as asked.
struct QuickClient : IrcClient {
  explicit QuickClient(quint16 port, const char* nick = "ann")
      : IrcClient(port, nick, false, false) {
    irc::IrcSettings settings = service.settings().connection;
    settings.pace = irc::Pace{50, irc::Millis(20)};
    service.connectTo(settings);
  }
  bool shows(const std::string& room, const std::string& line) {
    return QTest::qWaitFor([&] { return count(room, line) > 0; }, 5000);
  }
  long count(const std::string& room, const std::string& line) {
    const auto lines = client.history(room);
    return std::count_if(lines.begin(), lines.end(),
                         [&](const client::ShownLine& shown) { return shown.line == line; });
  }
  std::string lastBox(std::size_t count) {
    if (!QTest::qWaitFor([&] { return client.messageBoxes().size() >= count; }, 5000)) return {};
    return client.messageBoxes()[count - 1].text;
  }
};

// What a person types in the window's say box reaches the server as the command it names, and
// the room shows what came of it; a tool's line that begins with "/" is said as it stands.
TEST(IrcCommands, TheSayBoxSpeaksIrc) {
  Ngircd server("[Limits]\nMaxPenaltyTime = 0\n");
  ASSERT_TRUE(server.start());
  RawClient bob(server.port(), "bob");
  ASSERT_TRUE(bob.joined("#Spar_Arena"));  // the first in: an operator
  QuickClient rig(server.port());
  ASSERT_TRUE(rig.enter("Spar Arena"));
  client::ClientWindow window(rig.client, rig.windows);
  const auto type = [&](const char* line) {
    window.line->setText(QString::fromLatin1(line));
    QTest::keyClick(window.line, Qt::Key_Return);
  };
  const std::string room = "Spar Arena";
  const std::string ann = ":ann!~ann@127.0.0.1 ";
  ASSERT_FALSE(bob.waitFor(ann + "JOIN").empty());

  type("/me waves");
  EXPECT_EQ(bob.waitFor(ann), ann +
                                  "PRIVMSG #Spar_Arena :\x01"
                                  "ACTION waves\x01");
  EXPECT_TRUE(rig.shows(room, "* ann waves"));
  type("/frob");
  EXPECT_TRUE(rig.shows(room, "Unknown command /frob"));
  type("/msg bob hello there");
  EXPECT_EQ(bob.waitFor(ann), ann + "PRIVMSG bob :hello there");
  EXPECT_TRUE(rig.shows(room, "-> bob: hello there"));
  type("/notice bob psst");
  EXPECT_EQ(bob.waitFor(ann), ann + "NOTICE bob :psst");
  type("//roll");
  EXPECT_EQ(bob.waitFor(ann), ann + "PRIVMSG #Spar_Arena ://roll");
  rig.client.typeLine(room, "/me as a tool says it");
  EXPECT_EQ(bob.waitFor(ann), ann + "PRIVMSG #Spar_Arena :/me as a tool says it");
  window.imTo->setText(QStringLiteral("bob"));
  window.imText->setText(QStringLiteral("and you?"));
  QTest::keyClick(window.imText, Qt::Key_Return);
  EXPECT_EQ(bob.waitFor(ann), ann + "PRIVMSG bob :and you?");
  EXPECT_TRUE(QTest::qWaitFor([&] {
    window.refresh();
    return window.received->count() == 2 && window.received->item(1)->text() == "To bob: and you?";
  }));
  EXPECT_EQ(window.received->item(0)->text(), "To bob: hello there");

  type("/topic Mass spar");
  EXPECT_EQ(bob.waitFor(ann), ann + "TOPIC #Spar_Arena :Mass spar");
  type("/topic");
  EXPECT_TRUE(rig.shows(room, "The topic is: Mass spar"));
  type("/op bob");
  EXPECT_TRUE(
      rig.shows(room, "Only the room's operators may do that (You are not channel operator)."));
  bob.send("MODE #Spar_Arena +o ann");
  EXPECT_TRUE(rig.shows(room, "bob set the mode +o ann."));
  type("/mode +l 5");
  EXPECT_EQ(bob.waitFor(ann), ann + "MODE #Spar_Arena +l 5");
  EXPECT_TRUE(rig.shows(room, "ann set the mode +l 5."));
  type("/deop bob");
  EXPECT_EQ(bob.waitFor(ann), ann + "MODE #Spar_Arena -o bob");
  type("/mode #Spar_Arena +o bob");
  EXPECT_EQ(bob.waitFor(ann), ann + "MODE #Spar_Arena +o bob");

  type("/whois bob");
  EXPECT_TRUE(rig.shows(room, "bob is ~bob@127.0.0.1 (bob)"));
  EXPECT_TRUE(rig.shows(room, "That is all the server says of bob."));
  type("/whois nobody");
  EXPECT_TRUE(rig.shows(room, "No one is called nobody here."));
  type("/nick bob");
  EXPECT_TRUE(rig.shows(room, "The nick \"bob\" is in use: you stay ann."));
  type("/nick anne");
  EXPECT_EQ(bob.waitFor(ann), ann + "NICK :anne");
  EXPECT_EQ(rig.service.connection().wantedNick(), "anne");
  window.refresh();
  EXPECT_EQ(window.windowTitle(), "Kestar's chat client - signed on as anne");

  const std::string anne = ":anne!~ann@127.0.0.1 ";
  type("/join #Back_Room");
  ASSERT_TRUE(rig.entered("Back Room"));
  bob.send("JOIN #Back_Room");
  ASSERT_FALSE(bob.waitFor(" 366 ").empty());
  rig.client.command("Back Room", client::parseCommand("/part off to bed"));
  EXPECT_EQ(rig.client.room("Back Room"), 0u);
  EXPECT_EQ(bob.waitFor(anne), anne + "PART #Back_Room :off to bed");
  rig.client.command("Back Room", client::parseCommand("/me is not there"));  // sends nothing
  type("/quit gone home");
  EXPECT_NE(bob.waitFor(anne).find(" QUIT :"), std::string::npos);
  EXPECT_TRUE(rig.shows(room, "Disconnected: Signed off: gone home."));
  EXPECT_TRUE(rig.client.people(room).empty());
  window.refresh();
  EXPECT_EQ(window.windowTitle(), "Kestar's chat client - not signed on");
}

// Each refusal says why in the client's box or the room; the box says also whether knocking again
// may let the user in.
TEST(IrcCommands, RefusalsSayWhyAndWhetherKnockingAgainHelps) {
  Ngircd server("[Limits]\nMaxPenaltyTime = 0\n");
  ASSERT_TRUE(server.start());
  RawClient bob(server.port(), "bob");
  ASSERT_TRUE(bob.registered());
  for (const char* line :
       {"JOIN #Vip", "MODE #Vip +b ann!*@*", "JOIN #Locked", "MODE #Locked +k sesame",
        "JOIN #Invited", "MODE #Invited +i", "JOIN #Quiet", "MODE #Quiet +m"})
    bob.send(line);
  ASSERT_FALSE(bob.waitFor("MODE #Quiet +m").empty());
  QuickClient rig(server.port());
  const struct {
    const char* room;
    const char* box;
    bool turnedAway;
  } cases[] = {
      {"Vip", "You are banned from the room \"Vip\".", true},
      {"Locked", "The room \"Locked\" needs a key to enter.", true},
      {"Invited", "The room \"Invited\" is invite only: someone in it must invite you.", false},
  };
  std::size_t boxes = 0;
  for (const auto& c : cases) {
    rig.client.goToRoom(c.room);
    EXPECT_EQ(rig.lastBox(++boxes), c.box);
    EXPECT_EQ(rig.client.turnedAway(c.room), c.turnedAway ? c.box : "") << c.room;
  }
  ASSERT_TRUE(rig.enter("Quiet"));
  rig.client.typeLine("Quiet", "may I speak?");
  EXPECT_TRUE(
      rig.shows("Quiet",
                "Your line did not reach the room: you may not speak in it now (Cannot send "
                "to channel)."));

  // What ngircd never says: a room that sends newcomers on, one for registered nicks only, a
  // message dropped for writing to too many, a knock at an open room.
  ScriptedServer fake([](QTcpSocket& peer, int, const std::string& line) {
    if (line.rfind("USER ", 0) == 0) ScriptedServer::welcome(peer, "ann");
    if (line == "JOIN #Lobby")
      peer.write(":f 470 ann #Lobby #Overflow :Forwarding\r\n:ann!a@h JOIN #Overflow\r\n");
    if (line == "JOIN #Members") peer.write(":f 477 ann #Members :Register first\r\n");
    if (line == "PRIVMSG zed hi") peer.write(":f 707 ann zed :Targets changing too fast\r\n");
    if (line == "JOIN #Spar_Arena") peer.write(":ann!a@h JOIN #Spar_Arena\r\n");
    // With the answer to the wanted nick asked for again, which says nothing in the room.
    if (line == "TOPIC #Spar_Arena")
      peer.write(":f 433 ann Watcher :Nickname in use\r\n:f 713 ann #Open :Channel is open\r\n");
  });
  QuickClient other(fake.port());
  other.client.goToRoom("Lobby");
  EXPECT_EQ(other.lastBox(1),
            "The room \"Lobby\" did not let you in: it sends newcomers on to \"Overflow\", which "
            "Kestar left again. Enter \"Overflow\" to stay there.");
  EXPECT_TRUE(QTest::qWaitFor([&] { return fake.find(1, "PART #Overflow") != nullptr; }, 5000));
  EXPECT_FALSE(other.client.turnedAway("Lobby").empty());
  other.client.goToRoom("Members");
  EXPECT_EQ(other.lastBox(2),
            "The room \"Members\" takes only people logged in to a registered nick.");
  other.client.typeInstantMessage("zed", "hi");
  EXPECT_EQ(other.lastBox(3),
            "The message to zed was dropped: you wrote to too many people or rooms in a short "
            "while. Wait a little and send it again.");
  ASSERT_TRUE(other.enter("Spar Arena"));
  other.client.command("Spar Arena", client::parseCommand("/topic"));
  EXPECT_TRUE(other.shows("Spar Arena", "Knock: the room \"Open\" is open: enter it."));
  EXPECT_EQ(other.client.transcript("Spar Arena").size(), 1u);
}

// Why the user is not signed on, or not under the nick asked for: in the state line, and once in
// the room; the title and the people follow.
TEST(IrcCommands, SaysWhyTheConnectionFailedAndWhoTheUserIsNow) {
  Ngircd server;
  ASSERT_TRUE(server.start());
  RawClient holder(server.port(), "Watcher");
  ASSERT_TRUE(holder.joined("#Spar_Arena"));
  QuickClient rig(server.port(), "Watcher");
  ASSERT_TRUE(rig.enter("Spar Arena")) << rig.client.serviceState();
  client::ClientWindow window(rig.client, rig.windows);
  const std::string room = "Spar Arena";
  const std::string at = "127.0.0.1:" + std::to_string(server.port());
  EXPECT_TRUE(
      rig.shows(room, "The nick Watcher is in use: you are Watcher_ here until it is free."));
  EXPECT_EQ(
      rig.client.serviceState().rfind("Signed on to " + at + " as Watcher_ (Watcher is taken", 0),
      0u);
  EXPECT_EQ(window.windowTitle(), "Kestar's chat client - signed on as Watcher_");
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return rig.client.people(room) == std::vector<std::string>{"@Watcher", "Watcher_"};
  }));

  server.stop();
  EXPECT_TRUE(rig.shows(room,
                        "Not connected: The server closed the connection: Server going "
                        "down. Kestar connects again by itself."));
  const std::string refused = "Connection refused by " + at + " (no server there)";
  // Two attempts refused, the room told once.
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return rig.client.serviceState() == refused + "; connecting again in 4 s"; }, 8000))
      << rig.client.serviceState();
  EXPECT_EQ(rig.count(room, "Not connected: " + refused + ". Kestar connects again by itself."), 1);
  EXPECT_TRUE(rig.client.people(room).empty());
  window.refresh();
  EXPECT_EQ(window.windowTitle(), "Kestar's chat client - not signed on");

  // A server that never answers.
  ScriptedServer silent([](QTcpSocket&, int, const std::string&) {});
  QuickClient waiting(silent.port());
  irc::IrcSettings impatient = waiting.service.settings().connection;
  impatient.quietMs = 300;
  impatient.answerMs = 300;
  waiting.service.connectTo(impatient);
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return waiting.client.serviceState() ==
           "Timed out: no answer from 127.0.0.1:" + std::to_string(silent.port()) +
               "; connecting again in 1 s";
  })) << waiting.client.serviceState();
}

}  // namespace
}  // namespace kestar::test
