#include "irc/net/IrcConnection.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <algorithm>
#include <array>
#include <optional>
#include <utility>

#include "irc/Names.h"
#include "irc/Text.h"

namespace kestar::irc {
namespace {

constexpr int kSaslPiece = 400;
constexpr int kNickAttempts = 12;
constexpr std::size_t kNickLengthEveryServerTakes = 9;
constexpr std::string_view kConfirmToken = "kestar-said";
constexpr int kFlushMs = 1000;  // the longest the end of the program waits for its QUIT to go

// The PING behind said lines whose PONG shows the server has read them.
const std::string& confirmLine() {
  static const std::string line = *serialise(makeMessage("PING", {std::string(kConfirmToken)}));
  return line;
}

QString decoded(std::string_view bytes) {
  return QString::fromStdU16String(decodeText(stripFormatting(bytes)));
}

QString plain(std::string_view bytes) {
  return QString::fromStdU16String(decodeText(bytes));
}

std::string wire(const QString& text) {
  return toUtf8(text.toStdU16String());
}

// The capabilities of a CAP list ("a b=1 -c"), without their values, as they stand.
std::vector<std::string> capabilityNames(std::string_view list) {
  std::vector<std::string> names;
  std::size_t from = 0;
  while (from < list.size()) {
    const std::size_t end = std::min(list.find(' ', from), list.size());
    const std::string_view item = list.substr(from, end - from);
    const std::string_view name = item.substr(0, std::min(item.find('='), item.size()));
    if (!name.empty() && name != "-") names.emplace_back(name);
    from = end + 1;
  }
  return names;
}

std::string spaced(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names)
    list += (list.empty() ? "" : " ") + name;
  return list;
}

// What the program asks for where the server offers it, besides sasl when it logs in.
constexpr std::array<std::string_view, 8> kWantedCapabilities = {
    "multi-prefix",  "userhost-in-names", "account-tag",  "account-notify",
    "extended-join", "server-time",       "message-tags", "echo-message"};

int numeric(const Message& message) {
  const std::string& command = message.command;
  if (command.size() != 3 || command.find_first_not_of("0123456789") != std::string::npos) return 0;
  return std::stoi(command);
}

bool isJoinRefusal(int code) {
  switch (code) {
    case 403:  // no such channel
    case 405:  // too many channels
    case 437:  // channel temporarily unavailable
    case 471:  // full
    case 473:  // invite only
    case 474:  // banned
    case 475:  // bad key
    case 476:  // bad channel mask
    case 477:  // needs a registered nick
    case 489:  // secure connections only
      return true;
    default:
      return false;
  }
}

bool isSendRefusal(int code) {
  return code == 401 || code == 404 || code == 406 || code == 407 || code == 411 || code == 412 ||
         code == 707;  // target change too fast
}

bool isNickRefusal(int code) {
  return code == 432 || code == 433 || code == 436 || code == 437;
}

// What a PRIVMSG or NOTICE says, and as what; nothing for a CTCP query other than an action, and
// for any CTCP in a NOTICE.
std::optional<std::pair<IrcConnection::Kind, std::string_view>> chatOf(std::string_view command,
                                                                       std::string_view text) {
  const IrcConnection::Kind kind =
      command == "NOTICE" ? IrcConnection::Kind::Notice : IrcConnection::Kind::Message;
  if (text.empty() || text.front() != '\x01') return std::pair{kind, text};
  const std::optional<std::string_view> action = ctcpAction(text);
  if (!action || kind == IrcConnection::Kind::Notice) return std::nullopt;
  return std::pair{IrcConnection::Kind::Action, *action};
}

}  // namespace

QString socketFailure(QAbstractSocket::SocketError error, const QString& host, quint16 port,
                      const QString& qtWords) {
  const QString at = host + QLatin1Char(':') + QString::number(port);
  switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
      return QStringLiteral("Connection refused by ") + at + QStringLiteral(" (no server there)");
    case QAbstractSocket::HostNotFoundError:
      return QStringLiteral("No such host: ") + host;
    case QAbstractSocket::SocketTimeoutError:
      return QStringLiteral("Timed out connecting to ") + at;
    case QAbstractSocket::RemoteHostClosedError:
      return QStringLiteral("The server closed the connection");
    case QAbstractSocket::SslHandshakeFailedError:
      return QStringLiteral("TLS with ") + at + QStringLiteral(" failed: ") + qtWords;
    default:
      return QStringLiteral("Connection to ") + at + QStringLiteral(" failed: ") + qtWords;
  }
}

