#include "shell/Controls.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>

namespace kestar::shell {

QString toQString(TextView text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

Text toText(const QString& text) {
  return text.toStdU16String();
}

Text boxText(const QPlainTextEdit& box) {
  // The raw text keeps every character as typed (toPlainText would turn a no-break space into a
  // blank); only its paragraph and line separators become line breaks.
  QString text = box.document()->toRawText();
  text.replace(QChar(QChar::ParagraphSeparator), QStringLiteral("\r\n"));
  text.replace(QChar(QChar::LineSeparator), QStringLiteral("\r\n"));
  return toText(text);
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

void describe(QWidget* control, const QString& name, const QString& tip) {
  control->setAccessibleName(name);
  control->setToolTip(tip);
}

void chainFocus(std::initializer_list<QWidget*> order) {
  QWidget* previous = nullptr;
  for (QWidget* widget : order) {
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

}  // namespace kestar::shell
