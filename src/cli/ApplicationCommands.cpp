// The application commands: build-application, which generates the
// application of a diagram's entities, and form-to-text, which prints a
// generated form file as form text.

#include "appgen/AppExpert.h"
#include "cli/CommandSupport.h"
#include "cli/StreamMessages.h"
#include "formresource/FormResource.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"
#include "platform/TextMeasurer.h"

#include <algorithm>

namespace veska::cli {

namespace {

// Refuses an application name and a list of forms that the run would not
// take; `forms` (the list as given) becomes the form list when given.
// Returns ExitOk or ExitUsage (after saying why).
int CheckAppChoices(TAppBuildSettings& app, bool formsGiven, const QString& forms, std::FILE* err)
{
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
  return ExitOk;
}

// Runs the generator, its progress lines on `out`; `status` is the load's.
int Generate(TDrawingSurface& surface, const TAppBuildSettings& app, int status, std::FILE* out, std::FILE* err)
{
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

}  // namespace

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
  if (const int status = CheckAppChoices(app, formsGiven, forms, err))
    return status;
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
  return Generate(surface, app, status, out, err);
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

}  // namespace veska::cli
