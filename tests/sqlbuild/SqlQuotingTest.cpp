// Names and texts written into statements: whatever they hold, the server
// reads back the same characters.
#include "sqlbuild/SqlQuoting.h"

#include <gtest/gtest.h>

namespace veska {
namespace {

TEST(SqlQuoting, IdentifiersAreAlwaysQuotedWithTheirQuoteDoubled)
{
  const QString name = QStringLiteral("x\"; DROP TABLE `y`; --");
  EXPECT_EQ(QuoteIdentifier(TSqlDialect::PostgreSQL, name), QStringLiteral("\"x\"\"; DROP TABLE `y`; --\""));
  EXPECT_EQ(QuoteIdentifier(TSqlDialect::SQLite, name), QStringLiteral("\"x\"\"; DROP TABLE `y`; --\""));
  EXPECT_EQ(QuoteIdentifier(TSqlDialect::MySQL, name), QStringLiteral("`x\"; DROP TABLE ``y``; --`"));
  // Letter case stays: a plain name is quoted too.
  EXPECT_EQ(QuoteIdentifier(TSqlDialect::PostgreSQL, QStringLiteral("Order")), QStringLiteral("\"Order\""));
  // Quotes at either end and side by side, and no name at all.
  EXPECT_EQ(QuoteIdentifier(TSqlDialect::PostgreSQL, QStringLiteral("\"\"a\"")), QStringLiteral("\"\"\"\"\"a\"\"\""));
  EXPECT_EQ(QuoteIdentifier(TSqlDialect::MySQL, QStringLiteral("``")), QStringLiteral("``````"));
  EXPECT_EQ(QuoteIdentifier(TSqlDialect::SQLite, QString()), QStringLiteral("\"\""));
}

TEST(SqlQuoting, StringsDoubleQuotesAndOnMySqlBackslashesAndKeepLineBreaksOutOfTheText)
{
  const QString text = QStringLiteral("it's \\' --");
  EXPECT_EQ(QuoteString(TSqlDialect::PostgreSQL, text), QStringLiteral("'it''s \\'' --'"));
  EXPECT_EQ(QuoteString(TSqlDialect::SQLite, text), QStringLiteral("'it''s \\'' --'"));
  EXPECT_EQ(QuoteString(TSqlDialect::MySQL, text), QStringLiteral("'it''s \\\\'' --'"));

  const QString lines = QStringLiteral("a'\\\r\nb");
  EXPECT_EQ(QuoteString(TSqlDialect::MySQL, lines), QStringLiteral("'a''\\\\\\r\\nb'"));
  EXPECT_EQ(QuoteString(TSqlDialect::PostgreSQL, lines), QStringLiteral("E'a''\\\\\\r\\nb'"));
  EXPECT_EQ(QuoteString(TSqlDialect::SQLite, lines), QStringLiteral("('a''\\' || char(13) || '' || char(10) || 'b')"));
}

TEST(SqlQuoting, CutsToWholeCharactersBytesOnPostgreSql)
{
  const QString umlauts(40, QChar(0x00e4));  // two bytes each in UTF-8
  EXPECT_EQ(CutIdentifier(TSqlDialect::PostgreSQL, umlauts, 63), QString(31, QChar(0x00e4)));
  EXPECT_EQ(CutIdentifier(TSqlDialect::MySQL, umlauts, 63), umlauts);
  EXPECT_EQ(CutIdentifier(TSqlDialect::MySQL, umlauts, 4), QString(4, QChar(0x00e4)));
  // A character outside the BMP (four bytes, two UTF-16 units) is never split.
  const QString smiles = QStringLiteral("ab\U0001F600\U0001F600");
  EXPECT_EQ(CutIdentifier(TSqlDialect::PostgreSQL, smiles, 5), QStringLiteral("ab"));
  EXPECT_EQ(CutIdentifier(TSqlDialect::PostgreSQL, smiles, 9), QStringLiteral("ab\U0001F600"));
  EXPECT_EQ(CutIdentifier(TSqlDialect::PostgreSQL, smiles, 10), smiles);
  EXPECT_EQ(CutIdentifier(TSqlDialect::SQLite, smiles, 3), QStringLiteral("ab\U0001F600"));
  // 0 is no limit.
  EXPECT_EQ(CutIdentifier(TSqlDialect::SQLite, umlauts, 0), umlauts);
}

TEST(SqlQuoting, ValueIsReplacedAsAWordOutsideQuotedText)
{
  EXPECT_EQ(ReplaceValueWord(QStringLiteral("VALUE > 0 AND value<10"), QStringLiteral("\"c\"")),
            QStringLiteral("\"c\" > 0 AND \"c\"<10"));
  EXPECT_EQ(ReplaceValueWord(QStringLiteral("VALUE IN ('VALUE', 'it''s VALUE') AND \"VALUE\" = `VALUE`"),
                             QStringLiteral("x")),
            QStringLiteral("x IN ('VALUE', 'it''s VALUE') AND \"VALUE\" = `VALUE`"));
  EXPECT_EQ(ReplaceValueWord(QStringLiteral("VALUES + MYVALUE + VALUE_2 + $VALUE"), QStringLiteral("x")),
            QStringLiteral("VALUES + MYVALUE + VALUE_2 + $VALUE"));
  // An open quote runs to the end.
  EXPECT_EQ(ReplaceValueWord(QStringLiteral("VALUE = 'VALUE"), QStringLiteral("x")), QStringLiteral("x = 'VALUE"));
}

}  // namespace
}  // namespace veska
