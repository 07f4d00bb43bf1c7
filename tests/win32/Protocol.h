#pragma once

#include <string>
#include <string_view>
#include <vector>

// The line protocol between a test and the stand-in client: a command is words separated by
// blanks, texts travel as hexadecimal bytes, an answer is lines ending with a line ".".
namespace kestar::test::protocol {

inline std::string hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const char byte : bytes) {
    const auto value = static_cast<unsigned char>(byte);
    text.push_back(kDigits[value >> 4]);
    text.push_back(kDigits[value & 15]);
  }
  return text.empty() ? "-" : text;
}

inline std::string unhex(std::string_view text) {
  if (text == "-") return {};
  auto digit = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
  std::string bytes;
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    bytes.push_back(static_cast<char>(digit(text[i]) * 16 + digit(text[i + 1])));
  }
  return bytes;
}

inline std::vector<std::string> words(std::string_view line) {
  std::vector<std::string> result;
  std::size_t start = 0;
  while (start < line.size()) {
    const std::size_t end = line.find(' ', start);
    result.emplace_back(line.substr(start, end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return result;
}

}  // namespace kestar::test::protocol
