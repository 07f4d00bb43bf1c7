#pragma once

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "irc/LineReader.h"

namespace kestar::irc::test {

// A server the test plays, for what ngircd never does: every line heard is written down with its
// connection (1, 2, ...) and the time it came, and the script answers it.
class ScriptedServer final {
 public:
  using Script = std::function<void(QTcpSocket& peer, int connection, const std::string& line)>;
  struct Heard {
    int connection;
    std::string line;
    qint64 ms;
  };

  explicit ScriptedServer(Script script) : script_(std::move(script)) {
    clock_.start();
    (void)server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      QTcpSocket* peer = server_.nextPendingConnection();
      const int number = ++connections;
      if (onConnect) onConnect(*peer, number);
      auto reader = std::make_shared<LineReader>();
      QObject::connect(peer, &QTcpSocket::readyRead, peer, [this, peer, number, reader] {
        for (const std::string& line : reader->feed(peer->readAll().toStdString())) {
          heard.push_back(Heard{number, line, clock_.elapsed()});
          script_(*peer, number, line);
        }
      });
    });
  }

  quint16 port() const { return server_.serverPort(); }
  // The first line of the connection that begins with text, or nothing.
  const Heard* find(int connection, const std::string& text) const {
    for (const Heard& h : heard)
      if (h.connection == connection && h.line.rfind(text, 0) == 0) return &h;
    return nullptr;
  }
  // The lines of the connection that begin with text.
  std::vector<std::string> lines(int connection, const std::string& text) const {
    std::vector<std::string> found;
    for (const Heard& h : heard)
      if (h.connection == connection && h.line.rfind(text, 0) == 0) found.push_back(h.line);
    return found;
  }

  // The welcome of a server that names its case mapping.
  static void welcome(QTcpSocket& peer, const std::string& nick) {
    peer.write(QByteArray::fromStdString(":f 001 " + nick + " :Welcome\r\n:f 005 " + nick +
                                         " CASEMAPPING=ascii :are supported\r\n:f 376 " + nick +
                                         " :End of MOTD\r\n"));
  }

  std::function<void(QTcpSocket& peer, int connection)> onConnect;
  std::vector<Heard> heard;
  int connections = 0;

 private:
  Script script_;
  QTcpServer server_;
  QElapsedTimer clock_;
};

}  // namespace kestar::irc::test