IrcConnection::IrcConnection(IrcSettings settings, QObject* parent)
    : QObject(parent),
      settings_(std::move(settings)),
      socket_(new QSslSocket(this)),
      queue_(settings_.pace),
      joinPacer_(settings_.joinPace) {
  clock_.start();
  if (settings_.user.isEmpty()) settings_.user = settings_.nick;
  members_.setSelf(wire(settings_.nick));
  queue_.hold(true);
  for (QTimer* timer : {&quietTimer_, &pumpTimer_, &reconnectTimer_, &nickTimer_})
    timer->setSingleShot(true);

  connect(socket_, &QSslSocket::connected, this, [this] {
    if (!settings_.tls) transportReady();
  });
  connect(socket_, &QSslSocket::encrypted, this, &IrcConnection::transportReady);
  connect(socket_, &QSslSocket::readyRead, this, &IrcConnection::readData);
  connect(socket_, &QSslSocket::sslErrors, this, [this](const QList<QSslError>& errors) {
    QStringList texts;
    for (const QSslError& error : errors)
      texts << error.errorString();
    fatal_ = QStringLiteral("The server's certificate is not trusted: ") +
             texts.join(QStringLiteral("; "));
  });
  connect(socket_, &QSslSocket::errorOccurred, this, [this] {
    if (lastError_.isEmpty())
      lastError_ =
          socketFailure(socket_->error(), settings_.host, settings_.port, socket_->errorString());
    if (socket_->state() == QAbstractSocket::UnconnectedState) lost(whyLost());
  });
  connect(socket_, &QSslSocket::disconnected, this, [this] { lost(whyLost()); });
  connect(socket_, &QSslSocket::stateChanged, this, [this](QAbstractSocket::SocketState state) {
    if (closing_ && state == QAbstractSocket::UnconnectedState)
      QTimer::singleShot(0, this, &IrcConnection::closed);
  });
  connect(&quietTimer_, &QTimer::timeout, this, &IrcConnection::quiet);
  connect(&pumpTimer_, &QTimer::timeout, this, &IrcConnection::pump);
  connect(&reconnectTimer_, &QTimer::timeout, this, &IrcConnection::open);
  connect(&nickTimer_, &QTimer::timeout, this, &IrcConnection::askForNick);
}

IrcConnection::~IrcConnection() {
  socket_->disconnect(this);
  // What close() wrote, the QUIT last, still on its way: a program that ends at once waits for it.
  if (socket_->state() == QAbstractSocket::ClosingState) socket_->waitForDisconnected(kFlushMs);
  socket_->abort();
}

QString IrcConnection::whyLost() const {
  if (!serverError_.isEmpty())
    return QStringLiteral("The server closed the connection: ") + serverError_;
  if (!lastError_.isEmpty()) return lastError_;
  return QStringLiteral("The server closed the connection");
}

void IrcConnection::open() {
  if (state_ == State::Connecting || state_ == State::Registered) return;
  closing_ = false;
  fatal_.clear();
  lastError_.clear();
  serverError_.clear();
  reconnectTimer_.stop();
  pinged_ = false;
  quietTimer_.start(settings_.quietMs);  // a connection that never completes is lost too
  setState(State::Connecting, settings_.host + QLatin1Char(':') + QString::number(settings_.port));
  if (!settings_.tls) {
    socket_->connectToHost(settings_.host, settings_.port);
    return;
  }
  QSslConfiguration config = QSslConfiguration::defaultConfiguration();
  config.setPeerVerifyMode(QSslSocket::VerifyPeer);
  if (!settings_.caFile.isEmpty()) {
    const QList<QSslCertificate> authorities = QSslCertificate::fromPath(
        settings_.caFile, QSsl::Pem, QSslCertificate::PatternSyntax::FixedString);
    if (authorities.isEmpty()) {
      fail(QStringLiteral("No certificate in ") + settings_.caFile);
      return;
    }
    // Added to the default configuration, they would stop Qt from loading the system's
    // authorities when it needs them: the system's are named here with them.
    config.setCaCertificates(QSslConfiguration::systemCaCertificates() + authorities);
  }
  socket_->setSslConfiguration(config);
  socket_->connectToHostEncrypted(settings_.host, settings_.port);
}

void IrcConnection::close(const QString& reason) {
  if (!closing_) emit closing();
  closing_ = true;
  reconnectTimer_.stop();
  const QAbstractSocket::SocketState was = socket_->state();
  if (was == QAbstractSocket::ConnectedState) {
    // Nothing is said after the QUIT, so what waits goes now, unpaced, and in order before it.
    if (ready_) {
      for (Outgoing& out : queue_.remove([](const Outgoing&) { return true; })) {
        if (out.line != confirmLine()) write(std::move(out));
      }
    }
    writeNow(makeMessage("QUIT", {wire(reason)}));
    socket_->disconnectFromHost();
  } else {
    socket_->abort();
  }
  if (was == QAbstractSocket::UnconnectedState) QTimer::singleShot(0, this, &IrcConnection::closed);
  lost(reason.isEmpty() ? QStringLiteral("Signed off") : QStringLiteral("Signed off: ") + reason);
}

void IrcConnection::setPace(Pace pace) {
  settings_.pace = pace;
  queue_.setPace(pace);
  pump();
}

