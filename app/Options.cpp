#include "app/Options.h"

#include <fstream>
#include <iterator>

#include "client/irc/IrcService.h"

namespace kestar::app {
namespace {

// The password is the file's first line, without its line end.
std::string readPassword(const std::string& file, std::string& error) {
  std::ifstream in(file, std::ios::binary);
  std::string line;
  if (!in || !std::getline(in, line)) {
    error = "cannot read a password from " + file;
    return {};
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.empty()) error = "the first line of " + file + " holds no password";
  return line;
}

}  // namespace

Options parseOptions(const std::vector<std::string>& arguments) {
  Options options;
  for (std::size_t i = 0; i < arguments.size() && options.error.empty(); ++i) {
    const std::string& argument = arguments[i];
    // An option's value follows it, or is joined to it with "=".
    std::string value;
    std::string name = argument;
    const std::size_t equals = argument.find('=');
    const bool joined = argument.rfind("--", 0) == 0 && equals != std::string::npos;
    if (joined) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
    }
    const auto takeValue = [&]() -> bool {
      if (joined) return true;
      if (i + 1 >= arguments.size()) {
        options.error = name + " needs a value";
        return false;
      }
      value = arguments[++i];
      return true;
    };
    if (name == "--help" || name == "-h") {
      options.help = true;
    } else if (name == "--version" && !joined) {
      options.version = true;
    } else if (name == "--serve-rolls" && !joined) {
      options.serveRolls = true;
    } else if (name == "--irc") {
      // Alone, it comes back to the server and nick the IRC controls last connected to.
      const bool alone =
          !joined && (i + 1 >= arguments.size() || arguments[i + 1].rfind("--", 0) == 0);
      options.irc = alone ? std::string() : (takeValue() ? value : std::string());
    } else if (name == "--nick") {
      if (takeValue()) options.nick = value;
    } else if (name == "--roller") {
      if (takeValue()) options.roller = value;
    } else if (name == "--roller-account") {
      if (takeValue()) options.rollerAccount = value;
    } else if (name == "--account") {
      if (takeValue()) options.account = value;
    } else if (name == "--password-file") {
      if (takeValue()) options.passwordFile = value;
    } else if (name == "--ca") {
      if (takeValue()) options.ca = value;
    } else if (argument.rfind("--", 0) == 0) {
      options.error = "unknown option " + argument;
    }
    // Anything else is Qt's own (-platform offscreen, -style Fusion), passed on to it.
  }
  if (!options.error.empty() || options.help || options.version) return options;
  if (options.irc && !options.irc->empty()) {
    if (!client::parseIrcAddress(*options.irc)) {
      options.error =
          "--irc takes ircs://HOST[:PORT]/ROOM or irc://HOST[:PORT]/ROOM, not " + *options.irc;
    } else if (options.nick.empty()) {
      options.error = "--irc needs --nick NAME";
    }
  } else if (!options.irc &&
             (options.serveRolls || !options.nick.empty() || !options.roller.empty() ||
              !options.rollerAccount.empty() || !options.account.empty() ||
              !options.passwordFile.empty() || !options.ca.empty())) {
    options.error =
        "--nick, --serve-rolls, --roller, --roller-account, --account, --password-file and --ca "
        "go with --irc";
  }
  if (options.error.empty() && !options.passwordFile.empty())
    options.password = readPassword(options.passwordFile, options.error);
  return options;
}

std::string helpText() {
  return "Usage: kestar [options]\n"
         "Kestar beside its own chat client. Without --irc the client uses the built-in practice\n"
         "service, offline.\n"
         "\n"
         "  --irc URL        talk in a room of an IRC network instead:\n"
         "                   ircs://HOST[:PORT]/ROOM  TLS, port 6697 unless given\n"
         "                   irc://HOST[:PORT]/ROOM   no TLS, port 6667 unless given\n"
         "                   ROOM is the room's name (Spar%20Arena) or its channel (#Spar_Arena)\n"
         "  --irc            alone: the server, room and nick the IRC controls last connected\n"
         "                   to, and whether they served the rolls\n"
         "  --nick NAME      your nick on the network (needed with --irc URL)\n"
         "  --serve-rolls    serve the room's rolls: answer //roll and //roll-diceN-sidesS\n"
         "  --roller NICK    the nick whose lines are the room's rolls while it is a channel\n"
         "                   operator (default " +
         std::string(irc::kDefaultRoller) +
         ")\n"
         "  --roller-account NAME\n"
         "                   where the server tags lines with accounts: the account whose\n"
         "                   lines are the room's rolls, whatever its nick and whether it is\n"
         "                   an operator (default the roller's nick)\n"
         "  --password-file FILE\n"
         "                   log in with SASL, with the password on the file's first line;\n"
         "                   without the login Kestar does not sign on\n"
         "  --account NAME   the account to log in as (default the nick)\n"
         "  --ca FILE        trust this certificate authority (PEM) besides the system's\n"
         "  --version        print Kestar's version and licence\n"
         "  --help           show this text\n"
         "Qt's own options, such as -platform, are passed on to Qt. Kestar needs a display.\n";
}

}  // namespace kestar::app
