#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include "afk/AFK.h"
#include "shell/About.h"
#include "shell/Program.h"
#include "shell/Startup.h"
#include "tests/support/ProgramRig.h"

namespace kestar::test {
namespace {

using shell::FormId;

TEST(Program, MakesEachWindowOnceAndLoadsItOnItsFirstShowingOnly) {
  ProgramRig rig;
  shell::Form* afk = rig.program.form(FormId::AFK);
  ASSERT_NE(afk, nullptr);
  EXPECT_FALSE(afk->loaded()) << "made is not loaded";
  EXPECT_EQ(rig.program.form(FormId::AFK), afk);

  auto& bot = rig.shown<afk::AFK>();
  EXPECT_TRUE(bot.loaded());
  click(bot.Command1);  // away: the window's state is the timer and the buttons
  click(bot.Command3);  // Close while away comes back to the keyboard...
  click(bot.Command1);  // ...so go away again, then leave by hiding the window only
  bot.Hide();
  rig.program.show(FormId::AFK);
  EXPECT_EQ(&rig.window<afk::AFK>(), &bot);
  // A second Form_Load would have switched the timer off and reset the label.
  EXPECT_TRUE(bot.Timer1.enabled());
  EXPECT_EQ(bot.Label1->text(), "Away From Keyboard");
  EXPECT_FALSE(bot.Command1->isEnabled());
}

TEST(Program, EveryLoadedWindowStaysOnTopAlsoAfterHideAndShow) {
  ProgramRig rig;
  for (const FormId id : {FormId::Startup, FormId::AFK, FormId::About}) {
    rig.program.show(id);
    rig.program.hide(id);
    rig.program.show(id);
    shell::Form* form = rig.program.form(id);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint) << static_cast<int>(id);
    EXPECT_TRUE(form->isVisible());
  }
}

TEST(Program, TitleBarCloseOfAnyWindowEndsEverything) {
  for (const FormId closed : {FormId::Startup, FormId::AFK, FormId::About}) {
    ProgramRig rig;
    auto& bot = rig.shown<afk::AFK>();
    click(bot.Command1);
    rig.program.show(FormId::About);
    rig.program.hide(closed);  // hidden or shown, its system close ends the program
    const auto before = rig.sent();
    ASSERT_GT(rig.host.runningTimers(), 0);

    rig.program.form(closed)->close();
    EXPECT_TRUE(rig.program.ended());
    EXPECT_EQ(rig.host.runningTimers(), 0) << "timers still running";
    for (const FormId id : {FormId::Startup, FormId::AFK, FormId::About}) {
      EXPECT_FALSE(rig.program.form(id)->isVisible());
    }
    // No unload handler of another window ran: the away bot did not say goodbye, and no minute
    // passes for it any more.
    rig.host.advance(180);
    EXPECT_EQ(rig.sent(), before);
  }
}

TEST(Program, EndingInsideAPauseSendsNothingMore) {
  ProgramRig rig;
  auto& about = rig.shown<shell::About>();
  chatlink::Timer closer(rig.host, 500);
  closer.onTimer = [&] { rig.window<shell::Startup>().close(); };
  closer.setEnabled(true);
  click(about.Command1);  // Advertise: a line, a pause of a second, a line
  EXPECT_TRUE(rig.program.ended());
  EXPECT_EQ(rig.typedBySendChat(), std::vector<std::string>{"<b><i>~*~Kestar~*~"});
  EXPECT_LT(rig.host.steadySeconds(), 0.6) << "the pause went on after the end";
}

TEST(Program, EveryBoxOfEveryWindowSaysWhatItHolds) {
  ProgramRig rig;
  for (std::size_t i = 0; i < shell::kFormCount; ++i) {
    const auto id = static_cast<FormId>(i);
    rig.program.show(id);
    shell::Form* form = rig.program.form(id);
    for (QWidget* box : form->findChildren<QWidget*>()) {
      const bool isBox = qobject_cast<QLineEdit*>(box) || qobject_cast<QPlainTextEdit*>(box) ||
                         qobject_cast<QAbstractItemView*>(box) || qobject_cast<QComboBox*>(box);
      // The line and list of a combo box are the combo box's own; a hidden box is not the user's.
      if (!isBox || qobject_cast<QComboBox*>(box->parentWidget()) || !box->isVisibleTo(form))
        continue;
      EXPECT_FALSE(box->accessibleName().isEmpty())
          << form->windowTitle().toStdString() << ": a " << box->metaObject()->className();
      EXPECT_FALSE(box->toolTip().isEmpty())
          << form->windowTitle().toStdString() << ": " << box->accessibleName().toStdString();
    }
    rig.program.hide(id);
  }
}

}  // namespace
}  // namespace kestar::test
