#include "client/practice/PracticeService.h"

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

// A screen name as the service compares it: without blanks, letter case ignored.
std::string comparable(const std::string& name) {
  std::string key;
  for (const char c : name) {
    if (c != ' ') key.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return key;
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

PracticeService::PracticeService(std::string userName, std::uint32_t seed)
    : userName_(std::move(userName)), random_(seed) {
  for (const char* name : {"Bob", "Ann", "Cy"})
    signOn(name);
}

void PracticeService::attach(ServiceListener& listener, Later later) {
  listener_ = &listener;
  later_ = std::move(later);
  listener_->stateChanged("Practice service, offline: signed on as " + userName_);
}

void PracticeService::joinRoom(const std::string& room) {
  if (listener_ == nullptr) return;
  if (roomPeople(room) >= roomCapacity(room)) {
    listener_->joinRefused(room, "The room \"" + room + "\" is full. Try again in a little while.");
    return;
  }
  listener_->roomEntered(room);
}

// The practice service keeps no one's place: the numbers of people are set by hand.
void PracticeService::leaveRoom(const std::string&) {}

void PracticeService::say(const std::string& room, const std::string& text) {
  sayAs(room, userName_, text);
}

void PracticeService::sayAs(const std::string& room, const std::string& speaker,
                            const std::string& text) {
  if (listener_ == nullptr) return;
  listener_->chatLine(room, speaker, text);
  if (!isRollRequest(text)) return;
  later_([this, room, speaker, text] {
    const std::string answer =
        rollAnswer(speaker, text, [this](int sides) { return nextRoll(sides); });
    listener_->chatLine(room, kService, answer);
  });
}

void PracticeService::sendInstantMessage(int ticket, const std::string& to,
                                         const std::string& text) {
  if (listener_ == nullptr) return;
  if (!signedOn(to)) {
    listener_->instantMessageRefused(
        ticket, to + " is not signed on right now, so the message cannot be sent.");
    return;
  }
  instantMessages_.push_back(DeliveredMessage{to, text});
  listener_->instantMessageDelivered(ticket);
}

void PracticeService::setRoomCapacity(const std::string& room, int capacity) {
  places_[room].capacity = std::max(0, capacity);
}

void PracticeService::setRoomPeople(const std::string& room, int people) {
  places_[room].people = std::max(0, people);
}

int PracticeService::roomCapacity(const std::string& room) const {
  const auto it = places_.find(room);
  return it == places_.end() ? Places{}.capacity : it->second.capacity;
}

int PracticeService::roomPeople(const std::string& room) const {
  const auto it = places_.find(room);
  return it == places_.end() ? Places{}.people : it->second.people;
}

void PracticeService::signOn(const std::string& name) {
  signedOn_[comparable(name)] = name;
}

void PracticeService::signOff(const std::string& name) {
  signedOn_.erase(comparable(name));
}

bool PracticeService::signedOn(const std::string& name) const {
  const std::string key = comparable(name);
  return !key.empty() && signedOn_.count(key) != 0;
}

std::vector<std::string> PracticeService::signedOnNames() const {
  std::vector<std::string> names;
  for (const auto& entry : signedOn_)
    names.push_back(entry.second);
  return names;
}

void PracticeService::setNextRolls(std::vector<int> values) {
  nextRolls_.assign(values.begin(), values.end());
}

int PracticeService::nextRoll(int sides) {
  if (!nextRolls_.empty()) {
    const int value = nextRolls_.front();
    nextRolls_.pop_front();
    return value;
  }
  return std::uniform_int_distribution<int>(1, sides)(random_);
}

}  // namespace kestar::client
