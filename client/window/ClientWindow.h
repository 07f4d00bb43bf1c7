#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace kestar::client {

class Client;
class Desktop;

// The simulated client's own window: a person plays the room from here. It shows the open rooms
// (topmost first) and the chosen room's chat, lets anyone speak or roll in it, and opens, raises
// and closes rooms. It sets how many places a room has and how many are taken, signs screen
// names on and off, shows the instant messages delivered and the client's message box.
class ClientWindow final : public QWidget {
 public:
  ClientWindow(Client& client, Desktop& windows);
  ~ClientWindow() override;

  // Called when the person closes this window.
  std::function<void()> onClosed;

  QListWidget* const rooms;
  QPlainTextEdit* const chat;
  QLineEdit* const roomName;
  QPushButton* const openButton;
  QPushButton* const raiseButton;
  QPushButton* const closeButton;
  QLineEdit* const speaker;
  QLineEdit* const line;
  QPushButton* const sayButton;
  QLineEdit* const roller;
  QSpinBox* const dice;
  QSpinBox* const sides;
  QPushButton* const rollButton;
  // Places of the room named in roomName.
  QSpinBox* const capacity;
  QSpinBox* const people;
  QPushButton* const placesButton;
  // Instant messages.
  QLineEdit* const screenName;
  QPushButton* const signOnButton;
  QPushButton* const signOffButton;
  QLabel* const signedOn;
  QListWidget* const delivered;
  // The client's message box on top, and its button.
  QLabel* const boxText;
  QPushButton* const boxButton;

  // The room the person is looking at ("" when none is open).
  QString currentRoom() const;
  // Shows the client's state now (it also follows every change by itself).
  void refresh();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void scheduleRefresh();
  void say();
  void roll();
  void showPlaces();

  Client& client_;
  Desktop& windows_;
  bool refreshPending_ = false;
};

}  // namespace kestar::client
