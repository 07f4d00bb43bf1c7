#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>

#include "app/ClientSide.h"
#include "shell/Program.h"
#include "simclient/SimClient.h"
#include "simclient/window/SimClientWindow.h"

namespace kestar::app {
namespace {

class SimulatedClientSide final : public ClientSide {
 public:
  SimulatedClientSide() {
    // The client handles its posted messages and its service's answers on a later round of
    // the event loop, as a program of its own would.
    windows_.onWorkQueued = [this] {
      QTimer::singleShot(0, [this] {
        if (alive_) windows_.runPending();
      });
    };
    client_.openRoom("Spar Arena");
  }
  ~SimulatedClientSide() override {
    alive_ = false;
    windows_.onWorkQueued = nullptr;
  }

  chatlink::WindowApi& api() override { return windows_; }

  void show(shell::Program& program) override {
    window_ = std::make_unique<sim::SimClientWindow>(client_, windows_);
    // Closing the simulated client ends the whole demonstration.
    window_->onClosed = [&program] { program.end(); };
    window_->move(40, 60);
    window_->show();
    // Kestar's windows open beside the room's chat and its Say and Roll rows, not over them.
    program.keepClear = [this] {
      const auto onScreen = [](const QWidget* widget) {
        return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
      };
      return window_->isVisible() ? onScreen(window_->chat).united(onScreen(window_->rollButton))
                                  : QRect();
    };
  }

 private:
  bool alive_ = true;
  sim::SimWindows windows_;
  sim::SimClient client_{windows_};
  std::unique_ptr<sim::SimClientWindow> window_;
};

bool hasEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

std::unique_ptr<ClientSide> makeClientSide() {
  return std::make_unique<SimulatedClientSide>();
}

bool displayAvailable(std::string& advice) {
  if (hasEnvironment("DISPLAY") || hasEnvironment("WAYLAND_DISPLAY") ||
      hasEnvironment("QT_QPA_PLATFORM")) {
    return true;
  }
  advice =
      "Kestar shows windows and needs a display, but none is set (no DISPLAY or "
      "WAYLAND_DISPLAY).\n"
      "Run it on a desktop, or under a virtual display:\n"
      "    xvfb-run -a scripts/run\n"
      "Without any display you can still total the rolls of a saved chat log:\n"
      "    scripts/tally samples/spar.log\n";
  return false;
}

}  // namespace kestar::app
