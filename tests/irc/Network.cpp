#include "tests/irc/Network.h"

namespace kestar::irc::test {

Network::Network(NetworkKind kind) : kind_(kind) {
  if (kind == NetworkKind::Ngircd) {
    // Nicks as long as "OnlineHost", which a forger may take.
    ngircd_ = std::make_unique<Ngircd>("[Limits]\nMaxNickLength = 12\n");
  } else {
    inspircd_ = std::make_unique<Inspircd>(kind == NetworkKind::InspircdAscii
                                               ? Inspircd::CaseMapping::Ascii
                                               : Inspircd::CaseMapping::Rfc1459);
  }
}

bool Network::start() {
  return ngircd_ ? ngircd_->start() : inspircd_->start();
}

void Network::stop() {
  ngircd_ ? ngircd_->stop() : inspircd_->stop();
}

bool Network::restart() {
  return ngircd_ ? ngircd_->restart() : inspircd_->restart();
}

quint16 Network::port() const {
  return ngircd_ ? ngircd_->port() : inspircd_->port();
}

std::string Network::output() const {
  return inspircd_ ? inspircd_->output().toStdString() : std::string();
}

std::string Network::mask(const std::string& nick) const {
  return (ngircd_ ? "~" : "") + nick + "@127.0.0.1";
}

bool Network::registerAccount(const std::string& nick, const std::string& password,
                              const std::string& channel) {
  if (!hasServices()) return false;
  RawClient owner(port(), nick);
  if (!owner.registered()) return false;
  owner.send("PRIVMSG NickServ :REGISTER " + password + " " + nick + "@example.invalid");
  if (owner.waitFor(" 900 ").empty()) return false;
  if (!channel.empty()) {
    owner.send("JOIN " + channel);
    if (owner.waitFor(" 366 ").empty()) return false;
    owner.send("PRIVMSG ChanServ :REGISTER " + channel);
    if (owner.waitFor("registered under").empty()) return false;
  }
  owner.send("QUIT");
  return !owner.waitFor("ERROR").empty();
}

IrcSettings plainSettings(quint16 port, const char* nick) {
  IrcSettings settings;
  settings.host = QStringLiteral("127.0.0.1");
  settings.port = port;
  settings.tls = false;
  settings.nick = QString::fromLatin1(nick);
  return settings;
}

std::string text(const std::string& line) {
  const std::size_t at = line.find(" :", 1);
  return at == std::string::npos ? std::string() : line.substr(at + 2);
}

std::string speaker(const std::string& line) {
  return line.empty() ? std::string() : line.substr(1, line.find('!') - 1);
}

std::string networkName(NetworkKind kind) {
  switch (kind) {
    case NetworkKind::Ngircd:
      return "Ngircd";
    case NetworkKind::Inspircd:
      return "InspircdWithServices";
    case NetworkKind::InspircdAscii:
      return "InspircdWithServicesAscii";
  }
  return "Unknown";
}

}  // namespace kestar::irc::test
