#include "tally/Verify.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <ostream>

#include "chatlink/ChatScanner.h"
#include "dice/rules/RollLine.h"
#include "rollservice/DerivedDice.h"
#include "tally/LogLines.h"

namespace kestar::tally {
namespace {

using rollservice::Reveal;

// Far more than an epoch of a day can answer: past it a log is no service's, and the roll lines
// are not held.
constexpr std::size_t kMostHeld = 1000000;
// No epoch comes near this many answers; it keeps the numbering clear of overflow.
constexpr std::uint64_t kMostAnswers = std::uint64_t{1} << 62;
// How far past the expected k a line is looked for when answers are missing before it.
constexpr std::uint64_t kLookAhead = 16;
constexpr int kMostDice = 999;

// Cuts the decimal number at the start of text, without a sign or a leading zero.
bool cutNumber(std::string_view& text, int& number) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end == text.data() || text.front() == '0' || text.front() == '-') {
    return false;
  }
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return true;
}

bool cut(std::string_view& text, std::string_view start) {
  if (!text.starts_with(start)) return false;
  text.remove_prefix(start.size());
  return true;
}

std::string joined(const std::vector<std::string_view>& values) {
  std::string text;
  for (const std::string_view value : values) {
    if (!text.empty()) text += ' ';
    text += value;
  }
  return text;
}

std::string joined(const std::vector<int>& faces) {
  std::string text;
  for (const int face : faces) {
    if (!text.empty()) text += ' ';
    text += std::to_string(face);
  }
  return text;
}

std::string heading(const Reveal& reveal) {
  return "Epoch " + std::to_string(reveal.epoch) + " of " + reveal.room;
}

std::string answersText(std::uint64_t from, std::uint64_t last) {
  return from == last ? "answer " + std::to_string(from) + " is"
                      : "answers " + std::to_string(from) + " to " + std::to_string(last) + " are";
}

// One revealed epoch's roll lines against the values its seed gives, in order.
class EpochCheck final {
 public:
  EpochCheck(const Reveal& reveal, std::vector<std::uint64_t> gaps,
             const std::vector<HeldLine>& lines, std::string_view held)
      : reveal_(reveal),
        answers_(std::min(reveal.answers, kMostAnswers)),
        gaps_(std::move(gaps)),
        lines_(lines),
        held_(held),
        dice_(reveal.seed) {
    std::sort(gaps_.begin(), gaps_.end());
  }

  // The k of the first roll line of a log that starts inside the epoch. With every answer since
  // in the log it is the answers counted less the lines; gaps and missing lines put it earlier.
  std::uint64_t firstK() {
    const std::uint64_t expected = answers_ >= lines_.size() ? answers_ - lines_.size() + 1 : 1;
    const std::uint64_t lowest =
        expected > gaps_.size() + kLookAhead ? expected - gaps_.size() - kLookAhead : 1;
    const std::uint64_t highest = std::min(answers_, expected + kLookAhead);
    std::uint64_t best = expected;
    int bestScore = 0;
    for (std::uint64_t k = lowest; k <= highest; ++k) {
      int score = 0;
      for (std::size_t i = 0; i < std::min<std::size_t>(3, lines_.size()); ++i)
        score += fitsLine(i, k + i) ? 1 : 0;
      const auto distance = [&](std::uint64_t to) {
        return to > expected ? to - expected : expected - to;
      };
      if (score > bestScore || (score == bestScore && score > 0 && distance(k) < distance(best))) {
        best = k;
        bestScore = score;
      }
    }
    return best;
  }

