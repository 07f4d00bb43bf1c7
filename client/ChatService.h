#pragma once

#include <functional>
#include <string>
#include <vector>

#include "client/Commands.h"

// The seam between Kestar's own client (its windows and how they behave) and the chat service
// behind it (who is in a room, who is signed on, what a room holds, rolls, delivery). The client
// calls the service; the service tells the client what happened through a ServiceListener. Text
// crosses in both directions as bytes in the 8-bit code page, as the client's windows hold it.
namespace kestar::client {

// Someone in a room as its people list shows them. rank orders the list, highest first (0: none);
// mark stands before the name ("@" a channel operator, "+" a voiced person, "" none).
struct Person {
  std::string name;
  std::string mark;
  int rank = 0;

  friend bool operator==(const Person&, const Person&) = default;
};

// What a service tells the client. The client may call the service again from inside any of these.
class ServiceListener {
 public:
  virtual ~ServiceListener() = default;

  // The user is in the room now (the room's window opens), or was turned away with a text for the
  // client's message box.
  virtual void roomEntered(const std::string& room) = 0;
  virtual void joinRefused(const std::string& room, const std::string& text) = 0;
  // Turned away for good: knocking again will not let the user in (banned, a key, a registered
  // nick, sent on to another room...). The text goes to the client's message box.
  virtual void joinBarred(const std::string& room, const std::string& text) = 0;
  // The service put the user out of a room.
  virtual void roomLeft(const std::string& room) = 0;
  // A chat line said in a room, the user's own included; shown as "speaker:" TAB "text".
  virtual void chatLine(const std::string& room, const std::string& speaker,
                        const std::string& text) = 0;
  // The user's lines said in the room that have not reached it yet, in order (none when all
  // have): the client marks them as waiting, apart from the transcript.
  virtual void linesWaiting(const std::string& room, const std::vector<std::string>& lines) = 0;
  // Someone came, went, or set the topic: shown in the room's transcript, never as a chat line.
  virtual void roomNotice(const std::string& room, const std::string& text) = 0;
  // The room's topic as it stands now ("" for none), shown above its transcript.
  virtual void topicChanged(const std::string& room, const std::string& topic) = 0;
  // Everyone in the room, the user included, in any order.
  virtual void peopleChanged(const std::string& room, const std::vector<Person>& people) = 0;
  // The outcome of sendInstantMessage with the same ticket; a refusal's text goes to the client's
  // message box.
  virtual void instantMessageDelivered(int ticket) = 0;
  virtual void instantMessageRefused(int ticket, const std::string& text) = 0;
  virtual void instantMessageReceived(const std::string& from, const std::string& text) = 0;
  // How the service stands (signed on, connecting, offline...), for the client's window.
  virtual void stateChanged(const std::string& state) = 0;
};

// Work for a later round of the client's pending events.
using Later = std::function<void(std::function<void()> work)>;

// A chat service. The client never calls it from inside a window message: what the user does in
// a window reaches the service on a later round, as a program of its own would see it. A service
// may answer inside a call or on a later round of its own (network input, or `later`).
class ChatService {
 public:
  virtual ~ChatService() = default;

  // The client that hears from the service from now on, and its later rounds.
  virtual void attach(ServiceListener& listener, Later later) = 0;
  // The user's screen name, and whether the user is signed on under it now.
  virtual std::string userName() const = 0;
  virtual bool signedOn() const = 0;

  virtual void joinRoom(const std::string& room) = 0;
  virtual void leaveRoom(const std::string& room) = 0;
  virtual void say(const std::string& room, const std::string& text) = 0;
  virtual void sendInstantMessage(int ticket, const std::string& to, const std::string& text) = 0;
  // A command the user typed in a room's say box (any but Say, Msg, Usage and Unknown, which the
  // client handles itself). The room may be one the user is no longer in. What a service cannot
  // do it says in the room.
  virtual void command(const std::string& room, const Command& command) = 0;
};

}  // namespace kestar::client
