#include "rollservice/RollService.h"

#include <algorithm>
#include <utility>

#include "rollservice/EpochLines.h"
#include "rollservice/RollAnswer.h"

namespace kestar::rollservice {
namespace {

constexpr std::string_view kNewEpoch = "//roll-epoch";

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

RoomEpoch::Time timeAt(Millis now) {
  return RoomEpoch::Time() + now;
}

Reply notice(const std::string& nick, std::string text) {
  return {Reply::Kind::Notice, {Said{Said::Kind::Notice, nick, std::move(text)}}};
}

}  // namespace

RollService::RollService(std::string roller, Limits limits, Fold fold, RoomEpoch::SeedSource seeds)
    : roller_(std::move(roller)),
      limits_(limits),
      fold_(std::move(fold)),
      seeds_(std::move(seeds)) {}

std::string RollService::fold(std::string_view name) const {
  return fold_ ? fold_(name) : std::string(name);
}

RollService::Room* RollService::find(std::string_view channel) {
  const std::string folded = fold(channel);
  const auto it = std::find_if(rooms_.begin(), rooms_.end(),
                               [&](const Room& room) { return fold(room.channel) == folded; });
  return it == rooms_.end() ? nullptr : &*it;
}

std::vector<Said> RollService::serve(const std::string& channel, Millis now) {
  Room* room = find(channel);
  if (room == nullptr) {
    const Room& added = rooms_.emplace_back(Room{channel, RoomEpoch(channel, timeAt(now), seeds_)});
    return {Said{Said::Kind::Commit, channel, added.epoch.commitLine(), added.epoch.number()}};
  }
  if (room->commitLost || room->epoch.expired(timeAt(now))) return renew(*room, now);
  return std::exchange(room->owed, {});
}

std::vector<Said> RollService::stop(const std::string& channel) {
  Room* room = find(channel);
  if (room == nullptr) return {};
  std::vector<Said> lines = std::move(room->owed);
  lines.push_back(
      Said{Said::Kind::Reveal, room->channel, room->epoch.revealLine(), room->epoch.number()});
  rooms_.erase(rooms_.begin() + (room - rooms_.data()));
  return lines;
}

std::vector<Said> RollService::renewExpired(const std::string& channel, Millis now) {
  Room* room = find(channel);
  if (room == nullptr || !room->epoch.expired(timeAt(now))) return {};
  return renew(*room, now);
}

std::optional<Millis> RollService::expiry(const std::string& channel) {
  const Room* room = find(channel);
  if (room == nullptr) return std::nullopt;
  return std::chrono::duration_cast<Millis>(room->epoch.ends() - RoomEpoch::Time());
}

std::vector<Said> RollService::renew(Room& room, Millis now) {
  std::vector<Said> lines = std::exchange(room.owed, {});
  const std::uint64_t ended = room.epoch.number();
  auto [reveal, commit] = room.epoch.renew(timeAt(now));
  lines.push_back(Said{Said::Kind::Reveal, room.channel, std::move(reveal), ended});
  lines.push_back(Said{Said::Kind::Commit, room.channel, std::move(commit), room.epoch.number()});
  room.commitLost = false;
  return lines;
}

void RollService::forgetIdle(Millis now) {
  std::erase_if(askers_, [&](const auto& entry) {
    const Asker& asker = entry.second;
    return asker.due <= now && (!asker.told || now - *asker.told >= limits_.noticeEvery);
  });
}

std::optional<Reply> RollService::overPace(const std::string& asker, const std::string& nick,
                                           Millis now, std::size_t waiting) {
  forgetIdle(now);
  Asker& pace = askers_[asker];
  const bool room = waiting < limits_.waiting;
  if (pace.due - now > limits_.interval * (limits_.burst - 1)) {
    if (!room || (pace.told && now - *pace.told < limits_.noticeEvery))
      return Reply{Reply::Kind::Refused, {}};
    pace.told = now;
    return notice(nick, nick + ", your rolls come faster than they are answered (" +
                            std::to_string(limits_.burst) + " at once, then one each " +
                            secondsText(limits_.interval) + " s): the others are not answered.");
  }
  if (!room) return Reply{Reply::Kind::Refused, {}};
  pace.due = std::max(pace.due, now) + limits_.interval;
  return std::nullopt;
}

Reply RollService::hear(const std::string& channel, const std::string& nick,
                        const std::string& text, Millis now, std::size_t waiting, Origin origin,
                        bool byOperator) {
  if (!isRollRequest(text)) return {};
  Room* room = find(channel);
  const std::string asker = fold(nick);
  if (room == nullptr ||
      (origin == Origin::Network && (asker == fold(self_) || asker == fold(roller_)))) {
    return {};
  }
  if (std::optional<Reply> limited = overPace(asker, nick, now, waiting)) return *limited;
  if (text == kNewEpoch) {
    if (!byOperator) {
      return notice(nick, nick + ", only a channel operator of " + room->channel +
                              " starts a new dice epoch.");
    }
    return {Reply::Kind::Answer, renew(*room, now)};
  }
  std::vector<Said> lines = renewExpired(channel, now);
  const std::optional<Roll> roll = parseRollRequest(text);
  if (!roll) {
    lines.push_back(
        Said{Said::Kind::Answer, room->channel, rollAnswer(nick, text, [](int) { return 0; })});
    return {Reply::Kind::Answer, std::move(lines)};
  }
  const RoomEpoch::Answer answer = room->epoch.answer(nick, roll->dice, roll->sides);
  std::size_t next = 0;
  lines.push_back(
      Said{Said::Kind::Answer, room->channel,
           rollAnswer(nick, text,
                      [&](int) { return next < answer.faces.size() ? answer.faces[next++] : 0; }),
           room->epoch.number(), answer.k, nick, text, answer.faces});
  return {Reply::Kind::Answer, std::move(lines)};
}

bool RollService::dropped(const Said& said) {
  Room* room = said.kind == Said::Kind::Notice ? nullptr : find(said.target);
  if (room == nullptr) return false;
  switch (said.kind) {
    case Said::Kind::Answer:
      if (said.k != 0) {
        room->owed.push_back(Said{Said::Kind::Gap, room->channel,
                                  gapLine({said.epoch, room->channel, said.k}), said.epoch,
                                  said.k});
      }
      break;
    case Said::Kind::Gap:
    case Said::Kind::Reveal:
      room->owed.push_back(said);
      break;
    case Said::Kind::Commit:
      // Its epoch's answers, had any come, are owed already; an epoch it began that has ended
      // since is revealed by a line of its own.
      if (said.epoch == room->epoch.number()) room->commitLost = true;
      break;
    case Said::Kind::Notice:
      break;
  }
  return true;
}

}  // namespace kestar::rollservice
