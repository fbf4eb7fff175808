#include "testkit/SqlServers.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <functional>
#include <vector>

namespace veska::testkit {

namespace {

// How long a server may take to be set up and to answer, and a client to
// run.
constexpr int StartTimeoutMs = 60000;
constexpr int StopTimeoutMs = 30000;
const QString PostgresBin = QStringLiteral("/usr/lib/postgresql/15/bin/");

// Who a program runs as: the tests' own user, or another when the tests run
// as root and the program refuses root (PostgreSQL does).
struct TRunAs {
  bool Switch = false;
  uid_t Uid = 0;
  gid_t Gid = 0;
};

// The environment of the servers and clients: none of the passwords or
// defaults a test sets for the code under test.
QProcessEnvironment ProgramEnvironment()
{
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"PGPASSWORD", "PGPASSFILE", "PGHOST", "PGPORT", "PGUSER", "PGDATABASE", "MYSQL_PWD",
                           "MYSQL_HOST", "MYSQL_UNIX_PORT"})
    env.remove(QString::fromLatin1(name));
  return env;
}

// The child runs as `as` and dies with the test binary, even when that
// crashes: no server outlives its tests.
void PrepareChild(QProcess& process, const TRunAs& as)
{
  process.setProcessEnvironment(ProgramEnvironment());
  process.setChildProcessModifier([as] {
    if (as.Switch && (::setgroups(0, nullptr) != 0 || ::setgid(as.Gid) != 0 || ::setuid(as.Uid) != 0))
      ::_exit(127);
    // After the change of user, which clears it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  });
}

// The program by name, also where Debian keeps the servers (/usr/sbin is
// not on every user's PATH); the name as it is when it is nowhere, so that
// starting it fails with its name.
QString Program(const QString& name)
{
  QString found = QStandardPaths::findExecutable(name);
  if (found.isEmpty())
    found = QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin")});
  return found.isEmpty() ? name : found;
}

TProgramOutput Run(const TRunAs& as, const QString& program, const QStringList& arguments, const QByteArray& input,
                   int timeoutMs, const QString& directory = QString())
{
  TProgramOutput out;
  out.Command = (QStringList{program} + arguments).join(QLatin1Char(' '));
  QProcess process;
  PrepareChild(process, as);
  if (!directory.isEmpty())
    process.setWorkingDirectory(directory);
  process.start(program, arguments);
  if (!process.waitForStarted(timeoutMs)) {
    out.Errors = process.errorString() + QStringLiteral(" (is it installed?)");
    return out;
  }
  out.Started = true;
  process.write(input);
  process.closeWriteChannel();
  if (!process.waitForFinished(timeoutMs)) {
    out.TimedOut = true;
    process.kill();
    process.waitForFinished(StopTimeoutMs);
  }
  out.ExitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  out.Output = QString::fromUtf8(process.readAllStandardOutput());
  out.Errors += QString::fromUtf8(process.readAllStandardError());
  return out;
}

// A short directory: a Unix socket's path has room for about 100 bytes.
QString TemporaryTemplate(const QString& name)
{
  QString base = QDir::tempPath();
  if (base.size() > 40)
    base = QStringLiteral("/tmp");
  return base + QLatin1Char('/') + name + QStringLiteral("-XXXXXX");
}

// The servers started, to stop when the tests end.
std::vector<TSqlServer*>& StartedServers()
{
  static std::vector<TSqlServer*> servers;
  return servers;
}

// Where CreateDatabase tells why it failed.
TFailureReporter& Reporter()
{
  static TFailureReporter reporter = nullptr;
  return reporter;
}

}  // namespace

void SetFailureReporter(TFailureReporter reporter)
{
  Reporter() = reporter;
}

void StopSharedServers()
{
  for (TSqlServer* server : StartedServers())
    server->Stop();
}

QStringList TProgramOutput::Lines() const
{
  QString text = Output;
  if (text.endsWith(QLatin1Char('\n')))
    text.chop(1);
  return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

QString TProgramOutput::Describe() const
{
  QString how;
  if (!Started)
    how = QStringLiteral("could not start");
  else if (TimedOut)
    how = QStringLiteral("did not end in time");
  else
    how = QStringLiteral("ended with exit code %1").arg(ExitCode);
  return QStringLiteral("`%1` %2:\n%3%4").arg(Command, how, Errors, Output);
}

TProgramOutput RunProgram(const QString& program, const QStringList& arguments, const QByteArray& input,
                          int timeoutMs)
{
  return Run(TRunAs(), program, arguments, input, timeoutMs);
}

TProgramOutput RunSqlite3(const QString& file, const QString& sql)
{
  return RunProgram(Program(QStringLiteral("sqlite3")), {QStringLiteral("-batch"), file}, sql.toUtf8());
}

struct TSqlServer::TState {
  explicit TState(const QString& name) : Dir(TemporaryTemplate(name)) {}

  QString Path(const QString& name) const { return Dir.filePath(name); }
  // The end of the server's log: what a failure to start says.
  QString LogTail() const
  {
    QFile file(Path(QStringLiteral("server.log")));
    if (!file.open(QIODevice::ReadOnly))
      return QStringLiteral("(no server log)");
    const qint64 size = file.size();
    file.seek(qMax<qint64>(0, size - 4000));
    return QString::fromUtf8(file.readAll());
  }

  // Starts the server and waits until `ready` says it answers.
  QString StartServer(const QString& program, const QStringList& arguments, const std::function<bool()>& ready)
  {
    PrepareChild(Server, As);
    Server.setWorkingDirectory(Dir.path());
    Server.setStandardOutputFile(Path(QStringLiteral("server.log")), QIODevice::Append);
    Server.setStandardErrorFile(Path(QStringLiteral("server.log")), QIODevice::Append);
    Server.start(program, arguments);
    if (!Server.waitForStarted(StartTimeoutMs))
      return QStringLiteral("%1 could not start: %2 (is it installed?)").arg(program, Server.errorString());
    QElapsedTimer waited;
    waited.start();
    while (!ready()) {
      // Waiting for its end notices a server that stopped at once.
      if (Server.waitForFinished(50))
        return QStringLiteral("%1 stopped as it started; its log:\n%2").arg(program, LogTail());
      if (waited.elapsed() > StartTimeoutMs)
        return QStringLiteral("%1 did not answer within %2 s; its log:\n%3")
            .arg(program)
            .arg(StartTimeoutMs / 1000)
            .arg(LogTail());
    }
    return QString();
  }

  QTemporaryDir Dir;
  QProcess Server;
  TRunAs As;
  // How the server is asked to stop at once.
  int StopSignal = SIGTERM;
};

TSqlServer::~TSqlServer()
{
  Stop();
}

QString TSqlServer::CreateDatabase()
{
  if (!FFailure.isEmpty()) {
    if (Reporter())
      Reporter()(FFailure);
    return QString();
  }
  const QString name = QStringLiteral("veska_test_%1").arg(++FDatabases);
  const TProgramOutput out = Client(QString(), QStringLiteral("CREATE DATABASE ") + name + QLatin1Char(';'));
  if (!out.Ok()) {
    if (Reporter())
      Reporter()(out.Describe());
    return QString();
  }
  return name;
}

void TSqlServer::Stop()
{
  if (!FState)
    return;
  QProcess& server = FState->Server;
  if (server.state() != QProcess::NotRunning) {
    ::kill(pid_t(server.processId()), FState->StopSignal);
    if (!server.waitForFinished(StopTimeoutMs)) {
      server.kill();
      server.waitForFinished(StopTimeoutMs);
    }
  }
  FState.reset();
}

TPostgresServer& TPostgresServer::Shared()
{
  static TPostgresServer server;
  [[maybe_unused]] static const bool started = (server.Start(), StartedServers().push_back(&server), true);
  return server;
}

QString TPostgresServer::SocketDirectory() const
{
  return FState ? FState->Dir.path() : QString();
}

TProgramOutput TPostgresServer::Client(const QString& database, const QString& sql) const
{
  return RunProgram(Program(QStringLiteral("psql")),
                    {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"),
                     QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), SocketDirectory(),
                     QStringLiteral("-p"), QString::number(Port()), QStringLiteral("-U"), SuperUser(),
                     QStringLiteral("-d"), database.isEmpty() ? QStringLiteral("postgres") : database},
                    sql.toUtf8());
}

void TPostgresServer::Start()
{
  FState = std::make_unique<TState>(QStringLiteral("veska-pg"));
  TState& state = *FState;
  // Fast shutdown: connections a failed test left open do not hold it up.
  state.StopSignal = SIGINT;
  if (!state.Dir.isValid()) {
    FFailure = QStringLiteral("No temporary directory for PostgreSQL: ") + state.Dir.errorString();
    return;
  }
  if (::geteuid() == 0) {
    const passwd* user = ::getpwnam("postgres");
    if (!user) {
      FFailure = QStringLiteral("PostgreSQL does not run as root, and there is no user \"postgres\" to run it as.");
      return;
    }
    state.As = {true, user->pw_uid, user->pw_gid};
    if (::chown(QFile::encodeName(state.Dir.path()).constData(), user->pw_uid, user->pw_gid) != 0) {
      FFailure = QStringLiteral("Cannot give %1 to the user postgres.").arg(state.Dir.path());
      return;
    }
  }
  const QString data = state.Path(QStringLiteral("data"));
  const TProgramOutput init =
      Run(state.As, PostgresBin + QStringLiteral("initdb"),
          {QStringLiteral("-D"), data, QStringLiteral("-U"), SuperUser(), QStringLiteral("-A"), QStringLiteral("trust"),
           QStringLiteral("-N"), QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C")},
          QByteArray(), StartTimeoutMs, state.Dir.path());
  if (!init.Ok()) {
    FFailure = QStringLiteral("PostgreSQL's initdb failed: ") + init.Describe();
    return;
  }
  // The password login needs its password; everybody else is trusted.
  QFile hba(data + QStringLiteral("/pg_hba.conf"));
  if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate)
      || hba.write("local all " + PasswordUser().toUtf8() + " scram-sha-256\nlocal all all trust\n") < 0) {
    FFailure = QStringLiteral("Cannot write ") + hba.fileName();
    return;
  }
  hba.close();
  const QString socket = state.Path(QStringLiteral(".s.PGSQL.%1").arg(Port()));
  // A build is one transaction, and it locks every table, index and
  // sequence it makes until its end: about seven for an entity of a
  // generated model, 35,000 for 5,000 entities. The shared lock table holds
  // max_locks_per_transaction times max_connections.
  FFailure = state.StartServer(
      PostgresBin + QStringLiteral("postgres"),
      {QStringLiteral("-D"), data, QStringLiteral("-k"), state.Dir.path(), QStringLiteral("-h"), QString(),
       QStringLiteral("-p"), QString::number(Port()), QStringLiteral("-F"), QStringLiteral("-c"),
       QStringLiteral("shared_buffers=16MB"), QStringLiteral("-c"), QStringLiteral("max_connections=40"),
       QStringLiteral("-c"), QStringLiteral("max_locks_per_transaction=1500")},
      [&] { return QFileInfo::exists(socket) && Client(QString(), QStringLiteral("SELECT 1;")).Ok(); });
  if (!FFailure.isEmpty())
    return;
  // The password goes on the client's input, not its command line.
  const TProgramOutput role = Client(
      QString(), QStringLiteral("CREATE ROLE %1 LOGIN SUPERUSER PASSWORD '%2';").arg(PasswordUser(), UserPassword()));
  if (!role.Ok())
    FFailure = role.Describe();
}

