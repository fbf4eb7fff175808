#pragma once
// Running the steps of an SQL build on a target: a progress line for each
// step, Abort or Ignore when one fails, and the live database target over
// Qt SQL.

#include "sqlbuild/SqlBuild.h"
#include "sqlbuild/SqlConnection.h"
#include "tablebuild/BuildRun.h"

#include <QSqlError>
#include <QString>
#include <QStringList>

#include <vector>

namespace veska {

class TMessageService;
class TProgress;

struct TSqlRunResult {
  int ErrorCount = 0;
  // The user chose Abort on a failed step.
  bool Aborted = false;
  // false: the target could not begin (the server was not reached, the file
  // not opened); nothing was built.
  bool Reached = true;
  // false: the target could not keep what the run did (the commit or the
  // script's file failed), so nothing of it stands.
  bool Kept = true;
};

// Runs the steps on the target. A target that cannot begin shows the reason
// as an error, counts as one error and ends the run without the completion
// message: nothing ran, so nothing is reported as processed. Each step then
// shows its caption; a step with an Error, or a Create step the target
// fails, counts as an error and asks Abort or Ignore; a failed Drop step is
// passed over silently. Abort takes back what the target can (End(false))
// and ends the run at once. A run that goes through keeps its work
// (End(true); a failure there is one more error) and ends with the
// information "Processing completed." and the error count, if any. A `bar`
// counts the steps; it ends before the final information.
TSqlRunResult RunSqlBuild(const std::vector<TSqlStep>& steps, TSqlTarget& target, TMessageService& messages,
                          const TBuildProgress& progress, TProgress* bar = nullptr);

// Opens the Qt SQL connection registered as `name` (QSqlDatabase::addDatabase
// is called here; the caller removes it): the driver of the dialect, a
// connection timeout unless the options set one, the password in memory only
// and forgotten once the connection is open. `readOnly` opens a SQLite file
// without ever creating or writing it. The server's own message when it could
// not open, the password masked.
QString OpenSqlDatabase(TSqlDialect dialect, const TSqlConnection& connection, const QString& password,
                        const QString& name, bool readOnly = false);
// The server's own message of an error, with `password` (when not empty)
// masked.
QString SqlErrorText(const QSqlError& error, const QString& password);

// A live database over Qt SQL (drivers QSQLITE, QPSQL, QMYSQL).
//
// SQLite and PostgreSQL run the whole build as one transaction: End(false)
// leaves the database exactly as it was (a SQLite file that was missing
// stays, empty). Each statement runs inside a savepoint, and a failed one is
// rolled back to it, so that the build can go on after it (PostgreSQL refuses
// every later statement of a transaction that had a failure otherwise). On
// PostgreSQL a savepoint holds up to 100 statements: a failed one takes the
// build back to it, and those before it run again. MySQL commits each
// definition statement as it runs and cannot take one back: what ran before
// an Abort stays.
class TSqlDatabaseTarget final : public TSqlTarget {
public:
  // `password` is held in memory only; empty lets the client find one as its
  // own programs do (PostgreSQL: PGPASSWORD, ~/.pgpass; MySQL: MYSQL_PWD,
  // ~/.my.cnf).
  TSqlDatabaseTarget(TSqlDialect dialect, const TSqlConnection& connection, const QString& password);
  ~TSqlDatabaseTarget() override;
  TSqlDatabaseTarget(const TSqlDatabaseTarget&) = delete;
  TSqlDatabaseTarget& operator=(const TSqlDatabaseTarget&) = delete;

  QString Begin() override;
  QString Execute(const TSqlStep& step) override;
  QString End(bool commit) override;

private:
  QString Message(const QSqlError& error) const { return SqlErrorText(error, FPassword); }
  // Runs one statement; its error message, empty when it ran.
  QString Run(const QString& statement);

  TSqlDialect FDialect;
  TSqlConnection FConnection;
  QString FPassword;
  // This target's own Qt SQL connection; registered by Begin.
  QString FConnectionName;
  bool FAdded = false;
  bool FInTransaction = false;
  // PostgreSQL: a savepoint is set, and the statements that ran since.
  bool FSavepointHeld = false;
  QStringList FSinceSavepoint;
};

}  // namespace veska
