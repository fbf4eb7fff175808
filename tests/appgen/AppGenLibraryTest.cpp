// The template library file, the formatting of one template and the width
// rules.
#include "appgen/AppGenerator.h"
#include "appgen/LibraryCipher.h"
#include "platform/IniFile.h"
#include "platform/TextEncoding.h"
#include "support/RecordingMessages.h"
#include "surface/DrawingSurface.h"

#include "AppGenFixture.h"

#include <QDir>

namespace veska::test {
namespace {

QString Message(const std::function<void()>& f)
{
  try {
    f();
  } catch (const TAppGenError& e) {
    return QString::fromStdString(e.what());
  }
  return QStringLiteral("<no error>");
}

TEST(TemplateLibrary, SkipsTheFirstByteSplitsAtBarsAndIgnoresTheRest)
{
  const QStringList templates = ParseTemplateLibrary(SyntheticLibrary(), QStringLiteral("lib"));
  ASSERT_EQ(templates.size(), kTemplateCount);
  EXPECT_EQ(templates[0], QStringLiteral("<T0>\r\n"));
  EXPECT_EQ(templates[37], QStringLiteral("<T37 %s %s %d %d %s %s %s>\r\n"));
  EXPECT_EQ(templates[55], QStringLiteral("<T55 %d %d %d %d %s %s %d %s %s>\r\n"));
}

TEST(TemplateLibrary, FewerThan56TemplatesIsAnErrorNamingTheFile)
{
  QByteArray plain = "#" + SyntheticTemplates();
  plain.chop(1);  // the 56th "|"
  EXPECT_EQ(Message([&] { ParseTemplateLibrary(CipherLibrary(plain), QStringLiteral("/x/VESKA.LIB")); }),
            QStringLiteral("The template library /x/VESKA.LIB is damaged: it holds 55 of the 56 templates."));
}

// Run once under the sanitizer build: no length reads past the end.
TEST(TemplateLibrary, EveryTruncationIsADamagedLibraryNeverACrash)
{
  const QByteArray library = SyntheticLibrary();
  const qsizetype complete = 1 + SyntheticTemplates().size();
  for (qsizetype n = 0; n < complete; ++n)
    EXPECT_THROW(ParseTemplateLibrary(library.left(n), QStringLiteral("lib")), TAppGenError) << n;
  EXPECT_EQ(ParseTemplateLibrary(library.left(complete), QStringLiteral("lib")).size(), kTemplateCount);
}

TEST(TemplateLibrary, MissingFileOrDirectoryEndsTheRunWithTheSystemsReason)
{
  QTemporaryDir dir;
  const QString missing = dir.filePath(QStringLiteral("NONE.LIB"));
  EXPECT_EQ(Message([&] { LoadTemplateLibrary(missing); }),
            QStringLiteral("Cannot read the template library %1: No such file or directory").arg(missing));
  const QString message = Message([&] { LoadTemplateLibrary(dir.path()); });
  EXPECT_TRUE(message.startsWith(QStringLiteral("Cannot read the template library %1: ").arg(dir.path()))) << qPrintable(message);
  EXPECT_FALSE(Message([] { LoadTemplateLibrary(QString()); }).startsWith(QStringLiteral("<no")));
}

TEST(TemplateLibrary, FileNameOfTheSettingsIsRelativeToTheProgramDirectory)
{
  QTemporaryDir dir;
  const QString ini = dir.filePath(QStringLiteral("VESKA.INI"));
  QFile f(ini);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("[Library]\r\nFileName=VESKA.LIB\r\n");
  f.close();
  EXPECT_EQ(LibraryFilePath(TIniFile(ini), QStringLiteral("/opt/veska")), QStringLiteral("/opt/veska/VESKA.LIB"));
}

TEST(FormatTemplate, PlaceholdersTakeTheArgumentsInOrder)
{
  EXPECT_EQ(FormatTemplate(QStringLiteral("a %s b %d c"), {"x", 42}), QStringLiteral("a x b 42 c"));
  EXPECT_EQ(FormatTemplate(QStringLiteral("100%% %d%%"), {-7}), QStringLiteral("100% -7%"));
  // Other sequences stand as they are, a lone "%" at the end too.
  EXPECT_EQ(FormatTemplate(QStringLiteral("%x %5d %"), {1}), QStringLiteral("%x %5d %"));
  // A placeholder without an argument gives nothing; extra arguments are unused.
  EXPECT_EQ(FormatTemplate(QStringLiteral("[%s|%d|%s]"), {"a"}), QStringLiteral("[a||]"));
  EXPECT_EQ(FormatTemplate(QStringLiteral("%s"), {"a", "b", 3}), QStringLiteral("a"));
}

TEST(FormatTemplate, SingleQuotesInTextsAreDoubledForTheQuotedStrings)
{
  EXPECT_EQ(FormatTemplate(QStringLiteral("Caption = '%s'"), {"Owner's car"}),
            QStringLiteral("Caption = 'Owner''s car'"));
}

TEST(FormatTemplate, OutputIsCutAt2048CharactersNeverInsideOne)
{
  const QString longText(3000, QLatin1Char('a'));
  bool wasCut = false;
  EXPECT_EQ(FormatTemplate(QStringLiteral("<%s>"), {longText}, &wasCut).size(), kFormatBufferSize);
  EXPECT_TRUE(wasCut);
  EXPECT_EQ(FormatTemplate(QStringLiteral("<%s>"), {QString(2046, QLatin1Char('a'))}, &wasCut).size(), 2048);
  EXPECT_FALSE(wasCut) << "exactly 2048 characters are not cut";
  // 2047 letters and then characters of two UTF-16 units each.
  const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
  const QString mixed = QString(2047, QLatin1Char('b')) + emoji + emoji;
  const QString cut = FormatTemplate(QStringLiteral("%s"), {mixed});
  EXPECT_EQ(cut, QString(2047, QLatin1Char('b')) + emoji);
  // Many characters of two units: the limit counts characters.
  QString pairs;
  for (int i = 0; i < 3000; ++i)
    pairs += emoji;
  EXPECT_EQ(CharacterCount(FormatTemplate(QStringLiteral("%s"), {pairs})), kFormatBufferSize);
}

class WidthTest : public ::testing::Test {
protected:
  TRecordingMessages Msgs;
  TFixedTextMeasurer Measurer;
  TDrawingSurface S{Msgs, Measurer};
  int W(const char* text) const { return CharacterWidth(S, QString::fromLatin1(text)); }
};

TEST_F(WidthTest, TypeTableSizesAndLimits)
{
  EXPECT_EQ(W("VarChar(30)"), 30);
  EXPECT_EQ(W("varchar(30)"), 30);  // letter case ignored
  EXPECT_EQ(W("VarChar(300)"), 50);
  EXPECT_EQ(W("Integer(0)"), 6);
  EXPECT_EQ(W("SmallInt(0)"), 4);
  EXPECT_EQ(W("Money(0)"), 14);
  EXPECT_EQ(W("Decimal(10,2)"), 22);   // the size ends at the comma
  EXPECT_EQ(W("Numeric(abc)"), 22);    // not a number: 10
  EXPECT_EQ(W("Char(12"), 12);         // no ")": to the end
  EXPECT_EQ(W("Boolean"), 4);          // no "(": size 0, at least 4
  EXPECT_EQ(W("Default(0)"), 10);      // not in the table
  EXPECT_EQ(W("Picture(40)"), 10);
  EXPECT_EQ(W("Char(-30)"), 4);
}

TEST_F(WidthTest, SizeWithBlanksOrOtherCharactersIsNoNumber)
{
  EXPECT_EQ(W("VarChar(30 )"), 10);
  EXPECT_EQ(W("VarChar( 30)"), 10);
  EXPECT_EQ(W("Decimal(1 0,2)"), 22);
  EXPECT_EQ(W("Char(3O)"), 10);
  EXPECT_EQ(W("VarChar()"), 10);
  EXPECT_EQ(W("Char(+30)"), 30);
}

TEST_F(WidthTest, SizeNearTheIntegerLimitDoesNotOverflow)
{
  EXPECT_EQ(W("Decimal(2147483647)"), 50);
  EXPECT_EQ(W("Decimal(-2147483648)"), 4);
  EXPECT_EQ(W("Decimal(99999999999)"), 22);
}

TEST_F(WidthTest, DomainStandsForItsDataType)
{
  auto code = std::make_unique<TDomain>();
  code->Name = QStringLiteral("Code");
  code->DataType = QStringLiteral("Char(2)");
  S.AddDomain(std::move(code));
  auto name = std::make_unique<TDomain>();
  name->Name = QStringLiteral("Name");
  name->DataType = QStringLiteral("VarChar(40)");
  S.AddDomain(std::move(name));
  EXPECT_EQ(W("Code(0)"), 4);  // Char(2): the minimum, not 2
  EXPECT_EQ(W("CODE(99)"), 4);
  EXPECT_EQ(W("name(0)"), 40);
}

}  // namespace
}  // namespace veska::test
