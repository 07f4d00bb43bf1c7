#include "client/Client.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace kestar::client {
namespace {

constexpr std::string_view kRoomKeyword = "aol://2719:";
constexpr std::string_view kImKeyword = "aol://9293:";
constexpr std::string_view kRoomNameMark = "-2-";
constexpr int kImSendIcon = 9;

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool startsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

std::string imIconCaption(int index) {
  static const char* const kCaptions[] = {"Font",       "Bold", "Italic", "Underline", "Color",
                                          "Background", "Link", "Smiley", "Send",      "Get Info"};
  return index < 10 ? kCaptions[index] : "More";
}

// A transcript line is one line; the characters given stand as blanks in it.
std::string oneLine(std::string text, std::string_view asBlanks) {
  for (char& c : text) {
    if (asBlanks.find(c) != std::string_view::npos) c = ' ';
  }
  return text;
}

}  // namespace

std::string keywordRoom(const std::string& typed) {
  const std::string keyword = trimmed(typed);
  if (!startsWith(keyword, kRoomKeyword)) return {};
  const std::string codes = keyword.substr(kRoomKeyword.size());
  const std::size_t mark = codes.find(kRoomNameMark);
  return mark == std::string::npos ? std::string() : codes.substr(mark + kRoomNameMark.size());
}

Client::Client(Desktop& windows, ChatService& service) : windows_(windows), service_(service) {
  frame_ = windows_.create(0, "AOL Frame25", "America  Online");
  mdi_ = windows_.create(frame_, "MDIClient", "");
  const Hwnd toolbar = windows_.create(frame_, "AOL Toolbar", "");
  const Hwnd inner = windows_.create(toolbar, "_AOL_Toolbar", "");
  const Hwnd combo = windows_.create(inner, "_AOL_Combobox", "");
  keywordBox_ = windows_.create(combo, "Edit", "",
                                [this](Desktop& windows, Hwnd box, const Message& message) {
                                  return keywordProc(windows, box, message);
                                });
  service_.attach(*this, [this](std::function<void()> work) { windows_.post(std::move(work)); });
}

Hwnd Client::openRoom(const std::string& name) {
  if (const Room* open = findRoom(name)) {
    windows_.raise(open->window);
    return open->window;
  }
  Room room;
  room.name = name;
  room.window = windows_.create(mdi_, "AOL Child", name,
                                [this, name](Desktop& windows, Hwnd window, const Message& m) {
                                  if (m.msg != chatlink::WmClose)
                                    return Desktop::defaultProc(windows, window, m);
                                  closeRoom(name);
                                  return LParam{0};
                                });
  room.transcript = windows_.create(room.window, "RICHCNTL", "");
  room.input = windows_.create(room.window, "RICHCNTL", "",
                               [this](Desktop& windows, Hwnd input, const Message& message) {
                                 return inputProc(windows, input, message);
                               });
  room.people = windows_.create(room.window, "_AOL_Listbox", "");
  for (const char* icon : {"Send", "Notify AOL", "Center Stage"}) {
    windows_.create(room.window, "_AOL_Icon", icon);
  }
  windows_.create(room.window, "_AOL_Static", name);
  windows_.raise(room.window);
  rooms_.push_back(room);
  windows_.appendLine(room.people, service_.userName());
  return room.window;
}

void Client::closeRoom(const std::string& name) {
  if (findRoom(name) == nullptr) return;
  removeRoom(name, "You left the room.");
  windows_.post([this, name] { service_.leaveRoom(name); });
}

void Client::removeRoom(const std::string& name, const std::string& why) {
  const auto it = std::find_if(rooms_.begin(), rooms_.end(),
                               [&](const Room& room) { return room.name == name; });
  if (it == rooms_.end()) return;
  Earlier kept{name, keptLines(name)};
  kept.lines.push_back(ShownLine{now(), why});
  while (kept.lines.size() > transcriptLimit_)
    kept.lines.pop_front();
  forgetRoom(name);
  earlier_.push_back(std::move(kept));
  const Hwnd window = it->window;
  rooms_.erase(it);
  windows_.destroy(window);
}

std::deque<ShownLine> Client::keptLines(const std::string& room) const {
  std::deque<ShownLine> shown;
  for (const Earlier& kept : earlier_) {
    if (kept.room == room) shown = kept.lines;
  }
  if (const Room* open = findRoom(room)) {
    const auto& lines = windows_.lines(open->transcript);
    for (std::size_t i = 0; i < lines.size(); ++i)
      shown.push_back(ShownLine{open->times[i], lines[i]});
  }
  return shown;
}

std::vector<ShownLine> Client::history(const std::string& room) const {
  const std::deque<ShownLine> kept = keptLines(room);
  std::vector<ShownLine> shown(kept.begin(), kept.end());
  if (const Room* open = findRoom(room)) {
    for (const std::string& line : open->waiting)
      shown.push_back(ShownLine{{}, "Waiting to be sent: " + line});
  }
  return shown;
}

