#include "afk/AFK.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/Controls.h"
#include "shell/Program.h"

namespace kestar::afk {
namespace {
constexpr int kMinute = 60000;
}

AFK::AFK(shell::Program& program)
    : Form(program, Id, QStringLiteral("AFK")),
      Label1(new QLabel(this)),
      Command1(shell::makeButton(QStringLiteral("Afk"), this)),
      Command2(shell::makeButton(QStringLiteral("Bak"), this)),
      Command3(shell::makeButton(QStringLiteral("Close"), this)),
      Timer1(program.host(), kMinute) {
  QFont font = Label1->font();
  font.setBold(true);
  font.setPointSize(12);
  Label1->setFont(font);
  Label1->setAlignment(Qt::AlignCenter);
  auto* column = new QVBoxLayout(this);
  column->addWidget(Label1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Command1);
  buttons->addWidget(Command2);
  buttons->addWidget(Command3);
  column->addLayout(buttons);

  Timer1.onTimer = [this] { Timer1_Timer(); };
  connect(Command1, &QPushButton::clicked, this, &AFK::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &AFK::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &AFK::Command3_Click);
}

void AFK::Form_Load() {
  Timer1.setEnabled(false);
  Label1->setText(QStringLiteral("At Keyboard"));
  Command2->setEnabled(false);
  shell::StayOnTop(*this);
}

void AFK::Command1_Click() {
  Timer1.setEnabled(true);
  chatlink::SendChat(link(), kOpeningLine);
  Command2->setEnabled(true);
  Label1->setText(QStringLiteral("Away From Keyboard"));
  Command1->setEnabled(false);
}

void AFK::Command2_Click() {
  Timer1.setEnabled(false);
  chatlink::SendChat(link(), kClosingLine);
  Command1->setEnabled(true);
  Label1->setText(QStringLiteral("At Keyboard"));
  Command2->setEnabled(false);
}

void AFK::Command3_Click() {
  if (Timer1.enabled()) Command2_Click();
  Hide();
  open(shell::FormId::Startup);
}

void AFK::Timer1_Timer() {
  chatlink::SendChat(link(), kSleepingLine);
}

}  // namespace kestar::afk
