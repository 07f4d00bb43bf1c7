#include "tally/LogLines.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string>

#include "chatlink/CodePage.h"
#include "dice/rules/RollLine.h"

namespace kestar::tally {
namespace {

// Gathers the pieces of a line that runs across reads, and forgets one that grows overlong.
class LineBuilder final {
 public:
  explicit LineBuilder(const LineHandler& handler) : handler_(handler) {}

  bool empty() const { return line_.empty() && !overlong_; }

  void add(std::string_view piece) {
    if (overlong_) return;
    // One more character than the longest line: the CR of its line end.
    if (line_.size() + piece.size() > kLongestLine + 1) {
      overlong_ = true;
      line_.clear();
      return;
    }
    line_.append(piece);
  }

  void end() {
    emit(line_, overlong_, handler_);
    line_.clear();
    overlong_ = false;
  }

  // A whole line, without its LF; the CR before it, if any, is the rest of its line end.
  static void emit(std::string_view line, bool overlong, const LineHandler& handler) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kLongestLine) overlong = true;
    handler(overlong ? std::string_view() : line, overlong);
  }

 private:
  const LineHandler& handler_;
  std::string line_;
  bool overlong_ = false;
};

bool isAscii(std::string_view bytes) {
  return std::none_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
}

}  // namespace

int readLines(std::FILE* in, const LineHandler& handler) {
  std::array<char, 64 * 1024> buffer;
  LineBuilder pending(handler);
  for (;;) {
    errno = 0;
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in);
    std::string_view rest(buffer.data(), got);
    while (!rest.empty()) {
      const std::size_t lf = rest.find('\n');
      if (lf == std::string_view::npos) {
        pending.add(rest);
        break;
      }
      // A line wholly inside this read is handed over from the buffer, without a copy.
      if (pending.empty()) {
        LineBuilder::emit(rest.substr(0, lf), false, handler);
      } else {
        pending.add(rest.substr(0, lf));
        pending.end();
      }
      rest.remove_prefix(lf + 1);
    }
    if (got < buffer.size()) {
      if (std::ferror(in)) return errno != 0 ? errno : EIO;
      if (!pending.empty()) pending.end();
      return 0;
    }
  }
}

// ASCII bytes are the same characters in every code page the system may have, so only a name
// with other bytes needs the code page; the other lines of a log are passed over without
// converting them.
bool isTheService(std::string_view screenName) {
  const auto same = [](char byte, char16_t c) { return static_cast<char16_t>(byte) == c; };
  if (std::equal(screenName.begin(), screenName.end(), rolls::kService.begin(),
                 rolls::kService.end(), same)) {
    return true;
  }
  return !isAscii(screenName) && chatlink::fromCodePage(screenName) == rolls::kService;
}

void readText(std::string_view bytes, Text& text) {
  text.resize(bytes.size());
  unsigned char seen = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    seen |= byte;
    text[i] = byte;
  }
  if ((seen & 0x80) != 0) text = chatlink::fromCodePage(bytes);
}

}  // namespace kestar::tally
