// Reading databases back on the real servers: a model built by the SQL
// build reads back with the same facts (the shipped example and a generated
// model of 1,000 entities, on SQLite, PostgreSQL and MariaDB), and schemas
// written the way others write them (composite keys, self-references and
// circular references, link tables, PostgreSQL's domains, identities and
// routines) read as their tables say.
#include "ModelFacts.h"
#include "diagramfile/DiagramFile.h"
#include "platform/TextMeasurer.h"
#include "sqlbuild/SqlRun.h"
#include "sqlbuild/SqlTestDatabases.h"
#include "sqlreverse/SqlReverse.h"
#include "support/RecordingMessages.h"
#include "testkit/LargeModel.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska::test {
namespace {

QString SchemaFile(const QString& name)
{
  QFile file(QStringLiteral(VESKA_REVERSE_SCHEMAS "/") + name);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
  return QString::fromUtf8(file.readAll());
}

class SqlReverseTest : public ::testing::TestWithParam<TSqlDialect> {
protected:
  TSqlDialect Dialect() const { return GetParam(); }
  QString Server() const { return SqlDialectName(Dialect()); }

  void SetUp() override
  {
    ASSERT_TRUE(Dir.isValid());
    Connection = NewDatabase(Dialect(), Dir.filePath(QStringLiteral("read.db")));
    if (Dialect() != TSqlDialect::SQLite) {
      ASSERT_FALSE(Connection.Database.isEmpty());
    }
  }

  // Builds the original with every option into the test's database.
  void Build()
  {
    TSqlBuildOptions options;
    options.DropTables = options.Processes = true;
    for (const TEntity* e : Original.Entities)
      options.TableFilter << e->EntityName();
    const std::vector<TSqlStep> steps = SqlBuildSteps(Shipped, Server(), Original, options);
    TSqlDatabaseTarget target(Dialect(), Connection, QString());
    TRecordingMessages messages;
    const TSqlRunResult run = RunSqlBuild(steps, target, messages, [](const QString&) {});
    ASSERT_EQ(run.ErrorCount, 0) << messages.Lines().mid(0, 5).join(QLatin1Char('\n')).toStdString();
  }

  // Reads the test's database into Read; the reading must reach it.
  TSqlReverseResult ReadBack(const QString& schema = {})
  {
    const TSqlReverseResult result = ReverseEngineerSql(Read, Shipped, Server(), Connection, QString(), schema);
    EXPECT_EQ(result.Error, QString());
    ExpectIntegrity(Read);
    EXPECT_EQ(ReadMessages.Lines(), QStringList());
    return result;
  }

  void Apply(const QString& sql)
  {
    const TProgramOutput applied = RunClient(Dialect(), Connection, sql);
    ASSERT_TRUE(applied.Ok()) << applied.Describe().toStdString();
  }

  TEntity* EntityOf(const QString& name) const
  {
    TEntity* e = Read.Entities.Find(name);
    EXPECT_NE(e, nullptr) << name.toStdString();
    return e;
  }
  const TRelation* RelationNamed(const QString& name) const
  {
    const TRelation* r = Read.Relations.Find(name);
    EXPECT_NE(r, nullptr) << name.toStdString();
    return r;
  }

