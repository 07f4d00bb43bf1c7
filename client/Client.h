#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "client/ChatService.h"
#include "client/Desktop.h"

namespace kestar::client {

// An instant message that came in from someone.
struct InstantMessage {
  std::string from;
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

// A line of a room as the client's window shows it: the time it came ("" when the client keeps no
// clock) and the line as the transcript holds it.
struct ShownLine {
  std::string time;
  std::string line;

  friend bool operator==(const ShownLine&, const ShownLine&) = default;
};

// The room a keyword asks the client to enter: the name after the first "-2-" of an "aol://2719:"
// keyword, blanks at the keyword's ends removed; "" for any other keyword.
std::string keywordRoom(const std::string& keyword);

// A message box the client showed: a top-level "#32770" captioned "America Online".
struct ShownBox {
  Hwnd box = 0;
  Hwnd button = 0;
  std::string text;
};

// Kestar's own chat client, living on a simulated desktop: the windows a chat client shows and
// how they behave. Its windows carry the client's class names; its chat rooms take lines from
// their input box and show every chat line in their transcript as "Name:" TAB "text". Who is in a
// room, who is signed on, rolls and delivery belong to the chat service behind it.
//
// Text is held as the client holds it: bytes in the 8-bit code page.
class Client final : private ServiceListener {
 public:
  Client(Desktop& windows, ChatService& service);

  std::string userName() const { return service_.userName(); }
  bool signedOn() const { return service_.signedOn(); }

  Hwnd frame() const { return frame_; }
  Hwnd mdi() const { return mdi_; }

  // Opens a chat room (or brings an open one to the top) and returns its window, as the client
  // does when the service lets the user in.
  Hwnd openRoom(const std::string& name);
  // Asks the service to let the user into a room (or brings it to the top when the user is in it).
  void goToRoom(const std::string& name);
  // Closes a room's window; the service hears on a later round that the user left.
  void closeRoom(const std::string& name);
  Hwnd room(const std::string& name) const;
  // Open rooms, topmost first.
  std::vector<std::string> roomNames() const;
  // A client window that is not a chat room: an "AOL Child" with the chosen kinds of children.
  Hwnd openWindow(const std::string& caption, int richTextBoxes, bool listBox, bool icon,
                  bool label);
  void raise(Hwnd window);

  std::vector<std::string> transcript(const std::string& room) const;
  // Lines that the user (the program) sent, in order: what reached the rooms under the user's name.
  std::vector<std::string> sentByUser() const;
  // The text waiting in a room's input box.
  std::string inputText(const std::string& room) const;
  // The room's people list: each name after the mark of its rank, the highest ranks first, then
  // by name without regard to letter case, as chat clients list them.
  std::vector<std::string> people(const std::string& room) const;
  // The room's topic, as the service last told it.
  std::string topic(const std::string& room) const;
  // The user's lines the service has not brought to the room yet. They are not in the
  // transcript: the scanner and the logger never read a line the room does not have.
  std::vector<std::string> waiting(const std::string& room) const;

  // What a person reads of a room: the lines of the user's earlier stays in it, kept after the
  // user left or was put out until forgetRoom, then the open room's transcript, then the user's
  // lines waiting to be sent, each after "Waiting to be sent: " and without a time.
  std::vector<ShownLine> history(const std::string& room) const;
  // Rooms the user is no longer in whose lines are kept, in the order they were left.
  std::vector<std::string> leftRooms() const;
  void forgetRoom(const std::string& room);
  // The time of day a line comes at, kept beside it for the window; unset, lines have none.
  std::function<std::string()> clock;

  // What a person does at the keyboard: types a line into a room's input box and presses Enter;
  // types a keyword into the keyword box and presses Enter; writes an instant message in a new
  // window and clicks its Send.
  void typeLine(const std::string& room, const std::string& line);
  void typeKeyword(const std::string& keyword);
  void typeInstantMessage(const std::string& to, const std::string& text);
  // A command the user typed into a room's say box (parseCommand): the room shows at once what
  // was not understood or how a command is written; /msg goes as an instant message without a
  // window, shown in the room at once and, like every instant message, in imLog once the service
  // answered; the window of the room /part leaves closes at once; the service hears of the rest
  // on a later round.
  void command(const std::string& room, const Command& command);

  // The keyword box: the "Edit" in the toolbar's "_AOL_Combobox". Enter there makes the client go
  // to the box's keyword on a later round: "aol://2719:" and codes, "-2-" and a room's name ask
  // the service to enter that room; "aol://9293:" and a screen name open an instant-message window
  // for that name.
  Hwnd keywordBox() const { return keywordBox_; }
  // The keywords the client went to, blanks at their ends removed, in order.
  const std::vector<std::string>& keywords() const { return keywords_; }

