#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>

#include "dice/Dice.h"
#include "shell/Startup.h"
#include "spar/Terms.h"
#include "tests/support/ProgramRig.h"

namespace kestar::test {
namespace {

using dice::Dice;
using spar::Terms;
using Lines = std::vector<std::string>;

const char* const kTerm1 = "No SiDs, Enhancers, or Healing.";
const char* const kTerm3 = "HS: 1st rd for 3d and 4d,  1st and 2nd for 2d.";
const char* const kTerm5 = "No Split attacks, Randoms, or Specials first round.";
const char* const kTerm7 = "Any judgement by the Proc is final.";

Terms& openTerms(ProgramRig& rig) {
  click(rig.window<shell::Startup>().Command1);
  click(rig.window<Dice>().Command7);
  return rig.window<Terms>();
}

TEST(Terms, OpensFromTheCounterWithItsTermsUnticked) {
  ProgramRig rig;
  Terms& terms = openTerms(rig);
  EXPECT_TRUE(terms.isVisible());
  EXPECT_FALSE(rig.window<Dice>().isVisible());
  EXPECT_EQ(terms.windowTitle(), "Terms");
  EXPECT_TRUE(terms.windowFlags() & Qt::WindowStaysOnTopHint);

  const std::pair<QCheckBox*, const char*> boxes[] = {
      {terms.Check1, kTerm1},
      {terms.Check2, "Split attacks, Specials, and Random attacks are all ok."},
      {terms.Check3, kTerm3},
      {terms.Check4, "Specials for mortals all rounds but first."},
      {terms.Check5, kTerm5},
      {terms.Check6, "HS: 1st rd for 3d and 4d, All rounds for 2d."},
      {terms.Check7, kTerm7},
      {terms.Check8, "Other"},
      {terms.Check9, "<b>"},
      {terms.Check10, "<i>"},
      {terms.Check11, "<u>"},
  };
  for (const auto& [box, caption] : boxes) {
    EXPECT_EQ(box->text().toStdString(), caption);
    EXPECT_EQ(box->checkState(), Qt::Unchecked) << caption;
  }
  EXPECT_TRUE(terms.Text1->text().isEmpty());
  EXPECT_EQ(terms.Command1->text(), "Send");
  EXPECT_EQ(terms.Command3->text(), "Clear");
  EXPECT_EQ(terms.Command2->text(), "Close");

  // The terms one under the other, Other with its text beside it, the buttons in a row below and
  // the markup boxes stacked to their right.
  for (std::size_t i = 1; i < 8; ++i)
    EXPECT_GT(boxes[i].first->y(), boxes[i - 1].first->y()) << i;
  EXPECT_EQ(terms.Text1->y() / 4, terms.Check8->y() / 4);
  EXPECT_GT(terms.Text1->x(), terms.Check8->x());
  EXPECT_GT(terms.Command1->y(), terms.Check8->y());
  EXPECT_EQ(terms.Command1->y(), terms.Command3->y());
  EXPECT_EQ(terms.Command3->y(), terms.Command2->y());
  EXPECT_LT(terms.Command1->x(), terms.Command3->x());
  EXPECT_LT(terms.Command3->x(), terms.Command2->x());
  EXPECT_GT(terms.Check9->x(), terms.Command2->x());
  EXPECT_LT(terms.Check9->y(), terms.Check10->y());
  EXPECT_LT(terms.Check10->y(), terms.Check11->y());
}

TEST(Terms, SendPostsTheHeaderAndEachTickedTermWithAPauseAfterEachFixedOne) {
  const struct {
    std::vector<int> ticked;  // 1 to 7 the terms, 8 Other
    const char* other;        // typed into Text1
    bool bold, italic, underline;
    Lines said;
    std::vector<int> pauses;
  } cases[] = {
      {{}, "", false, false, false, {" ~*~TERMS~*~"}, {}},
      {{1, 7},
       "",
       true,
       false,
       false,
       {"<b>~*~TERMS~*~", std::string("<b>") + kTerm1, std::string("<b>") + kTerm7},
       {1, 1}},
      {{8}, "", false, false, false, {" ~*~TERMS~*~", " "}, {}},
      {{}, "winner takes the arena", false, false, false, {" ~*~TERMS~*~"}, {}},
      {{3, 8},
       "winner takes the arena",
       false,
       true,
       true,
       {" <i><u>~*~TERMS~*~", std::string(" <i><u>") + kTerm3, " <i><u>winner takes the arena"},
       {1}},
  };
  for (const auto& c : cases) {
    ProgramRig rig;
    Terms& terms = openTerms(rig);
    QCheckBox* const boxes[] = {terms.Check1, terms.Check2, terms.Check3, terms.Check4,
                                terms.Check5, terms.Check6, terms.Check7, terms.Check8};
    for (int box : c.ticked)
      boxes[box - 1]->setChecked(true);
    terms.Text1->setText(c.other);
    terms.Check9->setChecked(c.bold);
    terms.Check10->setChecked(c.italic);
    terms.Check11->setChecked(c.underline);
    click(terms.Command1);
    EXPECT_EQ(rig.sent(), c.said) << c.said.back();
    EXPECT_EQ(rig.typedBySendLine(), c.said) << c.said.back();
    EXPECT_EQ(rig.host.pauses, c.pauses) << c.said.back();
  }
}

TEST(Terms, TicksChangedDuringAPauseCountForTheTermsNotReachedYet) {
  ProgramRig rig;
  Terms& terms = openTerms(rig);
  terms.Check1->setChecked(true);
  terms.Check3->setChecked(true);
  terms.Check7->setChecked(true);
  chatlink::Timer during(rig.host, 500);
  during.onTimer = [&] {
    terms.Check1->setChecked(false);  // already posted
    terms.Check3->setChecked(false);
    terms.Check5->setChecked(true);
    terms.Check9->setChecked(true);  // the prefix was built at the click
    terms.Check7->setTristate(true);
    terms.Check7->setCheckState(Qt::PartiallyChecked);  // greyed counts as unticked
    during.setEnabled(false);
  };
  during.setEnabled(true);
  click(terms.Command1);
  EXPECT_EQ(rig.sent(),
            (Lines{" ~*~TERMS~*~", std::string(" ") + kTerm1, std::string(" ") + kTerm5}));
  EXPECT_EQ(rig.host.pauses, (std::vector<int>{1, 1}));
}

TEST(Terms, ASecondSendDuringAPausePostsInsideTheFirstWhoseRestTakesItsPrefix) {
  ProgramRig rig;
  Terms& terms = openTerms(rig);
  terms.Check1->setChecked(true);
  terms.Check7->setChecked(true);
  chatlink::Timer during(rig.host, 500);
  during.onTimer = [&] {
    during.setEnabled(false);
    terms.Check9->setChecked(true);
    click(terms.Command1);
  };
  during.setEnabled(true);
  click(terms.Command1);
  const std::string t1 = kTerm1;
  const std::string t7 = kTerm7;
  EXPECT_EQ(rig.sent(), (Lines{" ~*~TERMS~*~", " " + t1, "<b>~*~TERMS~*~", "<b>" + t1, "<b>" + t7,
                               "<b>" + t7}));
  EXPECT_EQ(rig.host.pauses, (std::vector<int>{1, 1, 1, 1}));
}

TEST(Terms, SendShowsWhichTermIsGoingOut) {
  ProgramRig rig;
  Terms& terms = openTerms(rig);
  terms.Check3->setChecked(true);
  terms.Check7->setChecked(true);
  chatlink::Timer during(rig.host, 500);
  QStringList shown;
  during.onTimer = [&] { shown << terms.Status->text(); };
  during.setEnabled(true);
  click(terms.Command1);
  during.setEnabled(false);
  shown.removeDuplicates();
  EXPECT_EQ(shown.join(" | "), "Posting term 3 of 7 | Posting term 7 of 7");
  EXPECT_TRUE(terms.Status->text().isEmpty());
}

TEST(Terms, MarkupIsCopiedFromTheCounterAtTheFirstOpeningOnly) {
  ProgramRig rig;
  click(rig.window<shell::Startup>().Command1);
  Dice& counter = rig.window<Dice>();
  counter.Check1->setChecked(true);
  counter.Check2->setTristate(true);
  counter.Check2->setCheckState(Qt::PartiallyChecked);
  counter.Check3->setChecked(true);
  click(counter.Command7);
  Terms& terms = rig.window<Terms>();
  EXPECT_TRUE(terms.Check9->isChecked());
  EXPECT_EQ(terms.Check10->checkState(), Qt::Unchecked);
  EXPECT_TRUE(terms.Check11->isChecked());

  // Clear unticks the terms and Other, and leaves the markup.
  terms.Check2->setChecked(true);
  terms.Check8->setChecked(true);
  terms.Text1->setText("no running");
  click(terms.Command3);
  for (const QCheckBox* box : {terms.Check1, terms.Check2, terms.Check3, terms.Check4, terms.Check5,
                               terms.Check6, terms.Check7, terms.Check8})
    EXPECT_FALSE(box->isChecked()) << box->text().toStdString();
  EXPECT_TRUE(terms.Text1->text().isEmpty());
  EXPECT_TRUE(terms.Check9->isChecked());
  EXPECT_TRUE(terms.Check11->isChecked());

  // Back at the counter, changed boxes there do not come over on the next opening.
  click(terms.Command2);
  EXPECT_TRUE(counter.isVisible());
  EXPECT_FALSE(terms.isVisible());
  counter.Check1->setChecked(false);
  counter.Check2->setChecked(true);
  click(counter.Command7);
  EXPECT_TRUE(terms.isVisible());
  EXPECT_TRUE(terms.Check9->isChecked());
  EXPECT_FALSE(terms.Check10->isChecked());
}

}  // namespace
}  // namespace kestar::test