void IrcConnection::join(const QString& channel, const QString& key) {
  const std::string name = wire(channel);
  const Message join =
      key.isEmpty() ? makeMessage("JOIN", {name}) : makeMessage("JOIN", {name, wire(key)});
  const bool writable = isMiddle(name) && name.find(',') == std::string::npos &&
                        (key.isEmpty() || isMiddle(wire(key)));
  if (!writable || !serialise(join)) {
    QTimer::singleShot(0, this, [this, channel] {
      emit joinRefused(channel, 0, QStringLiteral("Not a channel name"));
    });
    return;
  }
  const auto known = std::find_if(channels_.begin(), channels_.end(), [&](const auto& entry) {
    return members_.sameName(entry.first, name);
  });
  if (!ready_) {  // the rejoin on readiness sends it
    if (known == channels_.end()) channels_.emplace_back(name, wire(key));
    return;
  }
  const std::string folded = members_.support().fold(name);
  if (!joinPacer_.allow(folded, now())) {
    holdJoin(channel, key, folded);
    return;
  }
  heldJoins_.erase(folded);
  if (known == channels_.end()) channels_.emplace_back(name, wire(key));
  send(join);
}

// Knocking faster than the network takes JOINs: the knock goes for real once the pace allows,
// and the person hears how long that is, on a later round of events as a server's answer comes.
void IrcConnection::holdJoin(const QString& channel, const QString& key,
                             const std::string& folded) {
  const Millis wait = joinPacer_.wait(folded, now());
  if (heldJoins_.emplace(folded, std::pair{channel, key}).second) {
    QTimer::singleShot(static_cast<int>(wait.count()), Qt::PreciseTimer, this, [this, folded] {
      const auto held = heldJoins_.find(folded);
      if (held == heldJoins_.end()) return;
      const auto [heldChannel, heldKey] = held->second;
      heldJoins_.erase(held);
      join(heldChannel, heldKey);
    });
  }
  const int seconds = static_cast<int>(std::max<Millis::rep>(1, (wait.count() + 999) / 1000));
  QTimer::singleShot(0, this, [this, channel, seconds] { emit joinHeld(channel, seconds); });
}

void IrcConnection::part(const QString& channel, const QString& reason) {
  const std::string name = wire(channel);
  std::erase_if(channels_, [&](const auto& entry) { return members_.sameName(entry.first, name); });
  heldJoins_.erase(members_.support().fold(name));
  if (!ready_) return;
  send(reason.isEmpty() ? makeMessage("PART", {name}) : makeMessage("PART", {name, wire(reason)}));
}

bool IrcConnection::changeNick(const QString& nick) {
  const std::string name = wire(nick);
  if (!isMiddle(name)) return false;
  if (!registered_) {
    // Asked for as the connection registers, next time.
    settings_.nick = nick;
    if (socket_->state() == QAbstractSocket::UnconnectedState) members_.setSelf(name);
    return true;
  }
  askedNick_ = name;
  return send(makeMessage("NICK", {name}));
}

quint64 IrcConnection::action(const QString& target, const QString& text) {
  return speak("PRIVMSG", target, text, Delivery::AtLeastOnce, "ACTION");
}

quint64 IrcConnection::say(const QString& target, const QString& text, Delivery delivery) {
  return speak("PRIVMSG", target, text, delivery);
}

quint64 IrcConnection::notice(const QString& target, const QString& text, Delivery delivery) {
  return speak("NOTICE", target, text, delivery);
}

quint64 IrcConnection::speak(const char* command, const QString& target, const QString& text,
                             Delivery delivery, std::string_view ctcp) {
  const std::string to = wire(target);
  // A CTCP wraps each piece in \x01, its name and a space before, \x01 after.
  const std::string open = ctcp.empty() ? std::string() : "\x01" + std::string(ctcp) + " ";
  const std::string shut = ctcp.empty() ? std::string() : "\x01";
  const std::size_t reckoned = textBudget(mask(), to);
  const std::size_t wrapping = margin_ + open.size() + shut.size();
  const std::size_t budget = reckoned > wrapping ? reckoned - wrapping : 1;
  const quint64 ticket = lastTicket_ + 1;
  std::vector<Outgoing> lines;
  std::vector<Piece> pieces;
  // A line break in the text starts another message rather than vanishing; an empty line is no
  // message (the server would refuse it).
  static const QRegularExpression kBreak(QStringLiteral("\\r\\n|\\r|\\n"));
  for (const QString& part : text.split(kBreak, Qt::SkipEmptyParts)) {
    for (const std::string& piece : splitText(wire(part), budget)) {
      // As the line carries it, without what no line may hold.
      std::string sent = sanitise(open + piece + shut);
      std::optional<std::string> line = serialise(makeMessage(command, {to, sent}));
      if (!line) {
        emit sendRefused(target, 0, QStringLiteral("Not a name a message can go to"));
        return 0;
      }
      lines.push_back(Outgoing{std::move(*line), ticket, delivery});
      pieces.push_back(Piece{command, to, std::move(sent), ticket, delivery});
    }
  }
  if (lines.empty()) return 0;
  lastTicket_ = ticket;
  for (Outgoing& line : lines)
    queue_.push(std::move(line));
  pieces_.insert(pieces_.end(), pieces.begin(), pieces.end());
  // Written on a later round of events, so that the caller knows the ticket before its signals.
  pumpTimer_.start(0);
  return ticket;
}

