#pragma once

#include "chatlink/Types.h"

namespace kestar::rolls {

// The number a text begins with. Blanks (space, tab, line feed) are passed over wherever they
// stand, also between digits, so " 57" reads 57 and "3 5" reads 35. Then a sign, digits, a point
// with digits and an exponent (E or D, a sign, digits) are read up to the first other character.
// A text that does not begin with a number reads 0; a number beyond the range of a double reads
// as an infinity of its sign.
double leadingNumber(TextView text);

// The number in decimal with at most 15 significant digits, as the windows show it: no leading
// blank, no trailing point, a minus sign when negative ("28.5", "-3", "1E+15", "1E-05").
Text numberText(double value);

// A whole number in decimal digits.
Text decimalText(long long value);

}  // namespace kestar::rolls
