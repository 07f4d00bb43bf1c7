#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestar::irc {

// Cuts the bytes a server sends into lines, whatever pieces they arrive in. A line ends at LF,
// CR or CR LF; empty lines are skipped; a NUL becomes U+FFFD, so that no later step cuts a line
// short at it. A line that grows past the limit (tags and the line proper together) without ending
// marks the reader as overflowed: the peer is not speaking the protocol, and the connection is
// dropped rather than buffering without end.
class LineReader final {
 public:
  static constexpr std::size_t kDefaultLimit = 8191 + 512;
  explicit LineReader(std::size_t limit = kDefaultLimit) : limit_(limit) {}

  // The lines completed by these bytes, in order. Nothing more after an overflow.
  std::vector<std::string> feed(std::string_view bytes);
  bool overflowed() const { return overflowed_; }
  void reset();

 private:
  std::size_t limit_;
  std::string pending_;
  bool overflowed_ = false;
};

}  // namespace kestar::irc
