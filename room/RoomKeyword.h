#pragma once

#include "chatlink/Types.h"

namespace kestar::room {

// Locations of the Room window's list, by list position.
inline constexpr int kFeatured = 0;
inline constexpr int kMember = 1;
inline constexpr int kPrivate = 2;

// The keyword link that enters a chat room: "aol://2719:", the location's code and the
// category's number (position + 1, 0 when none is chosen) or "2-" for a private room, "-2-" and
// the room's name as typed. A location of −1 (none chosen) has no code; a private room ignores
// the category.
Text roomKeyword(int location, int category, TextView roomName);

}  // namespace kestar::room
