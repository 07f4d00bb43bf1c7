#include "client/window/IrcControls.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

#include "client/Client.h"
#include "client/irc/IrcService.h"

namespace kestar::client {

IrcControls::IrcControls(IrcService& service, Client& client, const QString& at)
    : address(new QLineEdit(this)),
      nick(new QLineEdit(this)),
      connectButton(new QPushButton(QStringLiteral("Connect"), this)),
      disconnectButton(new QPushButton(QStringLiteral("Disconnect"), this)),
      serveRolls(new QCheckBox(QStringLiteral("Serve the room's rolls"), this)),
      state(new QLabel(this)),
      service_(service),
      client_(client) {
  address->setPlaceholderText(QStringLiteral("ircs://HOST[:PORT]/ROOM"));
  const auto& settings = service.settings();
  address->setText(at);
  nick->setText(settings.connection.nick);
  serveRolls->setChecked(settings.serveRolls);
  state->setWordWrap(true);

  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("Server"), this));
  row->addWidget(address, 1);
  row->addWidget(new QLabel(QStringLiteral("Nick"), this));
  row->addWidget(nick);
  row->addWidget(connectButton);
  row->addWidget(disconnectButton);
  auto* column = new QVBoxLayout(this);
  column->addLayout(row);
  column->addWidget(serveRolls, 0, Qt::AlignLeft);
  column->addWidget(state);

  connect(connectButton, &QPushButton::clicked, this, &IrcControls::connectNow);
  connect(disconnectButton, &QPushButton::clicked, this, [this] { service_.signOff(); });
  connect(serveRolls, &QCheckBox::toggled, this, [this](bool on) {
    service_.setServeRolls(on);
    QSettings().setValue(QStringLiteral("irc/serveRolls"), on);
  });
  refresh();
}

void IrcControls::connectNow() {
  const auto parsed = parseIrcAddress(address->text().trimmed().toStdString());
  if (!parsed || nick->text().trimmed().isEmpty()) {
    state->setText(QStringLiteral("Give the server as ircs://HOST[:PORT]/ROOM and a nick."));
    return;
  }
  irc::IrcSettings connection = service_.settings().connection;
  connection.host = QString::fromStdString(parsed->host);
  connection.port = parsed->port;
  connection.tls = parsed->tls;
  connection.nick = nick->text().trimmed();
  QSettings settings;
  settings.setValue(QStringLiteral("irc/address"), address->text().trimmed());
  settings.setValue(QStringLiteral("irc/nick"), connection.nick);
  service_.connectTo(connection);
  client_.goToRoom(toClient(QString::fromStdString(parsed->room)));
}

QString IrcControls::title() const {
  return QStringLiteral("IRC");
}

void IrcControls::refresh() {
  state->setText(fromClient(service_.state()));
}

}  // namespace kestar::client
