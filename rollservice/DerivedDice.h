#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rollservice/Sha256.h"

namespace kestar::rollservice {

// An epoch's secret: every answer of the epoch takes its dice from it.
using Seed = std::array<std::uint8_t, 32>;

// What names one answer of an epoch: its dice come from these and the seed alone. Room and nick
// are bytes as the room's lines write them.
struct AnswerName {
  std::uint64_t epoch = 0;
  std::string_view room;
  std::uint64_t k = 0;  // the k-th answer of the epoch, from 1
  std::string_view nick;
  int dice = 0;
  int sides = 0;
};

// The dice of an epoch's answers, from its seed. HMAC-SHA256 keyed by the seed over
// "kestar-dice-1|epoch|len:room|k|len:nick|dice|sides|block" (numbers in decimal, len the byte
// length of what follows the colon) for block 0, 1, 2, ... gives a stream of big-endian 32-bit
// words; a word at or above the largest multiple of sides below 2^32 is passed over, any other
// gives the face word % sides + 1, so every face is equally likely.
class DerivedDice final {
 public:
  explicit DerivedDice(const Seed& seed)
      : mac_(std::string_view(reinterpret_cast<const char*>(seed.data()), seed.size())) {}

  // The faces into faces, which keeps its room from answer to answer; none without dice or sides.
  void faces(const AnswerName& answer, std::vector<int>& faces);
  std::vector<int> faces(const AnswerName& answer);

 private:
  HmacSha256 mac_;
  std::string message_;
};

// What an epoch says before its first answer: the SHA-256 of its seed.
Digest commitment(const Seed& seed);

// 32 bytes from the system's cryptographic source.
Seed freshSeed();

}  // namespace kestar::rollservice
