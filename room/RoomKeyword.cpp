#include "room/RoomKeyword.h"

#include <string>

namespace kestar::room {

Text roomKeyword(int location, int category, TextView roomName) {
  Text keyword = u"aol://2719:";
  if (location == kPrivate) {
    keyword += u"2-2-";
  } else {
    if (location == kFeatured) keyword += u"2";
    if (location == kMember) keyword += u"6";
    for (const char digit : std::to_string(category + 1))
      keyword += static_cast<char16_t>(digit);
    keyword += u"-2-";
  }
  return keyword + Text(roomName);
}

}  // namespace kestar::room
