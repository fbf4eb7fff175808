// The two ways of a build give the same database: a model built live into
// one fresh database and its script applied with the server's own client
// into another leave catalogs that read back identically (tables, columns
// with type, nullability and default, keys, foreign keys with their delete
// rule, unique constraints and indexes, checks, comments, domains and
// processes): the shipped example on SQLite, PostgreSQL and MariaDB, a
// generated model of 1,000 entities on SQLite and PostgreSQL. A second live
// build with Drop Table over the first gives the same catalog again.
#include "SqlTestDatabases.h"
#include "diagramfile/DiagramFile.h"
#include "model/ModelFixture.h"
#include "platform/IniFile.h"
#include "platform/TextMeasurer.h"
#include "sqlbuild/SqlRun.h"
#include "sqlbuild/SqlSchema.h"
#include "sqlbuild/SqlScript.h"
#include "support/FirstDifference.h"
#include "support/RecordingMessages.h"
#include "testkit/LargeModel.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace veska::test {
namespace {

// The catalog of the connection's database as sorted lines, one fact each,
// fields apart by "|" (mariadb's tabs included). Statement texts kept by the
// catalog (SQLite's CREATE statements, process bodies) lose their carriage
// returns: a script has CR LF line ends, a live build sends LF.
QStringList CatalogDump(TSqlDialect dialect, const TSqlConnection& connection)
{
  QString sql;
  switch (dialect) {
  case TSqlDialect::SQLite:
    sql = QStringLiteral(
        "SELECT 'T|' || name || '|' || replace(sql, char(13), '') FROM sqlite_master WHERE type = 'table' "
        "  AND name <> 'sqlite_sequence' ORDER BY name;\n"
        "SELECT 'C|' || m.name || '|' || p.cid || '|' || p.name || '|' || p.type || '|' || p.\"notnull\" || '|' "
        "  || ifnull(p.dflt_value, '-') || '|' || p.pk FROM sqlite_master m, pragma_table_info(m.name) p "
        "  WHERE m.type = 'table' ORDER BY m.name, p.cid;\n"
        "SELECT 'F|' || m.name || '|' || f.id || '|' || f.seq || '|' || f.\"table\" || '|' || f.\"from\" || '|' "
        "  || f.\"to\" || '|' || f.on_update || '|' || f.on_delete FROM sqlite_master m, "
        "  pragma_foreign_key_list(m.name) f WHERE m.type = 'table' ORDER BY m.name, f.id, f.seq;\n"
        "SELECT 'I|' || m.name || '|' || i.name || '|' || i.\"unique\" || '|' || i.origin || '|' "
        "  || (SELECT group_concat(name) FROM (SELECT name FROM pragma_index_info(i.name) ORDER BY seqno)) "
        "  FROM sqlite_master m, pragma_index_list(m.name) i WHERE m.type = 'table' ORDER BY m.name, i.name;\n");
    break;
  case TSqlDialect::PostgreSQL:
    sql = QStringLiteral(
        "SELECT 'T', relname, obj_description(oid, 'pg_class') FROM pg_class "
        "  WHERE relnamespace = 'public'::regnamespace AND relkind = 'r' ORDER BY 2;\n"
        "SELECT 'C', c.relname, a.attnum, a.attname, format_type(a.atttypid, a.atttypmod), a.attnotnull, "
        "  pg_get_expr(d.adbin, d.adrelid), a.attidentity, col_description(c.oid, a.attnum) "
        "  FROM pg_class c JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
        "  LEFT JOIN pg_attrdef d ON d.adrelid = c.oid AND d.adnum = a.attnum "
        "  WHERE c.relnamespace = 'public'::regnamespace AND c.relkind = 'r' ORDER BY 2, 3;\n"
        "SELECT 'K', conrelid::regclass::text, contypid::regtype::text, conname, contype, "
        "  pg_get_constraintdef(oid) FROM pg_constraint WHERE connamespace = 'public'::regnamespace "
        "  ORDER BY 2, 3, 4, 6;\n"
        "SELECT 'I', tablename, indexname, indexdef FROM pg_indexes WHERE schemaname = 'public' ORDER BY 2, 3;\n"
        "SELECT 'D', t.typname, format_type(t.typbasetype, t.typtypmod), t.typnotnull, t.typdefault, "
        "  obj_description(t.oid, 'pg_type') FROM pg_type t "
        "  WHERE t.typnamespace = 'public'::regnamespace AND t.typtype = 'd' ORDER BY 2;\n"
        "SELECT 'P', p.proname, pg_get_function_identity_arguments(p.oid), p.prokind, "
        "  replace(p.prosrc, E'\\r', '') FROM pg_proc p WHERE p.pronamespace = 'public'::regnamespace "
        "  ORDER BY 2, 3;\n");
    break;
  case TSqlDialect::MySQL:
    sql = QStringLiteral(
        "SELECT 'T', table_name, table_comment FROM information_schema.tables "
        "  WHERE table_schema = DATABASE() ORDER BY 2;\n"
        "SELECT 'C', table_name, ordinal_position, column_name, column_type, is_nullable, "
        "  IFNULL(column_default, '-'), extra, column_comment FROM information_schema.columns "
        "  WHERE table_schema = DATABASE() ORDER BY 2, 3;\n"
        "SELECT 'K', table_name, constraint_name, constraint_type FROM information_schema.table_constraints "
        "  WHERE constraint_schema = DATABASE() ORDER BY 2, 3, 4;\n"
        "SELECT 'U', table_name, constraint_name, ordinal_position, column_name, "
        "  IFNULL(referenced_table_name, '-'), IFNULL(referenced_column_name, '-') "
        "  FROM information_schema.key_column_usage WHERE table_schema = DATABASE() ORDER BY 2, 3, 4, 6, 7;\n"
        "SELECT 'F', table_name, constraint_name, referenced_table_name, update_rule, delete_rule "
        "  FROM information_schema.referential_constraints WHERE constraint_schema = DATABASE() ORDER BY 2, 3;\n"
        "SELECT 'X', table_name, constraint_name, check_clause FROM information_schema.check_constraints "
        "  WHERE constraint_schema = DATABASE() ORDER BY 2, 3;\n"
        "SELECT 'I', table_name, index_name, non_unique, seq_in_index, column_name "
        "  FROM information_schema.statistics WHERE table_schema = DATABASE() ORDER BY 2, 3, 5;\n"
        "SELECT 'P', routine_name, routine_type, REPLACE(routine_definition, CHAR(13), '') "
        "  FROM information_schema.routines WHERE routine_schema = DATABASE() ORDER BY 2;\n");
    break;
  }
  const TProgramOutput out = RunClient(dialect, connection, sql);
  EXPECT_TRUE(out.Ok()) << out.Describe().toStdString();
  return QString(out.Output).replace(QLatin1Char('\t'), QLatin1Char('|')).split(QLatin1Char('\n'));
}

// How many lines of the dump are facts of the kind ("T", "F", ...).
qsizetype CountOf(const QStringList& dump, const QString& kind)
{
  const QString prefix = kind + QLatin1Char('|');
  return std::count_if(dump.begin(), dump.end(), [&](const QString& line) { return line.startsWith(prefix); });
}

class SqlEndToEndTest : public ::testing::TestWithParam<TSqlDialect> {
protected:
  TSqlDialect Dialect() const { return GetParam(); }
  // The shipped servers are named as their dialects.
  QString Server() const { return SqlDialectName(Dialect()); }

