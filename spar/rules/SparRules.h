#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "chatlink/Types.h"

namespace kestar::spar {

// Row indexes are 16-bit: the Init window holds at most this many players.
inline constexpr std::size_t kMostRows = 32767;
// A row's class answer before the player gives one, and the mark of a row whose answer is taken.
inline constexpr TextView kNoAnswer = u" ";
inline constexpr TextView kAnswered = u"Y";

// A player's row as an initiative roll adds it: the name and the value as number text.
struct NewRow {
  Text name;
  Text initiative;
};

// The row a chat line adds while initiative rolls are taken: the service's roll of a player not
// listed yet (names compare exactly, letter case counting), so only a first roll counts. Nothing
// for any other line, or when the rows are full.
std::optional<NewRow> rollRow(TextView screenName, TextView whatSaid, std::span<const Text> names);

// The rows a class answer fills: each row of the speaker (exact name) whose answer is not taken
// yet, when the answer begins with a number other than 0. The row's answer becomes the whole line.
std::vector<std::size_t> answerRows(TextView screenName, TextView whatSaid,
                                    std::span<const Text> names, std::span<const Text> marks);

// The order of the rows by initiative value, highest first; rows of equal value keep their order,
// as a bubble sort that exchanges only a strictly greater value leaves them. Entry k is the row
// that goes to place k.
std::vector<std::size_t> initiativeOrder(std::span<const Text> initiatives);

// The player list the counter scrolls into the room: for each row its name, "-0/", its class
// answer and two blanks, all on one line.
Text playerList(std::span<const Text> names, std::span<const Text> answers);

// The number text a list shows for what the user typed (0 for a text without a number); nothing
// for a number beyond the range of a double, which the list could not read back.
std::optional<Text> listNumber(TextView typed);

// What a spar is worth in experience points: (people - 1) x 5 x highest dice, from what the two
// boxes read. Nothing when that lies beyond the range of a double (an infinity, or none at all).
std::optional<double> sparWorth(TextView people, TextView highestDice);
// The line that announces it, with the worth as the box shows it.
Text sparWorthLine(TextView worth);

}  // namespace kestar::spar
