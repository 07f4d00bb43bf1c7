#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QLineEdit>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <csignal>

#include <sys/resource.h>

#include "dice/Dice.h"
#include "log/FileLists.h"
#include "log/Log.h"
#include "shell/Startup.h"
#include "tests/support/ProgramRig.h"

namespace kestar::test {
namespace {

using log::Log;

// The logger opened from the counter, its folder list on a fresh folder of its own.
struct LogRig : ProgramRig {
  LogRig() {
    click(window<shell::Startup>().Command1);
    click(window<dice::Dice>().Command9);
    logger.Dir1->setPath(folder.path());
  }

  QString file(const QString& name) const { return folder.filePath(name); }
  QByteArray contents(const QString& name) const {
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(cannot be read)");
  }
  void write(const QString& name, const QByteArray& bytes) const {
    QFile f(file(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  void startLog(const QString& name) {
    logger.Text1->setText(name);
    click(logger.Command1);
  }
  void say(const std::string& who, const std::string& text) {
    service.sayAs(room, who, text);
    host.advance(0.1);
  }

  QTemporaryDir folder;
  Log& logger = window<Log>();
};

QStringList items(const QListWidget& list) {
  QStringList texts;
  for (int i = 0; i < list.count(); ++i)
    texts << list.item(i)->text().trimmed();
  return texts;
}

void expectIdle(const Log& logger) {
  EXPECT_TRUE(logger.Command1->isEnabled());
  EXPECT_FALSE(logger.Command2->isEnabled());
  EXPECT_FALSE(logger.Chat1.scanning());
}

TEST(Log, LoadsIdleOnTheCurrentFolderWithItsControlsInPlace) {
  ProgramRig rig;
  click(rig.window<shell::Startup>().Command1);
  click(rig.window<dice::Dice>().Command9);
  Log& logger = rig.window<Log>();
  EXPECT_TRUE(logger.isVisible());
  EXPECT_EQ(logger.windowTitle(), "Log");
  EXPECT_TRUE(logger.windowFlags() & Qt::WindowStaysOnTopHint);
  expectIdle(logger);
  EXPECT_EQ(logger.Command1->text(), "Start Log");
  EXPECT_EQ(logger.Command2->text(), "Close Log");
  EXPECT_EQ(logger.Command3->text(), "Close (if log is open, still safe to close)");
  EXPECT_TRUE(logger.Text1->text().isEmpty());

  const QString current = QDir::toNativeSeparators(QDir::currentPath());
  EXPECT_EQ(logger.Dir1->path(), current);
  EXPECT_EQ(logger.File1->path(), current);
  EXPECT_EQ(items(*logger.File1),
            QDir::current().entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
  EXPECT_EQ(logger.Drive1->drive(),
            QDir::toNativeSeparators(QStorageInfo(QDir::currentPath()).rootPath()));

  auto* grid = qobject_cast<QGridLayout*>(logger.layout());
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->itemAtPosition(0, 0)->widget(), logger.File1);
  EXPECT_EQ(grid->itemAtPosition(1, 0)->widget(), logger.Text1);
  EXPECT_EQ(grid->itemAtPosition(0, 1)->widget(), logger.Dir1);
  EXPECT_EQ(grid->itemAtPosition(1, 1)->widget(), logger.Drive1);
  const std::vector<QWidget*> tabOrder = {logger.Drive1,  logger.Dir1,     logger.File1,
                                          logger.Text1,   logger.Command1, logger.Command2,
                                          logger.Command3};
  EXPECT_TRUE(tabOrderIs(tabOrder));
}

TEST(Log, FolderAndFileListsFollowTheChoice) {
  LogRig rig;
  Log& logger = rig.logger;
  ASSERT_TRUE(QDir(rig.folder.path()).mkpath("top/sub"));
  rig.write("top/b.log", "");
  rig.write("top/A.txt", "");
  rig.write("top/sub/inner.txt", "");
  logger.Dir1->setPath(rig.file("top"));
  EXPECT_EQ(items(*logger.File1), (QStringList{"A.txt", "b.log"}));
  // The open folders down to the chosen one, then its subfolders.
  const QStringList folders = items(*logger.Dir1);
  ASSERT_GE(folders.size(), 3);
  EXPECT_EQ(folders.mid(folders.size() - 3),
            (QStringList{QDir(rig.folder.path()).dirName(), "top", "sub"}));

  // Enter on a subfolder chooses it; the file list follows.
  logger.Dir1->setFocus();
  logger.Dir1->setCurrentRow(logger.Dir1->count() - 1);
  QTest::keyClick(logger.Dir1, Qt::Key_Return);
  EXPECT_EQ(logger.Dir1->path(), QDir::toNativeSeparators(rig.file("top/sub")));
  EXPECT_EQ(items(*logger.File1), QStringList{"inner.txt"});

  // A folder gone with its parents since it was listed is still walked up to the root.
  logger.Dir1->setPath(rig.file("gone/deeper/still"));
  EXPECT_EQ(items(*logger.Dir1).back(), "still");
  EXPECT_TRUE(items(*logger.File1).isEmpty());
  logger.Dir1->setPath(rig.file("top/sub"));

  // Clicking a file puts its name in the name box.
  QListWidgetItem* inner = logger.File1->item(0);
  QTest::mouseClick(logger.File1->viewport(), Qt::LeftButton, {},
                    logger.File1->visualItemRect(inner).center());
  EXPECT_EQ(logger.Text1->text(), "inner.txt");
  // So does moving to a file with the keyboard.
  logger.Dir1->setPath(rig.file("top"));
  logger.File1->setFocus();
  logger.File1->setCurrentRow(0);
  QTest::keyClick(logger.File1, Qt::Key_Down);
  EXPECT_EQ(logger.Text1->text(), "b.log");

  // A drive opens at its root, or at the program's folder when that lies on it. The test's
  // folder stands in for a drive of its own.
  const QString current = logger.Drive1->drive();
  logger.Drive1->addItem(QDir::toNativeSeparators(rig.file("top")));
  logger.Drive1->setCurrentIndex(logger.Drive1->count() - 1);
  EXPECT_EQ(logger.Dir1->path(), QDir::toNativeSeparators(rig.file("top")));
  EXPECT_EQ(items(*logger.File1), (QStringList{"A.txt", "b.log"}));
  logger.Drive1->setCurrentIndex(logger.Drive1->findText(current));
  EXPECT_EQ(logger.Dir1->path(), QDir::toNativeSeparators(QDir::currentPath()));
  EXPECT_EQ(logger.File1->path(), logger.Dir1->path());
}

TEST(Log, WritesEveryChatLineAsNameColonTabTextInTheCodePage) {
  LogRig rig;
  rig.say("Early", "said before the log starts");
  rig.startLog("chat.txt");
  EXPECT_FALSE(rig.logger.Command1->isEnabled());
  EXPECT_TRUE(rig.logger.Command2->isEnabled());
  EXPECT_TRUE(rig.logger.Chat1.scanning());
  EXPECT_EQ(narrow(rig.logger.logPath()),
            QDir::toNativeSeparators(rig.folder.path()).toStdString() + "\\chat.txt");

  rig.say("Bob", "hello");
  rig.say("OnlineHost", "");
  // Each line is in the file as soon as it is said, while the log is still open.
  EXPECT_EQ(rig.contents("chat.txt"), QByteArray("Bob:\thello\r\nOnlineHost:\t\r\n"));
  rig.service.sayAs(rig.room, "Zo\xEB", "caf\xE9 \x80 <b>bold");  // the client's own code page
  rig.host.advance(0.1);
  click(rig.logger.Command2);
  expectIdle(rig.logger);
  rig.say("Bob", "after the log closed");
  EXPECT_EQ(rig.contents("chat.txt"), QByteArray("Bob:\thello\r\nOnlineHost:\t\r\n"
                                                 "Zo\xEB:\tcaf\xE9 \x80 <b>bold\r\n"));
}

TEST(Log, StartLogEmptiesAFileThatHoldsSomethingOnlyWhenTheUserSaysSo) {
  LogRig rig;
  rig.write("chat.txt", "an earlier log\r\n");
  rig.startLog("chat.txt");  // No, the default
  ASSERT_EQ(rig.questions.size(), 1u);
  EXPECT_TRUE(rig.questions[0].second.contains(QDir::toNativeSeparators(rig.file("chat.txt"))));
  EXPECT_EQ(rig.messageOwners.back(), &rig.logger);
  EXPECT_EQ(rig.contents("chat.txt"), QByteArray("an earlier log\r\n"));
  expectIdle(rig.logger);
  rig.say("Bob", "not logged");
  EXPECT_EQ(rig.contents("chat.txt"), QByteArray("an earlier log\r\n"));

  rig.answerYes = true;
  rig.startLog("chat.txt");
  EXPECT_EQ(rig.contents("chat.txt"), QByteArray());
  rig.say("Bob", "first");
  click(rig.logger.Command2);
  rig.startLog("chat.txt");
  rig.say("Bob", "second");
  EXPECT_EQ(rig.contents("chat.txt"), QByteArray("Bob:\tsecond\r\n"));
  EXPECT_EQ(rig.questions.size(), 3u);

  // An empty file has nothing to lose: no question.
  click(rig.logger.Command2);
  rig.write("empty.txt", "");
  rig.startLog("empty.txt");
  EXPECT_EQ(rig.questions.size(), 3u);
  EXPECT_FALSE(rig.logger.Command1->isEnabled());
}

TEST(Log, AFailedWriteStopsTheLogSaysSoOnceAndKeepsTheLinesBefore) {
  LogRig rig;
  rig.startLog("chat.txt");
  rig.say("Bob", "first");
  rig.say("Bob", "second");
  // The file may not grow past 30 bytes: the third line gets only part of the way.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  rlimit small = before;
  small.rlim_cur = 30;
  setrlimit(RLIMIT_FSIZE, &small);
  rig.say("Bob", "a third line that does not fit");
  rig.say("Bob", "a fourth");
  setrlimit(RLIMIT_FSIZE, &before);
  EXPECT_EQ(rig.contents("chat.txt"), QByteArray("Bob:\tfirst\r\nBob:\tsecond\r\n"));
  ASSERT_EQ(rig.messages.size(), 1u);
  EXPECT_EQ(rig.messages[0].first, "Log");
  EXPECT_TRUE(rig.messages[0].second.contains(QDir::toNativeSeparators(rig.file("chat.txt"))));
  EXPECT_EQ(rig.messageOwners.back(), &rig.logger);
  expectIdle(rig.logger);
}

TEST(Log, KeepsLoggingWhileHiddenAndComesBackAsItWas) {
  LogRig rig;
  rig.startLog("chat.txt");
  click(rig.logger.Command3);
  EXPECT_FALSE(rig.logger.isVisible());
  EXPECT_TRUE(rig.window<dice::Dice>().isVisible());
  rig.say("Bob", "while hidden");
  click(rig.window<dice::Dice>().Command9);
  EXPECT_TRUE(rig.logger.isVisible());
  EXPECT_TRUE(rig.logger.Command2->isEnabled());
  rig.say("Bob", "shown again");
  EXPECT_EQ(rig.contents("chat.txt"), QByteArray("Bob:\twhile hidden\r\nBob:\tshown again\r\n"));
}

TEST(Log, NameIsTakenRelativeToTheFolderWithBackslashesAsSeparators) {
  LogRig rig;
  ASSERT_TRUE(QDir(rig.folder.path()).mkdir("sub"));
  rig.startLog("sub\\inner.txt");
  rig.say("Bob", "in the subfolder");
  EXPECT_EQ(rig.contents("sub/inner.txt"), QByteArray("Bob:\tin the subfolder\r\n"));
}

TEST(Log, AFileThatCannotBeOpenedIsReportedAndLeavesTheWindowIdle) {
  LogRig rig;
  const QString tooLong(300, QLatin1Char('x'));
  for (const QString& name : {QString(), QStringLiteral("missing\\chat.txt"), tooLong}) {
    rig.messages.clear();
    rig.startLog(name);
    ASSERT_EQ(rig.messages.size(), 1u) << name.toStdString();
    EXPECT_EQ(rig.messages[0].first, "Log");
    EXPECT_EQ(rig.messageOwners.back(), &rig.logger);
    // The path as the system writes it, and what to do about it.
    const QString told = rig.messages[0].second;
    if (name.isEmpty()) {
      EXPECT_TRUE(told.contains("type a file name")) << told.toStdString();
    } else {
      EXPECT_TRUE(
          told.contains(QDir::toNativeSeparators(rig.file(QString(name).replace('\\', '/')))))
          << told.toStdString();
      EXPECT_EQ(told.contains('\\'), QDir::separator() == '\\') << told.toStdString();
    }
    expectIdle(rig.logger);
    rig.say("Bob", "not logged");
  }
  EXPECT_EQ(QDir(rig.folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
            QStringList());
  // It works once the name is mended.
  rig.startLog("chat.txt");
  rig.say("Bob", "logged");
  EXPECT_EQ(rig.contents("chat.txt"), QByteArray("Bob:\tlogged\r\n"));
}

TEST(Log, EndOfTheProgramKeepsEveryLineWritten) {
  LogRig rig;
  rig.startLog("chat.txt");
  rig.say("Bob", "last words");
  rig.window<dice::Dice>().close();
  EXPECT_TRUE(rig.program.ended());
  rig.say("Bob", "after the end");
  EXPECT_EQ(rig.contents("chat.txt"), QByteArray("Bob:\tlast words\r\n"));
}

}  // namespace
}  // namespace kestar::test
