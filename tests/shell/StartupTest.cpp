#include <gtest/gtest.h>

#include <QGridLayout>

#include "afk/AFK.h"
#include "shell/About.h"
#include "shell/Program.h"
#include "shell/Startup.h"
#include "tests/support/ProgramRig.h"

namespace kestar::test {
namespace {

using shell::FormId;
using shell::Startup;

TEST(Startup, ShowsSixButtonsInTwoColumnsWithItsTabOrder) {
  ProgramRig rig;
  Startup& launcher = rig.window<Startup>();
  EXPECT_TRUE(launcher.isVisible());
  EXPECT_EQ(launcher.windowTitle(), "Kestar");
  EXPECT_TRUE(launcher.windowFlags() & Qt::WindowStaysOnTopHint);

  auto* grid = qobject_cast<QGridLayout*>(launcher.layout());
  ASSERT_NE(grid, nullptr);
  const std::vector<std::pair<QPushButton*, QString>> rows = {
      {launcher.Command1, "Dice Bot"},     {launcher.Command5, "Room Bust"},
      {launcher.Command6, "Scroll Moves"}, {launcher.Command2, "AFK"},
      {launcher.Command4, "About"},        {launcher.Command3, "Close"}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(rows[i].first->text(), rows[i].second);
    EXPECT_EQ(grid->itemAtPosition(i / 2, i % 2)->widget(), rows[i].first) << i;
    // Tab goes row by row.
    if (i < 5) {
      EXPECT_EQ(rows[i].first->nextInFocusChain(), rows[i + 1].first) << i;
    }
  }
}

TEST(Startup, EachOpenerShowsItsToolThenHidesTheLauncher) {
  ProgramRig rig;
  Startup& launcher = rig.window<Startup>();
  click(launcher.Command2);
  EXPECT_TRUE(rig.window<afk::AFK>().isVisible());
  EXPECT_FALSE(launcher.isVisible());
  click(rig.window<afk::AFK>().Command3);
  EXPECT_TRUE(launcher.isVisible());
  EXPECT_FALSE(rig.window<afk::AFK>().isVisible());

  click(launcher.Command4);
  EXPECT_TRUE(rig.window<shell::About>().isVisible());
  EXPECT_FALSE(launcher.isVisible());
  EXPECT_FALSE(rig.program.ended());
}

TEST(Startup, CloseEndsTheProgram) {
  ProgramRig rig;
  click(rig.window<Startup>().Command3);
  EXPECT_TRUE(rig.program.ended());
  EXPECT_FALSE(rig.window<Startup>().isVisible());
}

}  // namespace
}  // namespace kestar::test
