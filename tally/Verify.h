#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chatlink/Types.h"
#include "rollservice/EpochLines.h"

namespace kestar::tally {

// The roll service's answer as a log holds it: "NICK rolled D S-sided dice:" and a blank, then
// each value after a blank ("die:" for one). The views point into the line read.
struct AnswerLine {
  std::string_view nick;
  int dice = 0;
  int sides = 0;
  std::vector<std::string_view> values;
};
// False for any line the service would not have written.
bool readAnswerLine(std::string_view line, AnswerLine& answer);

struct VerifyCounts {
  std::uint64_t read = 0;
  std::uint64_t epochs = 0;    // revealed
  std::uint64_t verified = 0;  // roll lines with the values their seed gives
  // Roll lines that do not match, answers missing and commitments the seed does not meet.
  std::uint64_t failed = 0;
  std::uint64_t unverifiable = 0;  // roll lines outside any revealed epoch
};

// A roll line held until its epoch's seed is known: its number in the log and where its text
// lies in the held bytes.
struct HeldLine {
  std::uint64_t number = 0;
  std::size_t at = 0;
  std::size_t size = 0;
};

// Checks the roll lines of a log against the epochs revealed in it, as the lines come. A roll
// line is one of the service that a dice counter or the Init window reads as someone's roll; the
// roll lines between an epoch's commitment and its reveal are its answers 1, 2, ... in order.
// Roll lines before a reveal whose commitment is not in the log (a log started late) belong to
// it from the k that fits them. Each epoch is reported when its reveal is read; roll lines that
// no reveal follows, when the next commitment or the end of the log shows it.
class Verifier final {
 public:
  explicit Verifier(std::ostream& out);

  // The next line of the log, as Tally::addLine takes it.
  void addLine(std::string_view line, bool overlong = false);
  // The end of the log.
  void finish();

  const VerifyCounts& counts() const { return counts_; }

 private:
  void startEpoch(std::optional<rollservice::Commitment> commitment);
  void reveal(const rollservice::Reveal& reveal);
  // The roll lines held are outside any revealed epoch.
  void letGo();

  std::ostream& out_;
  VerifyCounts counts_;
  Text whatSaid_;
  // Since the last commitment or reveal: the commitment (with its line), the gaps named and the
  // roll lines.
  std::optional<rollservice::Commitment> commitment_;
  std::uint64_t commitmentLine_ = 0;
  bool startOfLog_ = true;
  std::vector<rollservice::Gap> gaps_;
  std::vector<HeldLine> rollLines_;
  std::string held_;
};

// The closing line of a verification.
std::string verifyClosingLine(const VerifyCounts& counts);

}  // namespace kestar::tally
