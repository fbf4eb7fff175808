// The statements of an SQL build per dialect, what each option changes,
// the order of tables, and the errors that stop a table.
#include "SqlModel.h"
#include "sqlbuild/SqlQuoting.h"

#include <QRegularExpression>

#include <algorithm>

namespace veska::test {
namespace {

// The steps whose statement or error contains `text`.
int Count(const std::vector<TSqlStep>& steps, const QString& text)
{
  int n = 0;
  for (const TSqlStep& step : steps)
    n += (step.Statement + step.Error).contains(text) ? 1 : 0;
  return n;
}

const TSqlStep* Find(const std::vector<TSqlStep>& steps, const QString& text)
{
  for (const TSqlStep& step : steps)
    if ((step.Statement + step.Error).contains(text))
      return &step;
  return nullptr;
}

// The entities of the tables created, in order.
QStringList Created(const std::vector<TSqlStep>& steps, const QString& prefix = QStringLiteral("Creating Table "))
{
  QStringList names;
  for (const TSqlStep& step : steps)
    if (step.Caption.startsWith(prefix) && step.Statement.startsWith(QStringLiteral("CREATE TABLE")))
      names << step.Caption.mid(prefix.size());
  return names;
}

QStringList Dropped(const std::vector<TSqlStep>& steps)
{
  QStringList names;
  for (const TSqlStep& step : steps)
    if (step.Kind == TSqlStep::Drop && step.Statement.startsWith(QStringLiteral("DROP TABLE")))
      names << step.Caption.mid(15);
  return names;
}

// What the servers make of the statements is tried in SqlScriptApplyTest; here
// the order of the steps, their kinds and captions, and what each dialect
// leaves out.
TEST_F(SqlModelTest, PostgreSqlDropsAndMakesDomainsAroundTheTablesAndAddsKeysAfterThem)
{
  const std::vector<TSqlStep> steps = Steps(QStringLiteral("PostgreSQL"));
  const QStringList statements = Statements(steps);
  EXPECT_EQ(Count(steps, QStringLiteral("ERROR")), 0);
  EXPECT_EQ(Dropped(steps), QStringList({"Hostile", "Invoice", "OrderLine", "Order", "Customer"}));
  EXPECT_TRUE(statements.contains(QStringLiteral("DROP TABLE IF EXISTS \"Order\" CASCADE")));
  const int dropDomain = int(statements.indexOf(QStringLiteral("DROP DOMAIN IF EXISTS \"Amount\"")));
  const int domain = int(statements.indexOf(
      QStringLiteral("CREATE DOMAIN \"Amount\" AS numeric(10,2) CHECK (VALUE >= 0 AND 'VALUE' <> '')")));
  EXPECT_GT(dropDomain, int(statements.indexOf(QStringLiteral("DROP TABLE IF EXISTS \"Customer\" CASCADE"))));
  EXPECT_GT(domain, dropDomain);
  EXPECT_LT(domain, int(statements.indexOf(QRegularExpression(QStringLiteral("CREATE TABLE[\\s\\S]*")))));
  EXPECT_EQ(steps[size_t(dropDomain)].Kind, TSqlStep::Drop);
  EXPECT_EQ(steps[size_t(domain)].Caption, QStringLiteral("Creating Domain Amount"));
  // An index and a key per relation, after every table.
  EXPECT_GT(int(Captions(steps).indexOf(QStringLiteral("Creating Relation Places"))),
            int(Captions(steps).indexOf(QStringLiteral("Creating Table Hostile"))));
  EXPECT_EQ(Captions(steps).filter(QStringLiteral("Creating Relation")),
            QStringList({"Creating Relation Places", "Creating Relation Places", "Creating Relation Contains",
                         "Creating Relation Contains", "Creating Relation Bills", "Creating Relation Bills"}));
  // Only the process written for this server, whole, without its closing ";".
  EXPECT_EQ(Captions(steps).last(), QStringLiteral("Creating Process Touch"));
  EXPECT_EQ(statements.last(),
            QStringLiteral("CREATE OR REPLACE FUNCTION touch() RETURNS integer AS $$\n  SELECT 1;\n$$ LANGUAGE sql"));
}

TEST_F(SqlModelTest, MySqlWritesDomainsOnColumnsAndLetsTheServerIndexForeignKeys)
{
  const std::vector<TSqlStep> steps = Steps(QStringLiteral("MySQL"));
  EXPECT_EQ(Count(steps, QStringLiteral("DOMAIN")), 0);
  EXPECT_EQ(Count(steps, QStringLiteral("CASCADE")), 1);  // the master-detail's ON DELETE only
  EXPECT_TRUE(Find(steps, QStringLiteral("`Total` decimal(10,2) DEFAULT 0.5 CHECK (`Total` >= 0 AND 'VALUE' <> '')")));
  EXPECT_TRUE(Statements(steps).contains(
      QStringLiteral("CREATE TABLE `x\"; DROP TABLE y; --``'` (\n  `K` int NOT NULL,\n"
                     "  `V` varchar(40) DEFAULT 'O''Brien\\\\''; DROP TABLE y; --\\nnext line',\n"
                     "  PRIMARY KEY (`K`)\n)")));
  EXPECT_EQ(Count(steps, QStringLiteral("CREATE INDEX")), 0);
  EXPECT_EQ(Captions(steps).filter(QStringLiteral("Creating Process")), QStringList({"Creating Process Count"}));
}

// A ring of relations has no parent first: the first entity of the choice
// that waits for none goes next, else the first not placed yet, and what it
// frees follows in the order chosen.
TEST_F(SqlModelTest, ARingOfRelationsIsBrokenAtTheFirstEntityChosen)
{
  TEntity* a = MakeEntity(QStringLiteral("A"), {QStringLiteral("a")});
  TEntity* b = MakeEntity(QStringLiteral("B"), {QStringLiteral("b")});
  TEntity* c = MakeEntity(QStringLiteral("C"), {QStringLiteral("c")});
  TEntity* d = MakeEntity(QStringLiteral("D"), {QStringLiteral("d")});
  Relate(a, b, false);
  Relate(b, c, false);
  Relate(c, a, false);
  Relate(a, d, false);
  Relate(Customer, d, false);
  TSqlBuildOptions options = Options();
  options.TableFilter = QStringList({"D", "C", "B", "Customer", "A"});
  // Only Customer waits for nobody; then nothing is free, and D, the first
  // not placed, goes though it waits for A; then C, which frees A, which
  // frees B.
  EXPECT_EQ(Created(Steps(QStringLiteral("SQLite"), options)), QStringList({"Customer", "D", "C", "A", "B"}));
  options.TableFilter = QStringList({"B", "A", "C"});
  EXPECT_EQ(Created(Steps(QStringLiteral("SQLite"), options)), QStringList({"B", "C", "A"}));
}

TEST_F(SqlModelTest, SQLiteDeclaresForeignKeysWithTheTablesParentsFirst)
{
  TSqlBuildOptions options = Options();
  options.TableFilter = QStringList({"OrderLine", "Invoice", "Hostile", "Order", "Customer"});
  const std::vector<TSqlStep> steps = Steps(QStringLiteral("SQLite"), options);
  EXPECT_EQ(Created(steps), QStringList({"Hostile", "Customer", "Order", "OrderLine", "Invoice"}));
  EXPECT_EQ(Dropped(steps), QStringList({"Invoice", "OrderLine", "Order", "Customer", "Hostile"}));
  EXPECT_EQ(Count(steps, QStringLiteral("ALTER TABLE")), 0);
  EXPECT_EQ(Count(steps, QStringLiteral("DOMAIN")), 0);
  EXPECT_EQ(Count(steps, QStringLiteral("touch")) + Count(steps, QStringLiteral("counted")), 0);
  // A process written for SQLite is not built either: the server has no ProcedureSupport.
  AddProcess(QStringLiteral("Lite"), QStringLiteral("sqlite"), {QStringLiteral("CREATE VIEW v AS SELECT 1")});
  EXPECT_EQ(Count(Steps(QStringLiteral("SQLite"), options), QStringLiteral("CREATE VIEW")), 0);
  EXPECT_EQ(Find(steps, QStringLiteral("CREATE TABLE \"Customer\""))->Statement,
            QStringLiteral("CREATE TABLE \"Customer\" (\n"
                           "  -- People who buy\n"
                           "  -- and pay\n"
                           "  \"Id\" integer PRIMARY KEY AUTOINCREMENT NOT NULL,\n"
                           "  -- Full name, as 'written'\n"
                           "  \"Name\" varchar(30) NOT NULL,\n"
                           "  \"Note\" text DEFAULT ('O''Brien\\''; DROP TABLE y; --' || char(10) || 'next line')\n)"));
  EXPECT_TRUE(Find(steps, QStringLiteral("  CONSTRAINT \"Contains\" FOREIGN KEY (\"Region\", \"No\") REFERENCES "
                                         "\"Order\" (\"Region\", \"No\") ON DELETE CASCADE\n)")));
  EXPECT_TRUE(
      Find(steps, QStringLiteral("\"Total\" numeric(10,2) DEFAULT 0.5 CHECK (\"Total\" >= 0 AND 'VALUE' <> '')")));
  // The relations' indexes carry their captions.
  EXPECT_EQ(Captions(steps).filter(QStringLiteral("Relation")),
            QStringList({"Creating Relation Places", "Creating Relation Contains", "Creating Relation Bills"}));
}

TEST_F(SqlModelTest, EachOptionSwitchedOffLeavesItsPartOut)
{
  for (const QString& server : {QStringLiteral("SQLite"), QStringLiteral("PostgreSQL"), QStringLiteral("MySQL")}) {
    SCOPED_TRACE(server.toStdString());
    const std::vector<TSqlStep> all = Steps(server);
    TSqlBuildOptions options = Options();
    options.DropTables = false;
    std::vector<TSqlStep> steps = Steps(server, options);
    EXPECT_EQ(Count(steps, QStringLiteral("DROP TABLE IF")) + Count(steps, QStringLiteral("DROP DOMAIN")), 0);
    // PostgreSQL drops its domain too; MySQL turns its reference checks off
    // and on around the drops, and around the keys of tables it made anew.
    EXPECT_EQ(steps.size() + size_t(server == "SQLite" ? 5 : server == "PostgreSQL" ? 6 : 9), all.size());
    if (server == "MySQL") {
      const QStringList statements = Statements(all);
      const auto off = statements.lastIndexOf(QStringLiteral("SET FOREIGN_KEY_CHECKS = 0"));
      const auto firstKey = std::find_if(statements.begin(), statements.end(), [](const QString& statement) {
        return statement.startsWith(QStringLiteral("ALTER TABLE")) && statement.contains(QStringLiteral("FOREIGN KEY"));
      });
      ASSERT_NE(firstKey, statements.end());
      EXPECT_LT(off, firstKey - statements.begin());
      EXPECT_EQ(Count(steps, QStringLiteral("FOREIGN_KEY_CHECKS")), 0) << "tables that stand are checked";
    }

    options = Options();
    options.PrimaryKeys = false;
    steps = Steps(server, options);
    EXPECT_EQ(Count(steps, QStringLiteral("PRIMARY KEY")), 0);
    EXPECT_EQ(Created(steps).size(), 5);

    options = Options();
    options.ForeignKeys = false;
    steps = Steps(server, options);
    EXPECT_EQ(Count(steps, QStringLiteral("FOREIGN KEY")), 0);
    EXPECT_EQ(Captions(steps).filter(QStringLiteral("Relation")), QStringList());

    options = Options();
    options.Processes = false;
    steps = Steps(server, options);
    EXPECT_EQ(Captions(steps).filter(QStringLiteral("Process")), QStringList());

    options = Options();
    options.CreateTables = false;
    steps = Steps(server, options);
    EXPECT_EQ(Count(steps, QStringLiteral("CREATE TABLE")) + Count(steps, QStringLiteral("INDEX \"Customer")), 0);
    EXPECT_EQ(Dropped(steps).size(), 5);
    // Foreign keys can be added to tables that stand, except on SQLite.
    EXPECT_EQ(Count(steps, QStringLiteral("ADD CONSTRAINT")), server == "SQLite" ? 0 : 3);
  }
}

TEST_F(SqlModelTest, WithoutDomainsPostgreSqlWritesTheDomainOnTheColumn)
{
  TSqlBuildOptions options = Options();
  options.Domains = false;
  const std::vector<TSqlStep> steps = Steps(QStringLiteral("PostgreSQL"), options);
  EXPECT_EQ(Count(steps, QStringLiteral("DOMAIN")), 0);
  EXPECT_TRUE(
      Find(steps, QStringLiteral("\"Total\" numeric(10,2) DEFAULT 0.5 CHECK (\"Total\" >= 0 AND 'VALUE' <> '')")));
}

TEST_F(SqlModelTest, WithoutAKeyClauseSQLiteCountersArePlainIntegers)
{
  TSqlBuildOptions options = Options();
  options.PrimaryKeys = false;
  EXPECT_TRUE(Find(Steps(QStringLiteral("SQLite"), options), QStringLiteral("  \"Id\" integer NOT NULL,\n")));
  // A counter in a key of two columns is no rowid either; the key clause names both.
  Customer->InsertKeyAttribute(1, QStringLiteral("Branch"));
  const std::vector<TSqlStep> steps = Steps(QStringLiteral("SQLite"));
  EXPECT_TRUE(Find(steps, QStringLiteral("  \"Id\" integer NOT NULL,\n")));
  EXPECT_TRUE(Find(steps, QStringLiteral("  PRIMARY KEY (\"Id\", \"Branch\")")));
}

TEST_F(SqlModelTest, MySqlCountersThatLeadNoPrimaryKeyGetAKeyOfTheirOwn)
{
  // MySQL refuses a counter that is not the first column of some key.
  EXPECT_TRUE(Find(Steps(QStringLiteral("MySQL")), QStringLiteral("`Id` int AUTO_INCREMENT NOT NULL")));
  TSqlBuildOptions options = Options();
  options.PrimaryKeys = false;
  EXPECT_TRUE(Find(Steps(QStringLiteral("MySQL"), options), QStringLiteral("`Id` int AUTO_INCREMENT UNIQUE NOT NULL")));
  Customer->InsertKeyAttribute(0, QStringLiteral("Branch"));
  EXPECT_TRUE(Find(Steps(QStringLiteral("MySQL")), QStringLiteral("`Id` int AUTO_INCREMENT UNIQUE NOT NULL")));
}

TEST_F(SqlModelTest, OnlyRelationsBetweenChosenEntitiesAreBuilt)
{
  TSqlBuildOptions options = Options();
  options.TableFilter = QStringList({"OrderLine", "order", "Nobody", "Order"});
  for (const QString& server : {QStringLiteral("SQLite"), QStringLiteral("PostgreSQL"), QStringLiteral("MySQL")}) {
    const std::vector<TSqlStep> steps = Steps(server, options);
    EXPECT_EQ(Created(steps), QStringList({"Order", "OrderLine"}));
    QStringList relations = Captions(steps).filter(QStringLiteral("Relation"));
    relations.removeDuplicates();
    EXPECT_EQ(relations, QStringList({"Creating Relation Contains"}));
    EXPECT_EQ(Count(steps, QStringLiteral("Customer")) + Count(steps, QStringLiteral("Invoice")), 0);
  }
}

TEST_F(SqlModelTest, ACycleOfRelationsIsOrderedWithoutHanging)
{
  // Customer -> Order already; Order -> Customer closes a cycle of foreign keys.
  Name(Relate(Order, Customer, false), QStringLiteral("Favourite"));
  const std::vector<TSqlStep> steps = Steps(QStringLiteral("SQLite"));
  EXPECT_EQ(Created(steps).size(), 5);
  EXPECT_EQ(Dropped(steps).size(), 5);
  EXPECT_TRUE(Find(steps, QStringLiteral("CONSTRAINT \"Favourite\" FOREIGN KEY (\"Region\", \"No\")")));
}

TEST_F(SqlModelTest, AnUnmappedTypeStopsItsTableAndWhatIsBuiltOnIt)
{
  Type(Order, false, 1, QStringLiteral("Hologram"));
  for (const QString& server : {QStringLiteral("SQLite"), QStringLiteral("PostgreSQL"), QStringLiteral("MySQL")}) {
    SCOPED_TRACE(server.toStdString());
    const std::vector<TSqlStep> steps = Steps(server);
    const TSqlStep* error = Find(steps, QStringLiteral("Hologram"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Caption, QStringLiteral("Creating Table Order"));
    EXPECT_TRUE(error->Statement.isEmpty());
    EXPECT_TRUE(error->Error.contains(QStringLiteral("placed")) && error->Error.contains(QStringLiteral("Order")));
    EXPECT_EQ(Created(steps), QStringList({"Customer", "OrderLine", "Invoice", "Hostile"}));
    // No relation of the table that is not there.
    EXPECT_EQ(Captions(steps).filter(QStringLiteral("Relation")), QStringList());
  }
}

TEST_F(SqlModelTest, TableNamesThatClashOnceCutAreErrorsForBoth)
{
  const QString stem(63, QLatin1Char('t'));
  Customer->SetTableName(stem + QStringLiteral("_a"));
  Invoice->SetTableName(stem.toUpper() + QStringLiteral("_b"));
  const std::vector<TSqlStep> steps = Steps(QStringLiteral("PostgreSQL"));
  EXPECT_EQ(Created(steps), QStringList({"Order", "OrderLine", "Hostile"}));
  EXPECT_EQ(Dropped(steps), QStringList({"Hostile", "OrderLine", "Order"}));
  const TSqlStep* error = Find(steps, QStringLiteral("The entities Customer and Invoice"));
  ASSERT_TRUE(error);
  EXPECT_TRUE(Find(steps, QStringLiteral("The entities Invoice and Customer")));
  EXPECT_TRUE(error->Statement.isEmpty());
  // SQLite cuts nothing: both are built.
  EXPECT_EQ(Created(Steps(QStringLiteral("SQLite"))).size(), 5);

  Line->SetTableName(QString());
  const std::vector<TSqlStep> unnamed = Steps(QStringLiteral("SQLite"));
  EXPECT_EQ(Created(unnamed), QStringList({"Customer", "Order", "Invoice", "Hostile"}));
  ASSERT_TRUE(Find(unnamed, QStringLiteral("OrderLine has no table name")));
  EXPECT_EQ(Find(unnamed, QStringLiteral("OrderLine has no table name"))->Caption,
            QStringLiteral("Creating Table OrderLine"));
}

TEST_F(SqlModelTest, IndexNamesAreUniqueInTheSchemaWhereTheServerWantsThat)
{
  // The same index name in two tables, and a cut name that meets another.
  const QString longName(70, QLatin1Char('i'));
  for (TEntity* e : {Order, Line}) {
    for (const QString& name : {QStringLiteral("ByNo"), longName, longName + QStringLiteral("x")}) {
      auto index = std::make_unique<TIndex>();
      index->AssignName(name);
      index->Columns.Add(QStringLiteral("No"), e->PrimaryKey.Find(QStringLiteral("No")));
      e->AddIndex(std::move(index));
    }
  }
  QStringList names;
  for (const TSqlStep& step : Steps(QStringLiteral("PostgreSQL")))
    if (step.Caption.startsWith(QStringLiteral("Creating Index")))
      names << step.Statement.section(QLatin1Char('"'), 1, 1);
  const QString order = QStringLiteral("Order_") + QString(57, QLatin1Char('i'));
  const QString line = QStringLiteral("OrderLine_") + QString(53, QLatin1Char('i'));
  EXPECT_EQ(names, QStringList({"Customer_ByName", "Order_ByNo", order, order.left(61) + QStringLiteral("_2"),
                                "OrderLine_ByNo", line, line.left(61) + QStringLiteral("_2")}));
  QStringList mysql;
  for (const TSqlStep& step : Steps(QStringLiteral("MySQL")))
    if (step.Caption == QStringLiteral("Creating Index ByNo"))
      mysql << step.Statement;
  EXPECT_EQ(mysql, QStringList({"CREATE INDEX `ByNo` ON `Order` (`No`)", "CREATE INDEX `ByNo` ON `OrderLine` (`No`)"}));
  // MySQL's names are the table's own, but two cut alike still differ.
  QStringList cut;
  for (const TSqlStep& step : Steps(QStringLiteral("MySQL")))
    if (step.Statement.contains(QStringLiteral("ON `Order` ")) && step.Caption.startsWith(QStringLiteral("Creating Index i")))
      cut << step.Statement.section(QLatin1Char('`'), 1, 1);
  EXPECT_EQ(cut, QStringList({longName.left(64), longName.left(62) + QStringLiteral("_2")}));
}

TEST_F(SqlModelTest, AttributesThatGiveOneColumnNameStopTheTableWithAnError)
{
  Order->Attributes.Objects(1)->SetColumnName(QStringLiteral("TOTAL"));
  for (const QString& server : {QStringLiteral("SQLite"), QStringLiteral("PostgreSQL"), QStringLiteral("MySQL")}) {
    SCOPED_TRACE(server.toStdString());
    const std::vector<TSqlStep> steps = Steps(server);
    const TSqlStep* error = Find(steps, QStringLiteral("The attributes Total and placed of the entity Order"));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Caption, QStringLiteral("Creating Table Order"));
    EXPECT_TRUE(error->Statement.isEmpty());
    EXPECT_FALSE(Created(steps).contains(QStringLiteral("Order")));
  }
}

TEST_F(SqlModelTest, AServerWithoutDialectGivesOneError)
{
  const std::vector<TSqlStep> steps = Steps(QStringLiteral("Paradox"));
  ASSERT_EQ(steps.size(), 1);
  EXPECT_TRUE(steps[0].Error.contains(QStringLiteral("Dialect")));
}

}  // namespace
}  // namespace veska::test
