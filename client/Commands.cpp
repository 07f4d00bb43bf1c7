#include "client/Commands.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

namespace kestar::client {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view skipBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view trimmed(std::string_view text) {
  text = skipBlanks(text);
  return text.substr(0, text.find_last_not_of(kBlanks) + 1);
}

// The first word of the text and what follows it, blanks between them skipped.
std::pair<std::string_view, std::string_view> firstWord(std::string_view text) {
  text = skipBlanks(text);
  const std::size_t end = std::min(text.find_first_of(kBlanks), text.size());
  return {text.substr(0, end), skipBlanks(text.substr(end))};
}

std::string lowered(std::string_view text) {
  std::string result(text);
  for (char& c : result)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

Command usage(const std::string& name, const char* form) {
  return Command{CommandKind::Usage, name, {}, form};
}

// A word and a text after it, both needed (/msg, /notice).
Command toSomeone(CommandKind kind, const std::string& name, std::string_view rest,
                  const char* form) {
  const auto [nick, text] = firstWord(rest);
  if (nick.empty() || text.empty()) return usage(name, form);
  return Command{kind, name, std::string(nick), std::string(text)};
}

// One word and nothing more (/nick, /whois, /op).
std::string_view onlyWord(std::string_view rest) {
  const auto [word, more] = firstWord(rest);
  return more.empty() ? word : std::string_view();
}

}  // namespace

Command parseCommand(const std::string& line) {
  if (line.empty() || line.front() != '/' || line.rfind("//", 0) == 0)
    return Command{CommandKind::Say, {}, {}, line};
  const std::string_view typed = std::string_view(line).substr(1);
  const std::size_t end = std::min(typed.find_first_of(kBlanks), typed.size());
  const std::string name = lowered(typed.substr(0, end));
  const std::string_view rest = trimmed(typed.substr(end));

  if (name == "me") {
    if (rest.empty()) return usage(name, "/me ACTION");
    return Command{CommandKind::Me, name, {}, std::string(rest)};
  }
  if (name == "msg") return toSomeone(CommandKind::Msg, name, rest, "/msg NICK TEXT");
  if (name == "notice") return toSomeone(CommandKind::Notice, name, rest, "/notice NICK TEXT");
  if (name == "join") {
    if (rest.empty()) return usage(name, "/join ROOM");
    return Command{CommandKind::Join, name, std::string(rest), {}};
  }
  if (name == "part") return Command{CommandKind::Part, name, {}, std::string(rest)};
  if (name == "topic") return Command{CommandKind::Topic, name, {}, std::string(rest)};
  if (name == "quit") return Command{CommandKind::Quit, name, {}, std::string(rest)};
  if (name == "nick" || name == "whois") {
    const std::string_view nick = onlyWord(rest);
    if (nick.empty()) return usage(name, name == "nick" ? "/nick NAME" : "/whois NICK");
    return Command{
        name == "nick" ? CommandKind::Nick : CommandKind::Whois, name, std::string(nick), {}};
  }
  if (name == "op" || name == "deop") {
    const std::string_view nick = onlyWord(rest);
    if (nick.empty()) return usage(name, name == "op" ? "/op NICK" : "/deop NICK");
    return Command{CommandKind::Mode, name, {}, (name == "op" ? "+o " : "-o ") + std::string(nick)};
  }
  if (name == "mode") {
    auto [channel, modes] = firstWord(rest);
    if (channel.empty() || channel.front() != '#') {
      modes = rest;
      channel = {};
    }
    if (modes.empty() || (modes.front() != '+' && modes.front() != '-'))
      return usage(name, "/mode [#CHANNEL] +o NICK, -o NICK, +l N or -l");
    return Command{CommandKind::Mode, name, std::string(channel), std::string(modes)};
  }
  return Command{CommandKind::Unknown, name, {}, {}};
}

}  // namespace kestar::client
