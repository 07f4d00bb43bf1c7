#pragma once

#include <string>
#include <string_view>

#include "chatlink/Types.h"

namespace kestar::chatlink {

// The system's 8-bit code page: the one text crosses to the client's windows and to files in.
// On Windows it is the system's; elsewhere Windows-1252. Characters the code page cannot hold
// become "?".
std::string toCodePage(TextView text);
Text fromCodePage(std::string_view bytes);

}  // namespace kestar::chatlink
