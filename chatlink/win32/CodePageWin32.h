#pragma once

#include <string>
#include <string_view>

#include "chatlink/Types.h"

namespace kestar::chatlink::win32 {

// Conversions in a given Windows code page; toCodePage and fromCodePage use the system's.
std::string encodeIn(unsigned codePage, TextView text);
Text decodeIn(unsigned codePage, std::string_view bytes);

}  // namespace kestar::chatlink::win32
