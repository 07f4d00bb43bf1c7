#pragma once

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "irc/LineReader.h"

namespace kestar::irc::test {

// A server the test plays, for what the real servers of the tests never do: every line heard is
// written down with its connection (1, 2, ...) and the time it came, and the script answers it.
class ScriptedServer final {
 public:
  using Script = std::function<void(QTcpSocket& peer, int connection, const std::string& line)>;
  // Replies by line: the reply to a key ending in "*" answers any line that begins with the rest
  // of the key.
  using Replies = std::vector<std::pair<std::string, std::string>>;
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
      last_ = peer;
      const int number = ++connections_;
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
  explicit ScriptedServer(Replies replies)
      : ScriptedServer(
            [replies = std::move(replies)](QTcpSocket& peer, int, const std::string& line) {
              for (const auto& [key, reply] : replies) {
                const bool prefix = !key.empty() && key.back() == '*';
                if (line == key || (prefix && line.rfind(key.substr(0, key.size() - 1), 0) == 0))
                  peer.write(QByteArray::fromStdString(reply));
              }
            }) {}

  quint16 port() const { return server_.serverPort(); }
  int connections() const { return connections_; }
  // Every line heard, of every connection.
  std::vector<std::string> lines() const {
    std::vector<std::string> all;
    for (const Heard& h : heard)
      all.push_back(h.line);
    return all;
  }
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
  // Sends the bytes to the client connected last.
  void say(const std::string& bytes) {
    if (last_ != nullptr) last_->write(QByteArray::fromStdString(bytes));
  }

  // The welcome of a server that names its case mapping.
  static void welcome(QTcpSocket& peer, const std::string& nick) {
    peer.write(QByteArray::fromStdString(":f 001 " + nick + " :Welcome\r\n:f 005 " + nick +
                                         " CASEMAPPING=ascii :are supported\r\n:f 376 " + nick +
                                         " :End of MOTD\r\n"));
  }

  std::function<void(QTcpSocket& peer, int connection)> onConnect;
  std::vector<Heard> heard;

 private:
  Script script_;
  QTcpServer server_;
  QElapsedTimer clock_;
  QTcpSocket* last_ = nullptr;
  int connections_ = 0;
};

}  // namespace kestar::irc::test
