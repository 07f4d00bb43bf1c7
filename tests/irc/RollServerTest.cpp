#include <gtest/gtest.h>

#include <QTest>
#include <string>

#include "irc/net/IrcConnection.h"
#include "irc/net/RollServer.h"
#include "rollservice/DerivedDice.h"
#include "rollservice/EpochLines.h"
#include "tests/irc/Network.h"
#include "tests/irc/Ngircd.h"

namespace kestar::irc {
namespace {

using test::RawClient;
using test::text;

// The room's epochs on the wire: the commitment as the service enters a channel it serves, a new
// epoch for an operator only, the answers' dice from the seed revealed, and the last reveal
// before the QUIT when the connection is closed, as the dice host closes it.
TEST(RollServer, SaysItsEpochsInTheRoomAndRevealsTheLastBeforeItsQuit) {
  test::Ngircd server("[Limits]\nMaxPenaltyTime = 0\n");  // no waits for the players
  ASSERT_TRUE(server.start());
  RawClient host(server.port(), "host");
  ASSERT_TRUE(host.joined("#spar"));  // the first in: an operator
  RawClient bob(server.port(), "bob");
  ASSERT_TRUE(bob.joined("#spar"));
  IrcSettings settings = test::plainSettings(server.port(), "DiceHost");
  settings.pace = Pace{20, Millis(10)};
  IrcConnection connection(settings);
  RollServer rolls(connection, "DiceHost");
  rolls.setChannels({QStringLiteral("#spar")});
  connection.join(QStringLiteral("#spar"));
  connection.open();
  const auto said = [&] { return text(host.waitFor(":DiceHost!~DiceHost@127.0.0.1 PRIVMSG ")); };

  const auto commit1 = rollservice::readCommitLine(said());
  ASSERT_TRUE(commit1);
  EXPECT_EQ(commit1->epoch, 1u);
  EXPECT_EQ(commit1->room, "#spar");
  bob.send("PRIVMSG #spar ://roll-dice3-sides20");
  const std::string answer = said();
  bob.send("PRIVMSG #spar ://roll-epoch");
  EXPECT_EQ(text(bob.waitFor(" NOTICE bob ")),
            "bob, only a channel operator of #spar starts a new dice epoch.");
  host.send("PRIVMSG #spar ://roll-epoch");
  const auto reveal1 = rollservice::readRevealLine(said());
  const auto commit2 = rollservice::readCommitLine(said());
  ASSERT_TRUE(reveal1 && commit2);
  EXPECT_EQ(reveal1->epoch, 1u);
  EXPECT_EQ(reveal1->answers, 1u);
  EXPECT_EQ(rollservice::commitment(reveal1->seed), commit1->hash);
  const std::vector<int> faces =
      rollservice::DerivedDice(reveal1->seed).faces({1, "#spar", 1, "bob", 3, 20});
  ASSERT_EQ(faces.size(), 3u);
  EXPECT_EQ(answer, "bob rolled 3 20-sided dice:  " + std::to_string(faces[0]) + " " +
                        std::to_string(faces[1]) + " " + std::to_string(faces[2]));
  EXPECT_EQ(commit2->epoch, 2u);

  connection.close(QStringLiteral("spar over"));
  const auto reveal2 = rollservice::readRevealLine(text(host.waitFor(":DiceHost!")));
  ASSERT_TRUE(reveal2);
  EXPECT_EQ(reveal2->epoch, 2u);
  EXPECT_EQ(reveal2->answers, 0u);
  EXPECT_EQ(rollservice::commitment(reveal2->seed), commit2->hash);
  EXPECT_EQ(host.waitFor(":DiceHost!"), ":DiceHost!~DiceHost@127.0.0.1 QUIT :\"spar over\"");
}

}  // namespace
}  // namespace kestar::irc
