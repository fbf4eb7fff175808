// The live SQL build on real servers (SQLite, PostgreSQL, MariaDB): progress
// lines, Abort and Ignore, what a transaction takes back, connections that
// fail and passwords that never show. What the run leaves is read back
// through the servers' own clients and catalogs.
#include "SqlTestDatabases.h"
#include "sqlbuild/SqlRun.h"
#include "support/RecordingMessages.h"
#include "support/RecordingProgress.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

namespace veska {

// Test names and failures name the dialect.
void PrintTo(TSqlDialect dialect, std::ostream* out)
{
  *out << SqlDialectName(dialect).toStdString();
}

namespace {

using test::TMariaDbServer;
using test::TPostgresServer;

// Sets an environment variable (or unsets it: nothing) for the life of the
// object.
class TScopedEnvironment {
public:
  TScopedEnvironment(const char* name, const std::optional<QByteArray>& value)
      : FName(name), FHad(qEnvironmentVariableIsSet(name)), FOld(qgetenv(name))
  {
    if (value)
      qputenv(name, *value);
    else
      qunsetenv(name);
  }
  ~TScopedEnvironment()
  {
    if (FHad)
      qputenv(FName, FOld);
    else
      qunsetenv(FName);
  }

private:
  const char* FName;
  bool FHad;
  QByteArray FOld;
};

TSqlStep Step(TSqlStep::TKind kind, const QString& caption, const QString& statement)
{
  TSqlStep step;
  step.Kind = kind;
  step.Caption = caption;
  step.Statement = statement;
  return step;
}

TSqlStep Create(const QString& table, const QString& statement)
{
  return Step(TSqlStep::Create, QStringLiteral("Creating Table ") + table, statement);
}

TSqlStep Drop(const QString& table, const QString& statement)
{
  return Step(TSqlStep::Drop, QStringLiteral("Dropping Table ") + table, statement);
}

QStringList Captions(const std::vector<TSqlStep>& steps)
{
  QStringList captions;
  for (const TSqlStep& step : steps)
    captions << step.Caption;
  return captions;
}

// A fresh database of its own on the server of the dialect for each test.
class SqlRunTest : public ::testing::TestWithParam<TSqlDialect> {
protected:
  TSqlDialect Dialect() const { return GetParam(); }
  bool Transactional() const { return Dialect() != TSqlDialect::MySQL; }

  void SetUp() override
  {
    ASSERT_TRUE(Dir.isValid());
    Connection = test::NewDatabase(Dialect(), Dir.filePath(QStringLiteral("build.db")));
    if (Dialect() != TSqlDialect::SQLite) {
      ASSERT_FALSE(Connection.Database.isEmpty());
    }
  }

  void TearDown() override
  {
    // Every target gave its Qt SQL connection back.
    EXPECT_TRUE(QSqlDatabase::connectionNames().isEmpty())
        << QSqlDatabase::connectionNames().join(QLatin1Char(' ')).toStdString();
  }

  TSqlRunResult Run(const std::vector<TSqlStep>& steps, const QString& password = QString())
  {
    Progress.clear();
    Msgs.Reset();
    TSqlDatabaseTarget target(Dialect(), Connection, password);
    return RunSqlBuild(steps, target, Msgs, [this](const QString& line) { Progress << line; }, &Bar);
  }

  // The identifier quoted as the dialect quotes it.
  QString Quoted(QString name) const
  {
    const QString quote = Dialect() == TSqlDialect::MySQL ? QStringLiteral("`") : QStringLiteral("\"");
    return quote + name.replace(quote, quote + quote) + quote;
  }
  // A string literal of SQL.
  static QString Literal(QString text) { return QLatin1Char('\'') + text.replace(QLatin1Char('\''), "''") + '\''; }

  QString CreateTable(const QString& name) const
  {
    return QStringLiteral("CREATE TABLE %1 (id INTEGER NOT NULL PRIMARY KEY)").arg(Quoted(name));
  }

  // Statements run through the server's own client on the test's database;
  // its rows.
  QStringList Client(const QString& sql) const
  {
    const test::TProgramOutput out = test::RunClient(Dialect(), Connection, sql);
    EXPECT_TRUE(out.Ok()) << out.Describe().toStdString();
    return out.Lines();
  }

  // The tables of the database by name, from its catalog.
  QStringList Tables() const
  {
    switch (Dialect()) {
    case TSqlDialect::SQLite:
      return Client(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name;"));
    case TSqlDialect::PostgreSQL:
      return Client(QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = 'public' "
                                   "ORDER BY 1;"));
    case TSqlDialect::MySQL:
      return Client(QStringLiteral("SELECT table_name FROM information_schema.tables WHERE table_schema = DATABASE() "
                                   "ORDER BY 1;"));
    }
    return {};
  }

