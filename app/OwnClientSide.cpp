#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <optional>

#include "app/ClientSide.h"
#include "app/OwnClient.h"
#include "chatlink/CodePage.h"
#include "client/Client.h"
#include "client/irc/IrcService.h"
#include "client/practice/PracticeService.h"
#include "client/window/ClientWindow.h"
#include "client/window/IrcControls.h"
#include "client/window/PracticeControls.h"
#include "shell/Program.h"

namespace kestar::app {
namespace {

// The client takes the top of the screen, as wide as the screen up to a width where its lines
// read well, and half its height: Kestar's windows open in the half below, so that on a screen as
// small as 1024 by 768 a person runs a spar without moving a window.
void placeAtTop(QWidget& window) {
  constexpr int kWidest = 1024;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect available = screen->availableGeometry();
  const auto fit = [&](QSize frame) {
    const QSize inner(std::min(available.width(), kWidest) - frame.width(),
                      available.height() / 2 - frame.height());
    window.resize(inner.expandedTo(window.minimumSizeHint()));
    window.move(available.topLeft());
  };
  // A frame of a common size until the window manager has framed the window; Kestar's windows
  // open beside the client once it stands where it will be, so wait for that, a second at most.
  fit(QSize(2, 24));
  window.show();
  QElapsedTimer waited;
  waited.start();
  while (!window.windowHandle()->isExposed() && waited.elapsed() < 1000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(20);
  }
  QCoreApplication::processEvents();
  const QSize frame = window.frameGeometry().size() - window.size();
  if (!frame.isEmpty()) fit(frame);
}

class OwnClientSide final : public ClientSide {
 public:
  explicit OwnClientSide(const Options& options) {
    if (options.irc) {
      // "--irc" alone comes back to the IRC controls' last connection; what the command line
      // gives wins.
      const QSettings remembered;
      const bool alone = options.irc->empty();
      const std::string at =
          alone ? remembered.value(QStringLiteral("irc/address")).toString().toStdString()
                : *options.irc;
      const std::string nick =
          options.nick.empty()
              ? remembered.value(QStringLiteral("irc/nick")).toString().toStdString()
              : options.nick;
      client::IrcServiceSettings settings;
      settings.connection.nick = QString::fromStdString(nick);
      settings.connection.caFile = QString::fromStdString(options.ca);
      if (!options.roller.empty()) settings.roller = options.roller;
      settings.rollerAccount = options.rollerAccount;
      // The SASL login: the password from its file, else from the settings; never from the
      // command line itself.
      const QString password = options.passwordFile.empty()
                                   ? remembered.value(QStringLiteral("irc/password")).toString()
                                   : QString::fromStdString(options.password);
      if (!password.isEmpty()) {
        const std::string account =
            options.account.empty()
                ? remembered.value(QStringLiteral("irc/account"), QString::fromStdString(nick))
                      .toString()
                      .toStdString()
                : options.account;
        settings.connection.saslAccount = QString::fromStdString(account);
        settings.connection.saslPassword = password;
      }
      settings.serveRolls = options.serveRolls ||
                            (alone && remembered.value(QStringLiteral("irc/serveRolls")).toBool());
      room_ = client::parseIrcAddress(at);
      if (room_) {
        settings.connection.host = QString::fromStdString(room_->host);
        settings.connection.port = room_->port;
        settings.connection.tls = room_->tls;
      }
      irc_ = std::make_unique<client::IrcService>(settings);
      client_ = std::make_unique<client::Client>(windows_, *irc_);
      ircAddress_ = QString::fromStdString(at);
    } else {
      practice_ = std::make_unique<client::PracticeService>();
      client_ = std::make_unique<client::Client>(windows_, *practice_);
    }
    // The client handles its posted messages and its service's answers on a later round of
    // the event loop, as a program of its own would.
    windows_.onWorkQueued = [this] {
      QTimer::singleShot(0, [this] {
        if (alive_) windows_.runPending();
      });
    };
    if (irc_) {
      // Without a server and a nick the controls wait for the user to give them.
      if (room_ && !irc_->settings().connection.nick.isEmpty()) {
        irc_->signOn();
        client_->goToRoom(client::toClient(QString::fromStdString(room_->room)));
      }
    } else {
      client_->openRoom("Spar Arena");
    }
  }
  ~OwnClientSide() override {
    alive_ = false;
    windows_.onWorkQueued = nullptr;
  }

  chatlink::WindowApi& api() override { return windows_; }

  void show(shell::Program& program) override {
    window_ = std::make_unique<client::ClientWindow>(*client_, windows_);
    if (irc_) {
      window_->setServiceControls(new client::IrcControls(*irc_, *client_, ircAddress_));
      window_->roomName->setText(room_ ? QString::fromStdString(room_->room) : QString());
    } else {
      window_->setServiceControls(new client::PracticeControls(*practice_, *window_));
    }
    // Closing the client ends the whole demonstration.
    window_->onClosed = [&program] { program.end(); };
    placeAtTop(*window_);
    followOwnClient(program, *client_);
    // Kestar's windows open beside the room's chat, its people, the row the user says lines in
    // and the service's controls under them, not over them.
    program.keepClear = [this] {
      const auto onScreen = [](const QWidget* widget) {
        return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
      };
      if (!window_->isVisible()) return QRect();
      return onScreen(window_->topic)
          .united(onScreen(window_->people))
          .united(onScreen(window_->pages));
    };
  }

 private:
  bool alive_ = true;
  client::Desktop windows_;
  std::unique_ptr<client::PracticeService> practice_;
  std::unique_ptr<client::IrcService> irc_;
  QString ircAddress_;
  std::optional<client::IrcAddress> room_;
  std::unique_ptr<client::Client> client_;
  std::unique_ptr<client::ClientWindow> window_;
};

bool hasEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

void followOwnClient(shell::Program& program, client::Client& client) {
  using BustState = shell::Program::BustState;
  program.bustState = [&client](const Text& keyword, int knocks) {
    const std::string room = client::keywordRoom(chatlink::toCodePage(keyword));
    if (knocks == 0) return BustState::Knocking;
    if (client.room(room) != 0) return BustState::In;
    const std::string refusal = client.turnedAway(room);
    if (refusal.empty()) return BustState::Knocking;
    // The run ends on the refusal's box: should the buster's own press have taken it away as it
    // came, the person still reads why.
    if (client.messageBox() == 0) client.showMessageBox(refusal);
    return BustState::TurnedAway;
  };
}

std::unique_ptr<ClientSide> makeClientSide(const Options& options) {
  return std::make_unique<OwnClientSide>(options);
}

bool displayAvailable(std::string& advice) {
  if (hasEnvironment("DISPLAY") || hasEnvironment("WAYLAND_DISPLAY") ||
      hasEnvironment("QT_QPA_PLATFORM")) {
    return true;
  }
  advice =
      "Kestar shows windows and needs a display, but none is set (no DISPLAY or "
      "WAYLAND_DISPLAY).\n"
      "Run it on a desktop, or under a virtual display:\n"
      "    xvfb-run -a kestar          (from its source folder: xvfb-run -a scripts/run)\n"
      "Without any display you can still total the rolls of a saved chat log:\n"
      "    kestar-tally LOG            (from its source folder: scripts/tally LOG)\n";
  return false;
}

}  // namespace kestar::app
