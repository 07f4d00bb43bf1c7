// Feeds arbitrary chat lines to the dice counter's road and to the Init window's two chat handlers
// (initiative rolls and class answers), as the room's other people could, and checks what they
// would say or store. The text also serves as a column of initiative values to order and as the
// boxes of the spar's worth.
//
// Input: one byte of options, then the screen name and the text. Bit 0 of the options reads name
// and text as UTF-16 code units instead of code-page bytes; bits 1 to 3 tick bold, italic and
// underline. A zero code unit ends the name; without one the service said the whole text.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "chatlink/CodePage.h"
#include "dice/rules/Numbers.h"
#include "dice/rules/RollLine.h"
#include "dice/rules/TagPrefix.h"
#include "fuzz/Check.h"
#include "spar/rules/SparRules.h"

namespace {

using namespace kestar;
using fuzz::check;

Text decode(const std::uint8_t* data, std::size_t size, bool utf16) {
  if (!utf16) return chatlink::fromCodePage({reinterpret_cast<const char*>(data), size});
  Text text;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  return text;
}

bool namesRoller(rolls::Skip skip) {
  using rolls::Skip;
  return skip == Skip::NotOneToFourDice || skip == Skip::MissingValue ||
         skip == Skip::ScoreTooLarge;
}

void checkOutcome(TextView said, TextView prefix, const rolls::RollOutcome& outcome) {
  if (outcome.roller) {
    check(outcome.roller->RolledPos >= 2, "a name before rolled");
    check(said.substr(0, outcome.roller->RollerName.size()) == outcome.roller->RollerName,
          "the roller's name begins the line");
  }
  if (!outcome.counted()) {
    check(outcome.roller.has_value() == namesRoller(*outcome.skipped), "roller named when due");
    check(outcome.snagLines.empty() && outcome.announcement.empty(), "nothing said when skipped");
    return;
  }
  check(outcome.roller.has_value(), "a counted roll names its roller");
  const std::size_t dice = outcome.values.size();
  check(dice >= 1 && dice <= 4 && outcome.scores.size() == dice, "one score per die, 1 to 4");
  std::int64_t sum = 0;
  std::size_t snags = 0;
  for (std::size_t i = 0; i < dice; ++i) {
    check(outcome.scores[i] >= 0, "scores are not negative");
    check(rolls::Dice1(outcome.values[i]) == outcome.scores[i], "the score of each die");
    sum += outcome.scores[i];
    if (outcome.values[i] == rolls::kSnagValue) ++snags;
  }
  check(sum == outcome.total, "the total is the sum");
  check(outcome.totalText == rolls::decimalText(sum), "the total's text");
  check(outcome.snagLines.size() == snags, "a snag line for every 69");
  for (const Text& line : outcome.snagLines)
    check(line == rolls::snagLine(prefix), "the snag line");
  check(outcome.announcement == Text(prefix) + outcome.totalText + Text(rolls::kTotalOfRollBy) +
                                    outcome.roller->RollerName,
        "the announcement");
}

void checkNumbers(TextView said) {
  const double value = rolls::leadingNumber(said);
  check(value == value, "a number, never NaN");
  const Text text = rolls::numberText(value);
  check(!text.empty() && text.front() != u' ' && text.back() != u'.', "the number's text");
  if (value - value == 0) {  // finite
    check(rolls::numberText(rolls::leadingNumber(text)) == text, "the text reads back");
  }
}

bool sameNoCase(TextView a, TextView b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// A roll adds a row only for the service's line naming a player not listed yet, whose value is
// not 0; the name is what stands before the blank before "rolled".
void checkRoll(TextView name, TextView said) {
  const std::optional<spar::NewRow> row = spar::rollRow(name, said, {});
  if (!row) return;
  check(name == rolls::kService, "rows come from the service only");
  check(said.substr(0, row->name.size()) == row->name, "the player's name begins the line");
  check(sameNoCase(said.substr(row->name.size() + 1, 6), u"rolled"), "rolled after name and blank");
  for (std::size_t at = 0; at <= row->name.size(); ++at)
    check(!sameNoCase(said.substr(at, 6), u"rolled"), "the first rolled");
  const double value = rolls::leadingNumber(row->initiative);
  check(value != 0 && value - value == 0, "a finite value other than 0");
  check(rolls::numberText(value) == row->initiative, "the value's text reads back");

  const std::vector<Text> listed = {u"someone", row->name};
  check(!spar::rollRow(name, said, listed), "a listed player's roll is refused");
  const std::vector<Text> others = {row->name + u" ", u"someone"};
  check(spar::rollRow(name, said, others).has_value(), "names compare exactly");
}

// An answer fills only its speaker's unanswered rows, and only when it begins with a number.
void checkAnswer(TextView name, TextView said) {
  const std::vector<Text> names = {Text(name), u"someone else", Text(name)};
  const std::vector<Text> marks = {u"", u"", Text(spar::kAnswered)};
  const std::vector<std::size_t> rows = spar::answerRows(name, said, names, marks);
  const bool answers = rolls::leadingNumber(said) != 0;
  check(rows.size() <= 2 && std::count(rows.begin(), rows.end(), std::size_t{2}) == 0,
        "answered rows stay");
  check(answers == (std::count(rows.begin(), rows.end(), std::size_t{0}) == 1),
        "the speaker's row is filled");
  check(
      std::count(rows.begin(), rows.end(), std::size_t{1}) == (answers && name == names[1] ? 1 : 0),
      "no one else's row");
}

// The text split at commas is a column of initiative values: the order is a permutation, highest
// first, rows of equal value in their own order.
void checkOrder(TextView said) {
  std::vector<Text> column;
  std::size_t from = 0;
  for (std::size_t comma = said.find(u','); column.size() < 64; comma = said.find(u',', from)) {
    column.emplace_back(said.substr(from, comma == TextView::npos ? comma : comma - from));
    if (comma == TextView::npos) break;
    from = comma + 1;
  }
  const std::vector<std::size_t> order = spar::initiativeOrder(column);
  check(order.size() == column.size(), "every row has a place");
  std::vector<bool> placed(column.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    check(order[k] < column.size() && !placed[order[k]], "each row once");
    placed[order[k]] = true;
    if (k == 0) continue;
    const double above = rolls::leadingNumber(column[order[k - 1]]);
    const double here = rolls::leadingNumber(column[order[k]]);
    check(above > here || (above == here && order[k - 1] < order[k]), "highest first, stable");
  }
}

// Any two boxes give a worth that can be shown and read back, or none.
void checkWorth(TextView people, TextView highestDice) {
  const std::optional<double> worth = spar::sparWorth(people, highestDice);
  if (!worth) return;
  check(*worth - *worth == 0, "a finite worth");
  const Text text = rolls::numberText(*worth);
  check(spar::sparWorthLine(text) == u"Spar is worth " + text + u" xps", "the worth's line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t options = data[0];
  const Text input = decode(data + 1, size - 1, (options & 1) != 0);
  const std::size_t split = input.find(u'\0');
  const TextView name = split == Text::npos ? rolls::kService : TextView(input).substr(0, split);
  const TextView said = split == Text::npos ? TextView(input) : TextView(input).substr(split + 1);
  const Text prefix = rolls::tagPrefix(options & 2, options & 4, options & 8);

  checkOutcome(said, prefix, rolls::countRoll(name, said, prefix));
  checkNumbers(said);
  checkRoll(name, said);
  checkAnswer(name, said);
  checkOrder(said);
  checkWorth(said, name);
  return 0;
}
