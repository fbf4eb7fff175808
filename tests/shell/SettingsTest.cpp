#include "shell/Settings.h"

#include "shell/ReOpenDlg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace veska {
namespace {

// Points XDG_CONFIG_HOME at a folder of the test for its lifetime.
class ScopedConfigHome {
public:
  explicit ScopedConfigHome(const QString& dir) : FOld(qgetenv("XDG_CONFIG_HOME")), FHad(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
  {
    qputenv("XDG_CONFIG_HOME", dir.toUtf8());
  }
  ~ScopedConfigHome()
  {
    if (FHad)
      qputenv("XDG_CONFIG_HOME", FOld);
    else
      qunsetenv("XDG_CONFIG_HOME");
  }

private:
  QByteArray FOld;
  bool FHad;
};

TEST(Settings, PathsComeFromTheProgramDirectory)
{
  const TSettings s(QStringLiteral("/opt/veska"));
  EXPECT_EQ(s.ProgramDirectory(), QStringLiteral("/opt/veska"));
  EXPECT_EQ(s.SettingsFile(), QStringLiteral("/opt/veska/VESKA.INI"));
  EXPECT_EQ(s.HelpDirectory(), QStringLiteral("/opt/veska/help"));
  EXPECT_EQ(s.Ini().FileName(), s.SettingsFile());
}

TEST(Settings, RecentFilesLiveInTheProgramDirectoryWhenItCanBeWritten)
{
  QTemporaryDir program, config;
  ScopedConfigHome home(config.path());
  TSettings s(program.path());
  s.WriteRecentFiles({QStringLiteral("/b.erd"), QStringLiteral("/a.erd")});
  EXPECT_EQ(TSettings(program.path()).ReadRecentFiles(), QStringList({QStringLiteral("/b.erd"), QStringLiteral("/a.erd")}));
  EXPECT_TRUE(QFile::exists(s.SettingsFile()));
  EXPECT_FALSE(QFile::exists(TSettings::UserSettingsFile()));
}

TEST(Settings, RecentFilesFallBackToTheUserConfigurationFolder)
{
  QTemporaryDir temp, config;
  ScopedConfigHome home(config.path());
  QFile blocker(temp.filePath(QStringLiteral("file")));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  // A program directory below a regular file cannot be created, not even by
  // root, for whom permissions would not stop a write.
  const QString programDir = temp.filePath(QStringLiteral("file/veska"));
  EXPECT_EQ(TSettings::UserSettingsFile(), QDir(config.path()).filePath(QStringLiteral("veska/VESKA.INI")));

  TSettings s(programDir);
  EXPECT_TRUE(s.ReadRecentFiles().isEmpty());
  s.WriteRecentFiles({QStringLiteral("/x.erd")});
  EXPECT_EQ(TIniFile(TSettings::UserSettingsFile()).ReadSectionKeys(QStringLiteral("MRUFiles")),
            QStringList{QStringLiteral("/x.erd")});
  EXPECT_EQ(TSettings(programDir).ReadRecentFiles(), QStringList{QStringLiteral("/x.erd")});

  // Without a usable XDG_CONFIG_HOME the folder is ~/.config.
  qputenv("XDG_CONFIG_HOME", "relative/path");
  EXPECT_EQ(TSettings::UserSettingsFile(), QDir::home().filePath(QStringLiteral(".config/veska/VESKA.INI")));
}

TEST(Settings, RecentFilesOfASettingsFileThatCannotBeReadAreNotWrittenBackIntoIt)
{
  QTemporaryDir program, config;
  ScopedConfigHome home(config.path());
  TSettings s(program.path());
  {
    QFile ini(s.SettingsFile());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Servers]\r\nParadox=\r\n[MRUFiles]\r\n/old.erd=\r\n");
    // Larger than a settings file may be, so it is not read; root would
    // read a file without read permission.
    ASSERT_TRUE(ini.resize((qint64(1) << 30) + 1));
  }
  {
    TReOpenDlg dialog(s);
    EXPECT_EQ(dialog.Files(), QStringList());
    dialog.AddFile(QStringLiteral("/new.erd"));
  }  // writes the list back at exit: once, the whole settings file became it
  EXPECT_EQ(QFileInfo(s.SettingsFile()).size(), (qint64(1) << 30) + 1);
  EXPECT_EQ(TIniFile(TSettings::UserSettingsFile()).ReadSectionKeys(QStringLiteral("MRUFiles")),
            QStringList{QStringLiteral("/new.erd")});
  EXPECT_EQ(TSettings(program.path()).ReadRecentFiles(), QStringList{QStringLiteral("/new.erd")});
}

}  // namespace
}  // namespace veska
