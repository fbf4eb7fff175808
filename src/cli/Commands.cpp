#include "cli/Commands.h"

#include "appgen/AppExpert.h"
#include "tablebuild/BuildRun.h"
#include "tablebuild/ReEngineer.h"
#include "tablebuild/ServerDefinitions.h"
#include "cli/StreamMessages.h"
#include "diagramfile/DiagramFile.h"
#include "engine/TableEngine.h"
#include "model/Entity.h"
#include "formresource/FormResource.h"
#include "platform/IniFile.h"
#include "platform/Installation.h"
#include "platform/SafeFile.h"
#include "platform/TextMeasurer.h"
#include "printing/Export.h"
#include "printing/PagePrinter.h"
#include "reports/ConsistencyReport.h"
#include "reports/EntityReport.h"
#include "reports/ReportText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPoint>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <map>

namespace veska::cli {

namespace {

void PrintLine(std::FILE* stream, const QString& text)
{
  std::fprintf(stream, "%s\n", text.toUtf8().constData());
}

// "error: FILE: MESSAGE" for a file that cannot be read or written.
int FileError(std::FILE* err, const QString& fileName, const std::exception& e)
{
  PrintLine(err, QStringLiteral("error: %1: %2").arg(fileName, QString::fromStdString(e.what())));
  return ExitFileError;
}

// Loads or merges one file as Open and Merge do; returns the exit status it
// stands for.
int LoadInto(TDrawingSurface& surface, const QString& fileName, std::FILE* err)
{
  try {
    switch (LoadDiagram(surface, fileName)) {
    case TLoadResult::Loaded: return ExitOk;
    case TLoadResult::NotADiagram: return ExitNotADiagram;
    case TLoadResult::Corrupted: return ExitCorrupted;
    }
  } catch (const TFileError& e) {
    return FileError(err, fileName, e);
  }
  return ExitOk;
}

// A new diagram as the desktop program makes it, cleared for opening: a page
// of 8 by 10 inches at 96 pixels per inch, revision "0".
void PrepareNewDiagram(TDrawingSurface& surface)
{
  surface.Width = 8 * 96;
  surface.Height = 10 * 96;
  surface.DiagramName = QStringLiteral("Information Model V1.0");
  surface.Clear();
}

// A new diagram with the file loaded into it; the status of the load.
int OpenInto(TDrawingSurface& surface, const QString& fileName, std::FILE* err)
{
  PrepareNewDiagram(surface);
  return LoadInto(surface, fileName, err);
}

// Whether a load read nothing (a corrupt file keeps what was read before the
// damage, and the command goes on with it).
bool NothingRead(int status)
{
  return status == ExitNotADiagram || status == ExitFileError;
}

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

bool IsOption(const QString& arg)
{
  return arg.startsWith(QStringLiteral("--")) && arg != QStringLiteral("--");
}

// The command line of a report command: switches that each set one choice,
// "--settings FILE", and the files IN and OUT.
struct TReportArgs {
  QString In;
  QString Out;
  QString Settings;  // empty: VESKA.INI beside the program
};

// Reads the arguments; returns ExitOk or ExitUsage (after saying why).
int ParseReportArgs(const QString& command, const QStringList& args, const std::map<QString, bool*>& switches,
                    TReportArgs& parsed, std::FILE* err)
{
  QStringList files;
  QSet<QString> given;
  for (int i = 0; i < args.size(); ++i) {
    if (args[i] == QStringLiteral("--settings")) {
      if (i + 1 >= args.size()) {
        PrintLine(err, QStringLiteral("veska-cli: --settings needs a file name"));
        return ExitUsage;
      }
      parsed.Settings = args[++i];
    } else if (IsOption(args[i])) {
      const auto it = switches.find(args[i]);
      if (it == switches.end()) {
        PrintLine(err, QStringLiteral("veska-cli: unknown option %1").arg(args[i]));
        return ExitUsage;
      }
      // Each switch turns its choice away from the dialog's initial state;
      // giving it again changes nothing.
      if (!given.contains(args[i]))
        *it->second = !*it->second;
      given.insert(args[i]);
    } else {
      files << args[i];
    }
  }
  if (files.size() != 2) {
    PrintLine(err, QStringLiteral("veska-cli: %1 needs IN and OUT (see veska-cli --help)").arg(command));
    return ExitUsage;
  }
  parsed.In = files[0];
  parsed.Out = files[1];
  return ExitOk;
}

// Opens IN as Open does and writes the report that `write` makes of it to
// OUT. A corrupt IN still gives the report of what was read.
int WriteReport(const TReportArgs& args, std::FILE* err,
                const std::function<void(const TDiagram&, const QString&)>& write)
{
  TStreamMessages messages(err);
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  const int status = OpenInto(surface, args.In, err);
  if (NothingRead(status))
    return status;
  try {
    write(surface, args.Out);
  } catch (const TReportFileError& e) {
    PrintLine(err, QStringLiteral("error: %1").arg(QString::fromStdString(e.what())));
    return ExitFileError;
  }
  return status;
}

// The settings file a command reads: FILE of "--settings FILE", which must
// exist and be readable (read as empty, it would silently change the result),
// or VESKA.INI beside the program, which may be missing as for the desktop
// program. Returns ExitOk or ExitFileError (after saying why).
int SettingsFile(const QString& given, const QString& programDirectory, QString& settings, std::FILE* err)
{
  if (given.isEmpty()) {
    settings = QDir(programDirectory).filePath(QStringLiteral("VESKA.INI"));
    return ExitOk;
  }
  if (!QFileInfo(given).isFile()) {
    PrintLine(err, QStringLiteral("error: %1: No such settings file").arg(given));
    return ExitFileError;
  }
  try {
    TIniFile(given).CheckReadable();
  } catch (const TFileAccessError& e) {
    return FileError(err, given, e);
  }
  settings = given;
  return ExitOk;
}

// Writes the diagram to OUT as saving writes it; ExitOk or ExitFileError.
int WriteDiagramFile(TDrawingSurface& surface, const QString& fileName, std::FILE* err)
{
  QByteArray bytes;
  WriteDiagram(surface, bytes);
  try {
    WriteFileSafely(fileName, bytes);
  } catch (const TFileAccessError& e) {
    return FileError(err, fileName, e);
  }
  return ExitOk;
}

// ExitOk when `dir` is an existing directory, else ExitFileError (after
// saying so).
int CheckDirectory(const QString& dir, std::FILE* err)
{
  const QFileInfo info(dir);
  if (info.isDir())
    return ExitOk;
  if (info.exists())
    PrintLine(err, QStringLiteral("error: %1 is not a directory").arg(dir));
  else
    PrintLine(err, QStringLiteral("error: %1: No such directory").arg(dir));
  return ExitFileError;
}

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

// Reads a command line of options and the two file names: each option that
// `options` knows is handed to its handler (which may take its value and
// returns ExitOk or ExitUsage); any other option, or a count of names other
// than two, is a usage error (after saying why).
using TOptionHandler = std::function<int(const QStringList& args, int& i)>;

int ParseCommandLine(const QString& command, const QString& fileNames, const QStringList& args,
                     const std::map<QString, TOptionHandler>& options, QStringList& files, std::FILE* err)
{
  for (int i = 0; i < args.size(); ++i) {
    const auto it = options.find(args[i]);
    if (it != options.end()) {
      if (const int status = it->second(args, i))
        return status;
    } else if (IsOption(args[i])) {
      PrintLine(err, QStringLiteral("veska-cli: unknown option %1").arg(args[i]));
      return ExitUsage;
    } else {
      files << args[i];
    }
  }
  if (files.size() != 2) {
    PrintLine(err, QStringLiteral("veska-cli: %1 needs %2 (see veska-cli --help)").arg(command, fileNames));
    return ExitUsage;
  }
  return ExitOk;
}

// The handler of an option that takes one value into `value`.
TOptionHandler ValueOption(const QString& what, QString& value, std::FILE* err)
{
  return [&value, what, err](const QStringList& args, int& i) {
    if (i + 1 >= args.size()) {
      PrintLine(err, QStringLiteral("veska-cli: %1 needs %2").arg(args[i], what));
      return int(ExitUsage);
    }
    value = args[++i];
    return int(ExitOk);
  };
}

// The handler of an option that takes a list of names separated by commas,
// added to `names`; `given` records that the option was used.
TOptionHandler ListOption(const QString& what, QStringList& names, bool& given, std::FILE* err)
{
  return [&names, &given, what, err](const QStringList& args, int& i) {
    QString list;
    const int status = ValueOption(what, list, err)(args, i);
    if (status == ExitOk) {
      names << list.split(QLatin1Char(','), Qt::SkipEmptyParts);
      given = true;
    }
    return status;
  };
}

// The entities a command works on: the names given, each of which must be an
// entity of the diagram `in` (else ExitUsage after saying so), or every
// entity in list order.
int ChooseEntities(const TDrawingSurface& surface, const QString& in, bool given, QStringList& names, std::FILE* err)
{
  if (!given) {
    for (const TEntity* entity : surface.Entities)
      names << entity->EntityName();
    return ExitOk;
  }
  for (const QString& name : names) {
    if (!surface.Entities.Find(name)) {
      PrintLine(err, QStringLiteral("veska-cli: %1 has no entity named %2").arg(in, name));
      return ExitUsage;
    }
  }
  return ExitOk;
}

}  // namespace

QString HelpText()
{
  return QStringLiteral(
      "Usage: veska-cli COMMAND [OPTIONS] ARGUMENTS\n"
      "       veska-cli --help | --version\n"
      "\n"
      "Works on Veska diagram files without a display.\n"
      "\n"
      "Commands:\n"
      "  convert [--merge FILE]... IN OUT\n"
      "      Opens the diagram IN, merges each FILE in the order given (as the\n"
      "      Merge command does), and writes the diagram to OUT in the current\n"
      "      file format. Revision and save date are kept as read.\n"
      "  entity-report [OPTIONS] IN OUT\n"
      "      Opens the diagram IN and writes its entity list report to OUT, as\n"
      "      Report, Entity List does with the same choices.\n"
      "  consistency-report [OPTIONS] IN OUT\n"
      "      Opens the diagram IN and writes its consistency check report to\n"
      "      OUT, as Report, Consistency Check does with the same choices.\n"
      "  build-database [--server NAME] [--drop] [--no-create]\n"
      "                 [--tables NAME[,NAME...]] [--stop-on-error]\n"
      "                 [--settings FILE] IN DIR\n"
      "      Opens the diagram IN and builds one desktop table per entity into\n"
      "      the existing directory DIR, as Build, Database does: for the\n"
      "      server NAME (default: the first of [Servers]), dropping the tables\n"
      "      first with --drop, without creating them with --no-create, for the\n"
      "      entities named (default: all, in list order). Each progress line\n"
      "      goes to standard output. A table that cannot be created is\n"
      "      reported and answered Ignore, so every table is tried, or Abort\n"
      "      with --stop-on-error. Only the servers Paradox and Dbase have\n"
      "      desktop tables.\n"
      "  reverse-engineer [--settings FILE] DIR OUT\n"
      "      Reads the desktop tables of directory DIR into a new diagram, as\n"
      "      Build, ReEngineer does, and writes it to OUT.\n"
      "  build-application [--normal-frame] [--name NAME] [--forms NAME[,NAME...]]\n"
      "                    [--settings FILE] IN DIR\n"
      "      Opens the diagram IN and generates the source of its data-entry\n"
      "      application into the existing directory DIR, as Build, Forms\n"
      "      does: an MDI frame (a normal frame with --normal-frame), the\n"
      "      application NAME (default Pilot, at most 8 characters), one form\n"
      "      per entity named (default: all, in list order; each once). NAME\n"
      "      is a Pascal identifier that names no unit of the project (CMain,\n"
      "      CUnitN). The template library is the one the settings file names,\n"
      "      beside veska-cli. Each progress line goes to standard output. IN\n"
      "      is not changed: no generated file may be IN.\n"
      "  form-to-text FILE\n"
      "      Prints the generated form file FILE (.DFM) as form text.\n"
      "  export [--dpi N] [--pages all|C,R[;C,R]...] IN OUT\n"
      "      Opens the diagram IN and writes the whole diagram to OUT as the\n"
      "      screen shows it at 100% zoom, cut to the drawn objects plus a margin,\n"
      "      as File, Export does: OUT ending in .pdf gives one vector page\n"
      "      with its text as text, .svg an SVG drawing, .png an image of N\n"
      "      dots per inch (--dpi, 24 to 1200, default 192: twice the screen's).\n"
      "      With --pages (only for .pdf) OUT holds printed pages instead, A4\n"
      "      portrait, one PDF page each in the order Print prints them (column\n"
      "      by column, each from top to bottom): all of them, or the pages in\n"
      "      column C and row R, both counted from 1 as on the page grid (the\n"
      "      page marked Page(R,C) when printed is C,R).\n"
      "\n"
      "Options:\n"
      "  --help        Shows this text.\n"
      "  --version     Shows the version and the license.\n"
      "  --merge FILE  (convert) Merges FILE into the diagram; may be repeated.\n"
      "  --dpi N       (export) The resolution of a PNG image.\n"
      "  --pages all|C,R[;C,R]...\n"
      "                (export) Printed pages into a PDF file.\n"
      "  --settings FILE\n"
      "                Reads the settings from FILE instead of VESKA.INI\n"
      "                beside veska-cli (or, installed, in share/veska).\n"
      "\n"
      "Without options a report is written with the dialog's initial choices;\n"
      "each option turns one check box or radio button the other way.\n"
      "  entity-report:      --table-name, --entity-description,\n"
      "                      --no-primary-key, --pk-column-name, --pk-column-type,\n"
      "                      --pk-nullability, --pk-description, --no-attributes,\n"
      "                      --attr-column-name, --attr-column-type,\n"
      "                      --attr-nullability, --attr-description,\n"
      "                      --no-relations, --relation-description, --tabular\n"
      "  consistency-report: --no-domains, --no-entities\n"
      "\n"
      "Messages that the desktop program shows in message boxes are printed on\n"
      "standard error, one per line, as \"error: \", \"information: \" or\n"
      "\"confirmation: \" followed by the message.\n"
      "\n"
      "Exit status:\n"
      "  0  every file was read cleanly\n"
      "  1  IN or a merged file is not a diagram (OUT is not written)\n"
      "  2  a file was corrupt (OUT holds what was read, or its report);\n"
      "     form-to-text: FILE is not a form file;\n"
      "     reverse-engineer: a table could not be read (OUT holds the tables read\n"
      "     before it)\n"
      "  3  a file cannot be opened or written, or DIR is not a (writable)\n"
      "     directory; build-application: the template library cannot be\n"
      "     read or a file cannot be generated (the files written before stay);\n"
      "     export: the diagram has nothing drawn or the image\n"
      "     would be too large\n"
      "  4  build-database: some table could not be created;\n"
      "     build-application: a generated line was cut at 2048 characters\n"
      "     (the files are written; a form that cannot be converted is not)\n"
      "  64 the command line is not understood\n");
}

int Convert(const QStringList& args, std::FILE* err)
{
  QStringList merges;
  QString merge;
  const TOptionHandler takeMerge = ValueOption(QStringLiteral("a file name"), merge, err);
  QStringList files;
  const std::map<QString, TOptionHandler> options = {
    {QStringLiteral("--merge"),
     [&](const QStringList& a, int& i) {
       const int status = takeMerge(a, i);
       if (status == ExitOk)
         merges << merge;
       return status;
     }},
  };
  if (const int status =
          ParseCommandLine(QStringLiteral("convert"), QStringLiteral("IN and OUT"), args, options, files, err))
    return status;

  TStreamMessages messages(err);
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  PrepareNewDiagram(surface);

  int status = ExitOk;
  for (const QString& file : QStringList{files[0]} + merges) {
    const int result = LoadInto(surface, file, err);
    if (NothingRead(result))
      return result;
    status = qMax(status, result);
  }

  if (const int written = WriteDiagramFile(surface, files[1], err))
    return written;
  return status;
}

int EntityReport(const QStringList& args, std::FILE* err)
{
  TEntityReportOptions options;
  const std::map<QString, bool*> switches = {
    {QStringLiteral("--table-name"), &options.TableName},
    {QStringLiteral("--entity-description"), &options.EntityDesc},
    {QStringLiteral("--no-primary-key"), &options.PrimaryKey},
    {QStringLiteral("--pk-column-name"), &options.PKColName},
    {QStringLiteral("--pk-column-type"), &options.PKColType},
    {QStringLiteral("--pk-nullability"), &options.PKNull},
    {QStringLiteral("--pk-description"), &options.PKDesc},
    {QStringLiteral("--no-attributes"), &options.Attributes},
    {QStringLiteral("--attr-column-name"), &options.AttrColName},
    {QStringLiteral("--attr-column-type"), &options.AttrColType},
    {QStringLiteral("--attr-nullability"), &options.AttrNull},
    {QStringLiteral("--attr-description"), &options.AttrDesc},
    {QStringLiteral("--no-relations"), &options.Relations},
    {QStringLiteral("--relation-description"), &options.RelDesc},
    {QStringLiteral("--tabular"), &options.Tabular},
  };
  TReportArgs parsed;
  if (const int status = ParseReportArgs(QStringLiteral("entity-report"), args, switches, parsed, err))
    return status;
  // The entity list reads nothing from the settings file.
  return WriteReport(parsed, err, [&](const TDiagram& model, const QString& out) {
    WriteEntityReport(model, options, out);
  });
}

int ConsistencyReport(const QStringList& args, const QString& programDirectory, std::FILE* err)
{
  TConsistencyReportOptions options;
  const std::map<QString, bool*> switches = {
    {QStringLiteral("--no-domains"), &options.Domains},
    {QStringLiteral("--no-entities"), &options.Entities},
  };
  TReportArgs parsed;
  if (const int status = ParseReportArgs(QStringLiteral("consistency-report"), args, switches, parsed, err))
    return status;
  // A settings file named on the command line must exist; without one, the
  // check runs with the file beside the program, or with no data types when
  // there is none, as the desktop program does.
  QString settings;
  if (const int status = SettingsFile(parsed.Settings, programDirectory, settings, err))
    return status;
  const QStringList dataTypes = ReadDataTypes(TIniFile(settings));
  return WriteReport(parsed, err, [&](const TDiagram& model, const QString& out) {
    WriteConsistencyReport(model, dataTypes, options, out);
  });
}

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
  const QStringList servers = ReadServers(ini);
  if (server.isEmpty()) {
    if (servers.isEmpty()) {
      PrintLine(err, QStringLiteral("veska-cli: the settings file lists no servers; name one with --server"));
      return ExitUsage;
    }
    server = servers.first();
  } else {
    // The name as the settings file spells it, as the desktop program's list
    // offers it.
    const auto it = std::find_if(servers.begin(), servers.end(),
                                 [&](const QString& s) { return s.compare(server, Qt::CaseInsensitive) == 0; });
    if (it == servers.end()) {
      PrintLine(err, QStringLiteral("veska-cli: unknown server %1").arg(server));
      return ExitUsage;
    }
    server = *it;
  }
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

int BuildApplication(const QStringList& args, const QString& programDirectory, std::FILE* out, std::FILE* err)
{
  TAppBuildSettings app;
  QString settingsGiven;
  // The list as given: an empty name or one named twice is refused, not
  // skipped.
  QString forms;
  bool formsGiven = false;
  const TOptionHandler takeFormList = ValueOption(QStringLiteral("entity names"), forms, err);
  const TOptionHandler takeForms = [&](const QStringList& a, int& i) {
    const int status = takeFormList(a, i);
    formsGiven = formsGiven || status == ExitOk;
    return status;
  };
  const std::map<QString, TOptionHandler> options = {
    {QStringLiteral("--name"), ValueOption(QStringLiteral("an application name"), app.AppName, err)},
    {QStringLiteral("--settings"), ValueOption(QStringLiteral("a file name"), settingsGiven, err)},
    {QStringLiteral("--forms"), takeForms},
    {QStringLiteral("--normal-frame"),
     [&](const QStringList&, int&) {
       app.MDIApplication = false;
       return int(ExitOk);
     }},
  };
  QStringList files;
  if (const int status = ParseCommandLine(QStringLiteral("build-application"), QStringLiteral("IN and DIR"), args,
                                          options, files, err))
    return status;
  if (const QString refusal = AppNameRefusal(app.AppName); !refusal.isEmpty()) {
    PrintLine(err, QStringLiteral("veska-cli: %1").arg(refusal));
    return ExitUsage;
  }
  if (formsGiven) {
    app.FormList = forms.split(QLatin1Char(','));
    if (const QString refusal = FormListRefusal(app.FormList); !refusal.isEmpty()) {
      PrintLine(err, QStringLiteral("veska-cli: --forms: %1").arg(refusal));
      return ExitUsage;
    }
  }
  QString settings;
  if (const int status = SettingsFile(settingsGiven, programDirectory, settings, err))
    return status;
  if (const int status = CheckDirectory(files[1], err))
    return status;

  TStreamMessages messages(err);
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  const int status = OpenInto(surface, files[0], err);
  if (NothingRead(status))
    return status;
  if (const int chosen = ChooseEntities(surface, files[0], formsGiven, app.FormList, err))
    return chosen;
  app.Directory = files[1];
  app.LibraryFile = LibraryFilePath(TIniFile(settings), programDirectory);
  // The captions the run gives to forms without one stay in this copy of the
  // model; IN is never written, not even through a file of DIR that is IN.
  app.KeptFiles = QStringList{files[0]};
  QStringList problems;
  try {
    problems = RunAppGeneration(surface, app, TAppProgress{{}, [out](const QString& line) {
                                                             PrintLine(out, line);
                                                             std::fflush(out);
                                                           }});
  } catch (const TAppGenError& e) {
    PrintLine(err, QStringLiteral("error: %1").arg(QString::fromStdString(e.what())));
    return ExitFileError;
  }
  for (const QString& problem : problems)
    PrintLine(err, QStringLiteral("error: %1").arg(problem));
  return problems.isEmpty() ? status : std::max(status, int(ExitBuildErrors));
}

int FormToText(const QStringList& args, std::FILE* out, std::FILE* err)
{
  if (args.size() != 1 || IsOption(args[0])) {
    PrintLine(err, QStringLiteral("veska-cli: form-to-text needs FILE (see veska-cli --help)"));
    return ExitUsage;
  }
  QByteArray bytes;
  try {
    bytes = ReadRegularFile(args[0]);
  } catch (const TFileAccessError& e) {
    return FileError(err, args[0], e);
  }
  try {
    std::fputs(FormResourceToText(bytes).toUtf8().constData(), out);
  } catch (const TFormTextError& e) {
    PrintLine(err, QStringLiteral("error: %1: %2").arg(args[0], QString::fromStdString(e.what())));
    return ExitCorrupted;
  }
  return ExitOk;
}

namespace {

// The pages of "--pages": "all" (an empty list) or "C,R;C,R..." counted from
// 1, as (column, row) counted from 0. False for another text.
bool ParsePages(const QString& text, bool& all, QList<QPoint>& pages)
{
  all = text.trimmed().compare(QStringLiteral("all"), Qt::CaseInsensitive) == 0;
  if (all)
    return true;
  for (const QString& item : text.split(QLatin1Char(';'))) {
    const QStringList parts = item.split(QLatin1Char(','));
    bool okColumn = false;
    bool okRow = false;
    const int column = parts.value(0).trimmed().toInt(&okColumn);
    const int row = parts.value(1).trimmed().toInt(&okRow);
    if (parts.size() != 2 || !okColumn || !okRow || column < 1 || row < 1)
      return false;
    pages << QPoint(column - 1, row - 1);
  }
  return !pages.isEmpty();
}

// Writes the printed pages of the diagram into a PDF file; all pages when
// `all`, else the ones given, which must lie in the page grid.
int ExportPages(TDrawingSurface& surface, bool all, QList<QPoint> pages, const QString& fileName, int status,
                std::FILE* err)
{
  const QPageLayout layout = DefaultPdfLayout();
  const TPageDevice device = PdfPageDevice(layout);
  const int across = PagesAcross(surface, device);
  const int down = PagesDown(surface, device);
  if (all) {
    for (int column = 0; column < across; ++column)
      for (int row = 0; row < down; ++row)
        pages << QPoint(column, row);
  }
  for (const QPoint page : pages) {
    if (page.x() >= across || page.y() >= down) {
      PrintLine(err, QStringLiteral("veska-cli: page %1,%2 is outside the diagram's %3 x %4 pages")
                         .arg(page.x() + 1)
                         .arg(page.y() + 1)
                         .arg(across)
                         .arg(down));
      return ExitUsage;
    }
  }
  try {
    WritePagesPdf(surface, pages, fileName, layout);
  } catch (const TFileAccessError& e) {
    return FileError(err, fileName, e);
  } catch (const TPrintError& e) {
    PrintLine(err, QStringLiteral("error: %1").arg(QString::fromUtf8(e.what())));
    return ExitFileError;
  }
  return status;
}

}  // namespace

int Export(const QStringList& args, std::FILE* err)
{
  QString dpiText;
  QString pagesText;
  const std::map<QString, TOptionHandler> options = {
    {QStringLiteral("--dpi"), ValueOption(QStringLiteral("a resolution"), dpiText, err)},
    {QStringLiteral("--pages"), ValueOption(QStringLiteral("all or a list of pages"), pagesText, err)},
  };
  QStringList files;
  if (const int status = ParseCommandLine(QStringLiteral("export"), QStringLiteral("IN and OUT"), args, options, files, err))
    return status;
  const std::optional<TExportFormat> format = ExportFormatOf(files[1]);
  if (!format) {
    PrintLine(err, QStringLiteral("veska-cli: export: OUT must end in .pdf, .svg or .png"));
    return ExitUsage;
  }
  bool allPages = false;
  QList<QPoint> pages;
  if (!pagesText.isNull()) {
    if (*format != TExportFormat::Pdf) {
      PrintLine(err, QStringLiteral("veska-cli: --pages applies only to a .pdf OUT"));
      return ExitUsage;
    }
    if (!ParsePages(pagesText, allPages, pages)) {
      PrintLine(err, QStringLiteral("veska-cli: --pages needs all or COLUMN,ROW[;COLUMN,ROW]... counted from 1"));
      return ExitUsage;
    }
  }
  int dpi = kDefaultExportDpi;
  if (!dpiText.isNull()) {
    if (*format != TExportFormat::Png) {
      PrintLine(err, QStringLiteral("veska-cli: --dpi applies only to a .png OUT"));
      return ExitUsage;
    }
    bool ok = false;
    dpi = dpiText.toInt(&ok);
    if (!ok || dpi < kMinExportDpi || dpi > kMaxExportDpi) {
      PrintLine(err, QStringLiteral("veska-cli: --dpi needs a number from %1 to %2").arg(kMinExportDpi).arg(kMaxExportDpi));
      return ExitUsage;
    }
  }

  TStreamMessages messages(err);
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  // A corrupt IN is exported as far as it was read.
  const int status = OpenInto(surface, files[0], err);
  if (NothingRead(status))
    return status;
  if (!pagesText.isNull())
    return ExportPages(surface, allPages, pages, files[1], status, err);
  try {
    ExportDiagram(surface, files[1], *format, dpi);
  } catch (const TExportError& e) {
    PrintLine(err, QStringLiteral("error: %1").arg(QString::fromStdString(e.what())));
    return ExitFileError;
  }
  return status;
}

namespace {

int Dispatch(const QStringList& args, std::FILE* out, std::FILE* err)
{
  if (args.isEmpty()) {
    std::fputs(HelpText().toUtf8().constData(), err);
    return ExitUsage;
  }
  if (args[0] == QStringLiteral("--help") || args[0] == QStringLiteral("-h") || args[0] == QStringLiteral("help")) {
    std::fputs(HelpText().toUtf8().constData(), out);
    return ExitOk;
  }
  if (args[0] == QStringLiteral("--version")) {
    std::fputs(VersionText(QStringLiteral("veska-cli")).toUtf8().constData(), out);
    return ExitOk;
  }
  // VESKA.INI beside the program, or in the data folder of its installation.
  const QString dataDirectory = DataDirectory(QCoreApplication::applicationDirPath());
  if (args[0] == QStringLiteral("convert"))
    return Convert(args.mid(1), err);
  if (args[0] == QStringLiteral("entity-report"))
    return EntityReport(args.mid(1), err);
  if (args[0] == QStringLiteral("consistency-report"))
    return ConsistencyReport(args.mid(1), dataDirectory, err);
  if (args[0] == QStringLiteral("build-database"))
    return BuildDatabase(args.mid(1), dataDirectory, out, err);
  if (args[0] == QStringLiteral("reverse-engineer"))
    return ReverseEngineer(args.mid(1), dataDirectory, err);
  if (args[0] == QStringLiteral("build-application"))
    return BuildApplication(args.mid(1), dataDirectory, out, err);
  if (args[0] == QStringLiteral("form-to-text"))
    return FormToText(args.mid(1), out, err);
  if (args[0] == QStringLiteral("export"))
    return Export(args.mid(1), err);
  PrintLine(err, QStringLiteral("veska-cli: unknown command %1 (see veska-cli --help)").arg(args[0]));
  return ExitUsage;
}

}  // namespace

int Run(const QStringList& args, std::FILE* out, std::FILE* err)
{
  int status = ExitFileError;
  try {
    status = Dispatch(args, out, err);
  } catch (const std::bad_alloc&) {
    // Files are written whole or not at all: what was there stays.
    PrintLine(err, QStringLiteral("error: %1").arg(OutOfMemoryMessage()));
  }
  // What could not be written to standard output is no success. The error
  // of the write that failed is the last one the process met.
  if (std::fflush(out) != 0 || std::ferror(out)) {
    const int error = errno ? errno : EIO;
    PrintLine(err, QStringLiteral("error: standard output: %1").arg(QString::fromLocal8Bit(std::strerror(error))));
    return status == ExitOk ? ExitFileError : status;
  }
  return status;
}

}  // namespace veska::cli
