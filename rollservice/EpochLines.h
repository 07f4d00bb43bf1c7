#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "rollservice/DerivedDice.h"
#include "rollservice/Sha256.h"

namespace kestar::rollservice {

// The lines the roll service says in a room about its epochs. Each ends in a letter and a full
// stop and never holds the word the roll lines hold, so no dice counter takes one for a roll.

// Before the epoch's first answer: the SHA-256 of its seed.
struct Commitment {
  std::uint64_t epoch = 0;
  std::string room;
  Digest hash{};
};
// When the epoch ends: the seed, and how many answers took a k.
struct Reveal {
  std::uint64_t epoch = 0;
  std::string room;
  std::uint64_t answers = 0;
  Seed seed{};
};
// An answer the server never confirmed: it may be missing from the room.
struct Gap {
  std::uint64_t epoch = 0;
  std::string room;
  std::uint64_t k = 0;
};

std::string commitLine(const Commitment& commitment);
std::string revealLine(const Reveal& reveal);
std::string gapLine(const Gap& gap);

// The same lines read back; nothing for any other line.
std::optional<Commitment> readCommitLine(std::string_view line);
std::optional<Reveal> readRevealLine(std::string_view line);
std::optional<Gap> readGapLine(std::string_view line);

}  // namespace kestar::rollservice
