// Timings of Arrange on the generated large diagram (the model of
// testkit/LargeModel.h: a relation and a half per entity, groups of six joined by
// primary chains, text labels): the whole diagram as the command picks its
// layout, and each layout forced, to place the limit between them
// (kLayeredLayoutLimit) where the layered one stops fitting in time.
// Each iteration starts from the generated positions.
//   veska_arrange_bench [--benchmark_filter=REGEX]

#include "BenchRun.h"
#include "arrange/Arrange.h"
#include "platform/TextMeasurer.h"
#include "testkit/LargeModel.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <climits>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

namespace veska::bench {

using namespace veska::testkit;

namespace {

struct TArrangeFixture {
  TCollectingMessages Messages;
  TDrawingSurface Surface{Messages, TQtTextMeasurer::Instance()};
  std::vector<QPoint> Generated;
  QSize Size;

  // Back to the generated places and surface size.
  void Restore()
  {
    int i = 0;
    for (TEntity* e : Surface.Entities)
      e->SetPosition(Generated[static_cast<size_t>(i++)]);
    Surface.Width = Size.width();
    Surface.Height = Size.height();
  }
};

TArrangeFixture& Fixture(int entities)
{
  static std::map<int, std::unique_ptr<TArrangeFixture>> fixtures;
  auto& slot = fixtures[entities];
  if (!slot) {
    auto f = std::make_unique<TArrangeFixture>();
    f->Surface.Clear();
    BuildLargeModel(f->Surface, TModelSize::ForEntities(entities));
    if (!f->Messages.Texts.isEmpty())
      throw std::runtime_error(f->Messages.Texts.first().toStdString());
    for (const TEntity* e : f->Surface.Entities)
      f->Generated.emplace_back(e->Left, e->Top);
    f->Size = QSize(f->Surface.Width, f->Surface.Height);
    slot = std::move(f);
  }
  return *slot;
}

void Run(benchmark::State& state, const TArrangeOptions& options)
{
  TArrangeFixture& f = Fixture(static_cast<int>(state.range(0)));
  TArrangeResult result;
  for (auto _ : state) {
    state.PauseTiming();
    f.Restore();
    state.ResumeTiming();
    result = ArrangeDiagram(f.Surface, false, options);
  }
  state.counters["layered"] = result.Layered ? 1 : 0;
  state.counters["surface_width"] = f.Surface.Width;
  state.counters["surface_height"] = f.Surface.Height;
}

// As the command runs it: the layout chosen by the number of entities.
void BM_Arrange(benchmark::State& state)
{
  Run(state, {});
}

void BM_ArrangeLayered(benchmark::State& state)
{
  TArrangeOptions options;
  options.LayeredLimit = INT_MAX;
  Run(state, options);
}

void BM_ArrangeForceDirected(benchmark::State& state)
{
  TArrangeOptions options;
  options.LayeredLimit = 0;
  Run(state, options);
}

}  // namespace

BENCHMARK(BM_Arrange)->ArgName("entities")->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ArrangeLayered)
    ->ArgName("entities")
    ->Arg(500)
    ->Arg(1000)
    ->Arg(1500)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_ArrangeForceDirected)
    ->ArgName("entities")
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace veska::bench

int main(int argc, char** argv)
{
  return veska::bench::RunBenchmarks<QGuiApplication>(argc, argv);
}
