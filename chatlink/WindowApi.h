#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "chatlink/Types.h"

namespace kestar::chatlink {

// A class name or caption to match; nullopt matches any.
using Match = std::optional<std::string_view>;
inline constexpr Match AnyName = std::nullopt;

// The handful of window functions the program uses on the chat client's windows. Text crosses
// this seam as 8-bit bytes in the system code page, as it does for the A-functions of the system.
class WindowApi {
 public:
  virtual ~WindowApi() = default;

  // A top-level window by class and caption.
  virtual Hwnd findWindow(Match className, Match caption) = 0;
  // The first child of parent after childAfter (0: from the first) by class and caption, in the
  // system's sibling order, topmost first.
  virtual Hwnd findWindowEx(Hwnd parent, Hwnd childAfter, Match className, Match caption) = 0;

  // Synchronous message with number arguments.
  virtual LParam sendMessage(Hwnd window, Msg msg, WParam wParam, LParam lParam) = 0;
  // Synchronous message whose lParam is a text (WM_SETTEXT).
  virtual LParam sendTextMessage(Hwnd window, Msg msg, WParam wParam, std::string_view text) = 0;
  // Queued message; the window handles it on a later round of its owner's events.
  virtual bool postMessage(Hwnd window, Msg msg, WParam wParam, LParam lParam) = 0;

  // WM_GETTEXT: the window's whole text.
  virtual std::string windowText(Hwnd window) = 0;
  // WM_GETTEXTLENGTH: the length of that text, without reading it.
  virtual int textLength(Hwnd window) = 0;
  // EM_GETLINECOUNT and EM_GETLINE: a text box's lines as it shows them, counted from 0, without
  // line breaks. A box that wraps its words shows one long line of its text as several.
  virtual int lineCount(Hwnd window) = 0;
  virtual std::string lineText(Hwnd window, int index) = 0;
};

}  // namespace kestar::chatlink
