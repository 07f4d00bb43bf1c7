#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <numeric>
#include <sstream>

#include "rollservice/RollAnswer.h"
#include "rollservice/RoomEpoch.h"
#include "tally/Command.h"
#include "tally/Verify.h"

namespace kestar::test {
namespace {

using Lines = std::vector<std::string>;

const std::string kCommit =
    "OnlineHost:\tDice epoch 1 of #spar begins: its seed's SHA-256 is "
    "630dcd2966c4336691125448bbb25b4ff412a49c732db2c8abc1b8581bd710dd; the seed is shown when the "
    "epoch ends.";
const std::string kReveal =
    "OnlineHost:\tDice epoch 1 of #spar ends after 6 answers: its seed is "
    "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f; check the log with "
    "kestar-tally --verify.";
const std::string kRoll3 = "OnlineHost:\tZo\xEB rolled 4 100-sided dice:  28 98 31 30";

// A served spar of six answers, seed bytes 0 to 31; the values worked out apart from this code.
const Lines kSpar = {
    "Ann:\tready",
    kCommit,
    "OnlineHost:\tAnn rolled 4 100-sided dice:  72 41 20 91",
    "OnlineHost:\tBob rolled 4 100-sided dice:  53 24 62 34",
    kRoll3,
    "Cy:\tnice",
    "OnlineHost:\tAnn rolled 4 100-sided dice:  25 30 90 79",
    "OnlineHost:\tBob rolled 4 100-sided dice:  82 83 63 90",
    "OnlineHost:\tCy rolled 4 100-sided dice:  24 6 51 90",
    kReveal,
};

struct Verified {
  int status = -1;
  std::string out;
  std::string err;
};

Verified verify(const Lines& lines) {
  std::string log;
  for (const std::string& line : lines)
    log += line + "\r\n";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::tmpfile(), &std::fclose);
  std::fwrite(log.data(), 1, log.size(), in.get());
  std::rewind(in.get());
  std::ostringstream out;
  std::ostringstream err;
  const int status = tally::runTally({"--verify"}, in.get(), out, err);
  return {status, out.str(), err.str()};
}

Lines edited(Lines lines, const std::function<void(Lines&)>& edit) {
  edit(lines);
  return lines;
}

TEST(Verify, TheServicesOwnLinesMakeTheLogThatVerifies) {
  rollservice::Seed seed;
  std::iota(seed.begin(), seed.end(), std::uint8_t{0});
  rollservice::RoomEpoch epoch("#spar", {}, [&] { return seed; });
  Lines served = {"Ann:\tready", "OnlineHost:\t" + epoch.commitLine()};
  for (const std::string nick : {"Ann", "Bob", "Zo\xEB", "Ann", "Bob", "Cy"}) {
    const std::vector<int> faces = epoch.answer(nick, 4, 100).faces;
    std::size_t next = 0;
    served.push_back("OnlineHost:\t" +
                     rollservice::rollAnswer(nick, "//roll-dice4-sides100",
                                             [&](int) { return faces.at(next++); }));
    if (nick == std::string("Zo\xEB")) served.push_back("Cy:\tnice");
  }
  served.push_back("OnlineHost:\t" + epoch.renew({})[0]);
  EXPECT_EQ(served, kSpar);
  const Verified result = verify(served);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out,
            "Epoch 1 of #spar, lines 2 to 10: 6 rolls verified.\n"
            "10 lines read: 1 epoch revealed, 6 rolls verified, 0 lines not matching, 0 roll lines "
            "unverifiable.\n");
  EXPECT_EQ(result.err, "");
}

