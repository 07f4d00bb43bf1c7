#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One IRC protocol line, split into its parts. Everything here works on the raw bytes of the
// wire: the syntax is ASCII, the text of the parameters is decoded later (Text.h).
namespace kestar::irc {

struct Tag {
  std::string key;
  std::string value;  // unescaped; "k" and "k=" both give an empty value
  bool operator==(const Tag&) const = default;
};

struct Message {
  std::vector<Tag> tags;
  std::string source;               // "server" or "nick!user@host"; empty when the line has none
  std::string command;              // letters in upper case, or three digits
  std::vector<std::string> params;  // the trailing parameter is an ordinary one here

  // The parameter at index, or an empty text when the line has fewer.
  std::string_view param(std::size_t index) const;
  bool operator==(const Message&) const = default;
};

struct Source {
  std::string nick;  // the whole source when it names a server
  std::string user;
  std::string host;
};
Source parseSource(std::string_view source);
// The nick of the message's source (the whole source when it names a server).
std::string_view sourceNick(const Message& message);

// Reads one line without its line end. Lines without a valid command give nothing; any other
// bytes are taken as they are, for the line comes from strangers.
std::optional<Message> parseMessage(std::string_view line);

// The most parameters a line sends.
inline constexpr std::size_t kMaxParams = 15;

// The line to send, without line end and without tags or source (clients send none). NUL, CR and
// LF never leave: they are taken out of every parameter. Gives nothing for a message that cannot
// be written: a bad command, too many parameters, or a parameter other than the last that is
// empty, holds a blank or begins with ':' (sending it would shift the other parameters).
std::optional<std::string> serialise(const Message& message);

// Whether the bytes can be written as a parameter other than the last: not empty, no blank, no
// NUL, CR or LF, and no ':' in front.
bool isMiddle(std::string_view param);

// The bytes with NUL, CR and LF taken out.
std::string sanitise(std::string_view bytes);

// A message of a command and its parameters, for the lines the program sends.
Message makeMessage(std::string command, std::vector<std::string> params = {});

}  // namespace kestar::irc
