// Build scripts: what the script target writes, and the scripts of the
// test model applied for real with each server's own client (sqlite3, psql
// on a private PostgreSQL, mariadb on a private MariaDB), then read back
// from the servers' catalogs and tried with rows.
#include "SqlModel.h"
#include "sqlbuild/SqlQuoting.h"
#include "sqlbuild/SqlScript.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QThread>

#include <unistd.h>

#include <memory>

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

TEST(SqlScriptTarget, SetsOffMySqlBodiesWithADelimiterTheyDoNotHold)
{
  TSqlScriptTarget target(QStringLiteral("unused.sql"), TSqlDialect::MySQL);
  target.Begin();
  target.Execute({TSqlStep::Create, "Creating Table A", "CREATE TABLE `A` (`x` int)", {}});
  target.Execute({TSqlStep::Create, "Creating Process P", "CREATE PROCEDURE p() BEGIN SELECT '$$'; END", {}});
  EXPECT_EQ(target.Text(), QStringLiteral("CREATE TABLE `A` (`x` int);\n\n"
                                          "DELIMITER $$$\nCREATE PROCEDURE p() BEGIN SELECT '$$'; END$$$\n"
                                          "DELIMITER ;\n"));
}

// A program's run: its exit code (-1 when it did not start or end), what it
// wrote, and what it wrote to stderr.
struct TRun {
  int Code = -1;
  QString Out;
  QString Err;
};

TRun RunProgram(const QString& program, const QStringList& args, const QString& input = {}, int seconds = 60)
{
  QProcess process;
  process.setProgram(program);
  process.setArguments(args);
  if (!input.isEmpty())
    process.setStandardInputFile(input);
  process.start();
  TRun run;
  if (!process.waitForStarted(10000)) {
    run.Err = program + QStringLiteral(": ") + process.errorString();
    return run;
  }
  if (process.waitForFinished(seconds * 1000) && process.exitStatus() == QProcess::NormalExit)
    run.Code = process.exitCode();
  else
    process.kill();
  run.Out = QString::fromUtf8(process.readAllStandardOutput());
  while (run.Out.endsWith(QLatin1Char('\n')))
    run.Out.chop(1);
  run.Err += QString::fromUtf8(process.readAllStandardError()).trimmed();
  return run;
}

// A database to apply scripts to and ask things of, through its own client.
class TDatabase {
public:
  virtual ~TDatabase() = default;
  // Empty once the server is up, else why not.
  QString Failure;
  virtual TRun Apply(const QString& script) = 0;
  // The rows of a query, fields separated by "|", rows by "\n".
  virtual TRun Query(const QString& sql) = 0;
};

class TSqliteDatabase final : public TDatabase {
public:
  explicit TSqliteDatabase(const QString& dir) : FFile(QDir(dir).filePath(QStringLiteral("model.db"))) {}
  TRun Apply(const QString& script) override { return RunProgram(QStringLiteral("sqlite3"), {FFile}, script); }
  TRun Query(const QString& sql) override
  {
    return RunProgram(QStringLiteral("sqlite3"), {QStringLiteral("-cmd"), QStringLiteral("PRAGMA foreign_keys = ON"),
                                                   FFile, sql});
  }

private:
  QString FFile;
};

