#include "spar/Init.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "chatlink/ChatLink.h"
#include "dice/Dice.h"
#include "dice/rules/Numbers.h"
#include "shell/Controls.h"
#include "shell/Program.h"
#include "spar/rules/SparRules.h"

namespace kestar::spar {
namespace {

using shell::makeButton;
using shell::toQString;
using shell::toText;

QListWidget* makeColumn(QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setSortingEnabled(false);
  // A text too long for its column is cut with an ellipsis and shown whole in its tool tip, so
  // that no column scrolls sideways and a row keeps reading as one line.
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setTextElideMode(Qt::ElideRight);
  return list;
}

void setCell(QListWidgetItem& cell, const QString& text) {
  cell.setText(text);
  cell.setToolTip(text);
}

void addCell(QListWidget& list, const QString& text) {
  auto* cell = new QListWidgetItem(&list);
  setCell(*cell, text);
}

// The class column is as wide as the boxes of new values, so Text1 stands right under it.
constexpr int kNarrow = 60;

QLineEdit* makeNarrowBox(QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setFixedWidth(kNarrow);
  return box;
}

std::vector<Text> items(const QListWidget& list) {
  std::vector<Text> texts;
  texts.reserve(static_cast<std::size_t>(list.count()));
  for (int i = 0; i < list.count(); ++i)
    texts.push_back(toText(list.item(i)->text()));
  return texts;
}

QListWidgetItem* selectedItem(const QListWidget& list) {
  const QList<QListWidgetItem*> selected = list.selectedItems();
  return selected.isEmpty() ? nullptr : selected.front();
}

int selectedRow(const QListWidget& list) {
  const QListWidgetItem* item = selectedItem(list);
  return item == nullptr ? -1 : list.row(item);
}

// Puts the number typed in a box over the selected item of a list. Nothing is selected, or a
// number the list could not read back: the item stays as it is.
void changeSelected(QListWidget& list, const QLineEdit& typed) {
  QListWidgetItem* item = selectedItem(list);
  const std::optional<Text> number = listNumber(toText(typed.text()));
  if (item != nullptr && number) setCell(*item, toQString(*number));
}

// The width at which the directions wrap one instruction to a line: the runs of blanks between
// the instructions are long enough that no instruction and the first word of the next fit on one
// line together.
int directionsWidth(const QFontMetrics& metrics, const QString& directions) {
  static const QRegularExpression instruction(QStringLiteral("(\\S.*?)( {2,})(\\S+)"));
  int width = metrics.horizontalAdvance(directions);
  qsizetype from = 0;
  for (QRegularExpressionMatch m = instruction.match(directions, from); m.hasMatch();
       m = instruction.match(directions, from)) {
    width =
        std::min(width, metrics.horizontalAdvance(m.captured(1) + m.captured(2) + m.captured(3)));
    from = m.capturedStart(3);
  }
  // A few pixels below the limit, since a laid-out line may round its width up.
  return width - 4;
}

}  // namespace

Init::Init(shell::Program& program)
    : Form(program, Id, QStringLiteral("Init")),
      List1(makeColumn(this)),
      List2(makeColumn(this)),
      List3(makeColumn(this)),
      List4(makeColumn(this)),
      Command11(makeButton(QStringLiteral("Change Init"), this)),
      Text2(makeNarrowBox(this)),
      Command10(makeButton(QStringLiteral("Change Mortal"), this)),
      Text1(makeNarrowBox(this)),
      Label1(new QLabel(toQString(kDirections), this)),
      Label2(new QLabel(QStringLiteral("Highest Dice"), this)),
      Text4(new QLineEdit(this)),
      Label3(new QLabel(QStringLiteral("# of People"), this)),
      Text5(new QLineEdit(this)),
      Command9(makeButton(QStringLiteral("Xps"), this)),
      Command1(makeButton(QStringLiteral("Start Init"), this)),
      Command2(makeButton(QStringLiteral("Stop Init"), this)),
      Command5(makeButton(QStringLiteral("Sort"), this)),
      Command7(makeButton(QStringLiteral("Start Mortal"), this)),
      Command8(makeButton(QStringLiteral("Stop Mortal"), this)),
      Command6(makeButton(QStringLiteral("Send"), this)),
      Command3(makeButton(QStringLiteral("Clear"), this)),
      Command4(makeButton(QStringLiteral("Close"), this)),
      Label4(new QLabel(QStringLiteral("****"), this)),
      Status(new shell::StatusLine(this)),
      Chat1(program.link()),
      Chat2(program.link()) {
  List4->setVisible(false);
  Label1->setTextFormat(Qt::PlainText);
  Label1->setWordWrap(true);
  const int directions = directionsWidth(Label1->fontMetrics(), Label1->text());
  Label1->setFixedWidth(directions);
  // A window does not grow for a wrapped label by itself.
  Label1->setMinimumHeight(Label1->heightForWidth(directions));
  Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label4->setAlignment(Qt::AlignCenter);

  // The three lists side by side on the left, with the two change buttons and their boxes under
  // them; on the right the directions, the spar's worth and the buttons in two columns.
  auto* columns = new QGridLayout;
  List1->setMinimumWidth(160);
  List2->setFixedWidth(kNarrow + 20);
  List3->setFixedWidth(kNarrow);
  const std::pair<QListWidget*, QString> headed[] = {{List1, QStringLiteral("Name")},
                                                     {List2, QStringLiteral("Init")},
                                                     {List3, QStringLiteral("Class")}};
  int column = 0;
  for (const auto& [list, heading] : headed) {
    auto* header = new QLabel(heading, this);
    header->setBuddy(list);
    columns->addWidget(header, 0, column);
    columns->addWidget(list, 1, column++);
  }
  columns->setColumnStretch(0, 1);
  columns->setRowStretch(1, 1);
  columns->setHorizontalSpacing(0);
  // The three lists scroll as one, with one scroll bar at the right of the last, so that row i
  // of each keeps reading as one line.
  List1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  List2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  for (QListWidget* from : {List1, List2, List3}) {
    for (QListWidget* to : {List1, List2, List3}) {
      if (from != to) {
        connect(from->verticalScrollBar(), &QScrollBar::valueChanged, to->verticalScrollBar(),
                &QScrollBar::setValue);
      }
    }
    connect(from, &QListWidget::itemSelectionChanged, this, &Init::markSelectedRows);
  }
  shell::describe(List1, QStringLiteral("Names"), QStringLiteral("The players' screen names"));
  shell::describe(List2, QStringLiteral("Initiatives"),
                  QStringLiteral("Each player's initiative roll: select one for Change Init"));
  shell::describe(List3, QStringLiteral("Class answers"),
                  QStringLiteral("Each player's class answer: select one for Change Mortal"));
  shell::describe(Text2, QStringLiteral("New initiative"),
                  QStringLiteral("Change Init puts this number over the selected initiative"));
  shell::describe(Text1, QStringLiteral("New class"),
                  QStringLiteral("Change Mortal puts this number over the selected class answer"));
  shell::describe(Text4, Label2->text(), QStringLiteral("The highest number of dice in the spar"));
  shell::describe(Text5, Label3->text(), QStringLiteral("How many people fight in the spar"));
  Label2->setBuddy(Text4);
  Label3->setBuddy(Text5);
  auto* changes = new QHBoxLayout;
  changes->addWidget(Command11);
  changes->addWidget(Text2);
  changes->addWidget(Command10);
  changes->addWidget(Text1);
  auto* left = new QVBoxLayout;
  left->addLayout(columns, 1);
  left->addLayout(changes);

  auto* worth = new QGridLayout;
  worth->addWidget(Label2, 0, 0);
  worth->addWidget(Text4, 0, 1);
  worth->addWidget(Label3, 1, 0);
  worth->addWidget(Text5, 1, 1);
  worth->addWidget(Command9, 0, 2, 2, 1);
  auto* buttons = new QGridLayout;
  buttons->addWidget(Command1, 0, 0);
  buttons->addWidget(Command2, 0, 1);
  buttons->addWidget(Command5, 1, 0);
  buttons->addWidget(Command7, 1, 1);
  buttons->addWidget(Command8, 2, 0);
  buttons->addWidget(Command6, 2, 1);
  buttons->addWidget(Command3, 3, 0);
  buttons->addWidget(Command4, 3, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(Label1);
  right->addLayout(worth);
  right->addLayout(buttons);
  right->addWidget(Label4);
  right->addStretch(1);

  // The status line runs under both halves, so that what it says fits on one line.
  auto* halves = new QHBoxLayout;
  halves->addLayout(left, 1);
  halves->addLayout(right);
  auto* window = new QVBoxLayout(this);
  window->addLayout(halves, 1);
  window->addWidget(Status);

  shell::chainFocus({Command1, Command2, Command5, Command7, Command8, Command6, Command3, Command4,
                     Text4, Text5, Command9, List1, List2, List3, Command11, Text2, Command10,
                     Text1});

  Chat1.ChatMsg = [this](const Text& name, const Text& said) { Chat1_ChatMsg(name, said); };
  Chat2.ChatMsg = [this](const Text& name, const Text& said) { Chat2_ChatMsg(name, said); };
  connect(Command1, &QPushButton::clicked, this, &Init::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Init::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Init::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &Init::Command4_Click);
  connect(Command5, &QPushButton::clicked, this, &Init::Command5_Click);
  connect(Command6, &QPushButton::clicked, this, &Init::Command6_Click);
  connect(Command7, &QPushButton::clicked, this, &Init::Command7_Click);
  connect(Command8, &QPushButton::clicked, this, &Init::Command8_Click);
  connect(Command9, &QPushButton::clicked, this, &Init::Command9_Click);
  connect(Command10, &QPushButton::clicked, this, &Init::Command10_Click);
  connect(Command11, &QPushButton::clicked, this, &Init::Command11_Click);
  markSelectedRows();
}

void Init::markSelectedRows() {
  QListWidget* const lists[] = {List1, List2, List3};
  const QBrush mark(palette().color(QPalette::Highlight).lighter(170));
  for (QListWidget* list : lists) {
    for (int row = 0; row < list->count(); ++row)
      list->item(row)->setData(Qt::BackgroundRole, QVariant());
  }
  for (QListWidget* selected : lists) {
    const int row = selectedRow(*selected);
    if (row < 0) continue;
    for (QListWidget* other : lists) {
      if (other != selected && row < other->count() && !other->item(row)->isSelected())
        other->item(row)->setBackground(mark);
    }
  }
  const auto whose = [this](const QListWidget& list, const QString& what, const QString& button) {
    const int row = selectedRow(list);
    if (row < 0 || row >= List1->count()) {
      return QStringLiteral(
                 "Select a value in the %1 list first; %2 then puts the number in the "
                 "box beside it over that value")
          .arg(what, button);
    }
    return QStringLiteral("%1 puts the number in the box beside it over the %2 of %3 (row %4)")
        .arg(button, what, List1->item(row)->text())
        .arg(row + 1);
  };
  Command11->setToolTip(whose(*List2, QStringLiteral("initiative"), Command11->text()));
  Command10->setToolTip(whose(*List3, QStringLiteral("class answer"), Command10->text()));
}

void Init::Form_Load() {
  shell::StayOnTop(*this);
  PeopleCount = 0;
  for (QPushButton* off : {Command2, Command5, Command6, Command8})
    off->setEnabled(false);
  Command1->setFocus();
}

void Init::Command1_Click() {
  Chat1.SendLine(kRollCall);
  Command2->setEnabled(true);
  Command1->setEnabled(false);
  Chat1.StartScan();
}

void Init::Command2_Click() {
  Chat1.StopScan();
  Command1->setEnabled(true);
  Command2->setEnabled(false);
  Command5->setEnabled(true);
  Chat1.SendLine(kClosed);
}

void Init::Chat1_ChatMsg(const Text& Screen_Name, const Text& What_Said) {
  const std::optional<NewRow> row = rollRow(Screen_Name, What_Said, items(*List1));
  if (!row) return;
  addCell(*List1, toQString(row->name));
  addCell(*List2, toQString(row->initiative));
  addCell(*List3, toQString(kNoAnswer));
  List4->addItem(QString());
  ++PeopleCount;
}

void Init::Command5_Click() {
  const std::vector<Text> names = items(*List1);
  const std::vector<Text> initiatives = items(*List2);
  // Names and values move together; the class answers and their marks stay at their places.
  const std::vector<std::size_t> order = initiativeOrder(initiatives);
  for (std::size_t place = 0; place < order.size(); ++place) {
    const int row = static_cast<int>(place);
    setCell(*List1->item(row), toQString(names[order[place]]));
    setCell(*List2->item(row), toQString(initiatives[order[place]]));
  }
  Command6->setEnabled(true);
  markSelectedRows();
}

void Init::Command3_Click() {
  for (QListWidget* list : {List1, List2, List3, List4})
    list->clear();
  // While rolls are taken Start Init is disabled and cannot take the focus; Stop Init, the next
  // step, takes it instead.
  (Command1->isEnabled() ? Command1 : Command2)->setFocus();
  PeopleCount = 0;
}

void Init::Command11_Click() {
  changeSelected(*List2, *Text2);
}

void Init::Command4_Click() {
  open(dice::Dice::Id);
  Hide();
}

void Init::Command7_Click() {
  Chat2.SendLine(kClassCall);
  // The buttons change only after the pause, so a second click within it announces again.
  {
    shell::StatusLine::Send pausing(
        *Status, QStringLiteral("Sign-up announced: answers are taken after this second"));
    chatlink::Pause(link().host, 1);
  }
  Command7->setEnabled(false);
  Command8->setEnabled(true);
  Chat2.StartScan();
}

void Init::Chat2_ChatMsg(const Text& Screen_Name, const Text& What_Said) {
  for (const std::size_t row : answerRows(Screen_Name, What_Said, items(*List1), items(*List4))) {
    setCell(*List3->item(static_cast<int>(row)), toQString(What_Said));
    List4->item(static_cast<int>(row))->setText(toQString(kAnswered));
  }
}

void Init::Command8_Click() {
  Chat2.StopScan();
  Command7->setEnabled(true);
  Command8->setEnabled(false);
}

void Init::Command6_Click() {
  // The lists always hold PeopleCount rows.
  const Text line = playerList(items(*List1), items(*List3));
  shell::setBoxText(*program().window<dice::Dice>().Text4, line);
  Command6->setText(toQString(kSent));
}

void Init::Command9_Click() {
  // A worth beyond any number is not announced, and the boxes stay for the user to mend.
  const std::optional<double> value = sparWorth(toText(Text5->text()), toText(Text4->text()));
  if (!value) return;
  Text4->setText(toQString(rolls::numberText(*value)));
  Chat1.SendLine(sparWorthLine(toText(Text4->text())));
  Text4->clear();
  Text5->clear();
}

void Init::Command10_Click() {
  changeSelected(*List3, *Text1);
}

}  // namespace kestar::spar
