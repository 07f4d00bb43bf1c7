#include "dicehost/RunDiceHost.h"

int main(int argc, char** argv) {
  return kestar::dicehost::runDiceHost(argc, argv);
}
