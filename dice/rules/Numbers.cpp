#include "dice/rules/Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace kestar::rolls {
namespace {

bool isBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

bool isExponentMark(char16_t c) {
  return c == u'E' || c == u'e' || c == u'D' || c == u'd';
}

// Walks a text as the parse sees it: blanks are not there.
class Reader {
 public:
  explicit Reader(TextView text) : text_(text) {}

  char16_t peek() {
    while (pos_ < text_.size() && isBlank(text_[pos_]))
      ++pos_;
    return pos_ < text_.size() ? text_[pos_] : u'\0';
  }
  void next() { ++pos_; }
  // Appends the digits that follow to out; returns how many there were.
  std::size_t digits(std::string& out) {
    std::size_t count = 0;
    for (char16_t c = peek(); isDigit(c); c = peek()) {
      out += static_cast<char>(c);
      next();
      ++count;
    }
    return count;
  }

 private:
  TextView text_;
  std::size_t pos_ = 0;
};

// Whether a significand and exponent that a double cannot hold lie above its range (rather than
// below it): the place of the first significant digit, moved by the exponent, decides.
bool beyondLargest(const std::string& significand, const std::string& exponent) {
  long long place = 0;
  const std::size_t point = significand.find('.');
  const std::size_t first = significand.find_first_not_of("0.");
  if (first != std::string::npos) {
    place = first < point ? static_cast<long long>(std::min(point, significand.size()) - first)
                          : -static_cast<long long>(first - point - 1);
  }
  long long shift = 0;
  const bool negative = !exponent.empty() && exponent.front() == '-';
  for (char c : exponent) {
    if (c == '-' || c == '+') continue;
    shift = std::min(shift * 10 + (c - '0'), 1'000'000'000LL);
  }
  return place + (negative ? -shift : shift) > 0;
}

}  // namespace

double leadingNumber(TextView text) {
  Reader reader(text);
  bool negative = false;
  if (const char16_t sign = reader.peek(); sign == u'+' || sign == u'-') {
    negative = sign == u'-';
    reader.next();
  }
  // A whole number of up to 15 digits with no point or exponent after it, the usual die value,
  // is exact in a double digit by digit: the chat log tally reads hundreds of thousands of them.
  // Any other number is read again below.
  const Reader atDigits = reader;
  double whole = 0;
  std::size_t wholeDigits = 0;
  for (char16_t c = reader.peek(); isDigit(c) && wholeDigits <= 15; c = reader.peek()) {
    whole = whole * 10 + (c - u'0');
    ++wholeDigits;
    reader.next();
  }
  if (const char16_t after = reader.peek();
      wholeDigits >= 1 && wholeDigits <= 15 && after != u'.' && !isExponentMark(after)) {
    return negative ? -whole : whole;
  }
  reader = atDigits;

  std::string significand;
  std::size_t count = reader.digits(significand);
  if (reader.peek() == u'.') {
    reader.next();
    significand += '.';
    count += reader.digits(significand);
  }
  if (count == 0) return 0;

  std::string exponent;
  if (isExponentMark(reader.peek())) {
    reader.next();
    std::string sign;
    if (const char16_t c = reader.peek(); c == u'+' || c == u'-') {
      sign = static_cast<char>(c);
      reader.next();
    }
    std::string digits;
    if (reader.digits(digits) > 0) exponent = sign + digits;
  }

  const std::string number = (significand.front() == '.' ? "0" : "") + significand +
                             (exponent.empty() ? "" : "e" + exponent);
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  static_cast<void>(end);
  if (error == std::errc::result_out_of_range) {
    value = beyondLargest(significand, exponent) ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

Text numberText(double value) {
  if (value == 0) return u"0";  // also for a negative zero, which is no negative number
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  static_cast<void>(error);  // 64 characters hold any double at 15 digits
  Text text;
  for (const char* c = buffer; c != end; ++c)
    text += *c == 'e' ? u'E' : static_cast<char16_t>(*c);
  return text;
}

Text decimalText(long long value) {
  const std::string digits = std::to_string(value);
  return Text(digits.begin(), digits.end());
}

}  // namespace kestar::rolls
