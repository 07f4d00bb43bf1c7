#include "irc/Membership.h"

#include <algorithm>

#include "dice/rules/RollLine.h"
#include "irc/Text.h"

namespace kestar::irc {
namespace {

std::vector<std::string_view> words(std::string_view text) {
  std::vector<std::string_view> result;
  std::size_t from = 0;
  while (from <= text.size()) {
    const std::size_t end = std::min(text.find(' ', from), text.size());
    if (end > from) result.push_back(text.substr(from, end - from));
    from = end + 1;
  }
  return result;
}

}  // namespace

void ISupport::apply(const Message& isupport) {
  // "005 <nick> TOKEN[=VALUE] ... :are supported by this server"
  for (std::size_t i = 1; i + 1 < isupport.params.size(); ++i) {
    const std::string_view token = isupport.params[i];
    const std::size_t equals = std::min(token.find('='), token.size());
    const std::string_view key = token.substr(0, equals);
    const std::string_view value = token.substr(std::min(equals + 1, token.size()));
    if (key == "PREFIX") {
      const std::size_t close = value.find(')');
      if (value.size() < 2 || value.front() != '(' || close == std::string_view::npos) continue;
      const std::string_view modes = value.substr(1, close - 1);
      const std::string_view symbols = value.substr(close + 1);
      if (modes.size() != symbols.size()) continue;
      prefixModes = modes;
      prefixSymbols = symbols;
    } else if (key == "CASEMAPPING") {
      // A mapping not known here folds as the finest, so that no two nicks the server keeps
      // apart are ever taken for one.
      caseMapping = value == "rfc1459"          ? CaseMapping::Rfc1459
                    : value == "rfc1459-strict" ? CaseMapping::Rfc1459Strict
                                                : CaseMapping::Ascii;
      caseMappingKnown = true;
    } else if (key == "CHANMODES") {
      // An empty group keeps its place: "b,,l,imnpst" has no mode of the second kind.
      std::vector<std::string_view> kinds;
      for (std::size_t from = 0; from <= value.size();) {
        const std::size_t comma = std::min(value.find(',', from), value.size());
        kinds.push_back(value.substr(from, comma - from));
        from = comma + 1;
      }
      if (kinds.size() < 3) continue;
      listModes = kinds[0];
      alwaysParam = kinds[1];
      paramWhenSet = kinds[2];
    } else if (key == "CHANTYPES") {
      chanTypes = value;
    } else if (key == "NICKLEN") {
      std::size_t length = 0;
      for (const char c : value)
        if (c >= '0' && c <= '9' && length < 1000) length = length * 10 + (c - '0');
      if (length > 0) nickLength = length;
    } else if (key == "BOT") {
      botMode = value.substr(0, 1);
    }
  }
}

std::string ISupport::fold(std::string_view name) const {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    } else if (caseMapping != CaseMapping::Ascii && (c == '[' || c == ']' || c == '\\')) {
      c = static_cast<char>(c + 32);  // {, }, |
    } else if (caseMapping == CaseMapping::Rfc1459 && c == '~') {
      c = '^';
    }
  }
  return folded;
}

bool Membership::isSelf(std::string_view nick) const {
  return sameName(nick, self_);
}

bool Membership::isChannel(std::string_view target) const {
  return !target.empty() && support_.chanTypes.find(target.front()) != std::string::npos;
}

bool Membership::sameName(std::string_view a, std::string_view b) const {
  return support_.fold(a) == support_.fold(b);
}

Membership::Channel* Membership::find(std::string_view channel) {
  const auto it = channels_.find(support_.fold(channel));
  return it == channels_.end() ? nullptr : &it->second;
}

const Membership::Channel* Membership::find(std::string_view channel) const {
  const auto it = channels_.find(support_.fold(channel));
  return it == channels_.end() ? nullptr : &it->second;
}

bool Membership::inChannel(std::string_view channel) const {
  return find(channel) != nullptr;
}

