#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "irc/Membership.h"
#include "irc/Pacing.h"

namespace kestar::irc {
namespace {

using Status = Membership::Status;

std::vector<std::string> lines(const std::vector<Outgoing>& taken) {
  std::vector<std::string> result;
  for (const Outgoing& line : taken)
    result.push_back(line.line);
  return result;
}

void feed(Membership& members, const std::string& line) {
  const std::optional<Message> message = parseMessage(line);
  ASSERT_TRUE(message.has_value()) << line;
  members.apply(*message);
}

// ngircd's own lines for a channel, with the roller's status asked at each step.
TEST(IrcMembership, KnowsWhoIsOperatorAtEachLine) {
  Membership m;
  feed(m, ":irc.test.local 001 me :Welcome me!~me@127.0.0.1");
  EXPECT_EQ(m.mask(), "me!~me@127.0.0.1");
  feed(m,
       ":irc.test.local 005 me RFC2812 IRCD=ngIRCd CHARSET=UTF-8 CASEMAPPING=ascii "
       "PREFIX=(qaohv)~&@%+ CHANTYPES=#&+ CHANMODES=beI,k,l,imMnOPQRstVz :are supported");
  feed(m, ":me!~me@127.0.0.1 JOIN :#Spar_Arena");
  EXPECT_EQ(m.isOperator("#spar_arena", "DiceHost"), Status::Unknown);
  EXPECT_EQ(rollerState(m, "#Spar_Arena", "DiceHost"), RollerState::Unknown);
  feed(m, ":irc.test.local 353 me = #Spar_Arena :me @DiceHost +bob");
  feed(m, ":irc.test.local 353 me = #Spar_Arena :~owner %half");
  EXPECT_EQ(m.isOperator("#Spar_Arena", "DiceHost"), Status::Unknown);
  // Not trusted while its status is still arriving.
  EXPECT_EQ(speakerName(m, "#Spar_Arena", "DiceHost", "DiceHost"), "DiceHost");
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
  EXPECT_EQ(m.mask(), "me2!~me@127.0.0.1");
  feed(m, ":me2!~me@127.0.0.1 396 me2 cloak.example :is your displayed hostname now");
  EXPECT_EQ(m.mask(), "me2!~me@cloak.example");
  feed(m, ":me2!~me@cloak.example CHGHOST ident new.host");
  EXPECT_EQ(m.mask(), "me2!ident@new.host");
  // Its own line echoed shows the mask the others see; another's line does not.
  feed(m, ":me2!id2@echo.host PRIVMSG #Spar_Arena :hi");
  EXPECT_EQ(m.mask(), "me2!id2@echo.host");
  feed(m, ":bob!~bob@127.0.0.1 NOTICE #Spar_Arena :hi");
  EXPECT_EQ(m.mask(), "me2!id2@echo.host");
  feed(m, ":op!~o@127.0.0.1 KICK #Spar_Arena me2 :out");
  EXPECT_FALSE(m.inChannel("#Spar_Arena"));

  // A new connection: nobody is trusted again before the channel's new names list.
  feed(m, ":me2!ident@new.host JOIN #Spar_Arena");
  feed(m, ":irc.test.local 353 me2 = #Spar_Arena :me2 @DiceHost");
  feed(m, ":irc.test.local 366 me2 #Spar_Arena :End of NAMES list");
  EXPECT_EQ(speakerName(m, "#Spar_Arena", "DiceHost", "DiceHost"), "OnlineHost");
  m.clear();
  feed(m, ":irc.test.local 001 me2 :Welcome me2!~me@127.0.0.1");
  feed(m, ":irc.test.local 005 me2 CASEMAPPING=ascii :are supported");
  feed(m, ":me2!~me@127.0.0.1 JOIN #Spar_Arena");
  EXPECT_EQ(speakerName(m, "#Spar_Arena", "DiceHost", "DiceHost"), "DiceHost");
  feed(m, ":irc.test.local 353 me2 = #Spar_Arena :me2 @DiceHost");
  EXPECT_EQ(speakerName(m, "#Spar_Arena", "DiceHost", "DiceHost"), "DiceHost");
}

// An impostor who entered first under a nick that differs from the roller's only in [ ] \ ~ or
// their other case, and the roller opped after: the server's case mapping decides whether they
// are one person, and a mapping not known here keeps them apart.
TEST(IrcMembership, FoldsCaseAsTheServerSays) {
  const struct {
    const char* mapping;
    const char* roller;
    const char* impostor;
    const char* impostorShows;
  } cases[] = {
      {"ascii", "Dice[Bot]", "Dice{Bot}", "Dice{Bot}"},
      {"rfc1459", "Dice[Bot]", "Dice{Bot}", "OnlineHost"},
      {"rfc1459-strict", "Dice[Bot]", "Dice{Bot}", "OnlineHost"},
      {"rfc8265", "Dice[Bot]", "Dice{Bot}", "Dice{Bot}"},
      {"rfc7613", "Dice[Bot]", "Dice{Bot}", "Dice{Bot}"},
      {"rfc1459", "Dice~Bot", "Dice^Bot", "OnlineHost"},
      {"rfc1459-strict", "Dice~Bot", "Dice^Bot", "Dice^Bot"},
      {"x-unheard-of", "Dice~Bot", "Dice^Bot", "Dice^Bot"},
      {"ascii", "DICEBOT", "dicebot", "OnlineHost"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.mapping) + " " + c.impostor);
    Membership m;
    feed(m, ":s 001 me :Welcome");
    feed(m, std::string(":s 005 me CASEMAPPING=") + c.mapping + " :are supported");
    feed(m, ":me!u@h JOIN #room");
    feed(m, std::string(":s 353 me = #room :me ") + c.impostor);
    feed(m, ":s 366 me #room :end");
    feed(m, std::string(":") + c.roller + "!u@h JOIN #room");
    feed(m, std::string(":me!u@h MODE #room +o ") + c.roller);
    EXPECT_EQ(speakerName(m, "#room", c.impostor, c.roller), c.impostorShows);
    EXPECT_EQ(speakerName(m, "#room", c.roller, c.roller), "OnlineHost");
  }

