#include <array>

#include "chatlink/CodePage.h"

// Windows-1252, the code page of the client's usual systems, for platforms that have none.
namespace kestar::chatlink {
namespace {

// Code points of the bytes 0x80 to 0x9F; 0 marks the five bytes the code page leaves unused,
// which map to the C1 controls of the same number.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t decodeByte(unsigned char byte) {
  if (byte < 0x80 || byte > 0x9F) return byte;
  const char16_t mapped = kHigh[byte - 0x80];
  return mapped != 0 ? mapped : byte;
}

char encodeUnit(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  for (unsigned i = 0; i < kHigh.size(); ++i) {
    const char16_t byteValue = static_cast<char16_t>(0x80 + i);
    if (kHigh[i] == unit || (kHigh[i] == 0 && unit == byteValue)) {
      return static_cast<char>(byteValue);
    }
  }
  return '?';
}

}  // namespace

std::string toCodePage(TextView text) {
  // Each 16-bit unit is one character here, as for the system's own conversion: a character
  // beyond 16 bits (two units) becomes two "?".
  std::string bytes;
  bytes.reserve(text.size());
  for (const char16_t unit : text)
    bytes.push_back(encodeUnit(unit));
  return bytes;
}

Text fromCodePage(std::string_view bytes) {
  Text text;
  text.reserve(bytes.size());
  for (const char byte : bytes)
    text.push_back(decodeByte(static_cast<unsigned char>(byte)));
  return text;
}

}  // namespace kestar::chatlink