Membership::Status Membership::isOperator(std::string_view channel, std::string_view nick) const {
  const Channel* found = find(channel);
  // Until the server's case mapping is known, a nick may stand for another the server keeps apart.
  if (found == nullptr || !found->complete || !support_.caseMappingKnown) return Status::Unknown;
  const std::size_t rank = highestRank(*found, nick);
  return rank != std::string::npos && rank <= support_.prefixModes.find('o') ? Status::Yes
                                                                             : Status::No;
}

std::vector<std::string> Membership::names(std::string_view channel) const {
  std::vector<std::string> result;
  if (const Channel* found = find(channel)) {
    for (const auto& [folded, member] : found->members)
      result.push_back(member.nick);
  }
  return result;
}

std::string Membership::rankPrefix(std::string_view channel, std::string_view nick) const {
  const Channel* found = find(channel);
  const std::size_t rank = found == nullptr ? std::string::npos : highestRank(*found, nick);
  return rank < support_.prefixSymbols.size() ? support_.prefixSymbols.substr(rank, 1)
                                              : std::string();
}

std::size_t Membership::highestRank(const Channel& channel, std::string_view nick) const {
  const auto member = channel.members.find(support_.fold(nick));
  if (member == channel.members.end()) return std::string::npos;
  std::size_t highest = std::string::npos;
  for (const char mode : member->second.modes)
    highest = std::min(highest, support_.prefixModes.find(mode));
  return highest;
}

std::vector<std::string> Membership::channelsWith(std::string_view nick) const {
  std::vector<std::string> result;
  const std::string folded = support_.fold(nick);
  for (const auto& [key, channel] : channels_)
    if (channel.members.count(folded) != 0) result.push_back(channel.name);
  return result;
}

void Membership::addNames(std::string_view channel, std::string_view names) {
  Channel* found = find(channel);
  if (found == nullptr) return;
  for (std::string_view word : words(names)) {
    std::string modes;
    while (!word.empty()) {
      const std::size_t rank = support_.prefixSymbols.find(word.front());
      if (rank == std::string::npos) break;
      modes += support_.prefixModes[rank];
      word.remove_prefix(1);
    }
    word = word.substr(0, std::min(word.find('!'), word.size()));
    if (word.empty()) continue;
    found->coming[support_.fold(word)] = Member{std::string(word), modes};
  }
}

void Membership::applyMode(const Message& message) {
  Channel* found = find(message.param(0));
  if (found == nullptr) return;
  std::size_t next = 2;
  bool adding = true;
  for (const char mode : message.param(1)) {
    if (mode == '+' || mode == '-') {
      adding = mode == '+';
      continue;
    }
    const bool rank = support_.prefixModes.find(mode) != std::string::npos;
    const bool takesParam = rank || support_.listModes.find(mode) != std::string::npos ||
                            support_.alwaysParam.find(mode) != std::string::npos ||
                            (adding && support_.paramWhenSet.find(mode) != std::string::npos);
    if (!takesParam) continue;
    const std::string_view param = message.param(next++);
    if (!rank) continue;
    const auto member = found->members.find(support_.fold(param));
    if (member == found->members.end()) continue;
    std::string& modes = member->second.modes;
    const std::size_t at = modes.find(mode);
    if (adding && at == std::string::npos) modes += mode;
    if (!adding && at != std::string::npos) modes.erase(at, 1);
  }
}

void Membership::rename(std::string_view from, std::string_view to) {
  const std::string oldKey = support_.fold(from);
  for (auto& [name, channel] : channels_) {
    const auto member = channel.members.find(oldKey);
    if (member == channel.members.end()) continue;
    Member moved = std::move(member->second);
    channel.members.erase(member);
    moved.nick = to;
    channel.members[support_.fold(to)] = std::move(moved);
  }
  if (!isSelf(from)) return;
  self_ = to;
  // A nick no server gives leaves the mask unknown.
  const std::size_t bang = mask_.find('!');
  mask_ = bang == std::string::npos || to.find_first_of("!@") != std::string_view::npos
              ? std::string()
              : self_ + mask_.substr(bang);
}

void Membership::learnMask(const Message& own) {
  const Source source = parseSource(own.source);
  if (!source.user.empty() && !source.host.empty()) mask_ = own.source;
}

