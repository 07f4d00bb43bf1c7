#include "irc/Text.h"

#include <array>

#include "chatlink/CodePage.h"

namespace kestar::irc {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isHex(char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isToggle(char c) {
  switch (c) {
    case '\x02':
    case '\x1D':
    case '\x1F':
    case '\x1E':
    case '\x11':
    case '\x16':
    case '\x0F':
      return true;
    default:
      return false;
  }
}

// How many of up to `most` bytes from `at` pass `test`.
std::size_t run(std::string_view text, std::size_t at, std::size_t most, bool (*test)(char)) {
  std::size_t n = 0;
  while (n < most && at + n < text.size() && test(text[at + n]))
    ++n;
  return n;
}

char16_t lower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

bool isContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string toUtf8(TextView text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    appendUtf8(out, cp);
  }
  return out;
}

std::optional<Text> fromUtf8(std::string_view bytes) {
  Text out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if (lead < 0x80) {
      length = 1;
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      cp = lead & 0x1F;
      least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      cp = lead & 0x0F;
      least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      cp = lead & 0x07;
      least = 0x10000;
    } else {
      return std::nullopt;
    }
    if (bytes.size() - i < length) return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
      if (!isContinuation(bytes[i + k])) return std::nullopt;
      cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += length;
  }
  return out;
}

Text decodeText(std::string_view bytes) {
  if (std::optional<Text> text = fromUtf8(bytes)) return std::move(*text);
  return chatlink::fromCodePage(bytes);
}

std::size_t colourCodeLength(std::string_view text, std::size_t at) {
  if (at >= text.size()) return 0;
  if (text[at] == '\x03') {
    std::size_t n = 1;
    const std::size_t fore = run(text, at + n, 2, isDigit);
    n += fore;
    if (fore > 0 && at + n + 1 < text.size() && text[at + n] == ',' && isDigit(text[at + n + 1]))
      n += 1 + run(text, at + n + 1, 2, isDigit);
    return n;
  }
  if (text[at] == '\x04') {
    std::size_t n = 1;
    if (run(text, at + n, 6, isHex) < 6) return n;
    n += 6;
    if (at + n < text.size() && text[at + n] == ',' && run(text, at + n + 1, 6, isHex) == 6) n += 7;
    return n;
  }
  return 0;
}

std::string stripFormatting(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (const std::size_t code = colourCodeLength(text, i)) {
      i += code;
      continue;
    }
    const char c = text[i++];
    const bool control = static_cast<unsigned char>(c) < 0x20 && c != '\t';
    if (!isToggle(c) && !control) out += c;
  }
  return out;
}

std::optional<std::string_view> ctcpAction(std::string_view text) {
  constexpr std::string_view kAction =
      "\x01"
      "ACTION";
  if (text.substr(0, kAction.size()) != kAction) return std::nullopt;
  text.remove_prefix(kAction.size());
  if (!text.empty() && text.back() == '\x01') text.remove_suffix(1);
  if (!text.empty() && text.front() != ' ') return std::nullopt;
  if (!text.empty()) text.remove_prefix(1);
  return text;
}

Text markupToIrc(TextView text) {
  struct Style {
    char16_t letter;
    char16_t code;
    bool on = false;
  };
  std::array<Style, 3> styles = {{{u'b', u'\x02'}, {u'i', u'\x1D'}, {u'u', u'\x1F'}}};
  Text out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    bool tag = false;
    if (text[i] == u'<') {
      const bool closing = i + 1 < text.size() && text[i + 1] == u'/';
      const std::size_t letterAt = i + (closing ? 2 : 1);
      if (letterAt + 1 < text.size() && text[letterAt + 1] == u'>') {
        for (Style& style : styles) {
          if (lower(text[letterAt]) != style.letter) continue;
          if (style.on == closing) out += style.code;
          style.on = !closing;
          i = letterAt + 2;
          tag = true;
        }
      }
    }
    if (!tag) out += text[i++];
  }
  return out;
}

std::size_t textBudget(std::string_view mask, std::string_view target) {
  constexpr std::size_t kLine = 510;  // 512 with CR LF
  const std::size_t overhead = 1 + mask.size() + std::string_view(" PRIVMSG ").size() +
                               target.size() + std::string_view(" :").size();
  return overhead < kLine ? kLine - overhead : 0;
}

std::string worstMask(std::string_view nick) {
  return std::string(nick) + "!" + std::string(19, 'u') + "@" + std::string(63, 'h');
}

std::vector<std::string> splitText(std::string_view text, std::size_t budget) {
  std::vector<std::string> pieces;
  while (text.size() > budget) {
    std::size_t cut = budget;
    for (int back = 0; back < 3 && cut > 0 && isContinuation(text[cut]); ++back)
      --cut;
    if (isContinuation(text[cut])) cut = budget;  // no UTF-8 here: no character to keep whole
    const std::size_t blank = cut == 0 ? std::string_view::npos : text.rfind(' ', cut - 1);
    if (blank != std::string_view::npos && blank > 0 && blank * 5 >= budget * 4) cut = blank;
    // A colour code may start at most 13 bytes before the cut ("\x04" 6 hex "," 6 hex).
    for (std::size_t at = cut > 13 ? cut - 13 : 0; at < cut; ++at) {
      if (at > 0 && at + colourCodeLength(text, at) > cut) {
        cut = at;
        break;
      }
    }
    if (cut == 0) {  // a budget smaller than one character: the character alone
      cut = 1;
      while (cut < text.size() && cut < 4 && isContinuation(text[cut]))
        ++cut;
    }
    pieces.emplace_back(text.substr(0, cut));
    text.remove_prefix(cut);
  }
  if (!text.empty() || pieces.empty()) pieces.emplace_back(text);
  return pieces;
}

}  // namespace kestar::irc
