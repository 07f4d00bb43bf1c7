#include "chatlink/ChatScanner.h"

#include <algorithm>
#include <map>

namespace kestar::chatlink {
namespace {

// Lines kept to line the transcript up with: enough that a false match needs a long run of
// repeated lines.
constexpr std::size_t kTailLines = 16;

Hwnd findTranscript(const Link& link) {
  const Hwnd room = FindChatRoom(link);
  return room == 0 ? 0 : link.api.findWindowEx(room, 0, ClassRichText, AnyName);
}

}  // namespace

bool splitChatLine(std::string_view line, std::string_view& screenName,
                   std::string_view& whatSaid) {
  const std::size_t separator = line.find(":\t");
  if (separator == std::string_view::npos) return false;
  screenName = line.substr(0, separator);
  whatSaid = line.substr(separator + 2);
  return true;
}

bool splitChatLine(std::string_view line, std::string& screenName, std::string& whatSaid) {
  std::string_view name;
  std::string_view said;
  if (!splitChatLine(line, name, said)) return false;
  screenName.assign(name);
  whatSaid.assign(said);
  return true;
}

ChatScanner::ChatScanner(const Link& link) : link_(link), timer_(link.host, kLookIntervalMs) {
  timer_.onTimer = [this] { look(); };
}

ChatScanner::~ChatScanner() = default;

void ChatScanner::StartScan() {
  // Lines already in the room when the scan starts are not reported.
  tail_.clear();
  lastCount_ = 0;
  queue_.clear();
  const Hwnd transcript = findTranscript(link_);
  if (transcript != 0) {
    lastCount_ = link_.api.lineCount(transcript);
    const int first = std::max(0, lastCount_ - static_cast<int>(kTailLines));
    for (int i = first; i < lastCount_; ++i)
      remember(link_.api.lineText(transcript, i));
  }
  timer_.setEnabled(true);
}

void ChatScanner::StopScan() {
  timer_.setEnabled(false);
  queue_.clear();
}

void ChatScanner::SendLine(TextView line) {
  const Hwnd input = findChatInput(link_);
  if (input == 0 || link_.host.ended()) return;
  // The line goes through the room's own input box; whatever the user had begun to type there
  // is put back afterwards.
  const std::string draft = link_.api.windowText(input);
  sendTextTo(link_, input, WmSetText, toCodePage(line));
  sendTo(link_, input, WmChar, KeyEnter, 0);
  if (!draft.empty()) sendTextTo(link_, input, WmSetText, draft);
}

void ChatScanner::look() {
  if (!scanning() || link_.host.ended()) return;
  const Hwnd transcript = findTranscript(link_);
  if (transcript == 0) return;
  WindowApi& api = link_.api;
  const int count = api.lineCount(transcript);
  for (std::string& line : readNewLines(api, transcript, count)) {
    std::string name;
    std::string said;
    if (splitChatLine(line, name, said)) {
      queue_.emplace_back(fromCodePage(name), fromCodePage(said));
    }
    remember(std::move(line));
  }
  lastCount_ = count;
  deliver();
}

std::vector<std::string> ChatScanner::readNewLines(WindowApi& api, Hwnd transcript, int count) {
  std::map<int, std::string> read;
  auto lineAt = [&](int index) -> const std::string& {
    auto [it, isNew] = read.try_emplace(index);
    if (isNew) it->second = api.lineText(transcript, index);
    return it->second;
  };
  // The line last seen now stands at index j: j is lastCount_ - 1 unless lines were trimmed from
  // the top. The largest j whose preceding lines match the remembered tail wins; comparing the
  // whole tail, not the last line alone, tells a repeated line that came in while an old one was
  // trimmed from a line already seen. With nothing new this reads the tail's lines only.
  int firstNew = 0;
  const int tailSize = static_cast<int>(tail_.size());
  for (int j = std::min(lastCount_, count) - 1; j >= 0 && tailSize > 0; --j) {
    const int depth = std::min(tailSize, j + 1);
    bool match = true;
    for (int d = 0; d < depth && match; ++d) {
      match = lineAt(j - d) == tail_[static_cast<std::size_t>(tailSize - 1 - d)];
    }
    if (match) {
      firstNew = j + 1;
      break;
    }
  }
  std::vector<std::string> lines;
  for (int i = firstNew; i < count; ++i)
    lines.push_back(lineAt(i));
  return lines;
}

void ChatScanner::remember(std::string line) {
  tail_.push_back(std::move(line));
  if (tail_.size() > kTailLines) tail_.pop_front();
}

void ChatScanner::deliver() {
  // A handler that waits lets further looks run inside it; they only queue, so lines keep their
  // order.
  if (delivering_) return;
  delivering_ = true;
  while (!queue_.empty() && scanning() && !link_.host.ended()) {
    const auto [name, said] = std::move(queue_.front());
    queue_.pop_front();
    if (ChatMsg) ChatMsg(name, said);
  }
  delivering_ = false;
}

}  // namespace kestar::chatlink
