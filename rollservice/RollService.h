#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestar::rollservice {

using Millis = std::chrono::milliseconds;

// How much the service answers: per asker, and in all.
struct Limits {
  int burst = 3;              // requests of one nick answered at once
  Millis interval{1000};      // then one a interval
  Millis noticeEvery{60000};  // at most one notice to an asker within this
  std::size_t waiting = 10;   // lines of the service waiting to be sent, at most
};

// One answer to roll: its channel, its number there (k = 1, 2, ...), who asked, and the dice.
struct Draw {
  std::string channel;
  std::uint64_t k = 0;
  std::string nick;
  int dice = 0;
  int sides = 0;
};
// Where an answer's values come from: one per die, each from 1 to sides.
using DiceSource = std::function<std::vector<int>(const Draw& draw)>;
// Values from FairDice, whatever the answer's number.
DiceSource fairDice();

// What the service does with a line said in a channel it serves.
struct Reply {
  enum class Kind {
    None,     // no request, or one the service never answers (its own, the roller's)
    Answer,   // text goes to the channel
    Notice,   // the asker asks faster than answered: text goes to the asker
    Refused,  // not answered, without a word
  };
  Kind kind = Kind::None;
  std::string text;
  std::uint64_t k = 0;  // an answer's number in its channel; 0 for one without dice
};

// The room's roll service, on a clock the caller passes in. A nick's requests are answered
// `burst` at once, then one an interval; beyond that they are refused, with one notice to the
// asker at most once within noticeEvery. While `waiting` lines of the service wait to be sent,
// every request is refused without a word, so that answers never hold the person's own lines back
// longer than the answers already due take. Nothing is answered to the service's own nick nor to
// the roller's. Each channel's answered rolls are numbered k = 1, 2, ..., their values drawn from
// the source by that number; refused requests take none.
class RollService final {
 public:
  using Fold = std::function<std::string(std::string_view)>;

  // fold: names as the network compares them (the text itself when not given).
  RollService(std::string roller, DiceSource dice, Limits limits = {}, Fold fold = {});

  // The nick the service speaks under now.
  void setSelf(std::string nick) { self_ = std::move(nick); }
  // A line said by nick in a served channel at now, while `waiting` lines of the service wait.
  Reply hear(const std::string& channel, const std::string& nick, const std::string& text,
             Millis now, std::size_t waiting);

 private:
  struct Asker {
    Millis due{0};  // when the next request is due without a burst
    std::optional<Millis> told;
  };

  std::string fold(std::string_view name) const;
  void forgetIdle(Millis now);

  std::string roller_;
  std::string self_;
  DiceSource dice_;
  Limits limits_;
  Fold fold_;
  std::map<std::string, Asker> askers_;            // by folded nick
  std::map<std::string, std::uint64_t> answered_;  // the last k, by folded channel
};

}  // namespace kestar::rollservice