bool IrcConnection::send(const Message& message) {
  const std::optional<std::string> line = serialise(message);
  if (!line) return false;
  queue_.push(Outgoing{*line});
  pump();
  return true;
}

std::vector<IrcConnection::Unrelayed> IrcConnection::unrelayed() const {
  std::vector<Unrelayed> waiting;
  for (const Piece& piece : pieces_)
    waiting.push_back(
        Unrelayed{piece.ticket, plain(piece.target), plain(piece.text), piece.delivery});
  return waiting;
}

std::string IrcConnection::mask() const {
  return members_.mask().empty() ? worstMask(members_.self()) : members_.mask();
}

void IrcConnection::startAt(QTimer& timer, Millis due) {
  timer.start(static_cast<int>(std::max<Millis::rep>(0, (due - now()).count())));
}

void IrcConnection::setState(State state, const QString& detail) {
  state_ = state;
  emit stateChanged(state, detail);
}

void IrcConnection::writeNow(const Message& message) {
  if (const std::optional<std::string> line = serialise(message))
    socket_->write(QByteArray::fromStdString(*line + "\r\n"));
}

void IrcConnection::transportReady() {
  reader_.reset();
  members_.clear();
  members_.setSelf(wire(settings_.nick));
  offered_.clear();
  enabled_.clear();
  accounts_.clear();
  capRequests_ = 0;
  negotiating_ = true;
  loggedIn_ = false;
  whox_ = false;
  nickAttempt_ = 0;
  nickTries_ = 0;
  nickFits_ = 0;
  nickLimit_ = SIZE_MAX;
  registered_ = false;
  ready_ = false;
  pinged_ = false;
  queue_.restart(now());
  queue_.hold(true);
  quietTimer_.start(settings_.quietMs);
  writeNow(makeMessage("CAP", {"LS", "302"}));
  if (!settings_.password.isEmpty()) writeNow(makeMessage("PASS", {wire(settings_.password)}));
  writeNow(makeMessage("NICK", {members_.self()}));
  writeNow(makeMessage("USER", {wire(settings_.user), "0", "*", wire(settings_.realName)}));
}

void IrcConnection::readData() {
  quietTimer_.start(settings_.quietMs);
  pinged_ = false;
  for (const std::string& line : reader_.feed(socket_->readAll().toStdString())) {
    if (const std::optional<Message> message = parseMessage(line)) handle(*message);
    if (socket_->state() != QAbstractSocket::ConnectedState) return;
  }
  if (reader_.overflowed()) drop(QStringLiteral("The server sent a line without end"));
}

void IrcConnection::quiet() {
  if (pinged_) {
    drop(QStringLiteral("Timed out: no answer from ") + settings_.host + QLatin1Char(':') +
         QString::number(settings_.port));
    return;
  }
  pinged_ = true;
  queue_.pushUrgent(*serialise(makeMessage("PING", {std::to_string(now().count())})));
  pump();
  quietTimer_.start(settings_.answerMs);
}

void IrcConnection::pump() {
  if (socket_->state() != QAbstractSocket::ConnectedState) return;
  for (Outgoing& out : queue_.take(now())) {
    if (out.line == confirmLine()) {
      socket_->write(QByteArray::fromStdString(out.line + "\r\n"));
      confirmQueued_ = false;
      confirming_ = unconfirmed_.size();
      confirmedWrites_ = writes_;
    } else {
      write(std::move(out));
    }
  }
  // Once the queue has run empty, a PING behind the said lines, paced as any line: its PONG shows
  // the server has read them all.
  if (ready_ && queue_.size() == 0 && !unconfirmed_.empty() && confirming_ == 0 &&
      !confirmQueued_) {
    confirmQueued_ = true;
    queue_.push(Outgoing{confirmLine()});
  }
  if (const std::optional<Millis> due = queue_.due(now())) startAt(pumpTimer_, *due);
}

void IrcConnection::write(Outgoing out) {
  socket_->write(QByteArray::fromStdString(out.line + "\r\n"));
  if (out.ticket == 0) return;
  const std::optional<Message> said = parseMessage(out.line);
  const quint64 ticket = out.ticket;
  unconfirmed_.push_back(std::move(out));
  emit written(ticket, plain(said->param(0)), plain(said->param(1)));
  pieceWritten(ticket, *said);
}

