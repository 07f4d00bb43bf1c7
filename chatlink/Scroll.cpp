#include <algorithm>
#include <cmath>

#include "chatlink/ChatLink.h"

namespace kestar::chatlink {
namespace {

constexpr std::size_t kMinLineLength = 4;
constexpr std::size_t kMaxLineLength = 92;
constexpr int kLinesPerBreath = 4;
// The longest a wait sleeps between two looks at the clock.
constexpr double kLookInterval = 0.05;

char16_t foldCase(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - u'a' + u'A');
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  return c;
}

}  // namespace

std::size_t findNoCase(TextView text, TextView find, std::size_t from) {
  if (find.size() > text.size()) return TextView::npos;
  if (find.empty()) return from <= text.size() ? from : TextView::npos;
  // Most places fail at the first character: a cheap look there before the whole comparison.
  const char16_t first = foldCase(find.front());
  for (std::size_t i = from; i + find.size() <= text.size(); ++i) {
    if (foldCase(text[i]) != first) continue;
    bool match = true;
    for (std::size_t k = 1; k < find.size() && match; ++k) {
      match = foldCase(text[i + k]) == foldCase(find[k]);
    }
    if (match) return i;
  }
  return TextView::npos;
}

void Pause(Host& host, int seconds) {
  host.pauseBegins(seconds);
  const double now = host.timeOfDay();
  const double start = std::nearbyint(now);  // the default rounding: halves to even
  // The wait ends when the time of day reaches start + seconds. It is measured on the steady
  // clock, so that midnight or a clock set back does not stretch it.
  waitFor(host, start + seconds - now, {});
}

bool waitFor(Host& host, double limitSeconds, const std::function<bool()>& ready) {
  const double begin = host.steadySeconds();
  while (!host.ended()) {
    const double left = limitSeconds - (host.steadySeconds() - begin);
    if (left <= 0) return false;
    host.processEvents(std::min(left, kLookInterval));
    if (ready && !host.ended() && ready()) return true;
  }
  return false;
}

int LineCount(TextView text) {
  if (text.empty()) return 0;
  return 1 + static_cast<int>(std::count(text.begin(), text.end(), u'\r'));
}

Text GetLine(TextView text, int n) {
  const int count = LineCount(text);
  if (n > count || n < 1) return {};
  if (n == 1 && count == 1) return Text(text);
  TextView piece;
  if (n == 1) {
    piece = text.substr(0, text.find(u'\r'));
  } else {
    // From the (n-1)-th carriage return through the n-th one (or the end): both breaks are
    // removed below.
    std::size_t p = TextView::npos;
    for (int i = 0; i < n - 1; ++i)
      p = text.find(u'\r', p + 1);
    const std::size_t q = text.find(u'\r', p + 1);
    piece = q == TextView::npos ? text.substr(p) : text.substr(p, q - p + 1);
  }
  return ReplaceText(ReplaceText(piece, u"\r", u""), u"\n", u"");
}

Text ReplaceText(TextView text, TextView find, TextView replaceWith) {
  Text result(text);
  if (find.empty()) return result;
  std::size_t pos = findNoCase(result, find, 0);
  while (pos != TextView::npos) {
    result.replace(pos, find.size(), replaceWith);
    pos = findNoCase(result, find, pos + replaceWith.size());
  }
  return result;
}

void ScrollText(const Link& link, Text text, const Text& prefix, const ScrollProgress& progress) {
  if (FindChatRoom(link) == 0) return;
  if (text.empty()) return;
  const int count = LineCount(text);
  int k = 1;
  for (int i = 1; i <= count && !link.host.ended(); ++i) {
    if (progress) progress(i, count);
    Text line = GetLine(text, i);
    if (line.size() >= kMinLineLength) {
      if (line.size() > kMaxLineLength) line.resize(kMaxLineLength);
      SendChat(link, prefix + line);
      Pause(link.host, 1);
    }
    ++k;
    if (k > kLinesPerBreath) {
      Pause(link.host, 0);
      k = 1;
    }
  }
}

}  // namespace kestar::chatlink
