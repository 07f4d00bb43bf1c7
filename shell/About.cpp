#include "shell/About.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/Controls.h"
#include "shell/Program.h"

namespace kestar::shell {
namespace {

QLabel* makeLabel(const QString& text, double points, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setBold(true);
  font.setItalic(true);
  font.setPointSizeF(points);
  label->setFont(font);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

constexpr TextView kProductLine = u"<b><i>~*~Kestar~*~";
constexpr TextView kByLinePrefix = u"<b><i>            By: ";

}  // namespace

About::About(Program& program)
    : Form(program, Id, QStringLiteral("About")),
      Label1(makeLabel(QStringLiteral("Kestar"), 12, this)),
      Label2(makeLabel(QStringLiteral("By ") + toQString(kAuthor), 9.75, this)),
      Label3(makeLabel(QStringLiteral("Thanks to Mira Dane, Talon Reeve, Juno Blackwood and "
                                      "Sable Quinn for testing, and for some of the writing.\n\n"
                                      "If you got Kestar from anyone but me: shame on you. "
                                      "Go and ask for it properly."),
                       8.25, this)),
      Command1(makeButton(QStringLiteral("Advertise"), this)),
      Command2(makeButton(QStringLiteral("Close"), this)) {
  Label3->setWordWrap(true);
  auto* column = new QVBoxLayout(this);
  column->addWidget(Label1);
  column->addWidget(Label2);
  column->addWidget(Label3);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Command1);
  buttons->addWidget(Command2);
  column->addLayout(buttons);
  setMinimumWidth(300);

  connect(Command1, &QPushButton::clicked, this, &About::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &About::Command2_Click);
}

void About::Form_Load() {
  StayOnTop(*this);
}

void About::Command1_Click() {
  chatlink::SendChat(link(), kProductLine);
  chatlink::Pause(link().host, 1);
  chatlink::SendChat(link(), Text(kByLinePrefix) + Text(kAuthor));
}

void About::Command2_Click() {
  Hide();
  open(FormId::Startup);
}

}  // namespace kestar::shell
