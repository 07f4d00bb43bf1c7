#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>

#include "dice/Dice.h"
#include "shell/Placement.h"
#include "shell/Startup.h"
#include "tests/support/ProgramRig.h"

namespace kestar::test {
namespace {

using shell::placeBeside;
using shell::pulledOnScreen;

TEST(Placement, BesideTheOpenerOnTheScreenAndClearOfTheChatWhereThereIsRoom) {
  const QRect wide(0, 0, 1600, 1000);
  const QRect small(0, 0, 1024, 768);
  const QRect chat(200, 90, 480, 330);
  const QRect launcher(700, 60, 240, 140);
  struct Case {
    const char* what;
    QSize preferred;
    QSize smallest;
    QRect opener;
    QRect keepClear;
    QRect screen;
    QRect expected;
  };
  const Case cases[] = {
      {"right of the opener", {500, 300}, {400, 200}, launcher, chat, wide, {948, 60, 500, 300}},
      {"left of an opener at the right edge",
       {400, 300},
       {400, 300},
       {1400, 60, 190, 140},
       chat,
       wide,
       {992, 60, 400, 300}},
      {"under the chat when both sides of the opener cover it",
       {620, 330},
       {620, 330},
       launcher,
       chat,
       small,
       {404, 428, 620, 330}},
      {"smaller, to fit under the chat",
       {342, 535},
       {342, 300},
       {730, 111, 192, 120},
       {250, 70, 470, 290},
       small,
       {682, 368, 342, 359}},
      {"no room even at its smallest: as large as it likes, covering the least",
       {620, 500},
       {620, 450},
       launcher,
       chat,
       small,
       {404, 268, 620, 500}},
      {"larger than the screen: its top left corner",
       {1200, 900},
       {1200, 900},
       launcher,
       chat,
       small,
       {0, 0, 1200, 900}},
      {"no chat to keep clear of",
       {300, 200},
       {300, 200},
       {100, 100, 200, 100},
       {},
       wide,
       {308, 100, 300, 200}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(placeBeside(c.preferred, c.smallest, c.opener, c.keepClear, c.screen), c.expected)
        << c.what;
  }

  EXPECT_EQ(pulledOnScreen({1500, 900, 300, 200}, wide), QRect(1300, 800, 300, 200));
  EXPECT_EQ(pulledOnScreen({-50, -20, 300, 200}, wide), QRect(0, 0, 300, 200));
  EXPECT_EQ(pulledOnScreen({1000, 100, 300, 200}, {1600, 0, 1024, 768}), QRect(1600, 100, 300, 200))
      << "onto a second screen to the right";
  EXPECT_EQ(pulledOnScreen({100, 100, 300, 200}, wide), QRect(100, 100, 300, 200));
}

TEST(Placement, AWindowOpensBesideItsOpenerAndComesBackWhereTheUserPutIt) {
  QSettings().clear();
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect chat(screen.left(), screen.top(), screen.width() / 4, screen.height());
  {
    ProgramRig rig;
    rig.program.keepClear = [chat] { return chat; };
    auto& launcher = rig.window<shell::Startup>();
    launcher.move(chat.right() + 20, screen.top() + 10);
    click(launcher.Command1);
    auto& counter = rig.window<dice::Dice>();
    EXPECT_TRUE(screen.contains(counter.frameGeometry())) << "not fully on the screen";
    EXPECT_FALSE(counter.frameGeometry().intersects(chat)) << "over the chat";

    counter.move(screen.left() + 123, screen.top() + 45);
    click(counter.Command3);
  }
  {
    ProgramRig nextRun;
    click(nextRun.window<shell::Startup>().Command1);
    EXPECT_EQ(nextRun.window<dice::Dice>().pos(), QPoint(screen.left() + 123, screen.top() + 45));
  }
  // The screen has become smaller since.
  QSettings().setValue(QStringLiteral("windows/Dice/position"),
                       QPoint(screen.right() + 500, screen.bottom() + 500));
  ProgramRig smaller;
  click(smaller.window<shell::Startup>().Command1);
  EXPECT_TRUE(screen.contains(smaller.window<dice::Dice>().frameGeometry()));
}

}  // namespace
}  // namespace kestar::test
