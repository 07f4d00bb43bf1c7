#include "dicehost/Log.h"

#include <cstdio>
#include <string>

namespace kestar::dicehost {

void logLine(std::string_view line) {
  std::string whole(line);
  whole += '\n';
  std::fwrite(whole.data(), 1, whole.size(), stderr);
  std::fflush(stderr);
}

}  // namespace kestar::dicehost
