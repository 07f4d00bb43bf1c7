#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "client/Desktop.h"

namespace kestar::test {

// The stand-in client in a process of its own, started for one test and ended with it. Its
// windows are real; this object only drives it and reads what it recorded.
class StandIn final {
 public:
  StandIn();
  ~StandIn();
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

  // One command, its answer's lines.
  std::vector<std::string> command(const std::string& line);

  client::Hwnd openRoom(const std::string& name);
  void closeRoom(const std::string& name);
  client::Hwnd openWindow(const std::string& caption, int richText, bool listBox, bool icon,
                          bool label);
  void raise(client::Hwnd window);
  std::vector<client::Hwnd> children(client::Hwnd window);
  void say(const std::string& room, const std::string& speaker, const std::string& text);
  std::vector<std::string> transcript(const std::string& room);
  std::vector<std::string> sentByUser();
  std::string inputText(const std::string& room);
  void setNextRolls(const std::vector<int>& values);
  void setTranscriptLimit(int lines);
  client::Hwnd keywordBox();
  std::vector<std::string> keywords();
  struct Im {
    client::Hwnd window, textBox, sendButton;
    bool open;
  };
  std::vector<Im> imWindows();
  std::vector<std::pair<std::string, std::string>> instantMessages();
  client::Hwnd showMessageBox(const std::string& text, const std::string& button);
  struct Box {
    client::Hwnd box, button;
    bool open;
  };
  std::vector<Box> messageBoxes();
  void signOff(const std::string& name);
  void setImIcons(int count);
  void setResponding(bool responding);
  // Messages its windows received since the last call, with the real windows' handles.
  std::vector<client::Message> takeMessages();
  // Runs one later round of the client's work; false when there was none.
  bool round();
  // Runs the client's later rounds until it has no work left.
  void settle();

 private:
  std::string readLine();

  PROCESS_INFORMATION process_{};
  HANDLE toChild_ = nullptr;
  HANDLE fromChild_ = nullptr;
  std::string buffer_;
};

}  // namespace kestar::test
