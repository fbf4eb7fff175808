// The type maps of the shipped settings read backwards, and the pieces of
// SQL text a catalog keeps.
#include "platform/IniFile.h"
#include "sqlbuild/SqlTypes.h"
#include "sqlreverse/ReverseTypes.h"
#include "sqlreverse/SqlCatalog.h"

#include <gtest/gtest.h>

namespace veska {
namespace {

struct TCase {
  TSqlDialect Dialect;
  const char* SqlType;
  bool Identity;
  const char* DataType;
  const char* Width;
};

TEST(ReverseTypesTest, ColumnTypesMapBackToTheModelTypeThatBuildsThemAgain)
{
  const TIniFile ini(QStringLiteral(VESKA_SHIPPED_INI));
  const std::vector<TCase> cases = {
      {TSqlDialect::SQLite, "varchar(30)", false, "VarChar", "30"},
      {TSqlDialect::SQLite, "numeric(10,2)", false, "Decimal(10,2)", "0"},
      {TSqlDialect::SQLite, "NUMERIC ( 10 , 2 )", false, "Decimal(10,2)", "0"},
      {TSqlDialect::SQLite, "integer", true, "AutoInc", "0"},
      {TSqlDialect::SQLite, "integer", false, "Integer", "0"},
      {TSqlDialect::SQLite, "double precision", false, "Double", "0"},
      {TSqlDialect::SQLite, "money_t", false, "money_t", "0"},
      {TSqlDialect::PostgreSQL, "character varying(30)", false, "VarChar", "30"},
      {TSqlDialect::PostgreSQL, "character(5)", false, "Char", "5"},
      {TSqlDialect::PostgreSQL, "timestamp without time zone", false, "DateTime", "0"},
      {TSqlDialect::PostgreSQL, "numeric(19,4)", false, "Decimal(19,4)", "0"},
      {TSqlDialect::PostgreSQL, "bytea", false, "Blob", "0"},
      // An identity column of a type no counter has keeps its type.
      {TSqlDialect::PostgreSQL, "bigint", true, "bigint", "0"},
      {TSqlDialect::PostgreSQL, "timestamp with time zone", false, "timestamp with time zone", "0"},
      {TSqlDialect::MySQL, "int(11)", false, "Integer", "0"},
      {TSqlDialect::MySQL, "int(11)", true, "AutoInc", "0"},
      {TSqlDialect::MySQL, "tinyint(1)", false, "Boolean", "0"},
      {TSqlDialect::MySQL, "tinyint(3) unsigned", false, "Byte", "0"},
      // The entry's default size is no size of the column's own.
      {TSqlDialect::MySQL, "varchar(255)", false, "VarChar", "0"},
      {TSqlDialect::MySQL, "decimal(18,4)", false, "Decimal", "0"},
      {TSqlDialect::MySQL, "varbinary(16)", false, "Binary", "16"},
  };
  for (const TCase& c : cases) {
    const QString server = SqlDialectName(c.Dialect);
    const TReverseTypeMap map(ReadSqlTypeMap(ini, server), c.Dialect);
    const TModelType type = map.Find(QString::fromLatin1(c.SqlType), c.Identity);
    EXPECT_EQ(type.DataType, QString::fromLatin1(c.DataType)) << server.toStdString() << " " << c.SqlType;
    EXPECT_EQ(type.Width, QString::fromLatin1(c.Width)) << server.toStdString() << " " << c.SqlType;
  }
}

// Every entry of each map, built with and without a size, reads back as a
// type that builds the same SQL type.
TEST(ReverseTypesTest, EveryEntryOfTheShippedMapsSurvivesARoundTrip)
{
  const TIniFile ini(QStringLiteral(VESKA_SHIPPED_INI));
  for (const TSqlDialect dialect : {TSqlDialect::SQLite, TSqlDialect::PostgreSQL, TSqlDialect::MySQL}) {
    const QString server = SqlDialectName(dialect);
    const TTypeMap sqlTypes = ReadSqlTypeMap(ini, server);
    const TReverseTypeMap map(sqlTypes, dialect);
    for (qsizetype i = 0; i < sqlTypes.DataTypes().size(); ++i) {
      const QString& value = sqlTypes.FieldTypeNames()[i];
      if (sqlTypes.DataTypes()[i].endsWith(QLatin1String("(FK)")))
        continue;
      for (const QString& size : {QString(), QStringLiteral("7"), QStringLiteral("9,3")}) {
        if (!size.isEmpty() && !value.contains(QLatin1String("{size")))
          continue;
        const TSqlType built = ExpandSqlType(value, size);
        const TModelType read = map.Find(built.Type, built.Identity);
        const QString width = read.Width == QLatin1String("0") ? QString() : read.Width;
        const QString inside = read.DataType.section(QLatin1Char('('), 1).chopped(read.DataType.contains('(') ? 1 : 0);
        const std::optional<QString> again = sqlTypes.Lookup(read.DataType.section(QLatin1Char('('), 0, 0));
        ASSERT_TRUE(again.has_value()) << server.toStdString() << " " << built.Type.toStdString();
        const TSqlType rebuilt = ExpandSqlType(*again, inside.isEmpty() ? width : inside);
        EXPECT_EQ(rebuilt.Type, built.Type) << server.toStdString() << " " << read.DataType.toStdString();
        EXPECT_EQ(rebuilt.Identity, built.Identity) << server.toStdString() << " " << built.Type.toStdString();
      }
    }
  }
}

TEST(ReverseTypesTest, ChecksLoseTheirKeywordAndOuterParentheses)
{
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"CHECK ((qty > 0))", "qty > 0"},
      {"(a > 0) AND (b > 0)", "(a > 0) AND (b > 0)"},
      {"check (name <> ')')", "name <> ')'"},
      {"`price` >= 0", "`price` >= 0"},
  };
  for (const auto& [clause, condition] : cases)
    EXPECT_EQ(CheckCondition(QString::fromLatin1(clause)), QString::fromLatin1(condition)) << clause;
  EXPECT_EQ(NamesInCondition(QStringLiteral("\"Qty\" > 0 AND [x y] <> 'a b' -- z")),
            (QStringList{QStringLiteral("Qty"), QStringLiteral("AND"), QStringLiteral("x y")}));
}

}  // namespace
}  // namespace veska