TEST(Verify, EveryChangedRemovedOrForgedLineIsNamed) {
  const auto at = [](std::size_t line) { return static_cast<std::ptrdiff_t>(line - 1); };
  const struct {
    const char* what;
    std::function<void(Lines&)> edit;
    int status;
    std::string out;
  } cases[] = {
      {"one value changed",
       [&](Lines& l) { l[at(5)] = "OnlineHost:\tZo\xEB rolled 4 100-sided dice:  28 98 31 31"; }, 1,
       "Epoch 1 of #spar, lines 2 to 10: 5 rolls verified, 1 not matching:\n"
       "  line 5: answer 3 (Zo\xEB, 4 100-sided dice): expected 28 98 31 30, found 28 98 31 31\n"},
      // What a later answer of the same roll would show, and still a changed line.
      {"changed to a later answer's values",
       [&](Lines& l) { l[at(5)] = "OnlineHost:\tZo\xEB rolled 4 100-sided dice:  61 78 18 54"; }, 1,
       "Epoch 1 of #spar, lines 2 to 10: 5 rolls verified, 1 not matching:\n"
       "  line 5: answer 3 (Zo\xEB, 4 100-sided dice): expected 28 98 31 30, found 61 78 18 54\n"},
      {"one line removed", [&](Lines& l) { l.erase(l.begin() + at(5)); }, 1,
       "Epoch 1 of #spar, lines 2 to 9: 5 rolls verified, 1 not matching:\n"
       "  line 6: answer 3 is missing before this line\n"},
      {"a forged line put in",
       [&](Lines& l) {
         l.insert(l.begin() + at(5), "OnlineHost:\tBob rolled 4 100-sided dice:  100 100 100 100");
       },
       1,
       "Epoch 1 of #spar, lines 2 to 11: 6 rolls verified, 1 not matching:\n"
       "  line 5: no answer of the epoch: Bob rolled 4 100-sided dice:  100 100 100 100\n"},
      {"a forged line after the last answer",
       [&](Lines& l) { l.insert(l.begin() + at(10), "OnlineHost:\tCy rolled 1 6-sided die:  6"); },
       1,
       "Epoch 1 of #spar, lines 2 to 11: 6 rolls verified, 1 not matching:\n"
       "  line 10: more answers than the 6 of the epoch: Cy rolled 1 6-sided die:  6\n"},
      {"the count of answers lowered",
       [&](Lines& l) { l[at(10)].replace(l[at(10)].find("6 answers"), 1, "5"); }, 1,
       "Epoch 1 of #spar, lines 2 to 10: 5 rolls verified, 1 not matching:\n"
       "  line 9: more answers than the 5 of the epoch: Cy rolled 4 100-sided dice:  24 6 51 90\n"},
      {"the last answer removed", [&](Lines& l) { l.erase(l.begin() + at(9)); }, 1,
       "Epoch 1 of #spar, lines 2 to 9: 5 rolls verified, 1 not matching:\n"
       "  line 9: answer 6 is missing before this line\n"},
      {"a roll line the service never writes",
       [&](Lines& l) { l[at(6)] = "OnlineHost:\tCy rolled 2 dice: 66"; }, 1,
       "Epoch 1 of #spar, lines 2 to 10: 6 rolls verified, 1 not matching:\n"
       "  line 6: not an answer of the roll service: Cy rolled 2 dice: 66\n"},
      {"another commitment", [&](Lines& l) { l[at(2)].replace(l[at(2)].find("630d"), 4, "730d"); },
       1,
       "Epoch 1 of #spar, lines 2 to 10: 6 rolls verified, 1 not matching:\n"
       "  line 2: the seed revealed on line 10 does not give this commitment\n"},
      {"a gap named and missing",
       [&](Lines& l) {
         l[at(5)] =
             "OnlineHost:\tDice epoch 1 of #spar: answer 3 was not confirmed by the server and "
             "may be missing from the room.";
       },
       0, "Epoch 1 of #spar, lines 2 to 10: 5 rolls verified.\n"},
      {"a gap named and there after all",
       [&](Lines& l) {
         l[at(6)] =
             "OnlineHost:\tDice epoch 1 of #spar: answer 3 was not confirmed by the server and "
             "may be missing from the room.";
       },
       0, "Epoch 1 of #spar, lines 2 to 10: 6 rolls verified.\n"},
      {"started late", [&](Lines& l) { l.erase(l.begin(), l.begin() + at(5)); }, 0,
       "Epoch 1 of #spar, lines 1 to 6 (the log starts inside it; checked from answer 3): 4 rolls "
       "verified.\n"},
      {"started late, a gap missing",
       [&](Lines& l) {
         l.erase(l.begin(), l.begin() + at(4));
         l[0] =
             "OnlineHost:\tDice epoch 1 of #spar: answer 2 was not confirmed by the server and "
             "may be missing from the room.";
       },
       0,
       "Epoch 1 of #spar, lines 2 to 7 (the log starts inside it; checked from answer 3): 4 rolls "
       "verified.\n"},
      {"never revealed, and rolls after the reveal",
       [&](Lines& l) {
         l.push_back("OnlineHost:\tCy rolled 1 6-sided die:  6");
         l.push_back(kCommit);
         l.push_back(kRoll3);
       },
       0,
       "Epoch 1 of #spar, lines 2 to 10: 6 rolls verified.\n"
       "line 11: unverifiable, outside any revealed epoch: Cy rolled 1 6-sided die:  6\n"
       "line 13: unverifiable, epoch 1 of #spar is not revealed in the log: Zo\xEB rolled 4 "
       "100-sided dice:  28 98 31 30\n"},
      // Only the service's lines count; another name cannot commit, reveal or roll.
      {"lines of other names",
       [&](Lines& l) {
         l.insert(l.begin() + at(3), "~OnlineHost:\tBob rolled 4 100-sided dice:  100 100 100 100");
         l.insert(l.begin() + at(3), "Bob:" + kReveal.substr(kReveal.find('\t')));
       },
       0, "Epoch 1 of #spar, lines 2 to 12: 6 rolls verified.\n"},
  };
  for (const auto& c : cases) {
    const Lines log = edited(kSpar, c.edit);
    const Verified result = verify(log);
    EXPECT_EQ(result.status, c.status) << c.what;
    EXPECT_EQ(result.out.substr(0, result.out.rfind('\n', result.out.size() - 2) + 1), c.out)
        << c.what;
  }
}

