// Timing of a repaint of one screenful of the large diagram: what the view
// does when the window is shown or scrolled. The area is 1280 x 1024 pixels
// at 100% zoom, painted into an image as the view paints into its backing
// store: white background, then the diagram. The target is one frame at
// 60 Hz (16 ms).

#include "LargeModel.h"
#include "platform/TextMeasurer.h"
#include "surface/Painting.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

#include <memory>

namespace veska::bench {

namespace {

struct TPaintFixture {
  TCollectingMessages Messages;
  TDrawingSurface Surface{Messages, TQtTextMeasurer::Instance()};
};

TPaintFixture& PaintFixture()
{
  static std::unique_ptr<TPaintFixture> fixture;
  if (!fixture) {
    fixture = std::make_unique<TPaintFixture>();
    fixture->Surface.Clear();
    BuildLargeModel(fixture->Surface, TModelSize{});
    fixture->Surface.LayoutAll();
  }
  return *fixture;
}

// A Letter page with quarter-inch margins at 96 pixels per inch.
const QSize kPage(768, 1008);

// state.range(0): the area's left and top as a percentage of the diagram's
// size (0 is the top left corner, 50 the middle).
void BM_PaintVisibleArea(benchmark::State& state)
{
  TPaintFixture& f = PaintFixture();
  const TDrawingSurface& s = f.Surface;
  const int percent = static_cast<int>(state.range(0));
  const QRect area(s.Width * percent / 100, s.Height * percent / 100, 1280, 1024);
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
  for (int i = 0; i < s.Entities.Count(); ++i)
    shown += area.intersects(s.Entities[i]->BoundsRect()) ? 1 : 0;
  state.counters["entities_in_area"] = shown;
  state.counters["entities"] = s.Entities.Count();
}

}  // namespace

BENCHMARK(BM_PaintVisibleArea)->Arg(0)->Arg(50)->Unit(benchmark::kMillisecond);

}  // namespace veska::bench
