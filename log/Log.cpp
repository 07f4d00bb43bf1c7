#include "log/Log.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStorageInfo>

#include "log/FileLists.h"
#include "shell/Controls.h"
#include "shell/Program.h"

namespace kestar::log {

using shell::makeButton;
using shell::toQString;
using shell::toText;

Log::Log(shell::Program& program)
    : Form(program, Id, QStringLiteral("Log")),
      Drive1(new DriveList(this)),
      Dir1(new DirList(this)),
      File1(new FileList(this)),
      Text1(new QLineEdit(this)),
      Command1(makeButton(QStringLiteral("Start Log"), this)),
      Command2(makeButton(QStringLiteral("Close Log"), this)),
      Command3(makeButton(QStringLiteral("Close (if log is open, still safe to close)"), this)),
      Chat1(program.link()) {
  Dir1->setPath(QDir::currentPath());
  File1->setPath(Dir1->path());

  // The files with the name under them on the left, the folders with the drives under them on
  // the right, the buttons in a row at the bottom.
  auto* grid = new QGridLayout(this);
  grid->addWidget(File1, 0, 0);
  grid->addWidget(Text1, 1, 0);
  grid->addWidget(Dir1, 0, 1);
  grid->addWidget(Drive1, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Command1);
  buttons->addWidget(Command2);
  buttons->addWidget(Command3);
  grid->addLayout(buttons, 2, 0, 1, 2);
  shell::chainFocus({Drive1, Dir1, File1, Text1, Command1, Command2, Command3});
  shell::describe(Drive1, QStringLiteral("Drive"), QStringLiteral("The drive of the log's folder"));
  shell::describe(Dir1, QStringLiteral("Folder"), QStringLiteral("The folder the log goes into"));
  shell::describe(File1, QStringLiteral("Files"),
                  QStringLiteral("The folder's files: click one to log into it, emptied first"));
  shell::describe(Text1, QStringLiteral("Log file name"),
                  QStringLiteral("The log file's name in the chosen folder"));

  Drive1->Change = [this] { Drive1_Change(); };
  Dir1->Change = [this] { Dir1_Change(); };
  Chat1.ChatMsg = [this](const Text& name, const Text& said) { Chat1_ChatMsg(name, said); };
  // A file is chosen by a click or by moving the selection with the keyboard, as the list's click
  // event has always come for both.
  connect(File1, &QListWidget::itemClicked, this, &Log::File1_Click);
  connect(File1, &QListWidget::itemSelectionChanged, this, [this] {
    const auto selected = File1->selectedItems();
    if (!selected.isEmpty()) File1_Click(selected.front());
  });
  connect(Command1, &QPushButton::clicked, this, &Log::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Log::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Log::Command3_Click);
}

void Log::Form_Load() {
  shell::StayOnTop(*this);
  Command2->setEnabled(false);
}

void Log::Drive1_Change() {
  // A drive opens at the program's own folder when that lies on it, else at its root.
  const QString current = QDir::currentPath();
  const bool onThisDrive =
      QDir::toNativeSeparators(QStorageInfo(current).rootPath()) == Drive1->drive();
  Dir1->setPath(onThisDrive ? current : Drive1->drive());
}

void Log::Dir1_Change() {
  File1->setPath(Dir1->path());
}

void Log::File1_Click(QListWidgetItem* item) {
  Text1->setText(item->text());
}

void Log::Command1_Click() {
  // The "\" is always added, also after a root that ends in one; the file is opened with it
  // taken as a folder separator, which every system accepts written as "/".
  LogPath = toText(Dir1->path()) + u"\\" + toText(Text1->text());
  QString fileName = toQString(LogPath);
  fileName.replace(QLatin1Char('\\'), QLatin1Char('/'));
  const QString shownName = QDir::toNativeSeparators(fileName);
  if (Text1->text().isEmpty()) {
    program().messageBox(this, QStringLiteral("Log"),
                         QStringLiteral("There is no file name to log to: type a file name in the "
                                        "box under the file list, or pick a file there."));
    return;
  }
  // A file picked in the list (a saved move, an earlier log) is not emptied without a word.
  const QFileInfo existing(fileName);
  if (existing.isFile() && existing.size() > 0 &&
      !program().askYesNo(
          this, QStringLiteral("Log"),
          QStringLiteral("%1 already holds %2 bytes.\n\nEmpty it and start the log from nothing?")
              .arg(shownName)
              .arg(existing.size()))) {
    return;
  }
  logFile_.setFileName(fileName);
  // Unbuffered: every line reaches the file as it is written, so a crash loses none of them.
  if (!logFile_.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
    program().messageBox(this, QStringLiteral("Log"),
                         QStringLiteral("The log file could not be opened:\n%1\n%2\n\nChoose "
                                        "another folder or file name.")
                             .arg(shownName, logFile_.errorString()));
    return;
  }
  Chat1.StartScan();
  Command1->setEnabled(false);
  Command2->setEnabled(true);
}

void Log::Command2_Click() {
  Chat1.StopScan();
  Command1->setEnabled(true);
  Command2->setEnabled(false);
  logFile_.close();
}

void Log::Command3_Click() {
  Hide();
  open(shell::FormId::Dice);
}

void Log::Chat1_ChatMsg(const Text& Screen_Name, const Text& What_Said) {
  if (!logFile_.isOpen()) return;
  const std::string line = chatlink::toCodePage(Screen_Name + u":\t" + What_Said + u"\r\n");
  const qint64 lineStart = logFile_.pos();
  if (logFile_.write(line.data(), static_cast<qint64>(line.size())) ==
      static_cast<qint64>(line.size()))
    return;
  // A full disk or a removed drive: the log stops rather than lose lines without a word. What
  // was written before stays; the piece of this line that got out goes, so the file ends on a
  // whole line.
  const QString why = logFile_.error() == QFileDevice::NoError
                          ? QStringLiteral(
                                "Only part of the line could be written: the disk may "
                                "be full.")
                          : logFile_.errorString();
  logFile_.resize(lineStart);
  Command2_Click();
  program().messageBox(this, QStringLiteral("Log"),
                       QStringLiteral("Writing to the log failed, so logging has stopped:\n%1\n%2"
                                      "\n\nThe lines logged before are kept in the file.")
                           .arg(QDir::toNativeSeparators(logFile_.fileName()), why));
}

}  // namespace kestar::log
