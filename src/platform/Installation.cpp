#include "platform/Installation.h"

#include <QDir>
#include <QFileInfo>

// Both come from the build: the project's version, and the path from the
// folder of the installed programs to their data folder.
#ifndef VESKA_VERSION
#error "VESKA_VERSION must be defined by the build"
#endif
#ifndef VESKA_DATA_FROM_BIN
#error "VESKA_DATA_FROM_BIN must be defined by the build"
#endif

namespace veska {

QString ProgramVersion()
{
  return QStringLiteral(VESKA_VERSION);
}

QString ProgramLicense()
{
  return QStringLiteral("GPL-3.0-or-later");
}

QString VersionText(const QString& programName)
{
  return QStringLiteral("%1 %2\n"
                        "License: %3 (GNU General Public License, version 3 or later)\n"
                        "This is free software: you are free to change and redistribute it.\n"
                        "There is NO WARRANTY, to the extent permitted by law.\n")
      .arg(programName, ProgramVersion(), ProgramLicense());
}

QString InstalledDataDirectory(const QString& programDirectory)
{
  return QDir::cleanPath(QDir(programDirectory).filePath(QStringLiteral(VESKA_DATA_FROM_BIN)));
}

QString DataDirectory(const QString& programDirectory)
{
  const QString settings = QStringLiteral("VESKA.INI");
  if (QFileInfo::exists(QDir(programDirectory).filePath(settings)))
    return programDirectory;
  const QString installed = InstalledDataDirectory(programDirectory);
  if (QFileInfo::exists(QDir(installed).filePath(settings)))
    return installed;
  return programDirectory;
}

}  // namespace veska
