#pragma once

// The client link: every procedure that touches the chat client's windows or waits for it.

#include "chatlink/CodePage.h"
#include "chatlink/Host.h"
#include "chatlink/Types.h"
#include "chatlink/WindowApi.h"

namespace kestar::chatlink {

// The two seams every procedure works through: the client's windows and the program's events.
struct Link {
  WindowApi& api;
  Host& host;
};

// Class names of the chat client's windows.
inline constexpr std::string_view ClassFrame = "AOL Frame25";
inline constexpr std::string_view ClassMdi = "MDIClient";
inline constexpr std::string_view ClassChild = "AOL Child";
inline constexpr std::string_view ClassRichText = "RICHCNTL";
inline constexpr std::string_view ClassListBox = "_AOL_Listbox";
inline constexpr std::string_view ClassIcon = "_AOL_Icon";
inline constexpr std::string_view ClassStatic = "_AOL_Static";

// The chat room: the first client window, topmost first, with all four kinds of children.
// 0 when none is open.
Hwnd FindChatRoom(const Link& link);
// Types Text into the open room's chat input (its second RICHCNTL) and presses Enter.
void SendChat(const Link& link, TextView text);

// Sends a multi-line text into the room one line at a time: lines of 0 to 3 characters are
// skipped, longer ones cut to 92, each sent line is preceded by prefix (read afresh for every
// line) and followed by a one-second pause; after every fourth line an extra pause of 0 seconds.
void ScrollText(const Link& link, Text text, const Text& prefix);
// Waits the given whole seconds, counted from the current second rounded (halves to even), while
// the program's other events run.
void Pause(Host& host, int seconds);
int LineCount(TextView text);
Text GetLine(TextView text, int n);
Text ReplaceText(TextView text, TextView find, TextView replaceWith);
// Position (from 0) of find in text at or after from, letter case ignored as ReplaceText ignores
// it; npos when there is none.
std::size_t findNoCase(TextView text, TextView find, std::size_t from);

// Guarded sends: once the program has ended they send nothing.
LParam sendTo(const Link& link, Hwnd window, Msg msg, WParam wParam, LParam lParam);
LParam sendTextTo(const Link& link, Hwnd window, Msg msg, std::string_view text);
bool postTo(const Link& link, Hwnd window, Msg msg, WParam wParam, LParam lParam);

// The open room's chat input box, 0 when there is none.
Hwnd findChatInput(const Link& link);

}  // namespace kestar::chatlink
