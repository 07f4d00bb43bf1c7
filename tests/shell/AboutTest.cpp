#include <gtest/gtest.h>

#include <QLabel>

#include "shell/About.h"
#include "shell/Controls.h"
#include "shell/Startup.h"
#include "tests/support/ProgramRig.h"

namespace kestar::test {
namespace {

using shell::About;

TEST(About, ShowsTheProductTheAuthorAndTheThanks) {
  ProgramRig rig;
  click(rig.window<shell::Startup>().Command4);
  About& about = rig.window<About>();
  EXPECT_EQ(about.windowTitle(), "About");
  EXPECT_EQ(about.Label1->text(), "Kestar");
  EXPECT_EQ(about.Label2->text(), "By " + shell::toQString(About::kAuthor));
  EXPECT_TRUE(about.Label3->text().contains("testing"));
  const std::pair<QLabel*, double> fonts[] = {
      {about.Label1, 12}, {about.Label2, 9.75}, {about.Label3, 8.25}};
  for (const auto& [label, points] : fonts) {
    EXPECT_TRUE(label->font().bold() && label->font().italic());
    EXPECT_DOUBLE_EQ(label->font().pointSizeF(), points);
  }
  EXPECT_EQ(about.Command1->text(), "Advertise");
  EXPECT_EQ(about.Command2->text(), "Close");
}

TEST(About, AdvertisesWithTwoLinesASecondApartThroughTheChatInput) {
  ProgramRig rig;
  About& about = rig.shown<About>();
  rig.host.setTimeOfDay(1000.2);
  click(about.Command1);
  const std::string byLine = "<b><i>" + std::string(12, ' ') + "By: " + narrow(About::kAuthor);
  EXPECT_EQ(rig.typedBySendChat(), (std::vector<std::string>{"<b><i>~*~Kestar~*~", byLine}));
  EXPECT_TRUE(rig.typedBySendLine().empty());
  EXPECT_EQ(rig.sent(), (std::vector<std::string>{"<b><i>~*~Kestar~*~", byLine}));
  EXPECT_EQ(rig.host.pauses, std::vector<int>{1});
  // Started at 1000.2, the second counts from 1000: 0.8 s.
  EXPECT_NEAR(rig.host.steadySeconds(), 0.8, 1e-9);
}

TEST(About, CloseGoesBackToTheLauncher) {
  ProgramRig rig;
  About& about = rig.shown<About>();
  rig.program.hide(shell::FormId::Startup);
  click(about.Command2);
  EXPECT_FALSE(about.isVisible());
  EXPECT_TRUE(rig.window<shell::Startup>().isVisible());
}

}  // namespace
}  // namespace kestar::test
