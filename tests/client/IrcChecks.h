#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QString>
#include <regex>
#include <string>

#include "dice/Dice.h"
#include "tests/client/IrcRigs.h"
#include "tests/irc/OnNetwork.h"

namespace kestar::test {

// Where the network has services, the nick registered as an account, and the password it logs in
// with; else no password.
inline QString accountOf(irc::test::Network& network, const std::string& nick) {
  const std::string password = "pw-" + nick;
  if (!network.hasServices()) return {};
  EXPECT_TRUE(network.registerAccount(nick, password)) << nick;
  return QString::fromStdString(password);
}

// Bob asks for three 20-sided dice: the answer comes from the roller's nick, and the next line is
// the counting Kestar's total of it (each die up to 14 scores 0, 15 to 19 score 1, 20 scores 2),
// which its Dice window shows too.
inline void expectBobsRollTotalled(irc::test::RawClient& bob, IrcProgram& counter,
                                   const std::string& roller, const std::string& counterNick) {
  bob.send("PRIVMSG #Spar_Arena ://roll-dice3-sides20");
  const std::string answer = bob.waitFor("PRIVMSG #Spar_Arena");
  std::smatch dice;
  const std::string die = "([1-9]|1[0-9]|20)";
  ASSERT_TRUE(std::regex_match(answer, dice,
                               std::regex(":" + roller +
                                          "!\\S+ PRIVMSG #Spar_Arena :bob rolled 3 20-sided "
                                          "dice:  " +
                                          die + " " + die + " " + die)))
      << answer;
  int total = 0;
  for (int at = 1; at <= 3; ++at) {
    const int value = std::stoi(dice[at]);
    total += value == 20 ? 2 : value >= 15 ? 1 : 0;
  }
  // No 69 on a 20-sided die: the next line is the total.
  const std::string announced = bob.waitFor("PRIVMSG #Spar_Arena", 8000);
  EXPECT_EQ(irc::test::speaker(announced), counterNick);
  EXPECT_EQ(irc::test::text(announced), " " + std::to_string(total) + "-Total of Roll by bob");
  EXPECT_EQ(counter.program.window<dice::Dice>().Text3->text().toStdString(),
            std::to_string(total));
}

}  // namespace kestar::test
