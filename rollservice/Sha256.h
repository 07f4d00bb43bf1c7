#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestar::rollservice {

using Digest = std::array<std::uint8_t, 32>;

// SHA-256, fed in pieces.
class Sha256 final {
 public:
  Sha256();

  Sha256& add(std::string_view bytes);
  Sha256& add(const std::uint8_t* bytes, std::size_t size);
  // The digest of everything added; the hash is spent afterwards.
  Digest finish();

 private:
  void compress(const std::uint8_t* block);

  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> block_{};
  std::size_t filled_ = 0;
  std::uint64_t length_ = 0;
};

Digest sha256(std::string_view bytes);

// HMAC-SHA256 with one key: the key's padded blocks are hashed once, so each message costs only
// its own blocks.
class HmacSha256 final {
 public:
  explicit HmacSha256(std::string_view key);

  Digest mac(std::string_view message) const;

 private:
  Sha256 inner_;
  Sha256 outer_;
};

// Lower-case hexadecimal, two digits a byte.
std::string toHex(const std::uint8_t* bytes, std::size_t size);
template <std::size_t N>
std::string toHex(const std::array<std::uint8_t, N>& bytes) {
  return toHex(bytes.data(), N);
}
// Reads exactly 2 * N hexadecimal digits, either case; false for anything else.
bool fromHex(std::string_view hex, std::uint8_t* bytes, std::size_t size);

}  // namespace kestar::rollservice