  void SetUp() override { ASSERT_TRUE(Dir.isValid()); }

  // A process for each server that runs them, written to be built again
  // over itself (a build drops tables, never processes); the example has
  // none.
  void AddProcesses()
  {
    auto touch = std::make_unique<TServerProc>();
    touch->Name = QStringLiteral("Touch");
    touch->Server = QStringLiteral("PostgreSQL");
    touch->Text = QStringList{QStringLiteral("CREATE OR REPLACE FUNCTION touch(n integer) RETURNS integer AS $$"),
                              QStringLiteral("  SELECT n + 1;"), QStringLiteral("$$ LANGUAGE sql;")};
    Surface.AddServerProc(std::move(touch));
    auto counted = std::make_unique<TServerProc>();
    counted->Name = QStringLiteral("Counted");
    counted->Server = QStringLiteral("MySQL");
    counted->Text = QStringList{QStringLiteral("CREATE OR REPLACE PROCEDURE counted()"), QStringLiteral("BEGIN"),
                                QStringLiteral("  SELECT 1;"), QStringLiteral("END;")};
    Surface.AddServerProc(std::move(counted));
  }

  // Every option on, every entity chosen.
  TSqlBuildOptions AllOptions() const
  {
    TSqlBuildOptions options;
    options.DropTables = true;
    options.CreateTables = true;
    options.PrimaryKeys = true;
    options.ForeignKeys = true;
    options.Domains = true;
    options.Processes = true;
    for (int i = 0; i < Surface.Entities.Count(); ++i)
      options.TableFilter << Surface.Entities.Objects(i)->EntityName();
    return options;
  }

