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

// An installation: the programs in PREFIX/bin, their data in
// PREFIX/share/veska.
class InstalledSettings : public ::testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(Prefix.isValid() && Config.isValid());
    ASSERT_TRUE(QDir().mkpath(Bin) && QDir().mkpath(Data));
    WriteIni(Data, "[Servers]\r\nParadox=\r\n[MRUFiles]\r\n/shipped.erd=\r\n");
  }
  static void WriteIni(const QString& dir, const QByteArray& text)
  {
    QFile ini(QDir(dir).filePath(QStringLiteral("VESKA.INI")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ASSERT_EQ(ini.write(text), text.size());
  }

  QTemporaryDir Prefix, Config;
  ScopedConfigHome Home{Config.path()};
  QString Bin = Prefix.filePath(QStringLiteral("bin"));
  QString Data = Prefix.filePath(QStringLiteral("share/veska"));
};

TEST_F(InstalledSettings, AnInstalledProgramReadsTheDataFolderAndKeepsItsRecentFilesInTheUsersFolder)
{
  TSettings s = TSettings::ForProgram(Bin);
  EXPECT_EQ(s.Place(), TSettingsPlace::Installed);
  EXPECT_EQ(s.SettingsFile(), QDir(Data).filePath(QStringLiteral("VESKA.INI")));
  EXPECT_EQ(s.HelpDirectory(), QDir(Data).filePath(QStringLiteral("help")));
  EXPECT_EQ(s.Ini().ReadSectionKeys(QStringLiteral("Servers")), QStringList{QStringLiteral("Paradox")});

  // The data folder can be written here (by root it always can), yet the
  // shared settings file is never the one a user's list goes to.
  EXPECT_EQ(s.RecentFilesFile(), TSettings::UserSettingsFile());
  EXPECT_EQ(s.ReadRecentFiles(), QStringList{QStringLiteral("/shipped.erd")});
  const QByteArray shared = [&] {
    QFile f(s.SettingsFile());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }();
  s.WriteRecentFiles({QStringLiteral("/mine.erd")});
  EXPECT_EQ(TSettings::ForProgram(Bin).ReadRecentFiles(), QStringList{QStringLiteral("/mine.erd")});
  QFile f(s.SettingsFile());
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), shared);
}

TEST_F(InstalledSettings, ASettingsFileBesideTheProgramComesFirst)
{
  WriteIni(Bin, "[Servers]\r\nDbase=\r\n");
  const TSettings s = TSettings::ForProgram(Bin);
  EXPECT_EQ(s.Place(), TSettingsPlace::BesideProgram);
  EXPECT_EQ(s.SettingsFile(), QDir(Bin).filePath(QStringLiteral("VESKA.INI")));
  EXPECT_EQ(s.RecentFilesFile(), s.SettingsFile());
}

TEST_F(InstalledSettings, WithoutAnySettingsFileTheProgramsDirectoryIsUsed)
{
  QFile::remove(QDir(Data).filePath(QStringLiteral("VESKA.INI")));
  const TSettings s = TSettings::ForProgram(Bin);
  EXPECT_EQ(s.Place(), TSettingsPlace::BesideProgram);
  EXPECT_EQ(s.ProgramDirectory(), Bin);
  EXPECT_TRUE(s.Ini().ReadSectionKeys(QStringLiteral("Servers")).isEmpty());
}

}  // namespace
}  // namespace veska
