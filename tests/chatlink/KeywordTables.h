#pragma once

// The messages SendKeyword, SendIM and DismissMessageBox send, built from the handles of the
// windows they act on. Only the message record is used here, nothing of the own client, so
// that a stand-in of the client's real windows can be checked against the same tables.

#include <string>
#include <vector>

#include "chatlink/Types.h"
#include "client/Desktop.h"

namespace kestar::test::tables {

using chatlink::Hwnd;
using client::Message;

inline Message sent(Hwnd window, chatlink::Msg msg, chatlink::WParam wParam = 0) {
  return Message{window, msg, wParam, 0, {}, false};
}

inline Message posted(Hwnd window, chatlink::Msg msg, chatlink::WParam wParam = 0) {
  return Message{window, msg, wParam, 0, {}, true};
}

inline Message textSet(Hwnd window, const std::string& bytes) {
  return Message{window, chatlink::WmSetText, 0, 0, bytes, false};
}

inline std::vector<Message> operator+(std::vector<Message> first,
                                      const std::vector<Message>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

// SendKeyword: the keyword, a blank, Enter.
inline std::vector<Message> keywordTyped(Hwnd keywordBox, const std::string& keyword) {
  return {textSet(keywordBox, keyword), sent(keywordBox, chatlink::WmChar, chatlink::KeySpace),
          sent(keywordBox, chatlink::WmChar, chatlink::KeyEnter)};
}

// SendIM once the window is ready: the message into its text box, a click on its send button.
inline std::vector<Message> imFilledAndClicked(Hwnd textBox, Hwnd sendButton,
                                               const std::string& message) {
  return {textSet(textBox, message), sent(sendButton, chatlink::WmLButtonDown),
          sent(sendButton, chatlink::WmLButtonUp)};
}

// SendIM when the client answers with its message box: the box's first button pressed with the
// space key and the instant-message window closed, all posted.
inline std::vector<Message> boxAnsweredAndImClosed(Hwnd firstButton, Hwnd imWindow) {
  return {posted(firstButton, chatlink::WmKeyDown, chatlink::KeySpace),
          posted(firstButton, chatlink::WmKeyUp, chatlink::KeySpace),
          posted(imWindow, chatlink::WmClose)};
}

// DismissMessageBox: one round of presses on the OK button, the space key down and up twice.
inline std::vector<Message> okPressedTwice(Hwnd okButton) {
  const Message down = sent(okButton, chatlink::WmKeyDown, chatlink::KeySpace);
  const Message up = sent(okButton, chatlink::WmKeyUp, chatlink::KeySpace);
  return {down, up, down, up};
}

}  // namespace kestar::test::tables