// A PostgreSQL server of its own in a temporary directory, reached through
// a socket there; the server runs as the user postgres (it refuses root).
class TPostgresDatabase final : public TDatabase {
public:
  explicit TPostgresDatabase(const QString& dir) : FDir(dir), FData(QDir(dir).filePath(QStringLiteral("data")))
  {
    const QString bin = QStringLiteral("/usr/lib/postgresql/15/bin/");
    if (getuid() == 0) {
      RunProgram(QStringLiteral("chown"), {QStringLiteral("postgres"), FDir});
      FAs = {QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--")};
    }
    TRun init = AsServer(bin + QStringLiteral("initdb"), {QStringLiteral("-D"), FData, QStringLiteral("-A"),
                                                           QStringLiteral("trust"), QStringLiteral("-U"),
                                                           QStringLiteral("postgres"), QStringLiteral("--no-sync"),
                                                           QStringLiteral("-E"), QStringLiteral("UTF8")});
    if (init.Code != 0) {
      Failure = QStringLiteral("initdb: ") + init.Err;
      return;
    }
    TRun start = AsServer(bin + QStringLiteral("pg_ctl"),
                          {QStringLiteral("-D"), FData, QStringLiteral("-o"),
                           QStringLiteral("-k %1 -h '' -F").arg(FDir), QStringLiteral("-w"), QStringLiteral("-l"),
                           QDir(FDir).filePath(QStringLiteral("log")), QStringLiteral("start")});
    if (start.Code != 0)
      Failure = QStringLiteral("pg_ctl start: ") + start.Err + start.Out;
    else
      FStarted = true;
  }
  ~TPostgresDatabase() override
  {
    if (FStarted)
      AsServer(QStringLiteral("/usr/lib/postgresql/15/bin/pg_ctl"),
               {QStringLiteral("-D"), FData, QStringLiteral("-m"), QStringLiteral("immediate"), QStringLiteral("-w"),
                QStringLiteral("stop")});
  }
  TRun Apply(const QString& script) override
  {
    return RunProgram(QStringLiteral("psql"), Connection() << QStringLiteral("-v") << QStringLiteral("ON_ERROR_STOP=1")
                                                           << QStringLiteral("-f") << script);
  }
  TRun Query(const QString& sql) override
  {
    return RunProgram(QStringLiteral("psql"), Connection() << QStringLiteral("-v") << QStringLiteral("ON_ERROR_STOP=1")
                                                           << QStringLiteral("-At") << QStringLiteral("-c") << sql);
  }

private:
  QString FDir;
  QString FData;
  QStringList FAs;
  bool FStarted = false;

  QStringList Connection() const
  {
    return {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-h"), FDir, QStringLiteral("-U"),
            QStringLiteral("postgres"), QStringLiteral("-d"), QStringLiteral("postgres")};
  }
  TRun AsServer(const QString& program, const QStringList& args)
  {
    if (FAs.isEmpty())
      return RunProgram(program, args);
    return RunProgram(QStringLiteral("runuser"), QStringList(FAs) << program << args);
  }
};

// A MariaDB server of its own in a temporary directory, without network,
// reached through a socket there; the database "model".
class TMariaDatabase final : public TDatabase {
public:
  explicit TMariaDatabase(const QString& dir) : FDir(dir), FSocket(QDir(dir).filePath(QStringLiteral("sock")))
  {
    const QString data = QStringLiteral("--datadir=") + QDir(dir).filePath(QStringLiteral("data"));
    const QString user = QStringLiteral("--user=") + qEnvironmentVariable("USER", QStringLiteral("root"));
    TRun install = RunProgram(QStringLiteral("mariadb-install-db"),
                              {QStringLiteral("--no-defaults"), data, user,
                               QStringLiteral("--auth-root-authentication-method=normal")});
    if (install.Code != 0) {
      Failure = QStringLiteral("mariadb-install-db: ") + install.Err;
      return;
    }
    FServer.setProgram(QStringLiteral("mariadbd"));
    FServer.setArguments({QStringLiteral("--no-defaults"), data, QStringLiteral("--socket=") + FSocket,
                          QStringLiteral("--skip-networking"), user,
                          QStringLiteral("--pid-file=") + QDir(dir).filePath(QStringLiteral("pid"))});
    FServer.setStandardOutputFile(QDir(dir).filePath(QStringLiteral("log")));
    FServer.setStandardErrorFile(QDir(dir).filePath(QStringLiteral("log")), QIODevice::Append);
    FServer.start();
    if (!FServer.waitForStarted(10000)) {
      Failure = QStringLiteral("mariadbd: ") + FServer.errorString();
      return;
    }
    // Up when the client gets in.
    const QDeadlineTimer deadline(60000);
    TRun create;
    do {
      QThread::msleep(200);
      create = Client({QStringLiteral("-e"), QStringLiteral("CREATE DATABASE model")}, QString(), false);
    } while (create.Code != 0 && !deadline.hasExpired() && FServer.state() == QProcess::Running);
    if (create.Code != 0)
      Failure = QStringLiteral("mariadbd did not come up: ") + create.Err
                + QString::fromUtf8(ReadAll(QDir(dir).filePath(QStringLiteral("log"))));
  }
  ~TMariaDatabase() override
  {
    if (FServer.state() == QProcess::NotRunning)
      return;
    RunProgram(QStringLiteral("mariadb-admin"),
               {QStringLiteral("--no-defaults"), QStringLiteral("-S"), FSocket, QStringLiteral("-u"),
                QStringLiteral("root"), QStringLiteral("shutdown")});
    if (!FServer.waitForFinished(30000))
      FServer.kill();
  }
  TRun Apply(const QString& script) override { return Client({}, script, true); }
  TRun Query(const QString& sql) override { return Client({QStringLiteral("-e"), sql}, QString(), true); }

private:
  QString FDir;
  QString FSocket;
  QProcess FServer;

