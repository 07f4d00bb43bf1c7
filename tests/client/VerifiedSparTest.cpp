#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dice/Dice.h"
#include "log/FileLists.h"
#include "log/Log.h"
#include "shell/Startup.h"
#include "tally/Command.h"
#include "tests/client/IrcRigs.h"
#include "tests/support/TempFolder.h"

namespace kestar::test {
namespace {

using irc::test::RawClient;
using Lines = std::vector<std::string>;

Lines readLog(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  Lines lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(line.substr(0, line.find('\r')));
  return lines;
}

// kestar-tally --verify on the lines as a log: its exit status, then what it printed.
std::string verified(const std::filesystem::path& file, const Lines& lines) {
  std::ofstream log(file, std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines)
    log << line << "\r\n";
  log.close();
  std::ostringstream out;
  std::ostringstream err;
  const int status = tally::runTally({"--verify", file.string()}, stdin, out, err);
  return "exit " + std::to_string(status) + "\n" + out.str();
}

// A spar served by one Kestar and logged by another's logger from the spar's start: someone who
// is no operator asks for a new epoch in vain; the spar host, the channel's operator, begins one
// once the logger runs; ten players roll five times each; the roll service signs off, revealing
// the seed before it goes. The tally verifies the log, and names the line where it was changed,
// cut or added to.
TEST(VerifiedSpar, FiftyServedRollsLoggedVerifyAndAnAlteredLogDoesNot) {
  // The room "Arène": its channel in UTF-8 on the network, and in the code page in the log, which
  // is what its dice are derived from.
  const std::string channel = "#Ar\xC3\xA8ne";
  const std::string room = "#Ar\xE8ne";
  irc::test::Ngircd server("[Limits]\nMaxPenaltyTime = 0\n");  // no waits for the players
  ASSERT_TRUE(server.start());
  RawClient host(server.port(), "host");
  ASSERT_TRUE(host.joined(channel));  // the first in: the channel's operator

  // A roll service the network lets send freely.
  IrcClient roller(server.port(), "DiceHost", true, false);
  irc::IrcSettings unpaced = roller.service.settings().connection;
  unpaced.pace = irc::Pace{60, irc::Millis(1)};
  roller.service.connectTo(unpaced);
  ASSERT_TRUE(roller.enter("Ar\xE8ne"));
  host.send("MODE " + channel + " +o DiceHost");
  ASSERT_FALSE(host.waitFor(" +o DiceHost").empty());

  IrcProgram logging(server.port(), "carol", false);
  ASSERT_TRUE(logging.enter("Ar\xE8ne"));
  QTest::mouseClick(logging.program.window<shell::Startup>().Command1, Qt::LeftButton);
  QTest::mouseClick(logging.program.window<dice::Dice>().Command9, Qt::LeftButton);
  log::Log& logger = logging.program.window<log::Log>();
  TempFolder folder;
  logger.Dir1->setPath(QString::fromStdString(folder.path().string()));
  logger.Text1->setText(QStringLiteral("spar.log"));
  QTest::mouseClick(logger.Command1, Qt::LeftButton);

  std::vector<std::unique_ptr<RawClient>> players;
  for (int p = 1; p <= 10; ++p) {
    players.push_back(std::make_unique<RawClient>(server.port(), "p" + std::to_string(p)));
    ASSERT_TRUE(players.back()->joined(channel));
  }
  RawClient eve(server.port(), "eve");
  ASSERT_TRUE(eve.joined(channel));
  eve.send("PRIVMSG " + channel + " ://roll-epoch");
  EXPECT_EQ(irc::test::text(eve.waitFor(" NOTICE eve ")),
            "eve, only a channel operator of " + channel + " starts a new dice epoch.");
  host.send("PRIVMSG " + channel + " ://roll-epoch");
  ASSERT_FALSE(host.waitFor(":Dice epoch 2 of " + channel + " begins: ").empty());
  for (int round = 1; round <= 5; ++round) {
    if (round > 3) QTest::qWait(1000);  // three rolls of a player at once, then one a second
    for (int p = 1; p <= 10; ++p) {
      players[p - 1]->send("PRIVMSG " + channel + " ://roll-dice3-sides20");
      ASSERT_FALSE(host.waitFor(":p" + std::to_string(p) + " rolled 3 20-sided dice:  ").empty());
    }
  }
  roller.service.signOff();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const Lines logged = readLog(folder / "spar.log");
        return !logged.empty() &&
               logged.back().rfind(
                   "OnlineHost:\tDice epoch 2 of " + room + " ends after 50 answers: ", 0) == 0;
      },
      5000));
  QTest::mouseClick(logger.Command2, Qt::LeftButton);

  const Lines log = readLog(folder / "spar.log");
  ASSERT_EQ(log.size(), 105u);
  const std::string firstEpoch = "Epoch 1 of " + room +
                                 ", lines 3 to 3 (the log starts inside it; checked from answer "
                                 "1): 0 rolls verified.\nEpoch 2 of " +
                                 room + ", lines 4 to ";
  const std::string read = " lines read: 2 epochs revealed, ";
  EXPECT_EQ(verified(folder / "whole.log", log),
            "exit 0\n" + firstEpoch + "105: 50 rolls verified.\n105" + read +
                "50 rolls verified, 0 lines not matching, 0 roll lines unverifiable.\n");

  // Answer 10, p10's first roll, is line 24: its last value one more.
  const std::string answer = log[23];
  const std::size_t last = answer.rfind(' ') + 1;
  const std::string values = answer.substr(answer.find(":  ") + 3);
  const std::string changed =
      answer.substr(0, last) + std::to_string(std::stoi(answer.substr(last)) % 20 + 1);
  const std::string forged = "p3 rolled 15 20-sided dice: " + [] {
    std::string dice;
    for (int die = 0; die < 15; ++die)
      dice += " 20";
    return dice;
  }();
  const struct {
    std::function<void(Lines&)> edit;
    std::string out;
  } tampered[] = {
      {[&](Lines& l) { l[23] = changed; },
       "105: 49 rolls verified, 1 not matching:\n  line 24: answer 10 (p10, 3 20-sided dice): "
       "expected " +
           values + ", found " + changed.substr(changed.find(":  ") + 3) + "\n105" + read +
           "49 rolls verified, 1 line not matching, 0 roll lines unverifiable.\n"},
      {[](Lines& l) { l.erase(l.begin() + 23); },
       "104: 49 rolls verified, 1 not matching:\n  line 25: answer 10 is missing before this "
       "line\n104" +
           read + "49 rolls verified, 1 line not matching, 0 roll lines unverifiable.\n"},
      {[&](Lines& l) { l.insert(l.begin() + 23, "OnlineHost:\t" + forged); },
       "106: 50 rolls verified, 1 not matching:\n  line 24: no answer of the epoch: " + forged +
           "\n106" + read + "50 rolls verified, 1 line not matching, 0 roll lines unverifiable.\n"},
  };
  for (const auto& t : tampered) {
    Lines lines = log;
    t.edit(lines);
    EXPECT_EQ(verified(folder / "tampered.log", lines), "exit 1\n" + firstEpoch + t.out);
  }
}

}  // namespace
}  // namespace kestar::test
