#pragma once

#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

#include "client/Client.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace kestar::client {

class Desktop;

// The controls a chat service shows of its own in the client's window: a page under the window's
// chat, titled by the service, and any more pages it has.
class ServiceControls : public QWidget {
 public:
  using QWidget::QWidget;
  virtual QString title() const = 0;
  virtual std::vector<std::pair<QString, QWidget*>> morePages() { return {}; }
  // Shows the service's state now; called whenever the client's window refreshes.
  virtual void refresh() = 0;
};

// The own client's window: a person uses the client from here. It shows the rooms (open ones
// topmost first, then those left, whose lines are kept until closed) and the chosen room's topic,
// chat and people; the user says lines in it, goes to keywords, enters, raises and leaves rooms,
// writes instant messages and reads those that came in, and presses the client's message box.
// The service's state shows at the top, the service's own controls in pages under the chat.
class ClientWindow final : public QWidget {
 public:
  ClientWindow(Client& client, Desktop& windows);
  ~ClientWindow() override;

  // Called when the person closes this window.
  std::function<void()> onClosed;

  QLabel* const state;
  // Whether transcript lines show the time they came (kept in the settings, "client/").
  QCheckBox* const timeStamps;
  QListWidget* const rooms;
  QLabel* const topic;
  QPlainTextEdit* const chat;
  QListWidget* const people;
  QLineEdit* const roomName;
  QPushButton* const openButton;
  QPushButton* const raiseButton;
  // Leaves the chosen room, or closes a room left, forgetting its lines.
  QPushButton* const closeButton;
  // The user's own line, typed into the room's input box, or a command (parseCommand).
  QLineEdit* const line;
  QPushButton* const sayButton;
  QLineEdit* const keyword;
  QPushButton* const goButton;
  // The service's pages first, then instant messages and the message box.
  QTabWidget* const pages;
  // Instant messages: one to write (Enter sends it), and those sent and those that came in.
  QLineEdit* const imTo;
  QLineEdit* const imText;
  QPushButton* const imSendButton;
  QListWidget* const received;
  // The client's message box on top, and its button.
  QLabel* const boxText;
  QPushButton* const boxButton;

  // Puts the service's own controls into the window; it keeps them.
  void setServiceControls(ServiceControls* controls);

  // The room the person is looking at ("" when there is none).
  QString currentRoom() const;
  // Shows the client's state now (it also follows every change by itself).
  void refresh();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void scheduleRefresh();
  void say();
  void showRooms();
  void showChat();
  void showTopic();
  bool currentRoomIsLeft() const;

  Client& client_;
  Desktop& windows_;
  ServiceControls* serviceControls_ = nullptr;
  QWidget* boxPage_ = nullptr;
  bool refreshPending_ = false;
  // What the chat box shows: whose lines, with or without their times.
  QString shownRoom_;
  bool shownTimes_ = false;
  std::vector<ShownLine> shown_;
};

// Text between the client, which holds bytes in the 8-bit code page, and Qt.
QString fromClient(const std::string& bytes);
std::string toClient(const QString& text);

}  // namespace kestar::client
