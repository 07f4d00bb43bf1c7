#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>

#include "rollservice/FairDice.h"
#include "rollservice/RollAnswer.h"
#include "rollservice/RollService.h"

namespace kestar::rollservice {
namespace {

std::string answerTo(const std::string& line) {
  int next = 0;
  return rollAnswer("Bob", line, [&](int sides) { return sides - next++; });
}

TEST(RollAnswer, AnswersRollRequestsInItsOwnLineFormat) {
  EXPECT_EQ(answerTo("//roll"), "Bob rolled 2 6-sided dice:  6 5");
  EXPECT_EQ(answerTo("//roll-dice1-sides20"), "Bob rolled 1 20-sided die:  20");
  EXPECT_EQ(answerTo("//roll-dice4-sides100"), "Bob rolled 4 100-sided dice:  100 99 98 97");
  EXPECT_EQ(answerTo("//roll-dice15-sides999").size(),
            std::string("Bob rolled 15 999-sided dice: ").size() + 15 * 4);
  EXPECT_EQ(answerTo("//roll-dice2-sides2"), "Bob rolled 2 2-sided dice:  2 1");
  EXPECT_EQ(answerTo("hello //roll"), "");
  EXPECT_EQ(answerTo("just talking"), "");
  for (const char* bad : {"//roll-dice0-sides6", "//roll-dice16-sides6", "//roll-dice2-sides1",
                          "//roll-dice2-sides1000", "//roll-dice2", "//rollx", "//roll-dice-sides6",
                          "//roll-dicex-sides6", "//roll-dice2-sides6 ", "//roll-dice2-sides+6"}) {
    const std::string answer = answerTo(bad);
    EXPECT_EQ(answer.rfind("Sorry, Bob", 0), 0u) << bad;
    EXPECT_EQ(answer.find("rolled"), std::string::npos) << bad;
  }
}

TEST(FairDice, EveryFaceEquallyOftenAndNoOther) {
  std::seed_seq seeds{1, 2, 3};
  FairDice dice(seeds);
  std::map<int, int> counts;
  for (int i = 0; i < 60000; ++i)
    ++counts[dice(6)];
  ASSERT_EQ(counts.size(), 6u);
  EXPECT_EQ(counts.begin()->first, 1);
  EXPECT_EQ(counts.rbegin()->first, 6);
  for (const auto& [face, count] : counts)
    EXPECT_NEAR(count, 10000, 500) << face;
  FairDice seeded;
  std::set<int> faces;
  for (int i = 0; i < 5000; ++i)
    faces.insert(seeded(999));
  EXPECT_GT(faces.size(), 900u);
  EXPECT_TRUE(faces.count(0) == 0 && faces.count(1000) == 0);
}

}  // namespace
}  // namespace kestar::rollservice

