#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <string>
#include <vector>

#include "tests/client/IrcRigs.h"
#include "tests/irc/OnNetwork.h"

namespace kestar::client {
namespace {

using irc::test::RawClient;
using irc::test::text;

// The texts of the room's chat lines said as the nick.
std::vector<std::string> saidBy(const Client& client, const std::string& room,
                                const std::string& nick) {
  std::vector<std::string> said;
  for (const std::string& line : client.transcript(room)) {
    if (line.rfind(nick + ":\t", 0) == 0) said.push_back(line.substr(nick.size() + 2));
  }
  return said;
}

class IrcOwnLines : public irc::test::OnNetwork {};
INSTANTIATE_TEST_SUITE_P(, IrcOwnLines, irc::test::bothServers(), irc::test::paramName);

// The user's long line reaches the room in three lines, and the user's transcript (which the
// scanner and the logger read) shows those three, once each: from the echo on InspIRCd, as
// written on ngircd. The roll service's lines, and the user's actions and notices, show once
// too.
TEST_P(IrcOwnLines, ALongLineShowsPieceByPieceAsTheOthersSeeItAndAnAnswerOnce) {
  test::IrcClient ann(network.port(), "ann", true);
  ASSERT_TRUE(ann.enter("Spar Arena"));
  RawClient bob(network.port(), "bob");
  ASSERT_TRUE(bob.joined("#Spar_Arena"));

  std::string line;  // 1,100 characters in the code page; "\xE9" takes two bytes on the wire
  for (int i = 0; line.size() < 1100; ++i)
    line += i % 11 == 5 ? ' ' : i % 5 == 4 ? '\xE9' : static_cast<char>('a' + i % 26);
  ann.client.typeLine("Spar Arena", line);
  std::vector<std::string> pieces;
  std::string whole;
  while (whole.size() < line.size()) {
    std::string piece = text(bob.waitFor(" PRIVMSG #Spar_Arena :", 5000));
    ASSERT_FALSE(piece.empty()) << whole.size();
    for (std::size_t at = piece.find("\xC3\xA9"); at != std::string::npos;
         at = piece.find("\xC3\xA9"))
      piece.replace(at, 2, "\xE9");
    pieces.push_back(piece);
    whole += piece;
  }
  EXPECT_EQ(whole, line);
  EXPECT_EQ(pieces.size(), 3u);
  // After the commitment of the room's first dice epoch, said as the serving Kestar came in.
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return saidBy(ann.client, "Spar Arena", "ann").size() == 4; }));
  const std::vector<std::string> shown = saidBy(ann.client, "Spar Arena", "ann");
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].rfind("Dice epoch 1 of #Spar_Arena begins: its seed's SHA-256 is ", 0), 0u);
  EXPECT_EQ(std::vector<std::string>(shown.begin() + 1, shown.end()), pieces);
  EXPECT_EQ(ann.client.waiting("Spar Arena"), std::vector<std::string>{});

  bob.send("PRIVMSG #Spar_Arena ://roll");
  const std::string answer = text(bob.waitFor(" PRIVMSG #Spar_Arena :bob rolled "));
  ASSERT_FALSE(answer.empty());
  // An action and a notice to the room, typed in the say box, show once each too.
  ann.client.command("Spar Arena", parseCommand("/me waves"));
  ann.client.command("Spar Arena", parseCommand("/notice #Spar_Arena heads up"));
  EXPECT_EQ(text(bob.waitFor(" NOTICE #Spar_Arena :")), "heads up");
  QTest::qWait(500);
  const std::vector<std::string> said = saidBy(ann.client, "Spar Arena", "ann");
  EXPECT_EQ(std::count(said.begin(), said.end(), answer), 1);
  const std::vector<std::string> lines = ann.client.transcript("Spar Arena");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "* ann waves"), 1);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "-ann- heads up"), 1);
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& line) { return line.ends_with("heads up"); }),
            1);
}

// Signed off, the user's line waits and an instant message is refused with the reason; signed
// on again, the line goes.
TEST(IrcOwnLinesOnNgircd, ALineSaidWhileSignedOffGoesOnTheNextConnection) {
  irc::test::Network server(irc::test::NetworkKind::Ngircd);
  ASSERT_TRUE(server.start());
  test::IrcClient ann(server.port(), "ann");
  ASSERT_TRUE(ann.enter("Spar Arena"));
  RawClient bob(server.port(), "bob");
  ASSERT_TRUE(bob.joined("#Spar_Arena"));
  ann.service.signOff();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return ann.client.serviceState() == "Disconnected: Signed off: Kestar signed off"; }));
  ann.client.typeLine("Spar Arena", "back in a moment");
  ann.client.typeInstantMessage("bob", "psst");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !ann.client.messageBoxes().empty(); }));
  EXPECT_EQ(ann.client.messageBoxes().back().text,
            "You are not signed on (Disconnected: Signed off: Kestar signed off), so the message "
            "was not sent.");
  EXPECT_EQ(ann.client.waiting("Spar Arena"), std::vector<std::string>{"back in a moment"});
  EXPECT_EQ(saidBy(ann.client, "Spar Arena", "ann"), std::vector<std::string>{});

  ann.service.signOn();
  EXPECT_EQ(text(bob.waitFor(" PRIVMSG #Spar_Arena :", 8000)), "back in a moment");
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return saidBy(ann.client, "Spar Arena", "ann") == std::vector<std::string>{"back in a moment"};
  }));
  EXPECT_EQ(ann.client.waiting("Spar Arena"), std::vector<std::string>{});
}

}  // namespace
}  // namespace kestar::client
