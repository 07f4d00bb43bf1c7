#include <gtest/gtest.h>

#include <QLabel>

#include "afk/AFK.h"
#include "shell/Controls.h"
#include "shell/Startup.h"
#include "tests/support/ProgramRig.h"

namespace kestar::test {
namespace {

using afk::AFK;

const std::string kOpening =
    "<B><I>::gently drifts to sleep, breathing gently:: (Kestar AFK Bot Opening)";
const std::string kClosing =
    "<B><I>::wakes back up, yawns:: I feel better... (Kestar AFK Bot Closing)";
const std::string kSleeping =
    "::breathes slowly and deeply, sleeping soundly, not snoring one bit:: (Kestar AFK Bot)";

void expectAtKeyboard(const AFK& bot) {
  EXPECT_EQ(bot.Label1->text(), "At Keyboard");
  EXPECT_TRUE(bot.Command1->isEnabled());
  EXPECT_FALSE(bot.Command2->isEnabled());
  EXPECT_FALSE(bot.Timer1.enabled());
}

TEST(AFK, LoadsAtTheKeyboard) {
  ProgramRig rig;
  click(rig.window<shell::Startup>().Command2);
  AFK& bot = rig.window<AFK>();
  EXPECT_EQ(bot.windowTitle(), "AFK");
  EXPECT_EQ(bot.Command1->text(), "Afk");
  EXPECT_EQ(bot.Command2->text(), "Bak");
  EXPECT_EQ(bot.Command3->text(), "Close");
  EXPECT_TRUE(bot.Label1->font().bold());
  EXPECT_EQ(bot.Label1->font().pointSize(), 12);
  EXPECT_EQ(bot.Timer1.interval(), 60000);
  expectAtKeyboard(bot);
  EXPECT_TRUE(rig.sent().empty());
}

TEST(AFK, AwaySendsTheOpeningLineThenASleepingLineEveryMinuteUntilBack) {
  ProgramRig rig;
  AFK& bot = rig.shown<AFK>();
  click(bot.Command1);
  EXPECT_EQ(bot.Label1->text(), "Away From Keyboard");
  EXPECT_FALSE(bot.Command1->isEnabled());
  EXPECT_TRUE(bot.Command2->isEnabled());
  EXPECT_EQ(rig.sent(), std::vector<std::string>{kOpening});

  rig.host.advance(59.9);
  EXPECT_EQ(rig.sent().size(), 1u) << "the first sleeping line came early";
  rig.host.advance(0.2);
  EXPECT_EQ(rig.sent(), (std::vector<std::string>{kOpening, kSleeping}));
  rig.host.advance(120);
  EXPECT_EQ(rig.sent().size(), 4u);

  click(bot.Command2);
  expectAtKeyboard(bot);
  rig.host.advance(300);
  EXPECT_EQ(rig.sent(),
            (std::vector<std::string>{kOpening, kSleeping, kSleeping, kSleeping, kClosing}));
  // Every line went through the room's chat input, none through a scanner.
  EXPECT_EQ(rig.typedBySendChat(), rig.sent());

  // Away again: the minute starts afresh.
  rig.host.advance(30);
  click(bot.Command1);
  rig.host.advance(45);
  EXPECT_EQ(rig.sent().back(), kOpening);
  rig.host.advance(15.1);
  EXPECT_EQ(rig.sent().back(), kSleeping);
}

TEST(AFK, CloseWhileAwayComesBackOnceAndHides) {
  ProgramRig rig;
  AFK& bot = rig.shown<AFK>();
  click(bot.Command1);
  click(bot.Command3);
  EXPECT_FALSE(bot.isVisible());
  EXPECT_TRUE(rig.window<shell::Startup>().isVisible());
  rig.host.advance(600);
  EXPECT_EQ(rig.sent(), (std::vector<std::string>{kOpening, kClosing}));

  click(rig.window<shell::Startup>().Command2);
  expectAtKeyboard(bot);

  click(bot.Command3);  // at the keyboard, Close only hides
  EXPECT_EQ(rig.sent().size(), 2u);
  EXPECT_FALSE(bot.isVisible());
}

TEST(AFK, SleepingLineFallsBetweenTheLinesOfAnotherWindowsPause) {
  ProgramRig rig;
  AFK& bot = rig.shown<AFK>();
  click(bot.Command1);
  rig.host.advance(59.5);
  // A scroll of two lines: the minute ends during its first pause.
  chatlink::ScrollText(rig.link, u"first line\r\nsecond line", u"");
  EXPECT_EQ(rig.sent(),
            (std::vector<std::string>{kOpening, "first line", kSleeping, "second line"}));
}

TEST(AFK, TitleBarCloseWhileAwayEndsWithoutTheClosingLine) {
  ProgramRig rig;
  AFK& bot = rig.shown<AFK>();
  click(bot.Command1);
  bot.close();
  EXPECT_TRUE(rig.program.ended());
  rig.host.advance(120);
  EXPECT_EQ(rig.sent(), std::vector<std::string>{kOpening});
}

}  // namespace
}  // namespace kestar::test
