#include "platform/IniFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

namespace veska {
namespace {

class IniFileTest : public ::testing::Test {
protected:
  QTemporaryDir Dir;
  QString Path = Dir.filePath(QStringLiteral("VESKA.INI"));

  void Write(const QByteArray& bytes)
  {
    QFile f(Path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray Contents() const
  {
    QFile f(Path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
};

TEST_F(IniFileTest, SectionsAndKeysIgnoreCaseAndKeepFileOrder)
{
  Write("; settings\n"
        "[Servers]\n"
        "Paradox=\n"
        "  Dbase  =  x \n"
        "; a comment is no key\n"
        "not a key\n"
        "Oracle=\"  quoted  \"\n"
        "[servers]\n"
        "Later=shadowed\n"
        "[Other]\n"
        "paradox=7\n");
  const TIniFile ini(Path);
  EXPECT_EQ(ini.ReadSectionKeys(QStringLiteral("SERVERS")),
            QStringList({QStringLiteral("Paradox"), QStringLiteral("Dbase"), QStringLiteral("Oracle")}));
  EXPECT_EQ(ini.ReadSetting(QStringLiteral("servers"), QStringLiteral("DBASE")), QStringLiteral("x"));
  EXPECT_EQ(ini.ReadSetting(QStringLiteral("Servers"), QStringLiteral("Oracle")), QStringLiteral("  quoted  "));
  EXPECT_EQ(ini.ReadSetting(QStringLiteral("Servers"), QStringLiteral("Later")), QString());
  EXPECT_EQ(ini.ReadSetting(QStringLiteral("OTHER"), QStringLiteral("Paradox")), QStringLiteral("7"));
  EXPECT_TRUE(ini.ReadSectionKeys(QStringLiteral("Missing")).isEmpty());
  EXPECT_EQ(ini.ReadSectionNames(), QStringList({QStringLiteral("Servers"), QStringLiteral("Other")}));
  using TEntries = QList<std::pair<QString, QString>>;
  EXPECT_EQ(ini.ReadSection(QStringLiteral("servers")),
            TEntries({{"Paradox", ""}, {"Dbase", "x"}, {"Oracle", "  quoted  "}}));

  const TIniFile absent(Dir.filePath(QStringLiteral("none.ini")));
  EXPECT_TRUE(absent.ReadSectionKeys(QStringLiteral("Servers")).isEmpty());
  EXPECT_TRUE(absent.ReadSectionNames().isEmpty());
  EXPECT_EQ(absent.ReadSetting(QStringLiteral("Servers"), QStringLiteral("Paradox")), QString());
  EXPECT_EQ(absent.ReadSettingNumber(QStringLiteral("Servers"), QStringLiteral("Paradox")), 0);
}

TEST_F(IniFileTest, NumbersAreDecimalOrHexadecimal)
{
  Write("[N]\r\nDec=31\r\nNeg=-12\r\nHex=0x1F\r\nUpper=0XfF\r\nBare=0x\r\nAll=0xFFFFFFFF\r\n"
        "Word=abc\r\nMixed=12abc\r\nHuge=99999999999\r\nEmpty=\r\n");
  const TIniFile ini(Path);
  const auto n = [&](const char* key) { return ini.ReadSettingNumber(QStringLiteral("n"), QString::fromLatin1(key)); };
  EXPECT_EQ(n("Dec"), 31);
  EXPECT_EQ(n("Neg"), -12);
  EXPECT_EQ(n("Hex"), 31);
  EXPECT_EQ(n("Upper"), 255);
  EXPECT_EQ(n("All"), -1);
  for (const char* zero : {"Bare", "Word", "Mixed", "Huge", "Empty", "Absent"})
    EXPECT_EQ(n(zero), 0) << zero;
}

TEST_F(IniFileTest, NumbersWithBlanksOrSignsAfterTheHexPrefixReadAsZero)
{
  Write("[N]\r\nBlank=0x 1F\r\nPlus=0x+1\r\nMinus=0x-1\r\nTrail=\"0x1F \"\r\nLead=\" 12\"\r\nGood=+12\r\n");
  const TIniFile ini(Path);
  for (const char* zero : {"Blank", "Plus", "Minus", "Trail", "Lead"})
    EXPECT_EQ(ini.ReadSettingNumber(QStringLiteral("N"), QString::fromLatin1(zero)), 0) << zero;
  EXPECT_EQ(ini.ReadSettingNumber(QStringLiteral("N"), QStringLiteral("Good")), 12);
}

TEST_F(IniFileTest, WritingASectionErasesItAndKeepsTheRest)
{
  Write("; top comment\n"
        "[MRUFiles]\n"
        "; recent diagrams\n"
        "/old/one.erd=\n"
        "/old/two.erd=\n"
        "\n"
        "[Servers]\n"
        "Paradox=\n"
        "odd line\n"
        "[mrufiles]\n"
        "/stale.erd=\n");
  TIniFile ini(Path);
  ini.WriteSectionKeys(QStringLiteral("MRUFiles"), {QStringLiteral("/b.erd"), QStringLiteral("/a.erd")});
  EXPECT_EQ(Contents(), QByteArray("; top comment\r\n"
                                   "[MRUFiles]\r\n"
                                   "; recent diagrams\r\n"
                                   "/b.erd=\r\n"
                                   "/a.erd=\r\n"
                                   "\r\n"
                                   "[Servers]\r\n"
                                   "Paradox=\r\n"
                                   "odd line\r\n"));

  // A new section goes at the end; texts that would not read back as the
  // same key are left out, so a file name cannot add lines to the file.
  ini.WriteSectionKeys(QStringLiteral("New"),
                       {QStringLiteral("x=y"), QStringLiteral("a\n[Servers]"), QStringLiteral("Stra\u00dfe")});
  EXPECT_EQ(ini.ReadSectionKeys(QStringLiteral("new")), QStringList{QStringLiteral("Stra\u00dfe")});
  EXPECT_EQ(ini.ReadSectionKeys(QStringLiteral("Servers")), QStringList{QStringLiteral("Paradox")});
  EXPECT_TRUE(Contents().endsWith("odd line\r\n\r\n[New]\r\nStra\xc3\x9f" "e=\r\n"));
}

TEST_F(IniFileTest, WrittenValuesReadBackAndNoValueAddsALine)
{
  TIniFile ini(Path);
  ini.WriteSection(QStringLiteral("PostgreSQL-Connection"),
                   {{QStringLiteral("Host"), QStringLiteral("/run/pg")},
                    {QStringLiteral("Options"), QStringLiteral("a=b;c")},
                    {QStringLiteral("User"), QStringLiteral("x\n[Servers]\nEvil=")},
                    {QStringLiteral("Database"), QStringLiteral(" padded ")},
                    {QStringLiteral("Port"), QString()}});
  EXPECT_EQ(ini.ReadSection(QStringLiteral("postgresql-connection")),
            (QList<std::pair<QString, QString>>{{QStringLiteral("Host"), QStringLiteral("/run/pg")},
                                                {QStringLiteral("Options"), QStringLiteral("a=b;c")},
                                                {QStringLiteral("Port"), QString()}}));
  EXPECT_TRUE(ini.ReadSection(QStringLiteral("Servers")).isEmpty());
}

TEST_F(IniFileTest, ValuesInQuotesOfTheirOwnAreNotStrippedWhenWrittenBack)
{
  Write("[Names]\nTitle=\"\"Sales\"\"\nShort=\"\"\"\"\nOne=\"x\n");
  TIniFile ini(Path);
  const auto entries = ini.ReadSection(QStringLiteral("Names"));
  ASSERT_EQ(entries, (QList<std::pair<QString, QString>>{{QStringLiteral("Title"), QStringLiteral("\"Sales\"")},
                                                         {QStringLiteral("Short"), QStringLiteral("\"\"")},
                                                         {QStringLiteral("One"), QStringLiteral("\"x")}}));
  ini.WriteSection(QStringLiteral("Names"), entries);
  EXPECT_EQ(ini.ReadSection(QStringLiteral("Names")), entries);
}

TEST_F(IniFileTest, SingleByteFilesAreReadAsWindows1252)
{
  Write("[MRUFiles]\r\nC:\\Mod\xe8les\\caf\xe9.erd=\r\n");
  EXPECT_EQ(TIniFile(Path).ReadSectionKeys(QStringLiteral("MRUFiles")),
            QStringList{QStringLiteral("C:\\Mod\u00e8les\\caf\u00e9.erd")});
}

TEST_F(IniFileTest, AFileThatCannotBeWrittenThrows)
{
  Write("x");
  // A directory below a regular file cannot exist, not even for root.
  TIniFile ini(Dir.filePath(QStringLiteral("VESKA.INI/sub/VESKA.INI")));
  EXPECT_THROW(ini.WriteSectionKeys(QStringLiteral("MRUFiles"), {QStringLiteral("/a.erd")}), std::runtime_error);
  TIniFile dirAsFile(Dir.path());
  try {
    dirAsFile.WriteSectionKeys(QStringLiteral("MRUFiles"), {});
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_TRUE(QString::fromUtf8(e.what()).contains(Dir.path())) << e.what();
  }
}

}  // namespace
}  // namespace veska
