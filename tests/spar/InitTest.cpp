#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>

#include "dice/Dice.h"
#include "shell/Controls.h"
#include "shell/Startup.h"
#include "spar/Init.h"
#include "tests/support/ProgramRig.h"

namespace kestar::test {
namespace {

using dice::Dice;
using spar::Init;
using Lines = std::vector<std::string>;

const std::string kRollCall = "~*Roll 1d100 Init*~";
const std::string kClosed = "~*Mass Spar Closed*~";
const std::string kClassCall = "~*Type 2 for mortal, 3 for halfie, 4 for immortal*~";

Init& openInit(ProgramRig& rig) {
  click(rig.window<shell::Startup>().Command1);
  click(rig.window<Dice>().Command5);
  return rig.window<Init>();
}

// A line in the room; the scanners see it at their next look.
void says(ProgramRig& rig, const std::string& who, const std::string& line) {
  rig.service.sayAs(rig.room, who, line);
  rig.host.advance(0.1);
}

void rolls(ProgramRig& rig, const std::string& who, const std::string& result) {
  says(rig, "OnlineHost", who + " rolled 1 100-sided die:  " + result);
}

Lines column(const QListWidget* list) {
  Lines items;
  for (int i = 0; i < list->count(); ++i)
    items.push_back(list->item(i)->text().toStdString());
  return items;
}

// The rows taken from these rolls, collection stopped again.
Init& withRows(ProgramRig& rig, const std::vector<std::pair<std::string, std::string>>& rows) {
  Init& init = openInit(rig);
  click(init.Command1);
  for (const auto& [name, result] : rows)
    rolls(rig, name, result);
  click(init.Command2);
  return init;
}

TEST(Init, OpensFromTheCounterWithItsControlsInPlace) {
  ProgramRig rig;
  Init& init = openInit(rig);
  EXPECT_TRUE(init.isVisible());
  EXPECT_FALSE(rig.window<Dice>().isVisible());
  EXPECT_EQ(init.windowTitle(), "Init");
  EXPECT_TRUE(init.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_EQ(init.focusWidget(), init.Command1);

  const struct {
    QPushButton* button;
    const char* caption;
    bool enabled;
  } buttons[] = {
      {init.Command1, "Start Init", true},     {init.Command2, "Stop Init", false},
      {init.Command5, "Sort", false},          {init.Command3, "Clear", true},
      {init.Command11, "Change Init", true},   {init.Command4, "Close", true},
      {init.Command7, "Start Mortal", true},   {init.Command8, "Stop Mortal", false},
      {init.Command6, "Send", false},          {init.Command9, "Xps", true},
      {init.Command10, "Change Mortal", true},
  };
  for (const auto& b : buttons) {
    EXPECT_EQ(b.button->text(), b.caption);
    EXPECT_EQ(b.button->isEnabled(), b.enabled) << b.caption;
  }
  const std::string directions =
      "Directions:" + std::string(24, ' ') + "1: Hit Start Init" + std::string(18, ' ') +
      "2: Hit Stop Init" + std::string(18, ' ') + "3: Hit Sort" + std::string(25, ' ') +
      "4: Hit Start Mortal" + std::string(15, ' ') + "5: Hit Stop Mortal" + std::string(16, ' ') +
      "6: Hit Send YOU WILL NOT SEE ANYTHING HAPPEN" + std::string(27, ' ') + "7: Hit Close";
  EXPECT_EQ(init.Label1->text().toStdString(), directions);
  EXPECT_EQ(directions.size(), 291u);
  EXPECT_TRUE(init.Label1->wordWrap());
  EXPECT_EQ(init.Label2->text(), "Highest Dice");
  EXPECT_EQ(init.Label3->text(), "# of People");
  EXPECT_EQ(init.Label4->text(), "****");
  for (const QLineEdit* box : {init.Text1, init.Text2, init.Text4, init.Text5})
    EXPECT_TRUE(box->text().isEmpty());
  for (const QListWidget* list : {init.List1, init.List2, init.List3, init.List4}) {
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(list->isSortingEnabled());
  }
  EXPECT_EQ(init.PeopleCount, 0);
  EXPECT_TRUE(init.List4->isHidden());
  EXPECT_FALSE(init.Chat1.scanning());
  EXPECT_FALSE(init.Chat2.scanning());

  // The lists side by side, widest first, with the change row under them; the directions and
  // the buttons in two columns to their right.
  const QRect names = init.List1->geometry(), values = init.List2->geometry(),
              answers = init.List3->geometry();
  EXPECT_LT(names.right(), values.left());
  EXPECT_LT(values.right(), answers.left());
  EXPECT_EQ(names.top(), answers.top());
  EXPECT_GT(names.width(), values.width());
  EXPECT_GT(values.width(), answers.width());
  EXPECT_GT(init.Command11->geometry().top(), names.bottom());
  EXPECT_GT(init.Text1->geometry().top(), answers.bottom());
  EXPECT_LT(answers.right(), init.Label1->geometry().left());
  EXPECT_LT(init.Label1->geometry().bottom(), init.Text4->geometry().top());
  const QPushButton* const grid[4][2] = {{init.Command1, init.Command2},
                                         {init.Command5, init.Command7},
                                         {init.Command8, init.Command6},
                                         {init.Command3, init.Command4}};
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(grid[row][0]->y(), grid[row][1]->y()) << row;
    EXPECT_LT(grid[row][0]->x(), grid[row][1]->x()) << row;
    EXPECT_EQ(grid[row][0]->x(), init.Command1->x()) << row;
    if (row > 0) {
      EXPECT_GT(grid[row][0]->y(), grid[row - 1][0]->y()) << row;
    }
  }
  EXPECT_GT(init.Command1->y(), init.Text5->y());
}

TEST(Init, TakesEachPlayersFirstRollWhileCollecting) {
  ProgramRig rig;
  Init& init = openInit(rig);
  rolls(rig, "Ann", "57");  // not collecting yet

  click(init.Command1);
  EXPECT_FALSE(init.Command1->isEnabled());
  EXPECT_TRUE(init.Command2->isEnabled());
  EXPECT_FALSE(init.Command5->isEnabled());
  rolls(rig, "Ann", "57");
  rolls(rig, "Bob", "100");
  says(rig, "OnlineHost", "Cy rolled 1 6-sided die: 4");  // ": 4" reads 0; Cy may roll again
  says(rig, "OnlineHost", "Cy rolled 2 10-sided dice:  3 5");
  rolls(rig, "Ann", "99");
  rolls(rig, "ann", "12");
  says(rig, "Dee", "Dee rolled 1 100-sided die:  80");
  says(rig, "onlinehost", "Dee rolled 1 100-sided die:  80");
  says(rig, "OnlineHost", "Welcome to the Spar Arena, 57");
  says(rig, "OnlineHost", "rolled 1 100-sided die:  80");
  says(rig, "OnlineHost", "Rolled 1 100-sided die:  80");
  EXPECT_EQ(column(init.List1), (Lines{"Ann", "Bob", "Cy", "ann"}));
  EXPECT_EQ(column(init.List2), (Lines{"57", "100", "35", "12"}));
  EXPECT_EQ(column(init.List3), Lines(4, " "));
  EXPECT_EQ(column(init.List4), Lines(4, ""));
  EXPECT_EQ(init.PeopleCount, 4);

  click(init.Command2);
  EXPECT_TRUE(init.Command1->isEnabled());
  EXPECT_FALSE(init.Command2->isEnabled());
  EXPECT_TRUE(init.Command5->isEnabled());
  EXPECT_FALSE(init.Command6->isEnabled());
  rolls(rig, "Eve", "44");  // stopped
  EXPECT_EQ(init.PeopleCount, 4);

  // A second collection adds after the rows already there, and still refuses listed players.
  click(init.Command1);
  rolls(rig, "Bob", "3");
  rolls(rig, "Eve", "44");
  click(init.Command2);
  EXPECT_EQ(column(init.List1), (Lines{"Ann", "Bob", "Cy", "ann", "Eve"}));
  EXPECT_EQ(column(init.List2), (Lines{"57", "100", "35", "12", "44"}));
  EXPECT_EQ(init.PeopleCount, 5);

  const Lines said = {kRollCall, kClosed, kRollCall, kClosed};
  EXPECT_EQ(rig.sent(), said);
  EXPECT_EQ(rig.typedBySendLine(), said);
}

TEST(Init, SortMovesNamesWithTheirValuesHighestFirstAndEnablesSend) {
  ProgramRig rig;
  Init& init = withRows(rig, {{"A", "40"}, {"B", "75"}, {"C", "40"}, {"D", "90"}});
  // B and D answer before the sort: their answers stay at their places.
  click(init.Command7);
  says(rig, "B", "3");
  says(rig, "D", "4");
  click(init.Command8);

  click(init.Command5);
  EXPECT_EQ(column(init.List1), (Lines{"D", "B", "A", "C"}));
  EXPECT_EQ(column(init.List2), (Lines{"90", "75", "40", "40"}));
  EXPECT_EQ(column(init.List3), (Lines{" ", "3", " ", "4"}));
  EXPECT_EQ(column(init.List4), (Lines{"", "Y", "", "Y"}));
  EXPECT_TRUE(init.Command6->isEnabled());

  // Sort and Send stay enabled through every other operation.
  click(init.Command3);
  click(init.Command1);
  click(init.Command2);
  click(init.Command7);
  click(init.Command8);
  EXPECT_TRUE(init.Command5->isEnabled());
  EXPECT_TRUE(init.Command6->isEnabled());

  // No rows, or one, stay as they are.
  for (const auto& rows : {std::vector<std::pair<std::string, std::string>>{},
                           std::vector<std::pair<std::string, std::string>>{{"Ann", "57"}}}) {
    ProgramRig fresh;
    Init& few = withRows(fresh, rows);
    click(few.Command5);
    EXPECT_EQ(few.PeopleCount, static_cast<int>(rows.size()));
    EXPECT_EQ(column(few.List2), rows.empty() ? Lines{} : Lines{"57"});
    EXPECT_TRUE(few.Command6->isEnabled());
  }
}

TEST(Init, MassSparTakesEachListedPlayersFirstNumericAnswerAndSendsTheList) {
  ProgramRig rig;
  Init& init = withRows(rig, {{"Ann", "57"}, {"Bob", "100"}, {"Cy", "35"}});
  click(init.Command5);
  shell::setBoxText(*rig.window<Dice>().Text4, u"text to scroll\r\nsecond line");

  click(init.Command7);
  EXPECT_EQ(rig.host.pauses, std::vector<int>{1});
  EXPECT_FALSE(init.Command7->isEnabled());
  EXPECT_TRUE(init.Command8->isEnabled());
  says(rig, "Ann", "4");
  says(rig, "Ann", "2");
  says(rig, "Dee", "3");
  says(rig, "Bob", "hello");
  says(rig, "Bob", "2.5 I think");
  says(rig, "Cy", "0");
  says(rig, "OnlineHost", "Cy rolled 1 100-sided die:  50");
  EXPECT_EQ(column(init.List1), (Lines{"Bob", "Ann", "Cy"}));
  EXPECT_EQ(column(init.List3), (Lines{"2.5 I think", "4", " "}));
  EXPECT_EQ(column(init.List4), (Lines{"Y", "Y", ""}));
  EXPECT_EQ(init.PeopleCount, 3);

  click(init.Command8);
  EXPECT_TRUE(init.Command7->isEnabled());
  EXPECT_FALSE(init.Command8->isEnabled());
  says(rig, "Cy", "3");  // stopped
  EXPECT_EQ(init.List3->item(2)->text(), " ");

  click(init.Command6);
  Dice& counter = rig.window<Dice>();
  EXPECT_EQ(shell::boxText(*counter.Text4), u"Bob-0/2.5 I think  Ann-0/4  Cy-0/   ");
  EXPECT_EQ(init.Command6->text(), "~*Sent*~");
  EXPECT_TRUE(init.Command6->isEnabled());
  EXPECT_FALSE(counter.isVisible());
  EXPECT_EQ(rig.sent(), (Lines{kRollCall, kClosed, kClassCall}));

  // Cleared, the list is empty and the caption stays.
  click(init.Command3);
  click(init.Command6);
  EXPECT_EQ(shell::boxText(*counter.Text4), u"");
  EXPECT_EQ(init.Command6->text(), "~*Sent*~");
}

TEST(Init, StartMortalClickedAgainInItsPauseAnnouncesTwiceAndMissesAnswersOfThatSecond) {
  ProgramRig rig;
  Init& init = withRows(rig, {{"Ann", "57"}});
  chatlink::Timer during(rig.host, 300);
  int tick = 0;
  during.onTimer = [&] {
    if (++tick == 1) {
      click(init.Command7);
    } else {
      rig.service.sayAs(rig.room, "Ann", "3");
      during.setEnabled(false);
    }
  };
  during.setEnabled(true);
  click(init.Command7);
  EXPECT_EQ(tick, 2);
  EXPECT_EQ(rig.host.pauses, (std::vector<int>{1, 1}));
  EXPECT_EQ(rig.sent(), (Lines{kRollCall, kClosed, kClassCall, kClassCall}));
  EXPECT_TRUE(init.Chat2.scanning());
  EXPECT_TRUE(init.Command8->isEnabled());
  rig.host.advance(0.1);
  EXPECT_EQ(init.List3->item(0)->text(), " ");

  says(rig, "Ann", "4");
  EXPECT_EQ(init.List3->item(0)->text(), "4");
}

TEST(Init, StartMortalsPauseIsShownAndALongAnswerIsShownWhole) {
  ProgramRig rig;
  Init& init = withRows(rig, {{"Ann", "57"}});
  chatlink::Timer during(rig.host, 300);
  bool busy = false;
  during.onTimer = [&] {
    busy = init.Status->busy() && !init.Status->text().isEmpty() && init.Command7->isEnabled();
    during.setEnabled(false);
  };
  during.setEnabled(true);
  click(init.Command7);
  EXPECT_TRUE(busy) << "no mark during the pause, or Start Mortal disabled in it";
  EXPECT_TRUE(init.Status->text().isEmpty());

  const std::string answer = "3, a halfie with a long story to tell about it";
  says(rig, "Ann", answer);
  EXPECT_EQ(init.List3->item(0)->toolTip().toStdString(), answer);
  EXPECT_EQ(init.List3->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST(Init, TheListsScrollTogetherAndTheRowOfASelectedValueIsMarked) {
  ProgramRig rig;
  std::vector<std::pair<std::string, std::string>> rows;
  for (int i = 1; i <= 40; ++i)
    rows.emplace_back("P" + std::to_string(i), std::to_string(i + 10));
  Init& init = withRows(rig, rows);
  QCoreApplication::processEvents();  // the lists lay out their rows on a later round
  ASSERT_GT(init.List3->verticalScrollBar()->maximum(), 12);
  init.List1->verticalScrollBar()->setValue(12);
  EXPECT_EQ(init.List2->verticalScrollBar()->value(), 12);
  EXPECT_EQ(init.List3->verticalScrollBar()->value(), 12);
  init.List3->verticalScrollBar()->setValue(5);
  EXPECT_EQ(init.List1->verticalScrollBar()->value(), 5);

  const auto marked = [](const QListWidget* list, int row) {
    return list->item(row)->background().style() != Qt::NoBrush;
  };
  init.List2->setCurrentRow(2);
  EXPECT_TRUE(marked(init.List1, 2));
  EXPECT_TRUE(marked(init.List3, 2));
  EXPECT_FALSE(marked(init.List1, 1));
  EXPECT_TRUE(init.List1->selectedItems().isEmpty());
  EXPECT_TRUE(init.List3->selectedItems().isEmpty()) << "Change Mortal's choice is the user's";
  EXPECT_TRUE(init.Command11->toolTip().contains("initiative of P3 (row 3)"))
      << init.Command11->toolTip().toStdString();
  EXPECT_TRUE(init.Command10->toolTip().startsWith("Select"));

  init.List3->setCurrentRow(7);
  EXPECT_TRUE(marked(init.List1, 7));
  EXPECT_TRUE(marked(init.List2, 7));
  EXPECT_TRUE(marked(init.List1, 2)) << "the initiative chosen stays marked";
  EXPECT_TRUE(init.Command10->toolTip().contains("class answer of P8 (row 8)"));
  click(init.Command5);  // Sort: highest first, so the row now holds another player
  EXPECT_TRUE(init.Command11->toolTip().contains("initiative of P38 (row 3)"))
      << init.Command11->toolTip().toStdString();
}

TEST(Init, XpsAnnouncesWhatTheSparIsWorthAndEmptiesTheBoxes) {
  ProgramRig rig;
  Init& init = openInit(rig);
  const struct {
    const char* people;
    const char* highestDice;
    const char* line;  // nullptr: nothing said, the boxes stay
  } cases[] = {
      {"5", "4", "Spar is worth 80 xps"},
      {"1", "4", "Spar is worth 0 xps"},
      {"3", "2.5", "Spar is worth 25 xps"},
      {"", "4", "Spar is worth -20 xps"},
      {"1E200", "1E200", nullptr},
      {"1E999", "0", nullptr},
      {"2", "1E300", "Spar is worth 5E+300 xps"},
  };
  Lines said;
  for (const auto& c : cases) {
    init.Text5->setText(c.people);
    init.Text4->setText(c.highestDice);
    click(init.Command9);
    if (c.line != nullptr) said.push_back(c.line);
    EXPECT_EQ(rig.sent(), said) << c.people << " people, " << c.highestDice;
    EXPECT_EQ(init.Text5->text(), c.line ? "" : c.people);
    EXPECT_EQ(init.Text4->text(), c.line ? "" : c.highestDice);
  }
  EXPECT_EQ(rig.typedBySendLine(), said);
}

TEST(Init, ChangeInitAndChangeMortalOverwriteTheSelectedItem) {
  ProgramRig rig;
  Init& init = withRows(rig, {{"Ann", "57"}, {"Bob", "100"}});
  const struct {
    QListWidget* list;
    QLineEdit* box;
    QPushButton* change;
    Lines before;
  } columns[] = {
      {init.List2, init.Text2, init.Command11, {"57", "100"}},
      {init.List3, init.Text1, init.Command10, {" ", " "}},
  };
  for (const auto& c : columns) {
    c.box->setText("4");
    click(c.change);  // nothing selected
    EXPECT_EQ(column(c.list), c.before);

    c.list->setCurrentRow(1);
    const struct {
      const char* typed;
      const char* stored;
    } steps[] = {{"4", "4"}, {"abc", "0"}, {" 2.50 or so", "2.5"}, {"1E999", "2.5"}};
    for (const auto& s : steps) {
      c.box->setText(s.typed);
      click(c.change);
      EXPECT_EQ(column(c.list), (Lines{c.before[0], s.stored})) << s.typed;
      EXPECT_EQ(c.box->text(), s.typed);
    }
  }
  EXPECT_EQ(column(init.List1), (Lines{"Ann", "Bob"}));
  EXPECT_EQ(column(init.List4), (Lines{"", ""}));

  // The mark is left alone: Bob's first answer still replaces the changed value.
  click(init.Command7);
  says(rig, "Bob", "3");
  EXPECT_EQ(column(init.List3), (Lines{" ", "3"}));
}

TEST(Init, ClearEmptiesTheRowsAndLeavesTheFocusOnTheNextStep) {
  ProgramRig rig;
  Init& init = openInit(rig);
  click(init.Command1);
  rolls(rig, "Ann", "57");
  init.Command3->setFocus();
  click(init.Command3);
  for (const QListWidget* list : {init.List1, init.List2, init.List3, init.List4})
    EXPECT_EQ(list->count(), 0);
  EXPECT_EQ(init.PeopleCount, 0);
  EXPECT_EQ(init.focusWidget(), init.Command2);  // Start Init cannot take it while collecting
  EXPECT_TRUE(init.Chat1.scanning());
  EXPECT_FALSE(init.Command1->isEnabled());

  rolls(rig, "Ann", "60");  // her first roll again, after the Clear
  EXPECT_EQ(column(init.List2), Lines{"60"});
  click(init.Command2);
  init.Command3->setFocus();
  click(init.Command3);
  EXPECT_EQ(init.focusWidget(), init.Command1);
}

TEST(Init, CloseReturnsToTheCounterAndCollectingGoesOn) {
  ProgramRig rig;
  Init& init = openInit(rig);
  click(init.Command1);
  click(init.Command4);
  Dice& counter = rig.window<Dice>();
  EXPECT_TRUE(counter.isVisible());
  EXPECT_FALSE(init.isVisible());
  rolls(rig, "Ann", "57");

  click(counter.Command5);
  EXPECT_TRUE(init.isVisible());
  EXPECT_EQ(column(init.List1), Lines{"Ann"});
  EXPECT_FALSE(init.Command1->isEnabled());  // not loaded again
  EXPECT_TRUE(init.Command2->isEnabled());
}

}  // namespace
}  // namespace kestar::test
