#include <QApplication>
#include <QIcon>
#include <iostream>
#include <string_view>

#include "Version.h"
#include "app/ClientSide.h"
#include "app/KestarProgram.h"
#include "shell/QtHost.h"

namespace kestar::app {

int runKestar(int argc, char** argv) {
  // Answered before anything needs a display, so that they work on any terminal.
  const Options options = parseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (options.version) {
    std::cout << "kestar " << kVersion << '\n' << kLicence;
    return 0;
  }
  if (options.help) {
    std::cout << helpText();
    return 0;
  }
  if (!options.error.empty()) {
    std::cerr << "kestar: " << options.error << "\nSee kestar --help.\n";
    return 2;
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
  const auto client = makeClientSide(options);
  KestarProgram program(client->api(), host);
  client->show(program);
  program.start();
  return QApplication::exec();
}

}  // namespace kestar::app
