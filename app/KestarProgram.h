#pragma once

#include "shell/Program.h"

namespace kestar::app {

// The program with all its windows.
class KestarProgram final : public shell::Program {
 public:
  using Program::Program;

 protected:
  std::unique_ptr<shell::Form> makeForm(shell::FormId id) override;
};

}  // namespace kestar::app
