#include "tests/irc/Inspircd.h"

#include <pwd.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <filesystem>
#include <map>
#include <string>

#include "tests/irc/Ngircd.h"

namespace kestar::irc::test {
namespace {

// Waits until the process has printed the text; false when it ends or the time is up first.
// What it printed is added to the output.
bool waitForOutput(QProcess& process, const QByteArray& text, int ms, QByteArray& output) {
  const QDeadlineTimer deadline(ms);
  const qsizetype from = output.size();
  process.waitForStarted(ms);
  while (!deadline.hasExpired() && process.state() == QProcess::Running) {
    process.waitForReadyRead(50);
    output += process.readAll();
    if (output.indexOf(text, from) >= 0) return true;
  }
  output += process.readAll();
  return false;
}

void stopProcess(QProcess& process) {
  if (process.state() == QProcess::NotRunning) return;
  process.terminate();
  if (!process.waitForFinished(5000)) {
    process.kill();
    process.waitForFinished(2000);
  }
}

// Root runs the servers as nobody, in a folder nobody owns.
void startAsServerUser(QProcess& process, const std::filesystem::path& folder,
                       const QString& program, const QStringList& arguments) {
  const passwd* nobody = ::geteuid() == 0 ? ::getpwnam("nobody") : nullptr;
  if (nobody == nullptr) {
    process.start(program, arguments);
    return;
  }
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    (void)::chown(entry.path().c_str(), nobody->pw_uid, nobody->pw_gid);
  (void)::chown(folder.c_str(), nobody->pw_uid, nobody->pw_gid);
  process.start(QStringLiteral("setpriv"),
                QStringList{QStringLiteral("--reuid=%1").arg(nobody->pw_uid),
                            QStringLiteral("--regid=%1").arg(nobody->pw_gid),
                            QStringLiteral("--clear-groups"), program} +
                    arguments);
}

}  // namespace

Inspircd::Inspircd(CaseMapping mapping) : mapping_(mapping) {
  for (QProcess* process : {&ircd_, &services_})
    process->setProcessChannelMode(QProcess::MergedChannels);
}

Inspircd::~Inspircd() {
  stop();
}

bool Inspircd::start() {
  // A port free a moment ago may be taken by now: try a few.
  for (int attempt = 0; attempt < 5; ++attempt) {
    port_ = freePort();
    linkPort_ = 0;
    if (port_ != 0 && launch()) return true;
  }
  return false;
}

bool Inspircd::restart() {
  return launch();
}

void Inspircd::stop() {
  stopProcess(services_);  // the services write their accounts out as they stop
  stopProcess(ircd_);
}

void Inspircd::writeConfiguration() const {
  const std::map<std::string, std::string> values = {
      {"$DIR", folder_.path().string()},
      {"$PORT", std::to_string(port_)},
      {"$LINK", std::to_string(linkPort_)},
      {"$MAPPING", mapping_ == CaseMapping::Ascii ? "ascii" : "rfc1459"}};
  const auto filled = [&](std::string text) {
    for (const auto& [name, value] : values) {
      for (std::size_t at = text.find(name); at != std::string::npos;
           at = text.find(name, at + value.size()))
        text.replace(at, name.size(), value);
    }
    return text;
  };
  kestar::test::writeBytes(folder_ / "inspircd.conf", filled(R"(
<server name="irc.localhost" description="Kestar's test network" network="TestNet" id="001">
<bind address="127.0.0.1" port="$PORT" type="clients">
<bind address="127.0.0.1" port="$LINK" type="servers">
<connect allow="127.0.0.1" resolvehostnames="no" threshold="10" commandrate="1000" localmax="50"
         globalmax="50">
<dns server="127.0.0.1">
<pid file="$DIR/inspircd.pid">
<log method="file" type="* -USERINPUT -USEROUTPUT" level="default" target="$DIR/ircd.log">
<files motd="$DIR/motd.txt">
<options casemapping="$MAPPING">
<module name="cap"><module name="ircv3"><module name="ircv3_accounttag">
<module name="ircv3_capnotify"><module name="ircv3_ctctags"><module name="ircv3_echomessage">
<module name="ircv3_msgid"><module name="ircv3_servertime"><module name="namesx">
<module name="uhnames"><module name="services_account"><module name="hidechans">
<module name="sasl"><sasl target="services.localhost" requiressl="no">
<module name="spanningtree">
<link name="services.localhost" ipaddr="127.0.0.1" port="$LINK" allowmask="127.0.0.1/32"
      sendpass="kestar-link" recvpass="kestar-link">
<uline server="services.localhost" silent="yes">
)"));
  kestar::test::writeBytes(folder_ / "motd.txt", "test motd\n");
  kestar::test::writeBytes(folder_ / "services.motd", "test services\n");
  for (const char* sub : {"conf", "db", "logs"})
    std::filesystem::create_directories(folder_ / sub);
  kestar::test::writeBytes(folder_ / "conf/services.conf", filled(R"(
uplink { host = "127.0.0.1"; port = $LINK; password = "kestar-link"; }
serverinfo { name = "services.localhost"; description = "Services"; pid = "$DIR/anope.pid";
             motd = "$DIR/services.motd"; }
module { name = "inspircd3"; }
networkinfo { networkname = "TestNet"; nicklen = 30; userlen = 10; hostlen = 64; chanlen = 64; }
options { casemap = "$MAPPING"; seed = 7129834; readtimeout = 5s; warningtimeout = 4h;
          timeoutcheck = 3s; }
module { name = "db_flatfile"; database = "anope.db"; }
module { name = "enc_sha256"; }
service { nick = "NickServ"; user = "services"; host = "services.localhost"; gecos = "NickServ"; }
module { name = "nickserv"; client = "NickServ"; defaults = "ns_secure autoop"; regdelay = 0s; }
module { name = "ns_register"; registration = "none"; }
module { name = "ns_identify"; }
module { name = "ns_set"; }
command { service = "NickServ"; name = "REGISTER"; command = "nickserv/register"; }
command { service = "NickServ"; name = "IDENTIFY"; command = "nickserv/identify"; }
service { nick = "ChanServ"; user = "services"; host = "services.localhost"; gecos = "ChanServ"; }
module { name = "chanserv"; client = "ChanServ"; }
privilege { name = "AUTOOP"; rank = 210; level = 5; flag = "O"; }
privilege { name = "OP"; rank = 230; level = 5; flag = "o"; }
privilege { name = "OPME"; rank = 220; level = 5; flag = "o"; }
module { name = "cs_register"; }
command { service = "ChanServ"; name = "REGISTER"; command = "chanserv/register"; }
module { name = "m_sasl"; }
)"));
}

bool Inspircd::launch() {
  if (linkPort_ == 0 || linkPort_ == port_) linkPort_ = freePort();
  writeConfiguration();
  const QString folder = QString::fromStdString(folder_.path().string());
  startAsServerUser(ircd_, folder_.path(), QStringLiteral("inspircd"),
                    {QStringLiteral("--config"), folder + QStringLiteral("/inspircd.conf"),
                     QStringLiteral("--nofork")});
  output_.clear();
  if (!waitForOutput(ircd_, "is now running as", 5000, output_)) {
    stop();
    return false;
  }
  startAsServerUser(
      services_, folder_.path(), QStringLiteral("anope"),
      {QStringLiteral("--confdir=") + folder + QStringLiteral("/conf"),
       QStringLiteral("--dbdir=") + folder + QStringLiteral("/db"),
       QStringLiteral("--logdir=") + folder + QStringLiteral("/logs"),
       QStringLiteral("--modulesdir=/usr/lib/anope"),
       QStringLiteral("--localedir=/usr/share/anope/locale"), QStringLiteral("--nofork")});
  if (!waitForOutput(services_, "services.localhost (Services) is done syncing", 10000, output_)) {
    stop();
    return false;
  }
  return true;
}

}  // namespace kestar::irc::test