  QTemporaryDir Dir;
  TIniFile Shipped{QStringLiteral(VESKA_SHIPPED_INI)};
  TSqlConnection Connection;
  testkit::TCollectingMessages Messages;
  TDrawingSurface Original{Messages, FixedMeasurer};
  TRecordingMessages ReadMessages;
  TDrawingSurface Read{ReadMessages, FixedMeasurer};

private:
  static inline const TFixedTextMeasurer FixedMeasurer;
};

// A process for the server, as the build's end-to-end test adds them.
void AddProcess(TDiagram& model, const QString& server)
{
  auto proc = std::make_unique<TServerProc>();
  proc->Server = server;
  if (server == QLatin1String("PostgreSQL")) {
    proc->Name = QStringLiteral("touch");
    proc->Text = QStringList{QStringLiteral("CREATE OR REPLACE FUNCTION touch(n integer) RETURNS integer AS $$"),
                             QStringLiteral("  SELECT n + 1;"), QStringLiteral("$$ LANGUAGE sql;")};
  } else {
    proc->Name = QStringLiteral("counted");
    proc->Text = QStringList{QStringLiteral("CREATE OR REPLACE PROCEDURE counted()"), QStringLiteral("BEGIN"),
                             QStringLiteral("  SELECT 1;"), QStringLiteral("END;")};
  }
  model.AddServerProc(std::move(proc));
}

TEST_P(SqlReverseTest, TheSalesExampleReadsBackWithTheSameFacts)
{
  ASSERT_EQ(LoadDiagram(Original, QStringLiteral(VESKA_EXAMPLES_DIR "/sales.erd")), TLoadResult::Loaded);
  if (Dialect() != TSqlDialect::SQLite)
    AddProcess(Original, Server());
  Build();
  const TSqlReverseResult result = ReadBack();
  EXPECT_EQ(result.Tables, Original.Entities.Count());
  EXPECT_EQ(result.Relations, Original.Relations.Count());
  EXPECT_EQ(result.Notes, QStringList());
  const QStringList expected = ModelFacts(Original, Shipped, Server());
  const QStringList read = ModelFacts(Read, Shipped, Server());
  EXPECT_EQ(read, expected) << FirstDifference(read, expected);
  // The process holds a definition that builds it again.
  if (Dialect() != TSqlDialect::SQLite) {
    ASSERT_EQ(Read.ServerProcs.Count(), 1);
    EXPECT_TRUE(Read.ServerProcs.Objects(0)->Text.join(QLatin1Char('\n')).startsWith(QStringLiteral("CREATE")));
  }
  // Nothing overlaps before Arrange: the boxes stand in rows.
  for (int i = 1; i < Read.Entities.Count(); ++i)
    EXPECT_FALSE(Read.Entities.Objects(i)->BoundsRect().intersects(Read.Entities.Objects(i - 1)->BoundsRect()));
}

TEST_P(SqlReverseTest, AGeneratedModelOfAThousandEntitiesReadsBackWithTheSameFacts)
{
  testkit::BuildLargeModel(Original, testkit::TModelSize::ForEntities(1000));
  testkit::NameColumnsApart(Original);
  Build();
  const TSqlReverseResult result = ReadBack();
  EXPECT_EQ(result.Tables, 1000);
  EXPECT_EQ(result.Notes, QStringList());
  const QStringList expected = ModelFacts(Original, Shipped, Server());
  const QStringList read = ModelFacts(Read, Shipped, Server());
  EXPECT_EQ(read.size(), expected.size());
  EXPECT_TRUE(read == expected) << FirstDifference(read, expected);
}

// An order schema: a customer's orders, their lines keyed by order and line
// number, shipments keyed by the line, and products tagged through a link
// table.
TEST_P(SqlReverseTest, AnOrderSchemaWithCompositeKeysAndALinkTableReads)
{
  Apply(SchemaFile(QStringLiteral("orders.sql")));
  const TSqlReverseResult result = ReadBack();
  EXPECT_EQ(result.Tables, 7);
  EXPECT_EQ(result.Relations, 6);
  EXPECT_EQ(result.Notes, QStringList());
  EXPECT_EQ(result.LeftOut, QStringList{QStringLiteral("View big_orders")});
  // name -> kind and cardinality
  const std::vector<std::tuple<const char*, bool, bool>> relations = {
      {"orders_customer", false, true}, {"lines_order", true, true}, {"lines_product", false, true},
      {"pt_product", true, true},       {"pt_tag", true, true},      {"shipment_line", true, false},
  };
  for (const auto& [name, primary, many] : relations)
    if (const TRelation* r = RelationNamed(QString::fromLatin1(name))) {
      EXPECT_EQ(r->PrimaryRelation(), primary) << name;
      EXPECT_EQ(IsToMany(r->Cardinality), many) << name;
    }
  const TEntity* shipments = EntityOf(QStringLiteral("shipments"));
  ASSERT_NE(shipments, nullptr);
  EXPECT_EQ(shipments->PrimaryKey.Strings(0), QStringLiteral("order_id"));
  EXPECT_EQ(shipments->PrimaryKey.Strings(1), QStringLiteral("line_no"));
  const TEntity* lines = EntityOf(QStringLiteral("order_lines"));
  ASSERT_NE(lines, nullptr);
  const TAttribute* quantity = lines->Attributes.Find(QStringLiteral("quantity"));
  ASSERT_NE(quantity, nullptr);
  EXPECT_EQ(quantity->DefaultValue(), QStringLiteral("1"));
  EXPECT_FALSE(quantity->AllowNulls);
  const TAttribute* price = EntityOf(QStringLiteral("products"))->Attributes.Find(QStringLiteral("price"));
  ASSERT_NE(price, nullptr);
  EXPECT_EQ(price->DataType, QStringLiteral("Decimal(10,2)"));
  EXPECT_TRUE(price->Rule().contains(QStringLiteral("price"))) << price->Rule().toStdString();
  // The unique email is an index; the indexes the server made for foreign
  // keys are the relations'.
  const TEntity* customers = EntityOf(QStringLiteral("customers"));
  ASSERT_EQ(customers->Indexes.Count(), 1);
  EXPECT_TRUE(customers->Indexes.Objects(0)->Unique);
  const TEntity* orders = EntityOf(QStringLiteral("orders"));
  ASSERT_EQ(orders->Indexes.Count(), 1);
  // Where index names are the schema's, a build names them TABLE_INDEX: the
  // model's name is the rest, and a build gives the database's name again.
  EXPECT_EQ(orders->Indexes.Objects(0)->Name(), Dialect() == TSqlDialect::MySQL ? QStringLiteral("orders_by_date")
                                                                                 : QStringLiteral("by_date"));
}

// Employees and departments: each employee's manager is an employee, each
// department's manager too, and employees belong to departments (a circle).
TEST_P(SqlReverseTest, EmployeesWithManagersAndDepartmentsReadWithRoleNames)
{
  Apply(SchemaFile(Dialect() == TSqlDialect::SQLite ? QStringLiteral("hr.sqlite.sql") : QStringLiteral("hr.sql")));
  const TSqlReverseResult result = ReadBack();
  EXPECT_EQ(result.Tables, 3);
  EXPECT_EQ(result.Relations, 4);
  for (const char* name : {"emp_manager_fk", "dept_mgr_fk"}) {
    const TRelation* r = RelationNamed(QString::fromLatin1(name));
    ASSERT_NE(r, nullptr);
    EXPECT_FALSE(r->PrimaryRelation());
    // The carried column keeps its own name: the key's copy with a role name.
    EXPECT_EQ(r->MigratedAttributes.Strings(0), QStringLiteral("employee_id"));
    EXPECT_EQ(r->MigratedAttributes.Objects(0)->Name, QStringLiteral("manager_id"));
  }
  const TRelation* history = RelationNamed(QStringLiteral("history_emp_fk"));
  ASSERT_NE(history, nullptr);
  EXPECT_TRUE(history->PrimaryRelation());
}

INSTANTIATE_TEST_SUITE_P(Servers, SqlReverseTest,
                         ::testing::Values(TSqlDialect::SQLite, TSqlDialect::PostgreSQL, TSqlDialect::MySQL),
                         [](const ::testing::TestParamInfo<TSqlDialect>& info) {
                           return SqlDialectName(info.param).toStdString();
                         });

class SqlReversePostgresTest : public SqlReverseTest {};

// Domains with their checks, identity and serial columns, a sequence, views
// and routines of their own, comments; a second schema read on its own.
TEST_P(SqlReversePostgresTest, AShopWithDomainsReadsItsDomainsCountersAndRoutines)
{
  Apply(SchemaFile(QStringLiteral("pg_shop.sql")));
  const TSqlReverseResult result = ReadBack();
  EXPECT_EQ(result.Tables, 3);
  EXPECT_EQ(result.Relations, 2);
  EXPECT_EQ(result.Domains, 2);
  EXPECT_EQ(result.Processes, 2);
  EXPECT_EQ(result.LeftOut, (QStringList{QStringLiteral("Sequence invoice_numbers"), QStringLiteral("View open_invoices"),
                                         QStringLiteral("Materialized view totals")}));
  const TDomain* amount = Read.Domains.Find(QStringLiteral("positive_amount"));
  ASSERT_NE(amount, nullptr);
  EXPECT_EQ(amount->DataType, QStringLiteral("Decimal(12,2)"));
  // The check as the server writes it back.
  EXPECT_EQ(amount->Rule, QStringLiteral("VALUE > (0)::numeric"));
  const TDomain* email = Read.Domains.Find(QStringLiteral("email_address"));
  ASSERT_NE(email, nullptr);
  EXPECT_EQ(email->Description, QStringList{QStringLiteral("An address with an at sign")});

  const TEntity* accounts = EntityOf(QStringLiteral("accounts"));
  ASSERT_NE(accounts, nullptr);
  EXPECT_EQ(accounts->Description, QStringList{QStringLiteral("Who buys")});
  EXPECT_EQ(accounts->PrimaryKey.Objects(0)->DataType, QStringLiteral("AutoInc"));
  const TAttribute* address = accounts->Attributes.Find(QStringLiteral("email"));
  ASSERT_NE(address, nullptr);
  EXPECT_EQ(address->DataType, QStringLiteral("email_address"));
  EXPECT_EQ(address->Description(), QStringList{QStringLiteral("Where invoices go")});
  // A type the map lacks stays as the server names it.
  EXPECT_EQ(accounts->Attributes.Find(QStringLiteral("last_ip"))->DataType, QStringLiteral("inet"));
  const TEntity* invoices = EntityOf(QStringLiteral("invoices"));
  // A sequence no column owns is a default like any other.
  EXPECT_TRUE(invoices->PrimaryKey.Objects(0)->DefaultValue().startsWith(QStringLiteral("nextval(")));
  EXPECT_EQ(invoices->Attributes.Find(QStringLiteral("note"))->DefaultValue(), QStringLiteral("none"));
  EXPECT_EQ(EntityOf(QStringLiteral("payments"))->PrimaryKey.Objects(0)->DataType, QStringLiteral("AutoInc"));
  for (const TServerProc* proc : Read.ServerProcs) {
    EXPECT_EQ(proc->Server, QStringLiteral("PostgreSQL"));
    EXPECT_TRUE(proc->Text.first().startsWith(QStringLiteral("CREATE OR REPLACE "))) << proc->Text.first().toStdString();
  }

  TRecordingMessages messages;
  const TFixedTextMeasurer measurer;
  TDrawingSurface audit(messages, measurer);
  const TSqlReverseResult other =
      ReverseEngineerSql(audit, Shipped, Server(), Connection, QString(), QStringLiteral("audit"));
  EXPECT_EQ(other.Error, QString());
  EXPECT_EQ(other.Tables, 1);
  EXPECT_EQ(other.LeftOut, QStringList{QStringLiteral("Foreign key log_account of entries (to another schema)")});
  const TSqlReverseResult missing =
      ReverseEngineerSql(audit, Shipped, Server(), Connection, QString(), QStringLiteral("nowhere"));
  EXPECT_FALSE(missing.Error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Servers, SqlReversePostgresTest, ::testing::Values(TSqlDialect::PostgreSQL),
                         [](const ::testing::TestParamInfo<TSqlDialect>& info) {
                           return SqlDialectName(info.param).toStdString();
                         });

}  // namespace
}  // namespace veska::test