  // The tables that `table`'s foreign keys refer to, from the catalog.
  QStringList ReferencedTables(const QString& table) const
  {
    switch (Dialect()) {
    case TSqlDialect::SQLite:
      return Client(QStringLiteral("SELECT \"table\" FROM pragma_foreign_key_list(%1);").arg(Literal(table)));
    case TSqlDialect::PostgreSQL:
      return Client(QStringLiteral("SELECT confrelid::regclass::text FROM pg_constraint WHERE contype = 'f' "
                                   "AND conrelid = %1::regclass;")
                        .arg(Literal(Quoted(table))));
    case TSqlDialect::MySQL:
      return Client(QStringLiteral("SELECT referenced_table_name FROM information_schema.key_column_usage "
                                   "WHERE table_schema = DATABASE() AND table_name = %1 "
                                   "AND referenced_table_name IS NOT NULL;")
                        .arg(Literal(table)));
    }
    return {};
  }

  // What a server says of a table made twice.
  QString AlreadyExists() const { return QStringLiteral("already exists"); }

  QTemporaryDir Dir;
  TSqlConnection Connection;
  test::TRecordingMessages Msgs;
  test::TRecordingProgress Bar;
  QStringList Progress;
};

TEST_P(SqlRunTest, BuildsEveryStepUnderItsCaptionAndPassesOverAFailedDrop)
{
  const QString odd = QStringLiteral("it's \"odd\" `too`");
  const std::vector<TSqlStep> steps{
      Drop(QStringLiteral("gone"), QStringLiteral("DROP TABLE gone")),
      Create(QStringLiteral("parent"), CreateTable(QStringLiteral("parent"))),
      Create(odd, QStringLiteral("CREATE TABLE %1 (id INTEGER NOT NULL PRIMARY KEY, %2 INTEGER, "
                                 "FOREIGN KEY (%2) REFERENCES parent (id))")
                      .arg(Quoted(odd), Quoted(QStringLiteral("parent's id")))),
  };
  const TSqlRunResult result = Run(steps);
  EXPECT_EQ(result.ErrorCount, 0);
  EXPECT_FALSE(result.Aborted);
  EXPECT_TRUE(result.Reached);
  EXPECT_EQ(Progress, Captions(steps));
  EXPECT_EQ(Msgs.Lines(), QStringList{"information: Processing completed."});
  EXPECT_EQ(Bar.Begins, 1);
  EXPECT_EQ(Bar.Ends, 1);
  EXPECT_EQ(Bar.Total, 3);
  EXPECT_EQ(Bar.Steps, (QList<qint64>{1, 2, 3}));

  EXPECT_EQ(Tables(), (QStringList{odd, QStringLiteral("parent")}));
  EXPECT_EQ(ReferencedTables(odd), QStringList{QStringLiteral("parent")});
}

TEST_P(SqlRunTest, IgnoreGoesOnAndBuildsTheRest)
{
  TSqlStep unbuildable = Create(QStringLiteral("b"), QString());
  unbuildable.Error = QStringLiteral("The data type \"Money2\" of b.price is not in the server's map.");
  const std::vector<TSqlStep> steps{
      Create(QStringLiteral("a"), CreateTable(QStringLiteral("a"))),
      Create(QStringLiteral("a"), CreateTable(QStringLiteral("a"))),
      unbuildable,
      Drop(QStringLiteral("missing"), QStringLiteral("DROP TABLE missing")),
      Create(QStringLiteral("c"), CreateTable(QStringLiteral("c"))),
  };
  Msgs.Answers = {mbIgnore, mbIgnore};
  const TSqlRunResult result = Run(steps);
  EXPECT_EQ(result.ErrorCount, 2);
  EXPECT_FALSE(result.Aborted);
  EXPECT_EQ(Progress, Captions(steps));
  ASSERT_EQ(Msgs.Messages.size(), 3) << Msgs.Lines().join(QLatin1Char('\n')).toStdString();
  // The server's own message of the table made twice, then the step's.
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtConfirmation);
  EXPECT_TRUE(Msgs.Messages[0].Text.contains(AlreadyExists())) << Msgs.Messages[0].Text.toStdString();
  EXPECT_EQ(Msgs.Messages[1].Type, TMsgDlgType::mtConfirmation);
  EXPECT_EQ(Msgs.Messages[1].Text, unbuildable.Error);
  EXPECT_EQ(Msgs.Lines().last(), "information: Processing completed. Error Count = 2");
  EXPECT_EQ(Tables(), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
}

// Failures among many statements: a run that goes on after one keeps every
// table made before it and after it (PostgreSQL runs many statements in one
// savepoint and takes them back with a failure).
TEST_P(SqlRunTest, IgnoreAmongManyStatementsKeepsAllBeforeAndAfterTheFailure)
{
  std::vector<TSqlStep> steps;
  QStringList built;
  for (int i = 0; i < 250; ++i) {
    const QString name = QStringLiteral("t%1").arg(i, 3, 10, QLatin1Char('0'));
    steps.push_back(Create(name, CreateTable(name)));
    built << name;
    // Failures in the middle of a savepoint's statements, one soon after
    // another, and one first after a savepoint.
    if (i == 150 || i == 151 || i == 199)
      steps.push_back(Create(QStringLiteral("t010"), CreateTable(QStringLiteral("t010"))));
  }
  Msgs.Answers = {mbIgnore, mbIgnore, mbIgnore};
  const TSqlRunResult result = Run(steps);
  EXPECT_EQ(result.ErrorCount, 3);
  EXPECT_FALSE(result.Aborted);
  ASSERT_EQ(Msgs.Messages.size(), 4) << Msgs.Lines().join(QLatin1Char('\n')).toStdString();
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(Msgs.Messages[i].Text.contains(AlreadyExists())) << Msgs.Messages[i].Text.toStdString();
  EXPECT_EQ(Tables(), built);
}

TEST_P(SqlRunTest, AbortEndsAtOnceAndTakesBackWhatTheServerCan)
{
  Client(QStringLiteral("CREATE TABLE kept (id INTEGER NOT NULL PRIMARY KEY); INSERT INTO kept VALUES (7);"));
  const std::vector<TSqlStep> steps{
      Create(QStringLiteral("a"), CreateTable(QStringLiteral("a"))),
      Create(QStringLiteral("b"), CreateTable(QStringLiteral("b"))),
      Create(QStringLiteral("kept"), CreateTable(QStringLiteral("kept"))),
      Create(QStringLiteral("c"), CreateTable(QStringLiteral("c"))),
  };
  Msgs.Answers = {mbAbort};
  const TSqlRunResult result = Run(steps);
  EXPECT_EQ(result.ErrorCount, 1);
  EXPECT_TRUE(result.Aborted);
  EXPECT_EQ(Progress, Captions(steps).mid(0, 3));
  ASSERT_EQ(Msgs.Messages.size(), 1) << Msgs.Lines().join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtConfirmation);
  EXPECT_EQ(Bar.Ends, 1);

