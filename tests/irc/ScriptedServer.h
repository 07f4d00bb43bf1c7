#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <string>
#include <utility>
#include <vector>

#include "irc/LineReader.h"

namespace kestar::irc::test {

// A server that plays a script, for what the real servers of the tests never say: every line a
// client sends is heard and answered with the script's reply to it (the reply to a key ending in
// "*" answers any line that begins with the rest of the key).
class ScriptedServer final {
 public:
  using Script = std::vector<std::pair<std::string, std::string>>;

  explicit ScriptedServer(Script script) : script_(std::move(script)) {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      peer_ = server_.nextPendingConnection();
      ++connections_;
      reader_.reset();
      QObject::connect(peer_, &QTcpSocket::readyRead, [this, peer = peer_] {
        for (const std::string& line : reader_.feed(peer->readAll().toStdString())) {
          heard_.push_back(line);
          for (const auto& [key, reply] : script_) {
            const bool prefix = !key.empty() && key.back() == '*';
            if (line == key || (prefix && line.rfind(key.substr(0, key.size() - 1), 0) == 0))
              peer->write(QByteArray::fromStdString(reply));
          }
        }
      });
    });
  }

  quint16 port() const { return server_.serverPort(); }
  const std::vector<std::string>& heard() const { return heard_; }
  int connections() const { return connections_; }
  // Sends the bytes to the client connected last.
  void say(const std::string& bytes) {
    if (peer_ != nullptr) peer_->write(QByteArray::fromStdString(bytes));
  }

 private:
  Script script_;
  QTcpServer server_;
  QTcpSocket* peer_ = nullptr;
  LineReader reader_;
  std::vector<std::string> heard_;
  int connections_ = 0;
};

}  // namespace kestar::irc::test
