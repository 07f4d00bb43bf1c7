#pragma once

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "chatlink/Types.h"

namespace kestar::rolls {

// The chat service's screen name: only its lines are roll lines.
inline constexpr TextView kService = u"OnlineHost";
// A die showing this value makes the counter post the snag line.
inline constexpr double kSnagValue = 69;
inline constexpr TextView kSnagText = u"::snags the 69, hides it::";
inline constexpr TextView kTotalOfRollBy = u"-Total of Roll by ";

// Why a chat line brought no total. The first two mean it is no roll line at all; the others
// that it looked like one but cannot be totalled, so nothing is said for it.
enum class Skip {
  NotTheService,      // said by anyone but "OnlineHost", letter case counting
  NoNumberAtTheEnd,   // its last three characters read as 0
  NoRolled,           // no "rolled" in it
  RolledAtTheStart,   // "rolled" first: no room for a name and its blank before it
  NoBlankAfterCount,  // the dice count runs to the end of the line
  NotOneToFourDice,   // a dice count other than 1, 2, 3 or 4
  MissingValue,       // fewer blanks than the dice named need between their values
  ScoreTooLarge,      // a die whose score does not fit 16 bits
};
const char* skipName(Skip skip);

// Who rolled and how many dice, cut out of a roll line by position.
struct Roller {
  int RolledPos = 0;  // where "rolled" begins, counted from 1
  Text RollerName;
  Text DiceCount;  // as written in the line
};

// What a chat line comes to on the counter's road.
struct RollOutcome {
  // Set once the line got as far as naming roller and dice count, also when it is skipped
  // afterwards: the counter shows them.
  std::optional<Roller> roller;
  std::vector<double> values;
  std::vector<std::int16_t> scores;
  std::int32_t total = 0;
  Text totalText;
  // Said in this order: one snag line for every die showing 69 (through the room's chat input),
  // then the announcement (through the scanner). Both stay empty for a skipped line.
  std::vector<Text> snagLines;
  Text announcement;
  std::optional<Skip> skipped;

  bool counted() const { return !skipped.has_value(); }
};

// The whole road of one chat line: the filter, roller and dice count, the die values, the scores,
// the total and the lines to say, each with tagPrefix in front.
RollOutcome countRoll(TextView screenName, TextView whatSaid, TextView tagPrefix);
// The same into the outcome of an earlier line, whose room it reuses: for a whole log of lines.
void countRoll(TextView screenName, TextView whatSaid, TextView tagPrefix, RollOutcome& outcome);

// The filter: the service said it and its last three characters read as a number other than 0.
bool isRollLine(TextView screenName, TextView whatSaid);
// Roller and dice count of a line, or why they cannot be cut out of it.
std::variant<Roller, Skip> change(TextView line);
// The number of dice a dice count names, when it is 1 to 4; 0 for any other.
int sides1(TextView diceCount);
// The number of sides of the dice a line names right after its dice count and blank, as in
// "rolled 2 100-sided dice": the digits before "-sided". The counter does not read it; the
// tally's fairness test does. 0 when the line names none there.
int dieSides(TextView line, const Roller& roller);
// The die values of a line with that many dice, cut after its first colon from position 14 (20 for
// four dice); nothing when the blanks between the values are missing.
std::optional<std::vector<double>> OneDice(TextView line);
std::optional<std::vector<double>> TwoDice(TextView line);
std::optional<std::vector<double>> ThreeDice(TextView line);
std::optional<std::vector<double>> FourDice(TextView line);
std::optional<std::vector<double>> dieValues(TextView line, int dice);

// The score of one die: (value - 10) rounded, integer-divided by 5; above 90 every point counts
// one, from 16 at 90; never below 0. Nothing when the score does not fit 16 bits.
std::optional<std::int16_t> Dice1(double value);
// The line said when a die shows 69.
Text snagLine(TextView tagPrefix);

// A player's initiative roll as the Init window takes it from a line of the service: the name is
// everything before the blank that precedes "rolled", the value what the line's last three
// characters read. Nothing for a line of anyone else, without "rolled" or with it first, or whose
// last three characters read 0.
struct InitiativeRoll {
  Text name;
  double value = 0;
};
std::optional<InitiativeRoll> initiativeRoll(TextView screenName, TextView whatSaid);

}  // namespace kestar::rolls