void IrcConnection::confirm(std::size_t count) {
  const auto end =
      unconfirmed_.begin() + static_cast<std::ptrdiff_t>(std::min(count, unconfirmed_.size()));
  QStringList targets;
  QList<quint64> tickets;
  for (auto line = unconfirmed_.begin(); line != end; ++line) {
    targets << plain(parseMessage(line->line)->param(0));
    tickets << line->ticket;
  }
  unconfirmed_.erase(unconfirmed_.begin(), end);
  emit delivered(targets, tickets);
}

void IrcConnection::handle(const Message& message) {
  const std::string& command = message.command;
  if (command == "PING") {
    queue_.pushUrgent(*serialise(makeMessage("PONG", {std::string(message.param(0))})));
    pump();
    return;
  }
  if (command == "PONG" && message.params.size() >= 1 && message.params.back() == kConfirmToken) {
    // An echo comes before the PONG of a later PING: a piece written before it and not echoed
    // was refused without a word (a NOTICE the channel does not take). Gone before delivered, so
    // that what still waits is told true.
    std::erase_if(pieces_, [&](const Piece& piece) {
      return piece.written != 0 && piece.written <= confirmedWrites_;
    });
    confirm(confirming_);
    confirming_ = 0;
    pump();
    return;
  }
  if (command == "ERROR") {
    serverError_ = plain(message.param(0));
    if (!registered_ && serverError_.contains(QStringLiteral("password"), Qt::CaseInsensitive))
      fatal_ = serverError_;
    return;
  }
  if (command == "CAP" || command == "AUTHENTICATE") {
    handleCap(message);
    return;
  }
  // Who was in which channel is gone once a QUIT is applied.
  QStringList quitChannels;
  if (command == "QUIT") {
    for (const std::string& channel : members_.channelsWith(sourceNick(message)))
      quitChannels << plain(channel);
  }
  members_.apply(message);
  accounts_.apply(message, members_);
  takeAskedNick(message);
  watchWantedNick(message);
  handleRegistration(message);
  if (handleRefusal(message)) return;
  if ((command == "PRIVMSG" || command == "NOTICE") && echoes() &&
      members_.isSelf(sourceNick(message))) {
    handleEcho(message);
  } else if (command == "PRIVMSG" || command == "NOTICE") {
    handleChat(message);
  } else if (command == "QUIT") {
    emit quit(plain(sourceNick(message)), decoded(message.param(0)), quitChannels);
    for (const QString& channel : quitChannels)
      emit namesChanged(channel);
  } else {
    handleChannelEvent(message);
  }
}

void IrcConnection::handleCap(const Message& message) {
  if (message.command == "AUTHENTICATE") {
    if (message.param(0) != "+") return;
    const QByteArray payload = (QByteArray(1, '\0') + settings_.saslAccount.toUtf8() +
                                QByteArray(1, '\0') + settings_.saslPassword.toUtf8())
                                   .toBase64();
    for (qsizetype at = 0; at < payload.size(); at += kSaslPiece)
      writeNow(makeMessage("AUTHENTICATE", {payload.mid(at, kSaslPiece).toStdString()}));
    if (payload.size() % kSaslPiece == 0) writeNow(makeMessage("AUTHENTICATE", {"+"}));
    return;
  }
  // "CAP * LS * :a b" goes on in another line; "CAP * LS :c" is the last.
  const std::string_view sub = message.param(1);
  const bool more = message.param(2) == "*";
  const std::vector<std::string> names = capabilityNames(message.param(more ? 3 : 2));
  if (sub == "LS" || sub == "NEW") {
    offered_.insert(names.begin(), names.end());
    if (sub == "NEW") {
      requestCapabilities(names);
    } else if (!more && negotiating_) {
      if (wantsSasl() && offered_.count("sasl") == 0) {
        fail(QStringLiteral("The server offers no SASL login"));
        return;
      }
      if (!requestCapabilities({offered_.begin(), offered_.end()})) endNegotiation();
    }
  } else if (sub == "ACK") {
    for (const std::string& name : names) {
      if (name.front() == '-') {
        enabled_.erase(name.substr(1));
      } else {
        enabled_.insert(name);
      }
    }
    capabilitiesAnswered();
  } else if (sub == "NAK") {
    // A request is taken or refused whole: one refused among several is asked for alone.
    if (names.size() > 1) {
      for (const std::string& name : names)
        requestCapabilities({name});
    }
    capabilitiesAnswered();
  } else if (sub == "DEL") {
    for (const std::string& name : names) {
      offered_.erase(name);
      enabled_.erase(name);
    }
    if (!echoes()) relayWritten();
    accounts_.setTagged(enabled_.count("account-tag") != 0);
    if (registered_) emit capabilitiesChanged();
  }
}

bool IrcConnection::wantsSasl() const {
  return !settings_.saslAccount.isEmpty();
}

