#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "dice/Dice.h"
#include "log/Log.h"
#include "shell/Controls.h"
#include "shell/Startup.h"
#include "tests/support/ProgramRig.h"

namespace kestar::test {
namespace {

using dice::Dice;
using Lines = std::vector<std::string>;

const std::string kSnag = "::snags the 69, hides it::";

// Someone in the room asks the service for a roll whose values are fixed; the counter hears the
// answer.
void roll(ProgramRig& rig, const std::string& who, std::vector<int> values, int sides = 100) {
  rig.service.setNextRolls(values);
  rig.service.sayAs(
      rig.room, who,
      "//roll-dice" + std::to_string(values.size()) + "-sides" + std::to_string(sides));
  rig.host.advance(0.5);
}

void serviceSays(ProgramRig& rig, const std::string& line) {
  rig.service.sayAs(rig.room, "OnlineHost", line);
  rig.host.advance(0.5);
}

Dice& startCounting(ProgramRig& rig) {
  click(rig.window<shell::Startup>().Command1);
  Dice& counter = rig.window<Dice>();
  click(counter.Command1);
  return counter;
}

TEST(Dice, OpensFromTheLauncherIdleWithItsControlsInPlace) {
  ProgramRig rig;
  click(rig.window<shell::Startup>().Command1);
  Dice& counter = rig.window<Dice>();
  EXPECT_TRUE(counter.isVisible());
  EXPECT_FALSE(rig.window<shell::Startup>().isVisible());
  EXPECT_EQ(counter.windowTitle(), "Dice Counter");
  EXPECT_TRUE(counter.windowFlags() & Qt::WindowStaysOnTopHint);

  EXPECT_TRUE(counter.Command1->isEnabled());
  EXPECT_FALSE(counter.Command2->isEnabled());
  EXPECT_FALSE(counter.Chat1.scanning());
  for (QCheckBox* box : {counter.Check1, counter.Check2, counter.Check3})
    EXPECT_EQ(box->checkState(), Qt::Unchecked) << box->text().toStdString();
  for (QLineEdit* box : {counter.Text1, counter.Text2, counter.Text3, counter.Text6})
    EXPECT_TRUE(box->text().isEmpty());
  EXPECT_EQ(counter.Text7->text(), "0");
  EXPECT_TRUE(counter.Text4->toPlainText().isEmpty());
  EXPECT_EQ(counter.Text4->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

  // Caption and place of every control: results with two button columns beside them, the
  // calculator at the top right, the text across the bottom with the formatting boxes beside it.
  auto* grid = qobject_cast<QGridLayout*>(counter.layout());
  ASSERT_NE(grid, nullptr);
  const struct {
    QWidget* control;
    QString caption;
    int row, column;
  } places[] = {
      {counter.Text1, "", 0, 0},
      {counter.Text2, "", 1, 0},
      {counter.Text3, "", 2, 0},
      {counter.Command1, "Start", 0, 1},
      {counter.Command2, "Stop", 1, 1},
      {counter.Command4, "&Scroll", 2, 1},
      {counter.Command5, "Init", 0, 2},
      {counter.Command7, "Terms", 1, 2},
      {counter.Command3, "Close", 2, 2},
      {counter.Text6, "", 0, 3},
      {counter.Command6, "Calculate", 0, 4},
      {counter.Text7, "0", 1, 3},
      {counter.Command8, "Clear", 1, 4},
      {counter.Command9, "Logger", 2, 3},
      {counter.Text4, "", 3, 0},
      {counter.Check1, "Bold", 3, 3},
      {counter.Check2, "Italic", 4, 3},
      {counter.Check3, "Underline", 5, 3},
  };
  for (const auto& p : places) {
    if (auto* button = qobject_cast<QAbstractButton*>(p.control)) {
      EXPECT_EQ(button->text(), p.caption);
    }
    EXPECT_EQ(grid->itemAtPosition(p.row, p.column)->widget(), p.control)
        << p.row << "," << p.column;
  }

  // S is Scroll's access key.
  EXPECT_EQ(counter.Command4->shortcut(), QKeySequence(Qt::ALT | Qt::Key_S));

  const std::vector<QWidget*> tabOrder = {
      counter.Text1,    counter.Text2,    counter.Text3,    counter.Command1, counter.Command2,
      counter.Command3, counter.Text4,    counter.Command4, counter.Command5, counter.Check1,
      counter.Check2,   counter.Check3,   counter.Command7, counter.Text6,    counter.Command6,
      counter.Text7,    counter.Command8, counter.Command9};
  EXPECT_TRUE(tabOrderIs(tabOrder));
}

TEST(Dice, AnnouncesEachRollsTotalAfterItsSixtyNineLines) {
  ProgramRig rig;
  Dice& counter = startCounting(rig);
  EXPECT_FALSE(counter.Command1->isEnabled());
  EXPECT_TRUE(counter.Command2->isEnabled());

  roll(rig, "Bob", {47, 69});
  EXPECT_EQ(counter.Text1->text(), "Bob");
  EXPECT_EQ(counter.Text2->text(), "2");
  EXPECT_EQ(counter.Text3->text(), "18");
  roll(rig, "Ann", {69, 69, 69, 69});
  roll(rig, "Cy", {7}, 20);
  EXPECT_EQ(counter.Text1->text(), "Cy");
  EXPECT_EQ(counter.Text3->text(), "0");

  const Lines announcements = {" 18-Total of Roll by Bob", " 44-Total of Roll by Ann",
                               " 0-Total of Roll by Cy"};
  const Lines snags(5, " " + kSnag);
  EXPECT_EQ(rig.sent(), (Lines{snags[0], announcements[0], snags[0], snags[0], snags[0], snags[0],
                               announcements[1], announcements[2]}));
  // The 69 lines go through the room's chat input, the totals through the scanner.
  EXPECT_EQ(rig.typedBySendChat(), snags);
  EXPECT_EQ(rig.typedBySendLine(), announcements);

  // Stopped, it hears nothing more.
  click(counter.Command2);
  EXPECT_TRUE(counter.Command1->isEnabled());
  EXPECT_FALSE(counter.Command2->isEnabled());
  roll(rig, "Bob", {100, 91});
  EXPECT_EQ(rig.sent().size(), 8u);
  EXPECT_EQ(counter.Text1->text(), "Cy");
}

TEST(Dice, LinesTheRulesDoNotTotalSayNothing) {
  ProgramRig rig;
  Dice& counter = startCounting(rig);
  serviceSays(rig, "Bob rolled 2 100-sided dice:  100 91");
  ASSERT_EQ(rig.sent(), Lines{" 43-Total of Roll by Bob"});

  // What each line leaves in the roller, dice and total boxes.
  const struct {
    const char* speaker;
    const char* said;
    const char* roller;
    const char* dice;
  } cases[] = {
      {"OnlineHost", "Zed rolled 5 6-sided dice:  1 2 3 4 5", "Zed", "5"},
      {"OnlineHost", "Yan rolled 3 100-sided dice:  47 69", "Yan", "3"},
      {"OnlineHost", "Xia rolled 2 100-sided dice:  69 40001", "Xia", "2"},
      {"onlinehost", "Wes rolled 1 100-sided die:  50", "Xia", "2"},
      {"OnlineHost", "Welcome to room 12", "Xia", "2"},
  };
  for (const auto& c : cases) {
    rig.service.sayAs(rig.room, c.speaker, c.said);
    rig.host.advance(0.5);
    EXPECT_EQ(counter.Text1->text().toStdString(), c.roller) << c.said;
    EXPECT_EQ(counter.Text2->text().toStdString(), c.dice) << c.said;
    EXPECT_EQ(counter.Text3->text(), "43") << c.said;
  }
  EXPECT_EQ(rig.sent(), Lines{" 43-Total of Roll by Bob"});

  // Counting goes on after them.
  serviceSays(rig, "Bob rolled 1 100-sided die:  69");
  EXPECT_EQ(rig.sent(),
            (Lines{" 43-Total of Roll by Bob", " " + kSnag, " 11-Total of Roll by Bob"}));
}

TEST(Dice, TagPrefixIsTakenFromTheBoxesAtStartAndScroll) {
  ProgramRig rig;
  click(rig.window<shell::Startup>().Command1);
  Dice& counter = rig.window<Dice>();
  counter.Check1->setChecked(true);
  counter.Check3->setChecked(true);
  click(counter.Command1);
  roll(rig, "Bob", {69});
  // Ticking a box later changes nothing until the next Start or Scroll.
  counter.Check2->setChecked(true);
  roll(rig, "Bob", {50});
  click(counter.Command2);
  click(counter.Command1);
  roll(rig, "Bob", {50});
  counter.Check1->setChecked(false);
  counter.Check3->setChecked(false);
  click(counter.Command4);  // an empty text scrolls nothing but takes the prefix
  roll(rig, "Bob", {50});
  counter.Check2->setTristate(true);
  counter.Check2->setCheckState(Qt::PartiallyChecked);  // greyed counts as unticked
  click(counter.Command4);
  roll(rig, "Bob", {50});
  EXPECT_EQ(rig.sent(), (Lines{"<b><u>" + kSnag, "<b><u>11-Total of Roll by Bob",
                               "<b><u>8-Total of Roll by Bob", "<b><i><u>8-Total of Roll by Bob",
                               " <i>8-Total of Roll by Bob", " 8-Total of Roll by Bob"}));
}

TEST(Dice, CalculatorAddsTheScoresOfTypedValues) {
  ProgramRig rig;
  click(rig.window<shell::Startup>().Command1);
  Dice& counter = rig.window<Dice>();
  // Each step: what is in Text6 (and Text7 when given) before Calculate or Clear, and Text7 after.
  const struct {
    const char* value;
    const char* total;  // nullptr: as the step before left it
    bool clear;
    const char* shown;
    const char* valueAfter;
  } steps[] = {
      {"69", nullptr, false, "11", ""},
      {"100", nullptr, false, "37", ""},
      {"", nullptr, false, "37", ""},
      {"100", "2.5", false, "28.5", ""},
      {"7", "abc", false, "0", ""},
      {"99", "-3", false, "22", ""},
      {"50", nullptr, true, "", ""},
      {"20", nullptr, false, "2", ""},
      {"90.5", "0.1", false, "16.1", ""},
      {"999", "1e14", false, "100000000000925", ""},
      // A value whose score does not fit 16 bits adds nothing, and stays for the user to mend.
      {"40000", "5", false, "5", "40000"},
      {"20", "1e999", false, "1e999", "20"},
  };
  for (const auto& s : steps) {
    counter.Text6->setText(s.value);
    if (s.total != nullptr) counter.Text7->setText(s.total);
    click(s.clear ? counter.Command8 : counter.Command6);
    EXPECT_EQ(counter.Text7->text().toStdString(), s.shown) << s.value;
    EXPECT_EQ(counter.Text6->text().toStdString(), s.valueAfter) << s.value;
    EXPECT_EQ(counter.focusWidget(), counter.Text6) << s.value;
  }
  // The 69 went out before any Start or Scroll: without a prefix, through the chat input.
  EXPECT_EQ(rig.sent(), Lines{kSnag});
  EXPECT_EQ(rig.typedBySendChat(), Lines{kSnag});
}

TEST(Dice, EnterCalculatesAndAValueTheCalculatorCannotTakeIsSaid) {
  ProgramRig rig;
  click(rig.window<shell::Startup>().Command1);
  Dice& counter = rig.window<Dice>();
  counter.Text6->setText("20");
  QTest::keyClick(counter.Text6, Qt::Key_Return);
  EXPECT_EQ(counter.Text7->text(), "2");
  counter.Text6->setText("100");
  QTest::keyClick(counter.Text7, Qt::Key_Enter);
  EXPECT_EQ(counter.Text7->text(), "28");
  EXPECT_EQ(counter.Status->text(), "Stopped");

  counter.Text6->setText("99999");
  QTest::keyClick(counter.Text6, Qt::Key_Return);
  EXPECT_EQ(counter.Text6->text(), "99999");
  EXPECT_EQ(counter.Text7->text(), "28");
  EXPECT_TRUE(counter.Status->text().startsWith("99999 cannot be added"))
      << counter.Status->text().toStdString();
  EXPECT_EQ(counter.Text6->toolTip(), counter.Status->text());

  counter.Text6->setText("20");
  counter.Text7->setText("1e999");
  click(counter.Command6);
  EXPECT_TRUE(counter.Status->text().startsWith("The total would go beyond any number"))
      << counter.Status->text().toStdString();
  click(counter.Command8);
  EXPECT_EQ(counter.Status->text(), "Stopped") << "Clear mends both boxes";
  EXPECT_FALSE(counter.Text6->toolTip().contains("cannot"));
}

TEST(Dice, TheTotalsToolTipSaysWhoseRollItIsBesideARollNotCounted) {
  ProgramRig rig;
  Dice& counter = startCounting(rig);
  const QColor normal = counter.Text3->palette().color(QPalette::Text);
  serviceSays(rig, "Bob rolled 2 100-sided dice:  100 91");
  EXPECT_EQ(counter.Text3->toolTip(), "The total of the roll by Bob (2 dice)");
  serviceSays(rig, "Zed rolled 5 6-sided dice:  1 2 3 4 5");
  EXPECT_EQ(counter.Text3->text(), "43");
  EXPECT_EQ(counter.Text3->toolTip(),
            "The total of the roll by Bob (2 dice); the roll by Zed (5 dice) shown above was not "
            "counted");
  EXPECT_NE(counter.Text3->palette().color(QPalette::Text), normal) << "the old total is greyed";
  serviceSays(rig, "Zed rolled 1 100-sided die:  50");
  EXPECT_EQ(counter.Text3->toolTip(), "The total of the roll by Zed (1 dice)");
  EXPECT_EQ(counter.Text3->palette().color(QPalette::Text), normal);
}

TEST(Dice, ScrollShowsWhichLineIsGoingOutWithoutDisablingAnything) {
  ProgramRig rig;
  click(rig.window<shell::Startup>().Command1);
  Dice& counter = rig.window<Dice>();
  shell::setBoxText(*counter.Text4, u"first line\r\nsecond line\r\nthird line");
  chatlink::Timer during(rig.host, 1500);
  QString shown;
  during.onTimer = [&] {
    shown = counter.Status->text();
    EXPECT_EQ(counter.cursor().shape(), Qt::BusyCursor);
    EXPECT_TRUE(counter.Command4->isEnabled());
    during.setEnabled(false);
  };
  during.setEnabled(true);
  click(counter.Command4);
  EXPECT_EQ(shown, "Scrolling line 2 of 3");
  EXPECT_EQ(counter.Status->text(), "Stopped");
  EXPECT_EQ(counter.cursor().shape(), Qt::ArrowCursor);
}

TEST(Dice, ScrollSendsTheTextWithThePrefixOfEachLineAndRollsFallBetween) {
  ProgramRig rig;
  Dice& counter = startCounting(rig);
  counter.Check1->setChecked(true);
  shell::setBoxText(*counter.Text4, u"first line\r\nsecond line\r\nthird line");
  // During the scroll Bob rolls, then the user ticks Italic and clicks Start again (Stop first).
  chatlink::Timer during(rig.host, 700);
  int tick = 0;
  during.onTimer = [&] {
    if (++tick == 1) {
      rig.service.setNextRolls({50});
      rig.service.sayAs(rig.room, "Bob", "//roll-dice1-sides100");
    } else {
      counter.Check2->setChecked(true);
      click(counter.Command2);
      click(counter.Command1);
      during.setEnabled(false);
    }
  };
  during.setEnabled(true);
  click(counter.Command4);
  EXPECT_EQ(counter.focusWidget(), counter.Text4);
  EXPECT_EQ(rig.sent(), (Lines{"<b>first line", "<b>8-Total of Roll by Bob", "<b>second line",
                               "<b><i>third line"}));
  EXPECT_EQ(rig.typedBySendChat(), (Lines{"<b>first line", "<b>second line", "<b><i>third line"}));
  EXPECT_FALSE(counter.Command1->isEnabled());  // the scroll leaves Start and Stop alone
}

TEST(Dice, ARollIsTotalledOnceWhicheverRoomComesOnTop) {
  ProgramRig rig;
  roll(rig, "Ann", {12});  // before Start, in the room that then goes below
  rig.client.openRoom("Lobby");
  Dice& counter = startCounting(rig);
  rig.client.openRoom(rig.room);  // back on top
  rig.host.advance(0.5);
  roll(rig, "Bob", {50});
  rig.client.openRoom("Lobby");
  rig.host.advance(0.5);
  rig.client.openRoom(rig.room);
  rig.host.advance(0.5);
  EXPECT_EQ(rig.sent(), Lines{" 8-Total of Roll by Bob"});
  EXPECT_EQ(counter.Text1->text(), "Bob");
}

TEST(Dice, CloseGoesBackToTheLauncherWhichSaysTheCountingGoesOn) {
  ProgramRig rig;
  auto& launcher = rig.window<shell::Startup>();
  EXPECT_EQ(launcher.Working->text(), "");
  Dice& counter = startCounting(rig);
  EXPECT_EQ(counter.Status->text(), "Counting");
  click(counter.Command3);
  EXPECT_FALSE(counter.isVisible());
  EXPECT_TRUE(launcher.isVisible());
  EXPECT_EQ(launcher.Working->text(), "Dice counter: counting");
  roll(rig, "Bob", {100, 91});
  EXPECT_EQ(rig.sent(), Lines{" 43-Total of Roll by Bob"});

  // Shown again, it is as it was; stopped, it says so, and so does the launcher.
  click(launcher.Command1);
  EXPECT_TRUE(counter.isVisible());
  EXPECT_EQ(counter.Text3->text(), "43");
  EXPECT_FALSE(counter.Command1->isEnabled());
  click(counter.Command2);
  EXPECT_EQ(counter.Status->text(), "Stopped");
  EXPECT_EQ(launcher.Working->text(), "");
}

TEST(Dice, OpensInitTermsAndTheLoggerInItsPlace) {
  ProgramRig rig;
  Dice& counter = startCounting(rig);
  const struct {
    QPushButton* button;
    shell::FormId id;
    const char* caption;
  } openers[] = {{counter.Command5, shell::FormId::Init, "Init"},
                 {counter.Command7, shell::FormId::Terms, "Terms"}};
  for (const auto& o : openers) {
    click(o.button);
    shell::Form* target = rig.program.existing(o.id);
    ASSERT_NE(target, nullptr) << o.caption;
    EXPECT_EQ(target->windowTitle(), o.caption);
    EXPECT_TRUE(target->isVisible()) << o.caption;
    EXPECT_FALSE(counter.isVisible()) << o.caption;
    target->Hide();
    rig.program.show(Dice::Id);
  }
  click(counter.Command9);
  auto& logger = rig.window<log::Log>();
  EXPECT_TRUE(logger.isVisible());
  EXPECT_FALSE(counter.isVisible());
  click(logger.Command3);
  EXPECT_TRUE(counter.isVisible());
  EXPECT_FALSE(logger.isVisible());
  roll(rig, "Bob", {50});
  EXPECT_EQ(rig.sent(), Lines{" 8-Total of Roll by Bob"});
}

TEST(Dice, TitleBarCloseWhileCountingEndsTheProgram) {
  ProgramRig rig;
  Dice& counter = startCounting(rig);
  counter.close();
  EXPECT_TRUE(rig.program.ended());
  roll(rig, "Bob", {50});
  EXPECT_TRUE(rig.sent().empty());
}

}  // namespace
}  // namespace kestar::test