  // One transaction is taken back whole; MySQL committed each table as it
  // made it.
  if (Transactional())
    EXPECT_EQ(Tables(), QStringList{QStringLiteral("kept")});
  else
    EXPECT_EQ(Tables(), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("kept")}));
  EXPECT_EQ(Client(QStringLiteral("SELECT id FROM kept;")), QStringList{QStringLiteral("7")});
}

TEST_P(SqlRunTest, AbortOnAStepThatCannotBeBuiltRunsNothingAfterIt)
{
  TSqlStep unbuildable = Create(QStringLiteral("b"), QString());
  unbuildable.Error = QStringLiteral("Table name B is also the table of entity C.");
  Msgs.Answers = {mbAbort};
  const TSqlRunResult result =
      Run({unbuildable, Create(QStringLiteral("a"), CreateTable(QStringLiteral("a")))});
  EXPECT_TRUE(result.Aborted);
  EXPECT_EQ(result.ErrorCount, 1);
  EXPECT_EQ(Msgs.Lines(), QStringList{"confirmation: " + unbuildable.Error});
  EXPECT_TRUE(Tables().isEmpty());
}

TEST_P(SqlRunTest, AServerThatCannotBeReachedIsOneErrorAndNoCompletion)
{
  QString expected;
  switch (Dialect()) {
  case TSqlDialect::SQLite:
    Connection.DatabaseFile = Dir.filePath(QStringLiteral("no such folder/build.db"));
    expected = QStringLiteral("unable to open database file");
    break;
  case TSqlDialect::PostgreSQL:
    Connection.Host = Dir.path();
    expected = QStringLiteral("No such file or directory");
    break;
  case TSqlDialect::MySQL:
    Connection.Host = Dir.filePath(QStringLiteral("no.sock"));
    expected = QStringLiteral("Can't connect to local server through socket");
    break;
  }
  const TSqlRunResult result = Run({Create(QStringLiteral("a"), CreateTable(QStringLiteral("a")))});
  EXPECT_FALSE(result.Reached);
  EXPECT_EQ(result.ErrorCount, 1);
  EXPECT_FALSE(result.Aborted);
  EXPECT_TRUE(Progress.isEmpty());
  ASSERT_EQ(Msgs.Messages.size(), 1) << Msgs.Lines().join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_TRUE(Msgs.Messages[0].Text.contains(expected)) << Msgs.Messages[0].Text.toStdString();
  EXPECT_EQ(Bar.Begins, Bar.Ends);
}

