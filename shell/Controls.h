#pragma once

#include <QString>
#include <initializer_list>

#include "chatlink/Types.h"

class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace kestar::shell {

QString toQString(TextView text);
Text toText(const QString& text);

// The text of a multi-line box with its line breaks as carriage return and line feed, as the
// program's text routines and files expect them.
Text boxText(const QPlainTextEdit& box);
void setBoxText(QPlainTextEdit& box, TextView text);

// A button of a window, with its caption.
QPushButton* makeButton(const QString& caption, QWidget* parent);

// Says what a control holds or does: to the pointer as its tool tip and to screen readers as its
// accessible name.
void describe(QWidget* control, const QString& name, const QString& tip);

// Chains the keyboard focus through the widgets in the order given.
void chainFocus(std::initializer_list<QWidget*> order);

}  // namespace kestar::shell
