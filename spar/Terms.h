#pragma once

#include "chatlink/ChatScanner.h"
#include "shell/Form.h"
#include "shell/StatusLine.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kestar::spar {

// The terms of a spar: Send posts a header and every ticked term to the room, a line each and a
// second's pause after each fixed term, all with the markup of the three formatting boxes.
class Terms final : public shell::Form {
 public:
  static constexpr shell::FormId Id = shell::FormId::Terms;
  explicit Terms(shell::Program& program);

  static constexpr TextView kHeader = u"~*~TERMS~*~";

  QCheckBox* const Check1;
  QCheckBox* const Check2;
  QCheckBox* const Check3;
  QCheckBox* const Check4;
  QCheckBox* const Check5;
  QCheckBox* const Check6;
  QCheckBox* const Check7;
  QCheckBox* const Check8;      // Other
  QLineEdit* const Text1;       // the other term
  QPushButton* const Command1;  // Send
  QPushButton* const Command3;  // Clear
  QPushButton* const Command2;  // Close
  QCheckBox* const Check9;      // <b>
  QCheckBox* const Check10;     // <i>
  QCheckBox* const Check11;     // <u>
  // How far Send has got.
  shell::StatusLine* const Status;
  chatlink::ChatScanner Chat1;  // only sends

 protected:
  void Form_Load() override;

 private:
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();

  // Goes in front of every line Send posts; built from the markup boxes at each Send.
  Text TagPrefix;
};

}  // namespace kestar::spar
