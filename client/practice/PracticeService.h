#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "client/ChatService.h"

namespace kestar::client {

// An instant message the service delivered.
struct DeliveredMessage {
  std::string to;
  std::string text;

  friend bool operator==(const DeliveredMessage&, const DeliveredMessage&) = default;
};

// The built-in chat service for practice, offline: rooms with places, a few people signed on, and
// "OnlineHost" rolling dice in the service's own line format. Everyone but the user is played
// through the controls below, by a test or by a person at the client's window.
class PracticeService final : public ChatService {
 public:
  explicit PracticeService(std::string userName = "SparKing", std::uint32_t seed = 20261207);

  // ChatService. The service answers a join, a line and an instant message at once; a roll
  // request is answered on the client's next round.
  void attach(ServiceListener& listener, Later later) override;
  std::string userName() const override { return userName_; }
  bool signedOn() const override { return true; }
  void joinRoom(const std::string& room) override;
  void leaveRoom(const std::string& room) override;
  void say(const std::string& room, const std::string& text) override;
  void sendInstantMessage(int ticket, const std::string& to, const std::string& text) override;
  // What makes sense offline: /me shows the action, /join enters, /topic sets or tells the topic,
  // /whois tells whether a name is signed on. The others are not on the practice service.
  void command(const std::string& room, const Command& command) override;

  // Someone in the room says a line, which appears at once; a line that asks the service for a
  // roll is answered on a later round.
  void sayAs(const std::string& room, const std::string& speaker, const std::string& text);
  // Someone sets the room's topic. The practice rooms have none at first, and no one in them has
  // a rank.
  void setTopic(const std::string& room, const std::string& topic);

  // Places in the rooms the user asks to enter. A room holds its capacity (23 unless set); people
  // are those in it besides the user. A room with no place left turns the user away. Either may
  // change at any time, also while the user keeps knocking.
  void setRoomCapacity(const std::string& room, int capacity);
  void setRoomPeople(const std::string& room, int people);
  int roomCapacity(const std::string& room) const;
  int roomPeople(const std::string& room) const;

  // Screen names that can receive instant messages, compared without letter case and blanks.
  // "Bob", "Ann" and "Cy" are signed on at first.
  void signOn(const std::string& name);
  void signOff(const std::string& name);
  bool signedOn(const std::string& name) const;
  std::vector<std::string> signedOnNames() const;
  // The messages delivered, in order; one to a name not signed on is refused.
  const std::vector<DeliveredMessage>& instantMessages() const { return instantMessages_; }

  // Values the next rolls take, before the random ones.
  void setNextRolls(std::vector<int> values);

 private:
  struct Places {
    int capacity = 23;
    int people = 0;
  };

  int nextRoll(int sides);

  ServiceListener* listener_ = nullptr;
  Later later_;
  std::string userName_;
  std::deque<int> nextRolls_;
  std::mt19937 random_;
  std::map<std::string, Places> places_;
  std::map<std::string, std::string> topics_;
  std::map<std::string, std::string> signedOn_;  // the names as written, by the name as compared
  std::vector<DeliveredMessage> instantMessages_;
};

}  // namespace kestar::client
