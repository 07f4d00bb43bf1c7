#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "chatlink/Types.h"
#include "dice/rules/RollLine.h"
#include "tally/Fairness.h"

namespace kestar::tally {

// The formatting boxes the counter would have had ticked.
struct Formatting {
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

// What one roller came to over a log.
struct RollerTotals {
  Text name;
  std::int64_t rolls = 0;  // rolls totalled
  std::int64_t sum = 0;    // of their totals
  std::int32_t highest = 0;
  // The first roll of the name, as the Init window takes it; a roll the counter cannot total may
  // still be one.
  std::optional<double> initiative;
};

struct LineCounts {
  std::uint64_t read = 0;
  std::uint64_t totalled = 0;
  std::uint64_t skipped = 0;  // roll lines the rules cannot total
  std::uint64_t notLogFormat = 0;
};

// Puts the lines of a chat log, one after the other, through the dice counter's road. Every roll
// line is listed with its line number: what the counter would have said for it, or why the rules
// cannot total it. The other chat lines are no rolls and pass unlisted.
class Tally final {
 public:
  // The listing goes to listing, when there is one.
  Tally(const Formatting& formatting, std::ostream* listing);

  // The next line of the log, in the code page, without its line end; an overlong line is not in
  // the log's format whatever it holds.
  void addLine(std::string_view line, bool overlong = false);

  // From now on also counts the faces of the totalled rolls' dice, for the fairness test; per
  // roller too when byRoller.
  void countFaces(bool byRoller);
  const DiceFaces& faces() const { return faces_; }
  // Per row of rollers(), when counted per roller; rows without a roll counted may be missing at
  // the end.
  const std::vector<DiceFaces>& facesByRoller() const { return facesByRoller_; }

  // One row per name, in the order the names first rolled.
  const std::vector<RollerTotals>& rollers() const { return rollers_; }
  const LineCounts& counts() const { return counts_; }

 private:
  // The row of a name, new at the end when the name has none yet.
  std::size_t rowOf(const Text& name);
  // The listing: a line's number and tab, a line said, the gathered lines written.
  void startListed();
  void listLine(TextView text);
  void writeListed();

  Text prefix_;
  std::ostream* listing_;
  std::vector<RollerTotals> rollers_;
  std::unordered_map<Text, std::size_t> rowOf_;
  LineCounts counts_;
  Text whatSaidText_;
  rolls::RollOutcome outcome_;
  bool countFaces_ = false;
  bool byRoller_ = false;
  DiceFaces faces_;
  std::vector<DiceFaces> facesByRoller_;
  std::string listed_;
};

// Rows of cells in columns as wide as their widest cell, two blanks apart, right-aligned but for
// the first column when firstToTheLeft.
void writeTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows,
                bool firstToTheLeft);
// A CSV cell (RFC 4180 quoting) of a text in the code page; one a spreadsheet would take for a
// formula is written as text.
std::string csvField(std::string text);

// The rollers as a table with a heading row, names to the left and numbers to the right.
void writeSummary(std::ostream& out, const std::vector<RollerTotals>& rollers);
// The same as CSV with a header row.
void writeCsv(std::ostream& out, const std::vector<RollerTotals>& rollers);
// One line with the counts of the whole log.
std::string closingLine(const LineCounts& counts);

}  // namespace kestar::tally
