// Writes a long chat log in the logger's format, for timing the tally: a spar of a thousand
// players that goes round and round, each turn an action, a roll request and the service's
// answer (one to five dice of 100 sides), and now and then a line an editor mangled.
// With --derived SIDES the dice have that many sides and come from the roll service's epochs, as
// a served room's do: a new epoch every 30,000 lines, its seed committed to before and revealed
// after, for kestar-tally --verify and --fairness.
// Run by hand:
//   build-release/bench/kestar_spar_log 1000000 > /tmp/spar.log
//   /usr/bin/time -v build-release/tally/kestar-tally /tmp/spar.log > /dev/null
//   build-release/bench/kestar_spar_log 1000000 --derived 100 > /tmp/served.log

#include <cstdio>
#include <optional>
#include <random>
#include <string>

#include "rollservice/RollAnswer.h"
#include "rollservice/RoomEpoch.h"

int main(int argc, char** argv) {
  const long long lines = argc > 1 ? std::stoll(argv[1]) : 1000000;
  const int derivedSides = argc > 3 && std::string(argv[2]) == "--derived" ? std::stoi(argv[3]) : 0;
  constexpr long long kEpochLines = 30000;
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> player(1, 1000);
  std::uniform_int_distribution<int> dice(1, 5);
  const auto next = [&](int sides) {
    // One die in ten shows 69, so the tally says the 69 line often.
    return random() % 10 == 0 ? 69 : std::uniform_int_distribution<int>(1, sides)(random);
  };
  // The seeds are the generator's, so that the same log comes out every time.
  const auto seed = [&] {
    kestar::rollservice::Seed bytes;
    for (auto& byte : bytes)
      byte = static_cast<std::uint8_t>(random());
    return bytes;
  };
  std::optional<kestar::rollservice::RoomEpoch> epoch;
  std::string out;
  const auto say = [&](const std::string& text) { out += "OnlineHost:\t" + text + "\r\n"; };
  for (long long n = 0; n < lines; ++n) {
    const std::string name = "Player " + std::to_string(player(random));
    if (derivedSides > 0 && n % kEpochLines == 0) {
      if (epoch) {
        for (const std::string& line : epoch->renew({}))
          say(line);
      } else {
        epoch.emplace("#spar", kestar::rollservice::RoomEpoch::Time{}, seed);
        say(epoch->commitLine());
      }
    }
    std::string line;
    if (n % 997 == 0) {
      line = name + ":  ::a line whose tab became blanks::";
    } else if (n % 3 == 0) {
      line = name + ":\t::swings the blade of turn " + std::to_string(n) + "::";
    } else if (n % 3 == 1) {
      line = name + ":\t//roll-dice" + std::to_string(dice(random)) + "-sides100";
    } else if (epoch) {
      const int count = dice(random);
      const std::vector<int> faces = epoch->answer(name, count, derivedSides).faces;
      std::size_t face = 0;
      line =
          "OnlineHost:\t" +
          kestar::rollservice::rollAnswer(
              name, "//roll-dice" + std::to_string(count) + "-sides" + std::to_string(derivedSides),
              [&](int) { return faces[face++]; });
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
  if (epoch) say(epoch->revealLine());
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
