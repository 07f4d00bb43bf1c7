#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "irc/Membership.h"
#include "irc/Pacing.h"

namespace kestar::irc {
namespace {

using Status = Membership::Status;

void feed(Membership& members, const std::string& line) {
  const std::optional<Message> message = parseMessage(line);
  ASSERT_TRUE(message.has_value()) << line;
  members.apply(*message);
}

// ngircd's own lines for a channel, with the roller's status asked at each step.
TEST(IrcMembership, KnowsWhoIsOperatorAtEachLine) {
  Membership m;
  feed(m, ":irc.test.local 001 me :Welcome me!~me@127.0.0.1");
  feed(m,
       ":irc.test.local 005 me RFC2812 IRCD=ngIRCd CHARSET=UTF-8 CASEMAPPING=ascii "
       "PREFIX=(qaohv)~&@%+ CHANTYPES=#&+ CHANMODES=beI,k,l,imMnOPQRstVz :are supported");
  feed(m, ":me!~me@127.0.0.1 JOIN :#Spar_Arena");
  EXPECT_EQ(m.isOperator("#spar_arena", "DiceHost"), Status::Unknown);
  EXPECT_EQ(rollerState(m, "#Spar_Arena", "DiceHost"), RollerState::Unknown);
  feed(m, ":irc.test.local 353 me = #Spar_Arena :me @DiceHost +bob");
  feed(m, ":irc.test.local 353 me = #Spar_Arena :~owner %half");
  EXPECT_EQ(m.isOperator("#Spar_Arena", "DiceHost"), Status::Unknown);
  feed(m, ":irc.test.local 366 me #Spar_Arena :End of NAMES list");
  EXPECT_EQ(m.names("#Spar_Arena"),
            (std::vector<std::string>{"bob", "DiceHost", "half", "me", "owner"}));
  EXPECT_EQ(m.isOperator("#Spar_Arena", "dicehost"), Status::Yes);
  EXPECT_EQ(m.isOperator("#Spar_Arena", "owner"), Status::Yes);
  EXPECT_EQ(m.isOperator("#Spar_Arena", "half"), Status::No);
  EXPECT_EQ(m.isOperator("#Spar_Arena", "bob"), Status::No);
  EXPECT_EQ(speakerName(m, "#Spar_Arena", "DiceHost", "DiceHost"), "OnlineHost");
  EXPECT_EQ(speakerName(m, "#Spar_Arena", "bob", "DiceHost"), "bob");

  feed(m, ":bob!~bob@127.0.0.1 MODE #Spar_Arena +v-o+l carol DiceHost 5");
  EXPECT_EQ(rollerState(m, "#Spar_Arena", "DiceHost"), RollerState::NotOperator);
  EXPECT_EQ(speakerName(m, "#Spar_Arena", "DiceHost", "DiceHost"), "DiceHost");
  feed(m, ":bob!~bob@127.0.0.1 MODE #Spar_Arena -l+ko key DiceHost");
  EXPECT_EQ(rollerState(m, "#Spar_Arena", "DiceHost"), RollerState::Trusted);

  // A nick change keeps the modes; whoever takes the old nick is not trusted.
  feed(m, ":DiceHost!~d@127.0.0.1 NICK :Dice2");
  feed(m, ":x!~x@127.0.0.1 JOIN #Spar_Arena");
  feed(m, ":x!~x@127.0.0.1 NICK DiceHost");
  EXPECT_EQ(m.isOperator("#Spar_Arena", "Dice2"), Status::Yes);
  EXPECT_EQ(rollerState(m, "#Spar_Arena", "DiceHost"), RollerState::NotOperator);
  feed(m, ":y!~y@127.0.0.1 JOIN #Spar_Arena");
  feed(m, ":y!~y@127.0.0.1 NICK OnlineHost");
  EXPECT_EQ(speakerName(m, "#Spar_Arena", "OnlineHost", "DiceHost"), "~OnlineHost");
  EXPECT_EQ(speakerName(m, "#Spar_Arena", "OnlineHost", "OnlineHost"), "~OnlineHost");

  feed(m, ":Dice2!~d@127.0.0.1 PART #Spar_Arena :bye");
  feed(m, ":op!~o@127.0.0.1 KICK #Spar_Arena DiceHost :out");
  feed(m, ":bob!~bob@127.0.0.1 QUIT :\"gone fishing\"");
  EXPECT_EQ(m.names("#Spar_Arena"),
            (std::vector<std::string>{"half", "me", "OnlineHost", "owner"}));
  EXPECT_EQ(rollerState(m, "#Spar_Arena", "Dice2"), RollerState::Missing);

  feed(m, ":me!~me@127.0.0.1 NICK me2");
  EXPECT_EQ(m.self(), "me2");
  feed(m, ":op!~o@127.0.0.1 KICK #Spar_Arena me2 :out");
  EXPECT_FALSE(m.inChannel("#Spar_Arena"));
}

TEST(IrcMembership, FoldsCaseAsTheServerSays) {
  Membership m;
  feed(m, ":s 001 me :hi");
  feed(m, ":me!u@h JOIN #a");
  feed(m, ":s 353 me = #a :me @al[ce");
  feed(m, ":s 366 me #a :end");
  // Without a CASEMAPPING the rule is rfc1459: [ and { are the same letter.
  EXPECT_EQ(m.isOperator("#A", "AL{CE"), Status::Yes);
  feed(m, ":s 005 me CASEMAPPING=ascii :are supported");
  EXPECT_EQ(m.isOperator("#A", "AL{CE"), Status::No);
  EXPECT_EQ(m.isOperator("#A", "AL[CE"), Status::Yes);
  EXPECT_FALSE(m.isChannel("+modeless"));
  feed(m, ":s 005 me CHANTYPES=#&+ NICKLEN=30 :are supported");
  EXPECT_TRUE(m.isChannel("+modeless"));
  EXPECT_EQ(m.support().nickLength, 30u);
}

TEST(IrcPacing, SendsABurstThenOneLinePerSecondInOrder) {
  SendQueue queue;
  queue.restart(Millis(0));
  for (int i = 1; i <= 7; ++i)
    queue.push("L" + std::to_string(i));
  EXPECT_EQ(queue.take(Millis(0)), (std::vector<std::string>{"L1", "L2", "L3", "L4"}));
  EXPECT_EQ(queue.due(Millis(0)), Millis(1000));
  EXPECT_TRUE(queue.take(Millis(999)).empty());
  queue.pushUrgent("PONG :x");
  EXPECT_EQ(queue.due(Millis(999)), Millis(999));
  EXPECT_EQ(queue.take(Millis(999)), std::vector<std::string>{"PONG :x"});
  EXPECT_EQ(queue.take(Millis(1000)), std::vector<std::string>{"L5"});
  queue.hold(true);
  queue.pushUrgent("PONG :y");
  EXPECT_EQ(queue.take(Millis(2000)), std::vector<std::string>{"PONG :y"});
  EXPECT_EQ(queue.due(Millis(2000)), std::nullopt);
  queue.hold(false);
  queue.pushFront({"JOIN #a", "JOIN #b"});
  EXPECT_EQ(queue.take(Millis(2500)), std::vector<std::string>{"JOIN #a"});
  EXPECT_EQ(queue.take(Millis(3000)), std::vector<std::string>{"JOIN #b"});
  // After a quiet spell the burst is back, never more.
  EXPECT_EQ(queue.take(Millis(60000)), (std::vector<std::string>{"L6", "L7"}));
  EXPECT_EQ(queue.due(Millis(60000)), std::nullopt);
  for (int i = 1; i <= 6; ++i)
    queue.push("M" + std::to_string(i));
  // Two lines left of the burst at 60 s, one more earned by 61 s.
  EXPECT_EQ(queue.take(Millis(61000)).size(), 3u);
  EXPECT_EQ(queue.size(), 3u);

  SendQueue slow(Pace{2, Millis(2000)});
  for (int i = 0; i < 4; ++i)
    slow.push("x");
  EXPECT_EQ(slow.take(Millis(0)).size(), 2u);
  EXPECT_EQ(slow.due(Millis(0)), Millis(2000));

  Backoff backoff;
  std::vector<long long> waits;
  for (int i = 0; i < 9; ++i)
    waits.push_back(backoff.next().count());
  EXPECT_EQ(waits,
            (std::vector<long long>{1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000}));
  backoff.reset();
  EXPECT_EQ(backoff.next(), Millis(1000));

  JoinPacer joins;
  EXPECT_TRUE(joins.allow("#a", Millis(0)));
  EXPECT_TRUE(joins.allow("#a", Millis(10000)));
  EXPECT_FALSE(joins.allow("#a", Millis(20000)));
  EXPECT_TRUE(joins.allow("#b", Millis(20000)));
  EXPECT_FALSE(joins.allow("#a", Millis(89999)));
  EXPECT_TRUE(joins.allow("#a", Millis(90000)));
}

}  // namespace
}  // namespace kestar::irc
