#pragma once

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "app/KestarProgram.h"
#include "app/OwnClient.h"
#include "client/Client.h"
#include "client/irc/IrcService.h"
#include "dice/Dice.h"
#include "shell/QtHost.h"
#include "spar/Terms.h"
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

// Sends all seven terms from the Terms window (opened from the counter, which must be open);
// returns the lines the room gets, in order.
inline std::vector<std::string> sendAllTerms(IrcProgram& kestar) {
  kestar.program.window<dice::Dice>().Command7->click();
  spar::Terms& terms = kestar.program.window<spar::Terms>();
  for (QCheckBox* term : {terms.Check1, terms.Check2, terms.Check3, terms.Check4, terms.Check5,
                          terms.Check6, terms.Check7})
    term->setChecked(true);
  terms.Command1->click();  // returns when the terms are sent
  return {" ~*~TERMS~*~",
          " No SiDs, Enhancers, or Healing.",
          " Split attacks, Specials, and Random attacks are all ok.",
          " HS: 1st rd for 3d and 4d,  1st and 2nd for 2d.",
          " Specials for mortals all rounds but first.",
          " No Split attacks, Randoms, or Specials first round.",
          " HS: 1st rd for 3d and 4d, All rounds for 2d.",
          " Any judgement by the Proc is final."};
}

}  // namespace kestar::test
