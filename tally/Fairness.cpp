#include "tally/Fairness.h"

#include <boost/math/special_functions/gamma.hpp>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "tally/Tally.h"

namespace kestar::tally {
namespace {

// Below this a p-value is no longer told apart: the dice are plainly unfair.
constexpr double kSmallestP = 1e-15;

std::string withCommas(std::string number) {
  const std::size_t digitsEnd = number.find_first_not_of("0123456789");
  for (std::size_t at = std::min(digitsEnd, number.size()); at > 3; at -= 3)
    number.insert(at - 3, 1, ',');
  return number;
}

std::string grouped(std::uint64_t n) {
  return withCommas(std::to_string(n));
}

std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string pText(double p) {
  if (p < kSmallestP) return "< 1e-15";
  char text[32];
  std::snprintf(text, sizeof text, "%.2g", p);
  return std::string("= ") + text;
}

// Shortest text that reads back as the same double, for CSV.
std::string exact(double value) {
  char text[64];
  return std::string(text, std::to_chars(std::begin(text), std::end(text), value).ptr);
}

// The face that strays most from the expected count, and by how much.
std::string strayingFace(const FaceCounts& counts, const FairnessTest& test) {
  int worst = 1;
  double worstPart = -1;
  for (int face = 1; face <= counts.sides; ++face) {
    const double off = static_cast<double>(counts.count(face)) - test.expected;
    const double part = off * off / test.expected;
    if (part > worstPart) {
      worst = face;
      worstPart = part;
    }
  }
  const auto seen = static_cast<double>(counts.count(worst));
  const std::string face = "face " + std::to_string(worst);
  if (seen == 0) return face + " never came up";
  if (seen > test.expected)
    return face + " came up " + fixed(seen / test.expected, 1) + "x too often";
  return face + " came up " + fixed(test.expected / seen, 1) + "x too rarely";
}

// The faces a table shows: every face of a tested size; of a size too small to test, those that
// came up (a die may have a great many sides).
std::vector<int> shownFaces(const FaceCounts& counts, const FairnessTest& test) {
  std::vector<int> faces;
  for (int face = 1; face <= counts.sides; ++face) {
    if (test.tested || counts.count(face) > 0) faces.push_back(face);
    if (!test.tested && face >= static_cast<int>(counts.faces.size())) break;
  }
  return faces;
}

void writeSize(std::ostream& out, const std::string& who, const FaceCounts& counts) {
  const FairnessTest test = testFairness(counts);
  out << who << counts.sides << "-sided dice\n";
  std::vector<std::vector<std::string>> rows = {{"Face", "Count", "Expected"}};
  for (const int face : shownFaces(counts, test)) {
    rows.push_back(
        {std::to_string(face), grouped(counts.count(face)), withCommas(fixed(test.expected, 1))});
  }
  writeTable(out, rows, false);
  if (test.tested) {
    out << "Chi-square " << fixed(test.chiSquare, 2) << ", " << test.degreesOfFreedom
        << (test.degreesOfFreedom == 1 ? " degree" : " degrees") << " of freedom, p "
        << pText(test.p) << (test.flagged() ? "  FLAGGED (p < 0.01)" : "") << '\n';
  }
  out << who << fairnessSentence(counts, test) << "\n\n";
}

void writeCsvSize(std::ostream& out, const std::string& roller, const FaceCounts& counts) {
  const FairnessTest test = testFairness(counts);
  std::string figures = csvField(roller) + ',' + std::to_string(counts.sides) + ',' +
                        std::to_string(counts.dice) + ',' + std::to_string(counts.outside) + ',';
  for (const int face : shownFaces(counts, test)) {
    out << figures << face << ',' << counts.count(face) << ',' << exact(test.expected) << ',';
    if (test.tested) {
      out << exact(test.chiSquare) << ',' << test.degreesOfFreedom << ',' << exact(test.p) << ','
          << (test.flagged() ? "yes" : "no");
    } else {
      out << ",,,";
    }
    out << '\n';
  }
}

}  // namespace

std::uint64_t FaceCounts::count(int face) const {
  return face >= 1 && face <= static_cast<int>(faces.size()) ? faces[face - 1] : 0;
}

double chiSquareP(double chiSquare, int degreesOfFreedom) {
  return boost::math::gamma_q(degreesOfFreedom / 2.0, chiSquare / 2.0);
}

FairnessTest testFairness(const FaceCounts& counts) {
  FairnessTest test;
  if (counts.sides < 1) return test;
  test.expected = static_cast<double>(counts.dice) / counts.sides;
  if (counts.sides < 2 || test.expected < kFewestExpected) return test;
  test.tested = true;
  test.degreesOfFreedom = counts.sides - 1;
  // Faces that never came up are beyond the counts kept; each adds the expected count.
  double sum = 0;
  for (const std::uint64_t seen : counts.faces) {
    const double off = static_cast<double>(seen) - test.expected;
    sum += off * off / test.expected;
  }
  sum += static_cast<double>(counts.sides - static_cast<int>(counts.faces.size())) * test.expected;
  test.chiSquare = sum;
  test.p = chiSquareP(sum, test.degreesOfFreedom);
  return test;
}

void DiceFaces::add(int sides, const std::vector<double>& values) {
  if (sides < 1) {
    unsized_ += values.size();
    return;
  }
  FaceCounts& size = sizes_[sides];
  size.sides = sides;
  for (const double value : values) {
    if (!(value >= 1 && value <= sides && value == std::floor(value))) {
      ++size.outside;
      continue;
    }
    const auto face = static_cast<std::size_t>(value);
    if (size.faces.size() < face) size.faces.resize(face);
    ++size.faces[face - 1];
    ++size.dice;
  }
}

std::string fairnessSentence(const FaceCounts& counts, const FairnessTest& test) {
  std::string sentence = std::to_string(counts.sides) + "-sided: ";
  const std::string dice = grouped(counts.dice) + (counts.dice == 1 ? " die" : " dice");
  if (test.flagged()) {
    sentence += strayingFace(counts, test) + ", p " + pText(test.p);
  } else if (test.tested) {
    sentence += dice + ", nothing unusual";
  } else if (counts.sides < 2) {
    sentence += dice + ", one face: nothing to test";
  } else {
    sentence += dice + ", too few to test (fewer than 5 expected per face)";
  }
  if (counts.outside > 0) {
    sentence += "; " + grouped(counts.outside) + (counts.outside == 1 ? " value" : " values") +
                " outside 1.." + std::to_string(counts.sides) + ", not tested";
  }
  return sentence;
}

void writeFairness(std::ostream& out, const DiceFaces& log, const std::vector<std::string>& rollers,
                   const std::vector<DiceFaces>* byRoller) {
  out << "The dice of the totalled rolls by number of sides. p is how often fair dice would stray "
         "this far by chance; below 0.01 is flagged.\n\n";
  if (log.sizes().empty()) out << "No dice.\n\n";
  for (const auto& [sides, counts] : log.sizes())
    writeSize(out, "", counts);
  if (log.unsized() > 0) {
    out << grouped(log.unsized()) << (log.unsized() == 1 ? " die" : " dice")
        << " of rolls whose line names no number of sides, not counted.\n\n";
  }
  if (byRoller == nullptr) return;
  std::uint64_t tooFew = 0;
  for (std::size_t r = 0; r < byRoller->size() && r < rollers.size(); ++r) {
    for (const auto& [sides, counts] : (*byRoller)[r].sizes()) {
      if (testFairness(counts).tested) {
        writeSize(out, rollers[r] + ", ", counts);
      } else {
        ++tooFew;
      }
    }
  }
  out << "Per roller, " << grouped(tooFew) << (tooFew == 1 ? " size" : " sizes")
      << " with too few dice to test not shown.\n";
}

void writeFairnessCsv(std::ostream& out, const DiceFaces& log,
                      const std::vector<std::string>& rollers,
                      const std::vector<DiceFaces>* byRoller) {
  out << "Roller,Sides,Dice,Outside,Face,Count,Expected,ChiSquare,DegreesOfFreedom,P,Flagged\n";
  for (const auto& [sides, counts] : log.sizes())
    writeCsvSize(out, "", counts);
  if (byRoller == nullptr) return;
  for (std::size_t r = 0; r < byRoller->size() && r < rollers.size(); ++r) {
    for (const auto& [sides, counts] : (*byRoller)[r].sizes()) {
      if (testFairness(counts).tested) writeCsvSize(out, rollers[r], counts);
    }
  }
}

}  // namespace kestar::tally
