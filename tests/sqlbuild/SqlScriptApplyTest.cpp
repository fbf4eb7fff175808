// Build scripts of the test model applied for real with each server's own
// client (sqlite3, psql, mariadb on the shared servers of
// support/SqlServers.h), then read back from the servers' catalogs and tried
// with rows.
#include "SqlModel.h"
#include "sqlbuild/SqlQuoting.h"
#include "sqlbuild/SqlScript.h"
#include "support/SqlServers.h"

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

// A database to apply scripts to and ask things of, through its server's
// own client.
class TDatabase {
public:
  virtual ~TDatabase() = default;
  // Runs the script file as the server's client reads a file.
  TProgramOutput Apply(const QString& script) { return Query(QString::fromUtf8(ReadAll(script))); }
  virtual TProgramOutput Query(const QString& sql) = 0;
};

// A database file of its own; foreign keys checked as the script asks.
class TSqliteDatabase final : public TDatabase {
public:
  explicit TSqliteDatabase(const QString& file) : FFile(file) {}
  TProgramOutput Query(const QString& sql) override
  {
    return RunSqlite3(FFile, QStringLiteral("PRAGMA foreign_keys = ON;\n") + sql);
  }

private:
  QString FFile;
};

// A fresh database on a shared server; empty Name when it could not be made
// (the test failed then).
class TServerDatabase final : public TDatabase {
public:
  explicit TServerDatabase(TSqlServer& server) : FServer(server), Name(server.CreateDatabase()) {}
  TProgramOutput Query(const QString& sql) override { return FServer.Client(Name, sql); }

private:
  TSqlServer& FServer;

public:
  const QString Name;
};

// The rows of a query, "|" between fields; MariaDB's client separates
// fields by tabs.
QString Rows(TDatabase& db, const QString& sql)
{
  const TProgramOutput run = db.Query(sql);
  EXPECT_TRUE(run.Ok()) << sql.toStdString() << ": " << run.Describe().toStdString();
  return run.Lines().join(QLatin1Char('\n')).replace(QLatin1Char('\t'), QLatin1Char('|'));
}

class SqlScriptApplyTest : public SqlModelTest {
protected:
  QTemporaryDir Dir;

  // The model's script written by the script target as a run writes it.
  QString WriteScript(const QString& server, TSqlDialect dialect, const TSqlBuildOptions& options)
  {
    const QString path = Dir.filePath(server + QStringLiteral(".sql"));
    TSqlScriptTarget target(path, dialect);
    EXPECT_EQ(target.Begin(), QString());
    for (const TSqlStep& step : Steps(server, options)) {
      EXPECT_EQ(step.Error, QString()) << step.Caption.toStdString();
      if (!step.Statement.isEmpty())
        target.Execute(step);
    }
    EXPECT_EQ(target.End(true), QString());
    return path;
  }

