#pragma once

#include <string>

// What a person types into the own client's say box: a line to say, or a command after "/".
namespace kestar::client {

enum class CommandKind {
  Say,      // text: the line, as typed
  Me,       // text: the action
  Msg,      // target: a nick; text: the message
  Notice,   // target: a nick; text: the notice
  Join,     // target: a room's name, or a channel
  Part,     // text: the reason, may be empty
  Nick,     // target: the new nick
  Topic,    // text: the new topic; empty asks what it is
  Mode,     // target: a channel, or empty for the room's own; text: the modes and their nicks
  Quit,     // text: the reason, may be empty
  Whois,    // target: a nick
  Usage,    // text: how the command is written
  Unknown,  // nothing is sent
};

struct Command {
  CommandKind kind = CommandKind::Say;
  // The command as typed, after its "/" and in lower case ("op" for /op, which is a Mode).
  std::string name;
  std::string target;
  std::string text;

  friend bool operator==(const Command&, const Command&) = default;
};

// A line that does not begin with "/", or begins with "//", is said as it stands (so "//roll"
// reaches the roll service). "/NAME" and what follows is a command; names are read without
// regard to letter case. /op NICK and /deop NICK are the modes +o and -o. A command without what
// it needs is its Usage ("/msg NICK TEXT").
Command parseCommand(const std::string& line);

}  // namespace kestar::client