bool IrcConnection::requestCapabilities(const std::vector<std::string>& names) {
  const auto among = [&](std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end() &&
           enabled_.count(std::string(name)) == 0;
  };
  std::vector<std::string> wanted;
  for (const std::string_view name : kWantedCapabilities)
    if (among(name)) wanted.emplace_back(name);
  // The login belongs to registration: sasl coming back later is not asked for.
  if (wantsSasl() && !registered_ && among("sasl")) wanted.emplace_back("sasl");
  if (wanted.empty()) return false;
  writeNow(makeMessage("CAP", {"REQ", spaced(wanted)}));
  ++capRequests_;
  return true;
}

void IrcConnection::capabilitiesAnswered() {
  capRequests_ = std::max(0, capRequests_ - 1);
  accounts_.setTagged(enabled_.count("account-tag") != 0);
  if (registered_) {
    emit capabilitiesChanged();
  } else if (capRequests_ == 0 && negotiating_) {
    endNegotiation();
  }
}

void IrcConnection::endNegotiation() {
  negotiating_ = false;
  if (!wantsSasl()) {
    writeNow(makeMessage("CAP", {"END"}));
  } else if (enabled_.count("sasl") != 0) {
    writeNow(makeMessage("AUTHENTICATE", {"PLAIN"}));
  } else {
    fail(QStringLiteral("The server refused the SASL login"));
  }
}

void IrcConnection::handleRegistration(const Message& message) {
  const int code = numeric(message);
  if (code == 903 || code == 907) {
    loggedIn_ = true;
    writeNow(makeMessage("CAP", {"END"}));
  } else if (code == 902 || code == 904 || code == 905 || code == 906) {
    fail(QStringLiteral("SASL login refused: ") + plain(message.param(message.params.size() - 1)));
    return;
  } else if (code == 464 && !registered_) {
    fail(QStringLiteral("The server refused the password: ") +
         plain(message.param(message.params.size() - 1)));
    return;
  } else if (code == 421 && message.param(1) == "CAP" && wantsSasl()) {
    fail(QStringLiteral("The server knows no capabilities and so no SASL login: not signed on"));
    return;
  } else if (code == 1 && wantsSasl() && !loggedIn_) {
    fail(QStringLiteral("The server signed Kestar on without the SASL login: disconnected"));
    return;
  } else if (code == 5) {
    for (const std::string& token : message.params)
      if (token == "WHOX") whox_ = true;
  } else if (code == 366 && whox_ && accounts_.tagged()) {
    // Who the people already in the channel are logged in as: later changes come by themselves.
    send(makeMessage("WHO",
                     {std::string(message.param(1)), "%tna," + std::string(kAccountsWhoToken)}));
  } else if (!registered_ && isNickRefusal(code) && !members_.isChannel(message.param(1))) {
    if (++nickTries_ > kNickAttempts) {
      fail(QStringLiteral("The server takes none of the nicks tried: ") + plain(message.param(2)));
      return;
    }
    // How long a nick may be is said only after the welcome: a nick merely taken shows that its
    // length is, and an alternate refused as erroneous is tried again no longer than that.
    const std::size_t tried = message.param(1).size();
    const std::size_t fits = std::max(nickFits_, kNickLengthEveryServerTakes);
    if (code != 432) {
      nickFits_ = std::max(nickFits_, tried);
      ++nickAttempt_;
    } else if (nickAttempt_ > 0 && tried > fits) {
      nickLimit_ = fits;
    } else {
      nickLimit_ = std::min(nickLimit_, kNickLengthEveryServerTakes);
      ++nickAttempt_;
    }
    const std::string next = alternateNick(wire(settings_.nick), nickAttempt_, nickLimit_);
    members_.setSelf(next);
    writeNow(makeMessage("NICK", {next}));
  }
  if (code == 1) {
    registered_ = true;
    registeredAt_ = now();
    if (!members_.isSelf(wire(settings_.nick))) {
      reclaim_.start(now());
      askForNick();  // not due yet: sets the timer
    }
    setState(State::Registered, nick());
  } else if (code == 376 || code == 422) {
    becomeReady();
  }
}

void IrcConnection::becomeReady() {
  if (ready_) return;
  ready_ = true;
  std::vector<Outgoing> rejoins;
  for (const auto& [channel, key] : channels_) {
    const Message join =
        key.empty() ? makeMessage("JOIN", {channel}) : makeMessage("JOIN", {channel, key});
    if (const std::optional<std::string> line = serialise(join)) rejoins.push_back(Outgoing{*line});
  }
  queue_.pushFront(rejoins);
  const std::string& botMode = members_.support().botMode;
  if (settings_.bot && !botMode.empty())
    send(makeMessage("MODE", {members_.self(), "+" + botMode}));
  queue_.hold(false);
  pump();
}

