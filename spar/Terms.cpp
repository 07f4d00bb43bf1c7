#include "spar/Terms.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <iterator>

#include "dice/Dice.h"
#include "dice/rules/TagPrefix.h"
#include "shell/Controls.h"
#include "shell/Program.h"

namespace kestar::spar {

using shell::makeButton;
using shell::toText;

namespace {

bool ticked(const QCheckBox& box) {
  return box.checkState() == Qt::Checked;
}

// The fixed terms, posted as written here: a box's caption is only their label.
constexpr TextView kTerms[] = {
    u"No SiDs, Enhancers, or Healing.",
    u"Split attacks, Specials, and Random attacks are all ok.",
    u"HS: 1st rd for 3d and 4d,  1st and 2nd for 2d.",
    u"Specials for mortals all rounds but first.",
    u"No Split attacks, Randoms, or Specials first round.",
    u"HS: 1st rd for 3d and 4d, All rounds for 2d.",
    u"Any judgement by the Proc is final.",
};

QCheckBox* makeTerm(std::size_t index, QWidget* parent) {
  return new QCheckBox(shell::toQString(kTerms[index]), parent);
}

}  // namespace

Terms::Terms(shell::Program& program)
    : Form(program, Id, QStringLiteral("Terms")),
      Check1(makeTerm(0, this)),
      Check2(makeTerm(1, this)),
      Check3(makeTerm(2, this)),
      Check4(makeTerm(3, this)),
      Check5(makeTerm(4, this)),
      Check6(makeTerm(5, this)),
      Check7(makeTerm(6, this)),
      Check8(new QCheckBox(QStringLiteral("Other"), this)),
      Text1(new QLineEdit(this)),
      Command1(makeButton(QStringLiteral("Send"), this)),
      Command3(makeButton(QStringLiteral("Clear"), this)),
      Command2(makeButton(QStringLiteral("Close"), this)),
      Check9(new QCheckBox(QStringLiteral("<b>"), this)),
      Check10(new QCheckBox(QStringLiteral("<i>"), this)),
      Check11(new QCheckBox(QStringLiteral("<u>"), this)),
      Status(new shell::StatusLine(this)),
      Chat1(program.link()) {
  // The terms one under the other, Other with its text, then the buttons in a row with the
  // markup boxes stacked to their right.
  auto* grid = new QGridLayout(this);
  int row = 0;
  for (QCheckBox* term : {Check1, Check2, Check3, Check4, Check5, Check6, Check7})
    grid->addWidget(term, row++, 0, 1, 4);
  grid->addWidget(Check8, row, 0);
  grid->addWidget(Text1, row, 1, 1, 3);
  ++row;
  grid->addWidget(Command1, row, 0, Qt::AlignTop);
  grid->addWidget(Command3, row, 1, Qt::AlignTop);
  grid->addWidget(Command2, row, 2, Qt::AlignTop);
  grid->addWidget(Check9, row, 3);
  grid->addWidget(Check10, row + 1, 3);
  grid->addWidget(Check11, row + 2, 3);
  grid->addWidget(Status, row + 3, 0, 1, 4);
  shell::describe(Text1, QStringLiteral("Other term"),
                  QStringLiteral("A term of your own, posted when Other is ticked"));

  shell::chainFocus({Check1, Check2, Check3, Check4, Check5, Check6, Check7, Check8, Text1,
                     Command1, Command3, Command2, Check9, Check10, Check11});

  connect(Command1, &QPushButton::clicked, this, &Terms::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Terms::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Terms::Command3_Click);
}

void Terms::Form_Load() {
  shell::StayOnTop(*this);
  // Copied once: the two windows' boxes are independent afterwards.
  const dice::Dice& counter = program().window<dice::Dice>();
  Check9->setChecked(ticked(*counter.Check1));
  Check10->setChecked(ticked(*counter.Check2));
  Check11->setChecked(ticked(*counter.Check3));
}

void Terms::Command1_Click() {
  TagPrefix = rolls::tagPrefix(ticked(*Check9), ticked(*Check10), ticked(*Check11));
  shell::StatusLine::Send sending(*Status, QStringLiteral("Posting the terms"));
  Chat1.SendLine(TagPrefix + Text(kHeader));
  // Each box is looked at when its turn comes, so a tick changed during a pause counts for the
  // terms not reached yet.
  const QCheckBox* const terms[] = {Check1, Check2, Check3, Check4, Check5, Check6, Check7};
  for (std::size_t i = 0; i < std::size(terms); ++i) {
    if (!ticked(*terms[i])) continue;
    sending.progress(QStringLiteral("Posting term %1 of %2").arg(i + 1).arg(std::size(terms)));
    Chat1.SendLine(TagPrefix + Text(kTerms[i]));
    chatlink::Pause(link().host, 1);
  }
  if (ticked(*Check8)) Chat1.SendLine(TagPrefix + toText(Text1->text()));
}

void Terms::Command3_Click() {
  for (QCheckBox* term : {Check1, Check2, Check3, Check4, Check5, Check6, Check7, Check8})
    term->setChecked(false);
  Text1->clear();
}

void Terms::Command2_Click() {
  Hide();
  open(dice::Dice::Id);
}

}  // namespace kestar::spar
