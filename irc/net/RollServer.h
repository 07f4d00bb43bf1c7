#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <string>

#include "irc/net/IrcConnection.h"
#include "rollservice/RollService.h"

namespace kestar::irc {

// The room's roll service on one connection: it hears the roll requests said in the channels it
// serves and answers them by the roll service's rules (RollService), under the connection's nick.
// An answer goes at most once: one the server had not confirmed when the connection was lost is
// dropped, and told. The notices of the per-nick limit go at most once too.
class RollServer final : public QObject {
  Q_OBJECT

 public:
  RollServer(IrcConnection& connection, std::string roller, rollservice::DiceSource dice,
             rollservice::Limits limits = {}, QObject* parent = nullptr);

  // The channels whose requests are answered.
  void setChannels(const QStringList& channels) { channels_ = channels; }

 signals:
  // An answer written to the server now, as the channel reads it, and its k (0 for one without
  // dice).
  void answerSent(const QString& channel, const QString& text, quint64 k);
  // The k-th answer of the channel (0 for one without dice) was not confirmed by the server when
  // the connection was lost: it may not have reached the channel, and it will not go again.
  void notConfirmed(const QString& channel, quint64 k, const QString& text);
  // A request refused by the limits; told: the asker got the notice.
  void refused(const QString& channel, const QString& nick, bool told);

 private:
  struct Said {
    QString channel;
    quint64 k = 0;
    QString text;
    bool answer = false;  // else the notice of the limit
    bool written = false;
  };

  void hear(const QString& target, const QString& nick, const QString& text,
            IrcConnection::Kind kind);
  void onWritten(quint64 ticket);
  void onDelivered(const QStringList& targets, const QList<quint64>& tickets);
  void onDropped(const QList<quint64>& tickets);

  IrcConnection& connection_;
  rollservice::RollService service_;
  QStringList channels_;
  std::map<quint64, Said> said_;  // by ticket, until the server confirmed it or it was dropped
  QElapsedTimer clock_;
};

}  // namespace kestar::irc
