#include "chatlink/win32/Win32WindowApi.h"

#include <windows.h>

#include <vector>

namespace kestar::chatlink::win32 {
namespace {

// Window handles carry 32 significant bits; a 64-bit handle is their sign extension.
HWND toHwnd(Hwnd window) {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(static_cast<std::int32_t>(window)));
}

Hwnd fromHwnd(HWND window) {
  return static_cast<Hwnd>(reinterpret_cast<UINT_PTR>(window) & 0xFFFFFFFFu);
}

// A name to look for, or nullptr for any, kept alive for the call.
class Name {
 public:
  explicit Name(Match match) : any_(!match) {
    if (match) value_.assign(*match);
  }
  const char* get() const { return any_ ? nullptr : value_.c_str(); }

 private:
  bool any_;
  std::string value_;
};

}  // namespace

Hwnd Win32WindowApi::findWindow(Match className, Match caption) {
  const Name cls(className);
  const Name text(caption);
  return fromHwnd(FindWindowA(cls.get(), text.get()));
}

Hwnd Win32WindowApi::findWindowEx(Hwnd parent, Hwnd childAfter, Match className, Match caption) {
  const Name cls(className);
  const Name text(caption);
  return fromHwnd(FindWindowExA(toHwnd(parent), toHwnd(childAfter), cls.get(), text.get()));
}

LParam Win32WindowApi::sendMessage(Hwnd window, Msg msg, WParam wParam, LParam lParam) {
  if (window == 0) return 0;
  return SendMessageA(toHwnd(window), msg, wParam, lParam);
}

LParam Win32WindowApi::sendTextMessage(Hwnd window, Msg msg, WParam wParam, std::string_view text) {
  if (window == 0) return 0;
  const std::string terminated(text);
  return SendMessageA(toHwnd(window), msg, wParam, reinterpret_cast<LPARAM>(terminated.c_str()));
}

bool Win32WindowApi::postMessage(Hwnd window, Msg msg, WParam wParam, LParam lParam) {
  if (window == 0) return false;
  return PostMessageA(toHwnd(window), msg, wParam, lParam) != FALSE;
}

std::string Win32WindowApi::windowText(Hwnd window) {
  if (window == 0) return {};
  const HWND handle = toHwnd(window);
  const auto length = SendMessageA(handle, WM_GETTEXTLENGTH, 0, 0);
  if (length <= 0) return {};
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  const auto copied = SendMessageA(handle, WM_GETTEXT, static_cast<WPARAM>(buffer.size()),
                                   reinterpret_cast<LPARAM>(buffer.data()));
  return std::string(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

int Win32WindowApi::textLength(Hwnd window) {
  if (window == 0) return 0;
  return static_cast<int>(SendMessageA(toHwnd(window), WM_GETTEXTLENGTH, 0, 0));
}

int Win32WindowApi::lineCount(Hwnd window) {
  if (window == 0) return 0;
  return static_cast<int>(SendMessageA(toHwnd(window), EM_GETLINECOUNT, 0, 0));
}

std::string Win32WindowApi::lineText(Hwnd window, int index) {
  if (window == 0 || index < 0) return {};
  // EM_GETLINE takes the buffer's size in its first word and copies without a terminating zero;
  // a line that fills the buffer may be longer, so it is read again with a larger one.
  for (std::size_t size = 512; size <= 0xFFFF; size *= 2) {
    std::vector<char> buffer(size + 1, '\0');
    *reinterpret_cast<WORD*>(buffer.data()) = static_cast<WORD>(size);
    const auto copied = SendMessageA(toHwnd(window), EM_GETLINE, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(buffer.data()));
    if (copied <= 0) return {};
    if (static_cast<std::size_t>(copied) < size || size * 2 > 0xFFFF) {
      std::string line(buffer.data(), static_cast<std::size_t>(copied));
      while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
      return line;
    }
  }
  return {};
}

}  // namespace kestar::chatlink::win32
