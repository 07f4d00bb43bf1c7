#pragma once

#include <string>
#include <vector>

// What the own client tells the user of the IRC server's refusals and answers, in the client's
// words, with the server's own where they add something. Names and texts are bytes in the 8-bit
// code page, as the client shows them.
namespace kestar::client {

// A JOIN the server refused: the text of the client's message box, and whether knocking again
// may let the user in (a full room, one that takes only those invited) or not (banned, a key, a
// registered nick, anything else). Code 0: a name no channel can have.
struct JoinRefusal {
  std::string text;
  bool knockAgain = false;

  friend bool operator==(const JoinRefusal&, const JoinRefusal&) = default;
};
JoinRefusal joinRefusal(int code, const std::string& room, const std::string& serverText);

// A knock held back by the join pace, to go for real in about seconds.
std::string knockHeld(const std::string& room, int seconds);

// The server sent the user on from the room to another (470), which Kestar left again.
std::string forwarded(const std::string& room, const std::string& to);

// A message the server did not take: to a room (a notice in it) or to a nick (the client's
// message box). Code 0: a name no message can go to.
std::string sendRefusal(int code, const std::string& target, const std::string& serverText,
                        bool toRoom);

// A nick the user asked for that the server refused; the user keeps `current`.
std::string nickRefusal(int code, const std::string& nick, const std::string& current,
                        const std::string& serverText);

// A line of the server's answer to WHOIS (311 to 319, 301, 330, 338, 378, 671) from its
// parameters after the program's nick; "" for any other code.
std::string whoisLine(int code, const std::vector<std::string>& params);

}  // namespace kestar::client
