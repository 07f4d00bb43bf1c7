#pragma once

#include <QProcess>
#include <QTcpSocket>
#include <filesystem>
#include <string>
#include <vector>

#include "irc/LineReader.h"
#include "tests/support/TempFolder.h"

namespace kestar::irc::test {

// A private ngircd for one test: its own configuration on free loopback ports, never the
// system's service. With a certificate and key it also listens with TLS on a second port.
class Ngircd final {
 public:
  explicit Ngircd(std::string extraConfig = {});
  ~Ngircd();
  Ngircd(const Ngircd&) = delete;
  Ngircd& operator=(const Ngircd&) = delete;

  bool start(const std::filesystem::path& cert = {}, const std::filesystem::path& key = {});
  // SIGTERM: the clients get "ERROR :Server going down".
  void stop();
  // Again on the same ports.
  bool restart();

  quint16 port() const { return port_; }
  quint16 tlsPort() const { return tlsPort_; }
  const std::filesystem::path& folder() const { return folder_.path(); }

 private:
  bool launch();

  kestar::test::TempFolder folder_;
  std::string extraConfig_;
  std::filesystem::path cert_;
  std::filesystem::path key_;
  QProcess process_;
  quint16 port_ = 0;
  quint16 tlsPort_ = 0;
};

// Another person on the server, speaking raw protocol lines; answers PING by itself.
class RawClient final {
 public:
  RawClient(quint16 port, const std::string& nick);
  void send(const std::string& line);
  // Waits for a line holding the text, after the line found last; the line, or "" at the limit.
  std::string waitFor(const std::string& text, int ms = 5000);
  bool registered() { return !waitFor(" 001 ").empty(); }
  // Registered, then in the channel with its names listed.
  bool joined(const std::string& channel) {
    if (!registered()) return false;
    send("JOIN " + channel);
    return !waitFor(" 366 ").empty();
  }

 private:
  QTcpSocket socket_;
  LineReader reader_;
  std::vector<std::string> lines_;
  std::size_t next_ = 0;
};

// A loopback port free a moment ago (0 when none was found).
quint16 freePort();

// A certificate for "localhost" and 127.0.0.1 with its key, made by openssl in the folder.
bool makeCertificate(const std::filesystem::path& folder);

}  // namespace kestar::irc::test