INSTANTIATE_TEST_SUITE_P(Servers, SqlRunTest,
                         ::testing::Values(TSqlDialect::SQLite, TSqlDialect::PostgreSQL, TSqlDialect::MySQL),
                         [](const ::testing::TestParamInfo<TSqlDialect>& info) {
                           return SqlDialectName(info.param).toStdString();
                         });

// The servers that take back a whole run: a commit that fails keeps nothing.
class SqlRunTransactionTest : public SqlRunTest {};

TEST_P(SqlRunTransactionTest, ACommitThatFailsIsOneMoreErrorAndKeepsNothing)
{
  // The foreign key is checked at the commit only, which refuses the row
  // without a parent (SQLite checks it only with foreign keys turned on).
  const std::vector<TSqlStep> steps{
      Create(QStringLiteral("parent"), CreateTable(QStringLiteral("parent"))),
      Create(QStringLiteral("child"), QStringLiteral("CREATE TABLE child (parent_id INTEGER REFERENCES parent (id) "
                                                     "DEFERRABLE INITIALLY DEFERRED)")),
      Step(TSqlStep::Create, QStringLiteral("Creating Process orphan"), QStringLiteral("INSERT INTO child VALUES (1)")),
  };
  const TSqlRunResult result = Run(steps);
  EXPECT_EQ(result.ErrorCount, 1);
  EXPECT_FALSE(result.Aborted);
  ASSERT_EQ(Msgs.Messages.size(), 2) << Msgs.Lines().join(QLatin1Char('\n')).toStdString();
  EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtError);
  EXPECT_TRUE(Msgs.Messages[0].Text.contains(QLatin1String("foreign key"), Qt::CaseInsensitive))
      << Msgs.Messages[0].Text.toStdString();
  EXPECT_EQ(Msgs.Lines().last(), "information: Processing completed. Error Count = 1");
  EXPECT_TRUE(Tables().isEmpty());
}

