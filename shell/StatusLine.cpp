#include "shell/StatusLine.h"

namespace kestar::shell {

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  // The line keeps its room while it is empty, so the window does not jump when it speaks.
  setMinimumHeight(fontMetrics().height());
  setAccessibleName(QStringLiteral("Status"));
}

void StatusLine::say(const QString& text) {
  setText(text);
}

StatusLine::Send::Send(StatusLine& line, const QString& text)
    : line_(line), interrupted_(line.text()) {
  if (line_.sends_++ == 0) line_.window()->setCursor(Qt::BusyCursor);
  line_.setText(text);
}

StatusLine::Send::~Send() {
  if (--line_.sends_ == 0) {
    line_.window()->unsetCursor();
    line_.clear();
  } else {
    line_.setText(interrupted_);
  }
}

void StatusLine::Send::progress(const QString& text) {
  line_.setText(text);
}

void scrollShown(StatusLine& status, const chatlink::Link& link, Text text, const Text& prefix) {
  StatusLine::Send send(status, QString());
  chatlink::ScrollText(link, std::move(text), prefix, [&send](int line, int count) {
    send.progress(QStringLiteral("Scrolling line %1 of %2").arg(line).arg(count));
  });
}

}  // namespace kestar::shell
