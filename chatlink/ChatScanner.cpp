#include "chatlink/ChatScanner.h"

#include <algorithm>
#include <set>

namespace kestar::chatlink {
namespace {

// Lines kept to line the transcript up with: enough that a false match needs a long run of
// repeated lines.
constexpr std::size_t kTailLines = 16;
// How long a draft waits for the client to take SendLine's line out of the box: 100 looks.
constexpr int kDraftLooks = 100;

Hwnd transcriptOf(const Link& link, Hwnd room) {
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

std::vector<std::string> chatLinesOf(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

ChatScanner::ChatScanner(const Link& link)
    : link_(link), timer_(link.host, kLookIntervalMs), draftTimer_(link.host, kLookIntervalMs) {
  timer_.onTimer = [this] { look(); };
  draftTimer_.onTimer = [this] { restoreDraft(); };
}

ChatScanner::~ChatScanner() = default;

void ChatScanner::StartScan() {
  // Lines already in any open room when the scan starts are not reported, whichever room is on
  // top then or later.
  rooms_.clear();
  queue_.clear();
  for (const Hwnd room : openChatRooms(link_)) {
    const Hwnd transcript = transcriptOf(link_, room);
    if (transcript == 0) continue;
    const Glance before = glance(transcript);
    rooms_[transcript] = read(chatLinesOf(link_.api.windowText(transcript)), before);
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
  // The line goes through the room's own input box. What the user had begun to type there is put
  // back once the client has taken the line out of the box, never before: a client that reads its
  // box late would send the draft instead. A draft still waiting from an earlier line is the
  // user's, not what the box shows now.
  const std::string shown = link_.api.windowText(input);
  const std::string draft = draftBox_ == input ? draft_ : shown;
  forgetDraft();
  sentLine_ = toCodePage(line);
  sendTextTo(link_, input, WmSetText, sentLine_);
  sendTo(link_, input, WmChar, KeyEnter, 0);
  if (draft.empty()) return;
  draftBox_ = input;
  draft_ = draft;
  restoreDraft();
}

void ChatScanner::restoreDraft() {
  if (draftBox_ == 0 || link_.host.ended()) return forgetDraft();
  const std::string shown = link_.api.windowText(draftBox_);
  if (shown.empty()) {
    sendTextTo(link_, draftBox_, WmSetText, draft_);
    return forgetDraft();
  }
  // Something else in the box (the user typed anew) or a client that never takes the line: the
  // draft is not forced in.
  if (shown != sentLine_ || ++draftLooks_ > kDraftLooks) return forgetDraft();
  if (!draftTimer_.enabled()) draftTimer_.setEnabled(true);
}

void ChatScanner::forgetDraft() {
  draftTimer_.setEnabled(false);
  draftBox_ = 0;
  draft_.clear();
  draftLooks_ = 0;
}

ChatScanner::Glance ChatScanner::glance(Hwnd transcript) const {
  WindowApi& api = link_.api;
  Glance g;
  g.length = api.textLength(transcript);
  g.lines = api.lineCount(transcript);
  g.first = api.lineText(transcript, 0);
  g.last = api.lineText(transcript, g.lines - 1);
  g.beforeLast = api.lineText(transcript, g.lines - 2);
  return g;
}

ChatScanner::Seen& ChatScanner::seen(Hwnd transcript) {
  const auto found = rooms_.find(transcript);
  if (found != rooms_.end()) return found->second;
  // A transcript not seen before belongs to a room entered during the scan: every line in it is
  // new. What is remembered of rooms closed since goes.
  std::set<Hwnd> open;
  for (const Hwnd room : openChatRooms(link_))
    open.insert(transcriptOf(link_, room));
  std::erase_if(rooms_, [&](const auto& entry) { return open.count(entry.first) == 0; });
  return rooms_[transcript];
}

ChatScanner::Seen ChatScanner::read(const std::vector<std::string>& lines, Glance glance) {
  Seen result;
  result.glance = std::move(glance);
  result.count = static_cast<int>(lines.size());
  const std::size_t first = lines.size() - std::min(lines.size(), kTailLines);
  result.tail.assign(lines.begin() + static_cast<long>(first), lines.end());
  return result;
}

std::size_t ChatScanner::firstNew(const std::vector<std::string>& lines, const Seen& seen) {
  // The line last seen now stands at index j: j is seen.count - 1 unless lines were trimmed from
  // the top. The largest j whose preceding lines match the remembered tail wins; comparing the
  // whole tail, not the last line alone, tells a repeated line that came in while an old one was
  // trimmed from a line already seen.
  const int tailSize = static_cast<int>(seen.tail.size());
  const int count = static_cast<int>(lines.size());
  for (int j = std::min(seen.count, count) - 1; j >= 0 && tailSize > 0; --j) {
    const int depth = std::min(tailSize, j + 1);
    bool match = true;
    for (int d = 0; d < depth && match; ++d) {
      match = lines[static_cast<std::size_t>(j - d)] ==
              seen.tail[static_cast<std::size_t>(tailSize - 1 - d)];
    }
    if (match) return static_cast<std::size_t>(j + 1);
  }
  return 0;
}

void ChatScanner::look() {
  if (!scanning() || link_.host.ended()) return;
  const Hwnd transcript = transcriptOf(link_, FindChatRoom(link_));
  if (transcript == 0) return;
  Glance now = glance(transcript);
  Seen& before = seen(transcript);
  if (now == before.glance) return;
  // The glance comes before the read: a line that arrives in between changes the next glance.
  const std::vector<std::string> lines = chatLinesOf(link_.api.windowText(transcript));
  for (std::size_t i = firstNew(lines, before); i < lines.size(); ++i) {
    std::string name;
    std::string said;
    if (splitChatLine(lines[i], name, said)) {
      queue_.emplace_back(fromCodePage(name), fromCodePage(said));
    }
  }
  before = read(lines, std::move(now));
  deliver();
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