TMariaDbServer& TMariaDbServer::Shared()
{
  static TMariaDbServer server;
  [[maybe_unused]] static const bool started = (server.Start(), StartedServers().push_back(&server), true);
  return server;
}

QString TMariaDbServer::SocketFile() const
{
  return FState ? FState->Path(QStringLiteral("sock")) : QString();
}

TProgramOutput TMariaDbServer::Client(const QString& database, const QString& sql) const
{
  QStringList arguments{QStringLiteral("--no-defaults"), QStringLiteral("--socket=") + SocketFile(),
                        QStringLiteral("-u") + SuperUser(), QStringLiteral("-N"), QStringLiteral("-B"),
                        QStringLiteral("-r")};
  if (!database.isEmpty())
    arguments << database;
  return RunProgram(Program(QStringLiteral("mariadb")), arguments, sql.toUtf8());
}

void TMariaDbServer::Start()
{
  FState = std::make_unique<TState>(QStringLiteral("veska-my"));
  TState& state = *FState;
  if (!state.Dir.isValid()) {
    FFailure = QStringLiteral("No temporary directory for MariaDB: ") + state.Dir.errorString();
    return;
  }
  // As root the server is told to stay root; as anyone else it runs as them.
  const QStringList asRoot = ::geteuid() == 0 ? QStringList{QStringLiteral("--user=root")} : QStringList();
  const QString data = QStringLiteral("--datadir=") + state.Path(QStringLiteral("data"));
  // Temporary tables in a folder of this server's own: in the shared /tmp,
  // two servers set up at once have been seen to lose one (the set-up then
  // fails on "Unknown table 'mysql.tmp_user_sys'").
  if (!QDir(state.Dir.path()).mkdir(QStringLiteral("tmp"))) {
    FFailure = QStringLiteral("No temporary directory for MariaDB's tables in ") + state.Dir.path();
    return;
  }
  const QString tmp = QStringLiteral("--tmpdir=") + state.Path(QStringLiteral("tmp"));
  const TProgramOutput install =
      Run(state.As, Program(QStringLiteral("mariadb-install-db")),
          QStringList{QStringLiteral("--no-defaults"), data, tmp,
                      QStringLiteral("--auth-root-authentication-method=normal"), QStringLiteral("--skip-test-db")}
              + asRoot,
          QByteArray(), StartTimeoutMs, state.Dir.path());
  if (!install.Ok()) {
    FFailure = QStringLiteral("mariadb-install-db failed: ") + install.Describe();
    return;
  }
  const QString socket = SocketFile();
  FFailure = state.StartServer(
      Program(QStringLiteral("mariadbd")),
      QStringList{QStringLiteral("--no-defaults"), data, tmp, QStringLiteral("--socket=") + socket,
                  QStringLiteral("--skip-networking"),
                  QStringLiteral("--pid-file=") + state.Path(QStringLiteral("pid")),
                  QStringLiteral("--innodb-buffer-pool-size=64M"),
                  QStringLiteral("--innodb-flush-log-at-trx-commit=0"),
                  // A throw-away server: tables in the shared tablespace, and
                  // no file synced, so that thousands of tables are made fast.
                  QStringLiteral("--skip-innodb-file-per-table"), QStringLiteral("--skip-innodb-doublewrite"),
                  QStringLiteral("--innodb-flush-method=nosync"), QStringLiteral("--skip-sync-frm")}
          + asRoot,
      [&] { return QFileInfo::exists(socket) && Client(QString(), QStringLiteral("SELECT 1;")).Ok(); });
  if (!FFailure.isEmpty())
    return;
  const TProgramOutput user =
      Client(QString(), QStringLiteral("CREATE USER '%1'@'localhost' IDENTIFIED BY '%2'; "
                                       "GRANT ALL ON *.* TO '%1'@'localhost';")
                            .arg(PasswordUser(), UserPassword()));
  if (!user.Ok())
    FFailure = user.Describe();
}

}  // namespace veska::testkit
