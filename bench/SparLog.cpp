// Writes a long chat log in the logger's format, for timing the tally: a spar of a thousand
// players that goes round and round, each turn an action, a roll request and the service's
// answer (one to five dice of 100 sides), and now and then a line an editor mangled.
// Run by hand:
//   build-release/bench/kestar_spar_log 1000000 > /tmp/spar.log
//   /usr/bin/time -v build-release/tally/kestar-tally /tmp/spar.log > /dev/null

#include <cstdio>
#include <random>
#include <string>

#include "rollservice/RollAnswer.h"

int main(int argc, char** argv) {
  const long long lines = argc > 1 ? std::stoll(argv[1]) : 1000000;
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> player(1, 1000);
  std::uniform_int_distribution<int> dice(1, 5);
  const auto next = [&](int sides) {
    // One die in ten shows 69, so the tally says the 69 line often.
    return random() % 10 == 0 ? 69 : std::uniform_int_distribution<int>(1, sides)(random);
  };
  std::string out;
  for (long long n = 0; n < lines; ++n) {
    const std::string name = "Player " + std::to_string(player(random));
    std::string line;
    if (n % 997 == 0) {
      line = name + ":  ::a line whose tab became blanks::";
    } else if (n % 3 == 0) {
      line = name + ":\t::swings the blade of turn " + std::to_string(n) + "::";
    } else if (n % 3 == 1) {
      line = name + ":\t//roll-dice" + std::to_string(dice(random)) + "-sides100";
    } else {
      const std::string request = "//roll-dice" + std::to_string(dice(random)) + "-sides100";
      line = "OnlineHost:\t" + kestar::rollservice::rollAnswer(name, request, next);
    }
    out += line;
    out += "\r\n";
    if (out.size() > (1 << 16)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
