#include "simclient/window/SimClientWindow.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "chatlink/CodePage.h"
#include "simclient/SimClient.h"

namespace kestar::sim {
namespace {

QString fromClient(const std::string& bytes) {
  const Text text = chatlink::fromCodePage(bytes);
  return QString::fromStdU16String(text);
}

std::string toClient(const QString& text) {
  return chatlink::toCodePage(text.toStdU16String());
}

}  // namespace

SimClientWindow::SimClientWindow(SimClient& client, SimWindows& windows)
    : rooms(new QListWidget(this)),
      chat(new QPlainTextEdit(this)),
      roomName(new QLineEdit(QStringLiteral("Spar Arena"), this)),
      openButton(new QPushButton(QStringLiteral("Open room"), this)),
      raiseButton(new QPushButton(QStringLiteral("Bring to front"), this)),
      closeButton(new QPushButton(QStringLiteral("Close room"), this)),
      speaker(new QLineEdit(QStringLiteral("Bob"), this)),
      line(new QLineEdit(this)),
      sayButton(new QPushButton(QStringLiteral("Say"), this)),
      roller(new QLineEdit(QStringLiteral("Bob"), this)),
      dice(new QSpinBox(this)),
      sides(new QSpinBox(this)),
      rollButton(new QPushButton(QStringLiteral("Roll"), this)),
      client_(client),
      windows_(windows) {
  setWindowTitle(QStringLiteral("Simulated chat client - signed on as ") +
                 fromClient(client.userName()));
  chat->setReadOnly(true);
  chat->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  chat->setMinimumSize(420, 260);
  rooms->setMaximumWidth(170);
  line->setPlaceholderText(QStringLiteral("a line, or //roll-dice2-sides100"));
  dice->setRange(1, 15);
  dice->setValue(2);
  sides->setRange(2, 999);
  sides->setValue(100);

  auto* roomBox = new QGroupBox(QStringLiteral("Rooms (topmost first)"), this);
  auto* roomColumn = new QVBoxLayout(roomBox);
  roomColumn->addWidget(rooms);
  roomColumn->addWidget(roomName);
  roomColumn->addWidget(openButton);
  roomColumn->addWidget(raiseButton);
  roomColumn->addWidget(closeButton);

  auto* speakRow = new QHBoxLayout;
  speakRow->addWidget(new QLabel(QStringLiteral("Speak as"), this));
  speakRow->addWidget(speaker);
  speakRow->addWidget(line, 1);
  speakRow->addWidget(sayButton);

  auto* rollRow = new QHBoxLayout;
  rollRow->addWidget(new QLabel(QStringLiteral("Roll as"), this));
  rollRow->addWidget(roller);
  rollRow->addWidget(dice);
  rollRow->addWidget(new QLabel(QStringLiteral("dice of"), this));
  rollRow->addWidget(sides);
  rollRow->addWidget(new QLabel(QStringLiteral("sides"), this));
  rollRow->addStretch(1);
  rollRow->addWidget(rollButton);

  auto* chatColumn = new QVBoxLayout;
  chatColumn->addWidget(chat, 1);
  chatColumn->addLayout(speakRow);
  chatColumn->addLayout(rollRow);

  auto* top = new QHBoxLayout(this);
  top->addWidget(roomBox);
  top->addLayout(chatColumn, 1);

  connect(openButton, &QPushButton::clicked, this, [this] {
    if (!roomName->text().trimmed().isEmpty()) client_.openRoom(toClient(roomName->text()));
  });
  connect(raiseButton, &QPushButton::clicked, this,
          [this] { client_.raise(client_.room(toClient(currentRoom()))); });
  connect(closeButton, &QPushButton::clicked, this,
          [this] { client_.closeRoom(toClient(currentRoom())); });
  connect(rooms, &QListWidget::currentRowChanged, this, [this] { scheduleRefresh(); });
  connect(sayButton, &QPushButton::clicked, this, &SimClientWindow::say);
  connect(line, &QLineEdit::returnPressed, this, &SimClientWindow::say);
  connect(rollButton, &QPushButton::clicked, this, &SimClientWindow::roll);

  windows_.onChanged = [this] { scheduleRefresh(); };
  refresh();
}

SimClientWindow::~SimClientWindow() {
  windows_.onChanged = nullptr;
}

QString SimClientWindow::currentRoom() const {
  const QListWidgetItem* item = rooms->currentItem();
  if (item != nullptr) return item->text();
  const auto names = client_.roomNames();
  return names.empty() ? QString() : fromClient(names.front());
}

void SimClientWindow::refresh() {
  refreshPending_ = false;
  const QString chosen = currentRoom();
  const auto names = client_.roomNames();
  rooms->blockSignals(true);
  rooms->clear();
  for (const auto& name : names) {
    rooms->addItem(fromClient(name));
    if (fromClient(name) == chosen) rooms->setCurrentRow(rooms->count() - 1);
  }
  if (rooms->currentRow() < 0 && rooms->count() > 0) rooms->setCurrentRow(0);
  rooms->blockSignals(false);

  QString text;
  for (const auto& entry : client_.transcript(toClient(currentRoom()))) {
    text += fromClient(entry) + QLatin1Char('\n');
  }
  if (text != chat->toPlainText()) {
    chat->setPlainText(text);
    chat->verticalScrollBar()->setValue(chat->verticalScrollBar()->maximum());
  }
}

void SimClientWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (onClosed) onClosed();
}

void SimClientWindow::scheduleRefresh() {
  if (refreshPending_) return;
  refreshPending_ = true;
  QTimer::singleShot(0, this, &SimClientWindow::refresh);
}

void SimClientWindow::say() {
  if (line->text().isEmpty() || currentRoom().isEmpty()) return;
  client_.say(toClient(currentRoom()), toClient(speaker->text()), toClient(line->text()));
  line->clear();
}

void SimClientWindow::roll() {
  if (currentRoom().isEmpty()) return;
  const QString request =
      QStringLiteral("//roll-dice%1-sides%2").arg(dice->value()).arg(sides->value());
  client_.say(toClient(currentRoom()), toClient(roller->text()), toClient(request));
}

}  // namespace kestar::sim