  TRun Client(const QStringList& args, const QString& input, bool inModel)
  {
    QStringList all = {QStringLiteral("--no-defaults"), QStringLiteral("-S"), FSocket, QStringLiteral("-u"),
                       QStringLiteral("root"), QStringLiteral("-N"), QStringLiteral("-B"), QStringLiteral("-r")};
    if (inModel)
      all << QStringLiteral("model");
    return RunProgram(QStringLiteral("mariadb"), all << args, input);
  }
};

// The rows of a query, "|" between fields; MariaDB's client separates
// fields by tabs.
QString Rows(TDatabase& db, const QString& sql)
{
  const TRun run = db.Query(sql);
  EXPECT_EQ(run.Code, 0) << sql.toStdString() << ": " << run.Err.toStdString();
  return QString(run.Out).replace(QLatin1Char('\t'), QLatin1Char('|'));
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
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ReadOther);
    return path;
  }

  // What every server must do with the model: apply the script twice (the
  // second run drops and builds again), keep a bystander table named as the
  // hostile name's payload, and keep defaults, rules, keys and cascades.
  void ApplyAndUse(TDatabase& db, const QString& server, TSqlDialect dialect)
  {
    ASSERT_EQ(db.Failure, QString());
    auto q = [dialect](const QString& name) { return QuoteIdentifier(dialect, name); };
    ASSERT_EQ(db.Query(QStringLiteral("CREATE TABLE y (k integer); INSERT INTO y VALUES (7)")).Code, 0);
    const QString script = WriteScript(server, dialect, Options());
    for (int pass = 0; pass < 2; ++pass) {
      const TRun run = db.Apply(script);
      ASSERT_EQ(run.Code, 0) << run.Err.toStdString() << "\n" << ReadAll(script).toStdString();
    }
    EXPECT_EQ(Rows(db, QStringLiteral("SELECT k FROM y")), QStringLiteral("7"));

    // Defaults: the hostile text arrives as written, in the table of exactly that name.
    ASSERT_EQ(db.Query(QStringLiteral("INSERT INTO %1 (%2) VALUES (1)").arg(q(kHostileTable), q("K"))).Code, 0);
    EXPECT_EQ(Rows(db, QStringLiteral("SELECT %1 FROM %2").arg(q("V"), q(kHostileTable))), kHostileDefault);
    ASSERT_EQ(db.Query(QStringLiteral("INSERT INTO %1 (%2) VALUES ('Ann')").arg(q("Customer"), q("Name"))).Code, 0);
    EXPECT_EQ(Rows(db, QStringLiteral("SELECT %1, %2 FROM %3").arg(q("Id"), q("Note"), q("Customer"))),
              QStringLiteral("1|") + kHostileDefault);
    // NOT NULL and the unique index.
    EXPECT_NE(db.Query(QStringLiteral("INSERT INTO %1 (%2) VALUES (NULL)").arg(q("Customer"), q("Name"))).Code, 0);
    EXPECT_NE(db.Query(QStringLiteral("INSERT INTO %1 (%2) VALUES ('Ann')").arg(q("Customer"), q("Name"))).Code, 0);

    // The domain's rule holds for its column; the default fills it.
    const QString order = QStringLiteral("INSERT INTO %1 (%2, %3, %4, %5) VALUES ")
                              .arg(q("Order"), q("Region"), q("No"), q("Id"), q("Total"));
    EXPECT_NE(db.Query(order + QStringLiteral("('EU', 1, 1, -1)")).Code, 0);
    ASSERT_EQ(db.Query(order + QStringLiteral("('EU', 1, 1, 2.5)")).Code, 0);
    ASSERT_EQ(db.Query(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES ('EU', 2)").arg(q("Order"), q("Region"), q("No")))
                  .Code,
              0);
    EXPECT_EQ(Rows(db, QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 = 2 AND %3 = 0.5")
                           .arg(q("Order"), q("No"), q("Total"))),
              QStringLiteral("1"));
    // The attribute's own rule.
    EXPECT_NE(db.Query(QStringLiteral("INSERT INTO %1 (%2, %3, placed) VALUES ('EU', 3, '1999-01-01')")
                           .arg(q("Order"), q("Region"), q("No")))
                  .Code,
              0);
    // Foreign keys: no order of a customer that is not there.
    EXPECT_NE(db.Query(order + QStringLiteral("('EU', 9, 42, 1)")).Code, 0);

    // Master-detail cascades; one-to-one stays one.
    const QString line = QStringLiteral("INSERT INTO %1 (%2, %3, %4) VALUES ")
                             .arg(q("OrderLine"), q("Line"), q("Region"), q("No"));
    ASSERT_EQ(db.Query(line + QStringLiteral("(1, 'EU', 1)")).Code, 0);
    EXPECT_NE(db.Query(line + QStringLiteral("(2, 'EU', 5)")).Code, 0);
    const QString invoice = QStringLiteral("INSERT INTO %1 (%2, %3, %4) VALUES ")
                                .arg(q("Invoice"), q("InvoiceNo"), q("Region"), q("No"));
    ASSERT_EQ(db.Query(invoice + QStringLiteral("(1, 'EU', 2)")).Code, 0);
    EXPECT_NE(db.Query(invoice + QStringLiteral("(2, 'EU', 2)")).Code, 0);
    ASSERT_EQ(db.Query(QStringLiteral("DELETE FROM %1 WHERE %2 = 1").arg(q("Order"), q("No"))).Code, 0);
    EXPECT_EQ(Rows(db, QStringLiteral("SELECT COUNT(*) FROM %1").arg(q("OrderLine"))), QStringLiteral("0"));
  }
};

