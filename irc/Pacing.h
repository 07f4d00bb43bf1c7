#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
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

// How a said line is delivered when the connection is lost before the server showed it had read
// the line: the person's own chat goes again on the next connection (at least once); a roll answer
// is dropped (at most once), since the server may have read it already.
enum class Delivery { AtLeastOnce, AtMostOnce };

// A line for the server; a said text's pieces carry its ticket.
struct Outgoing {
  std::string line;
  std::uint64_t ticket = 0;  // 0 for a line that is no said text
  Delivery delivery = Delivery::AtLeastOnce;
  friend bool operator==(const Outgoing&, const Outgoing&) = default;
};

// The lines of one connection, in the order they were asked for: a burst of `burst` lines, then
// one line per interval. Never reordered; only urgent lines (the answer to the server's PING) pass
// the queue and its pacing.
class SendQueue final {
 public:
  explicit SendQueue(Pace pace = {}) : pace_(pace) {}

  void push(Outgoing line) { lines_.push_back(std::move(line)); }
  // Before every queued line, in their own order: what a new connection must send first (the
  // rooms it rejoins, the said lines not confirmed on the last one).
  void pushFront(const std::vector<Outgoing>& lines);
  void pushUrgent(std::string line) { urgent_.push_back(Outgoing{std::move(line)}); }
  // Takes the queued lines out that `drop` picks, and gives them back in order.
  std::vector<Outgoing> remove(const std::function<bool(const Outgoing&)>& drop);

  // From the next line on; what was sent keeps its place on the clock.
  void setPace(Pace pace) { pace_ = pace; }
  // While held (the connection is not ready for them) only urgent lines go.
  void hold(bool held) { held_ = held; }

  // The lines that may go at now, in order.
  std::vector<Outgoing> take(Millis now);
  // When the next line may go; nothing when none waits.
  std::optional<Millis> due(Millis now) const;
  // A new connection: a full burst again. Urgent lines belonged to the old one.
  void restart(Millis now);
  std::size_t size() const { return lines_.size(); }

 private:
  Pace pace_;
  std::deque<Outgoing> lines_;
  std::vector<Outgoing> urgent_;
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

// When to ask the server again for the wanted nick while it has given the program another: at
// once when the nick's holder is seen leaving, and every `every` until the nick is won back.
class NickReclaim final {
 public:
  explicit NickReclaim(Millis every = Millis(30000)) : every_(every) {}

  // Signed on under another nick: the first ask is due a period from now.
  void start(Millis now);
  // The wanted nick is the program's again, or the connection is gone.
  void stop() { due_.reset(); }
  void holderLeft(Millis now);
  // Whether to ask at now; an ask puts the next a period later.
  bool take(Millis now);
  std::optional<Millis> due() const { return due_; }

 private:
  Millis every_;
  std::optional<Millis> due_;
};

// JOINs of one channel a network accepts before it refuses them as a flood: at most `most`
// within any `window` (0: as many as asked).
struct JoinPace {
  std::size_t most = 2;
  Millis window{90000};
};

// The program's knocks at a full room ask only what the join pace allows.
class JoinPacer final {
 public:
  explicit JoinPacer(JoinPace pace = {}) : pace_(pace) {}
  // Whether a JOIN of the channel (folded name) may go at now; counts it when it may.
  bool allow(const std::string& channel, Millis now);
  // How long from now until a JOIN of the channel may go (0: at once).
  Millis wait(const std::string& channel, Millis now) const;

 private:
  JoinPace pace_;
  std::map<std::string, std::deque<Millis>> sent_;
};

}  // namespace kestar::irc
