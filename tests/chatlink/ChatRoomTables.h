#pragma once

#include <string>
#include <vector>

#include "chatlink/Types.h"
#include "client/Desktop.h"

// The messages the chat client's windows receive from the link's procedures, as tables built
// from the windows' handles: the same tables check the own client and the real windows.
namespace kestar::test::tables {

using chatlink::Hwnd;
using client::Message;

// Client windows that lack one kind of a chat room's children: FindChatRoom passes them over.
struct NotARoom {
  const char* name;
  int richText;
  bool listBox, icon, label;
};
inline constexpr NotARoom kNotARoom[] = {{"no RICHCNTL", 0, true, true, true},
                                         {"no _AOL_Listbox", 2, false, true, true},
                                         {"no _AOL_Icon", 2, true, false, true},
                                         {"no _AOL_Static", 2, true, true, false}};

// SendChat: the text set into the room's input box, then Enter.
inline std::vector<Message> typedLine(Hwnd input, const std::string& bytes) {
  return {{input, chatlink::WmSetText, 0, 0, bytes, false},
          {input, chatlink::WmChar, chatlink::KeyEnter, 0, {}, false}};
}

// Several lines typed one after another.
inline std::vector<Message> typedLines(Hwnd input, const std::vector<std::string>& lines) {
  std::vector<Message> messages;
  for (const auto& line : lines) {
    const auto typed = typedLine(input, line);
    messages.insert(messages.end(), typed.begin(), typed.end());
  }
  return messages;
}

// SendLine: what the user had typed is read, the line typed and sent; a draft is put back once the
// box is seen empty, which a client that takes its box at once makes it right away.
inline std::vector<Message> sentLine(Hwnd input, const std::string& draft,
                                     const std::string& bytes) {
  std::vector<Message> messages = {{input, chatlink::WmGetText, 0, 0, draft, false}};
  const auto typed = typedLine(input, bytes);
  messages.insert(messages.end(), typed.begin(), typed.end());
  if (!draft.empty()) {
    messages.push_back({input, chatlink::WmGetText, 0, 0, "", false});
    messages.push_back({input, chatlink::WmSetText, 0, 0, draft, false});
  }
  return messages;
}

// The three-line scroll: "abc" is skipped, "abcd" and the first 92 characters of a 100-character
// line go out after the prefix.
inline const std::string kThreeLines = "abc\r\nabcd\r\n" + std::string(100, 'x');
inline std::vector<Message> threeLineScroll(Hwnd input, const std::string& prefix) {
  return typedLines(input, {prefix + "abcd", prefix + std::string(92, 'x')});
}

}  // namespace kestar::test::tables
