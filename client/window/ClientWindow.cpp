#include "client/window/ClientWindow.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "chatlink/CodePage.h"
#include "client/Client.h"

namespace kestar::client {

QString fromClient(const std::string& bytes) {
  const Text text = chatlink::fromCodePage(bytes);
  return QString::fromStdU16String(text);
}

std::string toClient(const QString& text) {
  return chatlink::toCodePage(text.toStdU16String());
}

ClientWindow::ClientWindow(Client& client, Desktop& windows)
    : state(new QLabel(this)),
      rooms(new QListWidget(this)),
      chat(new QPlainTextEdit(this)),
      people(new QListWidget(this)),
      roomName(new QLineEdit(QStringLiteral("Spar Arena"), this)),
      openButton(new QPushButton(QStringLiteral("Enter room"), this)),
      raiseButton(new QPushButton(QStringLiteral("Bring to front"), this)),
      closeButton(new QPushButton(QStringLiteral("Leave room"), this)),
      line(new QLineEdit(this)),
      sayButton(new QPushButton(QStringLiteral("Say"), this)),
      keyword(new QLineEdit(this)),
      goButton(new QPushButton(QStringLiteral("Go"), this)),
      imTo(new QLineEdit(QStringLiteral("Bob"), this)),
      imText(new QLineEdit(this)),
      imSendButton(new QPushButton(QStringLiteral("Send"), this)),
      received(new QListWidget(this)),
      boxText(new QLabel(this)),
      boxButton(new QPushButton(QStringLiteral("Press its button"), this)),
      client_(client),
      windows_(windows) {
  setWindowTitle(QStringLiteral("Kestar's chat client - signed on as ") +
                 fromClient(client.userName()));
  chat->setReadOnly(true);
  chat->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  chat->setMinimumSize(420, 180);
  rooms->setMaximumWidth(170);
  people->setMaximumWidth(130);
  line->setPlaceholderText(QStringLiteral("say a line as yourself"));
  keyword->setPlaceholderText(QStringLiteral("a keyword"));
  imText->setPlaceholderText(QStringLiteral("an instant message"));
  state->setWordWrap(true);

  auto* roomBox = new QGroupBox(QStringLiteral("Rooms (topmost first)"), this);
  auto* roomColumn = new QVBoxLayout(roomBox);
  roomColumn->addWidget(rooms);
  roomColumn->addWidget(roomName);
  roomColumn->addWidget(openButton);
  roomColumn->addWidget(raiseButton);
  roomColumn->addWidget(closeButton);

  auto* sayRow = new QHBoxLayout;
  sayRow->addWidget(line, 1);
  sayRow->addWidget(sayButton);
  sayRow->addWidget(new QLabel(QStringLiteral("Keyword"), this));
  sayRow->addWidget(keyword);
  sayRow->addWidget(goButton);

  auto* chatRow = new QHBoxLayout;
  chatRow->addWidget(chat, 1);
  chatRow->addWidget(people);
  auto* chatColumn = new QVBoxLayout;
  chatColumn->addLayout(chatRow, 1);
  chatColumn->addLayout(sayRow);

  received->setMaximumHeight(60);
  auto* imBox = new QGroupBox(QStringLiteral("Instant messages"), this);
  auto* imColumn = new QVBoxLayout(imBox);
  auto* writeRow = new QHBoxLayout;
  writeRow->addWidget(new QLabel(QStringLiteral("To"), this));
  writeRow->addWidget(imTo);
  writeRow->addWidget(imText, 1);
  writeRow->addWidget(imSendButton);
  imColumn->addLayout(writeRow);
  imColumn->addWidget(received);

  boxText->setWordWrap(true);
  boxText->setMinimumWidth(160);
  auto* messageBox = new QGroupBox(QStringLiteral("Message box"), this);
  auto* boxColumn = new QVBoxLayout(messageBox);
  boxColumn->addWidget(boxText, 1);
  boxColumn->addWidget(boxButton);

  auto* top = new QHBoxLayout;
  top->addWidget(roomBox);
  top->addLayout(chatColumn, 1);
  auto* middle = new QHBoxLayout;
  middle->addWidget(imBox, 1);
  middle->addWidget(messageBox);
  whole_ = new QVBoxLayout(this);
  whole_->addWidget(state);
  whole_->addLayout(top, 1);
  whole_->addLayout(middle);

  connect(openButton, &QPushButton::clicked, this, [this] {
    if (!roomName->text().trimmed().isEmpty()) client_.goToRoom(toClient(roomName->text()));
  });
  connect(raiseButton, &QPushButton::clicked, this,
          [this] { client_.raise(client_.room(toClient(currentRoom()))); });
  connect(closeButton, &QPushButton::clicked, this,
          [this] { client_.closeRoom(toClient(currentRoom())); });
  connect(rooms, &QListWidget::currentRowChanged, this, [this] { scheduleRefresh(); });
  connect(sayButton, &QPushButton::clicked, this, &ClientWindow::say);
  connect(line, &QLineEdit::returnPressed, this, &ClientWindow::say);
  connect(goButton, &QPushButton::clicked, this, [this] {
    client_.typeKeyword(toClient(keyword->text()));
    keyword->clear();
  });
  connect(imSendButton, &QPushButton::clicked, this, [this] {
    if (imTo->text().trimmed().isEmpty()) return;
    client_.typeInstantMessage(toClient(imTo->text()), toClient(imText->text()));
    imText->clear();
  });
  connect(boxButton, &QPushButton::clicked, this, [this] { client_.pressMessageBox(); });

  windows_.onChanged = [this] { scheduleRefresh(); };
  client_.onNews = [this] { scheduleRefresh(); };
  refresh();
}

ClientWindow::~ClientWindow() {
  windows_.onChanged = nullptr;
  client_.onNews = nullptr;
}

void ClientWindow::setServiceControls(ServiceControls* controls) {
  serviceControls_ = controls;
  controls->setParent(this);
  whole_->addWidget(controls);
  controls->refresh();
}

QString ClientWindow::currentRoom() const {
  const QListWidgetItem* item = rooms->currentItem();
  if (item != nullptr) return item->text();
  const auto names = client_.roomNames();
  return names.empty() ? QString() : fromClient(names.front());
}

void ClientWindow::refresh() {
  refreshPending_ = false;
  state->setText(fromClient(client_.serviceState()));
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

  const std::string room = toClient(currentRoom());
  QString text;
  for (const auto& entry : client_.transcript(room)) {
    text += fromClient(entry) + QLatin1Char('\n');
  }
  if (text != chat->toPlainText()) {
    chat->setPlainText(text);
    chat->verticalScrollBar()->setValue(chat->verticalScrollBar()->maximum());
  }
  people->clear();
  for (const auto& name : client_.people(room))
    people->addItem(fromClient(name));

  const auto& messages = client_.receivedMessages();
  for (auto i = static_cast<std::size_t>(received->count()); i < messages.size(); ++i) {
    received->addItem(QStringLiteral("From %1: %2")
                          .arg(fromClient(messages[i].from), fromClient(messages[i].text)));
    received->scrollToBottom();
  }

  const Hwnd box = client_.messageBox();
  QString shown = QStringLiteral("(none showing)");
  for (const ShownBox& each : client_.messageBoxes()) {
    if (each.box == box) shown = fromClient(each.text);
  }
  boxText->setText(shown);
  boxButton->setEnabled(box != 0);
  if (serviceControls_ != nullptr) serviceControls_->refresh();
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
  client_.typeLine(toClient(currentRoom()), toClient(line->text()));
  line->clear();
}

}  // namespace kestar::client
