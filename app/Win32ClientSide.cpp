#include "app/ClientSide.h"
#include "chatlink/win32/Win32WindowApi.h"

// On Windows Kestar works with the real chat client's windows; there is nothing of its own to show
// beside them, and Windows always has a display.
namespace kestar::app {
namespace {

class Win32ClientSide final : public ClientSide {
 public:
  chatlink::WindowApi& api() override { return api_; }
  void show(shell::Program&) override {}

 private:
  chatlink::win32::Win32WindowApi api_;
};

}  // namespace

// The real client has its own chat service: the options for the own client's do not apply.
std::unique_ptr<ClientSide> makeClientSide(const Options&) {
  return std::make_unique<Win32ClientSide>();
}

bool displayAvailable(std::string&) {
  return true;
}

}  // namespace kestar::app
