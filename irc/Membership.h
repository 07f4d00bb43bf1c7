#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "irc/Message.h"

namespace kestar::irc {

enum class CaseMapping { Ascii, Rfc1459, Rfc1459Strict };

// What the server says it supports (005), as far as the program needs it; the defaults are what
// a server that says nothing is taken to have.
struct ISupport {
  std::string prefixModes = "ov";  // highest rank first, paired with the symbols
  std::string prefixSymbols = "@+";
  CaseMapping caseMapping = CaseMapping::Rfc1459;
  std::string listModes = "beI";   // a parameter on + and -
  std::string alwaysParam = "k";   // a parameter on + and -
  std::string paramWhenSet = "l";  // a parameter on + only
  std::string chanTypes = "#&";
  std::size_t nickLength = 9;
  std::string botMode;  // the user mode that marks a bot (BOT=), none when not offered
  // Said in 005, or taken as the default once the server's welcome ended without it.
  bool caseMappingKnown = false;

  void apply(const Message& isupport);
  std::string fold(std::string_view name) const;
};

// Who is in the channels the program is in, and with which channel modes (operator, voice...),
// kept from the server's lines applied strictly in the order they arrived, so that the answer
// while a line is handled is the server's state when it relayed that line.
class Membership final {
 public:
  enum class Status { Yes, No, Unknown };

  // Applies 001 (the program's own nick), 005, the end of the welcome (376, 422), JOIN, 353, 366,
  // PART, KICK, QUIT, NICK, MODE, the program's new host (396, CHGHOST) and its own lines echoed
  // (PRIVMSG, NOTICE: their source is its mask); other lines change nothing.
  void apply(const Message& message);
  // The nick the program asks for before the server has welcomed it.
  void setSelf(std::string nick) {
    self_ = std::move(nick);
    mask_.clear();
  }
  // Forgets every channel and what the server said of itself, as when the connection is lost.
  void clear();

  const std::string& self() const { return self_; }
  // "nick!user@host" as the server shows the program to others, or empty while not known.
  const std::string& mask() const { return mask_; }
  const ISupport& support() const { return support_; }
  bool isSelf(std::string_view nick) const;
  bool isChannel(std::string_view target) const;
  bool sameName(std::string_view a, std::string_view b) const;

  bool inChannel(std::string_view channel) const;
  // Operator or a higher rank in the channel now; unknown while the channel's names are still
  // coming, the program is not in it or the server's case mapping is not yet known.
  Status isOperator(std::string_view channel, std::string_view nick) const;
  // The nicks in the channel as the server spells them, sorted without regard to case.
  std::vector<std::string> names(std::string_view channel) const;
  // The prefix of the nick's highest rank in the channel ("@", "+", ...), "" for none.
  std::string rankPrefix(std::string_view channel, std::string_view nick) const;
  // The channels the nick is in, as far as the program sees.
  std::vector<std::string> channelsWith(std::string_view nick) const;

 private:
  struct Member {
    std::string nick;
    std::string modes;  // the channel's rank modes the member holds ("o", "ov", ...)
  };
  using Members = std::map<std::string, Member>;  // by folded nick
  struct Channel {
    std::string name;
    Members members;
    Members coming;  // names lists (353) collected until their end (366)
    bool complete = false;
  };

  Channel* find(std::string_view channel);
  const Channel* find(std::string_view channel) const;
  // Where the nick's highest rank in the channel stands in PREFIX; npos for none or not there.
  std::size_t highestRank(const Channel& channel, std::string_view nick) const;
  void addNames(std::string_view channel, std::string_view names);
  void applyMode(const Message& message);
  void rename(std::string_view from, std::string_view to);
  // The mask of a line whose source is the program.
  void learnMask(const Message& own);
  void refold();

  ISupport support_;
  std::string self_;
  std::string mask_;
  std::map<std::string, Channel> channels_;  // by folded name
};

// The roll service of a room: the nick configured as the roller, trusted only while it is an
// operator of the room's channel.
inline constexpr std::string_view kDefaultRoller = "DiceHost";

enum class RollerState { Trusted, NotOperator, NotLoggedIn, Missing, Unknown };
RollerState rollerState(const Membership& members, std::string_view channel,
                        std::string_view roller);

// The name a line said in channel by nick shows under in the client: the chat service's own name,
// which the dice counter trusts, for the trusted roller; every other speaker its nick, and a nick
// that is the service's name is marked with a "~" (which no nick may hold) so that it is not
// trusted.
std::string speakerName(const Membership& members, std::string_view channel, std::string_view nick,
                        std::string_view roller);

}  // namespace kestar::irc
