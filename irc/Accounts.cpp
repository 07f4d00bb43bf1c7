#include "irc/Accounts.h"

#include <algorithm>
#include <vector>

#include "dice/rules/RollLine.h"
#include "irc/Text.h"

namespace kestar::irc {
namespace {

bool fromUser(const Message& message) {
  return message.source.find('!') != std::string::npos;
}

// "*" (extended-join, account-notify) and "0" (WHO) are no account.
std::string accountName(std::string_view name, std::string_view none) {
  return name == none ? std::string() : std::string(name);
}

}  // namespace

void Accounts::clear() {
  tagged_ = false;
  self_.reset();
  sender_ = {};
  byNick_.clear();
}

void Accounts::refold(const Membership& members) {
  mapping_ = members.support().caseMapping;
  std::map<std::string, std::pair<std::string, std::string>> refolded;
  for (auto& [key, entry] : byNick_)
    refolded[members.support().fold(entry.first)] = std::move(entry);
  byNick_ = std::move(refolded);
}

void Accounts::set(std::string_view nick, std::string account, const Membership& members) {
  if (members.isSelf(nick)) {
    self_ = std::move(account);
  } else if (!members.channelsWith(nick).empty()) {
    // Only the people of the program's channels are kept: they are forgotten as they leave.
    byNick_[members.support().fold(nick)] = {std::string(nick), std::move(account)};
  }
}

void Accounts::apply(const Message& message, const Membership& members) {
  if (members.support().caseMapping != mapping_) refold(members);
  const std::string& command = message.command;
  const std::string_view nick = sourceNick(message);
  sender_ = {};
  if (tagged_ && fromUser(message)) {
    // A tag with "+" in front is a client's own and proves nothing.
    const auto tag = std::find_if(message.tags.begin(), message.tags.end(),
                                  [](const Tag& t) { return t.key == "account"; });
    std::string account = tag == message.tags.end() ? std::string() : tag->value;
    sender_ = {std::string(nick), account};
    set(nick, std::move(account), members);
  }
  if (command == "JOIN" && message.params.size() >= 3 && fromUser(message)) {
    set(nick, accountName(message.param(1), "*"), members);
  } else if (command == "ACCOUNT" && fromUser(message)) {
    set(nick, accountName(message.param(0), "*"), members);
  } else if (command == "900") {
    self_ = std::string(message.param(2));
  } else if (command == "901") {
    self_ = std::string();
  } else if (command == "354" && message.param(1) == kAccountsWhoToken) {
    set(message.param(2), accountName(message.param(3), "0"), members);
  } else if (command == "NICK") {
    const auto entry = byNick_.find(members.support().fold(nick));
    std::optional<std::string> account;
    if (entry != byNick_.end()) account = std::move(entry->second.second);
    if (tagged_) account = sender_.second;
    if (entry != byNick_.end()) byNick_.erase(entry);
    if (account) set(message.param(0), std::move(*account), members);
  } else if (command == "QUIT") {
    byNick_.erase(members.support().fold(nick));
  } else if (command == "PART" || command == "KICK") {
    const std::string_view leaving = command == "PART" ? nick : message.param(1);
    if (members.channelsWith(leaving).empty()) byNick_.erase(members.support().fold(leaving));
  }
}

std::optional<std::string> Accounts::of(std::string_view nick, const Membership& members) const {
  // Without a login (900) the program is logged out.
  if (members.isSelf(nick)) return tagged_ ? self_.value_or("") : self_;
  if (!sender_.first.empty() && members.sameName(nick, sender_.first)) return sender_.second;
  const auto entry = byNick_.find(members.support().fold(nick));
  if (entry == byNick_.end()) return std::nullopt;
  return entry->second.second;
}

bool loggedInAsRoller(const Membership& members, const Accounts& accounts, std::string_view nick,
                      const Roller& roller) {
  const std::optional<std::string> account = accounts.of(nick, members);
  return account && !account->empty() && members.sameName(*account, roller.accountName());
}

RollerState rollerState(const Membership& members, const Accounts& accounts,
                        std::string_view channel, const Roller& roller) {
  if (!accounts.tagged()) return rollerState(members, channel, roller.nick);
  if (members.isOperator(channel, roller.nick) == Membership::Status::Unknown)
    return RollerState::Unknown;
  bool unknown = false;
  bool nickHere = false;
  for (const std::string& name : members.names(channel)) {
    if (loggedInAsRoller(members, accounts, name, roller)) return RollerState::Trusted;
    unknown = unknown || !accounts.of(name, members);
    nickHere = nickHere || members.sameName(name, roller.nick);
  }
  if (unknown) return RollerState::Unknown;
  return nickHere ? RollerState::NotLoggedIn : RollerState::Missing;
}

std::string speakerName(const Membership& members, const Accounts& accounts,
                        std::string_view channel, std::string_view nick, const Roller& roller) {
  if (!accounts.tagged()) return speakerName(members, channel, nick, roller.nick);
  if (loggedInAsRoller(members, accounts, nick, roller)) return toUtf8(rolls::kService);
  // Anyone else goes by the nick, and no nick that is the service's name can pass for it.
  return speakerName(members, channel, nick, "");
}

}  // namespace kestar::irc
