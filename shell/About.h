#pragma once

#include "shell/Form.h"

class QLabel;
class QPushButton;

namespace kestar::shell {

// Names the program, its author and its testers, and advertises it in the room.
class About final : public Form {
 public:
  static constexpr FormId Id = FormId::About;
  explicit About(Program& program);

  static constexpr TextView kAuthor = u"Corwin Ash";

  QLabel* const Label1;
  QLabel* const Label2;
  QLabel* const Label3;
  QPushButton* const Command1;  // Advertise
  QPushButton* const Command2;  // Close

 protected:
  void Form_Load() override;

 private:
  void Command1_Click();
  void Command2_Click();
};

}  // namespace kestar::shell
