#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "chatlink/ChatLink.h"

namespace kestar::chatlink {

// The chat-scanner control a window owns (its Chat1, Chat2): between StartScan and StopScan it
// reports every new line of the open room's chat through ChatMsg, once and in order; SendLine
// posts a line in the room under the user's screen name.
//
// It reads the transcript box of the room on top on a short timer, and remembers each room's
// transcript apart: lines a room held when the scan started, or when it was last on top, are never
// reported again when it comes back on top; a room entered during the scan reports every line that
// arrives in it. A look first glances at the box (its length, line count and a few lines it shows)
// and reads the whole text only when that changed, so a look with nothing new costs the same
// however long the transcript is. The text is split at its line breaks: a box that wraps its words
// shows a long chat line as several display lines, and a break that ends the text ends the last
// line rather than beginning an empty one.
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
  // A cheap look at a transcript box, without reading its whole text.
  struct Glance {
    int length = -1;
    int lines = 0;
    std::string first;
    std::string last;
    std::string beforeLast;
    friend bool operator==(const Glance&, const Glance&) = default;
  };
  // What was seen of one room's transcript: its chat lines at the last read (their count and the
  // last few, oldest first) and the glance taken just before that read.
  struct Seen {
    Glance glance;
    int count = 0;
    std::deque<std::string> tail;
  };

  Glance glance(Hwnd transcript) const;
  Seen& seen(Hwnd transcript);
  static Seen read(const std::vector<std::string>& lines, Glance glance);
  static std::size_t firstNew(const std::vector<std::string>& lines, const Seen& seen);
  void deliver();
  void restoreDraft();
  void forgetDraft();

  Link link_;
  Timer timer_;
  std::map<Hwnd, Seen> rooms_;
  std::deque<std::pair<Text, Text>> queue_;
  bool delivering_ = false;
  // What the user had typed in the input box before SendLine's line; put back once the client
  // has taken the line out of the box.
  Timer draftTimer_;
  Hwnd draftBox_ = 0;
  std::string draft_;
  std::string sentLine_;
  int draftLooks_ = 0;
};

// Splits a transcript line "Name:" TAB "text" into the screen name and the text; false for a
// line without that separator.
bool splitChatLine(std::string_view line, std::string& screenName, std::string& whatSaid);
// The same as views into the line.
bool splitChatLine(std::string_view line, std::string_view& screenName, std::string_view& whatSaid);

// A transcript's text as chat lines: split at its line breaks (CR LF, CR or LF), without the empty
// line after a break that ends the text.
std::vector<std::string> chatLinesOf(std::string_view text);

}  // namespace kestar::chatlink