  // Checks every line from answer k; what does not match goes to failures.
  void check(std::uint64_t k) {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      const AnswerLine* line = answerAt(i);
      const std::uint64_t number = lines_[i].number;
      if (line == nullptr) {
        fail(number, "not an answer of the roll service: " + std::string(textOf(i)));
        continue;
      }
      if (fits(*line, k)) {
        ++verified_;
        ++k;
        continue;
      }
      // A line put in: the next line is the answer this one should have been.
      if (fitsLine(i + 1, k)) {
        fail(number, "no answer of the epoch: " + std::string(textOf(i)));
        continue;
      }
      // Answers missing before this line: it is a later answer, and the next line the one after.
      std::uint64_t later = k + 1;
      while (later <= std::min(answers_, k + kLookAhead) &&
             !(fits(*line, later) && (i + 1 == lines_.size() || fitsLine(i + 1, later + 1)))) {
        ++later;
      }
      if (later <= std::min(answers_, k + kLookAhead)) {
        missing(k, later, number);
        ++verified_;
        k = later + 1;
        continue;
      }
      if (k > answers_) {
        fail(number, "more answers than the " + std::to_string(answers_) +
                         " of the epoch: " + std::string(textOf(i)));
        continue;
      }
      // A changed line.
      fail(number, describe(*line, k) + ": expected " + expectedText(*line, k) + ", found " +
                       joined(line->values));
      ++k;
    }
    next_ = k;
  }

  // Answers after the last roll line that the log does not hold, named at the reveal's line.
  void missingAtTheEnd(std::uint64_t revealLine) {
    if (next_ <= answers_) missing(next_, answers_ + 1, revealLine);
  }

  std::uint64_t verified() const { return verified_; }
  const std::vector<std::string>& failures() const { return failures_; }
  void fail(std::uint64_t line, const std::string& what) {
    failures_.push_back("line " + std::to_string(line) + ": " + what);
  }

 private:
  struct Slot {
    std::size_t index = SIZE_MAX;
    bool read = false;
    AnswerLine answer;
  };

  std::string_view textOf(std::size_t i) const {
    return held_.substr(lines_[i].at, lines_[i].size);
  }

  // Lines are read as answers when the check comes to them; it looks at two at a time.
  const AnswerLine* answerAt(std::size_t i) {
    Slot& slot = slots_[i % slots_.size()];
    if (slot.index != i) {
      slot.index = i;
      slot.read = readAnswerLine(textOf(i), slot.answer);
    }
    return slot.read ? &slot.answer : nullptr;
  }

  bool fits(const AnswerLine& line, std::uint64_t k) {
    if (k == 0 || k > answers_) return false;
    dice_.faces({reveal_.epoch, reveal_.room, k, line.nick, line.dice, line.sides}, faces_);
    if (faces_.size() != line.values.size()) return false;
    for (std::size_t d = 0; d < faces_.size(); ++d) {
      std::array<char, 12> digits;
      const char* end = std::to_chars(digits.begin(), digits.end(), faces_[d]).ptr;
      if (line.values[d] !=
          std::string_view(digits.data(), static_cast<std::size_t>(end - digits.data()))) {
        return false;
      }
    }
    return true;
  }

  bool fitsLine(std::size_t i, std::uint64_t k) {
    if (i >= lines_.size()) return false;
    const AnswerLine* line = answerAt(i);
    return line != nullptr && fits(*line, k);
  }

  std::string expectedText(const AnswerLine& line, std::uint64_t k) {
    dice_.faces({reveal_.epoch, reveal_.room, k, line.nick, line.dice, line.sides}, faces_);
    return joined(faces_);
  }

  static std::string describe(const AnswerLine& line, std::uint64_t k) {
    return "answer " + std::to_string(k) + " (" + std::string(line.nick) + ", " +
           std::to_string(line.dice) + " " + std::to_string(line.sides) + "-sided " +
           (line.dice == 1 ? "die)" : "dice)");
  }

  // Answers from up to before that the log does not hold, but for the gaps the service named.
  void missing(std::uint64_t from, std::uint64_t before, std::uint64_t line) {
    std::uint64_t k = from;
    for (auto gap = std::lower_bound(gaps_.begin(), gaps_.end(), from);
         gap != gaps_.end() && *gap < before; ++gap) {
      if (k < *gap) fail(line, answersText(k, *gap - 1) + " missing before this line");
      k = std::max(k, *gap + 1);
    }
    if (k < before) fail(line, answersText(k, before - 1) + " missing before this line");
  }

  const Reveal& reveal_;
  std::uint64_t answers_;
  std::vector<std::uint64_t> gaps_;
  const std::vector<HeldLine>& lines_;
  std::string_view held_;
  rollservice::DerivedDice dice_;
  std::vector<int> faces_;
  std::array<Slot, 2> slots_;
  std::uint64_t verified_ = 0;
  std::uint64_t next_ = 1;
  std::vector<std::string> failures_;
};

}  // namespace

bool readAnswerLine(std::string_view line, AnswerLine& answer) {
  constexpr std::string_view kRolled = " rolled ";
  const std::size_t rolled = line.rfind(kRolled);
  if (rolled == std::string_view::npos || rolled == 0) return false;
  answer.nick = line.substr(0, rolled);
  std::string_view rest = line.substr(rolled + kRolled.size());
  if (!cutNumber(rest, answer.dice) || answer.dice > kMostDice || !cut(rest, " ") ||
      !cutNumber(rest, answer.sides) || answer.sides < 2 ||
      !cut(rest, answer.dice == 1 ? "-sided die: " : "-sided dice: ")) {
    return false;
  }
  answer.values.clear();
  while (cut(rest, " ")) {
    std::size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')
      ++digits;
    if (digits == 0) return false;
    answer.values.push_back(rest.substr(0, digits));
    rest.remove_prefix(digits);
  }
  return rest.empty() && answer.values.size() == static_cast<std::size_t>(answer.dice);
}

