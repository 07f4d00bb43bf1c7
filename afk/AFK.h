#pragma once

#include "chatlink/Host.h"
#include "shell/Form.h"

class QLabel;
class QPushButton;

namespace kestar::afk {

// The away bot: tells the room the user has gone, posts a sleeping line every minute while away,
// and tells the room the user is back. Its timer's switch is its state: on means away.
class AFK final : public shell::Form {
 public:
  static constexpr shell::FormId Id = shell::FormId::AFK;
  explicit AFK(shell::Program& program);

  static constexpr TextView kOpeningLine =
      u"<B><I>::gently drifts to sleep, breathing gently:: (Kestar AFK Bot Opening)";
  static constexpr TextView kClosingLine =
      u"<B><I>::wakes back up, yawns:: I feel better... (Kestar AFK Bot Closing)";
  static constexpr TextView kSleepingLine =
      u"::breathes slowly and deeply, sleeping soundly, not snoring one bit:: (Kestar AFK Bot)";

  QLabel* const Label1;
  QPushButton* const Command1;  // Afk
  QPushButton* const Command2;  // Bak
  QPushButton* const Command3;  // Close
  chatlink::Timer Timer1;

 protected:
  void Form_Load() override;

 private:
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Timer1_Timer();
};

}  // namespace kestar::afk
