#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestar {

// Text inside the program is wide, as the chat client's own strings are: positions and lengths
// count UTF-16 code units.
using Text = std::u16string;
using TextView = std::u16string_view;

}  // namespace kestar

namespace kestar::chatlink {

// A window of the chat client. Handles are 32-bit values; 0 names no window.
using Hwnd = std::uint32_t;
using Msg = std::uint32_t;
using WParam = std::uintptr_t;
using LParam = std::intptr_t;

// The window messages the program sends, under names that do not clash with the system headers.
inline constexpr Msg WmClose = 0x0010;
inline constexpr Msg WmSetText = 0x000C;
inline constexpr Msg WmGetText = 0x000D;
inline constexpr Msg WmKeyDown = 0x0100;
inline constexpr Msg WmKeyUp = 0x0101;
inline constexpr Msg WmChar = 0x0102;
inline constexpr Msg WmLButtonDown = 0x0201;
inline constexpr Msg WmLButtonUp = 0x0202;
inline constexpr Msg EmGetLineCount = 0x00BA;
inline constexpr Msg EmGetLine = 0x00C4;

inline constexpr WParam KeyEnter = 13;
inline constexpr WParam KeySpace = 32;

// The message's name for traces and test reports ("WM_SETTEXT"), or its number in hex.
std::string messageName(Msg msg);

}  // namespace kestar::chatlink
