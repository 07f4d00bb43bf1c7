#pragma once

namespace kestar::dicehost {

// kestar-dicehost's whole run: the command line, the configuration, the signals and the server.
int runDiceHost(int argc, char** argv);

}  // namespace kestar::dicehost
