#include "moves/Moves.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTextBlock>

#include "shell/Controls.h"
#include "shell/Program.h"

namespace kestar::moves {
namespace {

QPlainTextEdit* makeMoveBox(QWidget* parent) {
  auto* box = new QPlainTextEdit(parent);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // Tab walks on to the next control, as in the rest of the program's windows.
  box->setTabChangesFocus(true);
  box->setMinimumSize(320, 90);
  return box;
}

QString shownPath(const std::filesystem::path& path) {
  return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// The room takes the first 92 characters of a scrolled line.
constexpr int kRoomLineLength = 92;

// Marks, while the user edits, the part of every line that the room will not get.
void markCuts(QPlainTextEdit& box) {
  QList<QTextEdit::ExtraSelection> cuts;
  for (QTextBlock line = box.document()->begin(); line.isValid(); line = line.next()) {
    if (line.length() - 1 <= kRoomLineLength) continue;  // a block's length counts its break
    QTextEdit::ExtraSelection cut;
    cut.cursor = QTextCursor(line);
    cut.cursor.setPosition(line.position() + kRoomLineLength);
    cut.cursor.setPosition(line.position() + line.length() - 1, QTextCursor::KeepAnchor);
    cut.format.setBackground(QColor(255, 205, 205));
    cut.format.setForeground(QColor(150, 0, 0));
    cuts << cut;
  }
  box.setExtraSelections(cuts);
}

void describeMove(QPlainTextEdit& box, const QString& name) {
  shell::describe(&box, name,
                  QStringLiteral("%1, scrolled into the room a line at a time. The room takes the "
                                 "first 92 characters of a line: the rest is marked in red.")
                      .arg(name));
  QObject::connect(&box, &QPlainTextEdit::textChanged, &box, [&box] { markCuts(box); });
}

}  // namespace

Moves::Moves(shell::Program& program)
    : Form(program, Id, QStringLiteral("Moves")),
      Label1(new QLabel(QStringLiteral("Stored Move #1"), this)),
      Text1(makeMoveBox(this)),
      Label2(new QLabel(QStringLiteral("Stored Move #2"), this)),
      Text2(makeMoveBox(this)),
      Command1(shell::makeButton(QStringLiteral("Scroll 1"), this)),
      Command2(shell::makeButton(QStringLiteral("Scroll 2"), this)),
      Command3(shell::makeButton(QStringLiteral("Save New Moves"), this)),
      Command4(shell::makeButton(QStringLiteral("Load Defaults"), this)),
      Command5(shell::makeButton(QStringLiteral("Clear Moves"), this)),
      Command6(shell::makeButton(QStringLiteral("Close"), this)),
      Command7(shell::makeButton(QStringLiteral("Instructions"), this)),
      Status(new shell::StatusLine(this)) {
  auto* grid = new QGridLayout(this);
  grid->addWidget(Label1, 0, 0, 1, 3);
  grid->addWidget(Text1, 1, 0, 1, 3);
  grid->addWidget(Label2, 2, 0, 1, 2);
  grid->addWidget(Command7, 2, 2);
  grid->addWidget(Text2, 3, 0, 1, 3);
  grid->addWidget(Command1, 4, 0);
  grid->addWidget(Command2, 4, 1);
  grid->addWidget(Command3, 4, 2);
  grid->addWidget(Command4, 5, 0);
  grid->addWidget(Command5, 5, 1);
  grid->addWidget(Command6, 5, 2);
  grid->addWidget(Status, 6, 0, 1, 3);
  describeMove(*Text1, Label1->text());
  describeMove(*Text2, Label2->text());
  shell::chainFocus(
      {Text1, Text2, Command1, Command2, Command3, Command4, Command5, Command6, Command7});

  connect(Command1, &QPushButton::clicked, this, &Moves::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Moves::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Moves::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &Moves::Command4_Click);
  connect(Command5, &QPushButton::clicked, this, &Moves::Command5_Click);
  connect(Command6, &QPushButton::clicked, this, &Moves::Command6_Click);
  connect(Command7, &QPushButton::clicked, this, &Moves::Command7_Click);
}

void Moves::Form_Load() {
  // Kept so that a save goes back to the files that were read, whatever happens to the working
  // directory later. Should it be unknown, the names stay relative to it.
  std::error_code unknown;
  folder_ = std::filesystem::current_path(unknown);
  shell::setBoxText(*Text1, chatlink::LoadText(folder_ / kFile1));
  shell::setBoxText(*Text2, chatlink::LoadText(folder_ / kFile2));
  shell::StayOnTop(*this);
}

void Moves::Command1_Click() {
  shell::scrollShown(*Status, link(), shell::boxText(*Text1), noPrefix_);
}

void Moves::Command2_Click() {
  shell::scrollShown(*Status, link(), shell::boxText(*Text2), noPrefix_);
}

void Moves::Command3_Click() {
  QStringList saved;
  QStringList failed;
  const std::pair<QPlainTextEdit*, const char*> saves[] = {{Text1, kFile1}, {Text2, kFile2}};
  for (const auto& [box, name] : saves) {
    const std::filesystem::path path = folder_ / name;
    (chatlink::SaveText(shell::boxText(*box), path) ? saved : failed) << shownPath(path);
  }
  Status->say(saved.isEmpty()
                  ? QStringLiteral("Nothing was saved.")
                  : QStringLiteral("Saved %1").arg(saved.join(QStringLiteral(" and "))));
  if (failed.isEmpty()) return;
  program().messageBox(this, QStringLiteral("Save New Moves"),
                       QStringLiteral("These files could not be written:\n%1\n\n"
                                      "The moves are still in the boxes.")
                           .arg(failed.join(QLatin1Char('\n'))));
}

void Moves::Command4_Click() {
  shell::setBoxText(*Text1, kDefaultMove1);
  shell::setBoxText(*Text2, kDefaultMove2);
}

void Moves::Command5_Click() {
  Text1->clear();
  Text2->clear();
}

void Moves::Command6_Click() {
  Hide();
  open(shell::FormId::Startup);
}

void Moves::Command7_Click() {
  program().messageBox(this, QStringLiteral("Instructions"), shell::toQString(kInstructions));
}

}  // namespace kestar::moves
