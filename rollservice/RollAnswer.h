#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kestar::rollservice {

// The rules of the room's roll service, for whichever service serves the room's rolls.

// The answer of the chat service to a line, or nothing when the line asks nothing of it.
// "//roll" rolls 2 six-sided dice; "//roll-diceN-sidesS" rolls N dice (1 to 15) of S sides
// (2 to 999). Values come from next().
std::string rollAnswer(const std::string& speaker, const std::string& line,
                       const std::function<int(int sides)>& next);

// A line asks for a roll when it starts with "//roll"; a service that rolls answers it.
bool isRollRequest(std::string_view line);

// The dice a valid roll request asks for; nothing for any other line.
struct Roll {
  int dice = 0;
  int sides = 0;
};
std::optional<Roll> parseRollRequest(std::string_view line);

}  // namespace kestar::rollservice
