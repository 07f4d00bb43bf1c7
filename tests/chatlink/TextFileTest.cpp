#include <gtest/gtest.h>

#include "chatlink/ChatLink.h"
#include "tests/support/SimFixture.h"
#include "tests/support/TempFolder.h"

namespace kestar::test {
namespace {

using chatlink::LoadText;
using chatlink::SaveText;

TEST(TextFile, SaveWritesTheCodePageAndABreakThatTheLoadKeeps) {
  struct Case {
    Text text;
    std::string bytes;
    Text loaded;
  };
  const Case cases[] = {
      {u"", "\r\n", u"\r\n"},
      {u"abc", "abc\r\n", u"abc\r\n"},
      {u"first\r\nsecond\r\n", "first\r\nsecond\r\n\r\n", u"first\r\nsecond\r\n\r\n"},
      // Outside the code page a character becomes "?" (one for each of the two units of the
      // emoji), and stays so after loading.
      {u"caf\u00E9 \u20AC5 \u2603 \U0001F600",
       "caf\xE9 \x80"
       "5 ? ??\r\n",
       u"caf\u00E9 \u20AC5 ? ??\r\n"},
  };
  TempFolder folder;
  const auto path = folder / "macro1.txt";
  // Each save replaces a longer file.
  writeBytes(path, std::string(500, 'x'));
  for (const Case& c : cases) {
    EXPECT_TRUE(SaveText(c.text, path));
    EXPECT_EQ(fileBytes(path), c.bytes) << narrow(c.text);
    EXPECT_EQ(LoadText(path), c.loaded) << narrow(c.text);
  }
}

TEST(TextFile, LoadTakesEveryByteAsItStands) {
  TempFolder folder;
  struct Case {
    std::string bytes;
    Text loaded;
  };
  const Case cases[] = {
      {"", u""},
      // Line breaks of every kind come in untranslated.
      {"a\r\nb\nc\rd\r\n", u"a\r\nb\nc\rd\r\n"},
      {"\x93quoted\x94 \xFF", u"\u201Cquoted\u201D \u00FF"},
      {std::string("nul\0inside", 10), Text(u"nul\0inside", 10)},
  };
  const auto path = folder / "move.txt";
  for (const Case& c : cases) {
    writeBytes(path, c.bytes);
    EXPECT_EQ(LoadText(path), c.loaded);
  }
}

TEST(TextFile, LoadOfWhatIsNoFileGivesTheEmptyText) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "a folder");
  EXPECT_EQ(LoadText(folder / "missing.txt"), u"");
  EXPECT_EQ(LoadText(folder / "no such folder" / "macro1.txt"), u"");
  EXPECT_EQ(LoadText(folder / "a folder"), u"");
}

TEST(TextFile, SaveWhereNoFileCanBeMadeFailsAndMakesNothing) {
  TempFolder folder;
  writeBytes(folder / "plain file", "kept");
  std::filesystem::create_directory(folder / "a folder");
  const std::filesystem::path unwritable[] = {
      folder / "no such folder" / "macro1.txt",
      folder / "plain file" / "macro1.txt",  // a file where a folder should be
      folder / "a folder",                   // a folder where the file should be
  };
  for (const auto& path : unwritable) {
    EXPECT_FALSE(SaveText(u"abc", path)) << path;
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "no such folder"));
  EXPECT_EQ(fileBytes(folder / "plain file"), "kept");
  EXPECT_TRUE(std::filesystem::is_directory(folder / "a folder"));
}

}  // namespace
}  // namespace kestar::test
