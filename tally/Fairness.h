#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace kestar::tally {

// A size is flagged when fair dice would stray this far less often than this.
inline constexpr double kFlaggedBelow = 0.01;
// The chi-square test holds only with at least this many dice expected on every face.
inline constexpr double kFewestExpected = 5;

// How often each face of the dice of one size came up in a log.
struct FaceCounts {
  int sides = 0;
  // faces[f - 1] for face f, up to the highest face that came up.
  std::vector<std::uint64_t> faces;
  std::uint64_t dice = 0;  // the faces' counts together
  // Values that are no face of such a die: below 1, above the sides or not whole. Counted, never
  // tested.
  std::uint64_t outside = 0;

  std::uint64_t count(int face) const;
};

// Pearson's chi-square test of a size's faces against a fair die.
struct FairnessTest {
  double expected = 0;  // per face
  // False when fewer than kFewestExpected dice are expected per face, or the die has one side.
  bool tested = false;
  double chiSquare = 0;
  int degreesOfFreedom = 0;
  double p = 1;

  bool flagged() const { return tested && p < kFlaggedBelow; }
};

FairnessTest testFairness(const FaceCounts& counts);

// How likely a chi-square of at least chiSquare is with that many degrees of freedom: the upper
// regularized gamma function Q(degreesOfFreedom / 2, chiSquare / 2).
double chiSquareP(double chiSquare, int degreesOfFreedom);

// The faces of every size of dice, smallest size first.
class DiceFaces final {
 public:
  // The values of one roll's dice of that many sides; 0 sides: the line named none.
  void add(int sides, const std::vector<double>& values);

  const std::map<int, FaceCounts>& sizes() const { return sizes_; }
  // Dice of rolls whose line names no number of sides.
  std::uint64_t unsized() const { return unsized_; }

 private:
  std::map<int, FaceCounts> sizes_;
  std::uint64_t unsized_ = 0;
};

// The fairness report: every size of the whole log with its faces, test and a plain sentence;
// then, when byRoller is given (one entry per roller, in the rollers' order), the same for each
// roller's sizes with enough dice to test.
void writeFairness(std::ostream& out, const DiceFaces& log, const std::vector<std::string>& rollers,
                   const std::vector<DiceFaces>* byRoller);
// The same as CSV: one row per face, the size's figures repeated on each.
void writeFairnessCsv(std::ostream& out, const DiceFaces& log,
                      const std::vector<std::string>& rollers,
                      const std::vector<DiceFaces>* byRoller);

// The plain sentence for a size, as "6-sided: 1,200 dice, nothing unusual".
std::string fairnessSentence(const FaceCounts& counts, const FairnessTest& test);

}  // namespace kestar::tally