  // Runs the steps on the target; the run must go through without an error.
  void Run(const std::vector<TSqlStep>& steps, TSqlTarget& target)
  {
    TRecordingMessages messages;
    const TSqlRunResult result = RunSqlBuild(steps, target, messages, [](const QString&) {});
    EXPECT_TRUE(result.Reached);
    EXPECT_FALSE(result.Aborted);
    EXPECT_EQ(result.ErrorCount, 0) << messages.Lines().mid(0, 5).join(QLatin1Char('\n')).toStdString();
  }

  // Builds the model live into one new database and through its script
  // into another, compares their catalogs, builds live again over the first
  // and compares once more. Returns the catalog.
  QStringList BuildBothWays()
  {
    const std::vector<TSqlStep> steps = SqlBuildSteps(Shipped, Server(), Surface, AllOptions());
    for (const TSqlStep& step : steps)
      EXPECT_EQ(step.Error, QString()) << step.Caption.toStdString();

    const TSqlConnection live = NewDatabase(Dialect(), Dir.filePath(QStringLiteral("live.db")));
    const TSqlConnection scripted = NewDatabase(Dialect(), Dir.filePath(QStringLiteral("script.db")));
    if (Dialect() != TSqlDialect::SQLite && (live.Database.isEmpty() || scripted.Database.isEmpty()))
      return {};
    {
      TSqlDatabaseTarget target(Dialect(), live, QString());
      Run(steps, target);
    }
    const QString scriptFile = Dir.filePath(QStringLiteral("build.sql"));
    {
      TSqlScriptTarget target(scriptFile, Dialect());
      Run(steps, target);
    }
    QFile script(scriptFile);
    EXPECT_TRUE(script.open(QIODevice::ReadOnly));
    const TProgramOutput applied = RunClient(Dialect(), scripted, QString::fromUtf8(script.readAll()));
    EXPECT_TRUE(applied.Ok()) << applied.Describe().toStdString();
    // sqlite3 goes on after a failed statement; what it said is a failure
    // (psql's notices of drops passed over are not).
    if (Dialect() == TSqlDialect::SQLite) {
      EXPECT_EQ(applied.Errors, QString());
    }

    const QStringList built = CatalogDump(Dialect(), live);
    EXPECT_EQ(built, CatalogDump(Dialect(), scripted))
        << FirstDifference(built, CatalogDump(Dialect(), scripted));

    {
      TSqlDatabaseTarget target(Dialect(), live, QString());
      Run(steps, target);
    }
    const QStringList rebuilt = CatalogDump(Dialect(), live);
    EXPECT_EQ(built, rebuilt) << FirstDifference(built, rebuilt);
    return built;
  }

