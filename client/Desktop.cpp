#include "client/Desktop.h"

#include <algorithm>
#include <cstdio>

namespace kestar::client {
namespace {

bool matches(chatlink::Match wanted, const std::string& actual) {
  return !wanted || *wanted == actual;
}

}  // namespace

std::string describe(const Message& message) {
  char head[96];
  std::snprintf(head, sizeof head, "%s%s(0x%X, %llu, %lld", message.posted ? "post " : "",
                chatlink::messageName(message.msg).c_str(), static_cast<unsigned>(message.window),
                static_cast<unsigned long long>(message.wParam),
                static_cast<long long>(message.lParam));
  std::string text = head;
  if (message.msg == chatlink::WmSetText) text += ", \"" + message.text + "\"";
  return text + ")";
}

Desktop::Desktop() = default;

Hwnd Desktop::create(Hwnd parent, std::string className, std::string text, WindowProc proc) {
  const Hwnd handle = nextHandle_;
  nextHandle_ += 4;
  Window window;
  window.parent = exists(parent) ? parent : 0;
  window.className = std::move(className);
  window.text = std::move(text);
  window.proc = std::move(proc);
  const Hwnd owner = window.parent;
  windows_.emplace(handle, std::move(window));
  siblings(owner).push_back(handle);
  changed();
  return handle;
}

void Desktop::destroy(Hwnd window) {
  Window* found = find(window);
  if (found == nullptr) return;
  for (const Hwnd child : std::vector<Hwnd>(found->children))
    destroy(child);
  auto& list = siblings(found->parent);
  list.erase(std::remove(list.begin(), list.end(), window), list.end());
  windows_.erase(window);
  changed();
}

bool Desktop::exists(Hwnd window) const {
  return windows_.count(window) != 0;
}

void Desktop::raise(Hwnd window) {
  Window* found = find(window);
  if (found == nullptr) return;
  auto& list = siblings(found->parent);
  list.erase(std::remove(list.begin(), list.end(), window), list.end());
  list.insert(list.begin(), window);
  changed();
}

Hwnd Desktop::parent(Hwnd window) const {
  return at(window).parent;
}
const std::string& Desktop::className(Hwnd window) const {
  return at(window).className;
}
const std::string& Desktop::text(Hwnd window) const {
  return at(window).text;
}

void Desktop::setText(Hwnd window, std::string text) {
  if (Window* found = find(window)) {
    found->text = std::move(text);
    changed();
  }
}

std::vector<Hwnd> Desktop::children(Hwnd window) const {
  if (window == 0) return topLevel_;
  return at(window).children;
}

void Desktop::appendLine(Hwnd window, std::string line) {
  if (Window* found = find(window)) {
    found->lineBytes += line.size();
    found->lines.push_back(std::move(line));
    changed();
  }
}

const std::deque<std::string>& Desktop::lines(Hwnd window) const {
  return at(window).lines;
}

void Desktop::trimLines(Hwnd window, std::size_t keep) {
  Window* found = find(window);
  if (found == nullptr || found->lines.size() <= keep) return;
  const auto end = found->lines.begin() + static_cast<long>(found->lines.size() - keep);
  for (auto line = found->lines.begin(); line != end; ++line)
    found->lineBytes -= line->size();
  found->lines.erase(found->lines.begin(), end);
  changed();
}

void Desktop::post(std::function<void()> work) {
  const bool wasEmpty = pending_.empty();
  pending_.push_back(std::move(work));
  if (wasEmpty && onWorkQueued) onWorkQueued();
}

bool Desktop::runPending() {
  std::size_t round = pending_.size();
  if (round == 0) return false;
  while (round-- > 0 && !pending_.empty()) {
    auto work = std::move(pending_.front());
    pending_.pop_front();
    work();
  }
  if (!pending_.empty() && onWorkQueued) onWorkQueued();
  return true;
}

std::vector<Message> Desktop::takeMessages() {
  std::vector<Message> taken;
  taken.swap(messages_);
  return taken;
}

Hwnd Desktop::findWindow(chatlink::Match className, chatlink::Match caption) {
  return findWindowEx(0, 0, className, caption);
}

Hwnd Desktop::findWindowEx(Hwnd parent, Hwnd childAfter, chatlink::Match className,
                           chatlink::Match caption) {
  if (parent != 0 && !exists(parent)) return 0;
  const auto& list = siblings(parent);
  auto it = list.begin();
  if (childAfter != 0) {
    it = std::find(list.begin(), list.end(), childAfter);
    if (it == list.end()) return 0;
    ++it;
  }
  for (; it != list.end(); ++it) {
    const Window& window = at(*it);
    if (matches(className, window.className) && matches(caption, window.text)) return *it;
  }
  return 0;
}

LParam Desktop::sendMessage(Hwnd window, Msg msg, WParam wParam, LParam lParam) {
  if (!exists(window)) return 0;
  Message message{window, msg, wParam, lParam, {}, false};
  messages_.push_back(message);
  return dispatch(message);
}

LParam Desktop::sendTextMessage(Hwnd window, Msg msg, WParam wParam, std::string_view text) {
  if (!exists(window)) return 0;
  Message message{window, msg, wParam, 0, std::string(text), false};
  messages_.push_back(message);
  return dispatch(message);
}

bool Desktop::postMessage(Hwnd window, Msg msg, WParam wParam, LParam lParam) {
  if (!exists(window)) return false;
  Message message{window, msg, wParam, lParam, {}, true};
  messages_.push_back(message);
  post([this, message] {
    if (exists(message.window)) dispatch(message);
  });
  return true;
}

std::string Desktop::windowText(Hwnd window) {
  if (!exists(window)) return {};
  std::string text = contents(window);
  // A read is recorded with what it read.
  messages_.push_back(Message{window, chatlink::WmGetText, 0, 0, text, false});
  return text;
}

int Desktop::textLength(Hwnd window) {
  // What contents() would hold, without putting it together.
  const Window& found = at(window);
  if (found.lines.empty()) return static_cast<int>(found.text.size());
  return static_cast<int>(found.lineBytes + 2 * (found.lines.size() - 1));
}

std::string Desktop::contents(Hwnd window) const {
  const Window& found = at(window);
  if (found.lines.empty()) return found.text;
  std::string text;
  for (const auto& line : found.lines) {
    if (!text.empty()) text += "\r\n";
    text += line;
  }
  return text;
}

LParam Desktop::receive(const Message& message) {
  if (!exists(message.window)) return 0;
  messages_.push_back(message);
  return dispatch(message);
}

int Desktop::lineCount(Hwnd window) {
  // A box that holds no lines still has one, empty, as an edit control does.
  const Window* found = find(window);
  if (found == nullptr) return 0;
  return std::max<int>(1, static_cast<int>(found->lines.size()));
}

std::string Desktop::lineText(Hwnd window, int index) {
  const Window* found = find(window);
  if (found == nullptr || index < 0 || index >= static_cast<int>(found->lines.size())) return {};
  return found->lines[static_cast<std::size_t>(index)];
}

LParam Desktop::defaultProc(Desktop& windows, Hwnd window, const Message& message) {
  switch (message.msg) {
    case chatlink::WmSetText:
      windows.setText(window, message.text);
      return 1;
    case chatlink::WmClose:
      windows.destroy(window);
      return 0;
    default:
      return 0;
  }
}

Desktop::Window* Desktop::find(Hwnd window) {
  const auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

const Desktop::Window& Desktop::at(Hwnd window) const {
  static const Window none;
  const auto it = windows_.find(window);
  return it == windows_.end() ? none : it->second;
}

std::vector<Hwnd>& Desktop::siblings(Hwnd parent) {
  if (parent == 0) return topLevel_;
  return find(parent)->children;
}

LParam Desktop::dispatch(const Message& message) {
  const Window* window = find(message.window);
  if (window == nullptr) return 0;
  if (window->proc) {
    // The proc may destroy its window; it works on its own copy.
    const WindowProc proc = window->proc;
    return proc(*this, message.window, message);
  }
  return defaultProc(*this, message.window, message);
}

void Desktop::changed() {
  if (onChanged) onChanged();
}

}  // namespace kestar::client
