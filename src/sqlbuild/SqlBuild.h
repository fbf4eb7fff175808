#pragma once
// Building a model into an SQL database: the dialects, the statements of a
// build as steps, and the choices a build is made with. The statements come
// from the model (SqlSchema.h); a build runs them on a live connection
// (SqlRun.h) or writes them as a script that does the same (SqlScript.h).

#include <QString>
#include <QStringList>

#include <optional>

namespace veska {

class TIniFile;

enum class TSqlDialect { SQLite, PostgreSQL, MySQL };

// The dialect named by the server's "Dialect" key ("SQLite", "PostgreSQL" or
// "MySQL", letter case ignored); none for a server without one, such as the
// desktop servers "Paradox" and "Dbase".
std::optional<TSqlDialect> ReadSqlDialect(const TIniFile& ini, const QString& server);
// "SQLite", "PostgreSQL", "MySQL".
QString SqlDialectName(TSqlDialect dialect);
// The Qt SQL driver of the dialect: "QSQLITE", "QPSQL", "QMYSQL".
QString SqlDriverName(TSqlDialect dialect);

// One statement of a build, with the progress line that shows while it runs.
struct TSqlStep {
  enum TKind {
    // Dropping what may not be there: a failure is passed over silently.
    Drop,
    // Creating: a failure counts as an error and asks Abort or Ignore.
    Create,
  };
  TKind Kind = Create;
  // "Dropping Table NAME", "Creating Domain NAME", "Creating Table NAME",
  // "Creating Index NAME", "Creating Relation NAME", "Creating Process NAME".
  QString Caption;
  // One statement without its closing ";"; empty when Error is set.
  QString Statement;
  // Why the step cannot be built (a data type the server's map lacks, a
  // table name another entity has): an error of the run, and nothing runs.
  QString Error;
};

// The options of the build dialog and of `veska-cli build-database`.
struct TSqlBuildOptions {
  bool DropTables = false;
  bool CreateTables = true;
  bool PrimaryKeys = true;
  bool ForeignKeys = true;
  bool Domains = true;
  bool Processes = false;
  // The entities to build, by name, in the order chosen.
  QStringList TableFilter;
};

// Where the statements of a build go: a live database (SqlRun.h) or a
// script file (SqlScript.h). The run (RunSqlBuild in SqlRun.h) calls Begin
// once, Execute for each step that has a statement, and End once unless
// Begin failed.
class TSqlTarget {
public:
  virtual ~TSqlTarget() = default;
  // Connects, or starts the script; the reason when it cannot (the server's
  // own message), which ends the run as one error.
  virtual QString Begin() = 0;
  // Runs or writes one statement; the server's message when it failed, and
  // the target is then as it was before the statement.
  virtual QString Execute(const TSqlStep& step) = 0;
  // Keeps everything (`commit`) or nothing that the run can take back; the
  // reason when that failed.
  virtual QString End(bool commit) = 0;
};

}  // namespace veska
