#include "cli/DatabaseArgs.h"

#include "cli/CommandSupport.h"
#include "platform/IniFile.h"
#include "tablebuild/ServerDefinitions.h"

#include <QSet>

#include <algorithm>
#include <map>
#include <optional>

namespace veska::cli {

namespace {

// The entity names of a "--tables" list: every name given once, none empty
// (letter case ignored, as entity names are compared). Returns ExitOk or
// ExitUsage after saying why.
int SplitEntityNames(const QString& option, const QString& list, QStringList& names, std::FILE* err)
{
  QSet<QString> seen;
  for (const QString& name : list.split(QLatin1Char(','))) {
    if (name.isEmpty()) {
      PrintLine(err, QStringLiteral("veska-cli: %1 needs entity names separated by single commas").arg(option));
      return ExitUsage;
    }
    if (seen.contains(name.toCaseFolded())) {
      PrintLine(err, QStringLiteral("veska-cli: %1 names the entity %2 twice").arg(option, name));
      return ExitUsage;
    }
    seen.insert(name.toCaseFolded());
    names << name;
  }
  return ExitOk;
}

}  // namespace

int ChooseServer(const TIniFile& ini, QString& server, std::FILE* err)
{
  const QStringList servers = ReadServers(ini);
  if (server.isEmpty()) {
    if (servers.isEmpty()) {
      PrintLine(err, QStringLiteral("veska-cli: the settings file lists no servers; name one with --server"));
      return ExitUsage;
    }
    server = servers.first();
    return ExitOk;
  }
  // The name as the settings file spells it, as the desktop program's list
  // offers it.
  const auto it = std::find_if(servers.begin(), servers.end(),
                               [&](const QString& s) { return s.compare(server, Qt::CaseInsensitive) == 0; });
  if (it == servers.end()) {
    PrintLine(err, QStringLiteral("veska-cli: unknown server %1").arg(server));
    return ExitUsage;
  }
  server = *it;
  return ExitOk;
}

int SqlConnectionOf(const QString& use, const QString& server, TSqlDialect dialect, const QString& database,
                    const QString& connect, TSqlConnection& connection, std::FILE* err)
{
  if (dialect == TSqlDialect::SQLite) {
    if (database.isEmpty() || !connect.isEmpty()) {
      PrintLine(err, QStringLiteral("veska-cli: %1 %2 the database file of --database FILE").arg(server, use));
      return ExitUsage;
    }
    connection.DatabaseFile = database;
    return ExitOk;
  }
  if (!database.isEmpty()) {
    PrintLine(err,
              QStringLiteral("veska-cli: %1 connects through --connect \"host=... dbname=... user=...\"").arg(server));
    return ExitUsage;
  }
  QString error;
  const std::optional<TSqlConnection> parsed = ParseSqlConnection(connect, &error);
  if (!parsed) {
    PrintLine(err, QStringLiteral("veska-cli: --connect: %1").arg(error));
    return ExitUsage;
  }
  connection = *parsed;
  return ExitOk;
}

TMsgButton TIgnoringMessages::Show(TMsgDlgType type, const QString& text, int buttons)
{
  const TMsgButton printed = FPrinter.Show(type, text, buttons);
  if (FAbort && (buttons & mbAbort))
    return mbAbort;
  return (buttons & mbIgnore) ? mbIgnore : printed;
}

int ParseDatabaseArgs(const QString& command, const QString& fileNames, int fewest, const QStringList& args,
                      const QString& programDirectory, TDatabaseArgs& parsed, std::FILE* err)
{
  TSqlBuildOptions& build = parsed.Options;
  QString settingsGiven;
  // An option only SQL servers take: noted, so that a desktop build can
  // refuse it.
  const auto sqlOnly = [&parsed](TOptionHandler handler) -> TOptionHandler {
    return [&parsed, handler = std::move(handler)](const QStringList& a, int& i) {
      parsed.SqlOnly << a[i];
      return handler(a, i);
    };
  };
  const std::map<QString, TOptionHandler> options = {
    {QStringLiteral("--server"), ValueOption(QStringLiteral("a server name"), parsed.Server, err)},
    {QStringLiteral("--settings"), ValueOption(QStringLiteral("a file name"), settingsGiven, err)},
    {QStringLiteral("--tables"),
     [&](const QStringList& a, int& i) {
       QString list;
       if (const int status = ValueOption(QStringLiteral("entity names"), list, err)(a, i))
         return status;
       parsed.EntitiesGiven = true;
       return SplitEntityNames(a[i - 1], list, parsed.Entities, err);
     }},
    {QStringLiteral("--drop"), FlagOption(build.DropTables)},
    {QStringLiteral("--no-create"), FlagOption(build.CreateTables, false)},
    {QStringLiteral("--stop-on-error"), FlagOption(parsed.StopOnError)},
    {QStringLiteral("--database"), sqlOnly(ValueOption(QStringLiteral("a database file"), parsed.Database, err))},
    {QStringLiteral("--connect"), sqlOnly(ValueOption(QStringLiteral("a connection text"), parsed.Connect, err))},
    {QStringLiteral("--no-primary-key"), sqlOnly(FlagOption(build.PrimaryKeys, false))},
    {QStringLiteral("--no-foreign-keys"), sqlOnly(FlagOption(build.ForeignKeys, false))},
    {QStringLiteral("--no-domains"), sqlOnly(FlagOption(build.Domains, false))},
    {QStringLiteral("--processes"), sqlOnly(FlagOption(build.Processes))},
  };
  if (const int status = ParseCommandLine(command, fileNames, args, options, parsed.Files, err, fewest))
    return status;
  if (const int status = SettingsFile(settingsGiven, programDirectory, parsed.Settings, err))
    return status;
  return ChooseServer(TIniFile(parsed.Settings), parsed.Server, err);
}

}  // namespace veska::cli
