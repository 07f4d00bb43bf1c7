#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <map>
#include <sstream>

#include "dice/Dice.h"
#include "log/FileLists.h"
#include "log/Log.h"
#include "shell/Startup.h"
#include "tally/LogLines.h"
#include "tally/Tally.h"
#include "tests/support/ProgramRig.h"
#include "tests/support/TempFolder.h"

namespace kestar::test {
namespace {

// A spar in the simulated room with the counter counting and the logger logging; the log it
// leaves, put through the tally, lists what the counter said and sums what it announced.
TEST(TallyRoundTrip, ALogWrittenByTheLoggerTalliesToWhatTheCounterAnnounced) {
  ProgramRig rig;
  click(rig.window<shell::Startup>().Command1);
  dice::Dice& counter = rig.window<dice::Dice>();
  counter.Check1->setChecked(true);
  click(counter.Command1);
  click(counter.Command9);
  log::Log& logger = rig.window<log::Log>();
  TempFolder folder;
  logger.Dir1->setPath(QString::fromStdString(folder.path().string()));
  logger.Text1->setText("spar.log");
  click(logger.Command1);

  const auto roll = [&](const std::string& who, int dice, std::vector<int> values = {}) {
    rig.service.setNextRolls(values);
    rig.service.sayAs(rig.room, who, "//roll-dice" + std::to_string(dice) + "-sides100");
    rig.host.advance(0.5);
  };
  const std::vector<std::string> players = {"Bob", "Ann", "Cy", "Zo\xEB"};
  const std::vector<int> initiatives = {57, 69, 23, 88};
  for (std::size_t p = 0; p < players.size(); ++p)
    roll(players[p], 1, {initiatives[p]});
  roll("Ann", 4, {69, 12, 69, 100});
  roll("Bob", 2, {69, 47});
  roll("Cy", 5);  // five dice: the counter says nothing
  rig.service.sayAs(rig.room, "Cy", "::swings at Bob::");
  for (int round = 0; round < 10; ++round) {
    for (std::size_t p = 0; p < players.size(); ++p)
      roll(players[p], 1 + (round + static_cast<int>(p)) % 4);
  }
  const std::vector<std::string> said = rig.sent();
  click(logger.Command2);
  ASSERT_GT(said.size(), 40u);

  std::ostringstream listing;
  tally::Tally tally({.bold = true}, &listing);
  std::FILE* log = std::fopen((folder / "spar.log").string().c_str(), "rb");
  ASSERT_NE(log, nullptr);
  EXPECT_EQ(tally::readLines(
                log, [&](std::string_view line, bool overlong) { tally.addLine(line, overlong); }),
            0);
  std::fclose(log);

  // Line by line what the counter said, in its order.
  std::vector<std::string> listed;
  std::istringstream lines(listing.str());
  for (std::string line; std::getline(lines, line);) {
    if (line.find("\tskipped (not 1 to 4 dice): Cy rolled 5 ") != std::string::npos) continue;
    listed.push_back(line.substr(line.find('\t') + 1));
  }
  EXPECT_EQ(listed, said);
  EXPECT_EQ(tally.counts().skipped, 1u);
  EXPECT_EQ(tally.counts().notLogFormat, 0u);

  // Per roller, the count and sum of the totals the counter announced.
  std::map<std::string, std::pair<std::int64_t, std::int64_t>> announced;
  const std::string marker = "-Total of Roll by ";
  for (const std::string& line : said) {
    const std::size_t at = line.find(marker);
    if (at == std::string::npos) continue;
    auto& [rolls, sum] = announced[line.substr(at + marker.size())];
    ++rolls;
    sum += std::stoll(line.substr(3, at - 3));  // after "<b>"
  }
  ASSERT_EQ(announced.size(), players.size());
  ASSERT_EQ(tally.rollers().size(), players.size());
  for (std::size_t p = 0; p < players.size(); ++p) {
    const tally::RollerTotals& row = tally.rollers()[p];
    const std::string name = chatlink::toCodePage(row.name);
    EXPECT_EQ(name, players[p]);
    EXPECT_EQ(row.rolls, announced[name].first) << name;
    EXPECT_EQ(row.sum, announced[name].second) << name;
    EXPECT_EQ(row.initiative, initiatives[p]) << name;
  }
}

}  // namespace
}  // namespace kestar::test
