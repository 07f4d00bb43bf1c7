#include "dicehost/RunDiceHost.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "Version.h"
#include "dicehost/Config.h"
#include "dicehost/DiceHost.h"
#include "dicehost/Log.h"
#include "dicehost/SignalPipe.h"

namespace kestar::dicehost {
namespace {

Places placesFromEnvironment() {
  const auto variable = [](const char* name) {
    const char* value = std::getenv(name);
    return std::filesystem::path(value == nullptr ? "" : value);
  };
  return {variable("CREDENTIALS_DIRECTORY"), variable("STATE_DIRECTORY")};
}

std::string signalName(int signalNumber) {
  switch (signalNumber) {
    case SIGTERM:
      return "SIGTERM";
    case SIGINT:
      return "SIGINT";
    case SIGHUP:
      return "SIGHUP";
    default:
      return "signal " + std::to_string(signalNumber);
  }
}

// The configuration read again on SIGHUP, kept as it was when it has a problem.
void reread(const CommandLine& commandLine, DiceHost& host) {
  logLine("SIGHUP: reading " + commandLine.configFile.string() + " again");
  Reading reading = loadConfig(commandLine, placesFromEnvironment());
  for (const std::string& problem : reading.problems)
    logLine(problem);
  if (!reading.problems.empty()) {
    logLine("The configuration stays as it was");
    return;
  }
  host.reconfigure(std::move(reading.config));
}

}  // namespace

int runDiceHost(int argc, char** argv) {
  std::error_code error;
  const CommandLine commandLine = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc),
                                                   std::filesystem::current_path(error));
  if (commandLine.version) {
    std::cout << "kestar-dicehost " << kVersion << '\n' << kLicence;
    return 0;
  }
  if (commandLine.help) {
    std::cout << helpText();
    return 0;
  }
  if (!commandLine.error.empty()) {
    std::cerr << "kestar-dicehost: " << commandLine.error << "\nSee kestar-dicehost --help.\n";
    return 2;
  }
  Reading reading = loadConfig(commandLine, placesFromEnvironment());
  for (const std::string& problem : reading.problems)
    logLine(problem);
  if (commandLine.check) {
    if (reading.problems.empty()) std::cout << commandLine.configFile.string() << ": no problem\n";
    return reading.problems.empty() ? 0 : 2;
  }
  if (!reading.problems.empty()) return 2;

  QCoreApplication application(argc, argv);
  SignalPipe pipe({SIGTERM, SIGINT, SIGHUP});
  if (!pipe.listening()) {
    logLine("Cannot listen for signals");
    return 1;
  }
  DiceHost host(std::move(reading.config), commandLine.verbose);
  QObject::connect(&pipe, &SignalPipe::received, &host, [&](int signalNumber) {
    if (signalNumber == SIGHUP) {
      reread(commandLine, host);
      return;
    }
    logLine(signalName(signalNumber) + ": stopping");
    host.stop(QStringLiteral("The roll service is stopping"));
  });
  QObject::connect(&host, &DiceHost::finished, &application,
                   [](int exitCode) { QCoreApplication::exit(exitCode); });
  logLine("kestar-dicehost " + std::string(kVersion) + " starting");
  host.start();
  return QCoreApplication::exec();
}

}  // namespace kestar::dicehost
