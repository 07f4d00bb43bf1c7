#pragma once

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QVBoxLayout;

namespace kestar::client {

class Client;
class Desktop;

// The controls a chat service shows of its own in the client's window, below the client's parts.
class ServiceControls : public QWidget {
 public:
  using QWidget::QWidget;
  // Shows the service's state now; called whenever the client's window refreshes.
  virtual void refresh() = 0;
};

// The own client's window: a person uses the client from here. It shows the open rooms (topmost
// first) and the chosen room's chat and people; the user says lines in it, goes to keywords, opens,
// raises and closes rooms, writes instant messages and reads those that came in, and presses the
// client's message box. The service's state shows in the window, its own controls below.
class ClientWindow final : public QWidget {
 public:
  ClientWindow(Client& client, Desktop& windows);
  ~ClientWindow() override;

  // Called when the person closes this window.
  std::function<void()> onClosed;

  QLabel* const state;
  QListWidget* const rooms;
  QPlainTextEdit* const chat;
  QListWidget* const people;
  QLineEdit* const roomName;
  QPushButton* const openButton;
  QPushButton* const raiseButton;
  QPushButton* const closeButton;
  // The user's own line, typed into the room's input box.
  QLineEdit* const line;
  QPushButton* const sayButton;
  QLineEdit* const keyword;
  QPushButton* const goButton;
  // Instant messages: one to write, and those that came in.
  QLineEdit* const imTo;
  QLineEdit* const imText;
  QPushButton* const imSendButton;
  QListWidget* const received;
  // The client's message box on top, and its button.
  QLabel* const boxText;
  QPushButton* const boxButton;

  // Puts the service's own controls into the window; it keeps them.
  void setServiceControls(ServiceControls* controls);

  // The room the person is looking at ("" when none is open).
  QString currentRoom() const;
  // Shows the client's state now (it also follows every change by itself).
  void refresh();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void scheduleRefresh();
  void say();

  Client& client_;
  Desktop& windows_;
  QVBoxLayout* whole_ = nullptr;
  ServiceControls* serviceControls_ = nullptr;
  bool refreshPending_ = false;
};

// Text between the client, which holds bytes in the 8-bit code page, and Qt.
QString fromClient(const std::string& bytes);
std::string toClient(const QString& text);

}  // namespace kestar::client
