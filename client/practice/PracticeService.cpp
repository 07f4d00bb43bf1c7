#include "client/practice/PracticeService.h"

#include <algorithm>
#include <cctype>

#include "rollservice/RollAnswer.h"

namespace kestar::client {
namespace {

constexpr const char* kService = "OnlineHost";

// A screen name as the service compares it: without blanks, letter case ignored.
std::string comparable(const std::string& name) {
  std::string key;
  for (const char c : name) {
    if (c != ' ') key.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  }
  return key;
}

}  // namespace

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
  if (!rollservice::isRollRequest(text)) return;
  later_([this, room, speaker, text] {
    const std::string answer =
        rollservice::rollAnswer(speaker, text, [this](int sides) { return nextRoll(sides); });
    listener_->chatLine(room, kService, answer);
  });
}

void PracticeService::setTopic(const std::string& room, const std::string& topic) {
  topics_[room] = topic;
  if (listener_ != nullptr) listener_->topicChanged(room, topic);
}

void PracticeService::command(const std::string& room, const Command& command) {
  if (listener_ == nullptr) return;
  switch (command.kind) {
    case CommandKind::Me:
      listener_->roomNotice(room, "* " + userName_ + " " + command.text);
      return;
    case CommandKind::Join:
      joinRoom(command.target);
      return;
    case CommandKind::Part:
      leaveRoom(room);
      return;
    case CommandKind::Topic:
      if (!command.text.empty()) {
        listener_->roomNotice(room, userName_ + " set the topic: " + command.text);
        setTopic(room, command.text);
      } else if (const auto it = topics_.find(room); it != topics_.end() && !it->second.empty()) {
        listener_->roomNotice(room, "The topic is: " + it->second);
      } else {
        listener_->roomNotice(room, "The room has no topic.");
      }
      return;
    case CommandKind::Whois:
      listener_->roomNotice(
          room, command.target +
                    (signedOn(command.target) ? " is signed on." : " is not signed on right now."));
      return;
    default:
      listener_->roomNotice(room, "/" + command.name + " is not on the practice service.");
      return;
  }
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
