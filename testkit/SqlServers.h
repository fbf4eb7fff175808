#pragma once
// Real SQL servers for the tests and benchmarks: a PostgreSQL and a MariaDB
// server started in a temporary directory on first use, shared by the whole
// program and stopped by StopSharedServers (and killed with the program if
// it dies), listening on a Unix socket there only. Each user takes a fresh
// database of its own. The servers' own command-line clients (psql,
// mariadb, sqlite3) apply scripts and read the catalogs back.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace veska::testkit {

// What a program that ran to its end wrote, and how it ended.
struct TProgramOutput {
  QString Command;
  bool Started = false;
  bool TimedOut = false;
  int ExitCode = -1;
  QString Output;
  QString Errors;

  bool Ok() const { return Started && !TimedOut && ExitCode == 0; }
  // The output without its last line break, split into lines.
  QStringList Lines() const;
  // The command, how it ended and what it wrote to standard error: the text
  // of a test failure.
  QString Describe() const;
};

// Runs a program to its end with `input` on its standard input, waiting at
// most `timeoutMs`. Passwords go through the input or the environment, never
// the arguments. The program sees no PGPASSWORD or MYSQL_PWD of the tests.
TProgramOutput RunProgram(const QString& program, const QStringList& arguments, const QByteArray& input = {},
                          int timeoutMs = 60000);

// sqlite3 on a database file, the statements on its standard input; rows as
// "a|b".
TProgramOutput RunSqlite3(const QString& file, const QString& sql);

// Receives the reason CreateDatabase could not make a database.
using TFailureReporter = void (*)(const QString& reason);
void SetFailureReporter(TFailureReporter reporter);

// Stops every shared server that started.
void StopSharedServers();

class TSqlServer {
public:
  virtual ~TSqlServer();
  // Empty when the server runs; else why it does not, with its log.
  const QString& Failure() const { return FFailure; }
  // A new empty database; empty, and the reason reported (see
  // SetFailureReporter), when it could not be made.
  QString CreateDatabase();
  // Runs statements through the server's command-line client as its
  // superuser in `database` (empty: none); rows as "a|b" (psql) or "a\tb"
  // (mariadb), the values as stored (no escapes for line breaks or tabs).
  virtual TProgramOutput Client(const QString& database, const QString& sql) const = 0;
  // A login that needs its password, and the password.
  static QString PasswordUser() { return QStringLiteral("veska_pw"); }
  static QString UserPassword() { return QStringLiteral("S3cret-Pw-4711"); }
  void Stop();

protected:
  TSqlServer() = default;
  // Starts the server in FDir; FFailure tells why when it cannot.
  virtual void Start() = 0;

  struct TState;
  std::unique_ptr<TState> FState;
  QString FFailure;
  int FDatabases = 0;
};

class TPostgresServer final : public TSqlServer {
public:
  // The shared server, started on the first call.
  static TPostgresServer& Shared();
  // The directory of the server's Unix socket: the host libpq connects to.
  QString SocketDirectory() const;
  int Port() const { return 5432; }
  // The superuser, who logs in without a password.
  static QString SuperUser() { return QStringLiteral("postgres"); }
  TProgramOutput Client(const QString& database, const QString& sql) const override;

private:
  void Start() override;
};

class TMariaDbServer final : public TSqlServer {
public:
  static TMariaDbServer& Shared();
  // The server's Unix socket file.
  QString SocketFile() const;
  // root, who logs in with an empty password.
  static QString SuperUser() { return QStringLiteral("root"); }
  TProgramOutput Client(const QString& database, const QString& sql) const override;

private:
  void Start() override;
};

}  // namespace veska::testkit
