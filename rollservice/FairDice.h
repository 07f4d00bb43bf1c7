#pragma once

#include <random>

namespace kestar::rollservice {

// The roll service's dice: every value of a die equally likely (a uniform distribution, with no
// modulo bias) from a generator seeded with the system's randomness through a seed sequence that
// fills the generator's whole state.
class FairDice final {
 public:
  FairDice();
  explicit FairDice(std::seed_seq& seeds) : engine_(seeds) {}

  // A value from 1 to sides.
  int operator()(int sides);

 private:
  std::mt19937 engine_;
};

}  // namespace kestar::rollservice
