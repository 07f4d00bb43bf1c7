#include "shell/Form.h"

#include <QCloseEvent>

#include "shell/Program.h"

namespace kestar::shell {

Form::Form(Program& program, FormId id, const QString& caption)
    : QWidget(nullptr), program_(program), id_(id) {
  setWindowTitle(caption);
}

void Form::Show() {
  if (!loaded_) {
    loaded_ = true;
    Form_Load();
  }
  if (program_.ended()) return;
  show();
  raise();
  activateWindow();
}

void Form::Hide() {
  hide();
}

void Form::Form_Unload() {
  program_.end();
}

void Form::closeEvent(QCloseEvent* event) {
  event->accept();
  Form_Unload();
}

const chatlink::Link& Form::link() const {
  return program_.link();
}

void Form::open(FormId id) const {
  program_.show(id);
}

void Form::openTool(FormId tool) {
  if (program_.form(tool) == nullptr) return;
  open(tool);
  Hide();
}

void StayOnTop(QWidget& window) {
  // Changing the flags of a shown window hides it; show it again where it was.
  const bool visible = window.isVisible();
  window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  if (visible) window.show();
}

}  // namespace kestar::shell
