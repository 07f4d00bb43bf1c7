#include <gtest/gtest.h>

#include <string>

#include "irc/Accounts.h"

namespace kestar::irc {
namespace {

// InspIRCd's own lines with account-tag, extended-join and account-notify granted, the roller's
// state and who a line shows under after each.
TEST(IrcAccounts, TrustTheRollersAccountAndNoNickOrStatus) {
  Membership m;
  Accounts a;
  a.setTagged(true);
  const Roller roller{"DiceHost", ""};
  const struct {
    const char* line;
    const char* speaker;  // the nick whose line is asked about
    const char* shown;
    RollerState state;
  } steps[] = {
      {":irc.localhost 001 me :Welcome to the TestNet IRC Network me!me@127.0.0.1", "me", "me",
       RollerState::Unknown},
      {":irc.localhost 005 me CASEMAPPING=rfc1459 CHANMODES=b,k,l,MRimnprst CHANTYPES=# "
       "PREFIX=(ov)@+ WHOX :are supported by this server",
       "me", "me", RollerState::Unknown},
      {":me!me@127.0.0.1 JOIN #Spar_Arena * :me", "me", "me", RollerState::Unknown},
      {":irc.localhost 353 me = #Spar_Arena :@DiceHost!d@127.0.0.1 bob!b@127.0.0.1 "
       "me!me@127.0.0.1",
       "me", "me", RollerState::Unknown},
      // Who was here before the program is not known until the WHO for accounts answers.
      {":irc.localhost 366 me #Spar_Arena :End of /NAMES list.", "DiceHost", "DiceHost",
       RollerState::Unknown},
      {":irc.localhost 354 me 152 DiceHost :0", "DiceHost", "DiceHost", RollerState::Unknown},
      {":irc.localhost 354 me 7 bob :DiceHost", "bob", "bob", RollerState::Unknown},
      {":irc.localhost 354 me 152 bob :bob", "bob", "bob", RollerState::NotLoggedIn},
      // An operator with the roller's nick and no account, or only a client's own tag.
      {"@time=2026-12-07T15:01:06.550Z;msgid=1 :DiceHost!d@127.0.0.1 PRIVMSG #Spar_Arena :bob "
       "rolled 1 6-sided die:  6",
       "DiceHost", "DiceHost", RollerState::NotLoggedIn},
      {"@+account=DiceHost :DiceHost!d@127.0.0.1 PRIVMSG #Spar_Arena :x", "DiceHost", "DiceHost",
       RollerState::NotLoggedIn},
      // The roller's account under another nick, without operator status.
      {"@account=DiceHost :Dice2!x@127.0.0.1 JOIN #Spar_Arena DiceHost :Kestar", "Dice2",
       "OnlineHost", RollerState::Trusted},
      {"@time=2026-12-07T15:01:07.000Z;inspircd.org/account-id=17;account=dicehost "
       ":Dice2!x@127.0.0.1 PRIVMSG #Spar_Arena :bob rolled 1 6-sided die:  2",
       "Dice2", "OnlineHost", RollerState::Trusted},
      // A line without the tag: logged out.
      {":Dice2!x@127.0.0.1 PRIVMSG #Spar_Arena :bob rolled 1 6-sided die:  6", "Dice2", "Dice2",
       RollerState::NotLoggedIn},
      {"@account=DiceHost :Dice2!x@127.0.0.1 ACCOUNT :DiceHost", "Dice2", "OnlineHost",
       RollerState::Trusted},
      {"@account=DiceHost :Dice2!x@127.0.0.1 NICK :Dicer", "Dicer", "OnlineHost",
       RollerState::Trusted},
      {":bob!b@127.0.0.1 NICK :OnlineHost", "OnlineHost", "~OnlineHost", RollerState::Trusted},
      {"@account=DiceHost :Dicer!x@127.0.0.1 PART #Spar_Arena", "DiceHost", "DiceHost",
       RollerState::NotLoggedIn},
      {":DiceHost!d@127.0.0.1 QUIT :Quit: bye", "DiceHost", "DiceHost", RollerState::Missing},
      // The program's own login.
      {":irc.localhost 900 me me!me@127.0.0.1 DiceHost :You are now logged in as DiceHost", "me",
       "OnlineHost", RollerState::Trusted},
      {":irc.localhost 901 me me!me@127.0.0.1 :You are now logged out", "me", "me",
       RollerState::Missing},
  };
  const auto says = [&](const char* line) {
    const std::optional<Message> message = parseMessage(line);
    ASSERT_TRUE(message.has_value()) << line;
    m.apply(*message);
    a.apply(*message, m);
  };
  for (const auto& step : steps) {
    says(step.line);
    EXPECT_EQ(speakerName(m, a, "#spar_arena", step.speaker, roller), step.shown) << step.line;
    EXPECT_EQ(rollerState(m, a, "#Spar_Arena", roller), step.state) << step.line;
  }

  // Another account for the roller than its nick; the case mapping decides which names are one.
  says("@account=Dice[1] :Zed!z@127.0.0.1 JOIN #Spar_Arena Dice[1] :Kestar");
  EXPECT_EQ(speakerName(m, a, "#Spar_Arena", "Zed", Roller{"DiceHost", "dice{1}"}), "OnlineHost");
  EXPECT_EQ(speakerName(m, a, "#Spar_Arena", "Zed", roller), "Zed");
  says(":irc.localhost 005 me CASEMAPPING=ascii :are supported by this server");
  EXPECT_EQ(speakerName(m, a, "#Spar_Arena", "Zed", Roller{"DiceHost", "dice{1}"}), "Zed");
  EXPECT_EQ(rollerState(m, a, "#Spar_Arena", Roller{"DiceHost", "DICE[1]"}), RollerState::Trusted);

  // Without account tags the operator rule stands, and nothing from tags is taken.
  a.clear();
  says("@account=DiceHost :Zed!z@127.0.0.1 PRIVMSG #Spar_Arena :x");
  EXPECT_EQ(speakerName(m, a, "#Spar_Arena", "Zed", roller), "Zed");
  says(":op!o@127.0.0.1 MODE #Spar_Arena +o Zed");
  EXPECT_EQ(speakerName(m, a, "#Spar_Arena", "Zed", Roller{"Zed", "DiceHost"}), "OnlineHost");
  EXPECT_EQ(rollerState(m, a, "#Spar_Arena", Roller{"Zed", ""}), RollerState::Trusted);
}

}  // namespace
}  // namespace kestar::irc
