#include "client/window/ClientWindow.h"

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
#include "client/Client.h"

namespace kestar::client {
namespace {

QString fromClient(const std::string& bytes) {
  const Text text = chatlink::fromCodePage(bytes);
  return QString::fromStdU16String(text);
}

std::string toClient(const QString& text) {
  return chatlink::toCodePage(text.toStdU16String());
}

}  // namespace

ClientWindow::ClientWindow(Client& client, Desktop& windows)
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
      capacity(new QSpinBox(this)),
      people(new QSpinBox(this)),
      placesButton(new QPushButton(QStringLiteral("Set places"), this)),
      screenName(new QLineEdit(QStringLiteral("Bob"), this)),
      signOnButton(new QPushButton(QStringLiteral("Sign on"), this)),
      signOffButton(new QPushButton(QStringLiteral("Sign off"), this)),
      signedOn(new QLabel(this)),
      delivered(new QListWidget(this)),
      boxText(new QLabel(this)),
      boxButton(new QPushButton(QStringLiteral("Press its button"), this)),
      client_(client),
      windows_(windows) {
  setWindowTitle(QStringLiteral("Simulated chat client - signed on as ") +
                 fromClient(client.userName()));
  chat->setReadOnly(true);
  chat->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  chat->setMinimumSize(420, 180);
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

  capacity->setRange(0, 99);
  people->setRange(0, 99);
  auto* placesBox = new QGroupBox(QStringLiteral("Places in the room named at the left"), this);
  auto* placesForm = new QFormLayout(placesBox);
  placesForm->addRow(QStringLiteral("Capacity"), capacity);
  placesForm->addRow(QStringLiteral("People in it"), people);
  placesForm->addRow(placesButton);

  signedOn->setWordWrap(true);
  delivered->setMaximumHeight(110);
  auto* imBox = new QGroupBox(QStringLiteral("Instant messages"), this);
  auto* imColumn = new QVBoxLayout(imBox);
  auto* signRow = new QHBoxLayout;
  signRow->addWidget(screenName, 1);
  signRow->addWidget(signOnButton);
  signRow->addWidget(signOffButton);
  imColumn->addLayout(signRow);
  imColumn->addWidget(signedOn);
  imColumn->addWidget(delivered);

  boxText->setWordWrap(true);
  boxText->setMinimumWidth(160);
  auto* messageBox = new QGroupBox(QStringLiteral("Message box"), this);
  auto* boxColumn = new QVBoxLayout(messageBox);
  boxColumn->addWidget(boxText, 1);
  boxColumn->addWidget(boxButton);

  auto* top = new QHBoxLayout;
  top->addWidget(roomBox);
  top->addLayout(chatColumn, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(placesBox);
  bottom->addWidget(imBox, 1);
  bottom->addWidget(messageBox);
  auto* whole = new QVBoxLayout(this);
  whole->addLayout(top, 1);
  whole->addLayout(bottom);

  connect(openButton, &QPushButton::clicked, this, [this] {
    if (!roomName->text().trimmed().isEmpty()) client_.openRoom(toClient(roomName->text()));
  });
  connect(raiseButton, &QPushButton::clicked, this,
          [this] { client_.raise(client_.room(toClient(currentRoom()))); });
  connect(closeButton, &QPushButton::clicked, this,
          [this] { client_.closeRoom(toClient(currentRoom())); });
  connect(rooms, &QListWidget::currentRowChanged, this, [this] { scheduleRefresh(); });
  connect(sayButton, &QPushButton::clicked, this, &ClientWindow::say);
  connect(line, &QLineEdit::returnPressed, this, &ClientWindow::say);
  connect(rollButton, &QPushButton::clicked, this, &ClientWindow::roll);
  connect(roomName, &QLineEdit::textChanged, this, &ClientWindow::showPlaces);
  connect(placesButton, &QPushButton::clicked, this, [this] {
    client_.setRoomCapacity(toClient(roomName->text()), capacity->value());
    client_.setRoomPeople(toClient(roomName->text()), people->value());
  });
  connect(signOnButton, &QPushButton::clicked, this, [this] {
    if (!screenName->text().trimmed().isEmpty()) client_.signOn(toClient(screenName->text()));
    refresh();
  });
  connect(signOffButton, &QPushButton::clicked, this, [this] {
    client_.signOff(toClient(screenName->text()));
    refresh();
  });
  connect(boxButton, &QPushButton::clicked, this, [this] { client_.pressMessageBox(); });

  windows_.onChanged = [this] { scheduleRefresh(); };
  showPlaces();
  refresh();
}

ClientWindow::~ClientWindow() {
  windows_.onChanged = nullptr;
}

QString ClientWindow::currentRoom() const {
  const QListWidgetItem* item = rooms->currentItem();
  if (item != nullptr) return item->text();
  const auto names = client_.roomNames();
  return names.empty() ? QString() : fromClient(names.front());
}

void ClientWindow::refresh() {
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

  QStringList signedOnNames;
  for (const auto& name : client_.signedOnNames())
    signedOnNames << fromClient(name);
  signedOn->setText(QStringLiteral("Signed on: ") + signedOnNames.join(QStringLiteral(", ")));
  const auto& messages = client_.instantMessages();
  for (auto i = static_cast<std::size_t>(delivered->count()); i < messages.size(); ++i) {
    delivered->addItem(
        QStringLiteral("To %1: %2").arg(fromClient(messages[i].to), fromClient(messages[i].text)));
    delivered->scrollToBottom();
  }

  const Hwnd box = client_.messageBox();
  QString shown = QStringLiteral("(none showing)");
  for (const ShownBox& each : client_.messageBoxes()) {
    if (each.box == box) shown = fromClient(each.text);
  }
  boxText->setText(shown);
  boxButton->setEnabled(box != 0);
}

void ClientWindow::showPlaces() {
  capacity->setValue(client_.roomCapacity(toClient(roomName->text())));
  people->setValue(client_.roomPeople(toClient(roomName->text())));
}

void ClientWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (onClosed) onClosed();
}

void ClientWindow::scheduleRefresh() {
  if (refreshPending_) return;
  refreshPending_ = true;
  QTimer::singleShot(0, this, &ClientWindow::refresh);
}

void ClientWindow::say() {
  if (line->text().isEmpty() || currentRoom().isEmpty()) return;
  client_.say(toClient(currentRoom()), toClient(speaker->text()), toClient(line->text()));
  line->clear();
}

void ClientWindow::roll() {
  if (currentRoom().isEmpty()) return;
  const QString request =
      QStringLiteral("//roll-dice%1-sides%2").arg(dice->value()).arg(sides->value());
  client_.say(toClient(currentRoom()), toClient(roller->text()), toClient(request));
}

}  // namespace kestar::client
