#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "dicehost/RollRecord.h"
#include "tests/support/TempFolder.h"

namespace kestar::dicehost {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using namespace std::chrono_literals;

system_clock::time_point at(year_month_day day, milliseconds time) {
  return sys_days(day) + time;
}

TEST(RollRecord, OneLineARollInTheFileOfItsRoomAndDay) {
  // Days and times are UTC's wherever the host is: here nine hours ahead of it.
  const std::string zone = std::getenv("TZ") == nullptr ? "" : std::getenv("TZ");
  ::setenv("TZ", "XST-9", 1);
  ::tzset();
  test::TempFolder folder;
  std::vector<std::string> reports;
  RollRecord record(folder.path(), [&](const std::string& line) { reports.push_back(line); });
  const auto day = 2026y / 12 / 7;
  const struct {
    const char* channel;
    system_clock::time_point when;
    const char* nick;
    const char* request;
    std::vector<int> values;
    const char* file;
    const char* contents;  // the file after the roll
  } rolls[] = {
      {"#Spar_Arena",
       at(day, 8h + 30min + 250ms),
       "Bob",
       "//roll-dice3-sides6",
       {4, 1, 6},
       "Spar_Arena.2026-12-07.log",
       "2026-12-07T08:30:00.250Z\tBob\t//roll-dice3-sides6\t4 1 6\n"},
      {"#Spar_Arena",
       at(day, 23h + 59min + 59s + 999ms),
       "Ann",
       "//roll",
       {2, 5},
       "Spar_Arena.2026-12-07.log",
       "2026-12-07T08:30:00.250Z\tBob\t//roll-dice3-sides6\t4 1 6\n"
       "2026-12-07T23:59:59.999Z\tAnn\t//roll\t2 5\n"},
      {"#Spar_Arena",
       at(2026y / 12 / 8, 0ms),
       "Bob",
       "//roll\tnow",
       {6, 6},
       "Spar_Arena.2026-12-08.log",
       "2026-12-08T00:00:00.000Z\tBob\t//roll now\t6 6\n"},
      {"#a/b",
       at(day, 9h),
       "Zed",
       "//roll-dice1-sides20",
       {20},
       "a%2Fb.2026-12-07.log",
       "2026-12-07T09:00:00.000Z\tZed\t//roll-dice1-sides20\t20\n"},
  };
  for (const auto& roll : rolls) {
    // Read while the record is still open: nothing is kept back for a later roll.
    EXPECT_TRUE(record.write(roll.channel, roll.when, roll.nick, roll.request, roll.values));
    EXPECT_EQ(test::fileBytes(folder / roll.file), roll.contents) << roll.file;
  }
  EXPECT_EQ(reports, std::vector<std::string>{});
  zone.empty() ? ::unsetenv("TZ") : ::setenv("TZ", zone.c_str(), 1);
  ::tzset();
}

TEST(RollRecord, AFailedWriteIsReportedOnceAndServingGoesOn) {
  test::TempFolder folder;
  std::vector<std::string> reports;
  RollRecord record(folder / "gone", [&](const std::string& line) { reports.push_back(line); });
  const auto when = at(2026y / 12 / 7, 10h);
  EXPECT_FALSE(record.write("#Lobby", when, "Bob", "//roll", {1, 2}));
  EXPECT_FALSE(record.write("#Lobby", when, "Bob", "//roll", {3, 4}));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], "Cannot write the record of rolls " + (folder / "gone").string() +
                            "/Lobby.2026-12-07.log: No such file or directory; serving goes on, "
                            "this is said once until a roll is recorded again");

  fs::create_directory(folder / "gone");
  EXPECT_TRUE(record.write("#Lobby", when, "Bob", "//roll", {5, 6}));
  EXPECT_EQ(test::fileBytes(folder / "gone" / "Lobby.2026-12-07.log"),
            "2026-12-07T10:00:00.000Z\tBob\t//roll\t5 6\n");
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[1], "The record of rolls is written again: " +
                            (folder / "gone" / "Lobby.2026-12-07.log").string());
  fs::remove_all(folder / "gone");
  EXPECT_FALSE(record.write("#Lobby", when, "Bob", "//roll", {1, 1}));
  EXPECT_EQ(reports.size(), 3u);

  // Without a state folder there is no record, and nothing to report.
  RollRecord none({}, [&](const std::string& line) { reports.push_back(line); });
  EXPECT_FALSE(none.write("#Lobby", when, "Bob", "//roll", {1, 2}));
  EXPECT_EQ(reports.size(), 3u);
}

}  // namespace
}  // namespace kestar::dicehost
