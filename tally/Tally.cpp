#include "tally/Tally.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <ostream>

#include "chatlink/ChatScanner.h"
#include "chatlink/CodePage.h"
#include "dice/rules/Numbers.h"
#include "dice/rules/RollLine.h"
#include "dice/rules/TagPrefix.h"
#include "tally/LogLines.h"

namespace kestar::tally {
namespace {

// The chat line's own filter turned it away: it is no roll line at all.
bool isNoRoll(rolls::Skip skip) {
  return skip == rolls::Skip::NotTheService || skip == rolls::Skip::NoNumberAtTheEnd;
}

// The same the other way: text to the bytes of the log's code page, appended to out.
void appendBytes(TextView text, std::string& out) {
  if (!std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; })) {
    out += chatlink::toCodePage(text);
    return;
  }
  const std::size_t end = out.size();
  out.resize(end + text.size());
  std::transform(text.begin(), text.end(), out.begin() + static_cast<std::ptrdiff_t>(end),
                 [](char16_t c) { return static_cast<char>(c); });
}

std::string initiativeText(const RollerTotals& row) {
  return row.initiative ? chatlink::toCodePage(rolls::numberText(*row.initiative)) : std::string();
}

std::string highestText(const RollerTotals& row) {
  return row.rolls > 0 ? std::to_string(row.highest) : std::string();
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
  std::string_view screenName;
  std::string_view whatSaid;
  if (overlong || !chatlink::splitChatLine(line, screenName, whatSaid)) {
    ++counts_.notLogFormat;
    return;
  }
  // Only the service's lines are rolls or initiatives.
  if (!isTheService(screenName)) return;
  readText(whatSaid, whatSaidText_);
  rolls::countRoll(rolls::kService, whatSaidText_, prefix_, outcome_);
  const rolls::RollOutcome& outcome = outcome_;
  std::optional<std::size_t> row;
  if (outcome.roller) row = rowOf(outcome.roller->RollerName);
  // The Init window cuts the same name before "rolled" as the counter: once that name has its
  // first roll, the line needs no second look for one.
  if (!row || !rollers_[*row].initiative) {
    if (const auto initiative = rolls::initiativeRoll(rolls::kService, whatSaidText_)) {
      RollerTotals& first = rollers_[rowOf(initiative->name)];
      if (!first.initiative) first.initiative = initiative->value;
    }
  }
  if (!outcome.counted()) {
    if (isNoRoll(*outcome.skipped)) return;
    ++counts_.skipped;
    if (listing_ != nullptr) {
      listed_.clear();
      startListed();
      listed_ += "skipped (";
      listed_ += rolls::skipName(*outcome.skipped);
      listed_ += "): ";
      listed_ += whatSaid;
      listed_ += '\n';
      writeListed();
    }
    return;
  }
  ++counts_.totalled;
  RollerTotals& totals = rollers_[*row];
  totals.highest = totals.rolls == 0 ? outcome.total : std::max(totals.highest, outcome.total);
  ++totals.rolls;
  totals.sum += outcome.total;
  if (countFaces_) {
    const int sides = rolls::dieSides(whatSaidText_, *outcome.roller);
    faces_.add(sides, outcome.values);
    if (byRoller_) {
      if (facesByRoller_.size() <= *row) facesByRoller_.resize(*row + 1);
      facesByRoller_[*row].add(sides, outcome.values);
    }
  }
  if (listing_ != nullptr) {
    listed_.clear();
    for (const Text& snag : outcome.snagLines)
      listLine(snag);
    listLine(outcome.announcement);
    writeListed();
  }
}

void Tally::countFaces(bool byRoller) {
  countFaces_ = true;
  byRoller_ = byRoller;
}

std::size_t Tally::rowOf(const Text& name) {
  const auto [it, isNew] = rowOf_.try_emplace(name, rollers_.size());
  if (isNew) {
    rollers_.emplace_back();
    rollers_.back().name = name;
  }
  return it->second;
}

// The lines listed for one log line are gathered and written at once: a log lists hundreds of
// thousands.
void Tally::startListed() {
  char number[24];
  listed_.append(number, std::to_chars(std::begin(number), std::end(number), counts_.read).ptr);
  listed_ += '\t';
}

void Tally::listLine(TextView text) {
  startListed();
  appendBytes(text, listed_);
  listed_ += '\n';
}

void Tally::writeListed() {
  // Straight into the stream's buffer: the checks of a formatted write cost more than the line.
  const auto size = static_cast<std::streamsize>(listed_.size());
  std::streambuf* buffer = listing_->rdbuf();
  if (buffer == nullptr || buffer->sputn(listed_.data(), size) != size) {
    listing_->setstate(std::ios::badbit);
  }
}

void writeTable(std::ostream& out, const std::vector<std::vector<std::string>>& rows,
                bool firstToTheLeft) {
  std::vector<std::size_t> widths;
  for (const std::vector<std::string>& row : rows) {
    widths.resize(std::max(widths.size(), row.size()));
    for (std::size_t c = 0; c < row.size(); ++c)
      widths[c] = std::max(widths[c], row[c].size());
  }
  for (const std::vector<std::string>& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      const std::string pad(widths[c] - row[c].size(), ' ');
      if (c > 0) line += "  ";
      line += c == 0 && firstToTheLeft ? row[c] + pad : pad + row[c];
    }
    out << line << '\n';
  }
}

void writeSummary(std::ostream& out, const std::vector<RollerTotals>& rollers) {
  std::vector<std::vector<std::string>> rows = {
      {"Roller", "Rolls", "Sum", "Highest", "Initiative"}};
  for (const RollerTotals& r : rollers) {
    rows.push_back({chatlink::toCodePage(r.name), std::to_string(r.rolls), std::to_string(r.sum),
                    highestText(r), initiativeText(r)});
  }
  writeTable(out, rows, true);
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
