#pragma once

#include "client/window/ClientWindow.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kestar::client {

class IrcService;

// The IRC service's controls in the client's window: the server's address with the room
// ("ircs://HOST[:PORT]/ROOM"), the nick, connect and disconnect, the connection's state and
// whether this Kestar serves the room's rolls. What was last connected with is remembered
// (QSettings, "irc/").
class IrcControls final : public ServiceControls {
 public:
  // at: the address shown at first.
  IrcControls(IrcService& service, Client& client, const QString& at);

  QLineEdit* const address;
  QLineEdit* const nick;
  QPushButton* const connectButton;
  QPushButton* const disconnectButton;
  QCheckBox* const serveRolls;
  QLabel* const state;

  QString title() const override;
  void refresh() override;

 private:
  void connectNow();

  IrcService& service_;
  Client& client_;
};

}  // namespace kestar::client
