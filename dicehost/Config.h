#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "irc/Names.h"
#include "irc/Pacing.h"

// The dice host's configuration: an INI file of "key = value" lines, every key also an option.
// Plain C++, so that every rule is checked by tables.
namespace kestar::dicehost {

inline constexpr std::string_view kDefaultConfigFile = "/etc/kestar/dicehost.conf";

// One "key = value", with where it was given ("FILE:LINE" or "--key") for the problems it has,
// and the folder that a relative path in it is read from.
struct Setting {
  std::string key;
  std::string value;
  std::string where;
  std::filesystem::path base;
  int line = 0;  // in the file; 0 for an option
};

struct Room {
  std::string name;     // UTF-8, as the rooms of Kestar's client are named
  std::string channel;  // irc::roomToChannel of the name
};

struct Config {
  irc::ServerAddress server;
  std::vector<Room> rooms;
  std::string nick;
  std::string account;   // with password: SASL PLAIN
  std::string password;  // the first line of password-file; never shown
  std::filesystem::path ca;
  irc::Pace pace;  // of every line the dice host sends
  // What each nick may ask: a burst of requests, then so many a second.
  int requestBurst = 3;
  double requestsPerSecond = 1;
  std::filesystem::path stateDirectory;  // where the record of rolls goes; none: no record
};

// What systemd hands the service: $CREDENTIALS_DIRECTORY (LoadCredential=) and $STATE_DIRECTORY.
struct Places {
  std::filesystem::path credentials;
  std::filesystem::path state;
};

struct CommandLine {
  std::filesystem::path configFile{std::string(kDefaultConfigFile)};
  bool check = false;
  bool verbose = false;
  bool version = false;
  bool help = false;
  std::vector<Setting> settings;  // the keys given as options
  std::string error;
};

// Relative paths given as options are read from workingFolder.
CommandLine parseCommandLine(const std::vector<std::string>& arguments,
                             const std::filesystem::path& workingFolder);

struct Reading {
  Config config;
  std::vector<std::string> problems;  // every one, in the order of the file's lines, then the rest
};

// The configuration of a configuration file's text, with the options over its keys (the options'
// rooms replace the file's), the password read and the files it names checked. Problems name the
// file and the line.
Reading readConfig(std::string_view text, const std::filesystem::path& file,
                   const std::vector<Setting>& options, const Places& places);

// The command line's configuration file read and its options laid over it.
Reading loadConfig(const CommandLine& commandLine, const Places& places);

std::string helpText();

}  // namespace kestar::dicehost
