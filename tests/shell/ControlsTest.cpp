#include <gtest/gtest.h>

#include <QPlainTextEdit>

#include "shell/Controls.h"

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

}  // namespace
}  // namespace kestar::test
