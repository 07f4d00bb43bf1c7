#include "irc/Message.h"

#include <algorithm>

namespace kestar::irc {
namespace {

bool isLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool validCommand(std::string_view command) {
  if (command.empty()) return false;
  if (std::all_of(command.begin(), command.end(), isLetter)) return true;
  return command.size() == 3 && std::all_of(command.begin(), command.end(), isDigit);
}

std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return result;
}

std::string unescapeTagValue(std::string_view value) {
  std::string result;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\') {
      result += value[i];
      continue;
    }
    if (++i == value.size()) break;  // a final lone backslash is dropped
    switch (value[i]) {
      case ':':
        result += ';';
        break;
      case 's':
        result += ' ';
        break;
      case 'r':
        result += '\r';
        break;
      case 'n':
        result += '\n';
        break;
      default:  // "\\" and unknown escapes keep the character without the backslash
        result += value[i];
    }
  }
  return result;
}

std::vector<Tag> parseTags(std::string_view block) {
  std::vector<Tag> tags;
  std::size_t from = 0;
  while (from <= block.size()) {
    const std::size_t end = std::min(block.find(';', from), block.size());
    const std::string_view item = block.substr(from, end - from);
    from = end + 1;
    if (item.empty()) continue;
    const std::size_t equals = item.find('=');
    if (equals == 0) continue;
    Tag tag{std::string(item.substr(0, equals)), {}};
    if (equals != std::string_view::npos) tag.value = unescapeTagValue(item.substr(equals + 1));
    tags.push_back(std::move(tag));
  }
  return tags;
}

// The next word after any run of blanks; the view is moved past it.
std::string_view nextWord(std::string_view& rest) {
  const std::size_t start = rest.find_first_not_of(' ');
  if (start == std::string_view::npos) {
    rest = {};
    return {};
  }
  rest.remove_prefix(start);
  const std::size_t end = std::min(rest.find(' '), rest.size());
  const std::string_view word = rest.substr(0, end);
  rest.remove_prefix(end);
  return word;
}

}  // namespace

std::string_view Message::param(std::size_t index) const {
  return index < params.size() ? std::string_view(params[index]) : std::string_view();
}

Source parseSource(std::string_view source) {
  Source result;
  const std::size_t at = source.find('@');
  const std::string_view beforeHost = source.substr(0, at);
  if (at != std::string_view::npos) result.host = source.substr(at + 1);
  const std::size_t bang = beforeHost.find('!');
  result.nick = beforeHost.substr(0, bang);
  if (bang != std::string_view::npos) result.user = beforeHost.substr(bang + 1);
  return result;
}

std::string_view sourceNick(const Message& message) {
  const std::string_view source = message.source;
  return source.substr(0, std::min(source.find_first_of("!@"), source.size()));
}

std::optional<Message> parseMessage(std::string_view line) {
  Message message;
  std::string_view rest = line;
  if (!rest.empty() && rest.front() == '@') {
    rest.remove_prefix(1);
    message.tags = parseTags(nextWord(rest));
  }
  rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
  if (!rest.empty() && rest.front() == ':') {
    rest.remove_prefix(1);
    message.source = nextWord(rest);
  }
  const std::string_view command = nextWord(rest);
  if (!validCommand(command)) return std::nullopt;
  message.command = upper(command);
  for (;;) {
    rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    if (rest.empty()) break;
    if (rest.front() == ':') {
      message.params.emplace_back(rest.substr(1));
      break;
    }
    message.params.emplace_back(nextWord(rest));
  }
  return message;
}

std::string sanitise(std::string_view bytes) {
  std::string result;
  result.reserve(bytes.size());
  for (const char c : bytes)
    if (c != '\0' && c != '\r' && c != '\n') result += c;
  return result;
}

bool isMiddle(std::string_view param) {
  return !param.empty() && param.front() != ':' &&
         param.find_first_of(std::string_view(" \r\n\0", 4)) == std::string_view::npos;
}

std::optional<std::string> serialise(const Message& message) {
  if (!validCommand(message.command) || message.params.size() > kMaxParams) return std::nullopt;
  std::string line = message.command;
  for (std::size_t i = 0; i < message.params.size(); ++i) {
    const std::string param = sanitise(message.params[i]);
    const bool plain = isMiddle(param);
    line += ' ';
    if (!plain) {
      if (i + 1 != message.params.size()) return std::nullopt;
      line += ':';
    }
    line += param;
  }
  return line;
}

Message makeMessage(std::string command, std::vector<std::string> params) {
  Message message;
  message.command = std::move(command);
  message.params = std::move(params);
  return message;
}

}  // namespace kestar::irc
