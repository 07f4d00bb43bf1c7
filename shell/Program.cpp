#include "shell/Program.h"

#include <QMessageBox>

#include "shell/Form.h"

namespace kestar::shell {

Program::Program(chatlink::WindowApi& api, chatlink::Host& host) : link_{api, host} {
  messageBox = [](const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.exec();
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

void Program::end() {
  if (ended()) return;
  link_.host.end();
  for (const auto& window : forms_) {
    if (window) window->hide();
  }
}

}  // namespace kestar::shell
