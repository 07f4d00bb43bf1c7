#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <random>
#include <sstream>
#include <utility>

#include "tally/Command.h"
#include "tally/Fairness.h"
#include "tally/LogLines.h"
#include "tally/Tally.h"
#include "tests/support/SimFixture.h"
#include "tests/support/TempFolder.h"

namespace kestar::test {
namespace {

using tally::RollerTotals;

struct CloseFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, CloseFile>;

// A stream that reads back the bytes given.
File streamOf(const std::string& bytes) {
  File file(std::tmpfile());
  std::fwrite(bytes.data(), 1, bytes.size(), file.get());
  std::rewind(file.get());
  return file;
}

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

ToolRun run(const std::vector<std::string_view>& arguments, const std::string& input = "") {
  const File in = streamOf(input);
  std::ostringstream out;
  std::ostringstream err;
  ToolRun result;
  result.status = tally::runTally(arguments, in.get(), out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

const std::string kSample = std::string(KESTAR_SAMPLES_DIR) + "/spar.log";

const std::string kSampleListing =
    "3\t 9-Total of Roll by Bob\n"
    "6\t ::snags the 69, hides it::\n"
    "6\t 11-Total of Roll by Ann\n"
    "10\t 2-Total of Roll by Cy\n"
    "13\t 15-Total of Roll by Dax\n"
    "18\t 24-Total of Roll by Bob\n"
    "22\t ::snags the 69, hides it::\n"
    "22\t 42-Total of Roll by Ann\n"
    "27\t 15-Total of Roll by Cy\n"
    "30\tskipped (not 1 to 4 dice): Dax rolled 5 100-sided dice:  10 20 30 40 50\n"
    "33\t 24-Total of Roll by Dax\n"
    "36\t ::snags the 69, hides it::\n"
    "36\t 11-Total of Roll by Bob\n";
const std::string kSampleClosing =
    "39 lines read: 9 rolls totalled, 1 roll line skipped, 1 line not in the log's format.\n";

TEST(TallyTool, SampleSparIsListedSummedAndClosedWithItsCounts) {
  const ToolRun text = run({kSample});
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(text.err, "");
  EXPECT_EQ(text.out, kSampleListing +
                          "\n"
                          "Roller  Rolls  Sum  Highest  Initiative\n"
                          "Bob         3   44       24          57\n"
                          "Ann         2   53       42          69\n"
                          "Cy          2   17       15          23\n"
                          "Dax         2   39       24          88\n" +
                          kSampleClosing);

  const std::string log = fileBytes(kSample);
  // From standard input, the same.
  for (const std::vector<std::string_view>& arguments :
       {std::vector<std::string_view>{}, std::vector<std::string_view>{"-"}}) {
    const ToolRun piped = run(arguments, log);
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.out, text.out);
  }

  const ToolRun csv = run({"--csv", kSample});
  EXPECT_EQ(csv.status, 0);
  EXPECT_EQ(csv.out,
            "Roller,Rolls,Sum,Highest,Initiative\n"
            "Bob,3,44,24,57\n"
            "Ann,2,53,42,69\n"
            "Cy,2,17,15,23\n"
            "Dax,2,39,24,88\n");
  EXPECT_EQ(csv.err, kSampleClosing);
}

TEST(TallyTool, FormattingOptionsSetThePrefixOfEveryLineSaid) {
  const struct {
    std::vector<std::string_view> options;
    std::string prefix;
  } cases[] = {
      {{}, " "},
      {{"--bold"}, "<b>"},
      {{"--italic"}, " <i>"},
      {{"--underline"}, " <u>"},
      {{"--underline", "--bold", "--italic"}, "<b><i><u>"},
  };
  for (const auto& c : cases) {
    std::vector<std::string_view> arguments = c.options;
    arguments.push_back(kSample);
    const ToolRun result = run(arguments);
    EXPECT_EQ(result.status, 0);
    const std::string expected = "22\t" + c.prefix + "::snags the 69, hides it::\n22\t" + c.prefix +
                                 "42-Total of Roll by Ann\n27\t" + c.prefix;
    EXPECT_NE(result.out.find(expected), std::string::npos) << c.prefix << "\n" << result.out;
  }
}

// What the tally lists for a one-line log, and how it counts the line.
TEST(Tally, ListsRollLinesByTheCountersRoadAndOnlyThem) {
  enum Kind { kNoRoll, kTotalled, kSkipped, kNotLogFormat };
  const struct {
    std::string line;
    Kind kind;
    std::string listed;
  } cases[] = {
      {"OnlineHost:\tBob rolled 2 100-sided dice:  47 69", kTotalled,
       "1\t ::snags the 69, hides it::\n1\t 18-Total of Roll by Bob\n"},
      {"OnlineHost:\tAnn rolled 4 100-sided dice:  69 69 69 69", kTotalled,
       "1\t ::snags the 69, hides it::\n"
       "1\t ::snags the 69, hides it::\n1\t ::snags the 69, hides it::\n"
       "1\t ::snags the 69, hides it::\n1\t 44-Total of Roll by Ann\n"},
      // The log's separator is the first colon and tab; names may hold colons.
      {"OnlineHost:\tA:B rolled 1 100-sided die:  50", kTotalled, "1\t 8-Total of Roll by A:B\n"},
      {"OnlineHost:\tOnlineHost:\tBob rolled 1 100-sided die:  50", kTotalled,
       "1\t 8-Total of Roll by OnlineHost:\tBob\n"},
      // The code page comes back out as it went in.
      {"OnlineHost:\tZo\xEB rolled 1 100-sided die:  50", kTotalled,
       "1\t 8-Total of Roll by Zo\xEB\n"},
      {"OnlineHost:\tBob rolled 5 6-sided dice:  1 2 3 4 5", kSkipped,
       "1\tskipped (not 1 to 4 dice): Bob rolled 5 6-sided dice:  1 2 3 4 5\n"},
      {"OnlineHost:\tBob rolled 3 100-sided dice:  47 69", kSkipped,
       "1\tskipped (a die value missing): Bob rolled 3 100-sided dice:  47 69\n"},
      {"OnlineHost:\tWelcome to room 12", kSkipped,
       "1\tskipped (no \"rolled\"): Welcome to room 12\n"},
      // Chat that is no roll line: nothing listed.
      {"OnlineHost:\tWelcome to the Spar Arena!", kNoRoll, ""},
      {"OnlineHost:\tBob rolled 1 100-sided die:  0", kNoRoll, ""},
      {"Bob:\tBob rolled 1 100-sided die:  50", kNoRoll, ""},
      {"SparKing:\t 18-Total of Roll by Bob", kNoRoll, ""},
      {":\t", kNoRoll, ""},
      // Not in the log's format.
      {"OnlineHost: Bob rolled 1 100-sided die:  50", kNotLogFormat, ""},
      {"OnlineHost:Bob rolled 1 100-sided die:  50", kNotLogFormat, ""},
      {"OnlineHost\tBob rolled 1 100-sided die:  50", kNotLogFormat, ""},
      {"", kNotLogFormat, ""},
  };
  for (const auto& c : cases) {
    std::ostringstream listing;
    tally::Tally tally({}, &listing);
    tally.addLine(c.line);
    EXPECT_EQ(listing.str(), c.listed) << c.line;
    const tally::LineCounts& counts = tally.counts();
    EXPECT_EQ(counts.read, 1u);
    EXPECT_EQ(counts.totalled, c.kind == kTotalled ? 1u : 0u) << c.line;
    EXPECT_EQ(counts.skipped, c.kind == kSkipped ? 1u : 0u) << c.line;
    EXPECT_EQ(counts.notLogFormat, c.kind == kNotLogFormat ? 1u : 0u) << c.line;
  }
  // An overlong line is not in the log's format, whatever it starts with.
  tally::Tally tally({}, nullptr);
  tally.addLine("OnlineHost:\tBob rolled 1 100-sided die:  50", true);
  EXPECT_EQ(tally.counts().notLogFormat, 1u);
  EXPECT_TRUE(tally.rollers().empty());
}

TEST(Tally, KeepsEveryRollersTotalsAndFirstRoll) {
  tally::Tally tally({}, nullptr);
  for (const char* said : {
           "Cy rolled 2 100-sided dice:  33 66",            // 15, and Cy's initiative 66
           "Bob rolled 5 100-sided dice:  10 20 30 40 50",  // no total, but Bob's initiative 50
           "Cy rolled 1 100-sided die:  100",               // 26: a later roll is no initiative
           "Cy rolled 1 100-sided die:  12",                // 0
           "Ann rolled 1 100-sided die:  5",                // 0, initiative 5
           "Bob rolled 1 100-sided die:  3",                // 0
       }) {
    tally.addLine(std::string("OnlineHost:\t") + said);
  }
  ASSERT_EQ(tally.rollers().size(), 3u);
  const auto expectRow = [](const RollerTotals& row, const char* name, std::int64_t rolls,
                            std::int64_t sum, int highest, double initiative) {
    EXPECT_EQ(narrow(row.name), name);
    EXPECT_EQ(row.rolls, rolls) << name;
    EXPECT_EQ(row.sum, sum) << name;
    EXPECT_EQ(row.highest, highest) << name;
    EXPECT_EQ(row.initiative, initiative) << name;
  };
  expectRow(tally.rollers()[0], "Cy", 3, 41, 26, 66);
  expectRow(tally.rollers()[1], "Bob", 1, 0, 0, 50);
  expectRow(tally.rollers()[2], "Ann", 1, 0, 0, 5);

  // A roller with no roll totalled has no highest total.
  std::ostringstream summary;
  tally::Tally onlySkipped({}, nullptr);
  onlySkipped.addLine("OnlineHost:\tDax rolled 5 100-sided dice:  10 20 30 40 50");
  tally::writeSummary(summary, onlySkipped.rollers());
  EXPECT_EQ(summary.str(),
            "Roller  Rolls  Sum  Highest  Initiative\n"
            "Dax         0    0                   50\n");
  std::ostringstream csv;
  tally::writeCsv(csv, onlySkipped.rollers());
  EXPECT_EQ(csv.str(), "Roller,Rolls,Sum,Highest,Initiative\nDax,0,0,,50\n");

  // Sums of a long spar outgrow 32 bits.
  tally::Tally longSpar({}, nullptr);
  constexpr int kRolls = 20000;
  for (int i = 0; i < kRolls; ++i)
    longSpar.addLine("OnlineHost:\tAl rolled 4 999-sided dice:  32841 32841 32841 32841");
  ASSERT_EQ(longSpar.rollers().size(), 1u);
  EXPECT_EQ(longSpar.rollers()[0].sum, std::int64_t{kRolls} * 4 * 32767);
  EXPECT_EQ(longSpar.rollers()[0].highest, 4 * 32767);
}

TEST(Tally, CsvCellsHoldAnyNameAndNeverAFormula) {
  const struct {
    Text name;
    std::string cell;
  } cases[] = {
      {u"Bob", "Bob"},
      {u"", ""},
      {u"A,B", "\"A,B\""},
      {u"Say \"hi\"", "\"Say \"\"hi\"\"\""},
      {u" Bob", "\" Bob\""},
      {u"=1+2", "'=1+2"},
      {u"-Dark-", "'-Dark-"},
      {u"@SUM(A1)", "'@SUM(A1)"},
      {u"=HYPERLINK(\"x\",\"y\")", "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\""},
      {u"Zo\u00EB", "Zo\xEB"},
  };
  for (const auto& c : cases) {
    RollerTotals row;
    row.name = c.name;
    std::ostringstream csv;
    tally::writeCsv(csv, {row});
    EXPECT_EQ(csv.str(), "Roller,Rolls,Sum,Highest,Initiative\n" + c.cell + ",0,0,,\n") << c.cell;
  }
}

TEST(LogLines, SplitsAtCrLfOrLfAloneAndDropsOverlongLines) {
  const std::string longest(tally::kLongestLine, 'x');
  // Longer than one read of the stream, so the line is gathered across reads.
  const std::string acrossReads = std::string(60000, 'a') + "\n" + std::string(10000, 'b');
  struct Line {
    std::string text;
    bool overlong = false;
    bool operator==(const Line&) const = default;
  };
  const struct {
    std::string name;
    std::string bytes;
    std::vector<Line> lines;
  } cases[] = {
      {"CR LF", "a:\tb\r\nc:\td\r\n", {{"a:\tb"}, {"c:\td"}}},
      {"LF alone", "a:\tb\nc:\td\n", {{"a:\tb"}, {"c:\td"}}},
      {"mixed", "a\r\nb\nc\r\n", {{"a"}, {"b"}, {"c"}}},
      {"last line without its end", "a\r\nb", {{"a"}, {"b"}}},
      {"last line cut after its CR", "a\r\nb\r", {{"a"}, {"b"}}},
      {"empty lines", "\r\n\na\r\n\r\n", {{""}, {""}, {"a"}, {""}}},
      {"a CR inside a line stays", "a\rb\r\n", {{"a\rb"}}},
      {"nothing", "", {}},
      {"the longest line", longest + "\r\n" + longest, {{longest}, {longest}}},
      {"one longer",
       longest + "y\r\nnext\r\n" + longest + "yy",
       {{"", true}, {"next"}, {"", true}}},
      {"a megabyte without a line end", std::string(1 << 20, 'z'), {{"", true}}},
      {"across reads",
       acrossReads + "\r\n",
       {{std::string(60000, 'a')}, {std::string(10000, 'b')}}},
  };
  for (const auto& c : cases) {
    const File in = streamOf(c.bytes);
    std::vector<Line> lines;
    const int error = tally::readLines(in.get(), [&](std::string_view line, bool overlong) {
      lines.push_back({std::string(line), overlong});
    });
    EXPECT_EQ(error, 0) << c.name;
    ASSERT_EQ(lines.size(), c.lines.size()) << c.name;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].overlong, c.lines[i].overlong) << c.name << " line " << i;
      EXPECT_EQ(lines[i].text.size(), c.lines[i].text.size()) << c.name << " line " << i;
      EXPECT_TRUE(lines[i] == c.lines[i]) << c.name << " line " << i;
    }
  }
}