std::vector<std::string> Client::leftRooms() const {
  std::vector<std::string> names;
  for (const Earlier& kept : earlier_) {
    if (findRoom(kept.room) == nullptr) names.push_back(kept.room);
  }
  return names;
}

void Client::forgetRoom(const std::string& room) {
  std::erase_if(earlier_, [&](const Earlier& kept) { return kept.room == room; });
}

Hwnd Client::room(const std::string& name) const {
  const Room* found = findRoom(name);
  return found == nullptr ? 0 : found->window;
}

std::vector<std::string> Client::roomNames() const {
  std::vector<std::string> names;
  for (const Hwnd child : windows_.children(mdi_)) {
    for (const Room& room : rooms_) {
      if (room.window == child) names.push_back(room.name);
    }
  }
  return names;
}

Hwnd Client::openWindow(const std::string& caption, int richTextBoxes, bool listBox, bool icon,
                        bool label) {
  const Hwnd window = windows_.create(mdi_, "AOL Child", caption);
  for (int i = 0; i < richTextBoxes; ++i)
    windows_.create(window, "RICHCNTL", "");
  if (listBox) windows_.create(window, "_AOL_Listbox", "");
  if (icon) windows_.create(window, "_AOL_Icon", "");
  if (label) windows_.create(window, "_AOL_Static", caption);
  windows_.raise(window);
  return window;
}

void Client::raise(Hwnd window) {
  windows_.raise(window);
}

std::vector<std::string> Client::transcript(const std::string& room) const {
  const Room* found = findRoom(room);
  if (found == nullptr) return {};
  const auto& lines = windows_.lines(found->transcript);
  return {lines.begin(), lines.end()};
}

std::vector<std::string> Client::sentByUser() const {
  return sentByUser_;
}

std::string Client::inputText(const std::string& room) const {
  const Room* found = findRoom(room);
  return found == nullptr ? std::string() : windows_.text(found->input);
}

std::vector<std::string> Client::people(const std::string& room) const {
  const Room* found = findRoom(room);
  if (found == nullptr) return {};
  const auto& lines = windows_.lines(found->people);
  return {lines.begin(), lines.end()};
}

std::string Client::topic(const std::string& room) const {
  const Room* found = findRoom(room);
  return found == nullptr ? std::string() : found->topic;
}

std::vector<std::string> Client::waiting(const std::string& room) const {
  const Room* found = findRoom(room);
  return found == nullptr ? std::vector<std::string>() : found->waiting;
}

void Client::typeLine(const std::string& room, const std::string& line) {
  if (const Room* found = findRoom(room)) pressEnter(found->input, line);
}

void Client::typeKeyword(const std::string& keyword) {
  pressEnter(keywordBox_, keyword);
}

void Client::typeInstantMessage(const std::string& to, const std::string& text) {
  const ImWindow im = openIm(to);
  if (im.sendButton == 0) return;
  windows_.sendTextMessage(im.textBox, chatlink::WmSetText, 0, text);
  windows_.sendMessage(im.sendButton, chatlink::WmLButtonDown, 0, 0);
  windows_.sendMessage(im.sendButton, chatlink::WmLButtonUp, 0, 0);
}

void Client::pressEnter(Hwnd box, const std::string& text) {
  windows_.sendTextMessage(box, chatlink::WmSetText, 0, text);
  windows_.sendMessage(box, chatlink::WmChar, chatlink::KeyEnter, 0);
}

void Client::setImIcons(int count) {
  imIcons_ = std::max(0, count);
}

Hwnd Client::showMessageBox(const std::string& text, const std::string& button) {
  ShownBox shown;
  shown.text = text;
  shown.box = windows_.create(0, "#32770", "America Online");
  windows_.create(shown.box, "Static", text);
  shown.button = windows_.create(shown.box, "Button", button,
                                 [this](Desktop& windows, Hwnd pressed, const Message& m) {
                                   return boxButtonProc(windows, pressed, m);
                                 });
  windows_.raise(shown.box);
  messageBoxes_.push_back(shown);
  return shown.box;
}

Hwnd Client::messageBox() const {
  for (const Hwnd window : windows_.children(0)) {
    if (windows_.className(window) == "#32770") return window;
  }
  return 0;
}

void Client::pressMessageBox() {
  const Hwnd box = messageBox();
  if (box == 0) return;
  for (const Hwnd child : windows_.children(box)) {
    if (windows_.className(child) == "Button") {
      windows_.sendMessage(child, chatlink::WmLButtonDown, 0, 0);
      windows_.sendMessage(child, chatlink::WmLButtonUp, 0, 0);
      return;
    }
  }
}

