// Reading SQLite files that the tests write with Qt's own driver: what the
// CREATE TABLE text alone tells (checks, counters, names of foreign keys),
// names no identifier could be, relations the model has no kind for, and
// files that are no database.
#include "ModelFacts.h"
#include "platform/TextMeasurer.h"
#include "sqlreverse/SqlReverse.h"
#include "support/RecordingMessages.h"
#include "surface/DrawingSurface.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska::test {
namespace {

class SqliteReverseTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(Dir.isValid()); }

  // Writes the statements into the test's database file.
  void Write(const QStringList& statements)
  {
    {
      QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("writer"));
      db.setDatabaseName(File());
      ASSERT_TRUE(db.open());
      QSqlQuery query(db);
      for (const QString& statement : statements)
        ASSERT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
      db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("writer"));
  }

  TSqlReverseResult ReadFile(const QString& file)
  {
    TSqlConnection connection;
    connection.DatabaseFile = file;
    const TSqlReverseResult result = ReverseEngineerSql(Surface, Ini, QStringLiteral("SQLite"), connection, {}, {});
    ExpectIntegrity(Surface);
    return result;
  }

  QString File() const { return Dir.filePath(QStringLiteral("test.db")); }

  QTemporaryDir Dir;
  TIniFile Ini{QStringLiteral(VESKA_SHIPPED_INI)};
  TRecordingMessages Messages;
  TFixedTextMeasurer Measurer;
  TDrawingSurface Surface{Messages, Measurer};
};

TEST_F(SqliteReverseTest, TheCreateTextGivesChecksCountersAndForeignKeyNames)
{
  Write({QStringLiteral("CREATE TABLE \"x\"\"; DROP TABLE y; --\" (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                        "[my col] varchar(20) NOT NULL DEFAULT 'it''s' CHECK (length([my col]) > 1), "
                        "n integer, CHECK (n BETWEEN 1 AND 9), CHECK (n < id))"),
         QStringLiteral("CREATE TABLE child (id integer NOT NULL, parent integer, /* a, b */ "
                        "CONSTRAINT \"up, or down\" FOREIGN KEY (parent) REFERENCES \"x\"\"; DROP TABLE y; --\", "
                        "PRIMARY KEY (id))"),
         QStringLiteral("CREATE VIEW v AS SELECT 1"), QStringLiteral("CREATE TABLE y (a integer)")});
  const TSqlReverseResult result = ReadFile(File());
  ASSERT_EQ(result.Error, QString());
  EXPECT_EQ(result.Tables, 3);
  EXPECT_EQ(result.LeftOut, QStringList{QStringLiteral("View v")});

  const TEntity* hostile = Surface.Entities.Find(QStringLiteral("x\"; DROP TABLE y; --"));
  ASSERT_NE(hostile, nullptr);
  EXPECT_EQ(hostile->TableName(), QStringLiteral("x\"; DROP TABLE y; --"));
  EXPECT_EQ(hostile->PrimaryKey.Objects(0)->DataType, QStringLiteral("AutoInc"));
  const TAttribute* column = hostile->Attributes.Objects(0);
  EXPECT_EQ(column->Name, QStringLiteral("my col"));
  // No identifier: a build takes the attribute's name as the column's.
  EXPECT_EQ(column->ColumnName(), QString());
  EXPECT_EQ(column->DefaultValue(), QStringLiteral("it's"));
  EXPECT_EQ(column->Rule(), QStringLiteral("length([my col]) > 1"));
  EXPECT_FALSE(column->AllowNulls);
  // A table's check on one column is its rule; one on two columns is not.
  EXPECT_EQ(hostile->Attributes.Objects(1)->Rule(), QStringLiteral("n BETWEEN 1 AND 9"));

  ASSERT_EQ(Surface.Relations.Count(), 1);
  const TRelation* r = Surface.Relations.Objects(0);
  EXPECT_EQ(r->RelationName(), QStringLiteral("up_ or down"));
  EXPECT_EQ(r->MigratedAttributes.Objects(0)->Name, QStringLiteral("parent"));
  EXPECT_EQ(r->MigratedAttributes.Objects(0)->DataType, QStringLiteral("AutoInc"));

  const QString completion = SqlReverseCompletion(result);
  EXPECT_TRUE(completion.startsWith(QStringLiteral("Processing completed.\nRead 3 tables, 1 relation, 0 domains and "
                                                   "0 processes.\nLeft out:\n  View v")))
      << completion.toStdString();
  EXPECT_EQ(Messages.Lines(), QStringList());
}

