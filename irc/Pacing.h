#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

// When lines may go to the server: pure rules on a clock the caller passes in.
namespace kestar::irc {

using Millis = std::chrono::milliseconds;

struct Pace {
  int burst = 4;
  Millis interval{1000};
};

// The lines of one connection, in the order they were asked for: a burst of `burst` lines, then
// one line per interval. Never reordered, never dropped; only urgent lines (the answer to the
// server's PING) pass the queue and its pacing.
class SendQueue final {
 public:
  explicit SendQueue(Pace pace = {}) : pace_(pace) {}

  void push(std::string line) { lines_.push_back(std::move(line)); }
  // Before every queued line, in their own order: what a new connection must send first (the
  // rooms it rejoins).
  void pushFront(const std::vector<std::string>& lines);
  void pushUrgent(std::string line) { urgent_.push_back(std::move(line)); }

  // From the next line on; what was sent keeps its place on the clock.
  void setPace(Pace pace) { pace_ = pace; }
  // While held (the connection is not ready for them) only urgent lines go.
  void hold(bool held) { held_ = held; }

  // The lines that may go at now, in order.
  std::vector<std::string> take(Millis now);
  // When the next line may go; nothing when none waits.
  std::optional<Millis> due(Millis now) const;
  // A new connection: a full burst again. Urgent lines belonged to the old one.
  void restart(Millis now);
  std::size_t size() const { return lines_.size(); }

 private:
  Pace pace_;
  std::deque<std::string> lines_;
  std::vector<std::string> urgent_;
  Millis due_{0};  // when the line after the last sent is due without a burst
  bool held_ = false;
};

// The waits before each new attempt after the connection was lost: 1 s, doubling, at most 60 s.
class Backoff final {
 public:
  Millis next();
  void reset() { attempts_ = 0; }

 private:
  int attempts_ = 0;
};

// JOINs of one channel a network accepts before it refuses them as a flood: at most `most`
// within any `window`. The program's knocks at a full room ask only what this allows.
class JoinPacer final {
 public:
  explicit JoinPacer(std::size_t most = 2, Millis window = Millis(90000))
      : most_(most), window_(window) {}
  // Whether a JOIN of the channel (folded name) may go at now; counts it when it may.
  bool allow(const std::string& channel, Millis now);

 private:
  std::size_t most_;
  Millis window_;
  std::map<std::string, std::deque<Millis>> sent_;
};

}  // namespace kestar::irc