  // How many "_AOL_Icon" children the instant-message windows opened from now on have; the ninth
  // is Send. Ten unless set.
  void setImIcons(int count);
  // Every instant-message window opened, in order. A click on Send hands the window's text to the
  // service on a later round; the window closes when the service delivered it, and the client
  // shows its message box with the service's text when it did not.
  const std::vector<ImWindow>& imWindows() const { return imWindows_; }
  // Instant messages that came in, in order.
  const std::vector<InstantMessage>& receivedMessages() const { return received_; }
  // Every instant message, in the order they came or the service answered them: "From NAME:
  // text", "To NAME: text", or "To NAME (not sent): text".
  const std::vector<std::string>& imLog() const { return imLog_; }
  // The text of the service's last refusal of the room, when it turned the user away for good
  // since the user last asked to enter it; else "".
  std::string turnedAway(const std::string& room) const;
  // How the service stands, in its own words.
  const std::string& serviceState() const { return serviceState_; }
  // Told when something the windows do not show changed: a message came in, the service's state.
  std::function<void()> onNews;

  // Shows the client's message box with a text and one button. A press of the button (the space
  // key let go on it, or a click) closes the box on the next round of the client's work, as a
  // dialog that ends inside the press is gone once its owner's loop runs again.
  Hwnd showMessageBox(const std::string& text, const std::string& button = "OK");
  // Every box shown, in order; the one showing on top (0 when none). The boxes of a room's
  // refusals close when the user enters the room.
  const std::vector<ShownBox>& messageBoxes() const { return messageBoxes_; }
  Hwnd messageBox() const;
  // A person presses the button of the box on top.
  void pressMessageBox();

  // A client that stops responding takes keys and clicks but does nothing with them.
  void setResponding(bool responding) { responding_ = responding; }

  // The transcript keeps at most this many lines; older ones are trimmed from the top.
  void setTranscriptLimit(std::size_t lines);

 private:
  struct Room {
    std::string name;
    Hwnd window = 0;
    Hwnd transcript = 0;
    Hwnd input = 0;
    Hwnd people = 0;
    std::deque<std::string> times;  // of the transcript's lines
    std::string topic;
    std::vector<std::string> waiting;
  };
  struct Earlier {
    std::string room;
    std::deque<ShownLine> lines;
  };

  const Room* findRoom(const std::string& name) const;
  Room* findRoom(const std::string& name);
  // Closes the room's window; its lines are kept for the person, ended by a note of why.
  void removeRoom(const std::string& name, const std::string& why);
  // The lines of the user's earlier stays in the room, then those of its open transcript.
  std::deque<ShownLine> keptLines(const std::string& room) const;
  // Keeps the room's transcript, and the times of its lines, within the limit.
  void trim(Room& room);
  std::string now() const;
  LParam keywordProc(Desktop& windows, Hwnd box, const Message& message);
  void goTo(const std::string& keyword);
  const ImWindow& openIm(const std::string& to);
  void sendIm(Hwnd window, const std::string& to, const std::string& text);
  LParam boxButtonProc(Desktop& windows, Hwnd button, const Message& message);
  LParam inputProc(Desktop& windows, Hwnd input, const Message& message);
  void showLine(Room& room, std::string line);
  void note(const std::string& room, const std::string& text);
  void sendImNow(Hwnd window, const std::string& to, const std::string& text);
  void pressEnter(Hwnd box, const std::string& text);

  // ServiceListener
  void roomEntered(const std::string& room) override;
  void joinRefused(const std::string& room, const std::string& text) override;
  void joinBarred(const std::string& room, const std::string& text) override;
  void roomLeft(const std::string& room) override;
  void chatLine(const std::string& room, const std::string& speaker,
                const std::string& text) override;
  void linesWaiting(const std::string& room, const std::vector<std::string>& lines) override;
  void roomNotice(const std::string& room, const std::string& text) override;
  void topicChanged(const std::string& room, const std::string& topic) override;
  void peopleChanged(const std::string& room, const std::vector<Person>& people) override;
  void instantMessageDelivered(int ticket) override;
  void instantMessageRefused(int ticket, const std::string& text) override;
  void instantMessageReceived(const std::string& from, const std::string& text) override;
  void stateChanged(const std::string& state) override;

  Desktop& windows_;
  ChatService& service_;
  Hwnd frame_ = 0;
  Hwnd mdi_ = 0;
  std::vector<Room> rooms_;
  std::vector<Earlier> earlier_;  // in the order the rooms were left
  std::vector<std::string> sentByUser_;
  std::size_t transcriptLimit_ = 2000;
  Hwnd keywordBox_ = 0;
  std::vector<std::string> keywords_;
  int imIcons_ = 10;
  std::vector<ImWindow> imWindows_;
  struct ImOnItsWay {
    Hwnd window = 0;  // 0 for /msg
    std::string to;
    std::string text;
  };
  std::map<int, ImOnItsWay> imsOnTheirWay_;  // by ticket
  std::vector<std::string> imLog_;
  std::map<std::string, std::string> turnedAway_;      // by room
  std::map<std::string, std::vector<Hwnd>> refusals_;  // the boxes of a room's refusals, by room
  int nextTicket_ = 1;
  std::vector<InstantMessage> received_;
  std::string serviceState_;
  std::vector<ShownBox> messageBoxes_;
  bool responding_ = true;
};

}  // namespace kestar::client
