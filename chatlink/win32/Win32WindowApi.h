#pragma once

#include "chatlink/WindowApi.h"

namespace kestar::chatlink::win32 {

// The chat client's windows through user32's A-functions. Messages that carry text (WM_SETTEXT,
// WM_GETTEXT, EM_GETLINE) are ones the system carries across processes.
class Win32WindowApi final : public WindowApi {
 public:
  Hwnd findWindow(Match className, Match caption) override;
  Hwnd findWindowEx(Hwnd parent, Hwnd childAfter, Match className, Match caption) override;
  LParam sendMessage(Hwnd window, Msg msg, WParam wParam, LParam lParam) override;
  LParam sendTextMessage(Hwnd window, Msg msg, WParam wParam, std::string_view text) override;
  bool postMessage(Hwnd window, Msg msg, WParam wParam, LParam lParam) override;
  std::string windowText(Hwnd window) override;
  int textLength(Hwnd window) override;
  int lineCount(Hwnd window) override;
  std::string lineText(Hwnd window, int index) override;
};

}  // namespace kestar::chatlink::win32