// Keys that share their columns in a ring, and a foreign key half in the
// key: the model has no relation that holds either, so the keys stay as
// they are, the relations are left out and the completion names them.
TEST_F(SqliteReverseTest, RelationsTheModelCannotHoldAreNamedAndTheKeysStay)
{
  Write({QStringLiteral("CREATE TABLE a (x integer NOT NULL PRIMARY KEY, CONSTRAINT a_b FOREIGN KEY (x) "
                        "REFERENCES b (x))"),
         QStringLiteral("CREATE TABLE b (x integer NOT NULL PRIMARY KEY, CONSTRAINT b_a FOREIGN KEY (x) "
                        "REFERENCES a (x))"),
         QStringLiteral("CREATE TABLE node (id integer NOT NULL PRIMARY KEY, CONSTRAINT self FOREIGN KEY (id) "
                        "REFERENCES node (id))"),
         QStringLiteral("CREATE TABLE offer (course integer NOT NULL, term integer NOT NULL, PRIMARY KEY (course, "
                        "term))"),
         QStringLiteral("CREATE TABLE enrol (student integer NOT NULL, course integer NOT NULL, term integer, "
                        "PRIMARY KEY (student, course), CONSTRAINT taken FOREIGN KEY (course, term) REFERENCES "
                        "offer (course, term))"),
         QStringLiteral("CREATE TABLE loose (id integer, ref integer REFERENCES nowhere (id))")});
  const TSqlReverseResult result = ReadFile(File());
  ASSERT_EQ(result.Error, QString());
  EXPECT_EQ(result.Relations, 1);
  ASSERT_EQ(result.Notes.size(), 4) << result.Notes.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(result.Notes[0].startsWith(QStringLiteral("The relation b_a of b is not read: as a master-detail")));
  EXPECT_TRUE(result.Notes[1].startsWith(QStringLiteral("The relation self of node is not read")));
  EXPECT_TRUE(result.Notes[2].startsWith(QStringLiteral("The relation taken of enrol is not read: some of")));
  EXPECT_TRUE(result.Notes[3].contains(QStringLiteral("nowhere was not read")));
  for (const char* table : {"a", "b", "node"})
    EXPECT_EQ(Surface.Entities.Find(QString::fromLatin1(table))->PrimaryKey.Count(), 1) << table;
  EXPECT_EQ(Surface.Entities.Find(QStringLiteral("enrol"))->PrimaryKey.Count(), 2);
  EXPECT_TRUE(Surface.Relations.Find(QStringLiteral("a_b"))->PrimaryRelation());
  EXPECT_TRUE(SqlReverseCompletion(result).contains(result.Notes[0]));
}

TEST_F(SqliteReverseTest, AFileThatIsMissingOrNoDatabaseIsAnErrorAndNothingIsMade)
{
  EXPECT_FALSE(ReadFile(Dir.filePath(QStringLiteral("missing.db"))).Error.isEmpty());
  EXPECT_FALSE(QFile::exists(Dir.filePath(QStringLiteral("missing.db"))));
  QFile text(File());
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write(QByteArray(4096, 'x'));
  text.close();
  EXPECT_FALSE(ReadFile(File()).Error.isEmpty());
  EXPECT_EQ(Surface.Entities.Count(), 0);
}

}  // namespace
}  // namespace veska::test
