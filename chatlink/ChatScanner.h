#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "chatlink/ChatLink.h"

namespace kestar::chatlink {

// The chat-scanner control a window owns (its Chat1, Chat2): between StartScan and StopScan it
// reports every new line of the open room's chat through ChatMsg, once and in order; SendLine
// posts a line in the room under the user's screen name.
//
// It reads the room's transcript box on a short timer. New lines are found by lining up the last
// lines seen with the transcript, which the client may have trimmed from the top since; a look
// with nothing new reads the line count and those few lines only, so its cost does not grow with
// the transcript.
class ChatScanner final {
 public:
  using Handler = std::function<void(const Text& screenName, const Text& whatSaid)>;

  explicit ChatScanner(const Link& link);
  ~ChatScanner();
  ChatScanner(const ChatScanner&) = delete;
  ChatScanner& operator=(const ChatScanner&) = delete;

  void StartScan();
  void StopScan();
  void SendLine(TextView line);
  bool scanning() const { return timer_.enabled(); }

  // The window's handler of the ChatMsg event.
  Handler ChatMsg;

  // One look at the transcript: queues the new lines and reports them. Public for benchmarks.
  void look();

  static constexpr int kLookIntervalMs = 20;

 private:
  std::vector<std::string> readNewLines(WindowApi& api, Hwnd transcript, int count);
  void remember(std::string line);
  void deliver();

  Link link_;
  Timer timer_;
  // The last lines seen, oldest first, and the transcript's line count at the last look.
  std::deque<std::string> tail_;
  int lastCount_ = 0;
  std::deque<std::pair<Text, Text>> queue_;
  bool delivering_ = false;
};

// Splits a transcript line "Name:" TAB "text" into the screen name and the text; false for a
// line without that separator.
bool splitChatLine(std::string_view line, std::string& screenName, std::string& whatSaid);
// The same as views into the line.
bool splitChatLine(std::string_view line, std::string_view& screenName, std::string_view& whatSaid);

}  // namespace kestar::chatlink
