#include "rollservice/RoomEpoch.h"

#include <utility>

#include "rollservice/EpochLines.h"

namespace kestar::rollservice {

RoomEpoch::RoomEpoch(std::string room, Time now, SeedSource draw)
    : room_(std::move(room)), draw_(std::move(draw)), started_(now), seed_(draw_()), dice_(seed_) {}

RoomEpoch::Answer RoomEpoch::answer(std::string_view nick, int dice, int sides) {
  Answer answer;
  answer.k = ++answers_;
  dice_.faces({number_, room_, answer.k, nick, dice, sides}, answer.faces);
  return answer;
}

std::string RoomEpoch::commitLine() const {
  return rollservice::commitLine({number_, room_, commitment(seed_)});
}

std::string RoomEpoch::gapLine(std::uint64_t k) const {
  return rollservice::gapLine({number_, room_, k});
}

std::string RoomEpoch::revealLine() const {
  return rollservice::revealLine({number_, room_, answers_, seed_});
}

std::array<std::string, 2> RoomEpoch::renew(Time now) {
  std::string reveal = revealLine();
  ++number_;
  answers_ = 0;
  started_ = now;
  seed_ = draw_();
  dice_ = DerivedDice(seed_);
  return {std::move(reveal), commitLine()};
}

}  // namespace kestar::rollservice
