#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "irc/Membership.h"
#include "irc/Message.h"

namespace kestar::irc {

// The token of the WHO the program asks for its channels' accounts with (WHO #c %tna,152), and
// which only the replies to it carry.
inline constexpr std::string_view kAccountsWhoToken = "152";

// The accounts the network's services have logged the people of the program's channels into, as
// the server tells them: the account of each line a logged-in user sends (account-tag), of a JOIN
// (extended-join), ACCOUNT (account-notify), the program's own login (900, 901) and the replies
// to the program's WHO for accounts (354). Lines are applied in the order they arrived, after
// Membership has applied them, so the answer while a line is handled is the one it came with.
class Accounts final {
 public:
  // Whether the server tags every line of a logged-in user with its account. Only then does a
  // line without the tag say that its sender is logged out, and is the roller trusted by account.
  void setTagged(bool tagged) { tagged_ = tagged; }
  bool tagged() const { return tagged_; }

  void apply(const Message& message, const Membership& members);
  // Forgets everything, as when the connection is lost.
  void clear();

  // The account the nick is logged in as: empty when logged out, nothing when not known.
  std::optional<std::string> of(std::string_view nick, const Membership& members) const;

 private:
  void set(std::string_view nick, std::string account, const Membership& members);
  void refold(const Membership& members);

  bool tagged_ = false;
  std::optional<std::string> self_;
  std::pair<std::string, std::string> sender_;  // the nick and account of the last tagged line
  CaseMapping mapping_ = CaseMapping::Rfc1459;
  std::map<std::string, std::pair<std::string, std::string>> byNick_;  // folded: nick, account
};

// Who the roll service of a room is: the roller's nick while it is an operator of the channel,
// or, on a server that tags lines with accounts, whoever is logged in as the roller's account.
struct Roller {
  std::string nick{kDefaultRoller};
  std::string account;  // the nick's when empty

  const std::string& accountName() const { return account.empty() ? nick : account; }
};

// Whether the nick is known to be logged in as the roller's account (which counts only where the
// server tags lines with accounts).
bool loggedInAsRoller(const Membership& members, const Accounts& accounts, std::string_view nick,
                      const Roller& roller);

// The roller's state in the channel by the rule the server allows (RollerState::NotLoggedIn: the
// roller's nick is here without the roller's account).
RollerState rollerState(const Membership& members, const Accounts& accounts,
                        std::string_view channel, const Roller& roller);

// The name a line said in the channel by the nick shows under: "OnlineHost" for the roll service
// by the rule the server allows; others as speakerName in Membership.h says.
std::string speakerName(const Membership& members, const Accounts& accounts,
                        std::string_view channel, std::string_view nick, const Roller& roller);

}  // namespace kestar::irc
