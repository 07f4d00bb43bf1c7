#pragma once

#include <QObject>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/ChatService.h"
#include "irc/Accounts.h"
#include "irc/Membership.h"
#include "irc/net/IrcConnection.h"
#include "irc/net/RollServer.h"

namespace kestar::client {

// What the IRC service is told to do, besides the connection itself.
struct IrcServiceSettings {
  irc::IrcSettings connection;
  // The nick whose lines are the room's roll service while it is a channel operator.
  std::string roller{irc::kDefaultRoller};
  // Where the server tags lines with accounts: the account whose lines are the room's roll
  // service, whatever its nick and status; the roller's nick as an account when empty.
  std::string rollerAccount;
  // Answer "//roll" lines in the rooms, as the room's roll service.
  bool serveRolls = false;
};

// The chat service of the own client on an IRC network: a room is a channel (roomToChannel), the
// people are its names, a line said is a PRIVMSG to it, an instant message a PRIVMSG to a nick.
// Text crosses to the client in the 8-bit code page, without the codes of IRC formatting; the
// program's markup leaves as those codes. The roller's lines show as "OnlineHost" only while it
// is an operator of the channel at the moment it speaks (irc::speakerName). With serveRolls set,
// this Kestar answers the roll requests said in its rooms with its own nick (irc::RollServer, with
// the rooms' dice epochs), the user's own included, shows each answer as the others see it, as
// the user's own lines, and tells in the room which answers the server had not confirmed when a
// connection was lost and which epoch lines the room may never see; taking the tick off, leaving
// a room, signing off and closing the program reveal the epochs' seeds. While its nick is not the
// wanted one (another held it), the state line says so, and a serving Kestar tells its rooms it
// serves under another nick than the roller's.
class IrcService final : public QObject, public ChatService {
 public:
  explicit IrcService(IrcServiceSettings settings, QObject* parent = nullptr);
  ~IrcService() override;

  // ChatService. A line the user says shows in the room as the room gets it: each piece of a long
  // line as a line of its own, as the server relayed it where it echoes the program's lines
  // (echo-message), else when it is written; until then the client marks it as waiting. An
  // instant message is refused while not signed on. A roll request of the user's own is answered
  // by the user's own Kestar while it serves rolls, once: its echo is not heard as a request.
  void attach(ServiceListener& listener, Later later) override;
  std::string userName() const override;
  bool signedOn() const override;
  void joinRoom(const std::string& room) override;
  void leaveRoom(const std::string& room) override;
  void say(const std::string& room, const std::string& text) override;
  void sendInstantMessage(int ticket, const std::string& to, const std::string& text) override;
  // The commands as an IRC client has them; the answers and refusals (Numerics.h) show in the
  // room the command was typed in, or in the client's message box.
  void command(const std::string& room, const Command& command) override;

  // Connects with these settings (dropping a connection that stands); the rooms the user is in
  // are joined again on the new one.
  void connectTo(const irc::IrcSettings& connection);
  void signOn() { connectTo(settings_.connection); }
  void signOff();

  const IrcServiceSettings& settings() const { return settings_; }
  void setServeRolls(bool serve);
  bool servesRolls() const { return settings_.serveRolls; }
  const irc::IrcConnection& connection() const { return *connection_; }

  // The service's state in words, as the client's window shows it.
  const std::string& state() const { return state_; }

 private:
  struct PendingIm {
    int ticket;
    std::string nick;
    quint64 sent = 0;  // the connection's ticket of its lines
    bool refused = false;
  };
  // The client's rooms by their channels as the room rule spells them; a channel as the server
  // spells it is looked up with the server's case mapping of the moment.
  using Rooms = std::map<std::string, std::string>;

  void connectNew();
  QString channelOf(const std::string& room) const;
  Rooms::const_iterator findRoom(const QString& channel) const;
  // The room of a channel, as the client named it when it asked to enter.
  std::string roomOf(const QString& channel) const;
  bool isRoom(const QString& channel) const;
  void forgetRoom(const QString& channel);
  std::string fold(const QString& name) const;
  bool sameNick(const QString& a, const std::string& b) const;
  void serveRooms();
  void tellServingNick(const QString& channel, bool wonBack);
  // The program's own line as the room has it (IrcConnection::relayed).
  void onRelayed(quint64 ticket, const QString& target, const QString& text,
                 irc::IrcConnection::Kind kind);
  bool isOwnRoomLine(const irc::IrcConnection::Unrelayed& piece) const;
  // Tells the client the user's lines of each room that have not reached it yet.
  void tellWaiting();
  void showInRoom(const QString& channel, const QString& nick, const std::string& said,
                  irc::IrcConnection::Kind kind);
  void onNotConfirmed(const QString& channel, quint64 k, const QString& text);
  void onState(irc::IrcConnection::State state, const QString& detail);
  void onChat(const QString& target, const QString& nick, const QString& text,
              irc::IrcConnection::Kind kind);
  void onJoined(const QString& channel, const QString& nick);
  void onParted(const QString& channel, const QString& nick, const QString& reason);
  void onKicked(const QString& channel, const QString& nick, const QString& by,
                const QString& reason);
  void onQuit(const QString& nick, const QString& reason, const QStringList& channels);
  void onNickChanged(const QString& from, const QString& to);
  void onTopic(const QString& channel, const QString& nick, const QString& topic);
  void onNames(const QString& channel);
  void onJoinRefused(const QString& channel, int code, const QString& text);
  void onJoinHeld(const QString& channel, int seconds);
  void onJoinForwarded(const QString& channel, const QString& to);
  void onNickRefused(const QString& nick, int code, const QString& text);
  void onModeChanged(const QString& channel, const QString& nick, const QString& modes);
  void onReply(int code, const QStringList& params);
  void onSendRefused(const QString& target, int code, const QString& text);
  void onDelivered(const QStringList& targets, const QList<quint64>& tickets);
  void lostConnection(const std::string& why);
  void notice(const QString& channel, const std::string& text);
  irc::Roller roller() const;
  // The roller's account while the trust is by account, else empty.
  std::string rollerAccount() const;
  // The name the nick's line in the channel shows under (irc::speakerName).
  std::string shownName(const QString& channel, const QString& nick) const;
  void checkRoller(const QString& channel);
  void report();

  IrcServiceSettings settings_;
  std::unique_ptr<irc::IrcConnection> connection_;
  std::unique_ptr<irc::RollServer> rolls_;
  ServiceListener* listener_ = nullptr;
  Later later_;
  Rooms rooms_;
  std::vector<PendingIm> ims_;                       // in the order they were said
  std::map<std::string, std::string> whoisRooms_;    // where a WHOIS was asked, by folded nick
  std::string commandRoom_;                          // where the last command was typed
  std::string toldLoss_;                             // the loss the rooms were last told of
  std::map<std::string, irc::RollerState> rollers_;  // the roller's last told state, by rooms_ key
  std::map<std::string, std::vector<std::string>> waitingTold_;  // by room
  std::string connectionState_;
  std::string state_;
};

}  // namespace kestar::client

namespace kestar::client {

// Where "ircs://HOST[:PORT]/ROOM" (TLS, port 6697 unless given) or "irc://HOST[:PORT]/ROOM" (no
// TLS, 6667) points. ROOM is the room's name with percent escapes read ("Spar%20Arena"), or, when
// it begins with "#", the room's channel ("#Spar_Arena"), read back by the channel rule.
struct IrcAddress {
  std::string host;
  unsigned short port = 6697;
  bool tls = true;
  std::string room;  // UTF-8
};
std::optional<IrcAddress> parseIrcAddress(std::string_view url);

}  // namespace kestar::client
