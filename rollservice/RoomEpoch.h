#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "rollservice/DerivedDice.h"

namespace kestar::rollservice {

// One room's epoch of the roll service: a seed committed to before the first answer, the answers
// numbered from 1 and their dice from the seed, the seed revealed at the end. It keeps no clock:
// the caller says what time it is.
class RoomEpoch final {
 public:
  using Time = std::chrono::steady_clock::time_point;
  using SeedSource = std::function<Seed()>;
  // An epoch that has run this long is ended and a new one started.
  static constexpr std::chrono::hours kLongest{24};

  // Epoch 1 of room, started at now, with a seed from draw.
  RoomEpoch(std::string room, Time now, SeedSource draw = freshSeed);

  std::uint64_t number() const { return number_; }
  // The answers given so far: the k of the last.
  std::uint64_t answers() const { return answers_; }
  bool expired(Time now) const { return now >= ends(); }
  Time ends() const { return started_ + kLongest; }

  struct Answer {
    std::uint64_t k = 0;
    std::vector<int> faces;
  };
  // The next answer of the epoch: a roll of dice of sides asked by nick.
  Answer answer(std::string_view nick, int dice, int sides);

  // Said when the epoch starts.
  std::string commitLine() const;
  // Said for answer k when the server did not confirm it, before the epoch ends.
  std::string gapLine(std::uint64_t k) const;
  // Said when the epoch ends.
  std::string revealLine() const;
  // Ends this epoch and starts the next at now: this one's reveal line, then the next one's
  // commitment line.
  std::array<std::string, 2> renew(Time now);

 private:
  std::string room_;
  SeedSource draw_;
  std::uint64_t number_ = 1;
  std::uint64_t answers_ = 0;
  Time started_;
  Seed seed_;
  DerivedDice dice_;
};

}  // namespace kestar::rollservice
