#include "chatlink/ChatLink.h"

namespace kestar::chatlink {
namespace {

bool hasChild(WindowApi& api, Hwnd window, std::string_view className) {
  return api.findWindowEx(window, 0, className, AnyName) != 0;
}

bool looksLikeChatRoom(WindowApi& api, Hwnd window) {
  // Every kind is looked up, in this order, even when an earlier one is missing.
  const bool richText = hasChild(api, window, ClassRichText);
  const bool listBox = hasChild(api, window, ClassListBox);
  const bool icon = hasChild(api, window, ClassIcon);
  const bool label = hasChild(api, window, ClassStatic);
  return richText && listBox && icon && label;
}

}  // namespace

LParam sendTo(const Link& link, Hwnd window, Msg msg, WParam wParam, LParam lParam) {
  if (link.host.ended()) return 0;
  return link.api.sendMessage(window, msg, wParam, lParam);
}

LParam sendTextTo(const Link& link, Hwnd window, Msg msg, std::string_view text) {
  if (link.host.ended()) return 0;
  return link.api.sendTextMessage(window, msg, 0, text);
}

bool postTo(const Link& link, Hwnd window, Msg msg, WParam wParam, LParam lParam) {
  if (link.host.ended()) return false;
  return link.api.postMessage(window, msg, wParam, lParam);
}

namespace {

// The client's multi-document area, 0 without a client. A missing frame or area ends the search:
// a look-up under window 0 would search the whole desktop and could take another program's window
// for the client's.
Hwnd findMdi(WindowApi& api) {
  const Hwnd frame = api.findWindow(ClassFrame, AnyName);
  return frame == 0 ? 0 : api.findWindowEx(frame, 0, ClassMdi, AnyName);
}

// The first chat room below after (0: from the top), 0 when there is none.
Hwnd nextChatRoom(WindowApi& api, Hwnd mdi, Hwnd after) {
  Hwnd candidate = api.findWindowEx(mdi, after, ClassChild, AnyName);
  while (candidate != 0) {
    if (looksLikeChatRoom(api, candidate)) return candidate;
    candidate = api.findWindowEx(mdi, candidate, ClassChild, AnyName);
  }
  return 0;
}

}  // namespace

Hwnd FindChatRoom(const Link& link) {
  const Hwnd mdi = findMdi(link.api);
  return mdi == 0 ? 0 : nextChatRoom(link.api, mdi, 0);
}

std::vector<Hwnd> openChatRooms(const Link& link) {
  std::vector<Hwnd> rooms;
  const Hwnd mdi = findMdi(link.api);
  if (mdi == 0) return rooms;
  for (Hwnd room = nextChatRoom(link.api, mdi, 0); room != 0;
       room = nextChatRoom(link.api, mdi, room))
    rooms.push_back(room);
  return rooms;
}

Hwnd findChatInput(const Link& link) {
  const Hwnd room = FindChatRoom(link);
  if (room == 0) return 0;
  const Hwnd transcript = link.api.findWindowEx(room, 0, ClassRichText, AnyName);
  if (transcript == 0) return 0;
  return link.api.findWindowEx(room, transcript, ClassRichText, AnyName);
}

void SendChat(const Link& link, TextView text) {
  const Hwnd input = findChatInput(link);
  if (input == 0) return;
  sendTextTo(link, input, WmSetText, toCodePage(text));
  sendTo(link, input, WmChar, KeyEnter, 0);
}

}  // namespace kestar::chatlink
