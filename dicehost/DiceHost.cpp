#include "dicehost/DiceHost.h"

#include <QTimer>
#include <algorithm>
#include <cmath>

#include "dicehost/Log.h"

namespace kestar::dicehost {
namespace {

using State = irc::IrcConnection::State;

constexpr int kStopMs = 1500;  // the longest a stop waits for its QUIT to go

irc::IrcSettings connectionSettings(const Config& config) {
  irc::IrcSettings settings;
  settings.host = QString::fromStdString(config.server.host);
  settings.port = config.server.port;
  settings.tls = config.server.tls;
  settings.caFile = QString::fromStdString(config.ca.string());
  settings.nick = QString::fromStdString(config.nick);
  settings.realName = QStringLiteral("Kestar roll service");
  settings.saslAccount = QString::fromStdString(config.account);
  settings.saslPassword = QString::fromStdString(config.password);
  settings.pace = config.pace;
  settings.bot = true;
  return settings;
}

rollservice::Limits requestLimits(const Config& config) {
  rollservice::Limits limits;
  limits.burst = config.requestBurst;
  limits.interval = rollservice::Millis(std::lround(1000 / config.requestsPerSecond));
  return limits;
}

QStringList channels(const Config& config) {
  QStringList names;
  for (const Room& room : config.rooms)
    names << QString::fromStdString(room.channel);
  return names;
}

std::string text(const QString& string) {
  return string.toStdString();
}

std::string paceText(const irc::Pace& pace) {
  return "a burst of " + std::to_string(pace.burst) + " lines, then one every " +
         std::to_string(pace.interval.count()) + " ms";
}

}  // namespace

DiceHost::DiceHost(Config config, bool verbose, QObject* parent)
    : QObject(parent),
      config_(std::move(config)),
      connection_(connectionSettings(config_)),
      rolls_(connection_, config_.nick, requestLimits(config_)),
      record_(config_.stateDirectory, [](const std::string& line) { logLine(line); }) {
  using Connection = irc::IrcConnection;
  connect(&connection_, &Connection::stateChanged, this, &DiceHost::onState);
  connect(&connection_, &Connection::joined, this, &DiceHost::onJoined);
  connect(&connection_, &Connection::parted, this,
          [this](const QString& channel, const QString& nick, const QString&) {
            onParted(channel, nick);
          });
  connect(&connection_, &Connection::kicked, this, &DiceHost::onKicked);
  connect(&connection_, &Connection::joinRefused, this, &DiceHost::onJoinRefused);
  connect(&connection_, &Connection::sendRefused, this, &DiceHost::onSendRefused);
  rolls_.setChannels(channels(config_));
  connect(&rolls_, &irc::RollServer::rolled, this, &DiceHost::onRolled);
  if (verbose) {
    connect(&rolls_, &irc::RollServer::answerSent, this,
            [](const QString& channel, const QString& answer, quint64) {
              logLine("Answered in " + text(channel) + ": " + text(answer));
            });
  }
  connect(&rolls_, &irc::RollServer::refused, this,
          [](const QString& channel, const QString& nick, bool told) {
            logLine("Limited: a roll of " + text(nick) + " in " + text(channel) + " not answered" +
                    (told ? "; " + text(nick) + " told so" : std::string()));
          });
  connect(&rolls_, &irc::RollServer::notConfirmed, this,
          [](const QString& channel, quint64, const QString& answer) {
            logLine("Not confirmed before the connection was lost, not sent again, in " +
                    text(channel) + ": " + text(answer));
          });
  connect(&rolls_, &irc::RollServer::notSaid, this,
          [](const QString& channel, const QString& line) {
            logLine("Never said in " + text(channel) + ": " + text(line));
          });
}

void DiceHost::start() {
  if (record_.folder().empty()) {
    logLine("No state folder: no record of rolls is kept");
  } else {
    logLine("The record of rolls goes to " + record_.folder().string());
  }
  for (const Room& room : config_.rooms)
    connection_.join(QString::fromStdString(room.channel));
  connection_.open();
}

bool DiceHost::serves(const Config& config, const std::string& channel) const {
  return std::ranges::any_of(config.rooms, [&](const Room& room) {
    return connection_.members().sameName(room.channel, channel);
  });
}

void DiceHost::reconfigure(Config next) {
  // Before the PARTs: a room no longer served has its epoch revealed while the dice host is there.
  rolls_.setChannels(channels(next));
  for (const Room& room : config_.rooms) {
    if (serves(next, room.channel)) continue;
    logLine("Leaving " + room.channel);
    connection_.part(QString::fromStdString(room.channel));
  }
  for (const Room& room : next.rooms) {
    if (serves(config_, room.channel)) continue;
    logLine("Joining " + room.channel);
    connection_.join(QString::fromStdString(room.channel));
  }
  if (next.pace.burst != config_.pace.burst || next.pace.interval != config_.pace.interval) {
    logLine("Pacing now " + paceText(next.pace));
    connection_.setPace(next.pace);
  }
  if (next.requestBurst != config_.requestBurst ||
      next.requestsPerSecond != config_.requestsPerSecond) {
    const rollservice::Limits limits = requestLimits(next);
    logLine("Requests of each nick now a burst of " + std::to_string(limits.burst) +
            ", then one every " + std::to_string(limits.interval.count()) + " ms");
    rolls_.setLimits(limits);
  }
  if (next.stateDirectory != config_.stateDirectory) {
    logLine(next.stateDirectory.empty()
                ? std::string("No state folder now: no record of rolls is kept")
                : "The record of rolls goes to " + next.stateDirectory.string() + " now");
    record_.setFolder(next.stateDirectory);
  }
  if (next.server.host != config_.server.host || next.server.port != config_.server.port ||
      next.nick != config_.nick || next.account != config_.account ||
      next.password != config_.password || next.ca != config_.ca) {
    logLine("The server, nick, account, password and ca change when the dice host starts again");
    next.server = config_.server;
    next.nick = config_.nick;
    next.account = config_.account;
    next.password = config_.password;
    next.ca = config_.ca;
  }
  config_ = std::move(next);
}

void DiceHost::stop(const QString& reason) {
  if (stopping_) return;
  stopping_ = true;
  connect(&connection_, &irc::IrcConnection::closed, this, [this] { finish(0); });
  QTimer::singleShot(kStopMs, this, [this] { finish(0); });
  connection_.close(reason);
}

void DiceHost::finish(int exitCode) {
  if (finished_) return;
  finished_ = true;
  emit finished(exitCode);
}

void DiceHost::onRolled(const QString& channel, const QString& nick, const QString& request,
                        const QList<int>& values) {
  record_.write(text(channel), std::chrono::system_clock::now(), text(nick), text(request),
                std::vector<int>(values.begin(), values.end()));
}

bool DiceHost::isSelf(const QString& nick) const {
  return connection_.members().isSelf(text(nick));
}

void DiceHost::onState(State state, const QString& detail) {
  switch (state) {
    case State::Connecting:
      logLine("Connecting to " + text(detail));
      break;
    case State::Registered:
      logLine("Connected as " + text(detail));
      break;
    case State::Reconnecting:
      logLine("Connection lost; reconnecting in " + text(detail) + " s");
      break;
    case State::Disconnected:
      if (stopping_) break;
      logLine("Refused for good: " + text(detail));
      finish(1);
      break;
    case State::Idle:
      break;
  }
}

void DiceHost::onJoined(const QString& channel, const QString& nick) {
  if (isSelf(nick)) logLine("Joined " + text(channel));
}

void DiceHost::onParted(const QString& channel, const QString& nick) {
  if (isSelf(nick)) logLine("Left " + text(channel));
}

void DiceHost::onKicked(const QString& channel, const QString& nick, const QString& by,
                        const QString& reason) {
  if (isSelf(nick))
    logLine("Kicked from " + text(channel) + " by " + text(by) + ": " + text(reason));
}

void DiceHost::onJoinRefused(const QString& channel, int code, const QString& reason) {
  logLine("Refused entry to " + text(channel) + ": " + text(reason) + " (" + std::to_string(code) +
          ")");
}

void DiceHost::onSendRefused(const QString& target, int code, const QString& reason) {
  logLine("A line to " + text(target) + " was refused: " + text(reason) + " (" +
          std::to_string(code) + ")");
}

}  // namespace kestar::dicehost
