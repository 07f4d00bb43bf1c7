#include <QApplication>
#include <QIcon>
#include <iostream>
#include <span>
#include <string_view>

#include "Version.h"
#include "app/ClientSide.h"
#include "app/KestarProgram.h"
#include "shell/QtHost.h"

namespace kestar::app {
namespace {

constexpr std::string_view kUsage =
    "Usage: kestar [--version] [--help] [Qt options]\n"
    "Starts Kestar's launcher and, away from Windows, its own chat client beside it.\n"
    "It needs a display. Qt's own options, such as -platform, are passed on to Qt.\n";

}  // namespace

int runKestar(int argc, char** argv) {
  // Answered before anything needs a display, so that they work on any terminal.
  for (const std::string_view argument : std::span(argv + 1, argv + argc)) {
    if (argument == "--version") {
      std::cout << "kestar " << kVersion << '\n';
      return 0;
    }
    if (argument == "--help" || argument == "-h") {
      std::cout << kUsage;
      return 0;
    }
  }
  std::string advice;
  if (!displayAvailable(advice)) {
    std::cerr << advice;
    return 2;
  }
  QApplication application(argc, argv);
  // The installed package's icon, so that title bars and task bars show what the menu shows;
  // none when Kestar runs from its build.
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("kestar")));
  // The program ends when a window of its own is closed from its title bar, not when the last
  // one is hidden.
  QApplication::setQuitOnLastWindowClosed(false);
  // Where the windows were is kept under this name between runs.
  QApplication::setOrganizationName(QStringLiteral("Kestar"));
  QApplication::setApplicationName(QStringLiteral("Kestar"));
  shell::QtHost host;
  const auto client = makeClientSide();
  KestarProgram program(client->api(), host);
  client->show(program);
  program.start();
  return QApplication::exec();
}

}  // namespace kestar::app
