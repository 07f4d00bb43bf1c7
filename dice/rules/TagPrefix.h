#pragma once

#include "chatlink/Types.h"

namespace kestar::rolls {

// The markup in front of a formatted line, from the three formatting boxes: a blank, which bold
// replaces by "<b>"; then "<i>" and "<u>" for italic and underline. No tag is ever closed.
Text tagPrefix(bool bold, bool italic, bool underline);

}  // namespace kestar::rolls
