#include "spar/Init.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
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
  return list;
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

// Puts the number typed in a box over the selected item of a list. Nothing is selected, or a
// number the list could not read back: the item stays as it is.
void changeSelected(QListWidget& list, const QLineEdit& typed) {
  QListWidgetItem* item = selectedItem(list);
  const std::optional<Text> number = listNumber(toText(typed.text()));
  if (item != nullptr && number) item->setText(toQString(*number));
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
  auto* columns = new QHBoxLayout;
  List1->setMinimumWidth(160);
  List2->setFixedWidth(kNarrow + 20);
  List3->setFixedWidth(kNarrow);
  columns->addWidget(List1, 1);
  columns->addWidget(List2);
  columns->addWidget(List3);
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

  auto* window = new QHBoxLayout(this);
  window->addLayout(left, 1);
  window->addLayout(right);

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
  List1->addItem(toQString(row->name));
  List2->addItem(toQString(row->initiative));
  List3->addItem(toQString(kNoAnswer));
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
    List1->item(row)->setText(toQString(names[order[place]]));
    List2->item(row)->setText(toQString(initiatives[order[place]]));
  }
  Command6->setEnabled(true);
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
  chatlink::Pause(link().host, 1);
  Command7->setEnabled(false);
  Command8->setEnabled(true);
  Chat2.StartScan();
}

void Init::Chat2_ChatMsg(const Text& Screen_Name, const Text& What_Said) {
  for (const std::size_t row : answerRows(Screen_Name, What_Said, items(*List1), items(*List4))) {
    List3->item(static_cast<int>(row))->setText(toQString(What_Said));
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