TEST_F(SqlScriptApplyTest, SQLiteScriptAppliesWithTheSqlite3Client)
{
  TSqliteDatabase db(Dir.path());
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
  TPostgresDatabase db(Dir.path());
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
  TMariaDatabase db(Dir.path());
  ApplyAndUse(db, QStringLiteral("MySQL"), TSqlDialect::MySQL);

  EXPECT_EQ(Rows(db, QStringLiteral("SELECT column_name, column_type, is_nullable, extra, column_comment FROM "
                                    "information_schema.columns WHERE table_schema = 'model' AND table_name = "
                                    "'Customer' ORDER BY ordinal_position")),
            QStringLiteral("Id|int(11)|NO|auto_increment|\nName|varchar(30)|NO||Full name, as 'written'\n"
                           "Note|text|YES||"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT constraint_name, delete_rule FROM "
                                    "information_schema.referential_constraints WHERE constraint_schema = 'model' "
                                    "ORDER BY constraint_name")),
            QStringLiteral("Bills|RESTRICT\nContains|CASCADE\nPlaces|RESTRICT"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT DISTINCT index_name, non_unique FROM information_schema.statistics "
                                    "WHERE table_schema = 'model' AND table_name = 'Invoice' ORDER BY index_name")),
            QStringLiteral("Bills|0\nPRIMARY|0"));
  EXPECT_EQ(Rows(db, QStringLiteral("SELECT table_comment FROM information_schema.tables WHERE table_schema = "
                                    "'model' AND table_name = 'Customer'")),
            QStringLiteral("People who buy\nand pay"));
  EXPECT_EQ(Rows(db, QStringLiteral("CALL counted()")), QStringLiteral("1\n2"));
}

}  // namespace
}  // namespace veska::test
