#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "chatlink/WindowApi.h"

namespace kestar::client {

using chatlink::Hwnd;
using chatlink::LParam;
using chatlink::Msg;
using chatlink::WParam;

// One message a window received: sent (synchronous) or posted (queued). The text is what
// WM_SETTEXT carried, or what WM_GETTEXT read.
struct Message {
  Hwnd window = 0;
  Msg msg = 0;
  WParam wParam = 0;
  LParam lParam = 0;
  std::string text;
  bool posted = false;

  friend bool operator==(const Message&, const Message&) = default;
};

// "WM_SETTEXT(0x10014, 0, 0, \"hello\")" for reports.
std::string describe(const Message& message);

class Desktop;

// What a window does with a message; the default handles its text and WM_CLOSE.
using WindowProc = std::function<LParam(Desktop&, Hwnd, const Message&)>;

// The desktop of the simulated machine: a tree of windows with class names and texts, and the
// system's side of messages. Messages to a window are recorded in arrival order; posted ones are
// handled on a later round of pending work, never inside the call that posted them.
class Desktop final : public chatlink::WindowApi {
 public:
  Desktop();

  // A new window, last (bottom) among its siblings; parent 0 makes it a top-level window.
  Hwnd create(Hwnd parent, std::string className, std::string text, WindowProc proc = {});
  // Closes a window and everything in it.
  void destroy(Hwnd window);
  bool exists(Hwnd window) const;
  // Brings a window to the top of its siblings.
  void raise(Hwnd window);

  Hwnd parent(Hwnd window) const;
  const std::string& className(Hwnd window) const;
  const std::string& text(Hwnd window) const;
  void setText(Hwnd window, std::string text);
  std::vector<Hwnd> children(Hwnd window) const;  // topmost first

  // The lines of a multi-line box (a transcript).
  void appendLine(Hwnd window, std::string line);
  const std::deque<std::string>& lines(Hwnd window) const;
  void trimLines(Hwnd window, std::size_t keep);

  // Work for a later round; runPending runs one round: what was queued before it began.
  void post(std::function<void()> work);
  bool runPending();
  bool hasPending() const { return !pending_.empty(); }

  // Told whenever work is queued into an empty queue, and whenever a window or its text changes.
  std::function<void()> onWorkQueued;
  std::function<void()> onChanged;

  // A message that arrived by another road (a real window standing in for this one): recorded
  // and handled at once.
  LParam receive(const Message& message);
  // The window's text as WM_GETTEXT reads it (a multi-line box's lines joined by CR LF), without
  // recording a read.
  std::string contents(Hwnd window) const;

  const std::vector<Message>& messages() const { return messages_; }
  std::vector<Message> takeMessages();

  // WindowApi
  Hwnd findWindow(chatlink::Match className, chatlink::Match caption) override;
  Hwnd findWindowEx(Hwnd parent, Hwnd childAfter, chatlink::Match className,
                    chatlink::Match caption) override;
  LParam sendMessage(Hwnd window, Msg msg, WParam wParam, LParam lParam) override;
  LParam sendTextMessage(Hwnd window, Msg msg, WParam wParam, std::string_view text) override;
  bool postMessage(Hwnd window, Msg msg, WParam wParam, LParam lParam) override;
  std::string windowText(Hwnd window) override;
  int textLength(Hwnd window) override;
  int lineCount(Hwnd window) override;
  std::string lineText(Hwnd window, int index) override;

  // The handling every window gets unless its proc does otherwise.
  static LParam defaultProc(Desktop& windows, Hwnd window, const Message& message);

 private:
  struct Window {
    Hwnd parent = 0;
    std::string className;
    std::string text;
    std::vector<Hwnd> children;
    std::deque<std::string> lines;
    std::size_t lineBytes = 0;  // of all lines together, so that the text's length is one look
    WindowProc proc;
  };

  Window* find(Hwnd window);
  const Window& at(Hwnd window) const;
  std::vector<Hwnd>& siblings(Hwnd parent);
  LParam dispatch(const Message& message);
  void changed();

  std::map<Hwnd, Window> windows_;
  std::vector<Hwnd> topLevel_;
  Hwnd nextHandle_ = 0x10010;
  std::deque<std::function<void()>> pending_;
  std::vector<Message> messages_;
};

}  // namespace kestar::client
