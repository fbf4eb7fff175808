// Timings of the SQL build of a generated model: writing the script of
// 20,000 entities, and building 5,000 entities live into a new SQLite file
// and into a new database on a PostgreSQL server the program starts in a
// temporary directory (testkit/SqlServers.h).
//   veska_sql_bench [--benchmark_filter=REGEX]

#include "BenchRun.h"
#include "platform/IniFile.h"
#include "platform/TextMeasurer.h"
#include "sqlbuild/SqlRun.h"
#include "sqlbuild/SqlSchema.h"
#include "sqlbuild/SqlScript.h"
#include "testkit/LargeModel.h"
#include "testkit/SqlServers.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <memory>
#include <stdexcept>

namespace veska::bench {

using namespace veska::testkit;

namespace {

// One generated model per size, built on first use and kept for the run,
// its carried keys named apart so that every table builds.
struct TModel {
  TCollectingMessages Messages;
  TFixedTextMeasurer Measurer;
  TDrawingSurface Surface{Messages, Measurer};
  TSqlBuildOptions Options;
};

const TModel& Model(int entities)
{
  static std::map<int, std::unique_ptr<TModel>> models;
  auto& slot = models[entities];
  if (!slot) {
    auto m = std::make_unique<TModel>();
    BuildLargeModel(m->Surface, TModelSize::ForEntities(entities));
    if (!m->Messages.Texts.isEmpty())
      throw std::runtime_error(m->Messages.Texts.first().toStdString());
    NameColumnsApart(m->Surface);
    m->Options.DropTables = true;
    m->Options.Processes = true;
    for (const TEntity* e : m->Surface.Entities)
      m->Options.TableFilter << e->EntityName();
    slot = std::move(m);
  }
  return *slot;
}

const TIniFile& Shipped()
{
  static const TIniFile ini(QStringLiteral(VESKA_SHIPPED_INI));
  return ini;
}

// Builds the model's steps and runs them on the target; false, and the
// benchmark told why, when a step failed.
bool Build(benchmark::State& state, const TModel& model, const QString& server, TSqlTarget& target)
{
  const std::vector<TSqlStep> steps = SqlBuildSteps(Shipped(), server, model.Surface, model.Options);
  TCollectingMessages messages;
  const TSqlRunResult result = RunSqlBuild(steps, target, messages, [](const QString&) {});
  if (result.ErrorCount == 0)
    return true;
  state.SkipWithError(messages.Texts.value(0).toStdString().c_str());
  return false;
}

// The steps of every option for 20,000 entities and 30,000 relations, written
// as a PostgreSQL script.
void BM_SqlScript(benchmark::State& state)
{
  const TModel& model = Model(static_cast<int>(state.range(0)));
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("build.sql"));
  for (auto _ : state) {
    TSqlScriptTarget target(file, TSqlDialect::PostgreSQL);
    if (!Build(state, model, QStringLiteral("PostgreSQL"), target))
      break;
  }
  state.counters["script_MB"] = static_cast<double>(QFile(file).size()) / 1e6;
}
BENCHMARK(BM_SqlScript)->ArgName("entities")->Arg(20000)->Unit(benchmark::kMillisecond);

// Every option for 5,000 entities built live into a new SQLite file.
void BM_SqlBuildSQLite(benchmark::State& state)
{
  const TModel& model = Model(static_cast<int>(state.range(0)));
  QTemporaryDir dir;
  int run = 0;
  for (auto _ : state) {
    TSqlConnection connection;
    connection.DatabaseFile = dir.filePath(QStringLiteral("build%1.db").arg(++run));
    TSqlDatabaseTarget target(TSqlDialect::SQLite, connection, QString());
    if (!Build(state, model, QStringLiteral("SQLite"), target))
      break;
  }
}
BENCHMARK(BM_SqlBuildSQLite)->ArgName("entities")->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(1);

// Every option for 5,000 entities built live into a new database on a
// PostgreSQL server on a Unix socket, as one transaction.
void BM_SqlBuildPostgreSQL(benchmark::State& state)
{
  const TModel& model = Model(static_cast<int>(state.range(0)));
  TPostgresServer& server = TPostgresServer::Shared();
  if (!server.Failure().isEmpty()) {
    state.SkipWithError(server.Failure().toStdString().c_str());
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    TSqlConnection connection;
    connection.Host = server.SocketDirectory();
    connection.Port = server.Port();
    connection.User = TPostgresServer::SuperUser();
    connection.Database = server.CreateDatabase();
    state.ResumeTiming();
    TSqlDatabaseTarget target(TSqlDialect::PostgreSQL, connection, QString());
    if (!Build(state, model, QStringLiteral("PostgreSQL"), target))
      break;
  }
}
BENCHMARK(BM_SqlBuildPostgreSQL)->ArgName("entities")->Arg(5000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

}  // namespace veska::bench

int main(int argc, char** argv)
{
  const int status = veska::bench::RunBenchmarks<QCoreApplication>(argc, argv);
  veska::testkit::StopSharedServers();
  return status;
}
