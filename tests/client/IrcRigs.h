#pragma once

#include <QTest>
#include <QTimer>
#include <string>

#include "app/KestarProgram.h"
#include "app/OwnClient.h"
#include "client/Client.h"
#include "client/irc/IrcService.h"
#include "shell/QtHost.h"
#include "tests/irc/Network.h"

namespace kestar::test {

// The IRC service's settings for a private server on loopback, without TLS; with a password, it
// logs in with SASL as the nick's account.
inline client::IrcServiceSettings loopbackSettings(quint16 port, const char* nick, bool serveRolls,
                                                   const QString& password = {}) {
  client::IrcServiceSettings settings;
  settings.connection = irc::test::plainSettings(port, nick);
  if (!password.isEmpty()) {
    settings.connection.saslAccount = settings.connection.nick;
    settings.connection.saslPassword = password;
  }
  settings.serveRolls = serveRolls;
  return settings;
}

// The own client with the IRC service behind it, its pending work run by Qt's event loop.
struct IrcClient {
  IrcClient(quint16 port, const char* nick, bool serveRolls = false, bool signOn = true,
            const QString& password = {})
      : service(loopbackSettings(port, nick, serveRolls, password)), client(windows, service) {
    windows.onWorkQueued = [this] {
      QTimer::singleShot(0, &guard, [this] { windows.runPending(); });
    };
    if (signOn) service.signOn();
  }
  // Asks to enter the room and waits until the user is in it.
  bool enter(const std::string& room) {
    client.goToRoom(room);
    return entered(room);
  }
  bool entered(const std::string& room) {
    return QTest::qWaitFor([&] { return client.room(room) != 0; }, 5000);
  }

  client::Desktop windows;
  client::IrcService service;
  client::Client client;
  QObject guard;  // gone first: no pending round runs into the others
};

// The whole program in real time beside the own client on the IRC service, with the program's
// rules on it.
struct IrcProgram : IrcClient {
  IrcProgram(quint16 port, const char* nick, bool serveRolls, const QString& password = {})
      : IrcClient(port, nick, serveRolls, true, password) {
    program.messageBox = [](QWidget*, const QString&, const QString&) {};
    program.askYesNo = [](QWidget*, const QString&, const QString&) { return false; };
    app::followOwnClient(program, client);
    program.start();
  }
  ~IrcProgram() { host.end(); }

  shell::QtHost host;
  app::KestarProgram program{windows, host};
};

}  // namespace kestar::test
