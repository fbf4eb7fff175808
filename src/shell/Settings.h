#pragma once
// Where the program finds its settings and its help: set once at start from
// the program's directory. The settings file is VESKA.INI beside the program;
// the help is the folder "help" beside it. An installed program has neither
// beside it and finds both in the installation's data folder
// (platform/Installation.h).
//
// The recent-file list is the one thing the program writes. It lives in the
// section "MRUFiles" of the settings file in the program directory; when that
// file cannot be written there (a read-only installation) or cannot be read,
// and always for an installed program, whose settings file is shared by
// every user, the list is read from and written to VESKA.INI in the user's
// configuration folder ($XDG_CONFIG_HOME/veska, or ~/.config/veska), so the
// program keeps working and never rewrites a settings file it could not read.

#include "platform/IniFile.h"

#include <QString>
#include <QStringList>

namespace veska {

// Where the settings file is: beside the program, or in the data folder of an
// installation.
enum class TSettingsPlace { BesideProgram, Installed };

class TSettings {
public:
  explicit TSettings(QString programDirectory, TSettingsPlace place = TSettingsPlace::BesideProgram);
  // The settings of the program in `programDirectory`: beside it, or else
  // those of its installation.
  static TSettings ForProgram(const QString& programDirectory);

  // The directory that holds the settings file, the help and the library:
  // the program's own, or the installation's data folder.
  QString ProgramDirectory() const { return FProgramDirectory; }
  TSettingsPlace Place() const { return FPlace; }
  QString SettingsFile() const;   // <dir>/VESKA.INI
  QString HelpDirectory() const;  // <dir>/help
  TIniFile& Ini() { return FIni; }
  const TIniFile& Ini() const { return FIni; }

  // File names, the most recent first.
  QStringList ReadRecentFiles() const;
  // Replaces the list. Throws std::runtime_error with the system's message
  // when the file cannot be written.
  void WriteRecentFiles(const QStringList& files);

  // The file that holds the recent-file list: the settings file beside the
  // program when it can be read and written, else the one in the user's
  // configuration folder.
  QString RecentFilesFile() const;
  // VESKA.INI in the user's configuration folder.
  static QString UserSettingsFile();

  static inline const QString RecentFilesSection = QStringLiteral("MRUFiles");

private:
  QString FProgramDirectory;
  TSettingsPlace FPlace;
  TIniFile FIni;
};

}  // namespace veska
