#include "client/irc/Numerics.h"

namespace kestar::client {
namespace {

std::string quoted(const std::string& name) {
  return "\"" + name + "\"";
}

std::string param(const std::vector<std::string>& params, std::size_t at) {
  return at < params.size() ? params[at] : std::string();
}

}  // namespace

JoinRefusal joinRefusal(int code, const std::string& room, const std::string& serverText) {
  const std::string theRoom = "The room " + quoted(room);
  switch (code) {
    case 471:
      return {theRoom + " is full. Try again in a little while.", true};
    case 473:
      return {theRoom + " is invite only: someone in it must invite you.", true};
    case 474:
      return {"You are banned from the room " + quoted(room) + ".", false};
    case 475:
      return {theRoom + " needs a key to enter.", false};
    case 477:
      return {theRoom + " takes only people logged in to a registered nick.", false};
    case 437:
      return {theRoom + " cannot be entered for a while: " + serverText, false};
    case 405:
      return {"You are in as many rooms as the network allows: leave one to enter " + quoted(room) +
                  ".",
              false};
    case 0:
      return {quoted(room) + " is no name a room can have.", false};
    default:
      return {"You cannot enter the room " + quoted(room) + ": " + serverText, false};
  }
}

std::string knockHeld(const std::string& room, int seconds) {
  return "Knocked at the room " + quoted(room) + " often just now: waiting " +
         std::to_string(seconds) + " s before knocking again.";
}

std::string forwarded(const std::string& room, const std::string& to) {
  return "The room " + quoted(room) + " did not let you in: it sends newcomers on to " +
         quoted(to) + ", which Kestar left again. Enter " + quoted(to) + " to stay there.";
}

std::string sendRefusal(int code, const std::string& target, const std::string& serverText,
                        bool toRoom) {
  const std::string notSent = toRoom ? "Your line did not reach the room: "
                                     : "The message to " + target + " cannot be sent: ";
  switch (code) {
    case 401:
      return target + " is not signed on right now, so the message cannot be sent.";
    case 404:
      return toRoom ? notSent + "you may not speak in it now (" + serverText + ")."
                    : notSent + serverText;
    case 707:
      return (toRoom ? std::string("Your line") : "The message to " + target) +
             " was dropped: you wrote to too many people or rooms in a short while. Wait a "
             "little and send it again.";
    case 0:
      return target + " is no name a message can go to.";
    default:
      return notSent + serverText;
  }
}

std::string nickRefusal(int code, const std::string& nick, const std::string& current,
                        const std::string& serverText) {
  const std::string stay = ": you stay " + current + ".";
  switch (code) {
    case 432:
      return "The nick " + quoted(nick) + " is not allowed on this network (" + serverText + ")" +
             stay;
    case 437:
      return "The nick " + quoted(nick) + " is held for a while" + stay;
    default:  // 433, 436
      return "The nick " + quoted(nick) + " is in use" + stay;
  }
}

std::string whoisLine(int code, const std::vector<std::string>& params) {
  const std::string nick = param(params, 0);
  const std::string last = params.empty() ? std::string() : params.back();
  switch (code) {
    case 311:
      return nick + " is " + param(params, 1) + "@" + param(params, 2) + " (" + last + ")";
    case 312:
      return nick + " is on the server " + param(params, 1) + " (" + last + ")";
    case 313:
      return nick + " is an IRC operator";
    case 317:
      return nick + " has been idle " + param(params, 1) + " s";
    case 318:
      return "That is all the server says of " + nick + ".";
    case 319:
      return nick + " is in " + last;
    case 301:
      return nick + " is away: " + last;
    case 330:
      return nick + " is logged in as " + param(params, 1);
    case 671:
      return nick + " is connected with TLS";
    case 320:
    case 338:
    case 378:
      return nick + " " + last;
    default:
      return {};
  }
}

}  // namespace kestar::client
