#pragma once

#include <cstdint>

#include "shell/Form.h"
#include "shell/StatusLine.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kestar::room {

// The room buster keeps knocking on a chat room, a keyword and a second's pause at a time, until
// the client shows a chat room or the user stops it, and may announce the entry. The lower half
// of the window sends one instant message through the client.
class Room final : public shell::Form {
 public:
  static constexpr shell::FormId Id = shell::FormId::Room;
  explicit Room(shell::Program& program);

  static constexpr TextView kAdvertBefore = u"::runs in, panting:: Geez, I knocked on the door ";
  static constexpr TextView kAdvertAfter = u" times to get in ((Kestar Room Bust))";
  // The attempt counter is 16-bit: a run ends when it reaches its largest value.
  static constexpr std::int16_t kMostAttempts = 32767;
  static constexpr int kRoomNameLength = 21;
  static constexpr int kScreenNameLength = 10;
  static constexpr int kMessageLength = 300;

  // The room buster.
  QComboBox* const Combo1;      // location
  QComboBox* const Combo2;      // category
  QLineEdit* const Text1;       // the room's name
  QPushButton* const Command1;  // Start
  QPushButton* const Command2;  // Stop
  QPushButton* const Command4;  // Close
  QLabel* const Label2;
  QLineEdit* const Text3;   // the attempts
  QCheckBox* const Check1;  // Advertise
  QLineEdit* const Text2;   // hidden: the category number while Start builds the keyword
  QFrame* const Line1;

  // The instant-message sender.
  QLabel* const Label4;
  QLabel* const Label1;
  QLineEdit* const Text4;  // the screen name
  QLabel* const Label3;
  QPlainTextEdit* const Text5;        // the message
  QPushButton* const Command3;        // Send
  QPushButton* const Command5;        // Clear
  shell::StatusLine* const ImStatus;  // how the last instant message ended

 protected:
  void Form_Load() override;

 private:
  void Combo1_Click();
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void Command5_Click();
  void Text5_Change();
  void BuildKeyword();

  Text RoomKeyword;
  std::int16_t StopRequested = 0;
  std::int16_t AttemptCount = 0;
  // Where the last edit of Text5 put its text, for cutting it to the limit.
  int text5EditAt_ = 0;
  int text5EditAdded_ = 0;
};

}  // namespace kestar::room
