// The report commands: entity-report and consistency-report.

#include "cli/CommandSupport.h"
#include "cli/StreamMessages.h"
#include "platform/IniFile.h"
#include "platform/TextMeasurer.h"
#include "reports/ConsistencyReport.h"
#include "reports/EntityReport.h"
#include "reports/ReportText.h"
#include "tablebuild/ServerDefinitions.h"

#include <QSet>

namespace veska::cli {

namespace {

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

}  // namespace

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

}  // namespace veska::cli
