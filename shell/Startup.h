#pragma once

#include "shell/Form.h"
#include "shell/StatusLine.h"

class QPushButton;

namespace kestar::shell {

// The launcher: opens the five tools, each of which comes back to it.
class Startup final : public Form {
 public:
  static constexpr FormId Id = FormId::Startup;
  explicit Startup(Program& program);

  QPushButton* const Command1;  // Dice Bot
  QPushButton* const Command5;  // Room Bust
  QPushButton* const Command6;  // Scroll Moves
  QPushButton* const Command2;  // AFK
  QPushButton* const Command4;  // About
  QPushButton* const Command3;  // Close
  // The work the hidden tools go on with, so that a person finds them again.
  StatusLine* const Working;

  void showWork();

 protected:
  void Form_Load() override;

 private:
  void Command3_Click();
};

}  // namespace kestar::shell
