#pragma once

#include "chatlink/ChatScanner.h"
#include "shell/Form.h"
#include "shell/StatusLine.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kestar::spar {

// The spar organiser's window. It asks the room for initiative rolls, takes each player's first
// roll and sorts the players by it; then it takes each player's class for a mass spar, hands the
// player list to the dice counter and announces what the spar is worth. A player is a row of the
// four lists side by side: name, initiative, class answer, and the hidden mark of a taken answer.
class Init final : public shell::Form {
 public:
  static constexpr shell::FormId Id = shell::FormId::Init;
  explicit Init(shell::Program& program);

  static constexpr TextView kRollCall = u"~*Roll 1d100 Init*~";
  static constexpr TextView kClosed = u"~*Mass Spar Closed*~";
  static constexpr TextView kClassCall = u"~*Type 2 for mortal, 3 for halfie, 4 for immortal*~";
  static constexpr TextView kSent = u"~*Sent*~";
  static constexpr TextView kDirections =
      u"Directions:                        1: Hit Start Init                  2: Hit Stop Init"
      u"                  3: Hit Sort                         4: Hit Start Mortal               "
      u"5: Hit Stop Mortal                6: Hit Send YOU WILL NOT SEE ANYTHING HAPPEN         "
      u"                  7: Hit Close";

  QListWidget* const List1;      // screen names
  QListWidget* const List2;      // initiative values
  QListWidget* const List3;      // class answers
  QListWidget* const List4;      // hidden: "Y" once a row's answer is taken
  QPushButton* const Command11;  // Change Init
  QLineEdit* const Text2;        // new initiative value
  QPushButton* const Command10;  // Change Mortal
  QLineEdit* const Text1;        // new class value
  QLabel* const Label1;          // the directions
  QLabel* const Label2;
  QLineEdit* const Text4;  // highest dice
  QLabel* const Label3;
  QLineEdit* const Text5;       // number of people
  QPushButton* const Command9;  // Xps
  QPushButton* const Command1;  // Start Init
  QPushButton* const Command2;  // Stop Init
  QPushButton* const Command5;  // Sort
  QPushButton* const Command7;  // Start Mortal
  QPushButton* const Command8;  // Stop Mortal
  QPushButton* const Command6;  // Send
  QPushButton* const Command3;  // Clear
  QPushButton* const Command4;  // Close
  QLabel* const Label4;
  shell::StatusLine* const Status;  // what Start Mortal's pause is waiting for
  chatlink::ChatScanner Chat1;
  chatlink::ChatScanner Chat2;

  // The number of rows.
  int PeopleCount = 0;

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
  void Command8_Click();
  void Command9_Click();
  void Command10_Click();
  void Command11_Click();
  void Chat1_ChatMsg(const Text& Screen_Name, const Text& What_Said);
  void Chat2_ChatMsg(const Text& Screen_Name, const Text& What_Said);
  // Marks, in the other lists, the row of a value selected in one, and says on the two change
  // buttons whose value they would change.
  void markSelectedRows();
};

}  // namespace kestar::spar
