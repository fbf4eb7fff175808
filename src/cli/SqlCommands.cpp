// The SQL builds of veska-cli: build-database for a server with an SQL
// dialect, which builds into a live database, and schema, which writes the
// statements of the same build as a script.

#include "cli/CommandSupport.h"
#include "cli/DatabaseArgs.h"
#include "platform/IniFile.h"
#include "platform/TextMeasurer.h"
#include "sqlbuild/SqlConnection.h"
#include "sqlbuild/SqlRun.h"
#include "sqlbuild/SqlSchema.h"
#include "sqlbuild/SqlScript.h"
#include "tablebuild/ServerDefinitions.h"

#include <optional>

namespace veska::cli {

namespace {

// Opens IN and builds the steps for the chosen entities onto `target`;
// ExitOk, or the status of what went wrong. A target that could not keep
// the run's work is a file error when `keptIsAFile` (a script that was not
// written), else failed statements (a commit the server refused).
int RunOnTarget(const TDatabaseArgs& args, TSqlTarget& target, TIgnoringMessages& messages, bool keptIsAFile,
                std::FILE* out, std::FILE* err)
{
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  const int status = OpenInto(surface, args.Files[0], err);
  if (NothingRead(status))
    return status;
  TSqlBuildOptions options = args.Options;
  if (const int chosen = ChooseEntities(surface, args.Files[0], args.EntitiesGiven, options.TableFilter, err))
    return chosen;
  const TIniFile ini(args.Settings);
  const TSqlRunResult result =
      RunSqlBuild(SqlBuildSteps(ini, args.Server, surface, options), target, messages, [out](const QString& line) {
        PrintLine(out, line);
        std::fflush(out);
      });
  if (!result.Reached || (keptIsAFile && !result.Kept))
    return ExitFileError;
  return result.ErrorCount > 0 ? ExitBuildErrors : status;
}

}  // namespace

int BuildSqlDatabase(const TDatabaseArgs& args, TSqlDialect dialect, std::FILE* out, std::FILE* err)
{
  if (args.Files.size() != 1) {
    PrintLine(err, QStringLiteral("veska-cli: build-database needs IN alone for %1, and --database or --connect "
                                  "(see veska-cli --help)")
                       .arg(args.Server));
    return ExitUsage;
  }
  TSqlConnection connection;
  if (const int status =
          SqlConnectionOf(QStringLiteral("builds into"), args.Server, dialect, args.Database, args.Connect,
                          connection, err))
    return status;
  TIgnoringMessages messages(err, args.StopOnError);
  // No password is ever an argument: the client library finds it where its
  // own programs do.
  TSqlDatabaseTarget target(dialect, connection, QString());
  return RunOnTarget(args, target, messages, false, out, err);
}

int Schema(const QStringList& arguments, const QString& programDirectory, std::FILE* out, std::FILE* err)
{
  TDatabaseArgs args;
  if (const int status =
          ParseDatabaseArgs(QStringLiteral("schema"), QStringLiteral("IN and OUT"), 2, arguments, programDirectory,
                            args, err))
    return status;
  const TIniFile ini(args.Settings);
  const std::optional<TSqlDialect> dialect = ReadSqlDialect(ini, args.Server);
  if (!dialect || !ReadServer(ini, args.Server).SchemaFileSupport) {
    PrintLine(err, QStringLiteral("veska-cli: %1 writes no schema scripts").arg(args.Server));
    return ExitUsage;
  }
  if (!args.Database.isEmpty() || !args.Connect.isEmpty()) {
    PrintLine(err, QStringLiteral("veska-cli: schema writes a script and connects to nothing"));
    return ExitUsage;
  }
  TIgnoringMessages messages(err, args.StopOnError);
  TSqlScriptTarget target(args.Files[1], *dialect);
  return RunOnTarget(args, target, messages, true, out, err);
}

}  // namespace veska::cli
