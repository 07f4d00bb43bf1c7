#pragma once

#include "chatlink/ChatScanner.h"
#include "shell/Form.h"
#include "shell/StatusLine.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kestar::dice {

// The dice counter: while counting it totals every roll the chat service announces in the room
// and says the total; beside that a calculator of die scores, a text to scroll into the room, the
// formatting boxes, and the way to the spar tools and the logger.
class Dice final : public shell::Form {
 public:
  static constexpr shell::FormId Id = shell::FormId::Dice;
  explicit Dice(shell::Program& program);

  QLineEdit* const Text1;       // roller of the last roll line
  QLineEdit* const Text2;       // its number of dice
  QLineEdit* const Text3;       // the last total
  QPushButton* const Command1;  // Start
  QPushButton* const Command2;  // Stop
  QPushButton* const Command4;  // Scroll
  QPushButton* const Command5;  // Init
  QPushButton* const Command7;  // Terms
  QPushButton* const Command3;  // Close
  QPlainTextEdit* const Text4;  // the text to scroll
  QCheckBox* const Check1;      // Bold
  QCheckBox* const Check2;      // Italic
  QCheckBox* const Check3;      // Underline
  QLineEdit* const Text6;       // calculator: one die value
  QPushButton* const Command6;  // Calculate
  QLineEdit* const Text7;       // calculator: the running total
  QPushButton* const Command8;  // Clear
  QPushButton* const Command9;  // Logger
  // Whether the window counts, how far a scroll has got, and what the calculator could not take.
  shell::StatusLine* const Status;
  chatlink::ChatScanner Chat1;

  QString workGoingOn() const override;

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
  void Chat1_ChatMsg(const Text& Screen_Name, const Text& What_Said);
  void applyTagPrefix();
  // Tells why the calculator could not take a value, over its box and on the status line; an
  // empty why takes that back.
  void sayCalculator(const QString& why);
  // Whose roll the total is, and whether the roller and dice shown above it are that roll's.
  void describeTotal(const Text& shownRoller, const Text& shownDice);

  // Goes in front of every line the window says; built from the formatting boxes at each Start
  // and Scroll, and read afresh for every line of a running scroll.
  Text TagPrefix;
  int RolledPos = 0;
  Text RollerName;
  Text DiceCount;
  // The roller and dice count of the roll whose total Text3 shows.
  Text totalRoller_;
  Text totalDice_;
};

}  // namespace kestar::dice
