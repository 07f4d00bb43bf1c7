#include "simclient/SimClient.h"

#include <algorithm>
#include <charconv>

namespace kestar::sim {
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

SimClient::SimClient(SimWindows& windows, std::string userName, std::uint32_t seed)
    : windows_(windows), userName_(std::move(userName)), random_(seed) {
  frame_ = windows_.create(0, "AOL Frame25", "America  Online");
  mdi_ = windows_.create(frame_, "MDIClient", "");
}

Hwnd SimClient::openRoom(const std::string& name) {
  if (const Room* open = findRoom(name)) {
    windows_.raise(open->window);
    return open->window;
  }
  Room room;
  room.name = name;
  room.window = windows_.create(mdi_, "AOL Child", name,
                                [this, name](SimWindows& windows, Hwnd window, const Message& m) {
                                  if (m.msg != chatlink::WmClose)
                                    return SimWindows::defaultProc(windows, window, m);
                                  closeRoom(name);
                                  return LParam{0};
                                });
  room.transcript = windows_.create(room.window, "RICHCNTL", "");
  room.input = windows_.create(room.window, "RICHCNTL", "",
                               [this](SimWindows& windows, Hwnd input, const Message& message) {
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

void SimClient::closeRoom(const std::string& name) {
  const auto it = std::find_if(rooms_.begin(), rooms_.end(),
                               [&](const Room& room) { return room.name == name; });
  if (it == rooms_.end()) return;
  const Hwnd window = it->window;
  rooms_.erase(it);
  windows_.destroy(window);
}

Hwnd SimClient::room(const std::string& name) const {
  const Room* found = findRoom(name);
  return found == nullptr ? 0 : found->window;
}

std::vector<std::string> SimClient::roomNames() const {
  std::vector<std::string> names;
  for (const Hwnd child : windows_.children(mdi_)) {
    for (const Room& room : rooms_) {
      if (room.window == child) names.push_back(room.name);
    }
  }
  return names;
}

Hwnd SimClient::openWindow(const std::string& caption, int richTextBoxes, bool listBox, bool icon,
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

void SimClient::raise(Hwnd window) {
  windows_.raise(window);
}

void SimClient::say(const std::string& room, const std::string& speaker, const std::string& text) {
  if (findRoom(room) == nullptr) return;
  deliver(room, speaker, text);
}

std::vector<std::string> SimClient::transcript(const std::string& room) const {
  const Room* found = findRoom(room);
  if (found == nullptr) return {};
  const auto& lines = windows_.lines(found->transcript);
  return {lines.begin(), lines.end()};
}

std::vector<std::string> SimClient::sentByUser() const {
  std::vector<std::string> sent;
  for (const ChatLine& line : chatLog_) {
    if (line.screenName == userName_) sent.push_back(line.text);
  }
  return sent;
}

std::string SimClient::inputText(const std::string& room) const {
  const Room* found = findRoom(room);
  return found == nullptr ? std::string() : windows_.text(found->input);
}

void SimClient::setNextRolls(std::vector<int> values) {
  nextRolls_.assign(values.begin(), values.end());
}

void SimClient::setTranscriptLimit(std::size_t lines) {
  transcriptLimit_ = std::max<std::size_t>(1, lines);
  for (const Room& room : rooms_)
    windows_.trimLines(room.transcript, transcriptLimit_);
}

const SimClient::Room* SimClient::findRoom(const std::string& name) const {
  for (const Room& room : rooms_) {
    if (room.name == name) return &room;
  }
  return nullptr;
}

LParam SimClient::inputProc(SimWindows& windows, Hwnd input, const Message& message) {
  if (message.msg != chatlink::WmChar) return SimWindows::defaultProc(windows, input, message);
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

void SimClient::deliver(const std::string& room, const std::string& speaker, std::string text) {
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

void SimClient::answer(const std::string& room, const std::string& speaker,
                       const std::string& text) {
  const std::string line = rollAnswer(speaker, text, [this](int sides) { return nextRoll(sides); });
  if (!line.empty()) deliver(room, kService, line);
}

int SimClient::nextRoll(int sides) {
  if (!nextRolls_.empty()) {
    const int value = nextRolls_.front();
    nextRolls_.pop_front();
    return value;
  }
  return std::uniform_int_distribution<int>(1, sides)(random_);
}

}  // namespace kestar::sim
