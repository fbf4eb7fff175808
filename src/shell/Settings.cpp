#include "shell/Settings.h"

#include "platform/Installation.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFileInfo>

namespace veska {
namespace {

// TRUE when the file can be written: it is replaced as a whole, so its
// directory must be writable, and an existing file must be a regular one
// that may be written.
bool CanWrite(const QString& path)
{
  const QFileInfo file(path);
  const QFileInfo dir(file.exists() ? QFileInfo(file.canonicalFilePath()).absolutePath() : file.absolutePath());
  if (file.exists() && !(file.isFile() && file.isWritable()))
    return false;
  return dir.isDir() && dir.isWritable();
}

// TRUE when the file is absent or can be read. The recent-file list is
// written back only to a file that was read: rewriting one that could not be
// would drop everything else in it.
bool CanRead(const TIniFile& ini)
{
  try {
    ini.CheckReadable();
    return true;
  } catch (const TFileAccessError&) {
    return false;
  }
}

}  // namespace

TSettings::TSettings(QString programDirectory, TSettingsPlace place)
  : FProgramDirectory(std::move(programDirectory)),
    FPlace(place),
    FIni(QDir(FProgramDirectory).filePath(QStringLiteral("VESKA.INI")))
{
}

TSettings TSettings::ForProgram(const QString& programDirectory)
{
  const QString data = DataDirectory(programDirectory);
  return TSettings(data, data == programDirectory ? TSettingsPlace::BesideProgram : TSettingsPlace::Installed);
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
  if (FPlace == TSettingsPlace::Installed)
    return UserSettingsFile();
  return CanWrite(SettingsFile()) && CanRead(FIni) ? SettingsFile() : UserSettingsFile();
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
