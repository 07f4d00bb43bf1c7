#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <map>
#include <string>

#include "irc/net/IrcConnection.h"
#include "rollservice/RollService.h"

namespace kestar::irc {

// The room's roll service on one connection: it hears the roll requests said in the channels it
// serves and answers them by the roll service's rules (RollService), under the connection's nick,
// with each channel's epochs: the commitment as it starts serving a channel it is in (or enters),
// a new epoch when an operator of the channel asks for one and after 24 hours, the reveal when it
// stops serving the channel (setChannels without it: call it before leaving the channel) and when
// the connection closes, before the QUIT. Every line goes at most once: an answer or epoch line
// the server had not confirmed when the connection was lost is dropped, told, and owed to the
// room when the service is back in it (RollService). The notices of the per-nick limit go at most
// once too.
class RollServer final : public QObject {
  Q_OBJECT

 public:
  RollServer(IrcConnection& connection, std::string roller, rollservice::Limits limits = {},
             QObject* parent = nullptr);

  // The channels whose requests are answered.
  void setChannels(const QStringList& channels);
  void setLimits(rollservice::Limits limits) { service_.setLimits(limits); }
  // A line the person at this program said in a channel: the service never hears it from the
  // server (an echo is relayed, not heard), so a roll request of theirs is heard here. The notice
  // the person is owed, if any.
  QString hearOwn(const QString& channel, const QString& text);

 signals:
  // An answer written to the server now, as the channel reads it, and its k (0 for one without
  // dice).
  void answerSent(const QString& channel, const QString& text, quint64 k);
  // With answerSent, for an answer with dice: who asked, the request and the values.
  void rolled(const QString& channel, const QString& nick, const QString& request,
              const QList<int>& values);
  // The k-th answer of the channel's epoch (0 for one without dice) was not confirmed by the
  // server when the connection was lost: it may not have reached the channel, and it will not go
  // again.
  void notConfirmed(const QString& channel, quint64 k, const QString& text);
  // A request refused by the limits; told: the asker got the notice.
  void refused(const QString& channel, const QString& nick, bool told);
  // A reveal or gap line the channel may never see (the service is not in the channel as it
  // stops serving it, or the connection was lost before the server took the line).
  void notSaid(const QString& channel, const QString& text);

 private:
  struct Pending {
    QString channel;
    rollservice::Said said;
    bool written = false;
  };

  bool serves(const QString& channel) const;
  bool isIn(const QString& channel) const;
  rollservice::Millis now() const { return rollservice::Millis(clock_.elapsed()); }
  std::size_t waiting() const;
  // What the service makes of text said by nick in channel.
  rollservice::Reply ask(const QString& channel, const QString& nick, const QString& text,
                         rollservice::Origin origin);
  void hear(const QString& target, const QString& nick, const QString& text,
            IrcConnection::Kind kind);
  void reply(const QString& channel, const QString& nick, const rollservice::Reply& reply);
  void say(const QString& channel, const std::vector<rollservice::Said>& lines);
  void startServing(const QString& channel);
  void stopServing(const QString& channel);
  void renewExpired();
  void scheduleExpiry();
  void onWritten(quint64 ticket);
  void onDelivered(const QStringList& targets, const QList<quint64>& tickets);
  void onDropped(const QList<quint64>& tickets);

  IrcConnection& connection_;
  rollservice::RollService service_;
  QStringList channels_;
  std::map<quint64, Pending> said_;  // by ticket, until the server confirmed it or it was dropped
  QElapsedTimer clock_;
  QTimer expiry_;
};

}  // namespace kestar::irc
