#pragma once

#include <cstdio>
#include <cstdlib>

namespace kestar::fuzz {

// A property every input must keep: when it breaks, the fuzzer records the input as a finding.
inline void check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

}  // namespace kestar::fuzz
