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
  std::stringstream bytes;
  bytes << in.rdbuf();
  Lines lines;
  for (std::string line; std::getline(bytes, line);)
    lines.push_back(line.substr(0, line.find('\r')));
  return lines;
}

struct Verified {
  int status = -1;
  std::string out;
};

Verified verify(const std::filesystem::path& file, const Lines& lines) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << [&] {
    std::string log;
    for (const std::string& line : lines)
      log += line + "\r\n";
    return log;
  }();
  std::ostringstream out;
  std::ostringstream err;
  const int status = tally::runTally({"--verify", file.string()}, stdin, out, err);
  return {status, out.str()};
}

// A spar served by one Kestar and logged by another's logger from the spar's start: the spar
// host, the channel's operator, begins an epoch once the logger runs; ten players roll five times
// each; the roll service signs off, revealing the seed before it goes. The tally verifies the
// log, and names the line where it was changed, cut or added to.
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
  host.send("PRIVMSG " + channel + " ://roll-epoch");
  ASSERT_FALSE(host.waitFor(":Dice epoch 2 of " + channel + " begins: ").empty());
  for (int round = 1; round <= 5; ++round) {
    // Three rolls of a player at once, then one a second.
    if (round > 3) QTest::qWait(1000);
    for (int p = 1; p <= 10; ++p) {
      const std::string nick = "p" + std::to_string(p);
      players[p - 1]->send("PRIVMSG " + channel + " ://roll-dice3-sides20");
      ASSERT_FALSE(host.waitFor(":" + nick + " rolled 3 20-sided dice:  ").empty()) << round;
    }
  }
  roller.service.signOff();
  const std::string revealed = "OnlineHost:\tDice epoch 2 of " + room + " ends after 50 answers: ";
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const Lines logged = readLog(folder / "spar.log");
        return !logged.empty() && logged.back().rfind(revealed, 0) == 0;
      },
      5000));
  QTest::mouseClick(logger.Command2, Qt::LeftButton);

  const Lines log = readLog(folder / "spar.log");
  ASSERT_EQ(log.size(), 104u);
  const std::string closing = " lines read: 2 epochs revealed, ";
  const std::string firstEpoch =
      "Epoch 1 of " + room +
      ", lines 2 to 2 (the log starts inside it; checked from answer 1): 0 "
      "rolls verified.\n";
  const Verified whole = verify(folder / "whole.log", log);
  EXPECT_EQ(whole.status, 0);
  EXPECT_EQ(whole.out, firstEpoch + "Epoch 2 of " + room +
                           ", lines 3 to 104: 50 rolls verified.\n"
                           "104" +
                           closing + "50 rolls verified, 0 lines not matching, 0 roll lines " +
                           "unverifiable.\n");

  // Answer 10 is line 23, p10's first roll; its last value one more.
  const std::string answer10 = log[22];
  const std::string values = answer10.substr(answer10.find(":  ") + 3);
  const std::size_t last = values.rfind(' ') + 1;
  const std::string changed =
      values.substr(0, last) + std::to_string(std::stoi(values.substr(last)) % 20 + 1);
  const std::string forged = "OnlineHost:\tp3 rolled 15 20-sided dice: " + [] {
    std::string twenties;
    for (int die = 0; die < 15; ++die)
      twenties += " 20";
    return twenties;
  }();
  const struct {
    const char* what;
    std::function<void(Lines&)> edit;
    std::string out;
  } tampered[] = {
      {"one value changed",
       [&](Lines& l) { l[22] = answer10.substr(0, answer10.find(":  ") + 3) + changed; },
       "Epoch 2 of " + room +
           ", lines 3 to 104: 49 rolls verified, 1 not matching:\n"
           "  line 23: answer 10 (p10, 3 20-sided dice): expected " +
           values + ", found " + changed + "\n104" + closing +
           "49 rolls verified, 1 line not matching, 0 roll lines unverifiable.\n"},
      {"one line removed", [](Lines& l) { l.erase(l.begin() + 22); },
       "Epoch 2 of " + room +
           ", lines 3 to 103: 49 rolls verified, 1 not matching:\n"
           "  line 24: answer 10 is missing before this line\n"
           "103" +
           closing + "49 rolls verified, 1 line not matching, 0 roll lines unverifiable.\n"},
      {"a forged line put in", [&](Lines& l) { l.insert(l.begin() + 22, forged); },
       "Epoch 2 of " + room +
           ", lines 3 to 105: 50 rolls verified, 1 not matching:\n"
           "  line 23: no answer of the epoch: " +
           forged.substr(forged.find('\t') + 1) + "\n105" + closing +
           "50 rolls verified, 1 line not matching, 0 roll lines unverifiable.\n"},
  };
  for (const auto& t : tampered) {
    Lines lines = log;
    t.edit(lines);
    const Verified result = verify(folder / "tampered.log", lines);
    EXPECT_EQ(result.status, 1) << t.what;
    EXPECT_EQ(result.out, firstEpoch + t.out) << t.what;
  }
}

}  // namespace
}  // namespace kestar::test
