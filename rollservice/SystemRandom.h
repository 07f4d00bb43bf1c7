#pragma once

#include <cstddef>
#include <cstdint>

namespace kestar::rollservice {

// Fills bytes from the system's cryptographic source; each platform has its own. Throws
// std::runtime_error when the source fails, as nothing else would do for a secret.
void systemRandom(std::uint8_t* bytes, std::size_t size);

}  // namespace kestar::rollservice
