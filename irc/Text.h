#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chatlink/Types.h"

// The text of IRC lines: UTF-8 on the wire, wide inside the program.
namespace kestar::irc {

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string toUtf8(TextView text);

// Strict UTF-8 to UTF-16: nothing for overlong forms, surrogates, values past U+10FFFF or cut
// sequences.
std::optional<Text> fromUtf8(std::string_view bytes);

// A received text: UTF-8 when it is valid UTF-8, else the 8-bit code page (Windows-1252 off
// Windows), which is what old clients send. Decided per text, never per person.
Text decodeText(std::string_view bytes);

// The bytes a formatting code at `at` takes: a colour code (\x03 with up to two digits, then a
// comma and up to two digits when a digit follows it; \x04 with six hex digits, then a comma and
// six more) or 0 when the byte there starts none.
std::size_t colourCodeLength(std::string_view text, std::size_t at);

// The text as a rich-text box shows it: the formatting and colour codes taken out, then every
// other control character but TAB.
std::string stripFormatting(std::string_view text);

// The text of a CTCP ACTION ("\x01ACTION text\x01", the final \x01 may be missing), else nothing.
std::optional<std::string_view> ctcpAction(std::string_view text);

// The program's chat markup as IRC formatting codes: "<b>", "<i>", "<u>" (in any case) turn bold,
// italic and underline on, "</b>", "</i>", "</u>" off; a tag that changes nothing is dropped.
Text markupToIrc(TextView text);

// The bytes of PRIVMSG text a line to target may carry once the server has put the sender's
// full mask ("nick!user@host") in front: 512 bytes with CR LF, less ":mask PRIVMSG target :".
std::size_t textBudget(std::string_view mask, std::string_view target);

// The mask the server may show for nick when the program has not seen its own yet: the longest
// user and host names a server gives.
std::string worstMask(std::string_view nick);

// Cuts UTF-8 text into pieces of at most budget bytes that rejoin to the text: never inside a
// character or a colour code; at the last blank of a piece when one stands in its last fifth (the
// blank begins the next piece). An empty text is one empty piece.
std::vector<std::string> splitText(std::string_view text, std::size_t budget);

}  // namespace kestar::irc
