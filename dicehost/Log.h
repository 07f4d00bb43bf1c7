#pragma once

#include <string_view>

namespace kestar::dicehost {

// One event, one line on standard error (the journal, under systemd), written whole at once.
void logLine(std::string_view line);

}  // namespace kestar::dicehost
