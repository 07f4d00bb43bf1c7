#include "irc/LineReader.h"

namespace kestar::irc {

std::vector<std::string> LineReader::feed(std::string_view bytes) {
  std::vector<std::string> lines;
  for (const char c : bytes) {
    if (overflowed_) break;
    if (c == '\r' || c == '\n') {
      if (!pending_.empty()) lines.push_back(std::move(pending_));
      pending_.clear();
      continue;
    }
    if (c == '\0') {
      pending_ += "\xEF\xBF\xBD";
    } else {
      pending_ += c;
    }
    if (pending_.size() > limit_) {
      overflowed_ = true;
      pending_.clear();
    }
  }
  return lines;
}

void LineReader::reset() {
  pending_.clear();
  overflowed_ = false;
}

}  // namespace kestar::irc
