#pragma once

namespace kestar::client {
class Client;
}
namespace kestar::shell {
class Program;
}

namespace kestar::app {

// The program's rules on Kestar's own client, where several rooms can be open at once: a
// room-bust run is in when the room its keyword names is open, after one knock at least, which
// brings that room to the top, where the advertisement goes; it is turned away when the service
// refused that room for good (Client::turnedAway) since the run's first knock.
void followOwnClient(shell::Program& program, client::Client& client);

}  // namespace kestar::app
