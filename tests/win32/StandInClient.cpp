// The stand-in client: a Windows program whose real windows carry the chat client's class names
// and captions and behave as the simulated client does. A test drives it by lines on its
// standard input (see Protocol.h) and talks to its windows as Kestar does.

#include <windows.h>

#include <cstdio>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "client/Client.h"
#include "client/practice/PracticeService.h"
#include "tests/win32/Mirror.h"
#include "tests/win32/Protocol.h"

namespace {

using kestar::client::Hwnd;
using kestar::test::Mirror;
namespace protocol = kestar::test::protocol;

constexpr UINT kCommand = WM_APP + 1;

struct StandIn {
  kestar::client::Desktop model;
  kestar::client::PracticeService service;
  kestar::client::Client client{model, service};
  Mirror* mirror = nullptr;
  HWND control = nullptr;
  std::string answer;
  HANDLE answered = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  DWORD windowThread = GetCurrentThreadId();
};

StandIn* standIn = nullptr;

std::string number(unsigned long long value) {
  return std::to_string(value);
}

Hwnd toModel(const std::string& realText) {
  return standIn->mirror->modelOf(static_cast<Hwnd>(std::stoull(realText)));
}

std::string run(const std::vector<std::string>& w) {
  auto& client = standIn->client;
  auto& service = standIn->service;
  auto& model = standIn->model;
  auto& mirror = *standIn->mirror;
  // A window made by this command gets its real window before its handle is told.
  const auto real = [&mirror](Hwnd modelWindow) {
    mirror.reconcile();
    return number(mirror.realOf(modelWindow));
  };
  const std::string& verb = w.at(0);
  std::string out;
  if (verb == "open-room") {
    out = real(client.openRoom(protocol::unhex(w.at(1))));
  } else if (verb == "close-room") {
    client.closeRoom(protocol::unhex(w.at(1)));
  } else if (verb == "open-window") {
    out = real(client.openWindow(protocol::unhex(w.at(1)), std::stoi(w.at(2)), w.at(3) == "1",
                                 w.at(4) == "1", w.at(5) == "1"));
  } else if (verb == "raise") {
    client.raise(toModel(w.at(1)));
  } else if (verb == "children") {
    for (const Hwnd child : model.children(toModel(w.at(1))))
      out += number(mirror.realOf(child)) + "\n";
  } else if (verb == "say") {
    service.sayAs(protocol::unhex(w.at(1)), protocol::unhex(w.at(2)), protocol::unhex(w.at(3)));
  } else if (verb == "transcript") {
    for (const auto& line : client.transcript(protocol::unhex(w.at(1)))) {
      out += protocol::hex(line) + "\n";
    }
  } else if (verb == "sent") {
    for (const auto& line : client.sentByUser())
      out += protocol::hex(line) + "\n";
  } else if (verb == "input") {
    out = protocol::hex(client.inputText(protocol::unhex(w.at(1))));
  } else if (verb == "next-rolls") {
    std::vector<int> values;
    for (std::size_t i = 1; i < w.size(); ++i)
      values.push_back(std::stoi(w[i]));
    service.setNextRolls(values);
  } else if (verb == "limit") {
    client.setTranscriptLimit(std::stoul(w.at(1)));
  } else if (verb == "round") {
    // The client's later round of work runs when the test's program lets events run, as the
    // simulated client's does under the test's host: what reaches it in one round is answered
    // together, whatever the pace of the two processes.
    out = model.runPending() ? "1" : "0";
  } else if (verb == "keyword-box") {
    out = real(client.keywordBox());
  } else if (verb == "keywords") {
    for (const auto& keyword : client.keywords())
      out += protocol::hex(keyword) + "\n";
  } else if (verb == "im-windows") {
    mirror.reconcile();
    for (const auto& im : client.imWindows()) {
      out += number(mirror.realOf(im.window)) + " " + number(mirror.realOf(im.textBox)) + " " +
             number(mirror.realOf(im.sendButton)) + " " + (model.exists(im.window) ? "1" : "0") +
             "\n";
    }
  } else if (verb == "instant-messages") {
    for (const auto& im : service.instantMessages()) {
      out += protocol::hex(im.to) + " " + protocol::hex(im.text) + "\n";
    }
  } else if (verb == "show-box") {
    const Hwnd box = client.showMessageBox(protocol::unhex(w.at(1)), protocol::unhex(w.at(2)));
    mirror.reconcile();
    out = number(mirror.realOf(box));
  } else if (verb == "message-boxes") {
    mirror.reconcile();
    for (const auto& box : client.messageBoxes()) {
      out += number(mirror.realOf(box.box)) + " " + number(mirror.realOf(box.button)) + " " +
             (model.exists(box.box) ? "1" : "0") + "\n";
    }
  } else if (verb == "sign-off") {
    service.signOff(protocol::unhex(w.at(1)));
  } else if (verb == "im-icons") {
    client.setImIcons(std::stoi(w.at(1)));
  } else if (verb == "responding") {
    client.setResponding(w.at(1) == "1");
  } else if (verb == "take-messages") {
    for (const auto& m : model.takeMessages()) {
      out += number(mirror.realOf(m.window)) + " " + number(m.msg) + " " + number(m.wParam) + " " +
             std::to_string(m.lParam) + " " + (m.posted ? "1" : "0") + " " + protocol::hex(m.text) +
             "\n";
    }
  } else {
    out = "unknown command " + verb;
  }
  mirror.reconcile();
  if (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

LRESULT CALLBACK controlProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == kCommand) {
    auto* line = reinterpret_cast<std::string*>(lParam);
    standIn->answer = run(protocol::words(*line));
    SetEvent(standIn->answered);
    return 0;
  }
  return DefWindowProcA(window, msg, wParam, lParam);
}

// Reads commands and hands each to the window thread, which owns the model and the windows.
void readCommands() {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "quit") break;
    if (line.empty()) continue;
    PostMessageA(standIn->control, kCommand, 0, reinterpret_cast<LPARAM>(&line));
    WaitForSingleObject(standIn->answered, INFINITE);
    std::cout << standIn->answer;
    if (!standIn->answer.empty()) std::cout << "\n";
    std::cout << ".\n" << std::flush;
  }
  PostThreadMessageA(standIn->windowThread, WM_QUIT, 0, 0);
}

}  // namespace

int main() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSEXA controlClass{};
  controlClass.cbSize = sizeof controlClass;
  controlClass.lpfnWndProc = controlProc;
  controlClass.hInstance = instance;
  controlClass.lpszClassName = "KestarStandInControl";
  RegisterClassExA(&controlClass);

  StandIn state;
  standIn = &state;
  state.control = CreateWindowExA(0, "KestarStandInControl", "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, instance, nullptr);
  Mirror mirror(state.model, instance);
  state.mirror = &mirror;
  mirror.reconcile();

  std::cout << "ready\n" << std::flush;
  std::thread reader(readCommands);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    // No TranslateMessage: a posted key must not turn into a character nobody sent.
    mirror.dispatchingPosted = message.hwnd != state.control;
    DispatchMessageA(&message);
    mirror.dispatchingPosted = false;
  }
  reader.join();
  return 0;
}
