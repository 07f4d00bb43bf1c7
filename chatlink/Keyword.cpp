#include "chatlink/ChatLink.h"

namespace kestar::chatlink {
namespace {

constexpr int kSendIconIndex = 9;

// A child by class under a parent that was found. A look-up under window 0 would search the
// whole desktop and could take another program's window for the client's.
Hwnd childOf(WindowApi& api, Hwnd parent, std::string_view className, Match caption = AnyName) {
  if (parent == 0) return 0;
  return api.findWindowEx(parent, 0, className, caption);
}

Hwnd findKeywordBox(WindowApi& api) {
  const Hwnd frame = api.findWindow(ClassFrame, AnyName);
  const Hwnd toolbar = childOf(api, frame, ClassToolbar);
  const Hwnd inner = childOf(api, toolbar, ClassInnerToolbar);
  const Hwnd combo = childOf(api, inner, ClassComboBox);
  return childOf(api, combo, ClassEdit);
}

Hwnd findMdiArea(WindowApi& api) {
  return childOf(api, api.findWindow(ClassFrame, AnyName), ClassMdi);
}

Hwnd findMessageBox(WindowApi& api) {
  return api.findWindow(ClassDialog, CaptionMessageBox);
}

Hwnd findImWindow(WindowApi& api, Hwnd mdi) {
  return childOf(api, mdi, ClassChild, CaptionInstantMessage);
}

// The n-th child of a class, counted from 1; 0 when there are fewer. Counting stops at the
// last one: a look-up after window 0 would start again from the first.
Hwnd nthChild(WindowApi& api, Hwnd parent, std::string_view className, int n) {
  Hwnd child = childOf(api, parent, className);
  for (int i = 1; i < n && child != 0; ++i)
    child = api.findWindowEx(parent, child, className, AnyName);
  return child;
}

// What the box says: its first label with a text (the first may be its icon).
Text messageBoxText(WindowApi& api, Hwnd box) {
  for (Hwnd label = childOf(api, box, ClassLabel); label != 0;
       label = api.findWindowEx(box, label, ClassLabel, AnyName)) {
    const std::string text = api.windowText(label);
    if (!text.empty()) return fromCodePage(text);
  }
  return {};
}

void pressSpace(const Link& link, Hwnd button) {
  sendTo(link, button, WmKeyDown, KeySpace, 0);
  sendTo(link, button, WmKeyUp, KeySpace, 0);
}

}  // namespace

void SendKeyword(const Link& link, TextView keyword) {
  const Hwnd box = findKeywordBox(link.api);
  if (box == 0) return;
  sendTextTo(link, box, WmSetText, toCodePage(keyword));
  sendTo(link, box, WmChar, KeySpace, 0);
  sendTo(link, box, WmChar, KeyEnter, 0);
}

ImOutcome SendIM(const Link& link, TextView screenName, TextView message, Text* boxText) {
  WindowApi& api = link.api;
  // The area is looked up once; without it no instant-message window can ever be found.
  const Hwnd mdi = findMdiArea(api);
  if (mdi == 0) return ImOutcome::GaveUp;
  SendKeyword(link, Text(KeywordInstantMessage) + Text(screenName));

  Hwnd textBox = 0;
  Hwnd sendButton = 0;
  const bool ready = waitFor(link.host, kImWaitSeconds, [&] {
    const Hwnd im = findImWindow(api, mdi);
    textBox = childOf(api, im, ClassRichText);
    sendButton = nthChild(api, im, ClassIcon, kSendIconIndex);
    return im != 0 && textBox != 0 && sendButton != 0;
  });
  if (!ready) return ImOutcome::GaveUp;

  sendTextTo(link, textBox, WmSetText, toCodePage(message));
  sendTo(link, sendButton, WmLButtonDown, 0, 0);
  sendTo(link, sendButton, WmLButtonUp, 0, 0);

  Hwnd box = 0;
  Hwnd im = 0;
  const bool answered = waitFor(link.host, kImWaitSeconds, [&] {
    box = findMessageBox(api);
    im = findImWindow(api, mdi);
    return box != 0 || im == 0;
  });
  if (!answered) return ImOutcome::GaveUp;
  // A closed window is a sent message. A box showing then is not the answer to it (the room
  // buster's late "room full", say) and is left to its own.
  if (im == 0) return ImOutcome::Sent;

  if (boxText != nullptr) *boxText = messageBoxText(api, box);
  const Hwnd firstButton = childOf(api, box, ClassButton);
  postTo(link, firstButton, WmKeyDown, KeySpace, 0);
  postTo(link, firstButton, WmKeyUp, KeySpace, 0);
  postTo(link, im, WmClose, 0, 0);
  return ImOutcome::Refused;
}

void DismissMessageBox(const Link& link) {
  WindowApi& api = link.api;
  Host& host = link.host;
  host.processEvents(0);
  Hwnd box = findMessageBox(api);
  Hwnd ok = childOf(api, box, ClassButton, CaptionOk);
  host.processEvents(0);
  if (box != 0) {
    waitFor(host, kMessageBoxWaitSeconds, [&] {
      if (ok != 0) {
        pressSpace(link, ok);
        pressSpace(link, ok);
      }
      box = findMessageBox(api);
      ok = childOf(api, box, ClassButton, CaptionOk);
      return box == 0;
    });
  }
  host.processEvents(0);
}

}  // namespace kestar::chatlink
