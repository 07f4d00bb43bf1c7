#include "spar/rules/SparRules.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "dice/rules/Numbers.h"
#include "dice/rules/RollLine.h"

namespace kestar::spar {

std::optional<NewRow> rollRow(TextView screenName, TextView whatSaid, std::span<const Text> names) {
  if (names.size() >= kMostRows) return std::nullopt;
  std::optional<rolls::InitiativeRoll> roll = rolls::initiativeRoll(screenName, whatSaid);
  if (!roll || std::find(names.begin(), names.end(), roll->name) != names.end())
    return std::nullopt;
  return NewRow{std::move(roll->name), rolls::numberText(roll->value)};
}

std::vector<std::size_t> answerRows(TextView screenName, TextView whatSaid,
                                    std::span<const Text> names, std::span<const Text> marks) {
  std::vector<std::size_t> rows;
  if (rolls::leadingNumber(whatSaid) == 0) return rows;
  const std::size_t count = std::min(names.size(), marks.size());
  for (std::size_t i = 0; i < count; ++i) {
    if (names[i] == screenName && marks[i] != kAnswered) rows.push_back(i);
  }
  return rows;
}

std::vector<std::size_t> initiativeOrder(std::span<const Text> initiatives) {
  std::vector<double> values;
  values.reserve(initiatives.size());
  for (const Text& text : initiatives)
    values.push_back(rolls::leadingNumber(text));
  std::vector<std::size_t> order(initiatives.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  // The parse never gives NaN, so the values are totally ordered and a stable sort ends where the
  // full bubble sort would, in n log n steps instead of n squared.
  std::stable_sort(order.begin(), order.end(),
                   [&values](std::size_t a, std::size_t b) { return values[a] > values[b]; });
  return order;
}

Text playerList(std::span<const Text> names, std::span<const Text> answers) {
  Text line;
  const std::size_t count = std::min(names.size(), answers.size());
  for (std::size_t i = 0; i < count; ++i)
    line += names[i] + u"-0/" + answers[i] + u"  ";
  return line;
}

std::optional<Text> listNumber(TextView typed) {
  const double value = rolls::leadingNumber(typed);
  if (!std::isfinite(value)) return std::nullopt;
  return rolls::numberText(value);
}

std::optional<double> sparWorth(TextView people, TextView highestDice) {
  const double value = (rolls::leadingNumber(people) - 1) * 5 * rolls::leadingNumber(highestDice);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

Text sparWorthLine(TextView worth) {
  return u"Spar is worth " + Text(worth) + u" xps";
}

}  // namespace kestar::spar
