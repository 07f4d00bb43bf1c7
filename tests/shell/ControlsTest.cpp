#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/Controls.h"
#include "shell/StatusLine.h"

namespace kestar::test {
namespace {

TEST(Controls, AMultiLineBoxGivesItsTextWithCrLfAndEveryCharacterAsTyped) {
  QPlainTextEdit box;
  shell::setBoxText(box, u"one\r\ntwo\rthree\nfour");
  EXPECT_EQ(shell::boxText(box), u"one\r\ntwo\r\nthree\r\nfour");

  // A no-break space stays one; a line break typed with Shift+Enter is a line break.
  box.setPlainText(QString::fromUtf16(u"a\u00A0\u00A0b"));
  box.moveCursor(QTextCursor::End);
  box.insertPlainText(QString(QChar(QChar::LineSeparator)) + "c");
  EXPECT_EQ(shell::boxText(box), u"a\u00A0\u00A0b\r\nc");

  shell::setBoxText(box, u"");
  EXPECT_EQ(shell::boxText(box), u"");
}

TEST(StatusLine, AWrappedNoteTakesTheLinesItNeedsRatherThanLieOverWhatIsBelow) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* status = new shell::StatusLine(&window);
  auto* below = new QPushButton(QStringLiteral("Below"), &window);
  layout->addWidget(status);
  layout->addWidget(below);
  window.resize(160, 10);
  window.show();
  status->say(QStringLiteral("Refused by the client: \"Bob is not signed on right now\""));
  QApplication::processEvents();
  EXPECT_GE(status->height(), status->heightForWidth(status->width()));
  EXPECT_LT(status->geometry().bottom(), below->geometry().top());
  EXPECT_GE(window.height(), layout->minimumSize().height());
}

}  // namespace
}  // namespace kestar::test