  // No mapping said: nobody is trusted until the welcome has ended, then rfc1459 holds.
  Membership m;
  feed(m, ":s 001 me :hi");
  feed(m, ":me!u@h JOIN #a");
  feed(m, ":s 353 me = #a :me @al[ce");
  feed(m, ":s 366 me #a :end");
  EXPECT_EQ(speakerName(m, "#A", "al[ce", "al[ce"), "al[ce");
  EXPECT_EQ(rollerState(m, "#A", "al[ce"), RollerState::Unknown);
  feed(m, ":s 376 me :End of MOTD command");
  EXPECT_EQ(speakerName(m, "#A", "AL{CE", "al[ce"), "OnlineHost");
  feed(m, ":s 005 me CASEMAPPING=ascii :are supported");
  EXPECT_EQ(m.isOperator("#A", "AL{CE"), Status::No);
  EXPECT_EQ(m.isOperator("#A", "AL[CE"), Status::Yes);
  EXPECT_FALSE(m.isChannel("+modeless"));
  feed(m, ":s 005 me CHANTYPES=#&+ NICKLEN=30 :are supported");
  EXPECT_TRUE(m.isChannel("+modeless"));
  EXPECT_EQ(m.support().nickLength, 30u);
}

// Each of the four kinds of channel mode left empty in turn: a de-op in one line with modes of
// the other kinds is never missed.
TEST(IrcMembership, ReadsChannelModesWithAnyKindEmpty) {
  const struct {
    const char* chanmodes;
    const char* mode;
  } cases[] = {
      {",k,l,imnpst", "+ikl-o key 5 DiceHost"},
      {"b,,l,imnpst", "+ibl-o *!*@x 5 DiceHost"},
      {"b,k,,imnpst", "+ibk-o *!*@x key DiceHost"},
      {"b,k,l,", "+bkl-o *!*@x key 5 DiceHost"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.chanmodes);
    Membership m;
    feed(m, ":s 001 me :Welcome");
    feed(m, std::string(":s 005 me CASEMAPPING=ascii CHANMODES=") + c.chanmodes + " :hi");
    feed(m, ":me!u@h JOIN #room");
    feed(m, ":s 353 me = #room :me @DiceHost");
    feed(m, ":s 366 me #room :end");
    EXPECT_EQ(speakerName(m, "#room", "DiceHost", "DiceHost"), "OnlineHost");
    feed(m, std::string(":op!u@h MODE #room ") + c.mode);
    EXPECT_EQ(speakerName(m, "#room", "DiceHost", "DiceHost"), "DiceHost");
    EXPECT_EQ(rollerState(m, "#room", "DiceHost"), RollerState::NotOperator);
  }
}

TEST(IrcPacing, SendsABurstThenOneLinePerSecondInOrder) {
  SendQueue queue;
  queue.restart(Millis(0));
  for (int i = 1; i <= 7; ++i)
    queue.push({"L" + std::to_string(i)});
  EXPECT_EQ(lines(queue.take(Millis(0))), (std::vector<std::string>{"L1", "L2", "L3", "L4"}));
  EXPECT_EQ(queue.due(Millis(0)), Millis(1000));
  EXPECT_TRUE(queue.take(Millis(999)).empty());
  queue.pushUrgent("PONG :x");
  EXPECT_EQ(queue.due(Millis(999)), Millis(999));
  EXPECT_EQ(lines(queue.take(Millis(999))), std::vector<std::string>{"PONG :x"});
  EXPECT_EQ(lines(queue.take(Millis(1000))), std::vector<std::string>{"L5"});
  queue.hold(true);
  queue.pushUrgent("PONG :y");
  EXPECT_EQ(lines(queue.take(Millis(2000))), std::vector<std::string>{"PONG :y"});
  EXPECT_EQ(queue.due(Millis(2000)), std::nullopt);
  queue.hold(false);
  queue.pushFront({{"JOIN #a"}, {"JOIN #b"}});
  EXPECT_EQ(lines(queue.take(Millis(2500))), std::vector<std::string>{"JOIN #a"});
  EXPECT_EQ(lines(queue.take(Millis(3000))), std::vector<std::string>{"JOIN #b"});
  // After a quiet spell the burst is back, never more.
  EXPECT_EQ(lines(queue.take(Millis(60000))), (std::vector<std::string>{"L6", "L7"}));
  EXPECT_EQ(queue.due(Millis(60000)), std::nullopt);
  for (int i = 1; i <= 6; ++i)
    queue.push({"M" + std::to_string(i)});
  // Two lines left of the burst at 60 s, one more earned by 61 s.
  EXPECT_EQ(lines(queue.take(Millis(61000))), (std::vector<std::string>{"M1", "M2", "M3"}));
  queue.push({"PRIVMSG #a :answer", 7, Delivery::AtMostOnce});
  EXPECT_EQ(queue.size(), 4u);
  EXPECT_EQ(queue.remove([](const Outgoing& line) { return line.ticket == 7; }),
            (std::vector<Outgoing>{{"PRIVMSG #a :answer", 7, Delivery::AtMostOnce}}));
  EXPECT_EQ(lines(queue.take(Millis(70000))), (std::vector<std::string>{"M4", "M5", "M6"}));

  SendQueue slow(Pace{2, Millis(2000)});
  for (int i = 0; i < 4; ++i)
    slow.push({"x"});
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

  // The wanted nick asked for again every 30 s, and at once when its holder leaves.
  NickReclaim reclaim;
  EXPECT_FALSE(reclaim.take(Millis(0)));
  reclaim.start(Millis(0));
  EXPECT_EQ(reclaim.due(), Millis(30000));
  EXPECT_FALSE(reclaim.take(Millis(29999)));
  EXPECT_TRUE(reclaim.take(Millis(30000)));
  EXPECT_FALSE(reclaim.take(Millis(45000)));
  reclaim.holderLeft(Millis(45000));
  EXPECT_TRUE(reclaim.take(Millis(45000)));
  EXPECT_EQ(reclaim.due(), Millis(75000));
  reclaim.stop();
  reclaim.holderLeft(Millis(80000));
  EXPECT_FALSE(reclaim.take(Millis(80000)));
  EXPECT_EQ(reclaim.due(), std::nullopt);

  JoinPacer joins;
  EXPECT_TRUE(joins.allow("#a", Millis(0)));
  EXPECT_EQ(joins.wait("#a", Millis(5000)), Millis(0));
  EXPECT_TRUE(joins.allow("#a", Millis(10000)));
  EXPECT_EQ(joins.wait("#a", Millis(20000)), Millis(70000));
  EXPECT_FALSE(joins.allow("#a", Millis(20000)));
  EXPECT_TRUE(joins.allow("#b", Millis(20000)));
  EXPECT_FALSE(joins.allow("#a", Millis(89999)));
  EXPECT_TRUE(joins.allow("#a", Millis(90000)));
  // The next waits for the knock at 10 s to leave the window, not for the one just made.
  EXPECT_EQ(joins.wait("#a", Millis(90000)), Millis(10000));
  JoinPacer quick(JoinPace{1, Millis(3000)});
  EXPECT_TRUE(quick.allow("#a", Millis(0)));
  EXPECT_EQ(quick.wait("#a", Millis(1000)), Millis(2000));
}

}  // namespace
}  // namespace kestar::irc