TEST_P(SqlRunTransactionTest, ATargetLeftWithoutEndingKeepsNothing)
{
  {
    TSqlDatabaseTarget target(Dialect(), Connection, QString());
    ASSERT_EQ(target.Begin(), QString());
    ASSERT_EQ(target.Execute(Create(QStringLiteral("a"), CreateTable(QStringLiteral("a")))), QString());
  }
  EXPECT_TRUE(Tables().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Servers, SqlRunTransactionTest,
                         ::testing::Values(TSqlDialect::SQLite, TSqlDialect::PostgreSQL),
                         [](const ::testing::TestParamInfo<TSqlDialect>& info) {
                           return SqlDialectName(info.param).toStdString();
                         });

// The servers with logins and passwords.
class SqlRunPasswordTest : public SqlRunTest {
protected:
  void SetUp() override
  {
    SqlRunTest::SetUp();
    Connection.User = test::TSqlServer::PasswordUser();
  }

  // No message or progress line holds the password.
  void ExpectPasswordNowhere() const
  {
    const QString password = test::TSqlServer::UserPassword();
    for (const QString& line : Msgs.Lines() + Progress)
      EXPECT_FALSE(line.contains(password)) << line.toStdString();
  }

  // The server's message of a login refused.
  QString Refused() const
  {
    return Dialect() == TSqlDialect::PostgreSQL
               ? QStringLiteral("password authentication failed for user \"%1\"").arg(Connection.User)
               : QStringLiteral("Access denied for user '%1'@'localhost'").arg(Connection.User);
  }

  // Builds one table, in a database where it has not been built.
  void ExpectBuilt(const QString& password)
  {
    const QString table = QStringLiteral("t%1").arg(++FBuilt);
    const TSqlRunResult result = Run({Create(table, CreateTable(table))}, password);
    EXPECT_EQ(result.ErrorCount, 0) << Msgs.Lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(Tables().contains(table));
  }

  // Isolates the test from the passwords of the user running the tests.
  TScopedEnvironment FPgPassword{"PGPASSWORD", std::nullopt};
  TScopedEnvironment FPgPassFile{"PGPASSFILE", QByteArray("/nonexistent")};
  TScopedEnvironment FMySqlPassword{"MYSQL_PWD", std::nullopt};
  QTemporaryDir FHome;
  TScopedEnvironment FHomeVariable{"HOME", QFile::encodeName(FHome.path())};
  int FBuilt = 0;
};

TEST_P(SqlRunPasswordTest, AWrongOrMissingPasswordIsTheServersRefusal)
{
  for (const QString& password : {QStringLiteral("wrong-password"), QString()}) {
    const TSqlRunResult result = Run({Create(QStringLiteral("a"), CreateTable(QStringLiteral("a")))}, password);
    EXPECT_FALSE(result.Reached);
    EXPECT_EQ(result.ErrorCount, 1);
    ASSERT_EQ(Msgs.Messages.size(), 1) << Msgs.Lines().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(Msgs.Messages[0].Type, TMsgDlgType::mtError);
    // libpq names the missing password otherwise.
    if (!password.isEmpty() || Dialect() == TSqlDialect::MySQL) {
      EXPECT_TRUE(Msgs.Messages[0].Text.contains(Refused())) << Msgs.Messages[0].Text.toStdString();
    }
    if (!password.isEmpty()) {
      EXPECT_FALSE(Msgs.Messages[0].Text.contains(password));
    }
  }
  EXPECT_TRUE(Tables().isEmpty());
}

TEST_P(SqlRunPasswordTest, TheRightPasswordBuildsAndNeverShows)
{
  const QString password = test::TSqlServer::UserPassword();
  ExpectBuilt(password);
  ExpectPasswordNowhere();

  // A server message that would repeat it (a table named as the password,
  // made twice) shows it masked.
  const std::vector<TSqlStep> steps{Create(password, CreateTable(password)), Create(password, CreateTable(password))};
  Msgs.Answers = {mbIgnore};
  const TSqlRunResult result = Run(steps, password);
  EXPECT_EQ(result.ErrorCount, 1);
  ASSERT_EQ(Msgs.Messages.size(), 2);
  EXPECT_TRUE(Msgs.Messages[0].Text.contains(QLatin1String("********"))) << Msgs.Messages[0].Text.toStdString();
  // The progress lines are the steps' own captions, which the caller makes.
  Progress.clear();
  ExpectPasswordNowhere();
}

TEST_P(SqlRunPasswordTest, TheConnectionOfTheCommandLineReachesTheServer)
{
  QString text =
      QStringLiteral("host='%1' dbname=%2 user=%3").arg(Connection.Host, Connection.Database, Connection.User);
  if (Connection.Port > 0)
    text += QStringLiteral(" port=%1").arg(Connection.Port);
  QString error;
  const std::optional<TSqlConnection> parsed = ParseSqlConnection(text, &error);
  ASSERT_TRUE(parsed) << error.toStdString();
  Connection = *parsed;
  ExpectBuilt(test::TSqlServer::UserPassword());
}

TEST_P(SqlRunPasswordTest, WithoutAPasswordTheClientsOwnSettingsSupplyIt)
{
  const QByteArray password = test::TSqlServer::UserPassword().toUtf8();
  if (Dialect() == TSqlDialect::PostgreSQL) {
    {
      TScopedEnvironment variable("PGPASSWORD", password);
      ExpectBuilt(QString());
    }
    QFile pass(FHome.filePath(QStringLiteral(".pgpass")));
    ASSERT_TRUE(pass.open(QIODevice::WriteOnly));
    pass.write("*:*:*:" + Connection.User.toUtf8() + ":" + password + "\n");
    pass.close();
    pass.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    TScopedEnvironment file("PGPASSFILE", QFile::encodeName(pass.fileName()));
    ExpectBuilt(QString());
  } else {
    {
      TScopedEnvironment variable("MYSQL_PWD", password);
      ExpectBuilt(QString());
    }
    QFile cnf(FHome.filePath(QStringLiteral(".my.cnf")));
    ASSERT_TRUE(cnf.open(QIODevice::WriteOnly));
    cnf.write("# the tests' own\n[mysqld]\npassword=not-this\n[client]\nuser=someone\npassword = \"" + password
              + "\"\n[mysql]\npassword=nor-this\n");
    cnf.close();
    ExpectBuilt(QString());
  }
  ExpectPasswordNowhere();
}

INSTANTIATE_TEST_SUITE_P(Servers, SqlRunPasswordTest,
                         ::testing::Values(TSqlDialect::PostgreSQL, TSqlDialect::MySQL),
                         [](const ::testing::TestParamInfo<TSqlDialect>& info) {
                           return SqlDialectName(info.param).toStdString();
                         });

}  // namespace
}  // namespace veska
