// The database commands: build-database, which builds the tables of a
// diagram's entities (desktop tables here, an SQL database in
// SqlCommands.cpp), and reverse-engineer, which reads a directory of tables
// into a new diagram.

#include "cli/CommandSupport.h"
#include "cli/DatabaseArgs.h"
#include "cli/StreamMessages.h"
#include "engine/TableEngine.h"
#include "platform/IniFile.h"
#include "platform/TextMeasurer.h"
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

int ReverseEngineer(const QStringList& args, const QString& programDirectory, std::FILE* err)
{
  QString settingsGiven;
  const std::map<QString, TOptionHandler> options = {
    {QStringLiteral("--settings"), ValueOption(QStringLiteral("a file name"), settingsGiven, err)},
  };
  QStringList files;
  if (const int status =
          ParseCommandLine(QStringLiteral("reverse-engineer"), QStringLiteral("DIR and OUT"), args, options, files, err))
    return status;
  // Reading tables needs nothing from the settings file; a FILE named is
  // still checked, as for the other commands.
  QString settings;
  if (const int status = SettingsFile(settingsGiven, programDirectory, settings, err))
    return status;
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
