// A generation run: where its files go, the files it must not replace, and
// writing every file in turn with its progress and its problems.
#include "appgen/AppGenerator.h"

#include "formresource/FormResource.h"
#include "model/Entity.h"
#include "platform/Progress.h"
#include "platform/SafeFile.h"

#include <utility>

namespace veska {

TAppGenError::TAppGenError(const QString& message) : std::runtime_error(message.toStdString()) {}

QStringList RunAppGeneration(TDrawingSurface& surface, const TAppBuildSettings& settings,
                             const TAppProgress& progress)
{
  TAppExpert expert(surface, settings, LoadTemplateLibrary(settings.LibraryFile));
  return expert.Run(progress, [](const QString& text) { return FormTextToResource(text); });
}

QString TAppExpert::FilePath(const QString& name) const
{
  if (Directory.isEmpty() || Directory.endsWith(QLatin1Char('/')))
    return Directory + name;
  return Directory + QLatin1Char('/') + name;
}

QStringList TAppExpert::OutputNames() const
{
  QStringList names{AppName + QStringLiteral(".DPR"), QStringLiteral("CMain.PAS"), QStringLiteral("CMain.DFM")};
  for (int i = 0; i < int(FormList.size()); ++i)
    names << QStringLiteral("CUnit%1.PAS").arg(i) << QStringLiteral("CUnit%1.DFM").arg(i);
  return names;
}

void TAppExpert::RefuseKeptFile(const QString& path) const
{
  // By identity, not by name: a file reached through another path or a link
  // is the same file, and replacing it would lose it.
  for (const QString& kept : FKeptFiles)
    if (IsSameFile(path, kept))
      throw TAppGenError(QStringLiteral("The generated file %1 would replace %2, the diagram the application is "
                                        "generated from. Choose another directory or application name.")
                             .arg(path, kept));
}

void TAppExpert::WriteFile(const QString& name, const QByteArray& bytes) const
{
  const QString path = FilePath(name);
  RefuseKeptFile(path);
  try {
    WriteFileSafely(path, bytes);
  } catch (const TFileAccessError& e) {
    throw TAppGenError(QStringLiteral("Cannot write %1: %2").arg(path, QString::fromStdString(e.what())));
  }
}

namespace {

void ClearProgressLines(const TAppProgress& progress)
{
  if (progress.Clear)
    progress.Clear();
}

void AddProgressLine(const TAppProgress& progress, const QString& line)
{
  if (progress.Add)
    progress.Add(line);
}

}  // namespace

// Writes the files of a run in turn: steps the progress bar a file at a time
// and keeps a message for each file that holds a cut line.
class TAppExpert::TRunFiles {
public:
  TRunFiles(TAppExpert& expert, const TAppProgress& progress,
            const std::function<QByteArray(const QString&)>& toResource)
    : FExpert(expert),
      FToResource(toResource),
      FRun(progress.Bar, QStringLiteral("Generating ") + expert.AppName, 3 + 2 * qint64(expert.FormList.size()))
  {
  }

  // `what` names the file for the user: the file itself, and for a form's
  // files also its entity.
  void WriteText(const QString& name, const QString& what, const QString& text)
  {
    const QStringList cuts = FExpert.TakeCuts();
    FExpert.WriteFile(name, text.toUtf8());
    Written(name, what, cuts);
  }

  // A form text goes through `toResource`; one it cannot convert ends the
  // run, unless a cut line explains it.
  void WriteForm(const QString& name, const QString& what, const QString& text)
  {
    const QStringList cuts = FExpert.TakeCuts();
    QByteArray resource;
    try {
      resource = FToResource(text);
    } catch (const TFormTextError& e) {
      if (cuts.isEmpty())
        throw TAppGenError(QStringLiteral("Cannot convert the form %1 (line %2 of its form text): %3")
                               .arg(FExpert.FilePath(name), QString::number(e.Line()), QString::fromStdString(e.what())));
      // A text cut short is the likely cause: said so, and the run goes on.
      FProblems << CutMessage(name, what, cuts) +
                       QStringLiteral(" It was not written: its form text cannot be converted (line %1: %2).")
                           .arg(QString::number(e.Line()), QString::fromStdString(e.what()));
      FRun.Step(++FWritten);
      return;
    }
    FExpert.WriteFile(name, resource);
    Written(name, what, cuts);
  }

  QStringList TakeProblems() { return std::exchange(FProblems, {}); }

private:
  TAppExpert& FExpert;
  const std::function<QByteArray(const QString&)>& FToResource;
  TProgressRun FRun;
  qint64 FWritten = 0;
  QStringList FProblems;

  void Written(const QString& name, const QString& what, const QStringList& cuts)
  {
    FRun.Step(++FWritten);
    if (!cuts.isEmpty())
      FProblems << CutMessage(name, what, cuts);
  }

  QString CutMessage(const QString& name, const QString& what, const QStringList& cuts) const
  {
    return QStringLiteral("%1%2: a line longer than %3 characters was cut there (%4); the file will not compile.")
        .arg(FExpert.FilePath(name), what, QString::number(kFormatBufferSize), cuts.join(QStringLiteral(", ")));
  }
};

QStringList TAppExpert::Run(const TAppProgress& progress,
                            const std::function<QByteArray(const QString&)>& toResource)
{
  // Nothing is written when any file would replace a kept one.
  for (const QString& name : OutputNames())
    RefuseKeptFile(FilePath(name));

  // The project, the main unit and the main form, then a unit and a form per
  // entity.
  TRunFiles files(*this, progress, toResource);
  RebuildMenuGroups();
  TakeCuts();
  ClearProgressLines(progress);
  AddProgressLine(progress, QStringLiteral("Generating Project File"));
  files.WriteText(AppName + QStringLiteral(".DPR"), QString(), ProjectText());
  AddProgressLine(progress, QStringLiteral("Generating Main Source File"));
  files.WriteText(QStringLiteral("CMain.PAS"), QString(), MainUnitText());
  AddProgressLine(progress, QStringLiteral("Generating Main Form File"));
  files.WriteForm(QStringLiteral("CMain.DFM"), QString(), MainFormText());
  for (int i = 0; i < int(FormList.size()); ++i) {
    LayoutForm(i);
    ClearProgressLines(progress);
    const QString& name = CurrentEntity->EntityName();
    const QString what = QStringLiteral(" (the form of %1)").arg(name);
    AddProgressLine(progress, QStringLiteral("Generating Source for ") + name);
    files.WriteText(QStringLiteral("CUnit%1.PAS").arg(i), what, UnitText(i));
    AddProgressLine(progress, QStringLiteral("Generating Form for ") + name);
    files.WriteForm(QStringLiteral("CUnit%1.DFM").arg(i), what, FormText(i));
  }
  return files.TakeProblems();
}

}  // namespace veska