  QTemporaryDir Dir;
  TIniFile Shipped{QStringLiteral(VESKA_SHIPPED_INI)};
  testkit::TCollectingMessages Messages;
  TDrawingSurface Surface{Messages, FixedMeasurer};

private:
  static inline const TFixedTextMeasurer FixedMeasurer;
};

TEST_P(SqlEndToEndTest, TheSalesExampleBuildsTheSameLiveAndAsAScript)
{
  ASSERT_EQ(LoadDiagram(Surface, QStringLiteral(VESKA_EXAMPLES_DIR "/sales.erd")), TLoadResult::Loaded);
  AddProcesses();
  const QStringList catalog = BuildBothWays();
  EXPECT_EQ(CountOf(catalog, QStringLiteral("T")), 3) << catalog.join(QLatin1Char('\n')).toStdString();
  switch (Dialect()) {
  case TSqlDialect::SQLite:
    // Three relations into the order line: one cascades, as a detail's do.
    EXPECT_EQ(CountOf(catalog, QStringLiteral("F")), 5);
    EXPECT_TRUE(catalog.filter(QStringLiteral("|CASCADE")).size() >= 1);
    break;
  case TSqlDialect::PostgreSQL:
    EXPECT_EQ(CountOf(catalog, QStringLiteral("D")), 1);
    EXPECT_EQ(CountOf(catalog, QStringLiteral("P")), 1);
    EXPECT_FALSE(catalog.filter(QStringLiteral("ON DELETE CASCADE")).isEmpty());
    break;
  case TSqlDialect::MySQL:
    EXPECT_EQ(CountOf(catalog, QStringLiteral("P")), 1);
    EXPECT_FALSE(catalog.filter(QStringLiteral("|CASCADE")).isEmpty());
    break;
  }
  EXPECT_EQ(Messages.Texts, QStringList());
}

TEST_P(SqlEndToEndTest, TablesThatReferToEachOtherInARingAreDroppedAndBuiltAgain)
{
  TEntity* left = MakeEntityIn(Surface, QStringLiteral("Left"), {QStringLiteral("LeftId")});
  TEntity* right = MakeEntityIn(Surface, QStringLiteral("Right"), {QStringLiteral("RightId")});
  RelateIn(Surface, left, right, false);
  RelateIn(Surface, right, left, false);
  const QStringList catalog = BuildBothWays();
  EXPECT_EQ(CountOf(catalog, QStringLiteral("T")), 2) << catalog.join(QLatin1Char('\n')).toStdString();
}

std::string DialectName(const ::testing::TestParamInfo<TSqlDialect>& info)
{
  return SqlDialectName(info.param).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Servers, SqlEndToEndTest,
                         ::testing::Values(TSqlDialect::SQLite, TSqlDialect::PostgreSQL, TSqlDialect::MySQL),
                         DialectName);

// The generated model: a thousand tables with their keys, indexes and
// references, in rings too, built and rebuilt on each server.
class SqlEndToEndLargeTest : public SqlEndToEndTest {};

TEST_P(SqlEndToEndLargeTest, AGeneratedModelOfAThousandEntitiesBuildsTheSameLiveAndAsAScript)
{
  const testkit::TModelSize size = testkit::TModelSize::ForEntities(1000);
  testkit::BuildLargeModel(Surface, size);
  ASSERT_EQ(Messages.Texts, QStringList());
  EXPECT_GT(testkit::NameColumnsApart(Surface), 0);
  AddProcesses();
  const QStringList catalog = BuildBothWays();
  EXPECT_EQ(CountOf(catalog, QStringLiteral("T")), size.Entities);
}

INSTANTIATE_TEST_SUITE_P(Servers, SqlEndToEndLargeTest,
                         ::testing::Values(TSqlDialect::SQLite, TSqlDialect::PostgreSQL, TSqlDialect::MySQL),
                         DialectName);

}  // namespace
}  // namespace veska::test
