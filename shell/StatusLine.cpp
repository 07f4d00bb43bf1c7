#include "shell/StatusLine.h"

#include <QResizeEvent>
#include <algorithm>

namespace kestar::shell {

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  // The line keeps its room while it is empty, so the window does not jump when it speaks.
  setMinimumHeight(fontMetrics().height());
  setAccessibleName(QStringLiteral("Status"));
}

void StatusLine::say(const QString& text) {
  showText(text.isEmpty() ? standing_ : text);
}

void StatusLine::setStanding(const QString& text) {
  standing_ = text;
  if (!busy()) showText(text);
}

void StatusLine::showText(const QString& text) {
  setText(text);
  setMinimumHeight(std::max(fontMetrics().height(), heightForWidth(width())));
}

void StatusLine::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  if (event->size().width() != event->oldSize().width())
    setMinimumHeight(std::max(fontMetrics().height(), heightForWidth(width())));
}

StatusLine::Send::Send(StatusLine& line, const QString& text)
    : line_(line), interrupted_(line.text()) {
  if (line_.sends_++ == 0) line_.window()->setCursor(Qt::BusyCursor);
  line_.showText(text);
}

StatusLine::Send::~Send() {
  if (--line_.sends_ == 0) {
    line_.window()->unsetCursor();
    line_.showText(line_.standing_);
  } else {
    line_.showText(interrupted_);
  }
}

void StatusLine::Send::progress(const QString& text) {
  line_.showText(text);
}

void scrollShown(StatusLine& status, const chatlink::Link& link, Text text, const Text& prefix) {
  StatusLine::Send send(status, QString());
  chatlink::ScrollText(link, std::move(text), prefix, [&send](int line, int count) {
    send.progress(QStringLiteral("Scrolling line %1 of %2").arg(line).arg(count));
  });
}

}  // namespace kestar::shell
