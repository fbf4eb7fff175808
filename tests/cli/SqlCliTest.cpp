// veska-cli build-database for the SQL servers and schema: the sample built
// live and written as a script gives the same database, the exit statuses,
// and the command lines refused (a password never among them).

#include "cli/CliRun.h"
#include "support/SqlServers.h"

#include <QDir>
#include <QFileInfo>

namespace veska {
namespace {

using namespace test;

const QString kSettings = QFileInfo(QStringLiteral(VESKA_CLI)).dir().filePath(QStringLiteral("VESKA.INI"));

class SqlCliTest : public CliTest {
protected:
  // The tables and their definitions as SQLite keeps them, in name order.
  static QString SqliteSchema(const QString& file)
  {
    const TProgramOutput schema =
        RunSqlite3(file, QStringLiteral("SELECT type, name, sql FROM sqlite_master ORDER BY type, name;"));
    EXPECT_TRUE(schema.Ok()) << schema.Describe().toStdString();
    return schema.Output;
  }
};

TEST_F(SqlCliTest, TheSampleBuiltIntoSQLiteEqualsItsScriptAndARebuildNeedsDrop)
{
  const QString live = Path("live.db");
  TRun run = Cli({"build-database", "--server", "sqlite", "--settings", kSettings, "--database", live, kSample});
  EXPECT_EQ(run.Status, 0) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(run.Out.contains(QStringLiteral("Creating Table Customer"))) << run.Out.toStdString();
  EXPECT_EQ(run.ErrLines, QStringList{"information: Processing completed."});

  const QString script = Path("sample.sql");
  run = Cli({"schema", "--server", "SQLite", "--settings", kSettings, kSample, script});
  EXPECT_EQ(run.Status, 0) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
  const QByteArray text = Read(script);
  EXPECT_TRUE(text.startsWith("PRAGMA foreign_keys = ON;\r\n")) << text.left(80).toStdString();
  EXPECT_FALSE(QByteArray(text).replace("\r\n", "").contains('\n')) << "every line ends in CR LF";
  const QString applied = Path("applied.db");
  const TProgramOutput apply = RunSqlite3(applied, QStringLiteral(".read ") + script);
  ASSERT_TRUE(apply.Ok()) << apply.Describe().toStdString();
  const QString schema = SqliteSchema(live);
  EXPECT_TRUE(schema.contains(QStringLiteral("table|Customer|"))) << schema.toStdString();
  EXPECT_EQ(SqliteSchema(applied), schema);

  // The tables stand: building again fails on each, every one is tried, and
  // the status says so; with --drop the build starts over cleanly.
  run = Cli({"build-database", "--server", "SQLite", "--settings", kSettings, "--database", live, kSample});
  EXPECT_EQ(run.Status, 4);
  EXPECT_TRUE(run.ErrLines.last().startsWith(QStringLiteral("information: Processing completed. Error Count = ")))
      << run.ErrLines.join(QLatin1Char('\n')).toStdString();
  run = Cli({"build-database", "--server", "SQLite", "--settings", kSettings, "--drop", "--database", live, kSample});
  EXPECT_EQ(run.Status, 0) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(SqliteSchema(live), schema);
}

TEST_F(SqlCliTest, PostgreSQLIsReachedThroughTheConnectionTextAndAnUnreachableOneIsStatusThree)
{
  TPostgresServer& server = TPostgresServer::Shared();
  ASSERT_TRUE(server.Failure().isEmpty()) << server.Failure().toStdString();
  const QString database = server.CreateDatabase();
  ASSERT_FALSE(database.isEmpty());
  const QString connect = QStringLiteral("host='%1' port=%2 dbname=%3 user=%4")
                              .arg(server.SocketDirectory())
                              .arg(server.Port())
                              .arg(database, TPostgresServer::SuperUser());
  // Dropping tables that are not there is no news: standard error holds the
  // run's own messages only.
  TRun run = Cli(
      {"build-database", "--server", "PostgreSQL", "--settings", kSettings, "--drop", "--connect", connect, kSample});
  EXPECT_EQ(run.Status, 0) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(run.ErrLines, QStringList{"information: Processing completed."});
  const TProgramOutput tables = server.Client(
      database, QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = 'public' "
                               "ORDER BY 1"));
  ASSERT_TRUE(tables.Ok()) << tables.Describe().toStdString();
  EXPECT_TRUE(tables.Lines().contains(QStringLiteral("Customer"))) << tables.Output.toStdString();

  // Nothing is reported as built when the server is not there.
  run = Cli({"build-database", "--server", "PostgreSQL", "--settings", kSettings, "--connect",
             "host=" + Path("nowhere") + " dbname=x", kSample});
  EXPECT_EQ(run.Status, 3);
  EXPECT_TRUE(run.Out.isEmpty()) << run.Out.toStdString();
  ASSERT_EQ(run.ErrLines.size(), 1) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
  EXPECT_TRUE(run.ErrLines[0].startsWith(QStringLiteral("error: ")));
}

TEST_F(SqlCliTest, CommandLinesThatMixTheKindsOfServerOrCarryAPasswordAreRefused)
{
  const QString dir = Dir.path();
  const auto status = [](const TRun& run) { return run.Status; };
  // An SQL option for desktop tables, and a directory for an SQL server.
  EXPECT_EQ(status(Cli({"build-database", "--server", "Dbase", "--settings", kSettings, "--no-foreign-keys", kSample,
                        dir})),
            64);
  EXPECT_EQ(status(Cli({"build-database", "--server", "SQLite", "--settings", kSettings, "--database",
                        Path("x.db"), kSample, dir})),
            64);
  // SQLite needs its file, the servers their connection.
  EXPECT_EQ(status(Cli({"build-database", "--server", "SQLite", "--settings", kSettings, kSample})), 64);
  EXPECT_EQ(status(Cli({"build-database", "--server", "MySQL", "--settings", kSettings, "--database",
                        Path("x.db"), kSample})),
            64);
  // A script comes only from an SQL server, and connects nowhere.
  EXPECT_EQ(status(Cli({"schema", "--server", "Paradox", "--settings", kSettings, kSample, Path("x.sql")})), 64);
  EXPECT_EQ(status(Cli({"schema", "--server", "MySQL", "--settings", kSettings, "--connect", "dbname=x", kSample,
                        Path("x.sql")})),
            64);
  EXPECT_FALSE(QFileInfo::exists(Path("x.sql")));
  // A script that cannot be written is said before anything is built.
  const TRun nowhere = Cli({"schema", "--server", "SQLite", "--settings", kSettings, kSample, Path("no/x.sql")});
  EXPECT_EQ(nowhere.Status, 3);
  EXPECT_TRUE(nowhere.Out.isEmpty());
  EXPECT_EQ(nowhere.ErrLines.size(), 1) << nowhere.ErrLines.join(QLatin1Char('\n')).toStdString();
  EXPECT_FALSE(QFileInfo::exists(Path("x.db")));

  const TRun run = Cli({"build-database", "--server", "PostgreSQL", "--settings", kSettings, "--connect",
                        "dbname=x password=Hunter2-Secret", kSample});
  EXPECT_EQ(run.Status, 64);
  EXPECT_FALSE(run.ErrLines.join(QLatin1Char('\n')).contains(QStringLiteral("Hunter2"))) << "the password is not repeated";
}

}  // namespace
}  // namespace veska
