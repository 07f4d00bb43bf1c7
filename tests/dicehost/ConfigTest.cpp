#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dicehost/Config.h"
#include "tests/support/TempFolder.h"

namespace kestar::dicehost {
namespace {

namespace fs = std::filesystem;
using Problems = std::vector<std::string>;

// The files a configuration names, in a folder that is the working folder for the test.
class ConfigFiles : public ::testing::Test {
 protected:
  ConfigFiles() : working_(folder_.path()) {
    test::writeBytes(folder_ / "secret", "s3cret\r\nnot this line\n");
    test::writeBytes(folder_ / "empty", "");
    test::writeBytes(folder_ / "ca.pem",
                     "-----BEGIN CERTIFICATE-----\nMIIB\n-----END CERTIFICATE-----\n");
    fs::create_directory(folder_ / "state");
    fs::create_directory(folder_ / "credentials");
    test::writeBytes(folder_ / "credentials" / "secret", "from-systemd\n");
  }

  Reading read(const std::string& text, const std::vector<Setting>& options = {},
               const Places& places = {}) {
    return readConfig(text, "dicehost.conf", options, places);
  }

  test::TempFolder folder_;
  test::WorkingFolder working_;
};

TEST_F(ConfigFiles, EveryKeyAndTheDefaults) {
  const Reading full = read(
      "\xEF\xBB\xBF# the roll service of the spar rooms\r\n"
      "; a comment too\r\n"
      "\r\n"
      "  server = ircs://irc.example.invalid:7000  \r\n"
      "room = Spar Arena\r\n"
      "room=#Lobby\r\n"
      "nick = Dice[Bot]\r\n"
      "account = dicehost\r\n"
      "password-file = secret\r\n"
      "ca = ca.pem\r\n"
      "burst = 10\r\n"
      "lines-per-second = 2.5\r\n"
      "request-burst = 5\r\n"
      "requests-per-second = 0.5\r\n"
      "state-directory = state\r\n");
  EXPECT_EQ(full.problems, Problems{});
  const Config& config = full.config;
  EXPECT_EQ(config.server.host, "irc.example.invalid");
  EXPECT_EQ(config.server.port, 7000);
  EXPECT_TRUE(config.server.tls);
  ASSERT_EQ(config.rooms.size(), 2u);
  EXPECT_EQ(config.rooms[0].name, "Spar Arena");
  EXPECT_EQ(config.rooms[0].channel, "#Spar_Arena");
  EXPECT_EQ(config.rooms[1].name, "Lobby");
  EXPECT_EQ(config.rooms[1].channel, "#Lobby");
  EXPECT_EQ(config.nick, "Dice[Bot]");
  EXPECT_EQ(config.account, "dicehost");
  EXPECT_EQ(config.password, "s3cret");
  EXPECT_EQ(config.ca, fs::path("ca.pem"));
  EXPECT_EQ(config.pace.burst, 10);
  EXPECT_EQ(config.pace.interval.count(), 400);
  EXPECT_EQ(config.requestBurst, 5);
  EXPECT_EQ(config.requestsPerSecond, 0.5);
  EXPECT_EQ(config.stateDirectory, fs::path("state"));

  // Unsaid: port 6697, 4 lines then 1 a second, 3 requests then 1 a second per nick, and the
  // state folder systemd gives.
  const Reading least = read("server = ircs://h\nnick = DiceHost\nroom = Lobby\n", {},
                             {"credentials", "/var/lib/kestar-dicehost"});
  EXPECT_EQ(least.problems, Problems{});
  EXPECT_EQ(least.config.server.port, 6697);
  EXPECT_EQ(least.config.pace.burst, 4);
  EXPECT_EQ(least.config.pace.interval.count(), 1000);
  EXPECT_EQ(least.config.requestBurst, 3);
  EXPECT_EQ(least.config.requestsPerSecond, 1.0);
  EXPECT_EQ(least.config.stateDirectory, fs::path("/var/lib/kestar-dicehost"));
  EXPECT_EQ(least.config.password, "");

  // Options over the file's keys; their rooms replace the file's; systemd's credentials folder
  // holds a relative password file.
  const Reading over =
      read("server = ircs://h\nnick = DiceHost\nroom = Lobby\nroom = Spar Arena\nburst = 2\n",
           {{"nick", "Other", "--nick", "."},
            {"room", "Elsewhere", "--room", "."},
            {"burst", "6", "--burst", "."},
            {"account", "bot", "--account", "."},
            {"password-file", "secret", "--password-file", "."}},
           {"credentials", ""});
  EXPECT_EQ(over.problems, Problems{});
  EXPECT_EQ(over.config.nick, "Other");
  ASSERT_EQ(over.config.rooms.size(), 1u);
  EXPECT_EQ(over.config.rooms[0].channel, "#Elsewhere");
  EXPECT_EQ(over.config.pace.burst, 6);
  EXPECT_EQ(over.config.password, "from-systemd");
}

TEST_F(ConfigFiles, EveryProblemWithItsLine) {
  const std::string valid = "server = ircs://h\nnick = DiceHost\nroom = Lobby\n";
  const struct {
    std::string text;
    Problems problems;
  } cases[] = {
      {"",
       {"dicehost.conf: server is not given", "dicehost.conf: nick is not given",
        "dicehost.conf: no room is given"}},
      {"[dicehost]\nnonsense\n= 5\nnik = Bob\n" + valid,
       {"dicehost.conf:1: a section; this file has none, only key = value lines",
        "dicehost.conf:2: not a key = value line", "dicehost.conf:3: not a key = value line",
        "dicehost.conf:4: unknown key \"nik\""}},
      {valid + "nick = Again\nnick =\nserver = ircs://h\n",
       {"dicehost.conf:4: nick is given again (first at dicehost.conf:2)",
        "dicehost.conf:5: nick is given again (first at dicehost.conf:2)",
        "dicehost.conf:6: server is given again (first at dicehost.conf:1)"}},
      {"server =\nnick = a\tb\nroom = Lobby\n",
       {"dicehost.conf:1: server has no value", "dicehost.conf:2: nick holds a control character"}},
      {"server = irc://h\nnick = DiceHost\nroom = Lobby\n",
       {"dicehost.conf:1: server \"irc://h\" is not ircs://HOST[:PORT]"}},
      {"server = ircs://h:99999\nnick = DiceHost\nroom = Lobby\n",
       {"dicehost.conf:1: server \"ircs://h:99999\" is not ircs://HOST[:PORT]"}},
      {"server = ircs://h/Lobby\nnick = DiceHost\nroom = Lobby\n",
       {"dicehost.conf:1: server \"ircs://h/Lobby\" is not ircs://HOST[:PORT]"}},
      {"# the dice host\n\n  ; of the spar rooms\nserver = ircs://h\nnick = 1bad\nroom = Lobby\n",
       {"dicehost.conf:5: nick \"1bad\" is not a nick"}},
      {"server = ircs://h\nnick = Dice Host\nroom = Lobby\n",
       {"dicehost.conf:2: nick \"Dice Host\" is not a nick"}},
      {valid + "room = #a b\nroom = #a%5Fb%\nroom = #a%41\n",
       {"dicehost.conf:4: room \"#a b\" is not a room's channel",
        "dicehost.conf:5: room \"#a%5Fb%\" is not a room's channel",
        "dicehost.conf:6: room \"#a%41\" is not a room's channel"}},
      {valid + "room = LOBBY\nroom = Spar Arena\nroom = #spar_arena\n",
       {"dicehost.conf:4: room \"LOBBY\" is given again (first at dicehost.conf:3)",
        "dicehost.conf:6: room \"#spar_arena\" is given again (first at dicehost.conf:5)"}},
      {valid + "burst = 0\nrequest-burst = 101\n",
       {"dicehost.conf:4: burst \"0\" is not a whole number from 1 to 100",
        "dicehost.conf:5: request-burst \"101\" is not a whole number from 1 to 100"}},
      {valid + "burst = 1.5\nrequest-burst = x\n",
       {"dicehost.conf:4: burst \"1.5\" is not a whole number from 1 to 100",
        "dicehost.conf:5: request-burst \"x\" is not a whole number from 1 to 100"}},
      {valid + "lines-per-second = 0.001\nrequests-per-second = 100.5\n",
       {"dicehost.conf:4: lines-per-second \"0.001\" is not a number from 0.01 to 100",
        "dicehost.conf:5: requests-per-second \"100.5\" is not a number from 0.01 to 100"}},
      {valid + "lines-per-second = .5\nrequests-per-second = 1e2\n",
       {"dicehost.conf:4: lines-per-second \".5\" is not a number from 0.01 to 100",
        "dicehost.conf:5: requests-per-second \"1e2\" is not a number from 0.01 to 100"}},
      {valid + "account = dicehost\n", {"dicehost.conf:4: account goes with password-file"}},
      {valid + "password-file = secret\n", {"dicehost.conf:4: password-file goes with account"}},
      {valid + "account = dicehost\npassword-file = missing\n",
       {"dicehost.conf:5: password-file missing: no such file"}},
      {valid + "account = dicehost\npassword-file = empty\n",
       {"dicehost.conf:5: password-file empty is empty"}},
      {valid + "account = dicehost\npassword-file = state\n",
       {"dicehost.conf:5: password-file state: not a file"}},
      {valid + "ca = missing.pem\nca = secret\n",
       {"dicehost.conf:4: ca missing.pem: no such file",
        "dicehost.conf:5: ca is given again (first at dicehost.conf:4)"}},
      {valid + "ca = secret\n", {"dicehost.conf:4: ca secret holds no certificate"}},
      {valid + "state-directory = secret\nlines-per-second = 0\n",
       {"dicehost.conf:4: state-directory secret is not a folder",
        "dicehost.conf:5: lines-per-second \"0\" is not a number from 0.01 to 100"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(read(c.text).problems, c.problems) << c.text;

  // An option's problem names the option, after the file's lines and before what is missing.
  EXPECT_EQ(read("nick = 1bad\n", {{"server", "ircs://h:0", "--server", "."}}).problems,
            (Problems{"dicehost.conf:1: nick \"1bad\" is not a nick",
                      "--server: server \"ircs://h:0\" is not ircs://HOST[:PORT]",
                      "dicehost.conf: no room is given"}));
  CommandLine missing;
  missing.configFile = "nowhere.conf";
  missing.settings = {{"server", "ircs://h", "--server", "."},
                      {"nick", "DiceHost", "--nick", "."},
                      {"room", "Lobby", "--room", "."}};
  EXPECT_EQ(loadConfig(missing, {}).problems, Problems{"nowhere.conf: no such file"});
}

TEST(DiceHostCommandLine, OptionsAndTheirValues) {
  const CommandLine none = parseCommandLine({}, "/work");
  EXPECT_EQ(none.configFile, fs::path("/etc/kestar/dicehost.conf"));
  EXPECT_FALSE(none.check || none.verbose || none.version || none.help);
  EXPECT_EQ(none.error, "");

  const CommandLine all = parseCommandLine(
      {"--config", "my.conf", "--check", "--verbose", "--version", "--help", "--room=Spar Arena",
       "--room", "#Lobby", "--password-file", "pw", "--requests-per-second=2"},
      "/work");
  EXPECT_EQ(all.configFile, fs::path("/work/my.conf"));
  EXPECT_TRUE(all.check && all.verbose && all.version && all.help);
  ASSERT_EQ(all.settings.size(), 4u);
  const std::vector<std::pair<std::string, std::string>> given = {{"room", "Spar Arena"},
                                                                  {"room", "#Lobby"},
                                                                  {"password-file", "pw"},
                                                                  {"requests-per-second", "2"}};
  for (std::size_t i = 0; i < given.size(); ++i) {
    EXPECT_EQ(all.settings[i].key, given[i].first);
    EXPECT_EQ(all.settings[i].value, given[i].second);
    EXPECT_EQ(all.settings[i].where, "--" + given[i].first);
    EXPECT_EQ(all.settings[i].base, fs::path("/work"));
  }
  EXPECT_EQ(parseCommandLine({"--config=/srv/d.conf"}, "/work").configFile,
            fs::path("/srv/d.conf"));

  const struct {
    std::vector<std::string> arguments;
    const char* error;
  } wrong[] = {
      {{"--nick"}, "--nick needs a value"},
      {{"--config"}, "--config needs a value"},
      {{"--password", "x"}, "unknown option --password"},
      {{"--check", "extra.conf"}, "unexpected argument \"extra.conf\""},
  };
  for (const auto& c : wrong)
    EXPECT_EQ(parseCommandLine(c.arguments, "/work").error, c.error) << c.error;

  // Every key of the file is an option.
  for (const char* key :
       {"server", "room", "nick", "account", "password-file", "ca", "burst", "lines-per-second",
        "request-burst", "requests-per-second", "state-directory"}) {
    const CommandLine line = parseCommandLine({std::string("--") + key, "v"}, "/work");
    EXPECT_EQ(line.error, "") << key;
    EXPECT_NE(helpText().find(std::string("--") + key), std::string::npos) << key;
  }
}

}  // namespace
}  // namespace kestar::dicehost
