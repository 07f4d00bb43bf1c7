#pragma once

#include <cstdio>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "tally/Tally.h"

namespace kestar::tally {

// What the command line asks for.
struct Invocation {
  Formatting formatting;
  bool csv = false;
  bool fairness = false;
  bool byRoller = false;
  bool verify = false;
  bool help = false;
  std::string path;   // empty or "-": standard input
  std::string error;  // set when the command line is wrong
};

Invocation parseArguments(const std::vector<std::string_view>& arguments);

// The whole tool: reads the log named in the arguments (or standardInput), writes the listing,
// the summary and the closing line to out and what went wrong to err. Returns the exit status:
// 0 when the log was read to its end, 2 when it could not be read or written, or the command
// line is wrong; with --verify, 1 when a roll line of a revealed epoch does not match.
int runTally(const std::vector<std::string_view>& arguments, std::FILE* standardInput,
             std::ostream& out, std::ostream& err);

inline constexpr int kExitNotMatching = 1;
inline constexpr int kExitFailed = 2;

}  // namespace kestar::tally
