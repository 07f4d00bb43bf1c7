#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QSslSocket>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "irc/Accounts.h"
#include "irc/LineReader.h"
#include "irc/Membership.h"
#include "irc/Message.h"
#include "irc/Pacing.h"

namespace kestar::irc {

struct IrcSettings {
  QString host;
  quint16 port = 6697;
  bool tls = true;
  QString caFile;  // an authority to trust besides the system's
  QString nick;
  QString user;  // the nick when empty
  QString realName = QStringLiteral("Kestar");
  QString password;     // the server's, sent as PASS
  QString saslAccount;  // with saslPassword: log in with SASL PLAIN, or not at all
  QString saslPassword;
  Pace pace;
  JoinPace joinPace;
  bool bot = false;       // marks itself a bot where the server offers the mode (BOT= in 005)
  int quietMs = 60000;    // silence after which the program asks the server whether it is there
  int answerMs = 30000;   // how long it then waits before it takes the connection for lost
  int settledMs = 60000;  // a connection registered this long starts the waits anew (Backoff)
};

// One connection to an IRC server, kept: registration (PASS, NICK, USER, the capabilities the
// program uses where the server offers them, and SASL PLAIN when asked, without which it does not
// sign on), another nick when the wanted one is taken, PING and PONG, and on loss a new connection
// after growing waits that rejoins the channels and then sends what was queued. Every line the
// program sends goes through one paced queue (Pacing.h). TLS certificates are verified against
// the system's authorities and the one given; a certificate that fails never connects.
//
// What arrives is reported by the signals below, decoded (UTF-8, else the 8-bit code page) and, for
// chat text, without formatting codes. The channel membership and the accounts are applied before
// a line's signals, so members() and accounts() answer for the moment the line was relayed.
class IrcConnection final : public QObject {
  Q_OBJECT

 public:
  enum class State { Idle, Connecting, Registered, Reconnecting, Disconnected };
  Q_ENUM(State)
  enum class Kind { Message, Notice, Action };
  Q_ENUM(Kind)

  explicit IrcConnection(IrcSettings settings, QObject* parent = nullptr);
  ~IrcConnection() override;

  void open();
  // Says QUIT with the reason and stays disconnected; closed() follows once the socket has shut.
  // First closing() lets the program say its last lines; then every line that waits is written at
  // once, before the QUIT, and what was written before the QUIT counts as read by the server.
  void close(const QString& reason = {});
  // The pace of the lines from now on, on the same connection.
  void setPace(Pace pace);

  // Joins now or, while disconnected, on the next connection; every new connection rejoins.
  // JOINs of one channel are paced (JoinPacer): a knock beyond the pace is held (joinHeld) and
  // goes for real once the pace allows. A name no JOIN can carry is refused with code 0.
  void join(const QString& channel, const QString& key = {});
  void part(const QString& channel, const QString& reason = {});
  // Asks the server for another nick: nickChanged follows, or nickRefused. Once the server has
  // given it, it is the nick wanted from then on, on new connections too. False for a name no
  // NICK can carry.
  bool changeNick(const QString& nick);
  // A CTCP ACTION ("/me"), in as many lines as the text needs, said as say() says.
  quint64 action(const QString& target, const QString& text);
  // PRIVMSG, in as many lines as the text needs (an empty line is none), written on a later round
  // of events at the earliest; the text's ticket, which its pieces carry in written, delivered and
  // dropped, or 0 when nothing goes.
  quint64 say(const QString& target, const QString& text,
              Delivery delivery = Delivery::AtLeastOnce);
  // The same as NOTICE.
  quint64 notice(const QString& target, const QString& text,
                 Delivery delivery = Delivery::AtLeastOnce);
  // Any other command, through the same queue; false for one that cannot be written (Message.h).
  bool send(const Message& message);

  State state() const { return state_; }
  // Why the last connection ended or could not be made, in words ("" before any).
  const QString& lastLoss() const { return lastLoss_; }
  QString nick() const { return QString::fromStdString(members_.self()); }
  // The nick asked for; while another holds it, the program asks again (NickReclaim).
  const QString& wantedNick() const { return settings_.nick; }
  const Membership& members() const { return members_; }
  // Who the people of the channels (and the program) are logged in as, where the server says.
  const Accounts& accounts() const { return accounts_; }
  // The capabilities the server has granted on this connection.
  const std::set<std::string>& capabilities() const { return enabled_; }
  // The lines asked for that wait to be sent.
  std::size_t queued() const { return queue_.size() - (confirmQueued_ ? 1 : 0); }
  // The server shows the program its own lines as it relayed them (echo-message).
  bool echoes() const { return enabled_.count("echo-message") != 0; }

