// Build scripts: what the script target writes. SqlScriptApplyTest.cpp
// applies them with the servers' own clients.
#include "sqlbuild/SqlScript.h"

#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska::test {
namespace {

QByteArray ReadAll(const QString& path)
{
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(SqlScriptTarget, WritesOneTransactionWithCrLfOnlyWhenCommitted)
{
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("build.sql"));
  {
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
  }
  TSqlScriptTarget target(path, TSqlDialect::SQLite);
  EXPECT_EQ(target.Begin(), QString());
  EXPECT_EQ(target.Execute({TSqlStep::Create, "Creating Table A", "CREATE TABLE \"A\" (\n  \"x\" integer\n)", {}}),
            QString());
  EXPECT_EQ(target.End(false), QString());
  EXPECT_EQ(ReadAll(path), QByteArray("old"));  // a run that failed keeps the old script

  EXPECT_EQ(target.Begin(), QString());  // starts afresh
  target.Execute({TSqlStep::Drop, "Dropping Table \u00c4", "DROP TABLE IF EXISTS \"\u00c4\"", {}});
  target.Execute({TSqlStep::Create, "Creating Table A", "CREATE TABLE \"A\" (\n  \"x\" integer\n)", {}});
  EXPECT_EQ(target.End(true), QString());
  EXPECT_EQ(QString::fromUtf8(ReadAll(path)),
            QStringLiteral("PRAGMA foreign_keys = ON;\r\n\r\nBEGIN;\r\n\r\nDROP TABLE IF EXISTS \"\u00c4\";\r\n\r\n"
                           "CREATE TABLE \"A\" (\r\n  \"x\" integer\r\n);\r\n\r\nCOMMIT;\r\n"));

  TSqlScriptTarget postgres(path, TSqlDialect::PostgreSQL);
  postgres.Begin();
  EXPECT_EQ(postgres.End(true), QString());
  EXPECT_EQ(ReadAll(path), QByteArray("BEGIN;\r\n\r\nCOMMIT;\r\n"));

  // A file that cannot be written: the reason names it.
  TSqlScriptTarget lost(dir.filePath(QStringLiteral("no/such/dir/build.sql")), TSqlDialect::MySQL);
  lost.Begin();
  EXPECT_TRUE(lost.End(true).contains(QStringLiteral("no/such/dir/build.sql")));
}

TEST(SqlScriptTarget, SetsOffMySqlBodiesWithADelimiterTheyDoNotHoldAndKeepsAnOldFileOnAFullDisk)
{
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("build.sql"));
  TSqlScriptTarget target(path, TSqlDialect::MySQL);
  target.Begin();
  EXPECT_EQ(target.End(true), QString());
  EXPECT_EQ(ReadAll(path), QByteArray("\r\n"));
  target.Begin();
  target.Execute({TSqlStep::Create, "Creating Table A", "CREATE TABLE `A` (`x` int)", {}});
  target.Execute({TSqlStep::Create, "Creating Process P", "CREATE PROCEDURE p() BEGIN SELECT '$$'; END", {}});
  EXPECT_EQ(target.End(true), QString());
  EXPECT_EQ(ReadAll(path), QByteArray("CREATE TABLE `A` (`x` int);\r\n\r\n"
                                      "DELIMITER $$$\r\nCREATE PROCEDURE p() BEGIN SELECT '$$'; END$$$\r\n"
                                      "DELIMITER ;\r\n"));
  // A script that could not be written whole is no script: the file stays.
  target.Begin();
  {
    TFileSizeLimit full(8);
    target.Execute({TSqlStep::Create, "Creating Table B", "CREATE TABLE `B` (`x` int)", {}});
    EXPECT_TRUE(target.End(true).contains(QStringLiteral("build.sql")));
  }
  EXPECT_TRUE(ReadAll(path).startsWith("CREATE TABLE `A`"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("build.sql")});
}

}  // namespace
}  // namespace veska::test
