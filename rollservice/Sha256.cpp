#include "rollservice/Sha256.h"

#include <algorithm>

namespace kestar::rollservice {
namespace {

constexpr std::array<std::uint32_t, 64> kRound = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr std::uint32_t rotr(std::uint32_t x, int n) {
  return (x >> n) | (x << (32 - n));
}

std::uint32_t bigEndian(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

}  // namespace

Sha256::Sha256()
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

// The rounds eight at a time, the working variables named anew in each rather than moved, and
// the message schedule kept in sixteen words: this is where a check of a long log spends its time.
void Sha256::compress(const std::uint8_t* block) {
  std::array<std::uint32_t, 16> w;
  for (int i = 0; i < 16; ++i)
    w[i] = bigEndian(block + 4 * i);
  auto [a, b, c, d, e, f, g, h] = state_;
  const auto round = [](std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t& d,
                        std::uint32_t e, std::uint32_t f, std::uint32_t g, std::uint32_t& h,
                        std::uint32_t kw) {
    const std::uint32_t t1 =
        h + (rotr(e, 6) ^ rotr(e, 11) ^ rotr(e, 25)) + (g ^ (e & (f ^ g))) + kw;
    d += t1;
    h = t1 + (rotr(a, 2) ^ rotr(a, 13) ^ rotr(a, 22)) + ((a & b) | (c & (a | b)));
  };
  for (int i = 0; i < 64; i += 8) {
    if (i >= 16) {
      for (int t = i; t < i + 8; ++t) {
        const std::uint32_t w15 = w[(t - 15) & 15];
        const std::uint32_t w2 = w[(t - 2) & 15];
        w[t & 15] += (rotr(w15, 7) ^ rotr(w15, 18) ^ (w15 >> 3)) + w[(t - 7) & 15] +
                     (rotr(w2, 17) ^ rotr(w2, 19) ^ (w2 >> 10));
      }
    }
    round(a, b, c, d, e, f, g, h, kRound[i] + w[i & 15]);
    round(h, a, b, c, d, e, f, g, kRound[i + 1] + w[(i + 1) & 15]);
    round(g, h, a, b, c, d, e, f, kRound[i + 2] + w[(i + 2) & 15]);
    round(f, g, h, a, b, c, d, e, kRound[i + 3] + w[(i + 3) & 15]);
    round(e, f, g, h, a, b, c, d, kRound[i + 4] + w[(i + 4) & 15]);
    round(d, e, f, g, h, a, b, c, kRound[i + 5] + w[(i + 5) & 15]);
    round(c, d, e, f, g, h, a, b, kRound[i + 6] + w[(i + 6) & 15]);
    round(b, c, d, e, f, g, h, a, kRound[i + 7] + w[(i + 7) & 15]);
  }
  const std::array<std::uint32_t, 8> add = {a, b, c, d, e, f, g, h};
  for (int i = 0; i < 8; ++i)
    state_[i] += add[i];
}

Sha256& Sha256::add(std::string_view bytes) {
  return add(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

Sha256& Sha256::add(const std::uint8_t* bytes, std::size_t size) {
  length_ += size;
  if (filled_ > 0) {
    const std::size_t take = std::min(size, block_.size() - filled_);
    std::copy_n(bytes, take, block_.begin() + static_cast<std::ptrdiff_t>(filled_));
    filled_ += take;
    bytes += take;
    size -= take;
    if (filled_ < block_.size()) return *this;
    compress(block_.data());
    filled_ = 0;
  }
  for (; size >= block_.size(); bytes += block_.size(), size -= block_.size())
    compress(bytes);
  std::copy_n(bytes, size, block_.begin());
  filled_ = size;
  return *this;
}

Digest Sha256::finish() {
  const std::uint64_t bits = length_ * 8;
  block_[filled_++] = 0x80;
  if (filled_ > 56) {
    std::fill(block_.begin() + static_cast<std::ptrdiff_t>(filled_), block_.end(), 0);
    compress(block_.data());
    filled_ = 0;
  }
  std::fill(block_.begin() + static_cast<std::ptrdiff_t>(filled_), block_.begin() + 56, 0);
  for (int i = 0; i < 8; ++i)
    block_[56 + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
  compress(block_.data());
  Digest digest;
  for (int i = 0; i < 32; ++i)
    digest[i] = static_cast<std::uint8_t>(state_[i / 4] >> (24 - 8 * (i % 4)));
  return digest;
}

Digest sha256(std::string_view bytes) {
  return Sha256().add(bytes).finish();
}

HmacSha256::HmacSha256(std::string_view key) {
  std::array<std::uint8_t, 64> padded{};
  if (key.size() > padded.size()) {
    const Digest hashed = sha256(key);
    std::copy(hashed.begin(), hashed.end(), padded.begin());
  } else {
    std::copy(key.begin(), key.end(), padded.begin());
  }
  std::array<std::uint8_t, 64> pad;
  for (std::size_t i = 0; i < pad.size(); ++i)
    pad[i] = padded[i] ^ 0x36;
  inner_.add(pad.data(), pad.size());
  for (std::size_t i = 0; i < pad.size(); ++i)
    pad[i] = padded[i] ^ 0x5c;
  outer_.add(pad.data(), pad.size());
}

Digest HmacSha256::mac(std::string_view message) const {
  const Digest inner = Sha256(inner_).add(message).finish();
  return Sha256(outer_).add(inner.data(), inner.size()).finish();
}

std::string toHex(const std::uint8_t* bytes, std::size_t size) {
  constexpr std::string_view kDigits = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * size);
  for (std::size_t i = 0; i < size; ++i) {
    hex += kDigits[bytes[i] >> 4];
    hex += kDigits[bytes[i] & 0xf];
  }
  return hex;
}

bool fromHex(std::string_view hex, std::uint8_t* bytes, std::size_t size) {
  if (hex.size() != 2 * size) return false;
  const auto digit = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (std::size_t i = 0; i < size; ++i) {
    const int high = digit(hex[2 * i]);
    const int low = digit(hex[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return true;
}

}  // namespace kestar::rollservice