  // What every server must do with the model: apply the script twice (the
  // second run drops and builds again), keep a bystander table named as the
  // hostile name's payload, and keep defaults, rules, keys and cascades.
  void ApplyAndUse(TDatabase& db, const QString& server, TSqlDialect dialect)
  {
    auto q = [dialect](const QString& name) { return QuoteIdentifier(dialect, name); };
    ASSERT_TRUE(db.Query(QStringLiteral("CREATE TABLE y (k integer); INSERT INTO y VALUES (7)")).Ok());
    const QString script = WriteScript(server, dialect, Options());
    for (int pass = 0; pass < 2; ++pass) {
      const TProgramOutput run = db.Apply(script);
      ASSERT_TRUE(run.Ok()) << run.Describe().toStdString() << "\n" << ReadAll(script).toStdString();
    }
    EXPECT_EQ(Rows(db, QStringLiteral("SELECT k FROM y")), QStringLiteral("7"));

    // Defaults: the hostile text arrives as written, in the table of exactly that name.
    ASSERT_TRUE(db.Query(QStringLiteral("INSERT INTO %1 (%2) VALUES (1)").arg(q(kHostileTable), q("K"))).Ok());
    EXPECT_EQ(Rows(db, QStringLiteral("SELECT %1 FROM %2").arg(q("V"), q(kHostileTable))), kHostileDefault);
    ASSERT_TRUE(db.Query(QStringLiteral("INSERT INTO %1 (%2) VALUES ('Ann')").arg(q("Customer"), q("Name"))).Ok());
    EXPECT_EQ(Rows(db, QStringLiteral("SELECT %1, %2 FROM %3").arg(q("Id"), q("Note"), q("Customer"))),
              QStringLiteral("1|") + kHostileDefault);
    // NOT NULL and the unique index.
    EXPECT_FALSE(db.Query(QStringLiteral("INSERT INTO %1 (%2) VALUES (NULL)").arg(q("Customer"), q("Name"))).Ok());
    EXPECT_FALSE(db.Query(QStringLiteral("INSERT INTO %1 (%2) VALUES ('Ann')").arg(q("Customer"), q("Name"))).Ok());

    // The domain's rule holds for its column; the default fills it.
    const QString order = QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5) VALUES ")
                              .arg(q("Order"), q("Region"), q("No"), q("Id"), q("Total"));
    EXPECT_FALSE(db.Query(order + QStringLiteral("('EU', 1, 1, -1)")).Ok());
    ASSERT_TRUE(db.Query(order + QStringLiteral("('EU', 1, 1, 2.5)")).Ok());
    ASSERT_TRUE(
        db.Query(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES ('EU', 2)").arg(q("Order"), q("Region"), q("No"))).Ok());
    EXPECT_EQ(Rows(db, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = 2 AND %3 = 0.5")
                           .arg(q("Order"), q("No"), q("Total"))),
              QStringLiteral("1"));
    // The attribute's own rule.
    EXPECT_FALSE(db.Query(QStringLiteral("INSERT INTO %1 (%2, %3, placed) VALUES ('EU', 3, '1999-01-01')")
                           .arg(q("Order"), q("Region"), q("No"))).Ok());
    // Foreign keys: no order of a customer that is not there.
    EXPECT_FALSE(db.Query(order + QStringLiteral("('EU', 9, 42, 1)")).Ok());

    // Master-detail cascades; one-to-one stays one.
    const QString line = QStringLiteral("INSERT INTO %1 (%2, %3, %4) VALUES ")
                             .arg(q("OrderLine"), q("Line"), q("Region"), q("No"));
    ASSERT_TRUE(db.Query(line + QStringLiteral("(1, 'EU', 1)")).Ok());
    EXPECT_FALSE(db.Query(line + QStringLiteral("(2, 'EU', 5)")).Ok());
    const QString invoice = QStringLiteral("INSERT INTO %1 (%2, %3, %4) VALUES ")
                                .arg(q("Invoice"), q("InvoiceNo"), q("Region"), q("No"));
    ASSERT_TRUE(db.Query(invoice + QStringLiteral("(1, 'EU', 2)")).Ok());
    EXPECT_FALSE(db.Query(invoice + QStringLiteral("(2, 'EU', 2)")).Ok());
    ASSERT_TRUE(db.Query(QStringLiteral("DELETE FROM %1 WHERE %2 = 1").arg(q("Order"), q("No"))).Ok());
    EXPECT_EQ(Rows(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(q("OrderLine"))), QStringLiteral("0"));
  }
};

TEST_F(SqlScriptApplyTest, SQLiteScriptAppliesWithTheSqlite3Client)
{
  TSqliteDatabase db(Dir.filePath(QStringLiteral("model.db")));
  ApplyAndUse(db, QStringLiteral("SQLite"), TSqlDialect::SQLite);

  // Columns in key-then-attribute order with their types, NOT NULL and key positions.
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT name, lower(type), \"notnull\", pk FROM pragma_table_info('Order')")),
            QStringLiteral("Region|char(2)|1|1\nNo|integer|1|2\nTotal|numeric(10,2)|0|0\n"
                           "placed|date|0|0\nId|integer|0|0"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT name, pk FROM pragma_table_info('Customer')")),
            QStringLiteral("Id|1\nName|0\nNote|0"));
  // The counter is the rowid.
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_sequence WHERE name = 'Customer'")),
            QStringLiteral("1"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT \"table\", \"from\", \"to\", on_delete FROM "
                                    "pragma_foreign_key_list('OrderLine')")),
            QStringLiteral("Order|Region|Region|CASCADE\nOrder|No|No|CASCADE"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT \"table\", \"from\", on_delete FROM pragma_foreign_key_list('Invoice')")),
            QStringLiteral("Order|Region|NO ACTION\nOrder|No|NO ACTION"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT name, \"unique\" FROM pragma_index_list('Invoice') ORDER BY name")),
            QStringLiteral("Invoice_Bills|1"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT name, \"unique\" FROM pragma_index_list('Customer')")),
            QStringLiteral("Customer_ByName|1"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT name FROM pragma_index_info('Customer_ByName')")), QStringLiteral("Name"));
  // The descriptions stay with the statement.
  EXPECT_TRUE(Rows(db, QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'Customer'"))
                  .contains(QStringLiteral("-- Full name, as 'written'")));
}

TEST_F(SqlScriptApplyTest, PostgreSQLScriptAppliesWithPsql)
{
  TServerDatabase db(TPostgresServer::Shared());
  ASSERT_FALSE(db.Name.isEmpty());
  ApplyAndUse(db, QStringLiteral("PostgreSQL"), TSqlDialect::PostgreSQL);

  EXPECT_EQ(Rows(db, QStringLiteral("SELECT column_name, data_type, is_nullable, domain_name, is_identity FROM "
                                    "information_schema.columns WHERE table_name IN ('Order', 'Customer') "
                                    "ORDER BY table_name DESC, ordinal_position")),
            QStringLiteral("Region|character|NO||NO\nNo|integer|NO||NO\nTotal|numeric|YES|Amount|NO\n"
                           "placed|date|YES||NO\nId|integer|YES||NO\n"
                           "Id|integer|NO||YES\nName|character varying|NO||NO\nNote|text|YES||NO"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT conname, confdeltype FROM pg_constraint WHERE contype = 'f' "
                                    "ORDER BY conname")),
            QStringLiteral("Bills|a\nContains|c\nPlaces|a"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT indexname FROM pg_indexes WHERE schemaname = 'public' "
                                    "AND indexname NOT LIKE '%pkey' ORDER BY indexname")),
            QStringLiteral("Customer_ByName\nInvoice_Bills\nOrderLine_Contains\nOrder_Places"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT obj_description('\"Customer\"'::regclass), "
                                    "col_description('\"Customer\"'::regclass, 2)")),
            QStringLiteral("People who buy\nand pay|Full name, as 'written'"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT touch()")), QStringLiteral("1"));
}

