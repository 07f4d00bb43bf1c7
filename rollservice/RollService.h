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

#include "rollservice/RoomEpoch.h"

namespace kestar::rollservice {

using Millis = std::chrono::milliseconds;

// How much the service answers: per asker, and in all.
struct Limits {
  int burst = 3;              // requests of one nick answered at once
  Millis interval{1000};      // then one a interval
  Millis noticeEvery{60000};  // at most one notice to an asker within this
  std::size_t waiting = 10;   // lines of the service waiting to be sent, at most
};

// A line the service says, and what it is, so that the one who sends it can say what became of
// it (dropped).
struct Said {
  enum class Kind { Answer, Notice, Commit, Reveal, Gap };
  Kind kind = Kind::Answer;
  std::string target;  // the channel; the asker for a notice
  std::string text;
  std::uint64_t epoch = 0;  // of a commitment, reveal, gap or answer with dice
  std::uint64_t k = 0;      // of an answer with dice (0 for one without) or a gap
  // Of an answer with dice: who asked, the request and the dice.
  std::string asker{};
  std::string request{};
  std::vector<int> faces{};
};

// What the service does with a line said in a channel it serves.
struct Reply {
  enum class Kind {
    None,     // no request, or one the service never answers (its own, the roller's)
    Answer,   // lines to the channel
    Notice,   // the asker asks faster than answered, or for what only an operator may: one line
    Refused,  // not answered, without a word
  };
  Kind kind = Kind::None;
  std::vector<Said> lines;
};

// Where a line heard comes from: the network, or the person at this program, whose own lines the
// service never hears from the server (an echo of them is no request).
enum class Origin { Network, User };

// The room's roll service, on a clock the caller passes in. Text is in the 8-bit code page, as the
// room's lines are logged, since that is what the dice are derived from.
//
// Every served channel has an epoch (RoomEpoch): its commitment is said when serving starts, its
// answers k = 1, 2, ... take their dice from its seed, and its seed is revealed when it ends: when
// a channel operator asks for a new one ("//roll-epoch"), when it has run 24 hours, or when serving
// stops. An answer or epoch line the server may not have taken (dropped) is owed to the room: an
// answer is named by a gap line, a gap or reveal line is said again, an epoch whose commitment was
// lost is ended and another begun; all of it when serving resumes, before anything else.
//
// A nick's requests are answered `burst` at once, then one an interval; beyond that they are
// refused, with one notice to the asker at most once within noticeEvery. While `waiting` lines of
// the service wait to be sent, every request is refused without a word, so that answers never
// hold the person's own lines back longer than the answers already due take. Nothing heard from
// the network under the service's own nick or the roller's is answered, so that no two services
// answer each other; the person at this program is answered. Refused requests take no k.
class RollService final {
 public:
  using Fold = std::function<std::string(std::string_view)>;

  // fold: names as the network compares them (the text itself when not given).
  explicit RollService(std::string roller, Limits limits = {}, Fold fold = {},
                       RoomEpoch::SeedSource seeds = freshSeed);

  // The nick the service speaks under now.
  void setSelf(std::string nick) { self_ = std::move(nick); }
  // From the next request on; what each nick already asked keeps its place on the clock.
  void setLimits(Limits limits) { limits_ = limits; }

  // The service is in channel and serves it from now: the first epoch's commitment, or, for a
  // channel it served before, what the room is owed.
  std::vector<Said> serve(const std::string& channel, Millis now);
  // Serving ends in channel: what the room is owed, then the epoch's reveal.
  std::vector<Said> stop(const std::string& channel);
  // A new epoch in channel when its epoch has run its time: the old one's reveal, the new one's
  // commitment.
  std::vector<Said> renewExpired(const std::string& channel, Millis now);
  // When the epoch of channel runs out; nothing for a channel not served.
  std::optional<Millis> expiry(const std::string& channel);

  // A line said by nick in a served channel at now, while `waiting` lines of the service wait;
  // byOperator: nick is an operator of the channel now.
  Reply hear(const std::string& channel, const std::string& nick, const std::string& text,
             Millis now, std::size_t waiting, Origin origin = Origin::Network,
             bool byOperator = false);
  // A line the service said that the server may not have taken: false when nothing of it is owed
  // to a room (its channel is served no more).
  bool dropped(const Said& said);

 private:
  struct Asker {
    Millis due{0};  // when the next request is due without a burst
    std::optional<Millis> told;
  };
  struct Room {
    std::string channel;  // as first served, which is how its lines name it
    RoomEpoch epoch;
    std::vector<Said> owed{};
    bool commitLost = false;
  };

  std::string fold(std::string_view name) const;
  Room* find(std::string_view channel);
  void forgetIdle(Millis now);
  // Ends the room's epoch and begins the next, after what the room is owed.
  std::vector<Said> renew(Room& room, Millis now);
  // Whether the request may be answered by the pace of its asker; the notice or refusal if not.
  std::optional<Reply> overPace(const std::string& asker, const std::string& nick, Millis now,
                                std::size_t waiting);

  std::string roller_;
  std::string self_;
  Limits limits_;
  Fold fold_;
  RoomEpoch::SeedSource seeds_;
  std::map<std::string, Asker> askers_;  // by folded nick
  std::vector<Room> rooms_;
};

}  // namespace kestar::rollservice