void Client::setTranscriptLimit(std::size_t lines) {
  transcriptLimit_ = std::max<std::size_t>(1, lines);
  for (Room& room : rooms_)
    trim(room);
}

void Client::trim(Room& room) {
  windows_.trimLines(room.transcript, transcriptLimit_);
  while (room.times.size() > transcriptLimit_)
    room.times.pop_front();
}

std::string Client::now() const {
  return clock ? clock() : std::string();
}

const Client::Room* Client::findRoom(const std::string& name) const {
  for (const Room& room : rooms_) {
    if (room.name == name) return &room;
  }
  return nullptr;
}

Client::Room* Client::findRoom(const std::string& name) {
  return const_cast<Room*>(std::as_const(*this).findRoom(name));
}

LParam Client::inputProc(Desktop& windows, Hwnd input, const Message& message) {
  if (message.msg != chatlink::WmChar) return Desktop::defaultProc(windows, input, message);
  if (message.wParam != chatlink::KeyEnter) {
    windows.setText(input, windows.text(input) + static_cast<char>(message.wParam));
    return 0;
  }
  // Enter hands the box's line to the service and empties the box; the service hears of it on a
  // later round, and the line reaches the room when the service says so.
  std::string line = windows.text(input);
  if (line.empty()) return 0;
  windows.setText(input, "");
  const Hwnd roomWindow = windows.parent(input);
  for (const Room& room : rooms_) {
    if (room.window == roomWindow) {
      windows.post([this, name = room.name, line = std::move(line)] {
        if (findRoom(name) != nullptr) service_.say(name, line);
      });
      break;
    }
  }
  return 0;
}

LParam Client::keywordProc(Desktop& windows, Hwnd box, const Message& message) {
  if (message.msg != chatlink::WmChar) return Desktop::defaultProc(windows, box, message);
  if (message.wParam != chatlink::KeyEnter) {
    windows.setText(box, windows.text(box) + static_cast<char>(message.wParam));
    return 0;
  }
  // The client goes to the keyword on its own time, after the key has been taken.
  if (responding_) windows.post([this, keyword = windows.text(box)] { goTo(keyword); });
  return 0;
}

void Client::goTo(const std::string& typed) {
  const std::string keyword = trimmed(typed);
  if (keyword.empty()) return;
  keywords_.push_back(keyword);
  if (startsWith(keyword, kRoomKeyword)) {
    goToRoom(keywordRoom(keyword));
  } else if (startsWith(keyword, kImKeyword)) {
    openIm(keyword.substr(kImKeyword.size()));
  }
}

void Client::goToRoom(const std::string& name) {
  if (name.empty()) return;
  if (findRoom(name) != nullptr) {
    openRoom(name);
    return;
  }
  turnedAway_.erase(name);
  service_.joinRoom(name);
}

std::string Client::turnedAway(const std::string& room) const {
  const auto it = turnedAway_.find(room);
  return it == turnedAway_.end() ? std::string() : it->second;
}

void Client::command(const std::string& room, const Command& command) {
  switch (command.kind) {
    case CommandKind::Say:
      typeLine(room, command.text);
      return;
    case CommandKind::Unknown:
      note(room, "Unknown command /" + command.name);
      return;
    case CommandKind::Usage:
      note(room, "Usage: " + command.text);
      return;
    case CommandKind::Msg:
      note(room, "-> " + command.target + ": " + command.text);
      windows_.post([this, command] { sendImNow(0, command.target, command.text); });
      return;
    case CommandKind::Part:
      if (findRoom(room) == nullptr) return;
      removeRoom(room, "You left the room.");
      break;
    default:
      break;
  }
  windows_.post([this, room, command] { service_.command(room, command); });
}

const ImWindow& Client::openIm(const std::string& to) {
  ImWindow im;
  im.to = to;
  im.window = windows_.create(mdi_, "AOL Child", "Send Instant Message");
  windows_.create(im.window, "_AOL_Edit", to);
  im.textBox = windows_.create(im.window, "RICHCNTL", "");
  for (int i = 0; i < imIcons_; ++i) {
    WindowProc proc;
    if (i + 1 == kImSendIcon) {
      proc = [this, window = im.window, textBox = im.textBox, to](Desktop& windows, Hwnd icon,
                                                                  const Message& message) {
        if (message.msg == chatlink::WmLButtonUp && responding_) {
          sendIm(window, to, windows.text(textBox));
          return LParam{0};
        }
        return Desktop::defaultProc(windows, icon, message);
      };
    }
    const Hwnd icon = windows_.create(im.window, "_AOL_Icon", imIconCaption(i), std::move(proc));
    if (i + 1 == kImSendIcon) im.sendButton = icon;
  }
  windows_.raise(im.window);
  imWindows_.push_back(im);
  return imWindows_.back();
}

