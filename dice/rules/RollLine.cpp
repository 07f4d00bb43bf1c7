#include "dice/rules/RollLine.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "chatlink/ChatLink.h"
#include "dice/rules/Numbers.h"

namespace kestar::rolls {
namespace {

constexpr TextView kRolled = u"rolled";
// Where the search for the colon before the values starts; four dice make the line longer.
constexpr std::size_t kColonFrom = 14;
constexpr std::size_t kColonFromFourDice = 20;

// Position (from 1) of find in text at or after position from; 0 when there is none.
std::size_t search(TextView text, std::size_t from, char16_t find) {
  if (from > text.size()) return 0;
  const std::size_t at = text.find(find, from - 1);
  return at == TextView::npos ? 0 : at + 1;
}

// The characters from position from (counted from 1), at most length of them.
TextView characters(TextView text, std::size_t from,
                    std::size_t length = std::numeric_limits<std::size_t>::max()) {
  if (from > text.size()) return {};
  return text.substr(from - 1, length);
}

}  // namespace

const char* skipName(Skip skip) {
  switch (skip) {
    case Skip::NotTheService:
      return "not the service";
    case Skip::NoNumberAtTheEnd:
      return "no number at the end";
    case Skip::NoRolled:
      return "no \"rolled\"";
    case Skip::RolledAtTheStart:
      return "\"rolled\" at the start";
    case Skip::NoBlankAfterCount:
      return "no blank after the dice count";
    case Skip::NotOneToFourDice:
      return "not 1 to 4 dice";
    case Skip::MissingValue:
      return "a die value missing";
    case Skip::ScoreTooLarge:
      return "a score beyond 16 bits";
  }
  return "?";
}

// The number the last three characters of a line read (the whole line when it is shorter).
double lastThreeNumber(TextView line) {
  return leadingNumber(line.substr(line.size() - std::min<std::size_t>(3, line.size())));
}

bool isRollLine(TextView screenName, TextView whatSaid) {
  return screenName == kService && lastThreeNumber(whatSaid) != 0;
}

std::optional<InitiativeRoll> initiativeRoll(TextView screenName, TextView whatSaid) {
  if (screenName != kService) return std::nullopt;
  const std::size_t found = chatlink::findNoCase(whatSaid, kRolled, 0);
  // No "rolled", or "rolled" first: there is no name before it to take.
  if (found == TextView::npos || found == 0) return std::nullopt;
  const double value = lastThreeNumber(whatSaid);
  if (value == 0) return std::nullopt;
  return InitiativeRoll{Text(whatSaid.substr(0, found - 1)), value};
}

namespace {

// Roller and dice count of a line into roller, or why they cannot be cut out of it.
std::optional<Skip> cutRoller(TextView line, Roller& roller) {
  const std::size_t found = chatlink::findNoCase(line, kRolled, 0);
  if (found == TextView::npos) return Skip::NoRolled;
  const std::size_t rolledPos = found + 1;
  // The name ends before the blank that precedes "rolled".
  if (rolledPos < 2) return Skip::RolledAtTheStart;
  const std::size_t countFrom = rolledPos + kRolled.size() + 1;
  const std::size_t countEnd = search(line, countFrom, u' ');
  if (countEnd == 0) return Skip::NoBlankAfterCount;
  roller.RolledPos = static_cast<int>(rolledPos);
  roller.RollerName.assign(characters(line, 1, rolledPos - 2));
  roller.DiceCount.assign(characters(line, countFrom, countEnd - countFrom));
  return std::nullopt;
}

}  // namespace

std::variant<Roller, Skip> change(TextView line) {
  Roller roller;
  if (const std::optional<Skip> skip = cutRoller(line, roller)) return *skip;
  return roller;
}

int sides1(TextView diceCount) {
  const double n = leadingNumber(diceCount);
  return n == 1 || n == 2 || n == 3 || n == 4 ? static_cast<int>(n) : 0;
}

int dieSides(TextView line, const Roller& roller) {
  constexpr TextView kSided = u"-sided";
  // Nine digits at most: any more would be no die.
  constexpr std::size_t kLongest = 9;
  const std::size_t from =
      static_cast<std::size_t>(roller.RolledPos) + kRolled.size() + 1 + roller.DiceCount.size() + 1;
  const TextView field = characters(line, from, kLongest + kSided.size());
  const std::size_t digits = field.find(kSided);
  if (digits == 0 || digits == TextView::npos) return 0;
  int sides = 0;
  for (const char16_t c : field.substr(0, digits)) {
    if (c < u'0' || c > u'9') return 0;
    sides = sides * 10 + (c - u'0');
  }
  return sides;
}

namespace {

// The die values of a line into values; false when the blanks between them are missing.
bool cutValues(TextView line, int dice, std::vector<double>& values) {
  const std::size_t colon = search(line, dice == 4 ? kColonFromFourDice : kColonFrom, u':');
  // Two characters stand between the colon and the first value. The first field runs to the
  // blank after it, that blank included; the others lie between two blanks; the last runs to the
  // end of the line.
  values.clear();
  std::size_t field = colon + 3;
  std::size_t searchFrom = colon + 4;
  for (int k = 1; k < dice; ++k) {
    const std::size_t blank = search(line, searchFrom, u' ');
    if (blank == 0) return false;
    const std::size_t fieldEnd = k == 1 ? blank : blank - 1;
    values.push_back(leadingNumber(characters(line, field, fieldEnd + 1 - field)));
    field = blank + 1;
    searchFrom = blank + 1;
  }
  values.push_back(leadingNumber(characters(line, field)));
  return true;
}

}  // namespace

std::optional<std::vector<double>> dieValues(TextView line, int dice) {
  std::vector<double> values;
  if (!cutValues(line, dice, values)) return std::nullopt;
  return values;
}

std::optional<std::vector<double>> OneDice(TextView line) {
  return dieValues(line, 1);
}
std::optional<std::vector<double>> TwoDice(TextView line) {
  return dieValues(line, 2);
}
std::optional<std::vector<double>> ThreeDice(TextView line) {
  return dieValues(line, 3);
}
std::optional<std::vector<double>> FourDice(TextView line) {
  return dieValues(line, 4);
}

std::optional<std::int16_t> Dice1(double value) {
  constexpr double kLowest = std::numeric_limits<std::int16_t>::min();
  constexpr double kHighest = std::numeric_limits<std::int16_t>::max();
  // The dividend is rounded halves to even (the default rounding) before the division, and the
  // quotient is truncated toward zero.
  const double dividend = std::nearbyint(value - 10);
  if (!(std::fabs(dividend) < 1e9)) return std::nullopt;  // also an infinity
  const auto quotient = static_cast<long long>(dividend) / 5;
  if (quotient < kLowest || quotient > kHighest) return std::nullopt;
  double score = static_cast<double>(quotient);
  if (value > 90) {
    score = std::nearbyint(16 + (value - 90));
    if (score > kHighest) return std::nullopt;
  }
  return static_cast<std::int16_t>(std::max(score, 0.0));
}

Text snagLine(TextView tagPrefix) {
  return Text(tagPrefix) + Text(kSnagText);
}

RollOutcome countRoll(TextView screenName, TextView whatSaid, TextView tagPrefix) {
  RollOutcome outcome;
  countRoll(screenName, whatSaid, tagPrefix, outcome);
  return outcome;
}

void countRoll(TextView screenName, TextView whatSaid, TextView tagPrefix, RollOutcome& outcome) {
  outcome.values.clear();
  outcome.scores.clear();
  outcome.total = 0;
  outcome.totalText.clear();
  outcome.snagLines.clear();
  outcome.announcement.clear();
  outcome.skipped.reset();
  if (screenName != kService) {
    outcome.roller.reset();
    outcome.skipped = Skip::NotTheService;
    return;
  }
  if (!isRollLine(screenName, whatSaid)) {
    outcome.roller.reset();
    outcome.skipped = Skip::NoNumberAtTheEnd;
    return;
  }
  Roller& roller = outcome.roller ? *outcome.roller : outcome.roller.emplace();
  if (const std::optional<Skip> why = cutRoller(whatSaid, roller)) {
    outcome.roller.reset();
    outcome.skipped = *why;
    return;
  }
  const int dice = sides1(roller.DiceCount);
  if (dice == 0) {
    outcome.skipped = Skip::NotOneToFourDice;
    return;
  }
  if (!cutValues(whatSaid, dice, outcome.values)) {
    outcome.values.clear();
    outcome.skipped = Skip::MissingValue;
    return;
  }
  for (double value : outcome.values) {
    const std::optional<std::int16_t> score = Dice1(value);
    if (!score) {
      // A total without this die would be wrong, and so would the 69 lines of a roll that is
      // not announced.
      outcome.scores.clear();
      outcome.snagLines.clear();
      outcome.total = 0;
      outcome.skipped = Skip::ScoreTooLarge;
      return;
    }
    if (value == kSnagValue) outcome.snagLines.push_back(snagLine(tagPrefix));
    outcome.scores.push_back(*score);
    outcome.total += *score;
  }
  outcome.totalText = decimalText(outcome.total);
  outcome.announcement.append(tagPrefix)
      .append(outcome.totalText)
      .append(kTotalOfRollBy)
      .append(roller.RollerName);
}

}  // namespace kestar::rolls
