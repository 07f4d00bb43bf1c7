#pragma once

#include <QProcess>
#include <QtGlobal>
#include <string>

#include "tests/support/TempFolder.h"

namespace kestar::irc::test {

// A private network for one test: InspIRCd linked with Anope's services (NickServ, ChanServ, SASL)
// and the IRCv3 capabilities, from configurations written into the test's own folder, on free
// loopback ports (clients on one, the services' link on the next), never the system's services.
// Run by root, both run as nobody: InspIRCd refuses to run as root.
class Inspircd final {
 public:
  enum class CaseMapping { Rfc1459, Ascii };

  explicit Inspircd(CaseMapping mapping = CaseMapping::Rfc1459);
  ~Inspircd();
  Inspircd(const Inspircd&) = delete;
  Inspircd& operator=(const Inspircd&) = delete;

  // Started when the services have linked and are done syncing.
  bool start();
  // SIGTERM to both: the clients get an ERROR and lose the connection.
  void stop();
  // Again on the same ports, with the services' accounts kept.
  bool restart();

  quint16 port() const { return port_; }
  // What the servers printed while starting, to tell why a start failed.
  const QByteArray& output() const { return output_; }

 private:
  bool launch();
  void writeConfiguration() const;

  kestar::test::TempFolder folder_;
  CaseMapping mapping_;
  QProcess ircd_;
  QProcess services_;
  quint16 port_ = 0;
  quint16 linkPort_ = 0;
  QByteArray output_;
};

}  // namespace kestar::irc::test
