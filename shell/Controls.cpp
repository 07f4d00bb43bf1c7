#include "shell/Controls.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace kestar::shell {

QString toQString(TextView text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

Text toText(const QString& text) {
  return text.toStdU16String();
}

Text boxText(const QPlainTextEdit& box) {
  return toText(box.toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
}

void setBoxText(QPlainTextEdit& box, TextView text) {
  QString plain = toQString(text);
  plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  box.setPlainText(plain);
}

QPushButton* makeButton(const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setAutoDefault(false);
  return button;
}

void chainFocus(std::initializer_list<QWidget*> order) {
  QWidget* previous = nullptr;
  for (QWidget* widget : order) {
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

}  // namespace kestar::shell
