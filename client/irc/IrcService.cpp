#include "client/irc/IrcService.h"

#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

#include "chatlink/CodePage.h"
#include "client/irc/Numerics.h"
#include "irc/Names.h"
#include "irc/Text.h"

namespace kestar::client {
namespace {

using irc::IrcConnection;
using irc::RollerState;

// Text of the client (the 8-bit code page) and of the connection (Qt's).
QString wide(const std::string& bytes) {
  return QString::fromStdU16String(chatlink::fromCodePage(bytes));
}
std::string narrow(const QString& text) {
  return chatlink::toCodePage(text.toStdU16String());
}
// Names as the server's bytes (UTF-8) to the code page.
std::string narrowWire(const std::string& utf8) {
  return chatlink::toCodePage(irc::decodeText(utf8));
}
// The program's markup as IRC codes, for the server.
QString toIrc(const std::string& text) {
  return QString::fromStdU16String(irc::markupToIrc(chatlink::fromCodePage(text)));
}

// account: the roller's account where the server tags lines with accounts, else empty.
std::string rollerText(RollerState state, const std::string& roller, const std::string& account) {
  switch (state) {
    case RollerState::Trusted:
      return account.empty() ? "The roll service " + roller +
                                   " is here and a channel operator: its rolls show as OnlineHost."
                             : "The roll service, logged in as " + account +
                                   ", is here: its rolls show as OnlineHost.";
    case RollerState::NotOperator:
      return "The roll service " + roller +
             " is here but not a channel operator: its lines are not trusted as rolls.";
    case RollerState::NotLoggedIn:
      return roller + " is here but not logged in as the roll service's account " + account +
             ": its lines are not trusted as rolls.";
    case RollerState::Missing:
      return account.empty()
                 ? "The roll service " + roller + " is not in the room: no rolls are counted."
                 : "No one logged in as the roll service's account " + account +
                       " is in the room: no rolls are counted.";
    case RollerState::Unknown:
      break;
  }
  return {};
}

}  // namespace

IrcService::IrcService(IrcServiceSettings settings, QObject* parent)
    : QObject(parent), settings_(std::move(settings)) {
  connectNew();
}

IrcService::~IrcService() {
  // The connection says its last (closed) to no one: the client may be gone already.
  connection_->disconnect(this);
  rolls_->disconnect(this);
  listener_ = nullptr;
  // The rooms served hear their epochs' seeds before the program goes.
  if (settings_.serveRolls) connection_->close(QStringLiteral("Kestar closed"));
}

void IrcService::connectNew() {
  rolls_.reset();
  connection_ = std::make_unique<IrcConnection>(settings_.connection);
  IrcConnection* c = connection_.get();
  connect(c, &IrcConnection::stateChanged, this, &IrcService::onState);
  connect(c, &IrcConnection::chatMessage, this, &IrcService::onChat);
  connect(c, &IrcConnection::joined, this, &IrcService::onJoined);
  connect(c, &IrcConnection::parted, this, &IrcService::onParted);
  connect(c, &IrcConnection::kicked, this, &IrcService::onKicked);
  connect(c, &IrcConnection::quit, this, &IrcService::onQuit);
  connect(c, &IrcConnection::nickChanged, this, &IrcService::onNickChanged);
  connect(c, &IrcConnection::topicChanged, this, &IrcService::onTopic);
  connect(c, &IrcConnection::namesChanged, this, &IrcService::onNames);
  connect(c, &IrcConnection::joinRefused, this, &IrcService::onJoinRefused);
  connect(c, &IrcConnection::joinHeld, this, &IrcService::onJoinHeld);
  connect(c, &IrcConnection::joinForwarded, this, &IrcService::onJoinForwarded);
  connect(c, &IrcConnection::nickRefused, this, &IrcService::onNickRefused);
  connect(c, &IrcConnection::modeChanged, this, &IrcService::onModeChanged);
  connect(c, &IrcConnection::reply, this, &IrcService::onReply);
  connect(c, &IrcConnection::sendRefused, this, &IrcService::onSendRefused);
  connect(c, &IrcConnection::delivered, this, &IrcService::onDelivered);
  connect(c, &IrcConnection::relayed, this, &IrcService::onRelayed);
  connect(c, &IrcConnection::cut, this,
          [this](quint64, const QString& target, const QString& lost) {
            notice(target, "The server cut the line short without a word; the room did not get: " +
                               narrow(lost));
          });
  // A refused line, or one the server dropped without a word, waits no more.
  connect(c, &IrcConnection::sendRefused, this, &IrcService::tellWaiting);
  connect(c, &IrcConnection::delivered, this, &IrcService::tellWaiting);
  connect(c, &IrcConnection::capabilitiesChanged, this, [this] {
    for (const auto& entry : rooms_)
      checkRoller(channelOf(entry.second));
    report();
  });
  // Made after the service has heard the connection, so that a request shows before its answer.
  rolls_ = std::make_unique<irc::RollServer>(*c, settings_.roller);
  connect(rolls_.get(), &irc::RollServer::notConfirmed, this, &IrcService::onNotConfirmed);
  connect(rolls_.get(), &irc::RollServer::notSaid, this,
          [this](const QString& channel, const QString& text) {
            // Also for a room just left, whose window is still there.
            if (listener_ != nullptr)
              listener_->roomNotice(
                  roomOf(channel),
                  "Not said in the room, which this Kestar is not in: " + narrow(text));
          });
  serveRooms();
}

void IrcService::attach(ServiceListener& listener, Later later) {
  listener_ = &listener;
  later_ = std::move(later);
  connectionState_ = "Not connected";
  report();
}

std::string IrcService::userName() const {
  const QString nick = connection_->nick();
  return narrow(nick.isEmpty() ? settings_.connection.nick : nick);
}

bool IrcService::signedOn() const {
  return connection_->state() == IrcConnection::State::Registered;
}

void IrcService::connectTo(const irc::IrcSettings& connection) {
  // The user's lines that wait go on the new connection.
  std::vector<IrcConnection::Unrelayed> waiting;
  for (IrcConnection::Unrelayed& piece : connection_->unrelayed()) {
    if (isOwnRoomLine(piece)) waiting.push_back(std::move(piece));
  }
  settings_.connection = connection;
  connection_->disconnect(this);
  rolls_->disconnect(this);
  connection_->close();
  connectNew();
  ims_.clear();
  whoisRooms_.clear();
  rollers_.clear();
  for (const auto& entry : rooms_)
    connection_->join(channelOf(entry.second));
  for (const IrcConnection::Unrelayed& piece : waiting)
    connection_->say(piece.target, piece.text);
  connection_->open();
}

void IrcService::signOff() {
  connection_->close(QStringLiteral("Kestar signed off"));
}

void IrcService::setServeRolls(bool serve) {
  settings_.serveRolls = serve;
  serveRooms();
  for (const auto& [channel, room] : rooms_) {
    if (connection_->members().inChannel(channel))
      tellServingNick(QString::fromStdString(channel), false);
  }
  report();
}

void IrcService::serveRooms() {
  QStringList channels;
  if (settings_.serveRolls) {
    for (const auto& [channel, room] : rooms_)
      channels << QString::fromStdString(channel);
  }
  rolls_->setChannels(channels);
}

QString IrcService::channelOf(const std::string& room) const {
  return QString::fromStdString(irc::roomToChannel(irc::toUtf8(chatlink::fromCodePage(room))));
}

std::string IrcService::fold(const QString& name) const {
  return connection_->members().support().fold(name.toStdString());
}

bool IrcService::sameNick(const QString& a, const std::string& b) const {
  return connection_->members().sameName(a.toStdString(), b);
}

IrcService::Rooms::const_iterator IrcService::findRoom(const QString& channel) const {
  const std::string name = channel.toStdString();
  return std::find_if(rooms_.begin(), rooms_.end(), [&](const auto& entry) {
    return connection_->members().sameName(entry.first, name);
  });
}

bool IrcService::isRoom(const QString& channel) const {
  return findRoom(channel) != rooms_.end();
}

void IrcService::forgetRoom(const QString& channel) {
  const auto it = findRoom(channel);
  if (it == rooms_.end()) return;
  rollers_.erase(it->first);
  waitingTold_.erase(it->second);
  rooms_.erase(it);
  serveRooms();
}

std::string IrcService::roomOf(const QString& channel) const {
  const auto it = findRoom(channel);
  if (it != rooms_.end()) return it->second;
  const auto room = irc::channelToRoom(channel.toStdString());
  return room ? narrowWire(*room) : narrow(channel);
}

void IrcService::joinRoom(const std::string& room) {
  if (listener_ == nullptr) return;
  const QString channel = channelOf(room);
  const auto known = findRoom(channel);
  rooms_[known == rooms_.end() ? channel.toStdString() : known->first] = room;
  serveRooms();
  // A JOIN of a channel the program is in has no answer from the server.
  if (connection_->members().inChannel(channel.toStdString())) {
    listener_->roomEntered(room);
    return;
  }
  connection_->join(channel);
  if (connection_->state() == IrcConnection::State::Idle) connection_->open();
}

void IrcService::leaveRoom(const std::string& room) {
  const QString channel = channelOf(room);
  forgetRoom(channel);
  connection_->part(channel);
}

void IrcService::say(const std::string& room, const std::string& text) {
  if (listener_ == nullptr) return;
  // The line shows in the room as the room gets it (onRelayed), piece by piece; until then it
  // is marked as waiting, also while the connection is lost.
  const QString channel = channelOf(room);
  connection_->say(channel, toIrc(text));
  // The roll service never hears the user's line from the server (an echo is no request): a
  // roll the user asks for is heard here, once.
  const QString told = rolls_->hearOwn(channel, wide(text));
  if (!told.isEmpty()) notice(channel, narrow(told));
  tellWaiting();
}

void IrcService::sendInstantMessage(int ticket, const std::string& to, const std::string& text) {
  if (listener_ == nullptr) return;
  // Not queued until the connection is back: by then the person may be gone, and the sender
  // would take the message for lost. The client's box says why; the sender keeps the text.
  if (!signedOn()) {
    listener_->instantMessageRefused(
        ticket, "You are not signed on (" + connectionState_ + "), so the message was not sent.");
    return;
  }
  if (text.find_first_not_of("\r\n") == std::string::npos) {
    listener_->instantMessageRefused(ticket,
                                     "The message to " + to + " is empty: nothing was sent.");
    return;
  }
  ims_.push_back(PendingIm{ticket, wide(to).toStdString()});
  // A name no message can go to is refused inside the call.
  const quint64 sent = connection_->say(wide(to), toIrc(text));
  for (PendingIm& im : ims_) {
    if (im.ticket == ticket) im.sent = sent;
  }
}

void IrcService::command(const std::string& room, const Command& command) {
  if (listener_ == nullptr) return;
  commandRoom_ = room;
  const QString channel = channelOf(room);
  const auto tell = [&](const std::string& text) { listener_->roomNotice(room, text); };
  // What goes to the room's own channel needs the user in the room.
  const bool toTheRoom = command.kind == CommandKind::Me || command.kind == CommandKind::Part ||
                         command.kind == CommandKind::Topic ||
                         (command.kind == CommandKind::Mode && command.target.empty());
  if (toTheRoom && !isRoom(channel)) return;
  switch (command.kind) {
    case CommandKind::Me:
      // Shown as the room gets it (onRelayed), as the user's lines.
      connection_->action(channel, toIrc(command.text));
      tellWaiting();
      break;
    case CommandKind::Notice:
      connection_->notice(wide(command.target), toIrc(command.text));
      // A notice to one of the user's rooms shows there as the room gets it.
      if (!isRoom(wide(command.target))) tell("-> -" + command.target + "- " + command.text);
      tellWaiting();
      break;
    case CommandKind::Join: {
      std::string name = command.target;
      if (name.front() == '#') {
        const auto named = irc::channelToRoom(wide(name).toStdString());
        if (!named) {
          tell("No room has the channel " + name + ".");
          break;
        }
        name = narrowWire(*named);
      }
      joinRoom(name);
      break;
    }
    case CommandKind::Part:
      forgetRoom(channel);
      connection_->part(channel, wide(command.text));
      break;
    case CommandKind::Nick:
      if (!connection_->changeNick(wide(command.target)))
        tell("\"" + command.target + "\" is no nick a server takes.");
      break;
    case CommandKind::Topic:
      connection_->send(command.text.empty()
                            ? irc::makeMessage("TOPIC", {channel.toStdString()})
                            : irc::makeMessage("TOPIC", {channel.toStdString(),
                                                         toIrc(command.text).toStdString()}));
      break;
    case CommandKind::Mode: {
      std::vector<std::string> params{command.target.empty() ? channel.toStdString()
                                                             : wide(command.target).toStdString()};
      static const QRegularExpression kBlanks(QStringLiteral("[ \t]+"));
      for (const QString& word : wide(command.text).split(kBlanks, Qt::SkipEmptyParts))
        params.push_back(word.toStdString());
      if (!connection_->send(irc::makeMessage("MODE", params)))
        tell("Usage: /mode [#CHANNEL] +o NICK, -o NICK, +l N or -l");
      break;
    }
    case CommandKind::Quit:
      connection_->close(command.text.empty() ? QStringLiteral("Kestar signed off")
                                              : wide(command.text));
      break;
    case CommandKind::Whois:
      whoisRooms_[fold(wide(command.target))] = room;
      connection_->send(irc::makeMessage("WHOIS", {wide(command.target).toStdString()}));
      break;
    default:
      break;
  }
}

void IrcService::onRelayed(quint64, const QString& target, const QString& text,
                           IrcConnection::Kind kind) {
  // The user's and the roll service's lines alike, as the others read them.
  if (listener_ != nullptr && isRoom(target))
    showInRoom(target, connection_->nick(), narrow(text), kind);
  tellWaiting();
}

bool IrcService::isOwnRoomLine(const IrcConnection::Unrelayed& piece) const {
  return piece.delivery == irc::Delivery::AtLeastOnce &&
         connection_->members().isChannel(piece.target.toStdString()) && isRoom(piece.target);
}

void IrcService::tellWaiting() {
  if (listener_ == nullptr) return;
  std::map<std::string, std::vector<std::string>> waiting;
  for (const auto& [channel, room] : rooms_)
    waiting[room];
  for (const IrcConnection::Unrelayed& piece : connection_->unrelayed()) {
    if (!isOwnRoomLine(piece)) continue;
    const std::string said = irc::stripFormatting(piece.text.toStdString());
    const auto action = irc::ctcpAction(said);
    waiting[roomOf(piece.target)].push_back(action ? "* " + narrow(connection_->nick()) + " " +
                                                         narrowWire(std::string(*action))
                                                   : narrowWire(said));
  }
  for (const auto& [room, lines] : waiting) {
    auto& told = waitingTold_[room];
    if (told == lines) continue;
    told = lines;
    listener_->linesWaiting(room, lines);
  }
}

void IrcService::onNotConfirmed(const QString& channel, quint64 k, const QString& text) {
  notice(channel, "Roll answer " + (k == 0 ? std::string() : std::to_string(k) + " ") +
                      "not confirmed before the connection was lost (it may not have reached "
                      "the room): " +
                      narrow(text));
}

void IrcService::tellServingNick(const QString& channel, bool wonBack) {
  if (!settings_.serveRolls) return;
  const std::string nick = narrow(connection_->nick());
  const std::string rollerNick = narrowWire(settings_.roller);
  // Where lines carry their sender's account, the roller's account is what counts, not its nick.
  const irc::Membership& members = connection_->members();
  const bool trustedByAccount =
      connection_->accounts().tagged() &&
      irc::loggedInAsRoller(members, connection_->accounts(), members.self(), roller());
  if (!trustedByAccount && !sameNick(connection_->nick(), settings_.roller)) {
    notice(channel, "This Kestar serves the room's rolls as " + nick +
                        ", not as the roll service " + rollerNick +
                        ": its answers are not trusted.");
  } else if (wonBack) {
    notice(channel,
           "This Kestar serves the room's rolls as the roll service " + rollerNick + " again.");
  }
}

void IrcService::onState(IrcConnection::State state, const QString& detail) {
  const std::string server =
      narrow(settings_.connection.host) + ":" + std::to_string(settings_.connection.port);
  switch (state) {
    case IrcConnection::State::Idle:
      connectionState_ = "Not connected";
      break;
    case IrcConnection::State::Connecting:
      connectionState_ = "Connecting to " + server;
      break;
    case IrcConnection::State::Registered:
      connectionState_ = "Signed on to " + server;  // the nick of the moment follows
      toldLoss_.clear();
      break;
    case IrcConnection::State::Reconnecting:
      connectionState_ =
          narrow(connection_->lastLoss()) + "; connecting again in " + narrow(detail) + " s";
      lostConnection("Not connected: " + narrow(connection_->lastLoss()) +
                     ". Kestar connects again by itself.");
      break;
    case IrcConnection::State::Disconnected:
      connectionState_ = "Disconnected: " + narrow(detail);
      lostConnection("Disconnected: " + narrow(detail) + ".");
      break;
  }
  report();
}

// No one is known to be in the rooms any more; each room hears why once, not at every attempt
// that fails the same way.
void IrcService::lostConnection(const std::string& why) {
  rollers_.clear();
  if (listener_ == nullptr) return;
  const bool told = why == toldLoss_;
  toldLoss_ = why;
  for (const auto& [channel, room] : rooms_) {
    listener_->peopleChanged(room, {});
    if (!told) listener_->roomNotice(room, why);
  }
}

void IrcService::onChat(const QString& target, const QString& nick, const QString& text,
                        IrcConnection::Kind kind) {
  if (listener_ == nullptr) return;
  const std::string said = narrow(text);
  if (!connection_->members().isChannel(target.toStdString())) {
    // A notice from the server or a network service is no one's instant message.
    if (kind != IrcConnection::Kind::Notice || !nick.contains(QLatin1Char('.')))
      listener_->instantMessageReceived(narrow(nick), said);
    return;
  }
  if (isRoom(target)) showInRoom(target, nick, said, kind);
}

void IrcService::showInRoom(const QString& channel, const QString& nick, const std::string& said,
                            IrcConnection::Kind kind) {
  const std::string room = roomOf(channel);
  if (kind == IrcConnection::Kind::Action) {
    listener_->roomNotice(room, "* " + narrow(nick) + " " + said);
    return;
  }
  // A notice to the channel is no one's speech, nor a roll.
  if (kind == IrcConnection::Kind::Notice) {
    listener_->roomNotice(room, "-" + narrow(nick) + "- " + said);
    return;
  }
  listener_->chatLine(room, shownName(channel, nick), said);
}

void IrcService::onJoined(const QString& channel, const QString& nick) {
  if (listener_ == nullptr || !isRoom(channel)) return;
  if (connection_->members().isSelf(nick.toStdString())) {
    listener_->roomEntered(roomOf(channel));
    if (!sameNick(nick, connection_->wantedNick().toStdString())) {
      notice(channel, "The nick " + narrow(connection_->wantedNick()) + " is in use: you are " +
                          narrow(nick) + " here until it is free.");
    }
    tellServingNick(channel, false);
    return;
  }
  notice(channel, narrow(nick) + " has entered the room.");
}

void IrcService::onParted(const QString& channel, const QString& nick, const QString& reason) {
  if (connection_->members().isSelf(nick.toStdString())) return;
  notice(channel, narrow(nick) + " has left the room" +
                      (reason.isEmpty() ? std::string(".") : " (" + narrow(reason) + ")."));
}

void IrcService::onKicked(const QString& channel, const QString& nick, const QString& by,
                          const QString& reason) {
  if (listener_ == nullptr || !isRoom(channel)) return;
  const std::string why = reason.isEmpty() ? std::string(".") : ": " + narrow(reason);
  if (connection_->members().isSelf(nick.toStdString())) {
    const std::string room = roomOf(channel);
    forgetRoom(channel);
    listener_->roomLeft(room);
    return;
  }
  notice(channel, narrow(nick) + " was put out of the room by " + narrow(by) + why);
}

void IrcService::onQuit(const QString& nick, const QString& reason, const QStringList& channels) {
  for (const QString& channel : channels) {
    notice(channel, narrow(nick) + " has signed off" +
                        (reason.isEmpty() ? std::string(".") : " (" + narrow(reason) + ")."));
  }
}

void IrcService::onNickChanged(const QString& from, const QString& to) {
  const bool self = connection_->members().isSelf(to.toStdString());
  const bool wonBack = !sameNick(from, settings_.roller) && sameNick(to, settings_.roller);
  for (const std::string& channel : connection_->members().channelsWith(to.toStdString())) {
    notice(QString::fromStdString(channel), narrow(from) + " is now known as " + narrow(to) + ".");
    if (self) tellServingNick(QString::fromStdString(channel), wonBack);
  }
  if (self) report();
}

void IrcService::onTopic(const QString& channel, const QString& nick, const QString& topic) {
  notice(channel, nick.isEmpty() ? "The topic is: " + narrow(topic)
                                 : narrow(nick) + " set the topic: " + narrow(topic));
  if (listener_ != nullptr && isRoom(channel))
    listener_->topicChanged(roomOf(channel), narrow(topic));
}

void IrcService::onNames(const QString& channel) {
  if (listener_ == nullptr || !isRoom(channel)) return;
  const irc::Membership& members = connection_->members();
  const std::string& ranks = members.support().prefixSymbols;
  std::vector<Person> people;
  for (const std::string& name : members.names(channel.toStdString())) {
    const std::string mark = members.rankPrefix(channel.toStdString(), name);
    const int rank = mark.empty() ? 0 : static_cast<int>(ranks.size() - ranks.find(mark));
    people.push_back(Person{narrowWire(name), mark, rank});
  }
  listener_->peopleChanged(roomOf(channel), people);
  checkRoller(channel);
}

irc::Roller IrcService::roller() const {
  return irc::Roller{settings_.roller, settings_.rollerAccount};
}

std::string IrcService::rollerAccount() const {
  return connection_->accounts().tagged() ? narrowWire(roller().accountName()) : std::string();
}

std::string IrcService::shownName(const QString& channel, const QString& nick) const {
  return narrowWire(irc::speakerName(connection_->members(), connection_->accounts(),
                                     channel.toStdString(), nick.toStdString(), roller()));
}

void IrcService::checkRoller(const QString& channel) {
  const RollerState state = irc::rollerState(connection_->members(), connection_->accounts(),
                                             channel.toStdString(), roller());
  if (state == RollerState::Unknown) return;
  const auto room = findRoom(channel);
  if (room == rooms_.end()) return;
  const auto [it, added] = rollers_.emplace(room->first, state);
  if (!added && it->second == state) return;
  it->second = state;
  notice(channel, rollerText(state, narrowWire(settings_.roller), rollerAccount()));
  report();
}

void IrcService::onJoinRefused(const QString& channel, int code, const QString& text) {
  if (listener_ == nullptr) return;
  const std::string room = roomOf(channel);
  forgetRoom(channel);
  // The room buster knocks again when it sees the box; a refusal for good ends its run.
  const JoinRefusal refusal = joinRefusal(code, room, narrow(text));
  if (refusal.knockAgain) {
    listener_->joinRefused(room, refusal.text);
  } else {
    listener_->joinBarred(room, refusal.text);
  }
}

void IrcService::onJoinHeld(const QString& channel, int seconds) {
  // The room stays asked for: the knock goes for real once the pace allows.
  if (listener_ != nullptr)
    listener_->joinRefused(roomOf(channel), knockHeld(roomOf(channel), seconds));
}

void IrcService::onJoinForwarded(const QString& channel, const QString& to) {
  if (listener_ == nullptr) return;
  const std::string room = roomOf(channel);
  forgetRoom(channel);
  // The server has put the user into the other channel, which is not the room asked for.
  if (!isRoom(to)) connection_->part(to);
  listener_->joinBarred(room, forwarded(room, roomOf(to)));
}

void IrcService::onNickRefused(const QString& nick, int code, const QString& text) {
  if (listener_ != nullptr)
    listener_->roomNotice(commandRoom_, nickRefusal(code, narrow(nick), userName(), narrow(text)));
}

void IrcService::onModeChanged(const QString& channel, const QString& nick, const QString& modes) {
  notice(channel, narrow(nick) + " set the mode " + narrow(modes) + ".");
}

void IrcService::onReply(int code, const QStringList& params) {
  if (listener_ == nullptr || params.isEmpty()) return;
  std::vector<std::string> words;
  for (const QString& param : params)
    words.push_back(narrow(param));
  const std::string& last = words.back();
  if (const auto asked = whoisRooms_.find(fold(params.front())); asked != whoisRooms_.end()) {
    const std::string line = whoisLine(code, words);
    if (!line.empty()) listener_->roomNotice(asked->second, line);
    if (code == 318) whoisRooms_.erase(asked);
    if (!line.empty()) return;
  }
  // Answers about a room go to it; other refusals to where the last command was typed.
  const std::string room = isRoom(params.front()) ? roomOf(params.front()) : commandRoom_;
  if (code == 331) {
    listener_->roomNotice(room, "The room has no topic.");
  } else if (code == 482) {
    listener_->roomNotice(room, "Only the room's operators may do that (" + last + ").");
  } else if (code == 441) {
    listener_->roomNotice(room, words.front() + " is not in the room.");
  } else if (code == 713) {
    listener_->roomNotice(room,
                          "Knock: the room \"" + roomOf(params.front()) + "\" is open: enter it.");
  } else if (code >= 400 && code < 600) {
    listener_->roomNotice(room, "The server refused that: " + last);
  }
}

void IrcService::onSendRefused(const QString& target, int code, const QString& text) {
  if (listener_ == nullptr) return;
  // The first message to the nick that waits; one refused already is another line of it.
  const auto it = std::find_if(ims_.begin(), ims_.end(),
                               [&](const PendingIm& im) { return sameNick(target, im.nick); });
  if (it != ims_.end()) {
    if (it->refused) return;
    it->refused = true;
    const int ticket = it->ticket;
    // Lines never written (code 0) are confirmed by nothing.
    if (code == 0) ims_.erase(it);
    listener_->instantMessageRefused(ticket,
                                     sendRefusal(code, narrow(target), narrow(text), false));
    return;
  }
  if (isRoom(target)) {
    notice(target, sendRefusal(code, narrow(target), narrow(text), true));
  } else if (const auto asked = whoisRooms_.find(fold(target)); asked != whoisRooms_.end()) {
    listener_->roomNotice(asked->second, "No one is called " + narrow(target) + " here.");
    whoisRooms_.erase(asked);
  }
}

void IrcService::onDelivered(const QStringList&, const QList<quint64>& tickets) {
  for (const quint64 sent : tickets) {
    if (listener_ == nullptr) return;
    const auto it = std::find_if(ims_.begin(), ims_.end(),
                                 [&](const PendingIm& im) { return im.sent == sent; });
    if (it == ims_.end()) continue;
    const int ticket = it->ticket;
    const bool refused = it->refused;
    ims_.erase(it);
    if (!refused) listener_->instantMessageDelivered(ticket);
  }
}

void IrcService::notice(const QString& channel, const std::string& text) {
  if (listener_ != nullptr && isRoom(channel)) listener_->roomNotice(roomOf(channel), text);
}

void IrcService::report() {
  if (listener_ == nullptr) return;
  std::string state = connectionState_;
  if (signedOn()) {
    state += " as " + narrow(connection_->nick());
    if (!sameNick(connection_->nick(), connection_->wantedNick().toStdString()))
      state += " (" + narrow(connection_->wantedNick()) + " is taken: asking for it again)";
    const auto account =
        connection_->accounts().of(connection_->members().self(), connection_->members());
    if (account && !account->empty()) state += ", logged in as " + narrowWire(*account);
  }
  if (settings_.serveRolls) state += "; serving rolls";
  if (signedOn()) {
    state += rollerAccount().empty()
                 ? "; roller " + narrowWire(settings_.roller) +
                       " trusted by channel operator status: the channel's operators decide who "
                       "rolls"
                 : "; roller trusted by account " + rollerAccount();
  }
  for (const auto& [channel, roller] : rollers_) {
    if (roller != RollerState::Trusted) {
      state += "; " + rollerText(roller, narrowWire(settings_.roller), rollerAccount());
      break;
    }
  }
  if (state == state_) return;
  state_ = state;
  listener_->stateChanged(state_);
}

}  // namespace kestar::client

namespace kestar::client {

std::optional<IrcAddress> parseIrcAddress(std::string_view url) {
  const std::size_t scheme = url.find("://");
  const std::size_t slash = scheme == std::string_view::npos ? scheme : url.find('/', scheme + 3);
  if (slash == std::string_view::npos) return std::nullopt;
  const std::optional<irc::ServerAddress> server = irc::parseServerAddress(url.substr(0, slash));
  const QString room =
      QUrl::fromPercentEncoding(QByteArray::fromStdString(std::string(url.substr(slash + 1))));
  if (!server || room.isEmpty()) return std::nullopt;
  IrcAddress address{server->host, server->port, server->tls, {}};
  if (room.startsWith(QLatin1Char('#'))) {
    const auto named = irc::channelToRoom(room.toStdString());
    if (!named) return std::nullopt;
    address.room = *named;
  } else {
    address.room = room.toStdString();
  }
  return address;
}

}  // namespace kestar::client
