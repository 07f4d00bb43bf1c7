#include <cstdio>
#include <iostream>

#include "tally/Command.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string_view> arguments(argv + 1, argv + argc);
  return kestar::tally::runTally(arguments, stdin, std::cout, std::cerr);
}
