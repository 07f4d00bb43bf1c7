#include <random>

#include "rollservice/SystemRandom.h"

namespace kestar::rollservice {

// On Windows both MinGW's and Microsoft's standard library read rand_s, that is the system's
// RtlGenRandom; the token asks MinGW's for it by name, so it fails rather than fall back to
// something else.
void systemRandom(std::uint8_t* bytes, std::size_t size) {
  std::random_device device("rand_s");
  for (std::size_t i = 0; i < size;) {
    auto word = device();
    for (std::size_t b = 0; b < sizeof word && i < size; ++b, ++i, word >>= 8)
      bytes[i] = static_cast<std::uint8_t>(word);
  }
}

}  // namespace kestar::rollservice