bool IrcConnection::handleRefusal(const Message& message) {
  const int code = numeric(message);
  const QString about = plain(message.param(1));
  const QString text = plain(message.param(2));
  const bool forwarded = code == 470;
  if ((isJoinRefusal(code) && (code != 437 || members_.isChannel(message.param(1)))) || forwarded) {
    // A refused channel is not rejoined on the next connection: the person asks again.
    const std::string name(message.param(1));
    std::erase_if(channels_,
                  [&](const auto& entry) { return members_.sameName(entry.first, name); });
    if (forwarded) {
      emit joinForwarded(about, text, plain(message.param(3)));
    } else {
      emit joinRefused(about, code, text);
    }
    return true;
  }
  if (isSendRefusal(code)) {
    // Where the server echoes, the refused line is the oldest written to that target.
    const auto refused = std::find_if(pieces_.begin(), pieces_.end(), [&](const Piece& said) {
      return said.written != 0 && said.command == "PRIVMSG" &&
             members_.sameName(said.target, message.param(1));
    });
    if (echoes() && refused != pieces_.end()) pieces_.erase(refused);
    emit sendRefused(about, code, text);
    return true;
  }
  if (isNickRefusal(code)) {
    // Only the person's asking hears of it: registration and NickReclaim try again by themselves.
    if (registered_ && !askedNick_.empty() && members_.sameName(message.param(1), askedNick_)) {
      askedNick_.clear();
      emit nickRefused(about, code, text);
    }
    return true;
  }
  return false;
}

void IrcConnection::takeAskedNick(const Message& message) {
  if (message.command != "NICK" || askedNick_.empty() || !members_.isSelf(message.param(0)) ||
      !members_.sameName(message.param(0), askedNick_))
    return;
  askedNick_.clear();
  settings_.nick = plain(message.param(0));
  reclaim_.stop();
  nickTimer_.stop();
}

void IrcConnection::handleChat(const Message& message) {
  if (!registered_) return;  // the server's notices while it looks the program up
  // Other CTCP queries get no answer.
  if (const auto chat = chatOf(message.command, message.param(1)))
    emit chatMessage(plain(message.param(0)), plain(sourceNick(message)), decoded(chat->second),
                     chat->first);
}

// The program's own line as the server relayed it: the oldest piece written to that target.
void IrcConnection::handleEcho(const Message& message) {
  const std::string_view target = message.param(0);
  const std::string_view text = message.param(1);
  const auto piece = std::find_if(pieces_.begin(), pieces_.end(), [&](const Piece& said) {
    return said.written != 0 && said.command == message.command &&
           members_.sameName(said.target, target);
  });
  quint64 ticket = 0;
  std::string lost;
  if (piece != pieces_.end()) {
    ticket = piece->ticket;
    const std::string& sent = piece->text;
    // Cut: what the server takes for such a line is what it relayed, with the mask it shows now.
    if (text.size() < sent.size() && sent.starts_with(text) &&
        sent.find_first_not_of(' ', text.size()) != std::string::npos) {
      lost = sent.substr(text.size());
      const std::size_t reckoned = textBudget(mask(), target);
      if (reckoned > text.size()) margin_ = std::max(margin_, reckoned - text.size());
    }
    pieces_.erase(piece);
  }
  emitRelayed(ticket, message.command, target, text);
  if (!lost.empty()) emit cut(ticket, plain(target), decoded(lost));
}

void IrcConnection::pieceWritten(quint64 ticket, const Message& said) {
  const auto piece = std::find_if(pieces_.begin(), pieces_.end(), [&](const Piece& waiting) {
    return waiting.ticket == ticket && waiting.written == 0 && waiting.text == said.param(1);
  });
  // None: a piece written again after a loss, which the room was shown already.
  if (piece == pieces_.end()) return;
  piece->written = ++writes_;
  if (echoes()) return;
  const Piece shown = std::move(*piece);
  pieces_.erase(piece);
  emitRelayed(shown.ticket, shown.command, shown.target, shown.text);
}

void IrcConnection::relayWritten() {
  std::vector<Piece> written;
  std::erase_if(pieces_, [&](const Piece& piece) {
    if (piece.written != 0) written.push_back(piece);
    return piece.written != 0;
  });
  for (const Piece& piece : written)
    emitRelayed(piece.ticket, piece.command, piece.target, piece.text);
}

void IrcConnection::emitRelayed(quint64 ticket, const std::string& command, std::string_view target,
                                std::string_view text) {
  if (const auto chat = chatOf(command, text))
    emit relayed(ticket, plain(target), decoded(chat->second), chat->first);
}

