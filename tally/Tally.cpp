#include "tally/Tally.h"

#include <algorithm>
#include <ostream>

#include "chatlink/ChatScanner.h"
#include "chatlink/CodePage.h"
#include "dice/rules/Numbers.h"
#include "dice/rules/RollLine.h"
#include "dice/rules/TagPrefix.h"

namespace kestar::tally {
namespace {

// The chat line's own filter turned it away: it is no roll line at all.
bool isNoRoll(rolls::Skip skip) {
  return skip == rolls::Skip::NotTheService || skip == rolls::Skip::NoNumberAtTheEnd;
}

std::string initiativeText(const RollerTotals& row) {
  return row.initiative ? chatlink::toCodePage(rolls::numberText(*row.initiative)) : std::string();
}

std::string highestText(const RollerTotals& row) {
  return row.rolls > 0 ? std::to_string(row.highest) : std::string();
}

// A cell of text. A spreadsheet takes a cell that begins with one of "=+-@" for a formula, and
// the names come from other people's lines, so such a cell is written as text.
std::string csvField(std::string text) {
  if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
    text.insert(0, 1, '\'');
  }
  const bool plain = text.find_first_of(",\"\r\n") == std::string::npos &&
                     (text.empty() || (text.front() != ' ' && text.back() != ' '));
  if (plain) return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

std::string counted(std::uint64_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + ' ' + std::string(n == 1 ? one : many);
}

}  // namespace

Tally::Tally(const Formatting& formatting, std::ostream* listing)
    : prefix_(rolls::tagPrefix(formatting.bold, formatting.italic, formatting.underline)),
      listing_(listing) {}

void Tally::addLine(std::string_view line, bool overlong) {
  ++counts_.read;
  if (overlong || !chatlink::splitChatLine(line, screenName_, whatSaid_)) {
    ++counts_.notLogFormat;
    return;
  }
  const Text screenName = chatlink::fromCodePage(screenName_);
  const Text whatSaid = chatlink::fromCodePage(whatSaid_);
  const rolls::RollOutcome outcome = rolls::countRoll(screenName, whatSaid, prefix_);
  if (const auto initiative = rolls::initiativeRoll(screenName, whatSaid)) {
    RollerTotals& row = roller(initiative->name);
    if (!row.initiative) row.initiative = initiative->value;
  }
  if (!outcome.counted()) {
    if (isNoRoll(*outcome.skipped)) return;
    ++counts_.skipped;
    if (listing_ != nullptr) {
      *listing_ << counts_.read << "\tskipped (" << rolls::skipName(*outcome.skipped)
                << "): " << whatSaid_ << '\n';
    }
    return;
  }
  ++counts_.totalled;
  RollerTotals& row = roller(outcome.roller->RollerName);
  row.highest = row.rolls == 0 ? outcome.total : std::max(row.highest, outcome.total);
  ++row.rolls;
  row.sum += outcome.total;
  for (const Text& snag : outcome.snagLines)
    list(chatlink::toCodePage(snag));
  list(chatlink::toCodePage(outcome.announcement));
}

RollerTotals& Tally::roller(const Text& name) {
  const auto [it, isNew] = rowOf_.try_emplace(name, rollers_.size());
  if (isNew) {
    rollers_.emplace_back();
    rollers_.back().name = name;
  }
  return rollers_[it->second];
}

void Tally::list(std::string_view text) {
  if (listing_ != nullptr) *listing_ << counts_.read << '\t' << text << '\n';
}

void writeSummary(std::ostream& out, const std::vector<RollerTotals>& rollers) {
  struct Row {
    std::string cells[5];
  };
  std::vector<Row> rows = {{{"Roller", "Rolls", "Sum", "Highest", "Initiative"}}};
  for (const RollerTotals& r : rollers) {
    rows.push_back({{chatlink::toCodePage(r.name), std::to_string(r.rolls), std::to_string(r.sum),
                     highestText(r), initiativeText(r)}});
  }
  std::size_t widths[5] = {};
  for (const Row& row : rows) {
    for (int c = 0; c < 5; ++c)
      widths[c] = std::max(widths[c], row.cells[c].size());
  }
  for (const Row& row : rows) {
    std::string line = row.cells[0] + std::string(widths[0] - row.cells[0].size(), ' ');
    for (int c = 1; c < 5; ++c)
      line += "  " + std::string(widths[c] - row.cells[c].size(), ' ') + row.cells[c];
    out << line << '\n';
  }
}

void writeCsv(std::ostream& out, const std::vector<RollerTotals>& rollers) {
  out << "Roller,Rolls,Sum,Highest,Initiative\n";
  for (const RollerTotals& r : rollers) {
    out << csvField(chatlink::toCodePage(r.name)) << ',' << r.rolls << ',' << r.sum << ','
        << highestText(r) << ',' << initiativeText(r) << '\n';
  }
}

std::string closingLine(const LineCounts& counts) {
  return counted(counts.read, "line", "lines") +
         " read: " + counted(counts.totalled, "roll", "rolls") + " totalled, " +
         counted(counts.skipped, "roll line", "roll lines") + " skipped, " +
         counted(counts.notLogFormat, "line", "lines") + " not in the log's format.";
}

}  // namespace kestar::tally
