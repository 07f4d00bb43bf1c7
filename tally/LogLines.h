#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string_view>

#include "chatlink/Types.h"

namespace kestar::tally {

// Longer than any chat line a room shows: a line beyond it cannot have come from the logger, so
// it is not kept, however long it runs.
inline constexpr std::size_t kLongestLine = 64 * 1024;

// One line of a log, without its line end (CR LF, or LF alone). An overlong line comes without its
// text.
using LineHandler = std::function<void(std::string_view line, bool overlong)>;

// Reads a stream to its end in pieces and hands over its lines in order; a last line without a
// line end is a line too. Memory stays the same however long the log. Returns 0, or the error
// number of a failed read.
int readLines(std::FILE* in, const LineHandler& handler);

// Whether a screen name, in the log's bytes, is the dice counter's service.
bool isTheService(std::string_view screenName);
// Text from the log's bytes into text, which keeps its room from line to line.
void readText(std::string_view bytes, Text& text);

}  // namespace kestar::tally
