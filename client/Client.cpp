#include "client/Client.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace kestar::client {
namespace {

constexpr const char* kService = "OnlineHost";

// Reads the whole of digits as a number in [low, high]; false for anything else.
bool readNumber(std::string_view digits, int low, int high, int& value) {
  if (digits.empty() || digits.size() > 4) return false;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return error == std::errc() && end == digits.data() + digits.size() && value >= low &&
         value <= high;
}

// Parses "//roll" and "//roll-diceN-sidesS"; false for a line that is not a valid roll request.
bool parseRoll(std::string_view line, int& dice, int& sides) {
  constexpr std::string_view kRoll = "//roll";
  if (line == kRoll) {
    dice = 2;
    sides = 6;
    return true;
  }
  constexpr std::string_view kDice = "//roll-dice";
  constexpr std::string_view kSides = "-sides";
  if (line.substr(0, kDice.size()) != kDice) return false;
  const std::string_view rest = line.substr(kDice.size());
  const std::size_t split = rest.find(kSides);
  if (split == std::string_view::npos) return false;
  return readNumber(rest.substr(0, split), 1, 15, dice) &&
         readNumber(rest.substr(split + kSides.size()), 2, 999, sides);
}

bool isRollRequest(std::string_view line) {
  return line.substr(0, 6) == "//roll";
}

constexpr std::string_view kRoomKeyword = "aol://2719:";
constexpr std::string_view kImKeyword = "aol://9293:";
constexpr std::string_view kRoomNameMark = "-2-";
constexpr int kImSendIcon = 9;

// A screen name as the service compares it: without blanks, letter case ignored.
std::string comparable(const std::string& name) {
  std::string key;
  for (const char c : name) {
    if (c != ' ') key.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return key;
}

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

}  // namespace

std::string rollAnswer(const std::string& speaker, const std::string& line,
                       const std::function<int(int sides)>& next) {
  if (!isRollRequest(line)) return {};
  int dice = 0;
  int sides = 0;
  if (!parseRoll(line, dice, sides)) {
    return "Sorry, " + speaker + ": use //roll or //roll-diceN-sidesS (N 1-15, S 2-999).";
  }
  std::string answer = speaker + " rolled " + std::to_string(dice) + " " + std::to_string(sides) +
                       (dice == 1 ? "-sided die:" : "-sided dice:") + " ";
  for (int i = 0; i < dice; ++i) {
    answer += ' ';
    answer += std::to_string(next(sides));
  }
  return answer;
}

Client::Client(Desktop& windows, std::string userName, std::uint32_t seed)
    : windows_(windows), userName_(std::move(userName)), random_(seed) {
  frame_ = windows_.create(0, "AOL Frame25", "America  Online");
  mdi_ = windows_.create(frame_, "MDIClient", "");
  const Hwnd toolbar = windows_.create(frame_, "AOL Toolbar", "");
  const Hwnd inner = windows_.create(toolbar, "_AOL_Toolbar", "");
  const Hwnd combo = windows_.create(inner, "_AOL_Combobox", "");
  keywordBox_ = windows_.create(combo, "Edit", "",
                                [this](Desktop& windows, Hwnd box, const Message& message) {
                                  return keywordProc(windows, box, message);
                                });
  for (const char* name : {"Bob", "Ann", "Cy"})
    signOn(name);
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
  windows_.appendLine(room.people, userName_);
  return room.window;
}

void Client::closeRoom(const std::string& name) {
  const auto it = std::find_if(rooms_.begin(), rooms_.end(),
                               [&](const Room& room) { return room.name == name; });
  if (it == rooms_.end()) return;
  const Hwnd window = it->window;
  rooms_.erase(it);
  windows_.destroy(window);
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

void Client::say(const std::string& room, const std::string& speaker, const std::string& text) {
  if (findRoom(room) == nullptr) return;
  deliver(room, speaker, text);
}

std::vector<std::string> Client::transcript(const std::string& room) const {
  const Room* found = findRoom(room);
  if (found == nullptr) return {};
  const auto& lines = windows_.lines(found->transcript);
  return {lines.begin(), lines.end()};
}

std::vector<std::string> Client::sentByUser() const {
  std::vector<std::string> sent;
  for (const ChatLine& line : chatLog_) {
    if (line.screenName == userName_) sent.push_back(line.text);
  }
  return sent;
}

std::string Client::inputText(const std::string& room) const {
  const Room* found = findRoom(room);
  return found == nullptr ? std::string() : windows_.text(found->input);
}

void Client::setRoomCapacity(const std::string& room, int capacity) {
  places_[room].capacity = std::max(0, capacity);
}

void Client::setRoomPeople(const std::string& room, int people) {
  places_[room].people = std::max(0, people);
}

int Client::roomCapacity(const std::string& room) const {
  const auto it = places_.find(room);
  return it == places_.end() ? Places{}.capacity : it->second.capacity;
}

int Client::roomPeople(const std::string& room) const {
  const auto it = places_.find(room);
  return it == places_.end() ? Places{}.people : it->second.people;
}

void Client::signOn(const std::string& name) {
  signedOn_[comparable(name)] = name;
}

void Client::signOff(const std::string& name) {
  signedOn_.erase(comparable(name));
}

bool Client::signedOn(const std::string& name) const {
  const std::string key = comparable(name);
  return !key.empty() && signedOn_.count(key) != 0;
}

std::vector<std::string> Client::signedOnNames() const {
  std::vector<std::string> names;
  for (const auto& entry : signedOn_)
    names.push_back(entry.second);
  return names;
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

void Client::setNextRolls(std::vector<int> values) {
  nextRolls_.assign(values.begin(), values.end());
}

void Client::setTranscriptLimit(std::size_t lines) {
  transcriptLimit_ = std::max<std::size_t>(1, lines);
  for (const Room& room : rooms_)
    windows_.trimLines(room.transcript, transcriptLimit_);
}

const Client::Room* Client::findRoom(const std::string& name) const {
  for (const Room& room : rooms_) {
    if (room.name == name) return &room;
  }
  return nullptr;
}

LParam Client::inputProc(Desktop& windows, Hwnd input, const Message& message) {
  if (message.msg != chatlink::WmChar) return Desktop::defaultProc(windows, input, message);
  if (message.wParam != chatlink::KeyEnter) {
    windows.setText(input, windows.text(input) + static_cast<char>(message.wParam));
    return 0;
  }
  // Enter sends the box's line under the user's name and empties the box; the line reaches the
  // room when the service answers, on a later round.
  std::string line = windows.text(input);
  if (line.empty()) return 0;
  windows.setText(input, "");
  const Hwnd roomWindow = windows.parent(input);
  for (const Room& room : rooms_) {
    if (room.window == roomWindow) {
      windows.post([this, name = room.name, line = std::move(line)] {
        if (findRoom(name) != nullptr) deliver(name, userName_, line);
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
    const std::string codes = keyword.substr(kRoomKeyword.size());
    const std::size_t mark = codes.find(kRoomNameMark);
    if (mark != std::string::npos) enterRoom(codes.substr(mark + kRoomNameMark.size()));
  } else if (startsWith(keyword, kImKeyword)) {
    openIm(keyword.substr(kImKeyword.size()));
  }
}

void Client::enterRoom(const std::string& name) {
  if (name.empty()) return;
  if (findRoom(name) != nullptr) {
    openRoom(name);
    return;
  }
  if (roomPeople(name) >= roomCapacity(name)) {
    showMessageBox("The room \"" + name + "\" is full. Try again in a little while.");
    return;
  }
  openRoom(name);
}

void Client::openIm(const std::string& to) {
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
}

void Client::sendIm(Hwnd window, const std::string& to, const std::string& text) {
  // The service answers the click on a later round.
  windows_.post([this, window, to, text] {
    if (!windows_.exists(window)) return;
    if (!signedOn(to)) {
      showMessageBox(to + " is not signed on right now, so the message cannot be sent.");
      return;
    }
    instantMessages_.push_back(InstantMessage{to, text});
    windows_.destroy(window);
  });
}

LParam Client::boxButtonProc(Desktop& windows, Hwnd button, const Message& message) {
  const bool pressed = (message.msg == chatlink::WmKeyUp && message.wParam == chatlink::KeySpace) ||
                       message.msg == chatlink::WmLButtonUp;
  if (!pressed) return Desktop::defaultProc(windows, button, message);
  windows.post([this, box = windows.parent(button)] { windows_.destroy(box); });
  return 0;
}

void Client::deliver(const std::string& room, const std::string& speaker, std::string text) {
  const Room* found = findRoom(room);
  if (found == nullptr) return;
  // A chat line is one line: breaks inside it show as blanks.
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
  windows_.appendLine(found->transcript, speaker + ":\t" + text);
  windows_.trimLines(found->transcript, transcriptLimit_);
  chatLog_.push_back(ChatLine{room, speaker, text});
  if (isRollRequest(text)) {
    windows_.post([this, room, speaker, text] { answer(room, speaker, text); });
  }
}

void Client::answer(const std::string& room, const std::string& speaker,
                       const std::string& text) {
  const std::string line = rollAnswer(speaker, text, [this](int sides) { return nextRoll(sides); });
  if (!line.empty()) deliver(room, kService, line);
}

int Client::nextRoll(int sides) {
  if (!nextRolls_.empty()) {
    const int value = nextRolls_.front();
    nextRolls_.pop_front();
    return value;
  }
  return std::uniform_int_distribution<int>(1, sides)(random_);
}

}  // namespace kestar::client
