#include "tests/irc/Ngircd.h"

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTest>

namespace kestar::irc::test {

quint16 freePort() {
  QTcpServer probe;
  if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
  return probe.serverPort();
}

Ngircd::Ngircd(std::string extraConfig) : extraConfig_(std::move(extraConfig)) {
  process_.setProcessChannelMode(QProcess::MergedChannels);
}

Ngircd::~Ngircd() {
  stop();
}

bool Ngircd::start(const std::filesystem::path& cert, const std::filesystem::path& key) {
  cert_ = cert;
  key_ = key;
  // A port free a moment ago may be taken by now: try a few.
  for (int attempt = 0; attempt < 5; ++attempt) {
    port_ = freePort();
    tlsPort_ = cert_.empty() ? 0 : freePort();
    if (port_ != 0 && port_ != tlsPort_ && launch()) return true;
  }
  return false;
}

bool Ngircd::restart() {
  return launch();
}

bool Ngircd::launch() {
  std::string config =
      "[Global]\nName = irc.test.local\nListen = 127.0.0.1\nPorts = " + std::to_string(port_) +
      "\nMotdPhrase = test motd\n"
      "[Limits]\nMaxConnectionsIP = 0\n"
      "[Options]\nPAM = no\nIdent = no\nDNS = no\n"
      "[Channel]\nName = #full\nModes = +l 1\n" +
      extraConfig_;
  if (!cert_.empty()) {
    config += "[SSL]\nCertFile = " + cert_.string() + "\nKeyFile = " + key_.string() +
              "\nPorts = " + std::to_string(tlsPort_) + "\n";
  }
  const std::filesystem::path file = folder_ / "ngircd.conf";
  kestar::test::writeBytes(file, config);
  process_.start(QStringLiteral("ngircd"),
                 {QStringLiteral("-n"), QStringLiteral("-f"), QString::fromStdString(file)});
  if (!process_.waitForStarted(5000)) return false;
  QByteArray log;
  const QDeadlineTimer deadline(5000);
  while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
    process_.waitForReadyRead(100);
    log += process_.readAll();
    if (log.contains(") ready.")) return true;
  }
  process_.kill();
  process_.waitForFinished(2000);
  return false;
}

void Ngircd::stop() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(5000)) {
    process_.kill();
    process_.waitForFinished(2000);
  }
}

RawClient::RawClient(quint16 port, const std::string& nick) {
  QObject::connect(&socket_, &QTcpSocket::readyRead, [this] {
    for (std::string& line : reader_.feed(socket_.readAll().toStdString())) {
      if (line.rfind("PING ", 0) == 0) send("PONG " + line.substr(5));
      lines_.push_back(std::move(line));
    }
  });
  socket_.connectToHost(QHostAddress::LocalHost, port);
  send("NICK " + nick);
  send("USER " + nick + " 0 * :" + nick);
}

void RawClient::send(const std::string& line) {
  socket_.write(QByteArray::fromStdString(line + "\r\n"));
}

std::string RawClient::waitFor(const std::string& text, int ms) {
  std::string found;
  (void)QTest::qWaitFor(
      [&] {
        for (; next_ < lines_.size(); ++next_) {
          if (lines_[next_].find(text) == std::string::npos) continue;
          found = lines_[next_++];
          return true;
        }
        return false;
      },
      ms);
  return found;
}

bool makeCertificate(const std::filesystem::path& folder) {
  QProcess openssl;
  openssl.setProcessChannelMode(QProcess::MergedChannels);
  openssl.start(QStringLiteral("openssl"),
                {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout",
                 QString::fromStdString(folder / "key.pem"), "-out",
                 QString::fromStdString(folder / "cert.pem"), "-days", "30", "-subj",
                 "/CN=localhost", "-addext", "subjectAltName=DNS:localhost,IP:127.0.0.1"});
  return openssl.waitForFinished(30000) && openssl.exitCode() == 0;
}

}  // namespace kestar::irc::test
