// Feeds arbitrary chat lines to the dice counter's road, as the room's other people could, and
// checks what it would say.
//
// Input: one byte of options, then the screen name and the text. Bit 0 of the options reads name
// and text as UTF-16 code units instead of code-page bytes; bits 1 to 3 tick bold, italic and
// underline. A zero code unit ends the name; without one the service said the whole text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "chatlink/CodePage.h"
#include "dice/rules/Numbers.h"
#include "dice/rules/RollLine.h"
#include "dice/rules/TagPrefix.h"

namespace {

using namespace kestar;

void check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

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
  return 0;
}