Verifier::Verifier(std::ostream& out) : out_(out) {}

void Verifier::addLine(std::string_view line, bool overlong) {
  ++counts_.read;
  std::string_view screenName;
  std::string_view whatSaid;
  if (overlong || !chatlink::splitChatLine(line, screenName, whatSaid) ||
      !isTheService(screenName)) {
    return;
  }
  if (auto commitment = rollservice::readCommitLine(whatSaid)) {
    letGo();
    startEpoch(std::move(commitment));
    return;
  }
  if (const auto revealed = rollservice::readRevealLine(whatSaid)) {
    reveal(*revealed);
    return;
  }
  if (auto gap = rollservice::readGapLine(whatSaid)) {
    gaps_.push_back(std::move(*gap));
    return;
  }
  readText(whatSaid, whatSaid_);
  if (!rolls::initiativeRoll(rolls::kService, whatSaid_)) return;
  if (rollLines_.size() >= kMostHeld) {
    ++counts_.unverifiable;
    out_ << "line " << counts_.read << ": unverifiable, more than " << kMostHeld
         << " roll lines in one epoch: " << whatSaid << '\n';
    return;
  }
  rollLines_.push_back({counts_.read, held_.size(), whatSaid.size()});
  held_ += whatSaid;
}

void Verifier::finish() {
  letGo();
}

void Verifier::startEpoch(std::optional<rollservice::Commitment> commitment) {
  if (commitment) startOfLog_ = false;
  commitment_ = std::move(commitment);
  commitmentLine_ = counts_.read;
  gaps_.clear();
  rollLines_.clear();
  held_.clear();
}

void Verifier::letGo() {
  const std::string reason = commitment_ ? "epoch " + std::to_string(commitment_->epoch) + " of " +
                                               commitment_->room + " is not revealed in the log"
                                         : "outside any revealed epoch";
  for (const HeldLine& line : rollLines_) {
    out_ << "line " << line.number << ": unverifiable, " << reason << ": "
         << std::string_view(held_).substr(line.at, line.size) << '\n';
  }
  counts_.unverifiable += rollLines_.size();
  rollLines_.clear();
  held_.clear();
}

void Verifier::reveal(const Reveal& reveal) {
  const std::uint64_t revealLine = counts_.read;
  // The roll lines since another epoch's commitment are that epoch's, which is not revealed.
  if (commitment_ && (commitment_->epoch != reveal.epoch || commitment_->room != reveal.room)) {
    letGo();
    commitment_.reset();
  }
  std::vector<std::uint64_t> gaps;
  for (const rollservice::Gap& gap : gaps_) {
    if (gap.epoch == reveal.epoch && gap.room == reveal.room) gaps.push_back(gap.k);
  }
  EpochCheck check(reveal, std::move(gaps), rollLines_, held_);
  std::string note;
  std::uint64_t firstLine = revealLine;
  if (commitment_) {
    firstLine = commitmentLine_;
    if (rollservice::commitment(reveal.seed) != commitment_->hash) {
      check.fail(commitmentLine_, "the seed revealed on line " + std::to_string(revealLine) +
                                      " does not give this commitment");
    }
    check.check(1);
  } else {
    if (!rollLines_.empty()) firstLine = rollLines_.front().number;
    const std::uint64_t k = check.firstK();
    note = std::string(startOfLog_ ? " (the log starts inside it"
                                   : " (its commitment is not in the log") +
           "; checked from answer " + std::to_string(k) + ")";
    check.check(k);
  }
  check.missingAtTheEnd(revealLine);

  ++counts_.epochs;
  counts_.verified += check.verified();
  counts_.failed += check.failures().size();
  out_ << heading(reveal) << ", lines " << firstLine << " to " << revealLine << note << ": "
       << check.verified() << (check.verified() == 1 ? " roll" : " rolls") << " verified";
  if (check.failures().empty()) {
    out_ << ".\n";
  } else {
    out_ << ", " << check.failures().size() << " not matching:\n";
    for (const std::string& failure : check.failures())
      out_ << "  " << failure << '\n';
  }
  startOfLog_ = false;
  startEpoch(std::nullopt);
}

std::string verifyClosingLine(const VerifyCounts& counts) {
  const auto counted = [](std::uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + ' ' + (n == 1 ? one : many);
  };
  return counted(counts.read, "line", "lines") +
         " read: " + counted(counts.epochs, "epoch", "epochs") + " revealed, " +
         counted(counts.verified, "roll", "rolls") + " verified, " +
         counted(counts.failed, "line", "lines") + " not matching, " +
         counted(counts.unverifiable, "roll line", "roll lines") + " unverifiable.";
}

}  // namespace kestar::tally
