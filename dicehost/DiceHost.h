#pragma once

#include <QObject>
#include <QString>

#include "dicehost/Config.h"
#include "dicehost/RollRecord.h"
#include "irc/net/IrcConnection.h"
#include "irc/net/RollServer.h"

namespace kestar::dicehost {

// kestar-dicehost at work: one connection to the network, in every configured room, answering the
// rolls asked there (RollServer), each answered roll a line of the record and each event a line
// of the log.
class DiceHost final : public QObject {
  Q_OBJECT

 public:
  // verbose: every answer is logged too.
  explicit DiceHost(Config config, bool verbose = false, QObject* parent = nullptr);

  void start();
  // The new configuration's rooms (joined and left, served and no longer), pace, request limits
  // and record folder, on the same connection; the server, nick, account, password and ca stay
  // until the next start.
  void reconfigure(Config next);
  // QUIT with the reason, then finished(0) once it has gone to the server, within 1.5 s.
  void stop(const QString& reason);

  const irc::IrcConnection& connection() const { return connection_; }

 signals:
  // The exit code: 0 when stopped, 1 when the network refused the dice host for good.
  void finished(int exitCode);

 private:
  void onState(irc::IrcConnection::State state, const QString& detail);
  void onJoined(const QString& channel, const QString& nick);
  void onParted(const QString& channel, const QString& nick);
  void onKicked(const QString& channel, const QString& nick, const QString& by,
                const QString& reason);
  void onJoinRefused(const QString& channel, int code, const QString& text);
  void onSendRefused(const QString& target, int code, const QString& text);
  bool isSelf(const QString& nick) const;
  bool serves(const Config& config, const std::string& channel) const;
  void finish(int exitCode);
  void onRolled(const QString& channel, const QString& nick, const QString& request,
                const QList<int>& values);

  Config config_;
  irc::IrcConnection connection_;
  irc::RollServer rolls_;
  RollRecord record_;
  bool stopping_ = false;
  bool finished_ = false;
};

}  // namespace kestar::dicehost