TEST(Verify, ClosingLineCountsAndTheOptionGoesAlone) {
  Lines twice = kSpar;
  twice.insert(twice.end(), kSpar.begin() + 1, kSpar.end());
  twice[12] = "OnlineHost:\tAnn rolled 4 100-sided dice:  25 30 90 78";
  twice.push_back("OnlineHost:\tCy rolled 1 6-sided die:  6");
  const Verified result = verify(twice);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out.substr(result.out.rfind('\n', result.out.size() - 2) + 1),
            "20 lines read: 2 epochs revealed, 11 rolls verified, 1 line not matching, 1 roll line "
            "unverifiable.\n");

  for (const std::vector<std::string_view>& arguments :
       {std::vector<std::string_view>{"--verify", "--csv"},
        {"--fairness", "--verify"},
        {"--verify", "--bold"}}) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(tally::runTally(arguments, stdin, out, err), 2);
    EXPECT_EQ(err.str(),
              "kestar-tally: --verify goes alone\nkestar-tally --help tells how to use it.\n");
  }
}

TEST(AnswerLine, ReadsWhatTheServiceWritesAndNothingElse) {
  const std::function<int(int)> counting = [next = 0](int) mutable { return ++next; };
  tally::AnswerLine answer;
  const struct {
    std::string line;
    std::string nick;
    int dice;
    int sides;
    std::vector<std::string_view> values;
  } cases[] = {
      {rollservice::rollAnswer("Bob", "//roll", counting), "Bob", 2, 6, {"1", "2"}},
      {rollservice::rollAnswer("Zo\xEB", "//roll-dice1-sides999", counting),
       "Zo\xEB",
       1,
       999,
       {"3"}},
      {rollservice::rollAnswer("A rolled B", "//roll-dice15-sides20", counting),
       "A rolled B",
       15,
       20,
       {"4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "16", "17", "18"}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(tally::readAnswerLine(c.line, answer)) << c.line;
    EXPECT_EQ(answer.nick, c.nick);
    EXPECT_EQ(answer.dice, c.dice);
    EXPECT_EQ(answer.sides, c.sides);
    EXPECT_EQ(answer.values, c.values);
  }
  for (const std::string bad :
       {"Bob rolled 2 6-sided dice:  1", "Bob rolled 2 6-sided dice:  1 2 3",
        "Bob rolled 2 6-sided dice: 1 2", "Bob rolled 1 6-sided dice:  1",
        "Bob rolled 2 6-sided die:  1 2", "Bob rolled 2 6-sided dice:  1 x",
        "Bob rolled 02 6-sided dice:  1 2", "rolled 1 6-sided die:  1", " rolled 1 6-sided die:  1",
        "Bob rolled 1 1-sided die:  1", "Bob rolled 1000 6-sided dice:  1",
        "Bob rolled 1 6-sided die:  1 ",
        "Sorry, Bob: use //roll or //roll-diceN-sidesS (N 1-15, S 2-999)."}) {
    EXPECT_FALSE(tally::readAnswerLine(bad, answer)) << bad;
  }
}

}  // namespace
}  // namespace kestar::test
