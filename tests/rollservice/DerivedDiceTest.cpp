#include <gtest/gtest.h>

#include <numeric>

#include "chatlink/CodePage.h"
#include "dice/rules/RollLine.h"
#include "rollservice/DerivedDice.h"
#include "rollservice/EpochLines.h"
#include "rollservice/RoomEpoch.h"
#include "rollservice/Sha256.h"
#include "rollservice/SystemRandom.h"
#include "spar/rules/SparRules.h"

namespace kestar::rollservice {
namespace {

// Bytes 0, 1, ..., 31.
Seed countingSeed() {
  Seed seed;
  std::iota(seed.begin(), seed.end(), std::uint8_t{0});
  return seed;
}

std::string repeated(char byte, std::size_t count) {
  return std::string(count, byte);
}

TEST(Sha256, PublishedExamplesWholeAndInPieces) {
  const struct {
    std::string message;
    std::string digest;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmn"
       "opqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {repeated('a', 1000000), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(toHex(sha256(c.message)), c.digest) << c.message.size();
    // Pieces that end inside a block, on its edge and across several.
    for (const std::size_t piece : {1, 55, 64, 100}) {
      Sha256 hash;
      for (std::size_t at = 0; at < c.message.size(); at += piece)
        hash.add(std::string_view(c.message).substr(at, piece));
      EXPECT_EQ(toHex(hash.finish()), c.digest) << c.message.size() << " by " << piece;
    }
  }
}

TEST(HmacSha256, PublishedExamples) {
  std::string key4;
  for (char byte = 1; byte <= 25; ++byte)
    key4 += byte;
  const struct {
    std::string key;
    std::string data;
    std::string mac;
  } cases[] = {
      {repeated('\x0b', 20), "Hi There",
       "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
      {"Jefe", "what do ya want for nothing?",
       "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
      {repeated('\xaa', 20), repeated('\xdd', 50),
       "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
      {key4, repeated('\xcd', 50),
       "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
      {repeated('\x0c', 20), "Test With Truncation", "a3b6167473100ee06e0c796c2955552b"},
      {repeated('\xaa', 131), "Test Using Larger Than Block-Size Key - Hash Key First",
       "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
      {repeated('\xaa', 131),
       "This is a test using a larger than block-size key and a larger than block-size data. The "
       "key needs to be hashed before being used by the HMAC algorithm.",
       "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
  };
  for (const auto& c : cases) {
    const HmacSha256 hmac(c.key);
    EXPECT_EQ(toHex(hmac.mac(c.data)).substr(0, c.mac.size()), c.mac) << c.data;
    // The key's hashed blocks are used again, untouched, for the next message.
    EXPECT_EQ(toHex(hmac.mac(c.data)).substr(0, c.mac.size()), c.mac) << c.data;
  }
}

// The expected faces were worked out apart from this code, with Python's hmac and hashlib.
TEST(DerivedDice, FacesOfKnownAnswersAndEveryNamePartCounts) {
  constexpr int kThird = 1431655766;  // 2^32 / 3 + 1: a word in three is passed over
  const struct {
    AnswerName answer;
    std::vector<int> faces;
  } cases[] = {
      {{1, "#spar", 1, "Bob", 4, 6}, {3, 3, 6, 1}},
      {{1, "#spar", 2, "Bob", 4, 6}, {1, 4, 4, 6}},
      {{2, "#spar", 1, "Bob", 4, 6}, {6, 2, 3, 3}},
      {{1, "#Spar", 1, "Bob", 4, 6}, {2, 5, 2, 1}},
      {{1, "#spar", 1, "bob", 4, 6}, {3, 3, 6, 5}},
      {{1, "#spar", 1, "Bob", 4, 20}, {15, 2, 14, 6}},
      {{1, "#spar", 1, "Bob", 3, 16}, {13, 10, 6}},
      {{7, "#spar", 5, "Ann", 2, 100}, {9, 49}},
      {{1, "#spar", 1, "Bob", 1, 999}, {542}},
      // 15 dice read a second block.
      {{3, "Spar Room", 17, "Zo\xEB", 15, 20},
       {8, 16, 19, 20, 5, 6, 6, 18, 15, 16, 9, 2, 2, 12, 6}},
      // Four words passed over within the first block.
      {{1, "#spar", 13, "Bob", 4, kThird}, {494473724, 791924501, 273812194, 304089690}},
      // Seven passed over: the seventh die comes from the second block.
      {{1, "#spar", 1, "Bob", 7, kThird},
       {265679294, 139884764, 1327551071, 912449451, 14133706, 93622154, 876320729}},
      {{1, "#spar", 1, "Bob", 0, 6}, {}},
      {{1, "#spar", 1, "Bob", 2, 0}, {}},
  };
  DerivedDice dice(countingSeed());
  for (const auto& c : cases) {
    EXPECT_EQ(dice.faces(c.answer), c.faces)
        << c.answer.epoch << " " << c.answer.room << " " << c.answer.k << " " << c.answer.nick
        << " " << c.answer.dice << "d" << c.answer.sides;
  }
  EXPECT_EQ(toHex(commitment(countingSeed())),
            "630dcd2966c4336691125448bbb25b4ff412a49c732db2c8abc1b8581bd710dd");
}

// What the counter and the Init window make of a line the service says.
void expectNoRoll(const std::string& line) {
  const Text text = chatlink::fromCodePage(line);
  const rolls::RollOutcome outcome = rolls::countRoll(rolls::kService, text, u" ");
  ASSERT_TRUE(outcome.skipped.has_value()) << line;
  EXPECT_EQ(*outcome.skipped, rolls::Skip::NoNumberAtTheEnd) << line;
  EXPECT_FALSE(rolls::initiativeRoll(rolls::kService, text).has_value()) << line;
  EXPECT_FALSE(spar::rollRow(rolls::kService, text, {}).has_value()) << line;
}

TEST(EpochLines, WrittenReadBackAndNeverARollLine) {
  Seed seed = countingSeed();
  const Commitment commit{3, "#spar", commitment(seed)};
  const std::string commitText = commitLine(commit);
  EXPECT_EQ(commitText,
            "Dice epoch 3 of #spar begins: its seed's SHA-256 is "
            "630dcd2966c4336691125448bbb25b4ff412a49c732db2c8abc1b8581bd710dd; the seed is shown "
            "when the epoch ends.");
  const std::string revealText = revealLine({3, "#spar", 50, seed});
  EXPECT_EQ(revealText,
            "Dice epoch 3 of #spar ends after 50 answers: its seed is "
            "000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f; check the log with "
            "kestar-tally --verify.");
  EXPECT_TRUE(revealLine({1, "#spar", 1, seed})
                  .starts_with("Dice epoch 1 of #spar ends after 1 answer: its seed is 0001"));
  const std::string gapText = gapLine({3, "#spar", 17});
  EXPECT_EQ(gapText,
            "Dice epoch 3 of #spar: answer 17 was not confirmed by the server and may be missing "
            "from the room.");

  // Any room, whatever it holds or ends in, and any number, read back whole.
  for (const std::string room : {"#spar", "Spar Room 12", "Zo\xEB's", "rolled 7", " of 9 ", "x"}) {
    for (const std::uint64_t n :
         {std::uint64_t{1}, std::uint64_t{0}, std::uint64_t{18446744073709551615u}}) {
      seed[0] = static_cast<std::uint8_t>(n);
      const std::string lines[] = {commitLine({n, room, commitment(seed)}),
                                   revealLine({n, room, n, seed}), gapLine({n, room, n})};
      const auto c = readCommitLine(lines[0]);
      ASSERT_TRUE(c) << lines[0];
      EXPECT_EQ(c->epoch, n);
      EXPECT_EQ(c->room, room);
      EXPECT_EQ(c->hash, commitment(seed));
      const auto r = readRevealLine(lines[1]);
      ASSERT_TRUE(r) << lines[1];
      EXPECT_EQ(r->epoch, n);
      EXPECT_EQ(r->room, room);
      EXPECT_EQ(r->answers, n);
      EXPECT_EQ(r->seed, seed);
      const auto g = readGapLine(lines[2]);
      ASSERT_TRUE(g) << lines[2];
      EXPECT_EQ(g->epoch, n);
      EXPECT_EQ(g->room, room);
      EXPECT_EQ(g->k, n);
      for (const std::string& line : lines) {
        expectNoRoll(line);
        EXPECT_EQ(line.find("rolled", line.find(room) + room.size()), std::string::npos) << line;
      }
      EXPECT_FALSE(readRevealLine(lines[0]) || readGapLine(lines[0]));
      EXPECT_FALSE(readCommitLine(lines[1]) || readGapLine(lines[1]));
      EXPECT_FALSE(readCommitLine(lines[2]) || readRevealLine(lines[2]));
    }
  }

  // Each line with one part spoilt.
  const auto spoilt = [](std::string line, std::string_view part, std::string_view with) {
    return line.replace(line.find(part), part.size(), with);
  };
  for (const std::string& bad :
       {commitText.substr(1), commitText.substr(0, commitText.size() - 1),
        spoilt(commitText, "0dd;", "0d;"), spoilt(commitText, "0dd;", "0dg;"),
        spoilt(commitText, "#spar", ""), spoilt(commitText, " 3 ", " -3 ")}) {
    EXPECT_FALSE(readCommitLine(bad)) << bad;
  }
  for (const std::string& bad :
       {spoilt(revealText, "50 ", ""), spoilt(revealText, "50", "050"),
        spoilt(revealText, "50", "18446744073709551616"), spoilt(revealText, "1f;", "1;")}) {
    EXPECT_FALSE(readRevealLine(bad)) << bad;
  }
  for (const std::string& bad : {spoilt(gapText, "17", "x"), spoilt(gapText, " of #spar", "")})
    EXPECT_FALSE(readGapLine(bad)) << bad;
}

TEST(RoomEpoch, NumbersItsAnswersAndSaysItsLinesInTurn) {
  using namespace std::chrono_literals;
  std::vector<Seed> seeds(2, countingSeed());
  seeds[1][0] = 0xff;
  std::size_t drawn = 0;
  const RoomEpoch::Time start{};
  RoomEpoch epoch("#spar", start, [&] { return seeds.at(drawn++); });
  EXPECT_EQ(epoch.commitLine(), commitLine({1, "#spar", commitment(seeds[0])}));

  const RoomEpoch::Answer first = epoch.answer("Bob", 4, 6);
  EXPECT_EQ(first.k, 1u);
  EXPECT_EQ(first.faces, (std::vector<int>{3, 3, 6, 1}));
  const RoomEpoch::Answer second = epoch.answer("Bob", 4, 6);
  EXPECT_EQ(second.k, 2u);
  EXPECT_EQ(second.faces, (std::vector<int>{1, 4, 4, 6}));
  EXPECT_EQ(epoch.answers(), 2u);
  EXPECT_EQ(epoch.gapLine(2), gapLine({1, "#spar", 2}));

  EXPECT_FALSE(epoch.expired(start + 24h - 1s));
  EXPECT_TRUE(epoch.expired(start + 24h));
  const auto lines = epoch.renew(start + 24h);
  EXPECT_EQ(lines[0], revealLine({1, "#spar", 2, seeds[0]}));
  EXPECT_EQ(lines[1], commitLine({2, "#spar", commitment(seeds[1])}));
  EXPECT_EQ(epoch.number(), 2u);
  EXPECT_EQ(epoch.answers(), 0u);
  EXPECT_FALSE(epoch.expired(start + 48h - 1s));
  const RoomEpoch::Answer next = epoch.answer("Bob", 4, 6);
  EXPECT_EQ(next.k, 1u);
  EXPECT_EQ(next.faces, DerivedDice(seeds[1]).faces({2, "#spar", 1, "Bob", 4, 6}));
  EXPECT_EQ(epoch.revealLine(), revealLine({2, "#spar", 1, seeds[1]}));
}

TEST(SystemRandom, EverySeedNew) {
  const Seed first = freshSeed();
  const Seed second = freshSeed();
  EXPECT_NE(first, second);
  EXPECT_NE(first, Seed{});
  std::uint8_t odd[5] = {};
  systemRandom(odd, sizeof odd);
  EXPECT_NE(std::string_view(reinterpret_cast<char*>(odd), sizeof odd), std::string(5, '\0'));
}

}  // namespace
}  // namespace kestar::rollservice
