// Feeds arbitrary bytes from a server to the IRC side: the line reader in pieces, the parser, the
// formatting stripper, the text decoder, the channel membership, the members' accounts and the
// name rules, as strangers on a network could, and checks what comes out.
//
// Input: one byte giving where the bytes are cut into two reads, then the bytes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/Check.h"
#include "irc/Accounts.h"
#include "irc/LineReader.h"
#include "irc/Membership.h"
#include "irc/Message.h"
#include "irc/Names.h"
#include "irc/Text.h"

namespace {

using namespace kestar;
using fuzz::check;

bool hasLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

void checkLine(const std::string& line, irc::Membership& members, irc::Accounts& accounts) {
  check(!line.empty() && !hasLineBreakOrNul(line), "a line holds no line end and no NUL");
  const std::optional<irc::Message> message = irc::parseMessage(line);
  if (!message) return;
  members.apply(*message);
  accounts.apply(*message, members);
  for (const std::string& param : message->params) {
    const std::string stripped = irc::stripFormatting(param);
    check(stripped.size() <= param.size(), "stripping never adds");
    for (const char c : stripped)
      check(static_cast<unsigned char>(c) >= 0x20 || c == '\t', "no control but TAB is left");
    const Text text = irc::decodeText(stripped);
    check(text.size() <= stripped.size(), "one unit at most for each byte");
    if (irc::fromUtf8(stripped)) check(irc::toUtf8(text) == stripped, "UTF-8 reads back");
    for (const std::string& piece : irc::splitText(param, 64))
      check(piece.size() <= 64, "piece");
  }
  const std::optional<std::string> written = irc::serialise(*message);
  if (written) {
    check(!hasLineBreakOrNul(*written), "nothing written holds a line end");
    const std::optional<irc::Message> again = irc::parseMessage(*written);
    check(again && again->command == message->command, "what is written reads back");
  }
  if (!message->param(0).empty()) {
    const std::string channel = irc::roomToChannel(message->param(0));
    check(irc::channelToRoom(channel) == message->param(0), "the room rule is reversible");
  }
  const std::string& mask = members.mask();
  check(mask.empty() || (members.sameName(mask.substr(0, mask.find('!')), members.self()) &&
                         mask.find('@') != std::string::npos),
        "the program's mask, when known, is its nick's");
  if (!message->params.empty()) {
    (void)members.isOperator(message->param(0), message->source);
    (void)irc::speakerName(members, message->param(0), message->source, irc::kDefaultRoller);
    const irc::Roller roller{std::string(irc::kDefaultRoller), std::string(message->param(1))};
    (void)irc::speakerName(members, accounts, message->param(0), message->source, roller);
    (void)irc::rollerState(members, accounts, message->param(0), roller);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::size_t cut = data[0] % (bytes.size() + 1);
  irc::LineReader reader(600);
  irc::Membership members;
  members.setSelf("me");
  // Half the inputs as from a server that tags lines with accounts.
  irc::Accounts accounts;
  accounts.setTagged(data[0] % 2 == 0);
  for (const std::string_view part : {bytes.substr(0, cut), bytes.substr(cut)})
    for (const std::string& line : reader.feed(part))
      checkLine(line, members, accounts);
  (void)members.names("#a");
  return 0;
}
