#pragma once

#include <memory>
#include <string>

#include "app/Options.h"
#include "chatlink/WindowApi.h"

namespace kestar::shell {
class Program;
}

namespace kestar::app {

// The chat client Kestar works with on this platform: the real one on Windows, Kestar's own client
// everywhere else. The build picks the one side that is compiled in.
class ClientSide {
 public:
  virtual ~ClientSide() = default;
  virtual chatlink::WindowApi& api() = 0;
  // Shows what this side shows of its own (the own client's window) beside the program.
  virtual void show(shell::Program& program) = 0;
};

// The own client's chat service is the practice one unless the options name an IRC room.
std::unique_ptr<ClientSide> makeClientSide(const Options& options);

// Whether windows can be shown here; when not, advice says what to do instead.
bool displayAvailable(std::string& advice);

// Starts Kestar beside this platform's client and runs it to its end.
int runKestar(int argc, char** argv);

}  // namespace kestar::app