TEST_F(SqlScriptApplyTest, MySQLScriptAppliesWithTheMariadbClient)
{
  TServerDatabase db(TMariaDbServer::Shared());
  ASSERT_FALSE(db.Name.isEmpty());
  ApplyAndUse(db, QStringLiteral("MySQL"), TSqlDialect::MySQL);

  EXPECT_EQ(Rows(db, QStringLiteral("SELECT column_name, column_type, is_nullable, extra, column_comment FROM "
                                    "information_schema.columns WHERE table_schema = DATABASE() AND table_name = "
                                    "'Customer' ORDER BY ordinal_position")),
            QStringLiteral("Id|int(11)|NO|auto_increment|\nName|varchar(30)|NO||Full name, as 'written'\n"
                           "Note|text|YES||"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT constraint_name, delete_rule FROM "
                                    "information_schema.referential_constraints WHERE constraint_schema = DATABASE() "
                                    "ORDER BY constraint_name")),
            QStringLiteral("Bills|RESTRICT\nContains|CASCADE\nPlaces|RESTRICT"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT DISTINCT index_name, non_unique FROM information_schema.statistics "
                                    "WHERE table_schema = DATABASE() AND table_name = 'Invoice' ORDER BY index_name")),
            QStringLiteral("Bills|0\nPRIMARY|0"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT table_comment FROM information_schema.tables WHERE table_schema = "
                                    "DATABASE() AND table_name = 'Customer'")),
            QStringLiteral("People who buy\nand pay"));
  EXPECT_EQ(Rows(db, QStringLiteral("CALL counted()")), QStringLiteral("1\n2"));
}

}  // namespace
}  // namespace veska::test
