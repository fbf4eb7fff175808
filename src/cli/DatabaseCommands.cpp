// The database commands: build-database, which builds the tables of a
// diagram's entities (desktop tables here, an SQL database in
// SqlCommands.cpp), and reverse-engineer, which reads a directory of tables
// or an SQL database into a new diagram.

#include "cli/CommandSupport.h"
#include "cli/DatabaseArgs.h"
#include "arrange/Arrange.h"
#include "cli/StreamMessages.h"
#include "engine/TableEngine.h"
#include "platform/IniFile.h"
#include "platform/TextMeasurer.h"
#include "sqlreverse/SqlReverse.h"
#include "tablebuild/BuildRun.h"
#include "tablebuild/ReEngineer.h"
#include "tablebuild/ServerDefinitions.h"

#include <QFileInfo>

#include <optional>

namespace veska::cli {

int BuildDatabase(const QStringList& args, const QString& programDirectory, std::FILE* out, std::FILE* err)
{
  TDatabaseArgs parsed;
  if (const int status = ParseDatabaseArgs(QStringLiteral("build-database"),
                                           QStringLiteral("IN and DIR (IN alone for an SQL server)"), 1, args,
                                           programDirectory, parsed, err))
    return status;
  const TIniFile ini(parsed.Settings);
  if (const std::optional<TSqlDialect> dialect = ReadSqlDialect(ini, parsed.Server))
    return BuildSqlDatabase(parsed, *dialect, out, err);

  // Desktop tables go into a directory, and take none of the SQL options.
  if (!parsed.SqlOnly.isEmpty()) {
    PrintLine(err, QStringLiteral("veska-cli: %1 is for SQL servers; %2 builds desktop tables")
                       .arg(parsed.SqlOnly.first(), parsed.Server));
    return ExitUsage;
  }
  if (parsed.Files.size() != 2) {
    PrintLine(err, QStringLiteral("veska-cli: build-database needs IN and DIR for %1 (see veska-cli --help)")
                       .arg(parsed.Server));
    return ExitUsage;
  }
  const QString& dir = parsed.Files[1];
  if (const int status = CheckDirectory(dir, err))
    return status;
  if (!QFileInfo(dir).isWritable()) {
    PrintLine(err, QStringLiteral("error: %1: Permission denied").arg(dir));
    return ExitFileError;
  }

  TIgnoringMessages messages(err, parsed.StopOnError);
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  const int status = OpenInto(surface, parsed.Files[0], err);
  if (NothingRead(status))
    return status;
  QStringList entities = parsed.Entities;
  if (const int chosen = ChooseEntities(surface, parsed.Files[0], parsed.EntitiesGiven, entities, err))
    return chosen;
  TBuildSettings build;
  build.ServerName = parsed.Server;
  build.DropTables = parsed.Options.DropTables;
  build.CreateTables = parsed.Options.CreateTables;
  build.Directory = dir;
  build.TableFilter = entities;
  const TBuildResult result = RunBuild(ini, build, surface, messages, [out](const QString& line) {
    PrintLine(out, line);
    std::fflush(out);
  });
  return result.ErrorCount > 0 ? ExitBuildErrors : status;
}

namespace {

// reverse-engineer --server NAME: the SQL database into OUT, arranged.
int ReverseEngineerSqlDatabase(const QString& server, TSqlDialect dialect, const QString& settings,
                               const QString& database, const QString& connect, const QString& schema,
                               const QString& out, std::FILE* err)
{
  TSqlConnection connection;
  if (const int status = SqlConnectionOf(QStringLiteral("reads"), server, dialect, database, connect, connection, err))
    return status;
  if (!schema.isEmpty() && dialect != TSqlDialect::PostgreSQL) {
    PrintLine(err, QStringLiteral("veska-cli: --schema is for PostgreSQL; %1 has none").arg(server));
    return ExitUsage;
  }
  TStreamMessages messages(err);
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  PrepareNewDiagram(surface);
  // No password is ever an argument: the client library finds it where its
  // own programs do.
  const TSqlReverseResult result =
      ReverseEngineerSql(surface, TIniFile(settings), server, connection, QString(), schema);
  if (!result.Error.isEmpty()) {
    // A database that cannot be reached or read (a missing SQLite file, or
    // one that is no database) gives nothing to write.
    messages.Error(result.Error);
    return ExitFileError;
  }
  ArrangeDiagram(surface, false);
  messages.Information(SqlReverseCompletion(result));
  if (const int written = WriteDiagramFile(surface, out, err))
    return written;
  // What was read is written; what was not is named above.
  return result.Partial ? ExitCorrupted : ExitOk;
}

}  // namespace

int ReverseEngineer(const QStringList& args, const QString& programDirectory, std::FILE* err)
{
  QString settingsGiven;
  QString server;
  QString database;
  QString connect;
  QString schema;
  const std::map<QString, TOptionHandler> options = {
    {QStringLiteral("--settings"), ValueOption(QStringLiteral("a file name"), settingsGiven, err)},
    {QStringLiteral("--server"), ValueOption(QStringLiteral("a server name"), server, err)},
    {QStringLiteral("--database"), ValueOption(QStringLiteral("a database file"), database, err)},
    {QStringLiteral("--connect"), ValueOption(QStringLiteral("a connection text"), connect, err)},
    {QStringLiteral("--schema"), ValueOption(QStringLiteral("a schema name"), schema, err)},
  };
  QStringList files;
  const bool sql = args.contains(QStringLiteral("--server"));
  if (const int status = ParseCommandLine(QStringLiteral("reverse-engineer"),
                                          sql ? QStringLiteral("OUT") : QStringLiteral("DIR and OUT"), args, options,
                                          files, err, sql ? 1 : 2))
    return status;
  // Reading tables needs nothing from the settings file; a FILE named is
  // still checked, as for the other commands.
  QString settings;
  if (const int status = SettingsFile(settingsGiven, programDirectory, settings, err))
    return status;
  if (sql) {
    if (files.size() != 1) {
      PrintLine(err, QStringLiteral("veska-cli: reverse-engineer --server needs OUT alone (see veska-cli --help)"));
      return ExitUsage;
    }
    const TIniFile ini(settings);
    if (const int status = ChooseServer(ini, server, err))
      return status;
    const std::optional<TSqlDialect> dialect = ReadSqlDialect(ini, server);
    if (!dialect) {
      PrintLine(err, QStringLiteral("veska-cli: %1 is no SQL server; desktop tables are read from DIR without "
                                    "--server")
                         .arg(server));
      return ExitUsage;
    }
    return ReverseEngineerSqlDatabase(server, *dialect, settings, database, connect, schema, files[0], err);
  }
  if (!database.isEmpty() || !connect.isEmpty() || !schema.isEmpty()) {
    PrintLine(err, QStringLiteral("veska-cli: --database, --connect and --schema need --server"));
    return ExitUsage;
  }
  if (const int status = CheckDirectory(files[0], err))
    return status;

  TStreamMessages messages(err);
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  PrepareNewDiagram(surface);
  int status = ExitOk;
  try {
    // Files that are no tables are skipped and named.
    const QString completion = ReEngineerCompletion(ReEngineer(surface, files[0]));
    if (!completion.isEmpty())
      messages.Information(completion);
  } catch (const TEngineError& e) {
    // The tables read until then are kept and written.
    messages.Error(e.Message());
    status = ExitCorrupted;
  }
  if (const int written = WriteDiagramFile(surface, files[1], err))
    return written;
  return status;
}

}  // namespace veska::cli
