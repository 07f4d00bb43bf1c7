#include "rollservice/FairDice.h"

#include <array>

namespace kestar::rollservice {
namespace {

std::mt19937 seededEngine() {
  std::random_device device;
  std::array<std::random_device::result_type, std::mt19937::state_size> words{};
  for (auto& word : words)
    word = device();
  std::seed_seq seeds(words.begin(), words.end());
  return std::mt19937(seeds);
}

}  // namespace

FairDice::FairDice() : engine_(seededEngine()) {}

int FairDice::operator()(int sides) {
  return std::uniform_int_distribution<int>(1, sides)(engine_);
}

}  // namespace kestar::rollservice
