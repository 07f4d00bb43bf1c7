#include "shell/Startup.h"

#include <QGridLayout>
#include <QPushButton>

#include "shell/Controls.h"
#include "shell/Program.h"

namespace kestar::shell {

Startup::Startup(Program& program)
    : Form(program, Id, QStringLiteral("Kestar")),
      Command1(makeButton(QStringLiteral("Dice Bot"), this)),
      Command5(makeButton(QStringLiteral("Room Bust"), this)),
      Command6(makeButton(QStringLiteral("Scroll Moves"), this)),
      Command2(makeButton(QStringLiteral("AFK"), this)),
      Command4(makeButton(QStringLiteral("About"), this)),
      Command3(makeButton(QStringLiteral("Close"), this)),
      Working(new StatusLine(this)) {
  auto* grid = new QGridLayout(this);
  grid->addWidget(Command1, 0, 0);
  grid->addWidget(Command5, 0, 1);
  grid->addWidget(Command6, 1, 0);
  grid->addWidget(Command2, 1, 1);
  grid->addWidget(Command4, 2, 0);
  grid->addWidget(Command3, 2, 1);
  grid->addWidget(Working, 3, 0, 1, 2);
  chainFocus({Command1, Command5, Command6, Command2, Command4, Command3});

  connect(Command1, &QPushButton::clicked, this, [this] { openTool(FormId::Dice); });
  connect(Command2, &QPushButton::clicked, this, [this] { openTool(FormId::AFK); });
  connect(Command4, &QPushButton::clicked, this, [this] { openTool(FormId::About); });
  connect(Command5, &QPushButton::clicked, this, [this] { openTool(FormId::Room); });
  connect(Command6, &QPushButton::clicked, this, [this] { openTool(FormId::Moves); });
  connect(Command3, &QPushButton::clicked, this, &Startup::Command3_Click);
}

void Startup::Form_Load() {
  StayOnTop(*this);
  showWork();
}

void Startup::showWork() {
  QStringList work;
  for (std::size_t id = 0; id < kFormCount; ++id) {
    const Form* window = program().existing(static_cast<FormId>(id));
    if (window == nullptr) continue;
    if (const QString going = window->workGoingOn(); !going.isEmpty()) work << going;
  }
  Working->setStanding(work.join(QLatin1Char('\n')));
}

void Startup::Command3_Click() {
  close();  // the launcher's unload ends the program
  program().end();
}

}  // namespace kestar::shell
