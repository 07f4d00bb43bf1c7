#include "tests/support/ProgramRig.h"

#include <QCoreApplication>

namespace kestar::test {
namespace {

enum class Route { SendChat, SendLine };

// The two routes leave different traces in the input box: SendLine first reads what the user had
// typed there and puts it back after its line, SendChat only types its line.
std::vector<std::string> typedBy(const std::vector<client::Message>& messages, Route route) {
  std::vector<std::string> lines;
  bool lineFollowsRead = false;
  std::string draft;
  bool draftComesBack = false;
  for (const client::Message& m : messages) {
    if (m.msg == chatlink::WmGetText) {
      lineFollowsRead = true;
      draft = m.text;
      continue;
    }
    if (m.msg != chatlink::WmSetText) continue;
    if (draftComesBack && m.text == draft) {
      draftComesBack = false;
      continue;
    }
    const Route typedBy = lineFollowsRead ? Route::SendLine : Route::SendChat;
    draftComesBack = lineFollowsRead && !draft.empty();
    lineFollowsRead = false;
    if (typedBy == route) lines.push_back(m.text);
  }
  return lines;
}

}  // namespace

ProgramRig::ProgramRig() {
  program.messageBox = [this](const QString& title, const QString& text) {
    messages.emplace_back(title, text);
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
