#include "rollservice/RollAnswer.h"

#include <charconv>

namespace kestar::rollservice {
namespace {

// Reads the whole of digits as a number in [low, high]; false for anything else.
bool readNumber(std::string_view digits, int low, int high, int& value) {
  if (digits.empty() || digits.size() > 4) return false;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return error == std::errc() && end == digits.data() + digits.size() && value >= low &&
         value <= high;
}

// Parses "//roll" and "//roll-diceN-sidesS"; false for a line that is not a valid roll request.
bool parseRoll(std::string_view line, int& dice, int& sides) {
  constexpr std::string_view kRoll = "//roll";
  if (line == kRoll) {
    dice = 2;
    sides = 6;
    return true;
  }
  constexpr std::string_view kDice = "//roll-dice";
  constexpr std::string_view kSides = "-sides";
  if (line.substr(0, kDice.size()) != kDice) return false;
  const std::string_view rest = line.substr(kDice.size());
  const std::size_t split = rest.find(kSides);
  if (split == std::string_view::npos) return false;
  return readNumber(rest.substr(0, split), 1, 15, dice) &&
         readNumber(rest.substr(split + kSides.size()), 2, 999, sides);
}

}  // namespace

std::optional<Roll> parseRollRequest(std::string_view line) {
  Roll roll;
  if (!parseRoll(line, roll.dice, roll.sides)) return std::nullopt;
  return roll;
}

bool isRollRequest(std::string_view line) {
  return line.substr(0, 6) == "//roll";
}

std::string rollAnswer(const std::string& speaker, const std::string& line,
                       const std::function<int(int sides)>& next) {
  if (!isRollRequest(line)) return {};
  int dice = 0;
  int sides = 0;
  if (!parseRoll(line, dice, sides)) {
    return "Sorry, " + speaker + ": use //roll or //roll-diceN-sidesS (N 1-15, S 2-999).";
  }
  std::string answer = speaker + " rolled " + std::to_string(dice) + " " + std::to_string(sides) +
                       (dice == 1 ? "-sided die:" : "-sided dice:") + " ";
  for (int i = 0; i < dice; ++i) {
    answer += ' ';
    answer += std::to_string(next(sides));
  }
  return answer;
}

}  // namespace kestar::rollservice
