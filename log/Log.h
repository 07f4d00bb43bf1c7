#pragma once

#include <QFile>

#include "chatlink/ChatScanner.h"
#include "shell/Form.h"

class QLineEdit;
class QListWidgetItem;
class QPushButton;

namespace kestar::log {

class DirList;
class DriveList;
class FileList;

// The chat logger: from Start Log to Close Log every chat line of the room goes into a text file
// of the chosen folder, as "Name:" TAB "text". It goes on while the window is hidden.
class Log final : public shell::Form {
 public:
  static constexpr shell::FormId Id = shell::FormId::Log;
  explicit Log(shell::Program& program);

  DriveList* const Drive1;
  DirList* const Dir1;
  FileList* const File1;
  QLineEdit* const Text1;       // the log file's name, in the chosen folder
  QPushButton* const Command1;  // Start Log
  QPushButton* const Command2;  // Close Log
  QPushButton* const Command3;  // Close
  chatlink::ChatScanner Chat1;

  // The path of the file the last Start Log opened: the folder, "\" and the name.
  const Text& logPath() const { return LogPath; }

 protected:
  void Form_Load() override;

 private:
  void Drive1_Change();
  void Dir1_Change();
  void File1_Click(QListWidgetItem* item);
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Chat1_ChatMsg(const Text& Screen_Name, const Text& What_Said);

  Text LogPath;
  QFile logFile_;
};

}  // namespace kestar::log
