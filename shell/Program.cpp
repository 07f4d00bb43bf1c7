#include "shell/Program.h"

#include <QMessageBox>

#include "shell/Form.h"
#include "shell/Startup.h"

namespace kestar::shell {

Program::Program(chatlink::WindowApi& api, chatlink::Host& host) : link_{api, host} {
  // The boxes stay on top, as every window of the program does, and stand over their window.
  messageBox = [](QWidget* over, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, over);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
  };
  askYesNo = [](QWidget* over, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, over);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    return box.exec() == QMessageBox::Yes;
  };
}

Program::~Program() = default;

Form* Program::form(FormId id) {
  auto& slot = forms_[static_cast<std::size_t>(id)];
  if (!slot) slot = makeForm(id);
  return slot.get();
}

Form* Program::existing(FormId id) const {
  return forms_[static_cast<std::size_t>(id)].get();
}

void Program::show(FormId id, const Form* opener) {
  if (ended()) return;
  if (Form* target = form(id)) target->Show(opener);
}

void Program::hide(FormId id) {
  if (Form* target = existing(id)) target->Hide();
}

void Program::start() {
  show(FormId::Startup);
}

void Program::workChanged() {
  if (auto* launcher = dynamic_cast<Startup*>(existing(FormId::Startup))) launcher->showWork();
}

void Program::end() {
  if (ended()) return;
  link_.host.end();
  for (const auto& window : forms_) {
    if (window) window->hide();
  }
}

}  // namespace kestar::shell
