#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "app/ClientSide.h"
#include "app/KestarProgram.h"
#include "client/window/ClientWindow.h"
#include "dice/Dice.h"
#include "shell/QtHost.h"
#include "shell/Startup.h"
#include "spar/Init.h"

namespace kestar::test {
namespace {

QRect onScreen(const QWidget* widget) {
  return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

// The labels and buttons of a window that lie over another or are too small for their text.
std::string cutOrOverlaid(const QWidget& window) {
  std::string found;
  std::vector<const QWidget*> seen;
  for (const QWidget* child : window.findChildren<QWidget*>()) {
    const auto* label = qobject_cast<const QLabel*>(child);
    if (!child->isVisible() || (label == nullptr && !qobject_cast<const QPushButton*>(child)))
      continue;
    const QSize needed = label != nullptr && label->wordWrap()
                             ? QSize(0, label->heightForWidth(label->width()))
                             : child->minimumSizeHint();
    const std::string text = " \"" + child->property("text").toString().toStdString() + "\"";
    for (const QWidget* other : seen) {
      if (onScreen(other).intersects(onScreen(child))) found += text + " over another";
    }
    if (child->height() < needed.height() || child->width() < needed.width())
      found += text + " cut";
    seen.push_back(child);
  }
  return found;
}

TEST(SmallScreen, TheInitiativesWindowsOpenClearOfTheChatAndThePracticeControls) {
  const QRect screen(0, 0, 1024, 768);
  ASSERT_EQ(QGuiApplication::primaryScreen()->geometry(), screen);
  shell::QtHost host;
  const auto side = app::makeClientSide(app::Options{});
  app::KestarProgram program(side->api(), host);
  side->show(program);
  program.start();
  client::ClientWindow* client = nullptr;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* found = dynamic_cast<client::ClientWindow*>(window)) client = found;
  }
  ASSERT_NE(client, nullptr);
  // What a person reads and clicks in the client during the run.
  std::vector<QWidget*> needed = {client->chat, client->people, client->line, client->sayButton};
  for (QPushButton* button : client->findChildren<QPushButton*>()) {
    if (button->text() == "Speak" || button->text() == "Roll") needed.push_back(button);
  }
  ASSERT_EQ(needed.size(), 6u);

  auto& launcher = program.window<shell::Startup>();
  auto& counter = program.window<dice::Dice>();
  auto& init = program.window<spar::Init>();
  QTest::mouseClick(launcher.Command1, Qt::LeftButton);
  QTest::mouseClick(counter.Command5, Qt::LeftButton);
  for (const QWidget* tool : {static_cast<QWidget*>(&launcher), static_cast<QWidget*>(&counter),
                              static_cast<QWidget*>(&init)}) {
    SCOPED_TRACE(tool->windowTitle().toStdString());
    EXPECT_TRUE(screen.contains(tool->frameGeometry()));
    EXPECT_GE(tool->height(), tool->minimumSizeHint().height());
    for (const QWidget* control : needed) {
      EXPECT_TRUE(screen.contains(onScreen(control)));
      EXPECT_FALSE(tool->frameGeometry().intersects(onScreen(control)))
          << "over " << control->accessibleName().toStdString() << " "
          << control->property("text").toString().toStdString();
    }
  }
  EXPECT_EQ(cutOrOverlaid(init), "");
  // During Start Mortal's pause the status line speaks, in a room of its own.
  std::string duringPause = "not looked at";
  QTimer::singleShot(
      300, [&] { duringPause = init.Status->text().isEmpty() ? "silent" : cutOrOverlaid(init); });
  QTest::mouseClick(init.Command7, Qt::LeftButton);
  EXPECT_EQ(duringPause, "");
  host.end();
}

}  // namespace
}  // namespace kestar::test
