#include "tests/support/ProgramRig.h"

#include <QCoreApplication>
#include <map>

namespace kestar::test {
namespace {

enum class Route { SendChat, SendLine };

// The two routes leave different traces in the input box: SendLine first reads what the user had
// typed there and, after its line, puts a draft back once it reads the box empty; SendChat only
// types its line. Reads of other windows (the scanners' of the transcript) tell nothing.
std::vector<std::string> typedBy(const std::vector<client::Message>& messages, Route route) {
  struct Box {
    bool lineFollowsRead = false;
    std::string draft;
    bool draftComesBack = false;
  };
  std::map<chatlink::Hwnd, Box> boxes;
  std::vector<std::string> lines;
  for (const client::Message& m : messages) {
    Box& box = boxes[m.window];
    if (m.msg == chatlink::WmGetText) {
      // The look for the box emptied before a draft goes back is no new line's read.
      if (!box.draftComesBack) {
        box.lineFollowsRead = true;
        box.draft = m.text;
      }
      continue;
    }
    if (m.msg != chatlink::WmSetText) continue;
    if (box.draftComesBack && m.text == box.draft) {
      box.draftComesBack = false;
      continue;
    }
    const Route typedBy = box.lineFollowsRead ? Route::SendLine : Route::SendChat;
    box.draftComesBack = box.lineFollowsRead && !box.draft.empty();
    box.lineFollowsRead = false;
    if (typedBy == route) lines.push_back(m.text);
  }
  return lines;
}

}  // namespace

ProgramRig::ProgramRig() {
  program.messageBox = [this](QWidget* over, const QString& title, const QString& text) {
    messages.emplace_back(title, text);
    messageOwners.push_back(over);
  };
  program.askYesNo = [this](QWidget* over, const QString& title, const QString& text) {
    questions.emplace_back(title, text);
    messageOwners.push_back(over);
    return answerYes;
  };
  client.openRoom(room);
  program.start();
}

ProgramRig::~ProgramRig() {
  // Windows are destroyed with the program; nothing may still tick into them.
  host.end();
}

std::vector<std::string> ProgramRig::sent() {
  host.settle();
  return client.sentByUser();
}

std::vector<std::string> ProgramRig::typedBySendChat() {
  return typedBy(windows.messages(), Route::SendChat);
}

std::vector<std::string> ProgramRig::typedBySendLine() {
  return typedBy(windows.messages(), Route::SendLine);
}

void click(QPushButton* button) {
  ASSERT_TRUE(button->isEnabled()) << button->text().toStdString() << " is disabled";
  QTest::mouseClick(button, Qt::LeftButton);
}

::testing::AssertionResult tabOrderIs(const std::vector<QWidget*>& order) {
  for (std::size_t i = 0; i + 1 < order.size(); ++i) {
    QWidget* next = order[i]->nextInFocusChain();
    while (next != order[i] && !(next->focusPolicy() & Qt::TabFocus))
      next = next->nextInFocusChain();
    if (next != order[i + 1]) {
      return ::testing::AssertionFailure()
             << "after control " << i << " (" << order[i]->metaObject()->className()
             << ") Tab goes to a " << next->metaObject()->className() << " named \""
             << next->objectName().toStdString() << "\", not to control " << i + 1;
    }
  }
  return ::testing::AssertionSuccess();
}

}  // namespace kestar::test
