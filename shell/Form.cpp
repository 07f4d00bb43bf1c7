#include "shell/Form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include "shell/Placement.h"
#include "shell/Program.h"

namespace kestar::shell {
namespace {

QString placeKey(FormId id) {
  return QStringLiteral("windows/%1/position").arg(kFormNames[static_cast<std::size_t>(id)]);
}

QScreen* screenOf(const QPoint& point) {
  QScreen* screen = QGuiApplication::screenAt(point);
  return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

}  // namespace

Form::Form(Program& program, FormId id, const QString& caption)
    : QWidget(nullptr), program_(program), id_(id) {
  setWindowTitle(caption);
}

void Form::Show(const Form* opener) {
  if (!loaded_) {
    loaded_ = true;
    Form_Load();
  }
  if (program_.ended()) return;
  if (!isVisible()) place(opener);
  show();
  raise();
  activateWindow();
}

void Form::Hide() {
  hide();
}

void Form::place(const Form* opener) {
  // A window not shown yet has the size its layout asks for only once it is shown.
  if (!testAttribute(Qt::WA_Resized)) adjustSize();
  QSize frame = frameGeometry().size();
  // Before its first showing the window's frame is unknown; it will be drawn as the opener's is.
  if (frame == size() && opener != nullptr)
    frame += opener->frameGeometry().size() - opener->size();
  const QSize decoration = frame - size();

  const QVariant saved = QSettings().value(placeKey(id_));
  if (saved.isValid()) {
    const QRect there(saved.toPoint(), frame);
    if (QScreen* screen = screenOf(there.center()))
      move(pulledOnScreen(there, screen->availableGeometry()).topLeft());
    return;
  }
  // The launcher opens beside the client's chat.
  const QRect keepClear = program_.keepClear ? program_.keepClear() : QRect();
  const QRect beside = opener != nullptr ? opener->frameGeometry() : keepClear;
  QScreen* screen = screenOf(beside.center());
  if (beside.isEmpty() || screen == nullptr) return;
  const QRect place = placeBeside(frame, minimumSizeHint() + decoration, beside, keepClear,
                                  screen->availableGeometry());
  if (place.size() != frame) resize(place.size() - decoration);
  move(place.topLeft());
}

void Form::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (!event->spontaneous()) QSettings().setValue(placeKey(id_), pos());
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
  program_.show(id, this);
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
