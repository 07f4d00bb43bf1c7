#include "app/ClientSide.h"

int main(int argc, char** argv) {
  return kestar::app::runKestar(argc, argv);
}
