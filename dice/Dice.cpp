#include "dice/Dice.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolTip>
#include <cmath>

#include "dice/rules/Numbers.h"
#include "dice/rules/RollLine.h"
#include "dice/rules/TagPrefix.h"
#include "shell/Controls.h"
#include "shell/Program.h"

namespace kestar::dice {
namespace {

const QString kValueTip =
    QStringLiteral("A die value: Calculate, or Enter, adds its score to the total below");

}  // namespace

using shell::describe;
using shell::makeButton;
using shell::toQString;
using shell::toText;

Dice::Dice(shell::Program& program)
    : Form(program, Id, QStringLiteral("Dice Counter")),
      Text1(new QLineEdit(this)),
      Text2(new QLineEdit(this)),
      Text3(new QLineEdit(this)),
      Command1(makeButton(QStringLiteral("Start"), this)),
      Command2(makeButton(QStringLiteral("Stop"), this)),
      Command4(makeButton(QStringLiteral("&Scroll"), this)),
      Command5(makeButton(QStringLiteral("Init"), this)),
      Command7(makeButton(QStringLiteral("Terms"), this)),
      Command3(makeButton(QStringLiteral("Close"), this)),
      Text4(new QPlainTextEdit(this)),
      Check1(new QCheckBox(QStringLiteral("Bold"), this)),
      Check2(new QCheckBox(QStringLiteral("Italic"), this)),
      Check3(new QCheckBox(QStringLiteral("Underline"), this)),
      Text6(new QLineEdit(this)),
      Command6(makeButton(QStringLiteral("Calculate"), this)),
      Text7(new QLineEdit(QStringLiteral("0"), this)),
      Command8(makeButton(QStringLiteral("Clear"), this)),
      Command9(makeButton(QStringLiteral("Logger"), this)),
      Status(new shell::StatusLine(this)),
      Chat1(program.link()) {
  Text4->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Text4->setTabChangesFocus(true);

  // The results with the two button columns beside them, the calculator at the top right, the
  // text to scroll across the bottom with the formatting boxes to its right.
  auto* grid = new QGridLayout(this);
  grid->addWidget(Text1, 0, 0);
  grid->addWidget(Text2, 1, 0);
  grid->addWidget(Text3, 2, 0);
  grid->addWidget(Command1, 0, 1);
  grid->addWidget(Command2, 1, 1);
  grid->addWidget(Command4, 2, 1);
  grid->addWidget(Command5, 0, 2);
  grid->addWidget(Command7, 1, 2);
  grid->addWidget(Command3, 2, 2);
  grid->addWidget(Text6, 0, 3);
  grid->addWidget(Command6, 0, 4);
  grid->addWidget(Text7, 1, 3);
  grid->addWidget(Command8, 1, 4);
  grid->addWidget(Command9, 2, 3, 1, 2);
  grid->addWidget(Text4, 3, 0, 3, 3);
  grid->addWidget(Check1, 3, 3, 1, 2);
  grid->addWidget(Check2, 4, 3, 1, 2);
  grid->addWidget(Check3, 5, 3, 1, 2);
  grid->addWidget(Status, 6, 0, 1, 5);
  grid->setColumnStretch(0, 1);
  Text4->setMinimumHeight(90);

  describe(Text1, QStringLiteral("Roller"), QStringLiteral("Who made the last roll"));
  describe(Text2, QStringLiteral("Number of dice"),
           QStringLiteral("How many dice the last roll had"));
  describe(Text3, QStringLiteral("Total"), QStringLiteral("The total of the last counted roll"));
  describe(Text4, QStringLiteral("Text to scroll"),
           QStringLiteral("Scroll posts this text into the room, a line at a time"));
  describe(Text6, QStringLiteral("Die value"), kValueTip);
  describe(Text7, QStringLiteral("Running total"),
           QStringLiteral("The running total of the scores calculated"));

  shell::chainFocus({Text1, Text2, Text3, Command1, Command2, Command3, Text4, Command4, Command5,
                     Check1, Check2, Check3, Command7, Text6, Command6, Text7, Command8, Command9});

  Chat1.ChatMsg = [this](const Text& name, const Text& said) { Chat1_ChatMsg(name, said); };
  connect(Command1, &QPushButton::clicked, this, &Dice::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Dice::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Dice::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &Dice::Command4_Click);
  connect(Command5, &QPushButton::clicked, this, &Dice::Command5_Click);
  connect(Command6, &QPushButton::clicked, this, &Dice::Command6_Click);
  connect(Command7, &QPushButton::clicked, this, &Dice::Command7_Click);
  connect(Command8, &QPushButton::clicked, this, &Dice::Command8_Click);
  connect(Command9, &QPushButton::clicked, this, &Dice::Command9_Click);
  connect(Text6, &QLineEdit::returnPressed, this, &Dice::Command6_Click);
  connect(Text7, &QLineEdit::returnPressed, this, &Dice::Command6_Click);
}

void Dice::Command5_Click() {
  openTool(shell::FormId::Init);
}

void Dice::Command7_Click() {
  openTool(shell::FormId::Terms);
}

void Dice::Command9_Click() {
  openTool(shell::FormId::Log);
}

void Dice::Form_Load() {
  shell::StayOnTop(*this);
  Command2->setEnabled(false);
  Status->setStanding(QStringLiteral("Stopped"));
}

QString Dice::workGoingOn() const {
  return Command2->isEnabled() ? QStringLiteral("Dice counter: counting") : QString();
}

void Dice::applyTagPrefix() {
  TagPrefix =
      rolls::tagPrefix(Check1->checkState() == Qt::Checked, Check2->checkState() == Qt::Checked,
                       Check3->checkState() == Qt::Checked);
}

void Dice::Command1_Click() {
  applyTagPrefix();
  Chat1.StartScan();
  Command2->setEnabled(true);
  Command1->setEnabled(false);
  Status->setStanding(QStringLiteral("Counting"));
  program().workChanged();
}

void Dice::Command2_Click() {
  Chat1.StopScan();
  Command2->setEnabled(false);
  Command1->setEnabled(true);
  Status->setStanding(QStringLiteral("Stopped"));
  program().workChanged();
}

void Dice::Command3_Click() {
  Hide();
  open(shell::FormId::Startup);
}

void Dice::Command4_Click() {
  applyTagPrefix();
  // The scroll works on a copy of the text and reads the prefix afresh for every line, so a Start
  // or Scroll clicked during it changes the prefix of the lines still to come.
  shell::scrollShown(*Status, link(), shell::boxText(*Text4), TagPrefix);
  Text4->setFocus();
}

void Dice::Command6_Click() {
  const double value = rolls::leadingNumber(toText(Text6->text()));
  const double total = rolls::leadingNumber(toText(Text7->text()));
  const std::optional<std::int16_t> score = rolls::Dice1(value);
  // A value whose score does not fit, or a total beyond any number, adds nothing: both boxes stay
  // as they are for the user to mend.
  if (!score) {
    sayCalculator(QStringLiteral("%1 cannot be added: its score would be over 32767.")
                      .arg(Text6->text().trimmed()));
  } else if (!std::isfinite(total + *score)) {
    sayCalculator(
        QStringLiteral("The total would go beyond any number: Clear it, or make it smaller."));
  } else {
    if (value == rolls::kSnagValue) chatlink::SendChat(link(), rolls::snagLine(TagPrefix));
    Text7->setText(toQString(rolls::numberText(total + *score)));
    Text6->clear();
    sayCalculator({});
  }
  Text6->setFocus();
}

void Dice::sayCalculator(const QString& why) {
  Text6->setToolTip(why.isEmpty() ? kValueTip : why);
  if (!why.isEmpty()) {
    Status->say(why);
    QToolTip::showText(Text6->mapToGlobal(QPoint(0, Text6->height())), why, Text6);
  } else if (!Status->busy()) {
    Status->say({});  // a scroll's progress stands
  }
}

void Dice::Command8_Click() {
  Text7->clear();
  Text6->clear();
  Text6->setFocus();
  sayCalculator({});
}

void Dice::Chat1_ChatMsg(const Text& Screen_Name, const Text& What_Said) {
  const rolls::RollOutcome outcome = rolls::countRoll(Screen_Name, What_Said, TagPrefix);
  if (outcome.roller) {
    RolledPos = outcome.roller->RolledPos;
    RollerName = outcome.roller->RollerName;
    DiceCount = outcome.roller->DiceCount;
    Text1->setText(toQString(RollerName));
    Text2->setText(toQString(DiceCount));
  }
  if (!outcome.counted()) {
    // A roll shown but not counted stands above the total of an earlier one.
    if (outcome.roller) describeTotal(RollerName, DiceCount);
    return;
  }
  for (const Text& line : outcome.snagLines)
    chatlink::SendChat(link(), line);
  Text3->setText(toQString(outcome.totalText));
  totalRoller_ = RollerName;
  totalDice_ = DiceCount;
  describeTotal(RollerName, DiceCount);
  Chat1.SendLine(outcome.announcement);
}

void Dice::describeTotal(const Text& shownRoller, const Text& shownDice) {
  const QString total = totalRoller_.empty() && totalDice_.empty()
                            ? QStringLiteral("No roll has been totalled yet")
                            : QStringLiteral("The total of the roll by %1 (%2 dice)")
                                  .arg(toQString(totalRoller_), toQString(totalDice_));
  const bool matches = shownRoller == totalRoller_ && shownDice == totalDice_;
  Text3->setToolTip(matches ? total
                            : QStringLiteral("%1; the roll by %2 (%3 dice) shown above was not "
                                             "counted")
                                  .arg(total, toQString(shownRoller), toQString(shownDice)));
  // The total of an earlier roll is greyed beside a roll that was not counted.
  QPalette palette = Text3->palette();
  palette.setColor(QPalette::Text, matches ? QPalette().color(QPalette::Text)
                                           : QPalette().color(QPalette::PlaceholderText));
  Text3->setPalette(palette);
}

}  // namespace kestar::dice
