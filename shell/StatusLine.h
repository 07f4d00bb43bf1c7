#pragma once

#include <QLabel>

#include "chatlink/ChatLink.h"

namespace kestar::shell {

// A line at the foot of a window that says what the window is doing: how far a timed send has got
// ("Scrolling line 3 of 8"), with the busy pointer over the window meanwhile, or a note such as
// where a save went. It disables nothing: the window works on during a send.
class StatusLine final : public QLabel {
 public:
  explicit StatusLine(QWidget* parent);

  // A note that stays until the next one or the next send; an empty one gives the line back to
  // the standing text.
  void say(const QString& text);
  bool busy() const { return sends_ > 0; }
  // What the line says when it has nothing else to say: how the window stands ("Counting"). It
  // shows at once unless a send is speaking.
  void setStanding(const QString& text);

  // A timed send, from its making to its end. Sends nest inside each other's pauses: the innermost
  // one speaks, and the one it came into speaks again once it is over.
  class Send final {
   public:
    Send(StatusLine& line, const QString& text);
    ~Send();
    Send(const Send&) = delete;
    Send& operator=(const Send&) = delete;
    void progress(const QString& text);

   private:
    StatusLine& line_;
    const QString interrupted_;
  };

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Shows the text, as tall as its wrapped lines need, so that no window lays it over its
  // neighbours.
  void showText(const QString& text);

  int sends_ = 0;
  QString standing_;
};

// Scrolls a text into the room as ScrollText does, saying on the status line which line is going
// out.
void scrollShown(StatusLine& status, const chatlink::Link& link, Text text, const Text& prefix);

}  // namespace kestar::shell
