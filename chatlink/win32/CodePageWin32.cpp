#include "chatlink/win32/CodePageWin32.h"

#include <windows.h>

#include "chatlink/CodePage.h"

namespace kestar::chatlink {
namespace win32 {

std::string encodeIn(unsigned codePage, TextView text) {
  if (text.empty()) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  // Characters the code page cannot hold become "?", without the system's best-fit look-alikes,
  // as on the other platforms. UTF-8 holds every character and takes neither setting: asked for
  // them, the system converts nothing at all.
  const bool utf8 = codePage == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* replacement = utf8 ? nullptr : "?";
  const int size =
      WideCharToMultiByte(codePage, flags, wide, length, nullptr, 0, replacement, nullptr);
  if (size <= 0) return std::string(text.size(), '?');
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, flags, wide, length, bytes.data(), size, replacement, nullptr);
  return bytes;
}

Text decodeIn(unsigned codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int length = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
  if (size <= 0) return Text(bytes.size(), u'?');
  Text text(static_cast<std::size_t>(size), u'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(text.data()),
                      size);
  return text;
}

}  // namespace win32

// The system's own code page, whichever it is.
std::string toCodePage(TextView text) {
  return win32::encodeIn(GetACP(), text);
}
Text fromCodePage(std::string_view bytes) {
  return win32::decodeIn(GetACP(), bytes);
}

}  // namespace kestar::chatlink
