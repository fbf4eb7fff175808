#include "cli/CommandSupport.h"

#include "diagramfile/DiagramFile.h"
#include "platform/IniFile.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFileInfo>

namespace veska::cli {

void PrintLine(std::FILE* stream, const QString& text)
{
  std::fprintf(stream, "%s\n", text.toUtf8().constData());
}

int FileError(std::FILE* err, const QString& fileName, const std::exception& e)
{
  PrintLine(err, QStringLiteral("error: %1: %2").arg(fileName, QString::fromStdString(e.what())));
  return ExitFileError;
}

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

void PrepareNewDiagram(TDrawingSurface& surface)
{
  surface.Width = 8 * 96;
  surface.Height = 10 * 96;
  surface.DiagramName = QStringLiteral("Information Model V1.0");
  surface.Clear();
}

int OpenInto(TDrawingSurface& surface, const QString& fileName, std::FILE* err)
{
  PrepareNewDiagram(surface);
  return LoadInto(surface, fileName, err);
}

bool NothingRead(int status)
{
  return status == ExitNotADiagram || status == ExitFileError;
}

bool IsOption(const QString& arg)
{
  return arg.startsWith(QStringLiteral("--")) && arg != QStringLiteral("--");
}

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

int WriteDiagramFile(TDrawingSurface& surface, const QString& fileName, std::FILE* err)
{
  try {
    WriteDiagramToFile(surface, fileName);
  } catch (const TFileAccessError& e) {
    return FileError(err, fileName, e);
  }
  return ExitOk;
}

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

int ParseCommandLine(const QString& command, const QString& fileNames, const QStringList& args,
                     const std::map<QString, TOptionHandler>& options, QStringList& files, std::FILE* err,
                     int fewest)
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
  if (files.size() < fewest || files.size() > 2) {
    PrintLine(err, QStringLiteral("veska-cli: %1 needs %2 (see veska-cli --help)").arg(command, fileNames));
    return ExitUsage;
  }
  return ExitOk;
}

TOptionHandler FlagOption(bool& flag, bool value)
{
  return [&flag, value](const QStringList&, int&) {
    flag = value;
    return int(ExitOk);
  };
}

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

}  // namespace veska::cli
