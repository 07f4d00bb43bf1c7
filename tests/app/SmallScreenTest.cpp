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

using Controls = std::vector<std::pair<std::string, QWidget*>>;

// What a window covers of the controls, by their names; "" when nothing.
std::string covered(const QWidget& window, const Controls& controls) {
  std::string names;
  for (const auto& [name, control] : controls) {
    if (window.frameGeometry().intersects(onScreen(control))) names += " " + name;
  }
  return names;
}

// The labels and buttons of a window whose text does not fit in them, or that lie over another.
std::string cutOrOverlaid(const QWidget& window) {
  std::string found;
  std::vector<const QWidget*> shown;
  for (const QWidget* child : window.findChildren<QWidget*>()) {
    if (!child->isVisible() ||
        (!qobject_cast<const QLabel*>(child) && !qobject_cast<const QPushButton*>(child)))
      continue;
    const auto* label = qobject_cast<const QLabel*>(child);
    const QString text =
        label != nullptr ? label->text() : qobject_cast<const QPushButton*>(child)->text();
    const int needed = label != nullptr && label->wordWrap() ? label->heightForWidth(label->width())
                                                             : child->minimumSizeHint().height();
    const bool wraps = label != nullptr && label->wordWrap();
    if (child->height() < needed || (!wraps && child->width() < child->minimumSizeHint().width()))
      found += " cut: \"" + text.toStdString() + "\"";
    for (const QWidget* other : shown) {
      if (onScreen(other).intersects(onScreen(child)))
        found += " \"" + text.toStdString() + "\" over another";
    }
    shown.push_back(child);
  }
  return found;
}

TEST(SmallScreen, AnInitiativeAndACountRunWithoutMovingAWindow) {
  ASSERT_EQ(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1024, 768))
      << "run with the 1024x768 screen of tests/support";
  const QRect screen(0, 0, 1024, 768);
  shell::QtHost host;
  const auto side = app::makeClientSide(app::Options{});
  app::KestarProgram program(side->api(), host);
  program.messageBox = [](QWidget*, const QString&, const QString&) {};
  side->show(program);
  program.start();

  client::ClientWindow* client = nullptr;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* found = dynamic_cast<client::ClientWindow*>(window)) client = found;
  }
  ASSERT_NE(client, nullptr);
  // What a person reads and clicks in the client during the run: the chat, the people, the line
  // said, and speaking and rolling as everyone else.
  Controls needed = {{"chat", client->chat},
                     {"people", client->people},
                     {"line", client->line},
                     {"Say", client->sayButton}};
  for (QPushButton* button : client->findChildren<QPushButton*>()) {
    if (button->text() == "Speak" || button->text() == "Roll")
      needed.emplace_back(button->text().toStdString(), button);
  }
  ASSERT_EQ(needed.size(), 6u);
  for (const auto& [name, control] : needed)
    EXPECT_TRUE(screen.contains(onScreen(control))) << name;

  auto& launcher = program.window<shell::Startup>();
  QTest::mouseClick(launcher.Command1, Qt::LeftButton);
  auto& counter = program.window<dice::Dice>();
  QTest::mouseClick(counter.Command5, Qt::LeftButton);
  auto& init = program.window<spar::Init>();
  const std::pair<const char*, QWidget*> tools[] = {
      {"launcher", &launcher}, {"counter", &counter}, {"Init", &init}};
  for (const auto& [name, tool] : tools) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(screen.contains(tool->frameGeometry()));
    EXPECT_EQ(covered(*tool, needed), "");
    EXPECT_GE(tool->height(), tool->minimumSizeHint().height());
  }
  EXPECT_EQ(cutOrOverlaid(init), "");

  // During Start Mortal's pause the status line speaks: it takes its own room.
  std::string duringPause = "not looked at";
  QTimer::singleShot(
      300, [&] { duringPause = init.Status->text().isEmpty() ? "silent" : cutOrOverlaid(init); });
  QTest::mouseClick(init.Command7, Qt::LeftButton);
  EXPECT_EQ(duringPause, "");
  host.end();
}

}  // namespace
}  // namespace kestar::test
