#include "irc/Names.h"

#include <charconv>

namespace kestar::irc {
namespace {

bool needsEscape(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == '_' || c == '%' || c == ',' || c == ':';
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string roomToChannel(std::string_view room) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string channel = "#";
  for (const char c : room) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == ' ') {
      channel += '_';
    } else if (needsEscape(byte)) {
      channel += '%';
      channel += kHex[byte >> 4];
      channel += kHex[byte & 0xF];
    } else {
      channel += c;
    }
  }
  return channel;
}

std::optional<std::string> channelToRoom(std::string_view channel) {
  if (channel.size() < 2 || channel.front() != '#') return std::nullopt;
  std::string room;
  for (std::size_t i = 1; i < channel.size(); ++i) {
    const char c = channel[i];
    if (c == '_') {
      room += ' ';
    } else if (c == '%') {
      if (i + 2 >= channel.size()) return std::nullopt;
      const int high = hexValue(channel[i + 1]);
      const int low = hexValue(channel[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      const auto byte = static_cast<unsigned char>(high * 16 + low);
      if (!needsEscape(byte)) return std::nullopt;  // one room, one channel
      room += static_cast<char>(byte);
      i += 2;
    } else if (c == ' ' || needsEscape(static_cast<unsigned char>(c))) {
      return std::nullopt;
    } else {
      room += c;
    }
  }
  return room;
}

std::optional<ServerAddress> parseServerAddress(std::string_view url) {
  ServerAddress address;
  constexpr std::string_view kTls = "ircs://";
  constexpr std::string_view kPlain = "irc://";
  if (url.starts_with(kTls)) {
    url.remove_prefix(kTls.size());
  } else if (url.starts_with(kPlain)) {
    url.remove_prefix(kPlain.size());
    address.tls = false;
    address.port = 6667;
  } else {
    return std::nullopt;
  }
  const std::size_t colon = url.rfind(':');
  if (colon != std::string_view::npos && url.find(']') == std::string_view::npos) {
    const std::string_view digits = url.substr(colon + 1);
    unsigned port = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (error != std::errc() || end != digits.data() + digits.size() || port < 1 || port > 65535)
      return std::nullopt;
    address.port = static_cast<unsigned short>(port);
    url = url.substr(0, colon);
  }
  if (url.empty() || url.find('/') != std::string_view::npos) return std::nullopt;
  address.host = std::string(url);
  return address;
}

std::string alternateNick(std::string_view wanted, int attempt, std::size_t nickLength) {
  std::string suffix;
  if (attempt <= 1) {
    suffix = "_";
  } else if (attempt <= 10) {
    suffix = std::to_string(attempt - 1);
  } else {
    suffix = std::to_string(10 + (attempt - 11) % 90);
  }
  const std::size_t keep = nickLength > suffix.size() ? nickLength - suffix.size() : 1;
  return std::string(wanted.substr(0, keep)) + suffix;
}

}  // namespace kestar::irc