void IrcConnection::handleChannelEvent(const Message& message) {
  const std::string& command = message.command;
  const QString from = plain(sourceNick(message));
  const QString channel = plain(message.param(0));
  if (command == "JOIN") {
    if (members_.isSelf(sourceNick(message)))
      heldJoins_.erase(members_.support().fold(message.param(0)));
    emit joined(channel, from);
    emit namesChanged(channel);
  } else if (command == "PART") {
    emit parted(channel, from, decoded(message.param(1)));
    emit namesChanged(channel);
  } else if (command == "KICK") {
    emit kicked(channel, plain(message.param(1)), from, decoded(message.param(2)));
    emit namesChanged(channel);
  } else if (command == "TOPIC") {
    emit topicChanged(channel, from, decoded(message.param(1)));
  } else if (command == "332") {
    emit topicChanged(plain(message.param(1)), {}, decoded(message.param(2)));
  } else if (command == "366" || command == "315") {
    emit namesChanged(plain(message.param(1)));
  } else if (const int code = numeric(message); code != 0) {
    QStringList params;
    for (std::size_t i = 1; i < message.params.size(); ++i)
      params << plain(message.params[i]);
    emit reply(code, params);
  } else if (command == "ACCOUNT") {
    for (const std::string& in : members_.channelsWith(sourceNick(message)))
      emit namesChanged(plain(in));
  } else if (command == "MODE" && members_.isChannel(message.param(0))) {
    QStringList modes;
    for (std::size_t i = 1; i < message.params.size(); ++i)
      modes << plain(message.params[i]);
    emit modeChanged(channel, from, modes.join(QLatin1Char(' ')));
    emit namesChanged(channel);
  } else if (command == "NICK") {
    emit nickChanged(from, plain(message.param(0)));
    for (const std::string& renamed : members_.channelsWith(message.param(0)))
      emit namesChanged(plain(renamed));
  }
}

// Another holds the wanted nick: it is asked for again when the holder leaves (a QUIT, or a NICK
// away), and every so often, since a holder in no channel of the program leaves unseen.
void IrcConnection::watchWantedNick(const Message& message) {
  if (!reclaim_.due()) return;
  const std::string wanted = wire(settings_.nick);
  const std::string_view from = sourceNick(message);
  if (message.command == "NICK" && members_.isSelf(message.param(0))) {
    if (members_.sameName(message.param(0), wanted)) {
      reclaim_.stop();
      nickTimer_.stop();
    }
  } else if ((message.command == "QUIT" || message.command == "NICK") &&
             members_.sameName(from, wanted) && !members_.sameName(message.param(0), wanted)) {
    reclaim_.holderLeft(now());
    nickTimer_.start(0);
  }
}

void IrcConnection::askForNick() {
  if (reclaim_.take(now())) send(makeMessage("NICK", {wire(settings_.nick)}));
  if (const std::optional<Millis> due = reclaim_.due()) startAt(nickTimer_, *due);
}

void IrcConnection::fail(const QString& reason) {
  fatal_ = reason;
  drop(reason);
}

void IrcConnection::drop(const QString& reason) {
  lastError_ = reason;
  socket_->abort();  // reports nothing while still connecting
  lost(whyLost());
}

void IrcConnection::lost(const QString& reason) {
  if (state_ == State::Reconnecting || state_ == State::Disconnected) return;
  quietTimer_.stop();
  pumpTimer_.stop();
  nickTimer_.stop();
  reclaim_.stop();
  queue_.hold(true);
  // What was written before a QUIT of the program's own the server reads before the QUIT.
  if (closing_ && !unconfirmed_.empty()) confirm(unconfirmed_.size());
  // The said lines the server has not shown it read: the person's own go again on the next
  // connection, first after the rejoins; those to go at most once are dropped, written or not.
  QList<quint64> gone;
  const auto atMostOnce = [](const Outgoing& line) {
    return line.delivery == Delivery::AtMostOnce;
  };
  std::vector<Outgoing> again;
  for (Outgoing& line : unconfirmed_) {
    if (!atMostOnce(line)) {
      again.push_back(std::move(line));
    } else if (!gone.contains(line.ticket)) {
      gone << line.ticket;
    }
  }
  for (const Outgoing& line : queue_.remove([&](const Outgoing& queued) {
         return atMostOnce(queued) || queued.line == confirmLine();
       })) {
    if (line.ticket != 0 && !gone.contains(line.ticket)) gone << line.ticket;
  }
  queue_.pushFront(again);
  unconfirmed_.clear();
  confirming_ = 0;
  // What the program wrote before its own QUIT the server reads: no echo will come for it.
  if (closing_) relayWritten();
  std::erase_if(pieces_, [](const Piece& piece) { return piece.delivery == Delivery::AtMostOnce; });
  for (Piece& piece : pieces_)
    piece.written = 0;
  confirmQueued_ = false;
  members_.clear();
  accounts_.clear();
  const bool lasted = registered_ && now() - registeredAt_ >= Millis(settings_.settledMs);
  registered_ = false;
  ready_ = false;
  askedNick_.clear();
  lastLoss_ = fatal_.isEmpty() ? reason : fatal_;
  if (closing_ || !fatal_.isEmpty()) {
    setState(State::Disconnected, fatal_.isEmpty() ? reason : fatal_);
  } else {
    if (lasted) backoff_.reset();
    const Millis wait = backoff_.next();
    reconnectTimer_.start(static_cast<int>(wait.count()));
    setState(State::Reconnecting, QString::number(wait.count() / 1000));
  }
  if (!gone.isEmpty()) emit dropped(gone);
}

}  // namespace kestar::irc
