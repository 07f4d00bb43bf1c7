#include "client/window/ClientWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>
#include <QTextCursor>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "chatlink/ChatScanner.h"
#include "chatlink/CodePage.h"

namespace kestar::client {
namespace {

const QString kTimeStampsKey = QStringLiteral("client/timeStamps");
const QString kBoxTitle = QStringLiteral("Message box");
constexpr int kRoomName = Qt::UserRole;
constexpr int kLeft = Qt::UserRole + 1;

QTextCharFormat greyed(const QWidget& on, bool italic) {
  QTextCharFormat format;
  format.setForeground(on.palette().color(QPalette::Disabled, QPalette::Text));
  format.setFontItalic(italic);
  return format;
}

}  // namespace

QString fromClient(const std::string& bytes) {
  const Text text = chatlink::fromCodePage(bytes);
  return QString::fromStdU16String(text);
}

std::string toClient(const QString& text) {
  return chatlink::toCodePage(text.toStdU16String());
}

ClientWindow::ClientWindow(Client& client, Desktop& windows)
    : state(new QLabel(this)),
      timeStamps(new QCheckBox(QStringLiteral("Time stamps"), this)),
      rooms(new QListWidget(this)),
      topic(new QLabel(this)),
      chat(new QPlainTextEdit(this)),
      people(new QListWidget(this)),
      roomName(new QLineEdit(QStringLiteral("Spar Arena"), this)),
      openButton(new QPushButton(QStringLiteral("Enter"), this)),
      raiseButton(new QPushButton(QStringLiteral("To front"), this)),
      closeButton(new QPushButton(QStringLiteral("Leave"), this)),
      line(new QLineEdit(this)),
      sayButton(new QPushButton(QStringLiteral("Say"), this)),
      keyword(new QLineEdit(this)),
      goButton(new QPushButton(QStringLiteral("Go"), this)),
      pages(new QTabWidget(this)),
      imTo(new QLineEdit(QStringLiteral("Bob"), this)),
      imText(new QLineEdit(this)),
      imSendButton(new QPushButton(QStringLiteral("Send"), this)),
      received(new QListWidget(this)),
      boxText(new QLabel(this)),
      boxButton(new QPushButton(QStringLiteral("Press its button"), this)),
      client_(client),
      windows_(windows) {
  if (!client_.clock) {
    client_.clock = [] {
      return QTime::currentTime().toString(QStringLiteral("HH:mm")).toStdString();
    };
  }
  timeStamps->setChecked(QSettings().value(kTimeStampsKey, false).toBool());
  chat->setReadOnly(true);
  chat->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  chat->setMinimumSize(300, 100);
  chat->setTabStopDistance(chat->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 12);
  // A long topic is shortened to the line, and shown whole in its tool tip.
  topic->setTextFormat(Qt::PlainText);
  topic->setMinimumWidth(1);
  topic->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  people->setFixedWidth(130);
  people->setAccessibleName(QStringLiteral("People in the room"));
  rooms->setAccessibleName(QStringLiteral("Rooms"));
  rooms->setToolTip(QStringLiteral("Open rooms, topmost first, then the rooms you left"));
  roomName->setToolTip(QStringLiteral("The room to enter"));
  line->setPlaceholderText(QStringLiteral("say a line as yourself, or a /command"));
  line->setToolTip(QStringLiteral(
      "A line to say, or a command: /me ACTION, /msg NICK TEXT, /notice NICK TEXT, /join ROOM, "
      "/part [REASON], /nick NAME, /topic [TEXT], /mode +o|-o NICK, /mode +l N, /mode -l, /op "
      "NICK, /deop NICK, /whois NICK, /quit [REASON]; //TEXT says the line as it stands"));
  keyword->setPlaceholderText(QStringLiteral("a keyword"));
  imText->setPlaceholderText(QStringLiteral("an instant message"));
  state->setWordWrap(true);

  auto* header = new QHBoxLayout;
  header->addWidget(state, 1);
  header->addWidget(timeStamps);

  auto* roomColumn = new QGridLayout;
  roomColumn->addWidget(rooms, 0, 0, 1, 2);
  roomColumn->addWidget(roomName, 1, 0);
  roomColumn->addWidget(openButton, 1, 1);
  roomColumn->addWidget(raiseButton, 2, 0);
  roomColumn->addWidget(closeButton, 2, 1);
  roomColumn->setRowStretch(0, 1);
  auto* roomBox = new QWidget(this);
  roomBox->setLayout(roomColumn);
  roomColumn->setContentsMargins(0, 0, 0, 0);
  roomBox->setFixedWidth(180);

  auto* sayRow = new QHBoxLayout;
  sayRow->addWidget(line, 1);
  sayRow->addWidget(sayButton);
  sayRow->addWidget(new QLabel(QStringLiteral("Keyword"), this));
  sayRow->addWidget(keyword);
  sayRow->addWidget(goButton);
  auto* chatColumn = new QVBoxLayout;
  chatColumn->addWidget(topic);
  chatColumn->addWidget(chat, 1);
  chatColumn->addLayout(sayRow);

  auto* top = new QHBoxLayout;
  top->addWidget(roomBox);
  top->addLayout(chatColumn, 1);
  top->addWidget(people);

  received->setMaximumHeight(3 * received->fontMetrics().height());
  auto* imPage = new QWidget(this);
  auto* imGrid = new QGridLayout(imPage);
  imGrid->addWidget(new QLabel(QStringLiteral("To"), imPage), 0, 0);
  imGrid->addWidget(imTo, 0, 1);
  imGrid->addWidget(imText, 0, 2);
  imGrid->addWidget(imSendButton, 0, 3);
  imGrid->addWidget(new QLabel(QStringLiteral("Messages"), imPage), 1, 0);
  imGrid->addWidget(received, 1, 1, 1, 3);
  imGrid->setColumnStretch(2, 1);

  boxText->setWordWrap(true);
  boxPage_ = new QWidget(this);
  auto* boxRow = new QHBoxLayout(boxPage_);
  boxRow->addWidget(boxText, 1);
  boxRow->addWidget(boxButton);
  pages->addTab(imPage, QStringLiteral("Instant messages"));
  pages->addTab(boxPage_, kBoxTitle);

  auto* whole = new QVBoxLayout(this);
  whole->setContentsMargins(6, 4, 6, 6);
  whole->setSpacing(4);
  whole->addLayout(header);
  whole->addLayout(top, 1);
  whole->addWidget(pages);

  connect(openButton, &QPushButton::clicked, this, [this] {
    if (!roomName->text().trimmed().isEmpty()) client_.goToRoom(toClient(roomName->text()));
  });
  connect(roomName, &QLineEdit::returnPressed, openButton, &QPushButton::click);
  connect(raiseButton, &QPushButton::clicked, this,
          [this] { client_.raise(client_.room(toClient(currentRoom()))); });
  connect(closeButton, &QPushButton::clicked, this, [this] {
    if (currentRoomIsLeft()) {
      client_.forgetRoom(toClient(currentRoom()));
      rooms->setCurrentRow(-1);
      scheduleRefresh();
    } else {
      client_.closeRoom(toClient(currentRoom()));
    }
  });
  connect(rooms, &QListWidget::currentRowChanged, this, [this] { scheduleRefresh(); });
  connect(timeStamps, &QCheckBox::toggled, this, [this](bool on) {
    QSettings().setValue(kTimeStampsKey, on);
    refresh();
  });
  connect(sayButton, &QPushButton::clicked, this, &ClientWindow::say);
  connect(line, &QLineEdit::returnPressed, this, &ClientWindow::say);
  const auto go = [this] {
    client_.typeKeyword(toClient(keyword->text()));
    keyword->clear();
  };
  connect(goButton, &QPushButton::clicked, this, go);
  connect(keyword, &QLineEdit::returnPressed, this, go);
  const auto sendIm = [this] {
    if (imTo->text().trimmed().isEmpty()) return;
    client_.typeInstantMessage(toClient(imTo->text()), toClient(imText->text()));
    imText->clear();
  };
  connect(imSendButton, &QPushButton::clicked, this, sendIm);
  connect(imText, &QLineEdit::returnPressed, this, sendIm);
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
  int at = 0;
  pages->insertTab(at++, controls, controls->title());
  for (const auto& [title, page] : controls->morePages())
    pages->insertTab(at++, page, title);
  pages->setCurrentIndex(0);
  controls->refresh();
}

QString ClientWindow::currentRoom() const {
  const QListWidgetItem* item = rooms->currentItem();
  if (item != nullptr) return item->data(kRoomName).toString();
  const auto names = client_.roomNames();
  return names.empty() ? QString() : fromClient(names.front());
}

bool ClientWindow::currentRoomIsLeft() const {
  const QListWidgetItem* item = rooms->currentItem();
  return item != nullptr && item->data(kLeft).toBool();
}

void ClientWindow::refresh() {
  refreshPending_ = false;
  state->setText(fromClient(client_.serviceState()));
  setWindowTitle(client_.signedOn() ? QStringLiteral("Kestar's chat client - signed on as ") +
                                          fromClient(client_.userName())
                                    : QStringLiteral("Kestar's chat client - not signed on"));
  showRooms();
  showChat();

  showTopic();
  const std::string room = toClient(currentRoom());
  people->clear();
  for (const auto& name : client_.people(room))
    people->addItem(fromClient(name));
  closeButton->setText(currentRoomIsLeft() ? QStringLiteral("Close") : QStringLiteral("Leave"));

  const auto& messages = client_.imLog();
  for (auto i = static_cast<std::size_t>(received->count()); i < messages.size(); ++i) {
    received->addItem(fromClient(messages[i]));
    received->scrollToBottom();
  }

  const Hwnd box = client_.messageBox();
  QString shown = QStringLiteral("(none showing)");
  for (const ShownBox& each : client_.messageBoxes()) {
    if (each.box == box) shown = fromClient(each.text);
  }
  boxText->setText(shown);
  boxButton->setEnabled(box != 0);
  pages->setTabText(pages->indexOf(boxPage_),
                    box != 0 ? kBoxTitle + QStringLiteral(" (showing)") : kBoxTitle);
  if (serviceControls_ != nullptr) serviceControls_->refresh();
}

void ClientWindow::showRooms() {
  const QString chosen = currentRoom();
  const bool chosenLeft = currentRoomIsLeft();
  rooms->blockSignals(true);
  rooms->clear();
  const auto add = [&](const std::string& name, bool left) {
    auto* item = new QListWidgetItem(
        left ? fromClient(name) + QStringLiteral(" (left)") : fromClient(name), rooms);
    item->setData(kRoomName, fromClient(name));
    item->setData(kLeft, left);
    if (left) item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
    if (fromClient(name) == chosen && left == chosenLeft) rooms->setCurrentItem(item);
  };
  for (const auto& name : client_.roomNames())
    add(name, false);
  for (const auto& name : client_.leftRooms())
    add(name, true);
  if (rooms->currentRow() < 0 && rooms->count() > 0) rooms->setCurrentRow(0);
  rooms->blockSignals(false);
}

void ClientWindow::showChat() {
  const QString room = currentRoom();
  const std::vector<ShownLine> lines = client_.history(toClient(room));
  const bool times = timeStamps->isChecked();
  // New lines are added to what is shown; anything else shows the room afresh.
  const bool adds = room == shownRoom_ && times == shownTimes_ && lines.size() >= shown_.size() &&
                    std::equal(shown_.begin(), shown_.end(), lines.begin());
  if (adds && lines.size() == shown_.size()) return;
  if (!adds) {
    chat->clear();
    shown_.clear();
  }
  const QTextCharFormat plain;
  const QTextCharFormat time = greyed(*this, false);
  const QTextCharFormat notice = greyed(*this, true);
  QTextCursor end(chat->document());
  end.movePosition(QTextCursor::End);
  for (std::size_t i = shown_.size(); i < lines.size(); ++i) {
    if (!chat->document()->isEmpty()) end.insertBlock();
    if (times) end.insertText(fromClient(lines[i].time) + QLatin1Char(' '), time);
    std::string_view name;
    std::string_view said;
    // As the scanner reads the line: only "Name:" TAB "text" is someone's speech.
    const bool speech = chatlink::splitChatLine(lines[i].line, name, said);
    end.insertText(fromClient(lines[i].line), speech ? plain : notice);
  }
  shownRoom_ = room;
  shownTimes_ = times;
  shown_ = lines;
  chat->verticalScrollBar()->setValue(chat->verticalScrollBar()->maximum());
}

void ClientWindow::showTopic() {
  const QString text = fromClient(client_.topic(toClient(currentRoom())));
  topic->setToolTip(text);
  topic->setText(text.isEmpty() ? QStringLiteral("No topic")
                                : topic->fontMetrics().elidedText(QStringLiteral("Topic: ") + text,
                                                                  Qt::ElideRight, topic->width()));
}

void ClientWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  showTopic();
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
  if (line->text().isEmpty()) return;
  const Command command = parseCommand(toClient(line->text()));
  // A line needs a room to be said in; a command may be typed before any room is open.
  if (command.kind == CommandKind::Say && currentRoom().isEmpty()) return;
  client_.command(toClient(currentRoom()), command);
  line->clear();
  scheduleRefresh();
}

}  // namespace kestar::client
