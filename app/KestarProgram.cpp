#include "app/KestarProgram.h"

#include "afk/AFK.h"
#include "dice/Dice.h"
#include "log/Log.h"
#include "moves/Moves.h"
#include "room/Room.h"
#include "shell/About.h"
#include "shell/Startup.h"
#include "spar/Init.h"
#include "spar/Terms.h"

namespace kestar::app {

std::unique_ptr<shell::Form> KestarProgram::makeForm(shell::FormId id) {
  using shell::FormId;
  switch (id) {
    case FormId::Startup:
      return std::make_unique<shell::Startup>(*this);
    case FormId::Dice:
      return std::make_unique<dice::Dice>(*this);
    case FormId::Log:
      return std::make_unique<log::Log>(*this);
    case FormId::AFK:
      return std::make_unique<afk::AFK>(*this);
    case FormId::About:
      return std::make_unique<shell::About>(*this);
    case FormId::Moves:
      return std::make_unique<moves::Moves>(*this);
    case FormId::Room:
      return std::make_unique<room::Room>(*this);
    case FormId::Init:
      return std::make_unique<spar::Init>(*this);
    case FormId::Terms:
      return std::make_unique<spar::Terms>(*this);
    default:
      return nullptr;
  }
}

}  // namespace kestar::app
