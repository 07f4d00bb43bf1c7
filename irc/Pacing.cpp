#include "irc/Pacing.h"

#include <algorithm>

namespace kestar::irc {

void SendQueue::pushFront(const std::vector<Outgoing>& lines) {
  lines_.insert(lines_.begin(), lines.begin(), lines.end());
}

std::vector<Outgoing> SendQueue::remove(const std::function<bool(const Outgoing&)>& drop) {
  std::vector<Outgoing> removed;
  std::deque<Outgoing> kept;
  for (Outgoing& line : lines_) {
    if (drop(line)) {
      removed.push_back(std::move(line));
    } else {
      kept.push_back(std::move(line));
    }
  }
  lines_ = std::move(kept);
  return removed;
}

std::vector<Outgoing> SendQueue::take(Millis now) {
  std::vector<Outgoing> ready = std::move(urgent_);
  urgent_.clear();
  const Millis slack = pace_.interval * (pace_.burst - 1);
  while (!held_ && !lines_.empty() && due_ - now <= slack) {
    ready.push_back(std::move(lines_.front()));
    lines_.pop_front();
    due_ = std::max(due_, now) + pace_.interval;
  }
  return ready;
}

std::optional<Millis> SendQueue::due(Millis now) const {
  if (!urgent_.empty()) return now;
  if (held_ || lines_.empty()) return std::nullopt;
  return std::max(now, due_ - pace_.interval * (pace_.burst - 1));
}

void SendQueue::restart(Millis now) {
  urgent_.clear();
  due_ = now;
}

Millis Backoff::next() {
  constexpr Millis kFirst{1000};
  constexpr Millis kLongest{60000};
  Millis wait = kFirst;
  for (int i = 0; i < attempts_ && wait < kLongest; ++i)
    wait *= 2;
  ++attempts_;
  return std::min(wait, kLongest);
}

void NickReclaim::start(Millis now) {
  due_ = now + every_;
}

void NickReclaim::holderLeft(Millis now) {
  if (due_) due_ = now;
}

bool NickReclaim::take(Millis now) {
  if (!due_ || now < *due_) return false;
  due_ = now + every_;
  return true;
}

bool JoinPacer::allow(const std::string& channel, Millis now) {
  if (wait(channel, now) > Millis(0)) return false;
  std::deque<Millis>& times = sent_[channel];
  while (!times.empty() && now - times.front() >= pace_.window)
    times.pop_front();
  times.push_back(now);
  return true;
}

Millis JoinPacer::wait(const std::string& channel, Millis now) const {
  const auto it = sent_.find(channel);
  if (it == sent_.end() || pace_.most == 0) return Millis(0);
  // allow keeps at most `most` JOINs, those within the window: the first of them must leave it.
  const std::deque<Millis>& times = it->second;
  if (times.size() < pace_.most) return Millis(0);
  return std::max(Millis(0), times.front() + pace_.window - now);
}

}  // namespace kestar::irc
