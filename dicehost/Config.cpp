#include "dicehost/Config.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <sstream>

namespace kestar::dicehost {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 11> kKeys = {"server",         "room",
                                                    "nick",           "account",
                                                    "password-file",  "ca",
                                                    "burst",          "lines-per-second",
                                                    "request-burst",  "requests-per-second",
                                                    "state-directory"};

bool isKey(std::string_view name) {
  return std::ranges::find(kKeys, name) != kKeys.end();
}

std::string_view trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string inQuotes(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

bool hasControl(std::string_view text) {
  return std::ranges::any_of(text, [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
  });
}

// RFC 2812's nick: a letter or one of []\`_^{|} first, then those, digits and "-".
bool isNick(std::string_view nick) {
  const auto special = [](char c) {
    return std::string_view("[]\\`_^{|}").find(c) != std::string_view::npos;
  };
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (nick.empty() || !(letter(nick.front()) || special(nick.front()))) return false;
  return std::ranges::all_of(
      nick, [&](char c) { return letter(c) || special(c) || (c >= '0' && c <= '9') || c == '-'; });
}

std::optional<int> wholeNumber(std::string_view text, int low, int high) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || number < low || number > high)
    return std::nullopt;
  return number;
}

// Digits with an optional fraction: "1", "0.5", "2.25".
std::optional<double> rate(std::string_view text) {
  constexpr double kLowest = 0.01;
  constexpr double kHighest = 100;
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const std::string_view fraction =
      point == std::string_view::npos ? std::string_view("0") : text.substr(point + 1);
  const auto digits = [](std::string_view part) {
    return !part.empty() && part.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (!digits(whole) || !digits(fraction)) return std::nullopt;
  double number = 0;
  std::from_chars(text.data(), text.data() + text.size(), number);
  if (number < kLowest || number > kHighest) return std::nullopt;
  return number;
}

irc::Millis interval(double perSecond) {
  return irc::Millis(std::llround(1000.0 / perSecond));
}

std::optional<std::string> readWhole(const fs::path& path, std::string& why) {
  std::error_code error;
  if (!fs::exists(path, error)) {
    why = "no such file";
    return std::nullopt;
  }
  if (!fs::is_regular_file(path, error)) {
    why = "not a file";
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    why = std::strerror(errno);
    return std::nullopt;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

fs::path resolved(const fs::path& path, const fs::path& base) {
  return path.is_absolute() || base.empty() ? path : base / path;
}

std::string asciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// Problems in the order of the file's lines, the options' after them, what is missing last.
using Problems = std::vector<std::pair<int, std::string>>;
constexpr int kOptionRank = std::numeric_limits<int>::max() - 1;
constexpr int kLastRank = std::numeric_limits<int>::max();

int rank(const Setting& setting) {
  return setting.line > 0 ? setting.line : kOptionRank;
}

// The settings applied to the configuration one by one, each problem said.
class Builder final {
 public:
  Builder(Config& config, Problems& problems, const Places& places)
      : config_(config), problems_(problems), places_(places) {}

  void apply(const Setting& setting) {
    const std::string& value = setting.value;
    if (setting.key != "room") {
      const auto [first, fresh] = firstAt_.try_emplace(setting.key, setting);
      if (!fresh)
        return problem(setting,
                       setting.key + " is given again (first at " + first->second.where + ")");
    }
    if (value.empty()) return problem(setting, setting.key + " has no value");
    if (hasControl(value)) return problem(setting, setting.key + " holds a control character");
    Config& config = config_;
    if (setting.key == "server") {
      const std::optional<irc::ServerAddress> server = irc::parseServerAddress(value);
      if (!server || !server->tls)
        return problem(setting, "server " + inQuotes(value) + " is not ircs://HOST[:PORT]");
      config.server = *server;
    } else if (setting.key == "room") {
      addRoom(setting);
    } else if (setting.key == "nick") {
      if (!isNick(value)) return problem(setting, "nick " + inQuotes(value) + " is not a nick");
      config.nick = value;
    } else if (setting.key == "account") {
      config.account = value;
    } else if (setting.key == "password-file") {
      readPassword(setting);
    } else if (setting.key == "ca") {
      config.ca = resolved(value, setting.base);
      std::string why;
      const std::optional<std::string> bytes = readWhole(config.ca, why);
      if (!bytes) return problem(setting, "ca " + config.ca.string() + ": " + why);
      if (bytes->find("-----BEGIN CERTIFICATE-----") == std::string::npos)
        return problem(setting, "ca " + config.ca.string() + " holds no certificate");
    } else if (setting.key == "burst" || setting.key == "request-burst") {
      const std::optional<int> count = wholeNumber(value, 1, 100);
      if (!count)
        return problem(
            setting, setting.key + " " + inQuotes(value) + " is not a whole number from 1 to 100");
      if (setting.key == "burst") {
        config.pace.burst = *count;
      } else {
        config.requestBurst = *count;
      }
    } else if (setting.key == "lines-per-second" || setting.key == "requests-per-second") {
      const std::optional<double> perSecond = rate(value);
      if (!perSecond)
        return problem(setting,
                       setting.key + " " + inQuotes(value) + " is not a number from 0.01 to 100");
      if (setting.key == "lines-per-second") {
        config.pace.interval = interval(*perSecond);
      } else {
        config.requestsPerSecond = *perSecond;
      }
    } else if (setting.key == "state-directory") {
      config.stateDirectory = resolved(value, setting.base);
      std::error_code error;
      if (!fs::is_directory(config.stateDirectory, error))
        return problem(setting,
                       "state-directory " + config.stateDirectory.string() + " is not a folder");
    }
  }

  void finish(const std::string& file) {
    const auto missing = [&](const std::string& text) {
      problems_.emplace_back(kLastRank, file + ": " + text);
    };
    if (!firstAt_.contains("server")) missing("server is not given");
    if (!firstAt_.contains("nick")) missing("nick is not given");
    if (roomsAt_.empty()) missing("no room is given");
    const auto account = firstAt_.find("account");
    const auto passwordFile = firstAt_.find("password-file");
    if (account != firstAt_.end() && passwordFile == firstAt_.end())
      problem(account->second, "account goes with password-file");
    if (passwordFile != firstAt_.end() && account == firstAt_.end())
      problem(passwordFile->second, "password-file goes with account");
    if (config_.stateDirectory.empty()) config_.stateDirectory = places_.state;
  }

 private:
  void problem(const Setting& setting, const std::string& text) {
    problems_.emplace_back(rank(setting), setting.where + ": " + text);
  }

  void addRoom(const Setting& setting) {
    Room room;
    if (setting.value.front() == '#') {
      const std::optional<std::string> name = irc::channelToRoom(setting.value);
      if (!name)
        return problem(setting, "room " + inQuotes(setting.value) + " is not a room's channel");
      room = {*name, setting.value};
    } else {
      room = {setting.value, irc::roomToChannel(setting.value)};
    }
    // Rooms that differ only in case are one room.
    const auto [first, fresh] = roomsAt_.try_emplace(asciiLower(room.channel), setting.where);
    if (!fresh)
      return problem(setting, "room " + inQuotes(setting.value) + " is given again (first at " +
                                  first->second + ")");
    config_.rooms.push_back(std::move(room));
  }

  void readPassword(const Setting& setting) {
    // Under systemd, LoadCredential= puts the password where only the service reads it.
    const fs::path file =
        resolved(setting.value, places_.credentials.empty() ? setting.base : places_.credentials);
    std::string why;
    const std::optional<std::string> bytes = readWhole(file, why);
    if (!bytes) return problem(setting, "password-file " + file.string() + ": " + why);
    std::string password = bytes->substr(0, bytes->find('\n'));
    if (!password.empty() && password.back() == '\r') password.pop_back();
    if (password.empty()) return problem(setting, "password-file " + file.string() + " is empty");
    config_.password = std::move(password);
  }

  Config& config_;
  Problems& problems_;
  const Places& places_;
  std::map<std::string, Setting> firstAt_;      // each key as first given
  std::map<std::string, std::string> roomsAt_;  // where each room was given, by folded channel
};

}  // namespace

CommandLine parseCommandLine(const std::vector<std::string>& arguments,
                             const fs::path& workingFolder) {
  CommandLine line;
  for (std::size_t i = 0; i < arguments.size() && line.error.empty(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--check") {
      line.check = true;
    } else if (argument == "--verbose") {
      line.verbose = true;
    } else if (argument == "--version") {
      line.version = true;
    } else if (argument == "--help" || argument == "-h") {
      line.help = true;
    } else if (argument.starts_with("--")) {
      const std::size_t equals = argument.find('=');
      const std::string name = argument.substr(2, equals - 2);
      if (name != "config" && !isKey(name)) {
        line.error = "unknown option --" + name;
        break;
      }
      std::string value;
      if (equals != std::string::npos) {
        value = argument.substr(equals + 1);
      } else if (i + 1 < arguments.size()) {
        value = arguments[++i];
      } else {
        line.error = "--" + name + " needs a value";
        break;
      }
      if (name == "config") {
        line.configFile = resolved(value, workingFolder);
      } else {
        line.settings.push_back({name, value, "--" + name, workingFolder});
      }
    } else {
      line.error = "unexpected argument " + inQuotes(argument);
    }
  }
  return line;
}

Reading readConfig(std::string_view text, const fs::path& file, const std::vector<Setting>& options,
                   const Places& places) {
  Config config;
  Problems problems;
  Builder builder(config, problems, places);
  const auto overridden = [&](std::string_view key) {
    return std::ranges::any_of(options, [&](const Setting& option) { return option.key == key; });
  };
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  int number = 0;
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t end = std::min(text.find('\n', from), text.size());
    std::string_view line = text.substr(from, end - from);
    from = end + 1;
    ++number;
    if (line.ends_with('\r')) line.remove_suffix(1);
    line = trimmed(line);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    const std::string where = file.string() + ":" + std::to_string(number);
    const std::size_t equals = line.find('=');
    const std::string_view key = trimmed(line.substr(0, equals));
    if (line.front() == '[') {
      problems.emplace_back(number,
                            where + ": a section; this file has none, only key = value lines");
    } else if (equals == std::string_view::npos || key.empty()) {
      problems.emplace_back(number, where + ": not a key = value line");
    } else if (!isKey(key)) {
      problems.emplace_back(number, where + ": unknown key " + inQuotes(key));
    } else if (!overridden(key)) {
      builder.apply({std::string(key), std::string(trimmed(line.substr(equals + 1))), where,
                     file.parent_path(), number});
    }
  }
  for (const Setting& option : options)
    builder.apply(option);
  builder.finish(file.string());
  std::ranges::stable_sort(problems, {}, [](const auto& problem) { return problem.first; });
  Reading reading{std::move(config), {}};
  for (auto& [line, problem] : problems)
    reading.problems.push_back(std::move(problem));
  return reading;
}

Reading loadConfig(const CommandLine& commandLine, const Places& places) {
  std::string why;
  const std::optional<std::string> text = readWhole(commandLine.configFile, why);
  Reading reading =
      readConfig(text.value_or(""), commandLine.configFile, commandLine.settings, places);
  if (!text)
    reading.problems.insert(reading.problems.begin(), commandLine.configFile.string() + ": " + why);
  return reading;
}

std::string helpText() {
  return "Usage: kestar-dicehost [--config FILE] [--check] [--verbose] [--KEY VALUE]...\n"
         "Serves the rolls of chat rooms on an IRC network, as a room's roll service.\n"
         "\n"
         "  --config FILE   the configuration (default " +
         std::string(kDefaultConfigFile) +
         ")\n"
         "  --check         say every problem of the configuration and exit: 0 when there\n"
         "                  is none, else 2; connects to nothing\n"
         "  --verbose       log every answer too\n"
         "  --version       print the version and the licence\n"
         "  --help          print this text\n"
         "\n"
         "Every key of the file is also an option, over the file's value:\n"
         "  --server ircs://HOST[:PORT]   --room NAME or #CHANNEL (again for more rooms)\n"
         "  --nick NICK   --account NAME   --password-file FILE   --ca FILE\n"
         "  --burst N   --lines-per-second N   --request-burst N   --requests-per-second N\n"
         "  --state-directory FOLDER\n"
         "\n"
         "SIGTERM and SIGINT quit; SIGHUP reads the configuration again.\n"
         "See kestar-dicehost(1).\n";
}

}  // namespace kestar::dicehost
