#include "rollservice/DerivedDice.h"

#include <charconv>

#include "rollservice/SystemRandom.h"

namespace kestar::rollservice {
namespace {

void appendNumber(std::string& out, std::uint64_t n) {
  char digits[20];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, n).ptr);
}

void appendBytes(std::string& out, std::string_view bytes) {
  appendNumber(out, bytes.size());
  out += ':';
  out += bytes;
}

}  // namespace

void DerivedDice::faces(const AnswerName& answer, std::vector<int>& faces) {
  faces.clear();
  if (answer.dice <= 0 || answer.sides <= 0) return;
  std::string& message = message_;
  message = "kestar-dice-1|";
  appendNumber(message, answer.epoch);
  message += '|';
  appendBytes(message, answer.room);
  message += '|';
  appendNumber(message, answer.k);
  message += '|';
  appendBytes(message, answer.nick);
  message += '|';
  appendNumber(message, static_cast<std::uint64_t>(answer.dice));
  message += '|';
  appendNumber(message, static_cast<std::uint64_t>(answer.sides));
  message += '|';
  const std::size_t named = message.size();

  constexpr std::uint64_t kWords = std::uint64_t{1} << 32;
  const auto sides = static_cast<std::uint64_t>(answer.sides);
  const std::uint64_t below = kWords - kWords % sides;
  for (std::uint64_t block = 0; faces.size() < static_cast<std::size_t>(answer.dice); ++block) {
    message.resize(named);
    appendNumber(message, block);
    const Digest stream = mac_.mac(message);
    for (std::size_t i = 0;
         i < stream.size() && faces.size() < static_cast<std::size_t>(answer.dice); i += 4) {
      const std::uint64_t word = std::uint64_t{stream[i]} << 24 |
                                 std::uint64_t{stream[i + 1]} << 16 |
                                 std::uint64_t{stream[i + 2]} << 8 | stream[i + 3];
      if (word < below) faces.push_back(static_cast<int>(word % sides) + 1);
    }
  }
}

std::vector<int> DerivedDice::faces(const AnswerName& answer) {
  std::vector<int> result;
  faces(answer, result);
  return result;
}

Digest commitment(const Seed& seed) {
  return sha256(std::string_view(reinterpret_cast<const char*>(seed.data()), seed.size()));
}

Seed freshSeed() {
  Seed seed;
  systemRandom(seed.data(), seed.size());
  return seed;
}

}  // namespace kestar::rollservice
