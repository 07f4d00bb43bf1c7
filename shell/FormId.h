#pragma once

#include <cstddef>

namespace kestar::shell {

// The program's nine windows; each exists at most once.
enum class FormId : std::size_t { Startup, Dice, AFK, Terms, Init, About, Room, Moves, Log };
inline constexpr std::size_t kFormCount = 9;

// The windows' names where the program keeps what it remembers of them between runs.
inline constexpr const char* kFormNames[kFormCount] = {"Startup", "Dice", "AFK",   "Terms", "Init",
                                                       "About",   "Room", "Moves", "Log"};

}  // namespace kestar::shell
