#include "tests/support/SimFixture.h"

#include <algorithm>

namespace kestar::test {
namespace {

std::string listing(const std::vector<client::Message>& messages) {
  std::string text;
  for (const auto& message : messages)
    text += "    " + client::describe(message) + "\n";
  return text.empty() ? "    (none)\n" : text;
}

}  // namespace

::testing::AssertionResult sameMessages(const std::vector<client::Message>& actual,
                                        const std::vector<client::Message>& expected) {
  if (actual == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "\n  expected:\n"
                                       << listing(expected) << "  actual:\n"
                                       << listing(actual);
}

std::vector<client::Message> withoutReads(const std::vector<client::Message>& messages) {
  std::vector<client::Message> kept;
  std::copy_if(messages.begin(), messages.end(), std::back_inserter(kept),
               [](const client::Message& m) { return m.msg != chatlink::WmGetText; });
  return kept;
}

Text wide(std::string_view utf8) {
  Text text;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    char32_t code = byte;
    int extra = 0;
    if (byte >= 0xF0) {
      code = byte & 0x07;
      extra = 3;
    } else if (byte >= 0xE0) {
      code = byte & 0x0F;
      extra = 2;
    } else if (byte >= 0xC0) {
      code = byte & 0x1F;
      extra = 1;
    }
    ++i;
    for (int k = 0; k < extra && i < utf8.size(); ++k, ++i) {
      code = (code << 6) | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    }
    if (code >= 0x10000) {
      code -= 0x10000;
      text.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      text.push_back(static_cast<char16_t>(code));
    }
  }
  return text;
}

std::string narrow(TextView text) {
  std::string bytes;
  for (const char16_t unit : text) {
    bytes.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
  }
  return bytes;
}

}  // namespace kestar::test
