#include "irc/net/RollServer.h"

#include <algorithm>
#include <utility>

#include "chatlink/CodePage.h"

namespace kestar::irc {
namespace {

using rollservice::Reply;
using rollservice::Said;

// The roll service works in the code page, in which the room's lines are logged and checked.
std::string narrow(const QString& text) {
  return chatlink::toCodePage(text.toStdU16String());
}
QString wide(const std::string& bytes) {
  return QString::fromStdU16String(chatlink::fromCodePage(bytes));
}

bool among(const Membership& members, const QStringList& channels, const QString& channel) {
  return std::any_of(channels.begin(), channels.end(), [&](const QString& other) {
    return members.sameName(other.toStdString(), channel.toStdString());
  });
}

}  // namespace

RollServer::RollServer(IrcConnection& connection, std::string roller, rollservice::Limits limits,
                       QObject* parent)
    : QObject(parent),
      connection_(connection),
      service_(std::move(roller), limits, [&connection](std::string_view name) {
        return connection.members().support().fold(name);
      }) {
  clock_.start();
  expiry_.setSingleShot(true);
  connect(&expiry_, &QTimer::timeout, this, &RollServer::renewExpired);
  connect(&connection_, &IrcConnection::chatMessage, this, &RollServer::hear);
  connect(&connection_, &IrcConnection::joined, this,
          [this](const QString& channel, const QString& nick) {
            if (connection_.members().isSelf(nick.toStdString()) && serves(channel))
              startServing(channel);
          });
  connect(&connection_, &IrcConnection::closing, this, [this] {
    for (const QString& channel : channels_)
      stopServing(channel);
  });
  connect(&connection_, &IrcConnection::written, this, &RollServer::onWritten);
  connect(&connection_, &IrcConnection::delivered, this, &RollServer::onDelivered);
  connect(&connection_, &IrcConnection::dropped, this, &RollServer::onDropped);
}

bool RollServer::serves(const QString& channel) const {
  return among(connection_.members(), channels_, channel);
}

bool RollServer::isIn(const QString& channel) const {
  return connection_.state() == IrcConnection::State::Registered &&
         connection_.members().inChannel(channel.toStdString());
}

std::size_t RollServer::waiting() const {
  return static_cast<std::size_t>(std::count_if(
      said_.begin(), said_.end(), [](const auto& entry) { return !entry.second.written; }));
}

void RollServer::setChannels(const QStringList& channels) {
  const QStringList before = std::exchange(channels_, channels);
  const Membership& members = connection_.members();
  for (const QString& channel : before) {
    if (!among(members, channels, channel)) stopServing(channel);
  }
  for (const QString& channel : channels) {
    if (!among(members, before, channel) && isIn(channel)) startServing(channel);
  }
}

void RollServer::startServing(const QString& channel) {
  service_.setSelf(narrow(connection_.nick()));
  say(channel, service_.serve(narrow(channel), now()));
  scheduleExpiry();
}

void RollServer::stopServing(const QString& channel) {
  const std::vector<Said> lines = service_.stop(narrow(channel));
  if (isIn(channel)) {
    say(channel, lines);
  } else {
    for (const Said& line : lines)
      emit notSaid(channel, wide(line.text));
  }
  scheduleExpiry();
}

void RollServer::renewExpired() {
  for (const QString& channel : channels_) {
    if (isIn(channel)) say(channel, service_.renewExpired(narrow(channel), now()));
  }
  scheduleExpiry();
}

void RollServer::scheduleExpiry() {
  // An epoch ended while the service was out of its channel is renewed when it is back.
  std::optional<rollservice::Millis> next;
  for (const QString& channel : channels_) {
    if (!isIn(channel)) continue;
    const auto ends = service_.expiry(narrow(channel));
    if (ends && (!next || *ends < *next)) next = ends;
  }
  if (!next) {
    expiry_.stop();
    return;
  }
  expiry_.start(static_cast<int>(std::max<rollservice::Millis::rep>(0, (*next - now()).count())));
}

Reply RollServer::ask(const QString& channel, const QString& nick, const QString& text,
                      rollservice::Origin origin) {
  service_.setSelf(narrow(connection_.nick()));
  const bool byOperator = connection_.members().isOperator(
                              channel.toStdString(), nick.toStdString()) == Membership::Status::Yes;
  return service_.hear(narrow(channel), narrow(nick), narrow(text), now(), waiting(), origin,
                       byOperator);
}

void RollServer::hear(const QString& target, const QString& nick, const QString& text,
                      IrcConnection::Kind kind) {
  if (kind != IrcConnection::Kind::Message || !serves(target)) return;
  reply(target, nick, ask(target, nick, text, rollservice::Origin::Network));
}

QString RollServer::hearOwn(const QString& channel, const QString& text) {
  if (!serves(channel) || !isIn(channel)) return {};
  const QString self = connection_.nick();
  const Reply answer = ask(channel, self, text, rollservice::Origin::User);
  // The person reads a notice in the room rather than as a message from the program to itself.
  if (answer.kind == Reply::Kind::Notice) return wide(answer.lines.front().text);
  reply(channel, self, answer);
  return {};
}

void RollServer::reply(const QString& channel, const QString& nick, const Reply& reply) {
  switch (reply.kind) {
    case Reply::Kind::None:
      return;
    case Reply::Kind::Answer:
      say(channel, reply.lines);
      scheduleExpiry();
      return;
    case Reply::Kind::Notice:
      if (const quint64 ticket =
              connection_.notice(nick, wide(reply.lines.front().text), Delivery::AtMostOnce))
        said_[ticket] = Pending{channel, reply.lines.front()};
      emit refused(channel, nick, true);
      return;
    case Reply::Kind::Refused:
      emit refused(channel, nick, false);
      return;
  }
}

void RollServer::say(const QString& channel, const std::vector<Said>& lines) {
  for (const Said& line : lines) {
    if (const quint64 ticket = connection_.say(channel, wide(line.text), Delivery::AtMostOnce))
      said_[ticket] = Pending{channel, line};
  }
}

void RollServer::onWritten(quint64 ticket) {
  const auto it = said_.find(ticket);
  if (it == said_.end() || it->second.written) return;
  it->second.written = true;
  const Pending pending = it->second;  // a slot may change said_
  const Said& said = pending.said;
  if (said.kind != Said::Kind::Answer) return;
  emit answerSent(pending.channel, wide(said.text), said.k);
  if (said.k != 0) {
    emit rolled(pending.channel, wide(said.asker), wide(said.request),
                QList<int>(said.faces.begin(), said.faces.end()));
  }
}

void RollServer::onDelivered(const QStringList&, const QList<quint64>& tickets) {
  for (const quint64 ticket : tickets)
    said_.erase(ticket);
}

void RollServer::onDropped(const QList<quint64>& tickets) {
  for (const quint64 ticket : tickets) {
    const auto it = said_.find(ticket);
    if (it == said_.end()) continue;
    const Pending gone = std::move(it->second);
    said_.erase(it);
    const Said& said = gone.said;
    if (said.kind == Said::Kind::Answer) emit notConfirmed(gone.channel, said.k, wide(said.text));
    const bool owed = service_.dropped(said);
    if (!owed && (said.kind == Said::Kind::Reveal || said.kind == Said::Kind::Gap))
      emit notSaid(gone.channel, wide(said.text));
  }
}

}  // namespace kestar::irc
