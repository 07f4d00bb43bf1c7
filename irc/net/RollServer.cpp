#include "irc/net/RollServer.h"

#include <algorithm>

namespace kestar::irc {

RollServer::RollServer(IrcConnection& connection, std::string roller, rollservice::DiceSource dice,
                       rollservice::Limits limits, QObject* parent)
    : QObject(parent),
      connection_(connection),
      service_(std::move(roller), std::move(dice), limits, [&connection](std::string_view name) {
        return connection.members().support().fold(name);
      }) {
  clock_.start();
  connect(&connection_, &IrcConnection::chatMessage, this, &RollServer::hear);
  connect(&connection_, &IrcConnection::written, this, &RollServer::onWritten);
  connect(&connection_, &IrcConnection::delivered, this, &RollServer::onDelivered);
  connect(&connection_, &IrcConnection::dropped, this, &RollServer::onDropped);
}

void RollServer::hear(const QString& target, const QString& nick, const QString& text,
                      IrcConnection::Kind kind) {
  const Membership& members = connection_.members();
  const bool served = std::any_of(channels_.begin(), channels_.end(), [&](const QString& channel) {
    return members.sameName(channel.toStdString(), target.toStdString());
  });
  if (kind != IrcConnection::Kind::Message || !served) return;
  const auto waiting = static_cast<std::size_t>(std::count_if(
      said_.begin(), said_.end(), [](const auto& entry) { return !entry.second.written; }));
  service_.setSelf(connection_.nick().toStdString());
  const rollservice::Reply reply =
      service_.hear(target.toStdString(), nick.toStdString(), text.toStdString(),
                    rollservice::Millis(clock_.elapsed()), waiting);
  const QString said = QString::fromStdString(reply.text);
  switch (reply.kind) {
    case rollservice::Reply::Kind::None:
      return;
    case rollservice::Reply::Kind::Answer:
      if (const quint64 ticket = connection_.say(target, said, Delivery::AtMostOnce))
        said_[ticket] = Said{target, reply.k, said, true};
      return;
    case rollservice::Reply::Kind::Notice:
      if (const quint64 ticket = connection_.notice(nick, said, Delivery::AtMostOnce))
        said_[ticket] = Said{target, 0, said, false};
      emit refused(target, nick, true);
      return;
    case rollservice::Reply::Kind::Refused:
      emit refused(target, nick, false);
      return;
  }
}

void RollServer::onWritten(quint64 ticket) {
  const auto it = said_.find(ticket);
  if (it == said_.end() || it->second.written) return;
  it->second.written = true;
  if (it->second.answer) emit answerSent(it->second.channel, it->second.text, it->second.k);
}

void RollServer::onDelivered(const QStringList&, const QList<quint64>& tickets) {
  for (const quint64 ticket : tickets)
    said_.erase(ticket);
}

void RollServer::onDropped(const QList<quint64>& tickets) {
  for (const quint64 ticket : tickets) {
    const auto it = said_.find(ticket);
    if (it == said_.end()) continue;
    const Said gone = std::move(it->second);
    said_.erase(it);
    if (gone.answer) emit notConfirmed(gone.channel, gone.k, gone.text);
  }
}

}  // namespace kestar::irc
