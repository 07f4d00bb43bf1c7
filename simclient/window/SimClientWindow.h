#pragma once

#include <QWidget>
#include <functional>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace kestar::sim {

class SimClient;
class SimWindows;

// The simulated client's own window: a person plays the room from here. It shows the open rooms
// (topmost first) and the chosen room's chat, lets anyone speak or roll in it, and opens, raises
// and closes rooms.
class SimClientWindow final : public QWidget {
 public:
  SimClientWindow(SimClient& client, SimWindows& windows);
  ~SimClientWindow() override;

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

  SimClient& client_;
  SimWindows& windows_;
  bool refreshPending_ = false;
};

}  // namespace kestar::sim
