#pragma once

#include <cstdint>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "simclient/SimWindows.h"

namespace kestar::sim {

// One chat line the service delivered to a room.
struct ChatLine {
  std::string room;
  std::string screenName;
  std::string text;

  friend bool operator==(const ChatLine&, const ChatLine&) = default;
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
class SimClient final {
 public:
  explicit SimClient(SimWindows& windows, std::string userName = "SparKing",
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

  const Room* findRoom(const std::string& name) const;
  LParam inputProc(SimWindows& windows, Hwnd input, const Message& message);
  void deliver(const std::string& room, const std::string& speaker, std::string text);
  void answer(const std::string& room, const std::string& speaker, const std::string& text);
  int nextRoll(int sides);

  SimWindows& windows_;
  std::string userName_;
  Hwnd frame_ = 0;
  Hwnd mdi_ = 0;
  std::vector<Room> rooms_;
  std::vector<ChatLine> chatLog_;
  std::deque<int> nextRolls_;
  std::mt19937 random_;
  std::size_t transcriptLimit_ = 2000;
};

}  // namespace kestar::sim
