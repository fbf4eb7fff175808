// The database commands: build-database, which builds the tables of a
// diagram's entities, and reverse-engineer, which reads a directory of tables
// into a new diagram.

#include "cli/CommandSupport.h"
#include "cli/StreamMessages.h"
#include "engine/TableEngine.h"
#include "platform/IniFile.h"
#include "platform/TextMeasurer.h"
#include "tablebuild/BuildRun.h"
#include "tablebuild/ReEngineer.h"
#include "tablebuild/ServerDefinitions.h"

#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace veska::cli {

namespace {

// Headless, nobody can choose: a question offering Ignore is answered Ignore,
// so that one failure does not stop the rest of the work, or Abort when the
// caller asked to stop at the first error; everything is still printed.
class TIgnoringMessages final : public TMessageService {
public:
  TIgnoringMessages(std::FILE* stream, bool abort) : FPrinter(stream), FAbort(abort) {}
  TMsgButton Show(TMsgDlgType type, const QString& text, int buttons) override
  {
    const TMsgButton printed = FPrinter.Show(type, text, buttons);
    if (FAbort && (buttons & mbAbort))
      return mbAbort;
    return (buttons & mbIgnore) ? mbIgnore : printed;
  }

private:
  TStreamMessages FPrinter;
  bool FAbort;
};

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

// The server to build for: the one named in `server`, or the first one the
// settings file lists when none is. Returns ExitOk or ExitUsage (after
// saying why).
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

}  // namespace

int BuildDatabase(const QStringList& args, const QString& programDirectory, std::FILE* out, std::FILE* err)
{
  TBuildSettings build;  // creates tables, drops none
  QString server;
  QString settingsGiven;
  QStringList entities;
  bool entitiesGiven = false;
  bool stopOnError = false;
  const std::map<QString, TOptionHandler> options = {
    {QStringLiteral("--server"), ValueOption(QStringLiteral("a server name"), server, err)},
    {QStringLiteral("--settings"), ValueOption(QStringLiteral("a file name"), settingsGiven, err)},
    {QStringLiteral("--tables"),
     [&](const QStringList& a, int& i) {
       QString list;
       if (const int status = ValueOption(QStringLiteral("entity names"), list, err)(a, i))
         return status;
       entitiesGiven = true;
       return SplitEntityNames(a[i - 1], list, entities, err);
     }},
    {QStringLiteral("--drop"),
     [&](const QStringList&, int&) {
       build.DropTables = true;
       return int(ExitOk);
     }},
    {QStringLiteral("--no-create"),
     [&](const QStringList&, int&) {
       build.CreateTables = false;
       return int(ExitOk);
     }},
    {QStringLiteral("--stop-on-error"),
     [&](const QStringList&, int&) {
       stopOnError = true;
       return int(ExitOk);
     }},
  };
  QStringList files;
  if (const int status =
          ParseCommandLine(QStringLiteral("build-database"), QStringLiteral("IN and DIR"), args, options, files, err))
    return status;
  QString settings;
  if (const int status = SettingsFile(settingsGiven, programDirectory, settings, err))
    return status;
  const TIniFile ini(settings);
  if (const int status = ChooseServer(ini, server, err))
    return status;
  if (const int status = CheckDirectory(files[1], err))
    return status;
  if (!QFileInfo(files[1]).isWritable()) {
    PrintLine(err, QStringLiteral("error: %1: Permission denied").arg(files[1]));
    return ExitFileError;
  }

  TIgnoringMessages messages(err, stopOnError);
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  const int status = OpenInto(surface, files[0], err);
  if (NothingRead(status))
    return status;
  if (const int chosen = ChooseEntities(surface, files[0], entitiesGiven, entities, err))
    return chosen;
  build.ServerName = server;
  build.Directory = files[1];
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
