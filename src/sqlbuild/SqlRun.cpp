#include "sqlbuild/SqlRun.h"

#include "platform/MessageService.h"
#include "platform/Progress.h"

#include <QSqlDatabase>
#include <QSqlQuery>

#include <atomic>

namespace veska {

namespace {

// How long a connection waits for a server that does not answer, in
// seconds, unless the connection's options say otherwise: a host that is
// down must not hang the build.
constexpr int ConnectTimeout = 15;

// The savepoint each statement of a transaction runs in.
const QString StepSavepoint = QStringLiteral("veska_step");
// PostgreSQL: how many statements run in one savepoint at most, and run
// again after a failure among them.
constexpr qsizetype SavepointInterval = 100;

QString NewConnectionName()
{
  static std::atomic<quint64> next{0};
  return QStringLiteral("veska-sql-build-%1").arg(++next);
}

}  // namespace

QString OpenSqlDatabase(TSqlDialect dialect, const TSqlConnection& connection, const QString& password,
                        const QString& name, bool readOnly)
{
  QSqlDatabase db = QSqlDatabase::addDatabase(SqlDriverName(dialect), name);
  QStringList options;
  if (!connection.Options.trimmed().isEmpty())
    options << connection.Options.trimmed();
  switch (dialect) {
  case TSqlDialect::SQLite:
    db.setDatabaseName(connection.DatabaseFile);
    if (readOnly)
      options << QStringLiteral("QSQLITE_OPEN_READONLY");
    break;
  case TSqlDialect::PostgreSQL:
    // libpq takes a socket directory as the host, and finds a password in
    // PGPASSWORD or ~/.pgpass itself when none is given.
    db.setHostName(connection.Host);
    db.setDatabaseName(connection.Database);
    if (!connection.Options.contains(QLatin1String("connect_timeout")))
      options << QStringLiteral("connect_timeout=%1").arg(ConnectTimeout);
    break;
  case TSqlDialect::MySQL:
    if (connection.Host.startsWith(QLatin1Char('/')))
      options << QStringLiteral("UNIX_SOCKET=") + connection.Host;
    else
      db.setHostName(connection.Host);
    db.setDatabaseName(connection.Database);
    if (!connection.Options.contains(QLatin1String("MYSQL_OPT_CONNECT_TIMEOUT"), Qt::CaseInsensitive))
      options << QStringLiteral("MYSQL_OPT_CONNECT_TIMEOUT=%1").arg(ConnectTimeout);
    break;
  }
  if (dialect != TSqlDialect::SQLite) {
    if (connection.Port > 0)
      db.setPort(connection.Port);
    db.setUserName(connection.User);
    db.setPassword(password);
  }
  // libpq's options are apart by blanks, QMYSQL's and QSQLITE's by semicolons.
  db.setConnectOptions(options.join(dialect == TSqlDialect::PostgreSQL ? QStringLiteral(" ") : QStringLiteral(";")));
  const bool opened = db.open();
  // The open connection needs the password no more.
  db.setPassword(QString());
  return opened ? QString() : SqlErrorText(db.lastError(), password);
}

QString SqlErrorText(const QSqlError& error, const QString& password)
{
  QString text = error.databaseText().trimmed();
  if (text.isEmpty())
    text = error.text().trimmed();
  if (text.isEmpty())
    text = QStringLiteral("The database reported an error without a message.");
  if (!password.isEmpty())
    text.replace(password, QStringLiteral("********"));
  return text;
}

TSqlRunResult RunSqlBuild(const std::vector<TSqlStep>& steps, TSqlTarget& target, TMessageService& messages,
                          const TBuildProgress& progress, TProgress* bar)
{
  TSqlRunResult result;
  TProgressRun run(bar, QStringLiteral("Building the database"), qint64(steps.size()));
  if (const QString error = target.Begin(); !error.isEmpty()) {
    run.Finish();
    result.Reached = false;
    result.ErrorCount = 1;
    messages.Error(error);
    return result;
  }
  // The target's End, whose failure is one more error.
  auto end = [&](bool commit) {
    if (const QString error = target.End(commit); !error.isEmpty()) {
      ++result.ErrorCount;
      messages.Error(error);
      return false;
    }
    return true;
  };
  qint64 done = 0;
  for (const TSqlStep& step : steps) {
    if (progress)
      progress(step.Caption);
    run.Step(++done);
    QString error = step.Error;
    if (error.isEmpty() && !step.Statement.isEmpty()) {
      error = target.Execute(step);
      // What is dropped may not be there: creating it reports what matters.
      if (step.Kind == TSqlStep::Drop)
        error.clear();
    }
    if (error.isEmpty())
      continue;
    ++result.ErrorCount;
    if (messages.Show(TMsgDlgType::mtConfirmation, error, mbAbort | mbIgnore) == mbAbort) {
      result.Aborted = true;
      run.Finish();
      // A database that could not be put back is worth knowing about even
      // when the run ends without its completion message.
      end(false);
      return result;
    }
  }
  result.Kept = end(true);
  run.Finish();
  messages.Information(BuildCompletedMessage(result.ErrorCount));
  return result;
}

TSqlDatabaseTarget::TSqlDatabaseTarget(TSqlDialect dialect, const TSqlConnection& connection,
                                       const QString& password)
    : FDialect(dialect), FConnection(connection), FPassword(password), FConnectionName(NewConnectionName())
{
}

TSqlDatabaseTarget::~TSqlDatabaseTarget()
{
  if (!FAdded)
    return;
  {
    // Every handle of the connection is gone before it is removed.
    QSqlDatabase db = QSqlDatabase::database(FConnectionName, false);
    if (FInTransaction)
      db.rollback();
    db.close();
  }
  QSqlDatabase::removeDatabase(FConnectionName);
}

QString TSqlDatabaseTarget::Begin()
{
  const QString driver = SqlDriverName(FDialect);
  if (!QSqlDatabase::isDriverAvailable(driver))
    return QStringLiteral("The Qt SQL driver %1 for %2 is not installed.").arg(driver, SqlDialectName(FDialect));
  if (FDialect == TSqlDialect::SQLite && FConnection.DatabaseFile.isEmpty())
    return QStringLiteral("No database file is given for SQLite.");
  if (FDialect == TSqlDialect::MySQL && FPassword.isEmpty())
    FPassword = MySqlDefaultPassword();

  FAdded = true;
  QString error = OpenSqlDatabase(FDialect, FConnection, FPassword, FConnectionName);
  if (!error.isEmpty())
    return error;

  // SQLite checks foreign keys only when asked, and only outside a
  // transaction can it be asked.
  if (FDialect == TSqlDialect::SQLite)
    error = Run(QStringLiteral("PRAGMA foreign_keys = ON"));
  // Every statement of a build rewrites the schema table, which holds each
  // table's CREATE statement: for thousands of tables SQLite's default page
  // cache (2 MB) reads it back from the file for every statement. The cache
  // is this connection's; the file does not keep it.
  if (error.isEmpty() && FDialect == TSqlDialect::SQLite)
    error = Run(QStringLiteral("PRAGMA cache_size = -262144"));
  // PostgreSQL's notices (a table not there to drop) would go to standard
  // error beside the run's own messages; its warnings and errors still come.
  if (error.isEmpty() && FDialect == TSqlDialect::PostgreSQL)
    error = Run(QStringLiteral("SET client_min_messages = warning"));
  if (error.isEmpty() && FDialect != TSqlDialect::MySQL) {
    QSqlDatabase db = QSqlDatabase::database(FConnectionName, false);
    if (db.transaction())
      FInTransaction = true;
    else
      error = Message(db.lastError());
  }
  if (!error.isEmpty())
    QSqlDatabase::database(FConnectionName, false).close();
  return error;
}

QString TSqlDatabaseTarget::Execute(const TSqlStep& step)
{
  if (!FInTransaction)
    return Run(step.Statement);
  if (FDialect == TSqlDialect::PostgreSQL) {
    // PostgreSQL's release of a savepoint walks every relation the
    // transaction made so far, which for thousands of tables costs more than
    // the statements: a savepoint is set only before every
    // SavepointInterval-th statement. A failed statement takes the
    // transaction back to it, and the statements since it, which ran before,
    // run again. The savepoint before is released as the next is set, in one
    // round trip (SQLite's driver would run only its first statement); COMMIT
    // and ROLLBACK end the last one with the transaction.
    if (!FSavepointHeld || FSinceSavepoint.size() >= SavepointInterval) {
      const QString savepoint = QStringLiteral("SAVEPOINT ") + StepSavepoint;
      if (const QString error = Run(FSavepointHeld ? QStringLiteral("RELEASE ") + savepoint + QStringLiteral("; ")
                                                         + savepoint
                                                   : savepoint);
          !error.isEmpty())
        return error;
      FSavepointHeld = true;
      FSinceSavepoint.clear();
    }
    const QString error = Run(step.Statement);
    if (error.isEmpty()) {
      FSinceSavepoint.push_back(step.Statement);
      return error;
    }
    Run(QStringLiteral("ROLLBACK TO SAVEPOINT ") + StepSavepoint);
    for (qsizetype i = 0; i < FSinceSavepoint.size(); ++i) {
      if (const QString again = Run(FSinceSavepoint[i]); !again.isEmpty()) {
        // What ran once runs again in the same state; should it not, the
        // statements from it on are not built, which is said.
        const QString lost = QStringLiteral("%1\n\nRunning the %2 statements before it again failed (%3): they "
                                            "are not built.")
                                 .arg(error)
                                 .arg(FSinceSavepoint.size() - i)
                                 .arg(again);
        Run(QStringLiteral("ROLLBACK TO SAVEPOINT ") + StepSavepoint);
        FSinceSavepoint.resize(i);
        for (const QString& statement : std::as_const(FSinceSavepoint))
          Run(statement);
        return lost;
      }
    }
    return error;
  }
  if (const QString error = Run(QStringLiteral("SAVEPOINT ") + StepSavepoint); !error.isEmpty())
    return error;
  const QString error = Run(step.Statement);
  if (!error.isEmpty())
    Run(QStringLiteral("ROLLBACK TO SAVEPOINT ") + StepSavepoint);
  Run(QStringLiteral("RELEASE SAVEPOINT ") + StepSavepoint);
  return error;
}

QString TSqlDatabaseTarget::End(bool commit)
{
  QString error;
  QSqlDatabase db = QSqlDatabase::database(FConnectionName, false);
  FSavepointHeld = false;
  FSinceSavepoint.clear();
  if (FInTransaction) {
    FInTransaction = false;
    if (!(commit ? db.commit() : db.rollback())) {
      error = Message(db.lastError());
      // Nothing of a failed commit may stay: SQLite keeps the transaction
      // open after a COMMIT that a deferred foreign key refused (PostgreSQL
      // has ended it already).
      if (commit && FDialect == TSqlDialect::SQLite)
        db.rollback();
    }
  }
  db.close();
  return error;
}

QString TSqlDatabaseTarget::Run(const QString& statement)
{
  QSqlQuery query(QSqlDatabase::database(FConnectionName, false));
  if (query.exec(statement))
    return QString();
  return Message(query.lastError());
}

}  // namespace veska
