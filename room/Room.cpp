#include "room/Room.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>

#include "room/RoomKeyword.h"
#include "shell/Controls.h"
#include "shell/Program.h"

namespace kestar::room {
namespace {

QComboBox* makeList(const QString& caption, const QStringList& items, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->addItems(items);
  box->setCurrentIndex(-1);
  box->setEditText(caption);
  return box;
}

// The chosen item's position, or -1 when the box shows something else (its caption, or text the
// user typed over the choice).
int listIndex(const QComboBox& box) {
  const int index = box.currentIndex();
  return index >= 0 && box.currentText() == box.itemText(index) ? index : -1;
}

QLineEdit* makeLine(const QString& text, int maxLength, QWidget* parent) {
  auto* line = new QLineEdit(text, parent);
  if (maxLength > 0) line->setMaxLength(maxLength);
  return line;
}

// The length the box's text has when it leaves the program, line breaks as CR LF.
int sentLength(const QPlainTextEdit& box) {
  return static_cast<int>(shell::boxText(box).size());
}

}  // namespace

Room::Room(shell::Program& program)
    : Form(program, Id, QStringLiteral("Room Buster")),
      Combo1(makeList(
          QStringLiteral("Location"),
          {QStringLiteral("Featured"), QStringLiteral("Member"), QStringLiteral("Private")}, this)),
      Combo2(makeList(
          QStringLiteral("Category"),
          {QStringLiteral("Town Square"), QStringLiteral("Arts and Entertainment"),
           QStringLiteral("Friends"), QStringLiteral("Life"),
           QStringLiteral("News Sports & Finance"), QStringLiteral("Places"),
           QStringLiteral("Romance"), QStringLiteral("Special Interests"),
           QStringLiteral("Germany"), QStringLiteral("The UK Experience"), QStringLiteral("France"),
           QStringLiteral("Canada"), QStringLiteral("Japan"), QStringLiteral("Australia")},
          this)),
      Text1(makeLine(QStringLiteral("Chat Room Name"), kRoomNameLength, this)),
      Command1(shell::makeButton(QStringLiteral("Start"), this)),
      Command2(shell::makeButton(QStringLiteral("Stop"), this)),
      Command4(shell::makeButton(QStringLiteral("Close"), this)),
      Label2(new QLabel(QStringLiteral("Total Attemps"), this)),
      Text3(makeLine(QString(), 0, this)),
      Check1(new QCheckBox(QStringLiteral("Advertise"), this)),
      Text2(makeLine(QStringLiteral("Text2"), 0, this)),
      Line1(new QFrame(this)),
      Label4(new QLabel(QStringLiteral("Instant Message Sender"), this)),
      Label1(new QLabel(QStringLiteral("Screen Name:"), this)),
      Text4(makeLine(QString(), kScreenNameLength, this)),
      Label3(new QLabel(QStringLiteral("Message:"), this)),
      Text5(new QPlainTextEdit(this)),
      Command3(shell::makeButton(QStringLiteral("Send"), this)),
      Command5(shell::makeButton(QStringLiteral("Clear"), this)),
      ImStatus(new shell::StatusLine(this)) {
  Text2->setVisible(false);
  Line1->setFrameShape(QFrame::HLine);
  Line1->setFrameShadow(QFrame::Sunken);
  QFont bold = Label4->font();
  bold.setBold(true);
  Label4->setFont(bold);
  Text5->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Text5->setTabChangesFocus(true);
  Text5->setMinimumHeight(90);
  // The room's whole name in sight, its caption too.
  Text1->setMinimumWidth(Text1->fontMetrics().averageCharWidth() * (kRoomNameLength + 2));
  shell::describe(Combo1, QStringLiteral("Location"), QStringLiteral("Where the room is listed"));
  shell::describe(Combo2, QStringLiteral("Category"),
                  QStringLiteral("The room's category (not used for a private room)"));
  shell::describe(Text1, QStringLiteral("Chat room name"),
                  QStringLiteral("The name of the room to get into, up to 21 characters"));
  shell::describe(Text3, Label2->text(),
                  QStringLiteral("How many attempts came before the current one"));
  shell::describe(Text4, QStringLiteral("Screen name"),
                  QStringLiteral("Who gets the instant message, up to 10 characters"));
  shell::describe(Text5, QStringLiteral("Message"),
                  QStringLiteral("The instant message, up to 300 characters"));

  auto* grid = new QGridLayout(this);
  grid->addWidget(Combo1, 0, 0);
  grid->addWidget(Combo2, 0, 1);
  grid->addWidget(Text1, 0, 2);
  grid->addWidget(Command1, 1, 0);
  grid->addWidget(Command2, 1, 1);
  grid->addWidget(Command4, 1, 2);
  grid->addWidget(Label2, 2, 0);
  grid->addWidget(Text3, 2, 1);
  grid->addWidget(Check1, 3, 0);
  grid->addWidget(Line1, 4, 0, 1, 3);
  grid->addWidget(Label4, 5, 0, 1, 3);
  grid->addWidget(Label1, 6, 0);
  grid->addWidget(Text4, 6, 1);
  grid->addWidget(Label3, 7, 0);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(Command3);
  buttons->addWidget(Command5);
  buttons->addStretch(1);
  grid->addLayout(buttons, 8, 0);
  grid->addWidget(Text5, 8, 1, 1, 2);
  grid->addWidget(ImStatus, 9, 0, 1, 3);
  shell::chainFocus({Text1, Command1, Command2, Command4, Combo1, Combo2, Text3, Check1, Text4,
                     Text5, Command3, Command5});

  connect(Combo1, &QComboBox::activated, this, &Room::Combo1_Click);
  connect(Command1, &QPushButton::clicked, this, &Room::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Room::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Room::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &Room::Command4_Click);
  connect(Command5, &QPushButton::clicked, this, &Room::Command5_Click);
  connect(Text5->document(), &QTextDocument::contentsChange, this,
          [this](int position, int, int added) {
            text5EditAt_ = position;
            text5EditAdded_ = added;
          });
  connect(Text5, &QPlainTextEdit::textChanged, this, &Room::Text5_Change);
}

void Room::Form_Load() {
  shell::StayOnTop(*this);
  Command2->setEnabled(false);
  Check1->setChecked(true);
}

void Room::Combo1_Click() {
  Combo2->setEnabled(listIndex(*Combo1) != kPrivate);
}

void Room::BuildKeyword() {
  StopRequested = 0;
  const int location = listIndex(*Combo1);
  const int category = listIndex(*Combo2);
  if (location != kPrivate) Text2->setText(QString::number(category + 1));
  RoomKeyword = roomKeyword(location, category, shell::toText(Text1->text()));
}

void Room::Command1_Click() {
  AttemptCount = -1;
  Command1->setEnabled(false);
  Command2->setEnabled(true);
  BuildKeyword();
  const chatlink::Link& client = link();
  using BustState = shell::Program::BustState;
  const auto standing = [&] {
    const auto& rule = program().bustState;
    if (rule) return rule(RoomKeyword, AttemptCount + 1);
    return chatlink::FindChatRoom(client) != 0 ? BustState::In : BustState::Knocking;
  };
  BustState state = BustState::Knocking;
  while (!client.host.ended() && StopRequested == 0 && AttemptCount < kMostAttempts &&
         (state = standing()) == BustState::Knocking) {
    chatlink::SendKeyword(client, RoomKeyword);
    chatlink::DismissMessageBox(client);
    chatlink::Pause(client.host, 1);
    ++AttemptCount;
    Text3->setText(QString::number(AttemptCount));
  }
  // The box's text, not the counter: the user may have edited it, or no attempt was made. A run
  // the client turned away for good has got nowhere to announce; the client's box says why.
  if (Check1->isChecked() && state != BustState::TurnedAway) {
    chatlink::SendChat(client,
                       Text(kAdvertBefore) + shell::toText(Text3->text()) + Text(kAdvertAfter));
  }
  Command1->setEnabled(true);
  Command2->setEnabled(false);
}

void Room::Command2_Click() {
  // Start comes back when the run ends, at its next test: a run started before that would run
  // inside this one.
  StopRequested = 1;
  Command2->setEnabled(false);
}

void Room::Command3_Click() {
  // A click inside this send's waits would send the message first and leave this send an empty
  // box to send.
  Command3->setEnabled(false);
  ImStatus->say(QStringLiteral("Sending..."));
  chatlink::DismissMessageBox(link());
  Text boxText;
  const chatlink::ImOutcome outcome =
      chatlink::SendIM(link(), shell::toText(Text4->text()), shell::boxText(*Text5), &boxText);
  // A message that did not go out stays, to be sent again; the user is told why.
  switch (outcome) {
    case chatlink::ImOutcome::Sent:
      Text5->clear();
      ImStatus->say(QStringLiteral("Sent."));
      break;
    case chatlink::ImOutcome::Refused:
      ImStatus->say(QStringLiteral("Refused by the client: \"%1\"").arg(shell::toQString(boxText)));
      break;
    case chatlink::ImOutcome::GaveUp:
      ImStatus->say(QStringLiteral("No answer from the client."));
      break;
  }
  Command3->setEnabled(true);
  Text5->setFocus();
}

void Room::Command4_Click() {
  Hide();
  open(shell::FormId::Startup);
}

void Room::Command5_Click() {
  Text4->clear();
  Text5->clear();
}

void Room::Text5_Change() {
  // As a text box with a length limit does: what was just typed or pasted is cut to what fits.
  int excess = sentLength(*Text5) - kMessageLength;
  if (excess <= 0) return;
  QTextDocument* document = Text5->document();
  const int end = std::min(text5EditAt_ + text5EditAdded_, document->characterCount() - 1);
  int start = end;
  while (excess > 0 && start > 0) {
    --start;
    excess -= document->characterAt(start) == QChar::ParagraphSeparator ? 2 : 1;
  }
  QTextCursor cut(document);
  cut.setPosition(start);
  cut.setPosition(end, QTextCursor::KeepAnchor);
  cut.removeSelectedText();
}

}  // namespace kestar::room
