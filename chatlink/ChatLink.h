#pragma once

// The client link: every procedure that touches the chat client's windows or waits for it.

#include <functional>
#include <vector>

#include "chatlink/CodePage.h"
#include "chatlink/Host.h"
#include "chatlink/TextFile.h"
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
// The keyword box: an "Edit" in a "_AOL_Combobox" in a "_AOL_Toolbar" in the "AOL Toolbar".
inline constexpr std::string_view ClassToolbar = "AOL Toolbar";
inline constexpr std::string_view ClassInnerToolbar = "_AOL_Toolbar";
inline constexpr std::string_view ClassComboBox = "_AOL_Combobox";
inline constexpr std::string_view ClassEdit = "Edit";
// The client's message box and its buttons.
inline constexpr std::string_view ClassDialog = "#32770";
inline constexpr std::string_view ClassButton = "Button";
inline constexpr std::string_view ClassLabel = "Static";
inline constexpr std::string_view CaptionMessageBox = "America Online";
inline constexpr std::string_view CaptionOk = "OK";
inline constexpr std::string_view CaptionInstantMessage = "Send Instant Message";
// The keyword that opens an instant-message window for the screen name that follows it.
inline constexpr TextView KeywordInstantMessage = u"aol://9293:";

// The chat room: the first client window, topmost first, with all four kinds of children.
// 0 when none is open.
Hwnd FindChatRoom(const Link& link);
// Every open chat room, topmost first.
std::vector<Hwnd> openChatRooms(const Link& link);
// Types Text into the open room's chat input (its second RICHCNTL) and presses Enter.
void SendChat(const Link& link, TextView text);

// Sends a multi-line text into the room one line at a time: lines of 0 to 3 characters are
// skipped, longer ones cut to 92, each sent line is preceded by prefix (read afresh for every
// line) and followed by a one-second pause; after every fourth line an extra pause of 0 seconds.
// progress, when given, hears of each line as its turn comes, skipped ones too: its number from 1
// and the count of lines.
using ScrollProgress = std::function<void(int line, int count)>;
void ScrollText(const Link& link, Text text, const Text& prefix,
                const ScrollProgress& progress = {});
// Waits the given whole seconds, counted from the current second rounded (halves to even), while
// the program's other events run.
void Pause(Host& host, int seconds);
int LineCount(TextView text);
Text GetLine(TextView text, int n);
Text ReplaceText(TextView text, TextView find, TextView replaceWith);
// Position (from 0) of find in text at or after from, letter case ignored as ReplaceText ignores
// it; npos when there is none.
std::size_t findNoCase(TextView text, TextView find, std::size_t from);

// Types a keyword into the client's keyword box and presses Enter; the client goes there on its
// own time, nothing waits for it.
void SendKeyword(const Link& link, TextView keyword);

// How an instant message ended.
enum class ImOutcome {
  Sent,     // the client sent it and closed its instant-message window
  Refused,  // the client answered with its message box, which was pressed; the window was closed
  GaveUp,   // no client, or it did not get ready or answer in time; nothing more is done
};
// The longest SendIM waits for the instant-message window, and then for the client's answer.
inline constexpr double kImWaitSeconds = 30;
// Opens the client's instant-message window for screenName, fills in message and sends it. The
// message went out once the window has closed, whatever box the client shows beside it. When the
// client refused it, boxText (if given) gets the text of the box it answered with.
ImOutcome SendIM(const Link& link, TextView screenName, TextView message, Text* boxText = nullptr);

// The longest DismissMessageBox keeps pressing a box that does not go away.
inline constexpr double kMessageBoxWaitSeconds = 10;
// Presses the OK button of the client's "America Online" message box, if one is showing now,
// until the box is gone. Does not wait for a box to appear.
void DismissMessageBox(const Link& link);

// The waits of the link: lets the program's events run, sleeping at most a short while between
// rounds, and asks ready after each round. True once ready says so; false when limitSeconds have
// passed on the steady clock or the program has ended. Without ready it waits out the limit.
bool waitFor(Host& host, double limitSeconds, const std::function<bool()>& ready);

// Guarded sends: once the program has ended they send nothing.
LParam sendTo(const Link& link, Hwnd window, Msg msg, WParam wParam, LParam lParam);
LParam sendTextTo(const Link& link, Hwnd window, Msg msg, std::string_view text);
bool postTo(const Link& link, Hwnd window, Msg msg, WParam wParam, LParam lParam);

// The open room's chat input box, 0 when there is none.
Hwnd findChatInput(const Link& link);

}  // namespace kestar::chatlink
