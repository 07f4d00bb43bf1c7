#include "rollservice/RollService.h"

#include <algorithm>
#include <memory>

#include "rollservice/FairDice.h"
#include "rollservice/RollAnswer.h"

namespace kestar::rollservice {
namespace {

// "1", "0.5", "2.25": seconds without trailing zeros.
std::string secondsText(Millis time) {
  std::string text = std::to_string(time.count() / 1000);
  if (const auto rest = time.count() % 1000; rest != 0) {
    std::string fraction = std::to_string(1000 + rest).substr(1);
    fraction.erase(fraction.find_last_not_of('0') + 1);
    text += "." + fraction;
  }
  return text;
}

}  // namespace

DiceSource fairDice() {
  auto dice = std::make_shared<FairDice>();
  return [dice](const Draw& draw) {
    std::vector<int> values;
    for (int die = 0; die < draw.dice; ++die)
      values.push_back((*dice)(draw.sides));
    return values;
  };
}

RollService::RollService(std::string roller, DiceSource dice, Limits limits, Fold fold)
    : roller_(std::move(roller)), dice_(std::move(dice)), limits_(limits), fold_(std::move(fold)) {}

std::string RollService::fold(std::string_view name) const {
  return fold_ ? fold_(name) : std::string(name);
}

void RollService::forgetIdle(Millis now) {
  std::erase_if(askers_, [&](const auto& entry) {
    const Asker& asker = entry.second;
    return asker.due <= now && (!asker.told || now - *asker.told >= limits_.noticeEvery);
  });
}

Reply RollService::hear(const std::string& channel, const std::string& nick,
                        const std::string& text, Millis now, std::size_t waiting) {
  if (!isRollRequest(text)) return {};
  const std::string asker = fold(nick);
  if (asker == fold(self_) || asker == fold(roller_)) return {};
  forgetIdle(now);
  Asker& pace = askers_[asker];
  const bool room = waiting < limits_.waiting;
  if (pace.due - now > limits_.interval * (limits_.burst - 1)) {
    if (!room || (pace.told && now - *pace.told < limits_.noticeEvery))
      return {Reply::Kind::Refused, {}, 0};
    pace.told = now;
    return {Reply::Kind::Notice,
            nick + ", your rolls come faster than they are answered (" +
                std::to_string(limits_.burst) + " at once, then one each " +
                secondsText(limits_.interval) + " s): the others are not answered.",
            0};
  }
  if (!room) return {Reply::Kind::Refused, {}, 0};
  pace.due = std::max(pace.due, now) + limits_.interval;
  const std::optional<Roll> roll = parseRollRequest(text);
  if (!roll) return {Reply::Kind::Answer, rollAnswer(nick, text, [](int) { return 0; }), 0};
  const std::uint64_t k = ++answered_[fold(channel)];
  const std::vector<int> values = dice_(Draw{channel, k, nick, roll->dice, roll->sides});
  std::size_t next = 0;
  const std::string answer =
      rollAnswer(nick, text, [&](int) { return next < values.size() ? values[next++] : 0; });
  return {Reply::Kind::Answer, answer, k};
}

}  // namespace kestar::rollservice
