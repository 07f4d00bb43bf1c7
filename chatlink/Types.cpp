#include "chatlink/Types.h"

#include <cstdio>

namespace kestar::chatlink {

std::string messageName(Msg msg) {
  switch (msg) {
    case WmClose:
      return "WM_CLOSE";
    case WmSetText:
      return "WM_SETTEXT";
    case WmGetText:
      return "WM_GETTEXT";
    case WmKeyDown:
      return "WM_KEYDOWN";
    case WmKeyUp:
      return "WM_KEYUP";
    case WmChar:
      return "WM_CHAR";
    case WmLButtonDown:
      return "WM_LBUTTONDOWN";
    case WmLButtonUp:
      return "WM_LBUTTONUP";
    case EmGetLineCount:
      return "EM_GETLINECOUNT";
    case EmGetLine:
      return "EM_GETLINE";
    default: {
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "0x%04X", static_cast<unsigned>(msg));
      return buffer;
    }
  }
}

}  // namespace kestar::chatlink
