#include "shell/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace veska {
namespace {

// TRUE when the file can be written: an existing file that may be written,
// or a missing one in an existing directory that may be written.
bool CanWrite(const QString& path)
{
  const QFileInfo file(path);
  if (file.exists())
    return file.isFile() && file.isWritable();
  const QFileInfo dir(file.absolutePath());
  return dir.isDir() && dir.isWritable();
}

}  // namespace

TSettings::TSettings(QString programDirectory)
  : FProgramDirectory(std::move(programDirectory)),
    FIni(QDir(FProgramDirectory).filePath(QStringLiteral("VESKA.INI")))
{
}

QString TSettings::SettingsFile() const
{
  return FIni.FileName();
}

QString TSettings::HelpDirectory() const
{
  return QDir(FProgramDirectory).filePath(QStringLiteral("help"));
}

QString TSettings::UserSettingsFile()
{
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  // XDG base directories must be absolute; a relative one is ignored.
  if (base.isEmpty() || QDir::isRelativePath(base))
    base = QDir::home().filePath(QStringLiteral(".config"));
  return QDir(base).filePath(QStringLiteral("veska/VESKA.INI"));
}

QString TSettings::RecentFilesFile() const
{
  return CanWrite(SettingsFile()) ? SettingsFile() : UserSettingsFile();
}

QStringList TSettings::ReadRecentFiles() const
{
  const QString path = RecentFilesFile();
  // Before the first write to the user's folder, the list shipped with the
  // program is the one to show.
  if (path != SettingsFile() && !QFileInfo::exists(path))
    return FIni.ReadSectionKeys(RecentFilesSection);
  return TIniFile(path).ReadSectionKeys(RecentFilesSection);
}

void TSettings::WriteRecentFiles(const QStringList& files)
{
  const QString path = RecentFilesFile();
  if (path != SettingsFile())
    QDir().mkpath(QFileInfo(path).absolutePath());
  TIniFile(path).WriteSectionKeys(RecentFilesSection, files);
}

}  // namespace veska
