#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "client/Desktop.h"

namespace kestar::client {

// One chat line the service delivered to a room.
struct ChatLine {
  std::string room;
  std::string screenName;
  std::string text;

  friend bool operator==(const ChatLine&, const ChatLine&) = default;
};

// An instant message the service delivered.
struct InstantMessage {
  std::string to;
  std::string text;

  friend bool operator==(const InstantMessage&, const InstantMessage&) = default;
};

// An instant-message window the client opened; the handles stay known after it closes.
struct ImWindow {
  Hwnd window = 0;
  Hwnd textBox = 0;     // its "RICHCNTL"
  Hwnd sendButton = 0;  // its ninth "_AOL_Icon", 0 when it has fewer
  std::string to;
};

// A message box the client showed: a top-level "#32770" captioned "America Online".
struct ShownBox {
  Hwnd box = 0;
  Hwnd button = 0;
  std::string text;
};

// The answer of the chat service to a line, or nothing when the line asks nothing of it.
// "//roll" rolls 2 six-sided dice; "//roll-diceN-sidesS" rolls N dice (1 to 15) of S sides
// (2 to 999). Values come from next().
std::string rollAnswer(const std::string& speaker, const std::string& line,
                       const std::function<int(int sides)>& next);

// A stand-in for the chat client and its chat service, living on a simulated desktop. Its
// windows carry the client's class names; its chat rooms take lines from their input box and
// show every chat line in their transcript as "Name:" TAB "text"; its service rolls dice.
//
// Text is held as the client holds it: bytes in the 8-bit code page.
class Client final {
 public:
  explicit Client(Desktop& windows, std::string userName = "SparKing",
                     std::uint32_t seed = 20261207);

  const std::string& userName() const { return userName_; }

  Hwnd frame() const { return frame_; }
  Hwnd mdi() const { return mdi_; }

  // Opens a chat room (or brings an open one to the top) and returns its window.
  Hwnd openRoom(const std::string& name);
  void closeRoom(const std::string& name);
  Hwnd room(const std::string& name) const;
  // Open rooms, topmost first.
  std::vector<std::string> roomNames() const;
  // A client window that is not a chat room: an "AOL Child" with the chosen kinds of children.
  Hwnd openWindow(const std::string& caption, int richTextBoxes, bool listBox, bool icon,
                  bool label);
  void raise(Hwnd window);

  // Someone in the room says a line, which appears at once; a line that asks the service for a
  // roll is answered on a later round.
  void say(const std::string& room, const std::string& speaker, const std::string& text);
  std::vector<std::string> transcript(const std::string& room) const;
  // Every line the service delivered, in order, in every room.
  const std::vector<ChatLine>& chatLog() const { return chatLog_; }
  // Lines that the user (the program) sent, in order: what reached the rooms under the user's name.
  std::vector<std::string> sentByUser() const;
  // The text waiting in a room's input box.
  std::string inputText(const std::string& room) const;

  // The keyword box: the "Edit" in the toolbar's "_AOL_Combobox". Enter there makes the client go
  // to the box's keyword on a later round: "aol://2719:" and codes, "-2-" and a room's name enter
  // that room; "aol://9293:" and a screen name open an instant-message window for that name.
  Hwnd keywordBox() const { return keywordBox_; }
  // The keywords the client went to, blanks at their ends removed, in order.
  const std::vector<std::string>& keywords() const { return keywords_; }

  // Places in the rooms a keyword enters. A room holds its capacity (23 unless set); people are
  // those in it besides the user. A room with no place left turns the user away with a message
  // box. Either may change at any time, also while the user keeps knocking.
  void setRoomCapacity(const std::string& room, int capacity);
  void setRoomPeople(const std::string& room, int people);
  int roomCapacity(const std::string& room) const;
  int roomPeople(const std::string& room) const;

  // Screen names that can receive instant messages, compared without letter case and blanks as
  // the service does. "Bob", "Ann" and "Cy" are signed on at first.
  void signOn(const std::string& name);
  void signOff(const std::string& name);
  bool signedOn(const std::string& name) const;
  std::vector<std::string> signedOnNames() const;

  // How many "_AOL_Icon" children the instant-message windows opened from now on have; the ninth
  // is Send. Ten unless set.
  void setImIcons(int count);
  // Every instant-message window opened, in order.
  const std::vector<ImWindow>& imWindows() const { return imWindows_; }
  // The messages delivered, in order. A click on Send delivers the window's text on a later round
  // and closes the window; to a name not signed on, the client shows its message box instead.
  const std::vector<InstantMessage>& instantMessages() const { return instantMessages_; }

  // Shows the client's message box with a text and one button. A press of the button (the space
  // key let go on it, or a click) closes the box on the next round of the client's work, as a
  // dialog that ends inside the press is gone once its owner's loop runs again.
  Hwnd showMessageBox(const std::string& text, const std::string& button = "OK");
  // Every box shown, in order; the one showing on top (0 when none).
  const std::vector<ShownBox>& messageBoxes() const { return messageBoxes_; }
  Hwnd messageBox() const;
  // A person presses the button of the box on top.
  void pressMessageBox();

  // A client that stops responding takes keys and clicks but does nothing with them.
  void setResponding(bool responding) { responding_ = responding; }

  // Values the next rolls take, before the random ones.
  void setNextRolls(std::vector<int> values);
  // The transcript keeps at most this many lines; older ones are trimmed from the top.
  void setTranscriptLimit(std::size_t lines);

 private:
  struct Room {
    std::string name;
    Hwnd window = 0;
    Hwnd transcript = 0;
    Hwnd input = 0;
    Hwnd people = 0;
  };

  struct Places {
    int capacity = 23;
    int people = 0;
  };

  const Room* findRoom(const std::string& name) const;
  LParam keywordProc(Desktop& windows, Hwnd box, const Message& message);
  void goTo(const std::string& keyword);
  void enterRoom(const std::string& name);
  void openIm(const std::string& to);
  void sendIm(Hwnd window, const std::string& to, const std::string& text);
  LParam boxButtonProc(Desktop& windows, Hwnd button, const Message& message);
  LParam inputProc(Desktop& windows, Hwnd input, const Message& message);
  void deliver(const std::string& room, const std::string& speaker, std::string text);
  void answer(const std::string& room, const std::string& speaker, const std::string& text);
  int nextRoll(int sides);

  Desktop& windows_;
  std::string userName_;
  Hwnd frame_ = 0;
  Hwnd mdi_ = 0;
  std::vector<Room> rooms_;
  std::vector<ChatLine> chatLog_;
  std::deque<int> nextRolls_;
  std::mt19937 random_;
  std::size_t transcriptLimit_ = 2000;
  Hwnd keywordBox_ = 0;
  std::vector<std::string> keywords_;
  std::map<std::string, Places> places_;
  std::map<std::string, std::string> signedOn_;  // the names as written, by the name as compared
  int imIcons_ = 10;
  std::vector<ImWindow> imWindows_;
  std::vector<InstantMessage> instantMessages_;
  std::vector<ShownBox> messageBoxes_;
  bool responding_ = true;
};

}  // namespace kestar::client
