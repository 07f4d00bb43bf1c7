#include <gtest/gtest.h>

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "moves/Moves.h"
#include "shell/Controls.h"
#include "shell/Startup.h"
#include "tests/support/ProgramRig.h"
#include "tests/support/TempFolder.h"

namespace kestar::test {
namespace {

using moves::Moves;
using Lines = std::vector<std::string>;

const std::string kMove1 =
    "::Takes <name> and beats <gender> over the head till he is a bloody pulp::";
const std::string kMove2 =
    "::Takes <name> and shoves <gender> into a meat grinder, grinding <gender> up, then pulls "
    "<gender> back out, and cooks <gender> into a hamburger, scarfs it down::";

// A program started in a working directory of its own, which the test can fill beforehand.
struct MovesRig {
  TempFolder folder;
  WorkingFolder working{folder.path()};
  std::unique_ptr<ProgramRig> rig = std::make_unique<ProgramRig>();

  // Opens the window from the launcher, as the user does.
  Moves& open() {
    click(rig->window<shell::Startup>().Command6);
    return rig->window<Moves>();
  }
  // The program ends and a new one starts in the same working directory.
  void restart() {
    rig.reset();
    rig = std::make_unique<ProgramRig>();
  }
  std::string file(const std::string& name) const { return fileBytes(folder / name); }
};

// Where Tab goes from a control: the next one in the focus chain that takes focus by Tab (a text
// box's own scroll bars and viewport do not).
const QWidget* nextTabStop(const QWidget* from) {
  const QWidget* next = from->nextInFocusChain();
  while (next != from && !(next->focusPolicy() & Qt::TabFocus))
    next = next->nextInFocusChain();
  return next;
}

TEST(Moves, ShowsItsControlsInPlaceWithTheirTabOrder) {
  MovesRig m;
  Moves& moves = m.open();
  EXPECT_TRUE(moves.isVisible());
  EXPECT_FALSE(m.rig->window<shell::Startup>().isVisible());
  EXPECT_EQ(moves.windowTitle(), "Moves");
  EXPECT_TRUE(moves.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(moves.Label1->text(), "Stored Move #1");
  EXPECT_EQ(moves.Label2->text(), "Stored Move #2");

  auto* grid = qobject_cast<QGridLayout*>(moves.layout());
  ASSERT_NE(grid, nullptr);
  struct Place {
    QWidget* widget;
    int row;
    int column;
    QString caption;
  };
  const Place places[] = {
      {moves.Label1, 0, 0, {}},
      {moves.Text1, 1, 0, {}},
      {moves.Label2, 2, 0, {}},
      {moves.Command7, 2, 2, "Instructions"},
      {moves.Text2, 3, 0, {}},
      {moves.Command1, 4, 0, "Scroll 1"},
      {moves.Command2, 4, 1, "Scroll 2"},
      {moves.Command3, 4, 2, "Save New Moves"},
      {moves.Command4, 5, 0, "Load Defaults"},
      {moves.Command5, 5, 1, "Clear Moves"},
      {moves.Command6, 5, 2, "Close"},
  };
  for (const Place& p : places) {
    EXPECT_EQ(grid->itemAtPosition(p.row, p.column)->widget(), p.widget) << p.row << p.column;
    if (auto* button = qobject_cast<QPushButton*>(p.widget)) {
      EXPECT_EQ(button->text(), p.caption);
    }
  }

  const QWidget* order[] = {moves.Text1,    moves.Text2,    moves.Command1,
                            moves.Command2, moves.Command3, moves.Command4,
                            moves.Command5, moves.Command6, moves.Command7};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    EXPECT_EQ(nextTabStop(order[i]), order[i + 1]) << i;
  }
  for (const QPlainTextEdit* box : {moves.Text1, moves.Text2}) {
    EXPECT_TRUE(box->tabChangesFocus());
    EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // First run: no move files, empty boxes.
    EXPECT_TRUE(box->toPlainText().isEmpty());
  }
}

TEST(Moves, ReadsBothMovesFromTheWorkingDirectoryAtTheFirstLoadOnly) {
  MovesRig m;
  writeBytes(m.folder / "macro1.txt", "::swings at <name>::\r\n::misses::\r\n");
  writeBytes(m.folder / "macro2.txt", "\x93parries\x94 \xE9");
  Moves& moves = m.open();
  EXPECT_EQ(shell::boxText(*moves.Text1), u"::swings at <name>::\r\n::misses::\r\n");
  EXPECT_EQ(shell::boxText(*moves.Text2), u"\u201Cparries\u201D \u00E9");

  // Shown again, the window keeps its boxes; the files are not read again.
  writeBytes(m.folder / "macro1.txt", "changed");
  click(moves.Command6);
  EXPECT_FALSE(moves.isVisible());
  EXPECT_TRUE(m.rig->window<shell::Startup>().isVisible());
  EXPECT_EQ(&m.open(), &moves);
  EXPECT_EQ(shell::boxText(*moves.Text1), u"::swings at <name>::\r\n::misses::\r\n");
}

TEST(Moves, SavedMovesComeBackInTheNextRunWithOneMoreBreak) {
  MovesRig m;
  {
    Moves& moves = m.open();
    click(moves.Command4);
    shell::setBoxText(*moves.Text2, u"::ducks::\r\n::rolls \u00E0 gauche \u2603::");
    click(moves.Command3);
    EXPECT_TRUE(m.rig->messages.empty());
    EXPECT_EQ(m.file("macro1.txt"), kMove1 + "\r\n");
    EXPECT_EQ(m.file("macro2.txt"), "::ducks::\r\n::rolls \xE0 gauche ?::\r\n");
  }

  m.restart();
  Moves& moves = m.open();
  EXPECT_EQ(shell::boxText(*moves.Text1), wide(kMove1) + u"\r\n");
  EXPECT_EQ(shell::boxText(*moves.Text2), u"::ducks::\r\n::rolls \u00E0 gauche ?::\r\n");
  // The empty line the load added is not posted.
  click(moves.Command1);
  EXPECT_EQ(m.rig->sent(), Lines{kMove1});
  EXPECT_EQ(m.rig->host.pauses, std::vector<int>{1});

  // Saved again, the move grows by one more break.
  click(moves.Command3);
  EXPECT_EQ(m.file("macro1.txt"), kMove1 + "\r\n\r\n");
}

TEST(Moves, SaveGoesBackToTheFolderTheMovesWereReadFrom) {
  MovesRig m;
  Moves& moves = m.open();
  TempFolder elsewhere;
  WorkingFolder moved{elsewhere.path()};
  click(moves.Command4);
  click(moves.Command3);
  EXPECT_EQ(m.file("macro1.txt"), kMove1 + "\r\n");
  EXPECT_EQ(m.file("macro2.txt"), kMove2 + "\r\n");
  EXPECT_TRUE(std::filesystem::is_empty(elsewhere.path()));
}

TEST(Moves, SaveSaysWhereItSaved) {
  MovesRig m;
  Moves& moves = m.open();
  click(moves.Command3);
  const auto folder = std::filesystem::canonical(m.folder.path());
  const QString path1 =
      QDir::toNativeSeparators(QString::fromStdString((folder / "macro1.txt").string()));
  const QString path2 =
      QDir::toNativeSeparators(QString::fromStdString((folder / "macro2.txt").string()));
  EXPECT_EQ(moves.Status->text(), "Saved " + path1 + " and " + path2);
  EXPECT_TRUE(m.rig->messages.empty());
}

TEST(Moves, TheCutOfALineOver92CharactersIsMarkedWhileEditing) {
  MovesRig m;
  Moves& moves = m.open();
  const auto cuts = [](const QPlainTextEdit* box) {
    QStringList texts;
    for (const QTextEdit::ExtraSelection& cut : box->extraSelections())
      texts << cut.cursor.selectedText();
    return texts;
  };
  click(moves.Command4);
  EXPECT_TRUE(cuts(moves.Text1).isEmpty()) << "74 characters go out whole";
  EXPECT_EQ(cuts(moves.Text2), QStringList{QString::fromStdString(kMove2.substr(92))});

  shell::setBoxText(*moves.Text1,
                    wide(std::string(92, 'a') + "\r\nshort\r\n" + std::string(93, 'b')));
  EXPECT_EQ(cuts(moves.Text1), QStringList{"b"});
  moves.Text1->setTextCursor(QTextCursor(moves.Text1->document()->lastBlock()));
  QTest::keyClicks(moves.Text1, "xy");  // typed at the start of the last line
  EXPECT_EQ(cuts(moves.Text1), QStringList{"bbb"});
}

TEST(Moves, SaveThatCannotWriteSaysWhichFileAndKeepsTheBoxes) {
  MovesRig m;
  Moves& moves = m.open();
  click(moves.Command4);
  // A folder stands where the first file should be written.
  std::filesystem::create_directory(m.folder / "macro1.txt");
  click(moves.Command3);
  ASSERT_EQ(m.rig->messages.size(), 1u);
  const auto& [title, text] = m.rig->messages.front();
  EXPECT_EQ(title, "Save New Moves");
  const auto path1 = std::filesystem::canonical(m.folder.path()) / "macro1.txt";
  EXPECT_TRUE(text.contains(QDir::toNativeSeparators(QString::fromStdString(path1.string()))))
      << text.toStdString();
  EXPECT_FALSE(text.contains("macro2.txt")) << text.toStdString();
  EXPECT_EQ(m.file("macro2.txt"), kMove2 + "\r\n");
  EXPECT_EQ(shell::boxText(*moves.Text1), wide(kMove1));
  EXPECT_EQ(shell::boxText(*moves.Text2), wide(kMove2));

  std::filesystem::remove(m.folder / "macro2.txt");
  std::filesystem::create_directory(m.folder / "macro2.txt");
  click(moves.Command3);
  ASSERT_EQ(m.rig->messages.size(), 2u);
  EXPECT_TRUE(m.rig->messages.back().second.contains("macro1.txt"));
  EXPECT_TRUE(m.rig->messages.back().second.contains("macro2.txt"));
}

TEST(Moves, ScrollPostsEachMoveThroughTheChatInputCutAt92) {
  MovesRig m;
  Moves& moves = m.open();
  // Empty boxes send nothing.
  click(moves.Command1);
  click(moves.Command2);
  click(moves.Command4);
  ASSERT_EQ(kMove1.size(), 74u);
  ASSERT_EQ(kMove2.size(), 161u);
  const std::string cut2 = kMove2.substr(0, 92);
  ASSERT_TRUE(cut2.ends_with("then pulls <ge"));

  click(moves.Command1);
  EXPECT_EQ(m.rig->sent(), Lines{kMove1});
  click(moves.Command2);
  EXPECT_EQ(m.rig->sent(), (Lines{kMove1, cut2}));
  EXPECT_EQ(m.rig->typedBySendChat(), (Lines{kMove1, cut2}));
  EXPECT_EQ(m.rig->host.pauses, (std::vector<int>{1, 1}));

  // Without a room, nothing goes out and nothing waits.
  m.rig->client.closeRoom(m.rig->room);
  click(moves.Command1);
  click(moves.Command2);
  EXPECT_EQ(m.rig->sent().size(), 2u);
  EXPECT_EQ(m.rig->host.pauses.size(), 2u);
}

TEST(Moves, ClearAndDefaultsChangeOnlyTheBoxes) {
  MovesRig m;
  writeBytes(m.folder / "macro1.txt", "::stored move::\r\n");
  Moves& moves = m.open();
  click(moves.Command5);
  EXPECT_TRUE(moves.Text1->toPlainText().isEmpty());
  EXPECT_TRUE(moves.Text2->toPlainText().isEmpty());
  click(moves.Command4);
  EXPECT_EQ(shell::boxText(*moves.Text1), wide(kMove1));
  EXPECT_EQ(shell::boxText(*moves.Text2), wide(kMove2));
  click(moves.Command5);
  EXPECT_EQ(m.file("macro1.txt"), "::stored move::\r\n");
  EXPECT_FALSE(std::filesystem::exists(m.folder / "macro2.txt"));
}

TEST(Moves, InstructionsExplainThePlaceholders) {
  MovesRig m;
  click(m.open().Command7);
  ASSERT_EQ(m.rig->messages.size(), 1u);
  EXPECT_EQ(m.rig->messages[0].first, "Instructions");
  EXPECT_EQ(m.rig->messages[0].second,
            "<Name> represents the SN, <gender> represents his/her.  Replace those with the "
            "appropriate words, and it will work fine");
  EXPECT_TRUE(m.rig->sent().empty());
}

}  // namespace
}  // namespace kestar::test
