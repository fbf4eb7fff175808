// Timings of writing, loading, clearing and zooming a large diagram and of
// key edits that travel down a deep chain of primary relations; of loading a
// single chain of 100,000 primary relations and renaming its head's key.
// Every benchmark of the large diagram runs at 5,000, 10,000, 20,000 and
// 40,000 entities, so the growth per doubling can be read from the rows.

#include "BenchRun.h"
#include "testkit/LargeModel.h"
#include "diagramfile/DiagramFile.h"
#include "platform/TextMeasurer.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#ifdef VESKA_MIMALLOC
#include <mimalloc.h>
#else
#include <malloc.h>
#endif

#include <map>
#include <memory>

namespace veska::bench {

using namespace veska::testkit;

namespace {

// One generated model per size, built on first use and kept for the run.
struct TFixture {
  TCollectingMessages Messages;
  TDrawingSurface Surface{Messages, TQtTextMeasurer::Instance()};
  QByteArray Text;  // the model as written
  TEntity* Head = nullptr;
};

TFixture& Fixture(int entities)
{
  static std::map<int, std::unique_ptr<TFixture>> fixtures;
  auto& slot = fixtures[entities];
  if (!slot) {
    auto f = std::make_unique<TFixture>();
    f->Surface.Clear();
    BuildLargeModel(f->Surface, TModelSize::ForEntities(entities));
    if (!f->Messages.Texts.isEmpty())
      throw std::runtime_error(f->Messages.Texts.first().toStdString());
    WriteDiagram(f->Surface, f->Text);
    f->Head = ChainHead(f->Surface);
    slot = std::move(f);
  }
  return *slot;
}

// Bytes of the heap blocks in use now (the benchmarks allocate on the main
// thread only).
double HeapBytes()
{
#ifdef VESKA_MIMALLOC
  size_t used = 0;
  mi_heap_visit_blocks(
      mi_heap_get_default(), false,
      [](const mi_heap_t*, const mi_heap_area_t* area, void*, size_t, void* sum) {
        *static_cast<size_t*>(sum) += area->used * area->block_size;
        return true;
      },
      &used);
  return static_cast<double>(used);
#else
  const struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd);
#endif
}

bool Ready(benchmark::State& state, TFixture*& fixture)
{
  try {
    fixture = &Fixture(static_cast<int>(state.range(0)));
    return true;
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return false;
  }
}

void SetCounters(benchmark::State& state, const TFixture& f)
{
  state.counters["relations"] = f.Surface.Relations.Count();
  state.counters["MB"] = static_cast<double>(f.Text.size()) / 1e6;
}

// Clears the surface and loads the generated text into it; reports and
// returns false when it does not load cleanly.
bool LoadFresh(benchmark::State& state, TDrawingSurface& surface, const QByteArray& text)
{
  surface.Clear();
  if (LoadDiagramBytes(surface, text) == TLoadResult::Loaded)
    return true;
  state.SkipWithError("the generated diagram did not load cleanly");
  return false;
}

// Times loading the text onto the cleared surface, once per iteration.
void LoadRepeatedly(benchmark::State& state, TDrawingSurface& surface, const QByteArray& text)
{
  for (auto _ : state) {
    state.PauseTiming();
    surface.Clear();
    state.ResumeTiming();
    if (!LoadFresh(state, surface, text))
      break;
  }
}

void BM_Write(benchmark::State& state)
{
  TFixture* f = nullptr;
  if (!Ready(state, f))
    return;
  // The buffer is grown to the text's size once, untimed: each timed write
  // reuses it, as the benchmark means to measure (the runs that find the
  // number of iterations would otherwise each time one growth from empty,
  // which at 40,000 entities copies and faults in 128 MB).
  QByteArray out;
  WriteDiagram(f->Surface, out);
  for (auto _ : state) {
    WriteDiagram(f->Surface, out);
    benchmark::DoNotOptimize(out.data());
  }
  if (out != f->Text)
    state.SkipWithError("writing twice gave different text");
  SetCounters(state, *f);
}

// Reports as model_MB the heap memory the loaded diagram holds: measured
// from the cleared surface to the end of the last load.
void BM_Load(benchmark::State& state)
{
  TFixture* f = nullptr;
  if (!Ready(state, f))
    return;
  TCollectingMessages messages;
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  surface.Clear();
  const double before = HeapBytes();
  LoadRepeatedly(state, surface, f->Text);
  state.counters["model_MB"] = (HeapBytes() - before) / 1e6;
  if (!messages.Texts.isEmpty())
    state.SkipWithError(messages.Texts.first().toStdString().c_str());
  else if (surface.Entities.Count() != f->Surface.Entities.Count() ||
           surface.Relations.Count() != f->Surface.Relations.Count())
    state.SkipWithError("the loaded diagram differs from the generated one");
  SetCounters(state, *f);
}

void BM_Clear(benchmark::State& state)
{
  TFixture* f = nullptr;
  if (!Ready(state, f))
    return;
  TCollectingMessages messages;
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  for (auto _ : state) {
    state.PauseTiming();
    if (!LoadFresh(state, surface, f->Text))
      break;
    state.ResumeTiming();
    surface.Clear();
  }
  SetCounters(state, *f);
}

// One step of zooming in or out (5:4 and 4:5 in turns, as the menu and the
// wheel do) on a loaded diagram. The larger diagrams exceed the largest
// surface at 125%, so every diagram is first zoomed out (untimed) three
// steps, to 51%, where a step in fits for every size: the sizes then take
// the same steps, and their times compare like with like. The counter
// zoom_percent tells where the steps start.
void BM_ZoomStep(benchmark::State& state)
{
  TFixture* f = nullptr;
  if (!Ready(state, f))
    return;
  TCollectingMessages messages;
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  if (!LoadFresh(state, surface, f->Text))
    return;
  const auto roomToZoomIn = [&] { return qMax(surface.Width, surface.Height) * qint64(5) / 4 < 32767; };
  for (int i = 0; i < 3; ++i)
    surface.Rescale(4, 5);
  if (!roomToZoomIn()) {
    state.SkipWithError("the diagram cannot be zoomed");
    return;
  }
  state.counters["zoom_percent"] = qRound(surface.ZoomFactor * 100);
  bool out = false;
  for (auto _ : state) {
    if (out)
      surface.Rescale(4, 5);
    else
      surface.Rescale(5, 4);
    out = !out;
  }
  SetCounters(state, *f);
}

// Key edits at the head of a primary chain; each changes all five levels
// below it. The model is put back as it was after each iteration, outside the
// timing.

const QString kNewKey = QStringLiteral("Bench_Key");

bool HeadReady(benchmark::State& state, TFixture*& f)
{
  if (!Ready(state, f))
    return false;
  if (PrimaryDepth(f->Head) < 5) {
    state.SkipWithError("the head entity is not five primary levels deep");
    return false;
  }
  state.counters["depth"] = PrimaryDepth(f->Head);
  return true;
}

void BM_InsertKeyAttribute(benchmark::State& state)
{
  TFixture* f = nullptr;
  if (!HeadReady(state, f))
    return;
  TEntity* head = f->Head;
  for (auto _ : state) {
    head->InsertKeyAttribute(0, kNewKey);
    state.PauseTiming();
    head->DeleteKeyAttribute(0);
    state.ResumeTiming();
  }
}

void BM_AddKeyAttribute(benchmark::State& state)
{
  TFixture* f = nullptr;
  if (!HeadReady(state, f))
    return;
  TEntity* head = f->Head;
  for (auto _ : state) {
    auto key = std::make_unique<TAttribute>();
    key->Name = kNewKey;
    key->SetColumnName(kNewKey);
    head->AddKeyAttribute(std::move(key));
    state.PauseTiming();
    head->DeleteKeyAttribute(head->PrimaryKey.Count() - 1);
    state.ResumeTiming();
  }
}

// Renames the first key attribute of `head` to kNewKey and back in turns;
// it keeps its own name at the end.
void RenameBackAndForth(benchmark::State& state, TEntity* head)
{
  const QString original = head->PrimaryKey.Strings(0);
  bool renamed = false;
  for (auto _ : state) {
    head->RenameKeyAttribute(0, renamed ? original : kNewKey);
    renamed = !renamed;
  }
  if (renamed)
    head->RenameKeyAttribute(0, original);
}

void BM_RenameKeyAttribute(benchmark::State& state)
{
  TFixture* f = nullptr;
  if (HeadReady(state, f))
    RenameBackAndForth(state, f->Head);
}

void BM_DeleteKeyAttribute(benchmark::State& state)
{
  TFixture* f = nullptr;
  if (!HeadReady(state, f))
    return;
  TEntity* head = f->Head;
  for (auto _ : state) {
    state.PauseTiming();
    head->InsertKeyAttribute(0, kNewKey);
    state.ResumeTiming();
    head->DeleteKeyAttribute(0);
  }
}

// Loading one chain of primary relations, 50,000 and 100,000 levels deep,
// stored from the head down (1) or from the tail up (0); and renaming the
// head's key, which every level below follows.

struct TChain {
  TCollectingMessages Messages;
  TDrawingSurface Surface{Messages, TQtTextMeasurer::Instance()};
  QByteArray Text;
};

TChain& Chain(int length, bool bottomUp)
{
  static std::map<std::pair<int, bool>, std::unique_ptr<TChain>> chains;
  auto& slot = chains[{length, bottomUp}];
  if (!slot) {
    slot = std::make_unique<TChain>();
    slot->Surface.Clear();
    BuildPrimaryChain(slot->Surface, length, bottomUp);
    WriteDiagram(slot->Surface, slot->Text);
  }
  return *slot;
}

void BM_LoadDeepChain(benchmark::State& state)
{
  TChain& chain = Chain(static_cast<int>(state.range(0)), state.range(1) == 0);
  TCollectingMessages messages;
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  LoadRepeatedly(state, surface, chain.Text);
  if (surface.Relations.Count() != chain.Surface.Relations.Count() ||
      surface.Entities.Objects(surface.Entities.Count() - 1)->PrimaryKey.Count() != 1)
    state.SkipWithError("the loaded chain differs from the generated one");
  state.counters["MB"] = static_cast<double>(chain.Text.size()) / 1e6;
}

void BM_RenameDeepChainKey(benchmark::State& state)
{
  RenameBackAndForth(state, Chain(static_cast<int>(state.range(0)), false).Surface.Entities.Objects(0));
}

}  // namespace

BENCHMARK(BM_Load)->Apply(Sizes);
BENCHMARK(BM_Write)->Apply(Sizes);
BENCHMARK(BM_Clear)->Apply(Sizes);
BENCHMARK(BM_ZoomStep)->Apply(Sizes);
BENCHMARK(BM_InsertKeyAttribute)->Apply(Sizes);
BENCHMARK(BM_AddKeyAttribute)->Apply(Sizes);
BENCHMARK(BM_RenameKeyAttribute)->Apply(Sizes);
BENCHMARK(BM_DeleteKeyAttribute)->Apply(Sizes);
BENCHMARK(BM_LoadDeepChain)
    ->ArgNames({"levels", "headFirst"})
    ->ArgsProduct({{50000, 100000}, {1, 0}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenameDeepChainKey)->ArgName("levels")->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace veska::bench

int main(int argc, char** argv)
{
  return veska::bench::RunBenchmarks<QGuiApplication>(argc, argv);
}
