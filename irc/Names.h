#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// How the program's names become IRC names.
namespace kestar::irc {

// A room's channel: "#", then the room's name (UTF-8) with every blank written as "_" and every
// byte that a channel name cannot hold or that the rule itself uses ("_", "%", ",", ":", control
// characters) written as "%" and two upper-case hex digits. "Spar Arena" is "#Spar_Arena",
// "a_b" is "#a%5Fb". The rule is reversible. Servers compare channel names without regard to
// case, so rooms whose names differ only in case are one room, as the client's rooms are.
std::string roomToChannel(std::string_view room);

// The room of a channel the rule made, or nothing for any other channel name.
std::optional<std::string> channelToRoom(std::string_view channel);

// Where "ircs://HOST[:PORT]" (TLS, port 6697 unless given) or "irc://HOST[:PORT]" (no TLS, 6667)
// points; nothing for anything else.
struct ServerAddress {
  std::string host;
  unsigned short port = 6697;
  bool tls = true;
};
std::optional<ServerAddress> parseServerAddress(std::string_view url);

// The nick to try after the server refused the attempt-th one (1, 2, ...) before the program
// was registered: the wanted nick cut so that a suffix fits nickLength ("_", then "1" to "9",
// then two digits).
std::string alternateNick(std::string_view wanted, int attempt, std::size_t nickLength);

}  // namespace kestar::irc
