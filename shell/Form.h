#pragma once

#include <QWidget>

#include "chatlink/ChatLink.h"
#include "shell/FormId.h"

namespace kestar::shell {

class Program;

// What every window shares: made once, Form_Load on its first showing only, hidden and shown
// again with all its state, and a close from its title bar ends the whole program.
class Form : public QWidget {
 public:
  Form(Program& program, FormId id, const QString& caption);

  FormId id() const { return id_; }
  bool loaded() const { return loaded_; }

  // Loads the window on its first showing, then shows it: where it was last time, else beside
  // the window that opens it.
  void Show(const Form* opener = nullptr);
  void Hide();

  // The work the window goes on with while hidden, for the launcher to show ("" for none).
  virtual QString workGoingOn() const { return {}; }

 protected:
  virtual void Form_Load() {}
  // The system close of any window ends the program.
  void Form_Unload();
  void closeEvent(QCloseEvent* event) override;
  // Remembers where the window was, for its next showing in this run and the next.
  void hideEvent(QHideEvent* event) override;

  Program& program() const { return program_; }
  const chatlink::Link& link() const;
  // Shows another window, as the buttons that open or return to a window do.
  void open(FormId id) const;
  // Shows another window in this one's place; this one stays when the program has no such window.
  void openTool(FormId tool);

 private:
  void place(const Form* opener);

  Program& program_;
  const FormId id_;
  bool loaded_ = false;
};

// Keeps a window above all other windows, in its place and size.
void StayOnTop(QWidget& window);

}  // namespace kestar::shell
