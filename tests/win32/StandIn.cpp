#include "tests/win32/StandIn.h"

#include <stdexcept>

#include "tests/win32/Protocol.h"

namespace kestar::test {
namespace {

std::string besideThisProgram(const char* name) {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1) + name;
}

client::Hwnd handle(const std::string& text) {
  return static_cast<client::Hwnd>(std::stoull(text));
}

}  // namespace

StandIn::StandIn() {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE childIn = nullptr;
  HANDLE childOut = nullptr;
  if (!CreatePipe(&childIn, &toChild_, &inherit, 0) ||
      !CreatePipe(&fromChild_, &childOut, &inherit, 0)) {
    throw std::runtime_error("no pipes for the stand-in client");
  }
  SetHandleInformation(toChild_, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(fromChild_, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = childIn;
  startup.hStdOutput = childOut;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::string commandLine = "\"" + besideThisProgram("StandInClient.exe") + "\"";
  const BOOL started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process_);
  CloseHandle(childIn);
  CloseHandle(childOut);
  if (!started) throw std::runtime_error("the stand-in client did not start");
  if (readLine() != "ready") throw std::runtime_error("the stand-in client is not ready");
}

StandIn::~StandIn() {
  const char quit[] = "quit\n";
  DWORD written = 0;
  WriteFile(toChild_, quit, sizeof quit - 1, &written, nullptr);
  CloseHandle(toChild_);
  if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process_.hProcess, 1);
  }
  CloseHandle(fromChild_);
  CloseHandle(process_.hProcess);
  CloseHandle(process_.hThread);
}

std::string StandIn::readLine() {
  for (;;) {
    const std::size_t end = buffer_.find('\n');
    if (end != std::string::npos) {
      std::string line = buffer_.substr(0, end);
      buffer_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    char chunk[4096];
    DWORD read = 0;
    if (!ReadFile(fromChild_, chunk, sizeof chunk, &read, nullptr) || read == 0) {
      throw std::runtime_error("the stand-in client stopped answering");
    }
    buffer_.append(chunk, read);
  }
}

std::vector<std::string> StandIn::command(const std::string& line) {
  const std::string sent = line + "\n";
  DWORD written = 0;
  WriteFile(toChild_, sent.data(), static_cast<DWORD>(sent.size()), &written, nullptr);
  std::vector<std::string> answer;
  for (std::string reply = readLine(); reply != "."; reply = readLine())
    answer.push_back(reply);
  return answer;
}

client::Hwnd StandIn::openRoom(const std::string& name) {
  return handle(command("open-room " + protocol::hex(name)).at(0));
}

void StandIn::closeRoom(const std::string& name) {
  command("close-room " + protocol::hex(name));
}

client::Hwnd StandIn::openWindow(const std::string& caption, int richText, bool listBox, bool icon,
                                 bool label) {
  return handle(command("open-window " + protocol::hex(caption) + " " + std::to_string(richText) +
                        (listBox ? " 1" : " 0") + (icon ? " 1" : " 0") + (label ? " 1" : " 0"))
                    .at(0));
}

void StandIn::raise(client::Hwnd window) {
  command("raise " + std::to_string(window));
}

std::vector<client::Hwnd> StandIn::children(client::Hwnd window) {
  std::vector<client::Hwnd> result;
  for (const auto& line : command("children " + std::to_string(window))) {
    result.push_back(handle(line));
  }
  return result;
}

void StandIn::say(const std::string& room, const std::string& speaker, const std::string& text) {
  command("say " + protocol::hex(room) + " " + protocol::hex(speaker) + " " + protocol::hex(text));
}

std::vector<std::string> StandIn::transcript(const std::string& room) {
  std::vector<std::string> lines;
  for (const auto& line : command("transcript " + protocol::hex(room))) {
    lines.push_back(protocol::unhex(line));
  }
  return lines;
}

std::vector<std::string> StandIn::sentByUser() {
  std::vector<std::string> lines;
  for (const auto& line : command("sent"))
    lines.push_back(protocol::unhex(line));
  return lines;
}

std::string StandIn::inputText(const std::string& room) {
  return protocol::unhex(command("input " + protocol::hex(room)).at(0));
}

void StandIn::setNextRolls(const std::vector<int>& values) {
  std::string line = "next-rolls";
  for (const int value : values)
    line += " " + std::to_string(value);
  command(line);
}

void StandIn::setTranscriptLimit(int lines) {
  command("limit " + std::to_string(lines));
}

client::Hwnd StandIn::keywordBox() {
  return handle(command("keyword-box").at(0));
}

std::vector<std::string> StandIn::keywords() {
  std::vector<std::string> result;
  for (const auto& line : command("keywords"))
    result.push_back(protocol::unhex(line));
  return result;
}

std::vector<StandIn::Im> StandIn::imWindows() {
  std::vector<Im> result;
  for (const auto& line : command("im-windows")) {
    const auto w = protocol::words(line);
    result.push_back(Im{handle(w.at(0)), handle(w.at(1)), handle(w.at(2)), w.at(3) == "1"});
  }
  return result;
}

std::vector<std::pair<std::string, std::string>> StandIn::instantMessages() {
  std::vector<std::pair<std::string, std::string>> result;
  for (const auto& line : command("instant-messages")) {
    const auto w = protocol::words(line);
    result.emplace_back(protocol::unhex(w.at(0)), protocol::unhex(w.at(1)));
  }
  return result;
}

client::Hwnd StandIn::showMessageBox(const std::string& text, const std::string& button) {
  return handle(command("show-box " + protocol::hex(text) + " " + protocol::hex(button)).at(0));
}

std::vector<StandIn::Box> StandIn::messageBoxes() {
  std::vector<Box> result;
  for (const auto& line : command("message-boxes")) {
    const auto w = protocol::words(line);
    result.push_back(Box{handle(w.at(0)), handle(w.at(1)), w.at(2) == "1"});
  }
  return result;
}

void StandIn::signOff(const std::string& name) {
  command("sign-off " + protocol::hex(name));
}

void StandIn::setImIcons(int count) {
  command("im-icons " + std::to_string(count));
}

void StandIn::setResponding(bool responding) {
  command(std::string("responding ") + (responding ? "1" : "0"));
}

std::vector<client::Message> StandIn::takeMessages() {
  std::vector<client::Message> messages;
  for (const auto& line : command("take-messages")) {
    const auto w = protocol::words(line);
    messages.push_back(client::Message{handle(w.at(0)),
                                       static_cast<client::Msg>(std::stoul(w.at(1))),
                                       static_cast<client::WParam>(std::stoull(w.at(2))),
                                       static_cast<client::LParam>(std::stoll(w.at(3))),
                                       protocol::unhex(w.at(5)), w.at(4) == "1"});
  }
  return messages;
}

bool StandIn::round() {
  return command("round").at(0) == "1";
}

void StandIn::settle() {
  for (int i = 0; i < 1000 && round(); ++i) {
  }
}

}  // namespace kestar::test
