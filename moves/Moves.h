#pragma once

#include <filesystem>

#include "shell/Form.h"
#include "shell/StatusLine.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace kestar::moves {

// Two stored moves, kept in "macro1.txt" and "macro2.txt" between runs, each scrolled into the
// room line by line with one click.
class Moves final : public shell::Form {
 public:
  static constexpr shell::FormId Id = shell::FormId::Moves;
  explicit Moves(shell::Program& program);

  static constexpr const char* kFile1 = "macro1.txt";
  static constexpr const char* kFile2 = "macro2.txt";
  static constexpr TextView kDefaultMove1 =
      u"::Takes <name> and beats <gender> over the head till he is a bloody pulp::";
  static constexpr TextView kDefaultMove2 =
      u"::Takes <name> and shoves <gender> into a meat grinder, grinding <gender> up, then pulls "
      u"<gender> back out, and cooks <gender> into a hamburger, scarfs it down::";
  static constexpr TextView kInstructions =
      u"<Name> represents the SN, <gender> represents his/her.  Replace those with the "
      u"appropriate words, and it will work fine";

  QLabel* const Label1;
  QPlainTextEdit* const Text1;
  QLabel* const Label2;
  QPlainTextEdit* const Text2;
  QPushButton* const Command1;  // Scroll 1
  QPushButton* const Command2;  // Scroll 2
  QPushButton* const Command3;  // Save New Moves
  QPushButton* const Command4;  // Load Defaults
  QPushButton* const Command5;  // Clear Moves
  QPushButton* const Command6;  // Close
  QPushButton* const Command7;  // Instructions
  // How far a scroll has got, and where the moves were saved.
  shell::StatusLine* const Status;

 protected:
  void Form_Load() override;

 private:
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Command6_Click();
  void Command7_Click();

  // The working directory at the first load: the moves are read from it and saved back to it.
  std::filesystem::path folder_;
  // The moves go out as typed, with nothing in front.
  const Text noPrefix_;
};

}  // namespace kestar::moves