void Membership::clear() {
  channels_.clear();
  support_ = ISupport{};
  mask_.clear();
}

void Membership::refold() {
  std::map<std::string, Channel> channels;
  for (auto& [key, channel] : channels_) {
    for (Members* members : {&channel.members, &channel.coming}) {
      Members refolded;
      for (auto& [nick, member] : *members)
        refolded[support_.fold(member.nick)] = std::move(member);
      *members = std::move(refolded);
    }
    channels[support_.fold(channel.name)] = std::move(channel);
  }
  channels_ = std::move(channels);
}

void Membership::apply(const Message& message) {
  const std::string& command = message.command;
  const std::string_view nick = sourceNick(message);
  if (command == "001") {
    if (!message.param(0).empty()) self_ = message.param(0);
    // ngircd names the program's whole mask at the end of its welcome; others leave it unknown.
    mask_.clear();
    const std::string_view welcome = message.param(1);
    const std::string_view last = welcome.substr(std::min(welcome.rfind(' ') + 1, welcome.size()));
    if (last.substr(0, last.find('!')) == self_ && last.find('@') != std::string::npos)
      mask_ = last;
  } else if (command == "376" || command == "422") {
    // The welcome has ended: a server that named no case mapping has the default one.
    support_.caseMappingKnown = true;
  } else if (command == "396") {
    const std::size_t at = mask_.find('@');
    if (at != std::string::npos) mask_ = mask_.substr(0, at + 1) + std::string(message.param(1));
  } else if (command == "CHGHOST") {
    if (isSelf(nick))
      mask_ = self_ + "!" + std::string(message.param(0)) + "@" + std::string(message.param(1));
  } else if (command == "005") {
    const CaseMapping before = support_.caseMapping;
    support_.apply(message);
    if (support_.caseMapping != before) refold();
  } else if ((command == "PRIVMSG" || command == "NOTICE") && isSelf(nick)) {
    learnMask(message);  // the program's own line, echoed as the others read it
  } else if (command == "JOIN") {
    const std::string_view channel = message.param(0);
    if (isSelf(nick)) {
      learnMask(message);
      Channel fresh;
      fresh.name = channel;
      channels_[support_.fold(channel)] = std::move(fresh);
    } else if (Channel* found = find(channel)) {
      found->members[support_.fold(nick)] = Member{std::string(nick), {}};
    }
  } else if (command == "353") {
    addNames(message.param(2), message.param(3));
  } else if (command == "366") {
    if (Channel* found = find(message.param(1))) {
      found->members = std::move(found->coming);
      found->coming.clear();
      found->complete = true;
    }
  } else if (command == "PART" || command == "KICK") {
    const std::string_view leaving = command == "PART" ? nick : message.param(1);
    if (isSelf(leaving)) {
      channels_.erase(support_.fold(message.param(0)));
    } else if (Channel* found = find(message.param(0))) {
      found->members.erase(support_.fold(leaving));
    }
  } else if (command == "QUIT") {
    for (auto& [name, channel] : channels_)
      channel.members.erase(support_.fold(nick));
  } else if (command == "NICK") {
    rename(nick, message.param(0));
  } else if (command == "MODE") {
    applyMode(message);
  }
}

RollerState rollerState(const Membership& members, std::string_view channel,
                        std::string_view roller) {
  switch (members.isOperator(channel, roller)) {
    case Membership::Status::Yes:
      return RollerState::Trusted;
    case Membership::Status::Unknown:
      return RollerState::Unknown;
    case Membership::Status::No:
      break;
  }
  const std::vector<std::string> names = members.names(channel);
  const bool present = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
    return members.sameName(name, roller);
  });
  return present ? RollerState::NotOperator : RollerState::Missing;
}

std::string speakerName(const Membership& members, std::string_view channel, std::string_view nick,
                        std::string_view roller) {
  const std::string service = toUtf8(rolls::kService);
  if (members.sameName(nick, roller) &&
      members.isOperator(channel, nick) == Membership::Status::Yes) {
    return service;
  }
  if (members.sameName(nick, service)) return "~" + std::string(nick);
  return std::string(nick);
}

}  // namespace kestar::irc
