// Timing of a repaint of one screenful of a large diagram, what the view does
// when the window is shown or scrolled, and of hit testing, what the view
// does on every mouse press and move. The area is 1280 x 1024 pixels at 100%
// zoom, painted into an image as the view paints into its backing store:
// white background, then the diagram.

#include "BenchRun.h"
#include "testkit/LargeModel.h"
#include "platform/TextMeasurer.h"
#include "surface/Painting.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <map>
#include <memory>

namespace veska::bench {

using namespace veska::testkit;

namespace {

struct TPaintFixture {
  TCollectingMessages Messages;
  TDrawingSurface Surface{Messages, TQtTextMeasurer::Instance()};
};

// One laid-out model per size, built on first use and kept for the run.
TPaintFixture& PaintFixture(int entities)
{
  static std::map<int, std::unique_ptr<TPaintFixture>> fixtures;
  auto& slot = fixtures[entities];
  if (!slot) {
    auto f = std::make_unique<TPaintFixture>();
    f->Surface.Clear();
    BuildLargeModel(f->Surface, TModelSize::ForEntities(entities));
    f->Surface.LayoutAll();
    slot = std::move(f);
  }
  return *slot;
}

// A Letter page with quarter-inch margins at 96 pixels per inch.
const QSize kPage(768, 1008);
const QSize kScreen(1280, 1024);

// Paints the screenful whose top left lies at `percent` of the diagram's
// width and height (0 the top left corner, 50 the middle, 75 towards the
// lower right, where other relation lines cross the screen).
void PaintScreen(benchmark::State& state, int percent)
{
  TPaintFixture& f = PaintFixture(static_cast<int>(state.range(0)));
  const TDrawingSurface& s = f.Surface;
  const QRect area(QPoint(s.Width * percent / 100, s.Height * percent / 100), kScreen);
  QImage image(area.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    QPainter painter(&image);
    painter.translate(-area.topLeft());
    painter.fillRect(area, Qt::white);
    PaintDiagram(s, painter, area, kPage);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  }
  int shown = 0;
  for (const TEntity* e : s.Entities)
    shown += area.intersects(e->BoundsRect()) ? 1 : 0;
  state.counters["entities_in_area"] = shown;
}

void BM_RepaintTopLeft(benchmark::State& state)
{
  PaintScreen(state, 0);
}

void BM_RepaintMiddle(benchmark::State& state)
{
  PaintScreen(state, 50);
}

void BM_RepaintLowerRight(benchmark::State& state)
{
  PaintScreen(state, 75);
}

// One hit test per iteration at points spread over the middle screenful,
// on entities, relation lines and empty surface alike.
void BM_HitTest(benchmark::State& state)
{
  TPaintFixture& f = PaintFixture(static_cast<int>(state.range(0)));
  const TDrawingSurface& s = f.Surface;
  const QPoint origin(s.Width / 2, s.Height / 2);
  std::vector<QPoint> points;
  for (int y = 0; y < kScreen.height(); y += 37)
    for (int x = 0; x < kScreen.width(); x += 41)
      points.push_back(origin + QPoint(x, y));
  size_t i = 0;
  int hits = 0;
  for (auto _ : state) {
    const THit hit = s.HitTest(points[i]);
    hits += hit.Kind != THit::TKind::None ? 1 : 0;
    i = (i + 1) % points.size();
  }
  benchmark::DoNotOptimize(hits);
}

}  // namespace

BENCHMARK(BM_RepaintTopLeft)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintMiddle)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RepaintLowerRight)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HitTest)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

}  // namespace veska::bench
