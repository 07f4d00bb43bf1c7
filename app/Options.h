#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestar::app {

// How Kestar was asked to start.
struct Options {
  bool help = false;
  bool version = false;
  // With --irc: the own client talks to an IRC room instead of the practice service.
  // ircs://HOST[:PORT]/ROOM or irc://...; empty for the last connection of the IRC controls.
  std::optional<std::string> irc;
  std::string nick;
  bool serveRolls = false;
  std::string roller;         // empty: the default roller
  std::string rollerAccount;  // empty: the roller's nick as an account
  std::string account;        // the SASL login's account; empty: the nick
  // The SASL login's password, read from --password-file FILE (never given on the command line).
  std::string passwordFile;
  std::string password;
  std::string ca;
  // What is wrong with the command line, when something is.
  std::string error;
};

// Reads the arguments after the program's name, and the password file when one is given.
Options parseOptions(const std::vector<std::string>& arguments);

// What `kestar --help` prints.
std::string helpText();

}  // namespace kestar::app