  // A piece of a said text the room does not have yet: waiting in the queue or, where the server
  // echoes, written and not echoed yet. text is as sent, with its formatting codes.
  struct Unrelayed {
    quint64 ticket = 0;
    QString target;
    QString text;
    Delivery delivery = Delivery::AtLeastOnce;
  };
  std::vector<Unrelayed> unrelayed() const;

 signals:
  // detail: the nick when registered, the seconds to wait when reconnecting, the reason when
  // disconnected.
  void stateChanged(kestar::irc::IrcConnection::State state, const QString& detail);
  // target: a channel, or the program's nick for a private message.
  void chatMessage(const QString& target, const QString& nick, const QString& text,
                   kestar::irc::IrcConnection::Kind kind);
  void joined(const QString& channel, const QString& nick);
  void parted(const QString& channel, const QString& nick, const QString& reason);
  void kicked(const QString& channel, const QString& nick, const QString& by,
              const QString& reason);
  void quit(const QString& nick, const QString& reason, const QStringList& channels);
  void nickChanged(const QString& from, const QString& to);
  // nick is empty for the topic the server shows on joining.
  void topicChanged(const QString& channel, const QString& nick, const QString& topic);
  // The people of the channel may have changed.
  void namesChanged(const QString& channel);
  // A JOIN the server refused: full (471), invite only (473), banned (474), bad key (475), no such
  // channel (403), too many channels (405) and the like.
  void joinRefused(const QString& channel, int code, const QString& text);
  // A JOIN held back by the join pace: it goes in about seconds.
  void joinHeld(const QString& channel, int seconds);
  // The server sent the program on from the channel to another one (470) instead of letting it
  // in.
  void joinForwarded(const QString& channel, const QString& to, const QString& text);
  // The server refused the nick changeNick asked for: not allowed (432), in use (433, 436), held
  // for a while (437).
  void nickRefused(const QString& nick, int code, const QString& text);
  // Someone set a channel's modes ("+o bob", "+l 5"); the people may have changed too.
  void modeChanged(const QString& channel, const QString& nick, const QString& modes);
  // A numeric reply no other signal reports (WHOIS answers, 331 no topic, 482 not an operator,
  // 713 a knock...): its code and the parameters after the program's nick.
  void reply(int code, const QStringList& params);
  // A PRIVMSG the server refused: no such nick (401), cannot send to the channel (404) and the
  // like; code 0 for a target that is no name at all.
  void sendRefused(const QString& target, int code, const QString& text);
  // A piece of a said text written to the server now.
  void written(quint64 ticket, const QString& target, const QString& text);
  // A piece of the program's own said text as the room has it: where the server echoes, as it
  // relayed it and in its order (ticket 0 for a line the program did not say on this connection);
  // elsewhere as written, once, though a lost connection writes it again. Never in chatMessage.
  void relayed(quint64 ticket, const QString& target, const QString& text,
               kestar::irc::IrcConnection::Kind kind);
  // The server relayed a piece shorter than it was sent, without a word: lost is what the room
  // did not get. The pieces said from now on leave that much more room.
  void cut(quint64 ticket, const QString& target, const QString& lost);
  // The targets and tickets of said lines (one for each PRIVMSG or NOTICE line, in order) the
  // server has read; the refusal of any of them came before.
  void delivered(const QStringList& targets, const QList<quint64>& tickets);
  // Said texts to go at most once that the server had not shown it read when the connection was
  // lost, written or still waiting: they will not go.
  void dropped(const QList<quint64>& tickets);
  // Inside close(), before anything is written: the last moment to say something.
  void closing();
  // After close(): what it said has gone to the server and the socket is shut. On a later round
  // of events, never inside close().
  void closed();
  // The server granted or withdrew capabilities after registration (cap-notify): account-tag,
  // and with it the trust by account, may come and go.
  void capabilitiesChanged();

