// The fuzz corpus, seeds and every finding kept with them, fed once more through the fuzz target's
// entry point, which aborts on a broken rule: a regression shows without a fuzzing compiler.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace kestar::test {
namespace {

// Each corpus's executable names its own suite (the name goes through one macro more, so that it is
// expanded before the test's name is pasted from it).
#define KESTAR_REPLAY_TEST(suite) TEST(suite, EveryKeptInputPassesTheRules)

KESTAR_REPLAY_TEST(KESTAR_FUZZ_SUITE) {
  int replayed = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(KESTAR_FUZZ_CORPUS_DIR)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
    SCOPED_TRACE(entry.path().string());
    std::fprintf(stderr, "%s\n", entry.path().filename().string().c_str());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ++replayed;
  }
  // Fewer inputs than kept means the folder was not found or lost files.
  EXPECT_GE(replayed, KESTAR_FUZZ_CORPUS_MIN);
}

}  // namespace
}  // namespace kestar::test
