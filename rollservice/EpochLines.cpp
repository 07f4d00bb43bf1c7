#include "rollservice/EpochLines.h"

#include <charconv>

namespace kestar::rollservice {
namespace {

constexpr std::string_view kHead = "Dice epoch ";
constexpr std::string_view kOf = " of ";
constexpr std::string_view kCommitMiddle = " begins: its seed's SHA-256 is ";
constexpr std::string_view kCommitEnd = "; the seed is shown when the epoch ends.";
constexpr std::string_view kRevealAfter = " ends after ";
constexpr std::string_view kRevealMiddle = ": its seed is ";
constexpr std::string_view kRevealEnd = "; check the log with kestar-tally --verify.";
constexpr std::string_view kGapMiddle = ": answer ";
constexpr std::string_view kGapEnd =
    " was not confirmed by the server and may be missing from the room.";

std::string head(std::uint64_t epoch, std::string_view room) {
  return std::string(kHead) + std::to_string(epoch) + std::string(kOf) + std::string(room);
}

// Takes text off the end of line; false when line does not end with it.
bool cutEnd(std::string_view& line, std::string_view text) {
  if (!line.ends_with(text)) return false;
  line.remove_suffix(text.size());
  return true;
}

// Takes the decimal number at the end of line.
bool cutNumberAtEnd(std::string_view& line, std::uint64_t& number) {
  std::size_t start = line.size();
  while (start > 0 && line[start - 1] >= '0' && line[start - 1] <= '9')
    --start;
  const std::string_view digits = line.substr(start);
  if (digits.empty() || (digits.size() > 1 && digits.front() == '0')) return false;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || end != digits.data() + digits.size()) return false;
  line.remove_suffix(digits.size());
  return true;
}

// What is left of every line once its own parts are cut off the end: "Dice epoch N of ROOM".
bool readHead(std::string_view line, std::uint64_t& epoch, std::string& room) {
  if (!line.starts_with(kHead)) return false;
  line.remove_prefix(kHead.size());
  const std::size_t of = line.find(kOf);
  if (of == std::string_view::npos || of + kOf.size() == line.size()) return false;
  std::string_view number = line.substr(0, of);
  if (!cutNumberAtEnd(number, epoch) || !number.empty()) return false;
  room = line.substr(of + kOf.size());
  return true;
}

template <std::size_t N>
bool cutHexAtEnd(std::string_view& line, std::array<std::uint8_t, N>& bytes) {
  if (line.size() < 2 * N || !fromHex(line.substr(line.size() - 2 * N), bytes.data(), N)) {
    return false;
  }
  line.remove_suffix(2 * N);
  return true;
}

}  // namespace

std::string commitLine(const Commitment& commitment) {
  return head(commitment.epoch, commitment.room) + std::string(kCommitMiddle) +
         toHex(commitment.hash) + std::string(kCommitEnd);
}

std::string revealLine(const Reveal& reveal) {
  return head(reveal.epoch, reveal.room) + std::string(kRevealAfter) +
         std::to_string(reveal.answers) + (reveal.answers == 1 ? " answer" : " answers") +
         std::string(kRevealMiddle) + toHex(reveal.seed) + std::string(kRevealEnd);
}

std::string gapLine(const Gap& gap) {
  return head(gap.epoch, gap.room) + std::string(kGapMiddle) + std::to_string(gap.k) +
         std::string(kGapEnd);
}

std::optional<Commitment> readCommitLine(std::string_view line) {
  Commitment commitment;
  if (!line.starts_with(kHead) || !cutEnd(line, kCommitEnd) ||
      !cutHexAtEnd(line, commitment.hash) || !cutEnd(line, kCommitMiddle) ||
      !readHead(line, commitment.epoch, commitment.room)) {
    return std::nullopt;
  }
  return commitment;
}

std::optional<Reveal> readRevealLine(std::string_view line) {
  Reveal reveal;
  if (!line.starts_with(kHead) || !cutEnd(line, kRevealEnd) || !cutHexAtEnd(line, reveal.seed) ||
      !cutEnd(line, kRevealMiddle) || !(cutEnd(line, " answers") || cutEnd(line, " answer")) ||
      !cutNumberAtEnd(line, reveal.answers) || !cutEnd(line, kRevealAfter) ||
      !readHead(line, reveal.epoch, reveal.room)) {
    return std::nullopt;
  }
  return reveal;
}

std::optional<Gap> readGapLine(std::string_view line) {
  Gap gap;
  if (!line.starts_with(kHead) || !cutEnd(line, kGapEnd) || !cutNumberAtEnd(line, gap.k) ||
      !cutEnd(line, kGapMiddle) || !readHead(line, gap.epoch, gap.room)) {
    return std::nullopt;
  }
  return gap;
}

}  // namespace kestar::rollservice