 private:
  void transportReady();
  void readData();
  void handle(const Message& message);
  void handleCap(const Message& message);
  bool wantsSasl() const;
  // Asks for the wanted ones among the capabilities; false when none was to be asked for.
  bool requestCapabilities(const std::vector<std::string>& names);
  void capabilitiesAnswered();
  // CAP END, or the SASL login that ends in it.
  void endNegotiation();
  void handleRegistration(const Message& message);
  bool handleRefusal(const Message& message);
  void handleChat(const Message& message);
  void handleEcho(const Message& message);
  // The piece of the ticket just written; shown as relayed now where the server echoes nothing.
  void pieceWritten(quint64 ticket, const Message& said);
  // Where no echo will come (the echo withdrawn, the program's own QUIT): the pieces written are
  // relayed as written.
  void relayWritten();
  void emitRelayed(quint64 ticket, const std::string& command, std::string_view target,
                   std::string_view text);
  void handleChannelEvent(const Message& message);
  void holdJoin(const QString& channel, const QString& key, const std::string& folded);
  void takeAskedNick(const Message& message);
  void becomeReady();
  void lost(const QString& reason);
  QString whyLost() const;
  void fail(const QString& reason);
  void drop(const QString& reason);
  void quiet();
  quint64 speak(const char* command, const QString& target, const QString& text, Delivery delivery,
                std::string_view ctcp = {});
  void pump();
  // Writes a queued line; a said one waits for the server to confirm it.
  void write(Outgoing out);
  // The first count of the written said lines are read by the server.
  void confirm(std::size_t count);
  void watchWantedNick(const Message& message);
  void askForNick();
  void writeNow(const Message& message);
  void setState(State state, const QString& detail);
  // Fires the timer at due on the clock, at once when that has passed.
  void startAt(QTimer& timer, Millis due);
  Millis now() const { return Millis(clock_.elapsed()); }
  std::string mask() const;

  IrcSettings settings_;
  QSslSocket* socket_;
  QTimer quietTimer_;
  QTimer pumpTimer_;
  QTimer reconnectTimer_;
  QTimer nickTimer_;
  QElapsedTimer clock_;
  State state_ = State::Idle;
  LineReader reader_;
  Membership members_;
  SendQueue queue_;
  Backoff backoff_;
  JoinPacer joinPacer_;
  NickReclaim reclaim_;
  std::map<std::string, std::pair<QString, QString>> heldJoins_;  // channel and key, by folded
  std::vector<Outgoing> unconfirmed_;  // said lines written that the server has not shown it read
  // Said pieces from their queueing until relayed (Unrelayed), in the order they were said.
  struct Piece {
    std::string command;
    std::string target;
    std::string text;
    quint64 ticket = 0;
    Delivery delivery = Delivery::AtLeastOnce;
    std::uint64_t written = 0;  // the order of its writing, 0 while waiting
  };
  std::deque<Piece> pieces_;
  std::uint64_t writes_ = 0;           // pieces written so far
  std::uint64_t confirmedWrites_ = 0;  // those the PING on its way covers
  std::size_t confirming_ = 0;         // how many of unconfirmed_ the PING on its way covers
  std::size_t margin_ = 0;      // bytes the server takes less than the budget reckons (a cut seen)
  bool confirmQueued_ = false;  // a PING behind them waits in the queue
  quint64 lastTicket_ = 0;
  std::vector<std::pair<std::string, std::string>> channels_;  // remembered, with keys
  Accounts accounts_;
  std::set<std::string> offered_;
  std::set<std::string> enabled_;
  int capRequests_ = 0;  // CAP REQs not answered yet
  QString lastError_;    // the socket's
  QString serverError_;  // the server's ERROR line
  QString fatal_;
  QString lastLoss_;
  std::string askedNick_;  // by changeNick, until the server answers
  Millis registeredAt_{0};
  int nickAttempt_ = 0;  // the alternate's number
  int nickTries_ = 0;
  std::size_t nickFits_ = 0;          // the longest nick the server said was taken, not erroneous
  std::size_t nickLimit_ = SIZE_MAX;  // the length the alternates are cut to
  bool negotiating_ = false;
  bool loggedIn_ = false;
  bool whox_ = false;  // the server answers WHO with the fields asked for
  bool registered_ = false;
  bool ready_ = false;
  bool pinged_ = false;
  bool closing_ = false;
};

// Why a connection to host:port failed, in the program's words: refused, no such host, timed
// out, TLS; Qt's own words for the rarer failures.
QString socketFailure(QAbstractSocket::SocketError error, const QString& host, quint16 port,
                      const QString& qtWords);

}  // namespace kestar::irc
