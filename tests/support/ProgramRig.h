#pragma once

#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "app/KestarProgram.h"
#include "shell/Form.h"
#include "tests/support/SimFixture.h"

namespace kestar::test {

// The whole program on the own client with a virtual clock, the launcher shown and a chat
// room open.
struct ProgramRig : SimRig {
  ProgramRig();
  ~ProgramRig();

  template <class W>
  W& window() {
    return program.window<W>();
  }
  // The window, opened as its opener would.
  template <class W>
  W& shown() {
    program.show(W::Id);
    return program.window<W>();
  }

  // Lines that reached the room under the user's name, after letting the client catch up.
  std::vector<std::string> sent();
  // Lines typed into the room's input box by the chat-input route (SendChat), in order.
  std::vector<std::string> typedBySendChat();
  // Lines typed by the scanner's route (SendLine), in order.
  std::vector<std::string> typedBySendLine();

  app::KestarProgram program{windows, host};
  std::string room = "Spar Arena";
  // What the program told the user in message boxes: title and text.
  std::vector<std::pair<QString, QString>> messages;
  // The questions asked (Yes or No), with the answer every one gets.
  std::vector<std::pair<QString, QString>> questions;
  bool answerYes = false;
  // The window each message box and question stood over, in order.
  std::vector<QWidget*> messageOwners;
};

// Clicks a button as the user does.
void click(QPushButton* button);

// Whether Tab goes through the controls in this order. The parts of a compound control (a
// multi-line box's scroll bars) are passed over, as Tab passes over them.
::testing::AssertionResult tabOrderIs(const std::vector<QWidget*>& order);

}  // namespace kestar::test
