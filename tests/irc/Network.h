#pragma once

#include <QtGlobal>
#include <memory>
#include <string>

#include "irc/net/IrcConnection.h"
#include "tests/irc/Inspircd.h"
#include "tests/irc/Ngircd.h"

namespace kestar::irc::test {

// The networks the IRC tests run on: ngircd, which has no services, and InspIRCd linked with
// Anope's services, with each of its case mappings.
enum class NetworkKind { Ngircd, Inspircd, InspircdAscii };

// One of them, private to the test.
class Network final {
 public:
  explicit Network(NetworkKind kind);

  bool start();
  void stop();
  // Again on the same ports.
  bool restart();

  quint16 port() const;
  // What the servers printed while starting, when that says why a start failed.
  std::string output() const;
  // Accounts, SASL and ChanServ.
  bool hasServices() const { return kind_ != NetworkKind::Ngircd; }
  // The user and host the server shows for a client that registered with the nick as its user
  // name: ngircd marks a user name no ident server vouched for with "~".
  std::string mask(const std::string& nick) const;
  // Registers the nick as an account with NickServ and, with a channel, the channel to that
  // account with ChanServ; returns once the nick is free again. Only with services.
  bool registerAccount(const std::string& nick, const std::string& password,
                       const std::string& channel = {});

 private:
  NetworkKind kind_;
  std::unique_ptr<Ngircd> ngircd_;
  std::unique_ptr<Inspircd> inspircd_;
};

// A connection's settings for a private server on loopback, without TLS.
IrcSettings plainSettings(quint16 port, const char* nick);

// What a raw client read: the text after " :", and the nick that said it.
std::string text(const std::string& line);
std::string speaker(const std::string& line);

// "Ngircd", "InspircdWithServices", "InspircdWithServicesAscii".
std::string networkName(NetworkKind kind);

}  // namespace kestar::irc::test