TEST(TallyTool, BadCommandLinesAndUnreadableLogsFailWithStatusTwo) {
  TempFolder folder;
  const std::string missing = (folder / "missing.log").string();
  const std::string directory = folder.path().string();
  const struct {
    std::vector<std::string_view> arguments;
    std::string error;
  } cases[] = {
      // The system's own words for why follow; they differ from one system to another.
      {{missing}, "kestar-tally: cannot read " + missing + ": "},
      {{directory}, "kestar-tally: cannot read " + directory},
      {{"--bolt", kSample}, "kestar-tally: unknown option --bolt\n"},
      {{kSample, kSample}, "kestar-tally: one log at a time\n"},
  };
  for (const auto& c : cases) {
    const ToolRun result = run(c.arguments);
    EXPECT_EQ(result.status, tally::kExitFailed) << c.error;
    EXPECT_EQ(result.err.substr(0, c.error.size()), c.error);
    EXPECT_EQ(result.out, "") << c.error;
  }

  // Output that cannot be written is no success either.
  std::ostream broken(nullptr);
  std::ostringstream err;
  EXPECT_EQ(tally::runTally({kSample}, nullptr, broken, err), tally::kExitFailed);
  EXPECT_EQ(err.str(), "kestar-tally: cannot write the output\n");

  const ToolRun help = run({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  for (const char* word :
       {"Usage: kestar-tally", "--bold", "--italic", "--underline", "--csv", "standard input",
        "skipped", "Exit status", "--fairness", "--by-roller", "p < 0.01", "by chance"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
  // A log without rolls still reads to its end.
  const ToolRun quiet = run({}, "Bob:\thello\r\nnot a chat line\r\n");
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out,
            "No rolls.\n"
            "2 lines read: 0 rolls totalled, 0 roll lines skipped, 1 line not in the log's "
            "format.\n");
}

TEST(Fairness, PValuesAgreeWithTheChiSquareTable) {
  const struct {
    double chiSquare;
    int degreesOfFreedom;
    double p;
  } table[] = {
      {3.841, 1, 0.05},    {6.635, 1, 0.01},    {11.07, 5, 0.05},   {15.086, 5, 0.01},
      {16.919, 9, 0.05},   {21.666, 9, 0.01},   {36.19, 19, 0.01},  {30.144, 19, 0.05},
      {123.225, 99, 0.05}, {134.642, 99, 0.01}, {9.21034, 2, 0.01},  // two: exactly e^(-x/2)
  };
  for (const auto& row : table) {
    EXPECT_NEAR(tally::chiSquareP(row.chiSquare, row.degreesOfFreedom), row.p, row.p * 0.002)
        << row.chiSquare << " with " << row.degreesOfFreedom;
  }

  // A six-sided die showing 10, 10, 10, 10, 10 and 20 times: 70 dice, 35/3 expected per face,
  // chi-square 5 * (5/3)^2 / (35/3) + (25/3)^2 / (35/3) = 50/7 with 5 degrees of freedom.
  tally::DiceFaces faces;
  for (int face = 1; face <= 6; ++face)
    faces.add(6, std::vector<double>(face == 6 ? 20 : 10, face));
  const tally::FaceCounts& six = faces.sizes().at(6);
  const tally::FairnessTest test = tally::testFairness(six);
  EXPECT_TRUE(test.tested);
  EXPECT_NEAR(test.expected, 35.0 / 3, 1e-12);
  EXPECT_NEAR(test.chiSquare, 50.0 / 7, 1e-12);
  EXPECT_EQ(test.degreesOfFreedom, 5);
  EXPECT_FALSE(test.flagged());

  // Five dice expected on every face are enough for the test, fewer are not; a face that never
  // came up counts too.
  for (const auto& [dice, tested] : {std::pair{100, true}, std::pair{99, false}}) {
    tally::DiceFaces twenty;
    twenty.add(20, std::vector<double>(dice, 1));
    EXPECT_EQ(tally::testFairness(twenty.sizes().at(20)).tested, tested) << dice;
  }
  tally::DiceFaces onlyOnes;
  onlyOnes.add(20, std::vector<double>(100, 1));
  EXPECT_NEAR(tally::testFairness(onlyOnes.sizes().at(20)).chiSquare, 95.0 * 95 / 5 + 19 * 5, 1e-9);
}

// Roll lines of dice of that many sides, two dice to a roll, from a seeded generator; with heavy,
// that face weighs twice as much as each other face.
std::string diceLog(unsigned seed, const std::string& name, int sides, int dice, int heavy = 0) {
  std::mt19937 random(seed);
  const unsigned slots = static_cast<unsigned>(sides + (heavy != 0 ? 1 : 0));
  const auto roll = [&] {
    const int slot = static_cast<int>(random() % slots);
    return slot < sides ? slot + 1 : heavy;
  };
  std::string log;
  for (int i = 0; i < dice; i += 2) {
    const bool two = i + 1 < dice;
    for (const std::string& piece :
         {std::string("OnlineHost:\t"), name, std::string(two ? " rolled 2 " : " rolled 1 "),
          std::to_string(sides), std::string(two ? "-sided dice:  " : "-sided die:  "),
          std::to_string(roll()), two ? ' ' + std::to_string(roll()) : std::string(),
          std::string("\r\n")}) {
      log += piece;
    }
  }
  return log;
}

TEST(TallyFairness, FairDiceAreLeftAloneBiasedOnesFlaggedAndFewOnesNotTested) {
  for (unsigned seed = 1; seed <= 5; ++seed) {
    const ToolRun fair =
        run({"--fairness"}, diceLog(seed, "Ann", 6, 1200) + diceLog(seed, "Cy", 20, 2000));
    EXPECT_EQ(fair.status, 0);
    EXPECT_NE(fair.out.find("\n6-sided: 1,200 dice, nothing unusual\n"), std::string::npos)
        << fair.out;
    EXPECT_NE(fair.out.find("\n20-sided: 2,000 dice, nothing unusual\n"), std::string::npos)
        << fair.out;
    EXPECT_EQ(fair.out.find("FLAGGED"), std::string::npos) << fair.out;
  }

  const ToolRun biased =
      run({"--fairness"}, diceLog(7, "Bob", 6, 1200, 6) + diceLog(8, "Dax", 20, 60) +
                              "OnlineHost:\tDax rolled 1 20-sided die:  21\r\n");
  EXPECT_EQ(biased.status, 0);
  EXPECT_NE(biased.out.find("\n6-sided: face 6 came up 1."), std::string::npos) << biased.out;
  EXPECT_NE(biased.out.find("x too often, p "), std::string::npos) << biased.out;
  EXPECT_NE(biased.out.find("  FLAGGED (p < 0.01)\n"), std::string::npos) << biased.out;
  EXPECT_NE(biased.out.find("\n20-sided: 60 dice, too few to test (fewer than 5 expected per "
                            "face); 1 value outside 1..20, not tested\n"),
            std::string::npos)
      << biased.out;
  // Only the tested size has a chi-square.
  EXPECT_EQ(biased.out.find("Chi-square"), biased.out.rfind("Chi-square"));
  EXPECT_NE(biased.out.find("Face  Count  Expected\n   1"), std::string::npos) << biased.out;
  const std::string closing =
      "631 lines read: 631 rolls totalled, 0 roll lines skipped, 0 lines not in the log's "
      "format.\n";
  EXPECT_EQ(biased.out.substr(biased.out.size() - closing.size()), closing);
}

TEST(TallyFairness, PerRollerForSizesWithEnoughDiceAndAsCsv) {
  const std::string log =
      diceLog(3, "Ann", 6, 1200) + diceLog(4, "Bob", 6, 1200, 6) + diceLog(5, "Cy", 6, 12);
  const ToolRun text = run({"--fairness", "--by-roller"}, log);
  EXPECT_EQ(text.status, 0);
  for (const char* part :
       {"\n6-sided: face 6 came up", "\nAnn, 6-sided dice\n",
        "\nAnn, 6-sided: 1,200 dice, nothing unusual\n", "\nBob, 6-sided: face 6 came up",
        "\nPer roller, 1 size with too few dice to test not shown.\n"}) {
    EXPECT_NE(text.out.find(part), std::string::npos) << part << "\n" << text.out;
  }
  EXPECT_EQ(text.out.find("Cy, "), std::string::npos);

  const ToolRun csv = run({"--csv", "--by-roller", "--fairness"}, log);
  EXPECT_EQ(csv.status, 0);
  std::istringstream rows(csv.out);
  std::string row;
  std::getline(rows, row);
  EXPECT_EQ(row,
            "Roller,Sides,Dice,Outside,Face,Count,Expected,ChiSquare,DegreesOfFreedom,P,Flagged");
  int count = 0;
  while (std::getline(rows, row)) {
    ++count;
    if (row.rfind("Bob,6,1200,0,", 0) == 0) {
      EXPECT_EQ(row.substr(row.size() - 4), ",yes") << row;
    } else if (row.rfind("Ann,6,1200,0,", 0) == 0) {
      EXPECT_EQ(row.substr(row.size() - 3), ",no") << row;
    }
  }
  EXPECT_EQ(count, 3 * 6);  // the whole log, Ann and Bob
  EXPECT_NE(csv.err.find(" lines read: "), std::string::npos);

  const ToolRun alone = run({"--by-roller"}, log);
  EXPECT_EQ(alone.status, tally::kExitFailed);
  EXPECT_EQ(alone.err.substr(0, 47), "kestar-tally: --by-roller goes with --fairness\n");
}

}  // namespace
}  // namespace kestar::test