namespace kestar::rollservice {
namespace {

// The seeds of the epochs in the order drawn, by every room: bytes 0 to 31, the first byte the
// draw's number.
RoomEpoch::SeedSource countedSeeds() {
  return [drawn = std::make_shared<std::uint8_t>(0)] {
    Seed seed;
    for (std::size_t i = 0; i < seed.size(); ++i)
      seed[i] = static_cast<std::uint8_t>(i);
    seed[0] = (*drawn)++;
    return seed;
  };
}

std::string lower(std::string_view name) {
  std::string folded(name);
  for (char& c : folded)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

std::vector<std::string> texts(const std::vector<Said>& lines) {
  std::vector<std::string> all;
  for (const Said& line : lines)
    all.push_back(line.text);
  return all;
}

// Requests heard in order. The values were worked out apart from this code, with Python's hmac
// from the seeds of epoch 1 of #a (first byte 0) and #b (first byte 1).
TEST(RollService, AnswersWithinEachAskersPaceAndNumbersTheRolls) {
  using Kind = Reply::Kind;
  RollService service("DiceHost", Limits{}, lower, countedSeeds());
  service.setSelf("Kestar");
  ASSERT_EQ(service.serve("#a", Millis(0)).size(), 1u);
  ASSERT_EQ(service.serve("#b", Millis(0)).size(), 1u);
  const char* tooFast =
      "bob, your rolls come faster than they are answered (3 at once, then one each 1 s): the "
      "others are not answered.";
  const struct {
    int ms;
    const char* channel;
    const char* nick;
    const char* text;
    std::size_t waiting;
    Kind kind;
    const char* reply;
    std::uint64_t k;
    Origin origin = Origin::Network;
  } heard[] = {
      {0, "#a", "bob", "//roll", 0, Kind::Answer, "bob rolled 2 6-sided dice:  1 1", 1},
      {0, "#a", "bob", "//roll-dice1-sides20", 1, Kind::Answer, "bob rolled 1 20-sided die:  1", 2},
      {0, "#a", "bob", "//rollx", 2, Kind::Answer,
       "Sorry, bob: use //roll or //roll-diceN-sidesS (N 1-15, S 2-999).", 0},
      {0, "#a", "bob", "//roll", 3, Kind::Notice, tooFast, 0},
      {500, "#a", "BOB", "//roll", 0, Kind::Refused, "", 0},
      {1000, "#A", "bob", "//roll-dice3-sides4", 0, Kind::Answer,
       "bob rolled 3 4-sided dice:  3 1 3", 3},
      {1000, "#a", "bob", "//roll", 0, Kind::Refused, "", 0},
      {1000, "#b", "ann", "//roll", 0, Kind::Answer, "ann rolled 2 6-sided dice:  1 2", 1},
      // Heard from the network under the roller's nick or the service's own: never answered.
      {1000, "#b", "dicehost", "//roll", 0, Kind::None, "", 0},
      {1000, "#b", "KESTAR", "//roll", 0, Kind::None, "", 0},
      {1000, "#b", "ann", "hello //roll", 0, Kind::None, "", 0},
      {1000, "#c", "ann", "//roll", 0, Kind::None, "", 0},
      // Ten lines of the service waiting: nothing more, not even a notice, and no pace used.
      {1000, "#b", "cy", "//roll", 10, Kind::Refused, "", 0},
      {1000, "#b", "cy", "//roll", 9, Kind::Answer, "cy rolled 2 6-sided dice:  1 3", 2},
      // The person at this program asks.
      {1000, "#b", "Kestar", "//roll", 0, Kind::Answer, "Kestar rolled 2 6-sided dice:  2 5", 3,
       Origin::User},
      // A minute after the last notice, another.
      {60000, "#a", "bob", "//roll", 0, Kind::Answer, "bob rolled 2 6-sided dice:  6 5", 4},
      {60000, "#a", "bob", "//roll", 0, Kind::Answer, "bob rolled 2 6-sided dice:  6 4", 5},
      {60000, "#a", "bob", "//roll", 0, Kind::Answer, "bob rolled 2 6-sided dice:  1 5", 6},
      {60000, "#a", "bob", "//roll", 0, Kind::Notice, tooFast, 0},
  };
  for (const auto& h : heard) {
    const Reply reply = service.hear(h.channel, h.nick, h.text, Millis(h.ms), h.waiting, h.origin);
    SCOPED_TRACE(std::to_string(h.ms) + " " + h.nick + " " + h.text);
    EXPECT_EQ(reply.kind, h.kind);
    EXPECT_EQ(texts(reply.lines),
              *h.reply ? std::vector<std::string>{h.reply} : std::vector<std::string>{});
    EXPECT_EQ(reply.lines.empty() ? 0 : reply.lines.back().k, h.k);
    if (h.kind == Kind::Notice) {
      EXPECT_EQ(reply.lines.front().target, h.nick);
    }
  }
}

// One room's epochs from start to end, with lines lost on the way; the hashes and values were
// worked out apart from this code, with Python's hashlib and hmac.
TEST(RollService, EpochsBeginEndAndOweTheRoomWhatItMayNotHaveSeen) {
  using namespace std::chrono_literals;
  RollService service("DiceHost", Limits{}, lower, countedSeeds());
  service.setSelf("Kestar");
  const auto commit = [](const char* number, const char* hash) {
    return std::string("Dice epoch ") + number + " of #spar begins: its seed's SHA-256 is " + hash +
           "; the seed is shown when the epoch ends.";
  };
  const auto reveal = [](const char* number, const char* answers, const char* firstByte) {
    return std::string("Dice epoch ") + number + " of #spar ends after " + answers +
           ": its seed is " + firstByte +
           "0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f; check the log with "
           "kestar-tally --verify.";
  };
  const std::string commit1 =
      commit("1", "630dcd2966c4336691125448bbb25b4ff412a49c732db2c8abc1b8581bd710dd");
  const std::string commit2 =
      commit("2", "cac2f595781630e4e929c6f9d5ab3986c861d731b4c6cb868380353c48e80d61");
  const std::string commit3 =
      commit("3", "971b2f74a39ea1bfd5428bc43001c10cf4e66869879118888d4a3ae1b90efeeb");
  const std::string commit4 =
      commit("4", "b109200613d2d65f855a2bf45293f834825d633666636d22b06fb4c6089bdfc2");
  const std::string gap2 =
      "Dice epoch 2 of #spar: answer 1 was not confirmed by the server and may be missing from "
      "the room.";

  // Each step's lines, what of them is then lost, and the lines the next step says.
  std::vector<Said> last;
  const auto heard = [&](Millis at, const char* nick, const char* text, bool op = false) {
    last = service.hear("#SPAR", nick, text, at, 0, Origin::Network, op).lines;
    return texts(last);
  };
  const auto lose = [&](std::size_t line) { return service.dropped(last.at(line)); };
  using Lines = std::vector<std::string>;

  EXPECT_EQ(texts(last = service.serve("#spar", 0ms)), Lines{commit1});
  EXPECT_EQ(heard(0ms, "bob", "//roll"), Lines{"bob rolled 2 6-sided dice:  4 6"});
  // Only an operator starts a new epoch; anyone else is told so, within the limits.
  EXPECT_EQ(heard(0ms, "ann", "//roll-epoch"),
            Lines{"ann, only a channel operator of #spar starts a new dice epoch."});
  EXPECT_EQ(heard(0ms, "cy", "//roll-epoch", true),
            (Lines{reveal("1", "1 answer", "00"), commit2}));
  EXPECT_EQ(heard(0ms, "bob", "//roll"), Lines{"bob rolled 2 6-sided dice:  5 5"});
  EXPECT_TRUE(lose(0));
  EXPECT_EQ(texts(service.serve("#spar", 1s)), Lines{gap2});
  EXPECT_EQ(texts(service.serve("#spar", 1s)), Lines{});
  // The gap line and the new epoch's commitment lost: named again, and that epoch ended.
  last = {Said{Said::Kind::Gap, "#spar", gap2, 2, 1},
          Said{Said::Kind::Commit, "#spar", commit2, 2, 0}};
  EXPECT_TRUE(lose(0));
  EXPECT_TRUE(lose(1));
  EXPECT_EQ(texts(last = service.serve("#spar", 2s)),
            (Lines{gap2, reveal("2", "1 answer", "01"), commit3}));
  EXPECT_TRUE(lose(1));
  EXPECT_EQ(texts(service.serve("#spar", 2s)), Lines{reveal("2", "1 answer", "01")});

  // A day after it began: the epoch ends on the next request, or when its time is up.
  EXPECT_EQ(service.expiry("#spar"), 86402000ms);
  EXPECT_EQ(heard(86401999ms, "bob", "//roll-dice1-sides6"), Lines{"bob rolled 1 6-sided die:  2"});
  EXPECT_EQ(texts(service.renewExpired("#spar", 86401999ms)), Lines{});
  EXPECT_EQ(heard(86402000ms, "bob", "//roll"),
            (Lines{reveal("3", "1 answer", "02"), commit4, "bob rolled 2 6-sided dice:  5 1"}));

  // Serving stops: the epoch revealed after what the room is owed; nothing owed any more.
  EXPECT_TRUE(lose(2));
  EXPECT_EQ(texts(last = service.stop("#Spar")),
            (Lines{"Dice epoch 4 of #spar: answer 1 was not confirmed by the server and may be "
                   "missing from the room.",
                   reveal("4", "1 answer", "03")}));
  EXPECT_FALSE(lose(1));
  EXPECT_EQ(heard(86402000ms, "bob", "//roll"), Lines{});
  EXPECT_EQ(service.expiry("#spar"), std::nullopt);
}

}  // namespace
}  // namespace kestar::rollservice