void Client::sendIm(Hwnd window, const std::string& to, const std::string& text) {
  // The service hears of the click on a later round.
  windows_.post([this, window, to, text] {
    if (windows_.exists(window)) sendImNow(window, to, text);
  });
}

void Client::sendImNow(Hwnd window, const std::string& to, const std::string& text) {
  const int ticket = nextTicket_++;
  imsOnTheirWay_[ticket] = ImOnItsWay{window, to, text};
  service_.sendInstantMessage(ticket, to, text);
}

LParam Client::boxButtonProc(Desktop& windows, Hwnd button, const Message& message) {
  const bool pressed = (message.msg == chatlink::WmKeyUp && message.wParam == chatlink::KeySpace) ||
                       message.msg == chatlink::WmLButtonUp;
  if (!pressed) return Desktop::defaultProc(windows, button, message);
  windows.post([this, box = windows.parent(button)] { windows_.destroy(box); });
  return 0;
}

void Client::showLine(Room& room, std::string line) {
  windows_.appendLine(room.transcript, std::move(line));
  room.times.push_back(now());
  trim(room);
}

void Client::roomEntered(const std::string& room) {
  turnedAway_.erase(room);
  // Refusals of the room still showing say nothing true any more.
  if (const auto boxes = refusals_.extract(room)) {
    for (const Hwnd box : boxes.mapped())
      windows_.destroy(box);
  }
  openRoom(room);
}

void Client::joinRefused(const std::string& room, const std::string& text) {
  refusals_[room].push_back(showMessageBox(text));
}

void Client::joinBarred(const std::string& room, const std::string& text) {
  turnedAway_[room] = text;
  refusals_[room].push_back(showMessageBox(text));
}

void Client::roomLeft(const std::string& room) {
  removeRoom(room, "You were put out of the room.");
}

void Client::chatLine(const std::string& room, const std::string& speaker,
                      const std::string& text) {
  Room* found = findRoom(room);
  if (found == nullptr) return;
  // A tab in a name would move where the line splits into name and text.
  std::string said = oneLine(text, "\r\n");
  showLine(*found, oneLine(speaker, "\r\n\t") + ":\t" + said);
  if (speaker == service_.userName()) sentByUser_.push_back(std::move(said));
}

void Client::linesWaiting(const std::string& room, const std::vector<std::string>& lines) {
  Room* found = findRoom(room);
  if (found == nullptr) return;
  found->waiting.clear();
  for (const std::string& line : lines)
    found->waiting.push_back(oneLine(line, "\r\n\t"));
  if (onNews) onNews();
}

void Client::roomNotice(const std::string& room, const std::string& text) {
  note(room, text);
}

void Client::note(const std::string& room, const std::string& text) {
  // Without a tab, no notice reads as someone's chat line.
  if (Room* found = findRoom(room)) showLine(*found, oneLine(text, "\r\n\t"));
}

void Client::topicChanged(const std::string& room, const std::string& topic) {
  Room* found = findRoom(room);
  if (found == nullptr) return;
  found->topic = oneLine(topic, "\r\n\t");
  if (onNews) onNews();
}

void Client::peopleChanged(const std::string& room, const std::vector<Person>& people) {
  const Room* found = findRoom(room);
  if (found == nullptr) return;
  std::vector<Person> listed = people;
  std::ranges::stable_sort(listed, [](const Person& a, const Person& b) {
    if (a.rank != b.rank) return a.rank > b.rank;
    return std::ranges::lexicographical_compare(
        a.name, b.name,
        [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
  });
  windows_.trimLines(found->people, 0);
  for (const Person& person : listed)
    windows_.appendLine(found->people, person.mark + person.name);
}

void Client::instantMessageDelivered(int ticket) {
  const auto it = imsOnTheirWay_.find(ticket);
  if (it == imsOnTheirWay_.end()) return;
  if (it->second.window != 0) windows_.destroy(it->second.window);
  imLog_.push_back("To " + it->second.to + ": " + it->second.text);
  imsOnTheirWay_.erase(it);
  if (onNews) onNews();
}

void Client::instantMessageRefused(int ticket, const std::string& text) {
  if (const auto it = imsOnTheirWay_.find(ticket); it != imsOnTheirWay_.end()) {
    imLog_.push_back("To " + it->second.to + " (not sent): " + it->second.text);
    imsOnTheirWay_.erase(it);
  }
  showMessageBox(text);
}

void Client::instantMessageReceived(const std::string& from, const std::string& text) {
  received_.push_back(InstantMessage{from, text});
  imLog_.push_back("From " + from + ": " + text);
  if (onNews) onNews();
}

void Client::stateChanged(const std::string& state) {
  serviceState_ = state;
  if (onNews) onNews();
}

}  // namespace kestar::client
