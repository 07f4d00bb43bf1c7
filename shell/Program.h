#pragma once

#include <QRect>
#include <QString>
#include <array>
#include <functional>
#include <memory>

class QWidget;

#include "chatlink/ChatLink.h"
#include "shell/FormId.h"

namespace kestar::shell {

class Form;

// Owns the program's windows and its end. Windows reach each other through it: a window is made
// the first time it is asked for, loaded the first time it is shown, and kept until the program
// is gone.
class Program {
 public:
  Program(chatlink::WindowApi& api, chatlink::Host& host);
  virtual ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  const chatlink::Link& link() const { return link_; }
  chatlink::Host& host() const { return link_.host; }

  // The window, made on first use; nullptr for a window this program does not have.
  Form* form(FormId id);
  // The window if it has been made, else nullptr.
  Form* existing(FormId id) const;
  // The window as its own class: W names its FormId as W::Id.
  template <class W>
  W& window() {
    return static_cast<W&>(*form(W::Id));
  }

  // Shows a window (loading it on its first showing), not modal; opener is the window that
  // opens it, if any.
  void show(FormId id, const Form* opener = nullptr);
  void hide(FormId id);

  // Shows the launcher.
  void start();
  // A window's work going on while hidden began or ended: the launcher shows it.
  void workChanged();
  // Ends the whole program at once: no further events, nothing more sent, every window gone from
  // the screen. Files the windows hold are closed with what was written when they are destroyed.
  void end();
  bool ended() const { return link_.host.ended(); }

  // A modal message to the user over a window (nullptr: over none) with an OK button only: a
  // title and a text. Tests replace it to see what the user was told.
  std::function<void(QWidget* over, const QString& title, const QString& text)> messageBox;
  // A modal question over a window with Yes and No, No the default: true when the user says Yes.
  // Tests replace it to answer.
  std::function<bool(QWidget* over, const QString& title, const QString& text)> askYesNo;

  // Where on the screen the client shows its chat, which windows leave clear where there is room;
  // unset when the client shows nothing of its own.
  std::function<QRect()> keepClear;
  // How a room-bust run stands after knocks knocks at keyword. Unset: in once the client shows
  // a chat room, whichever it is and before the first knock too, as the real client shows one
  // room at a time.
  enum class BustState { Knocking, In, TurnedAway };
  std::function<BustState(const Text& keyword, int knocks)> bustState;

 protected:
  virtual std::unique_ptr<Form> makeForm(FormId id) = 0;

 private:
  chatlink::Link link_;
  std::array<std::unique_ptr<Form>, kFormCount> forms_;
};

}  // namespace kestar::shell
