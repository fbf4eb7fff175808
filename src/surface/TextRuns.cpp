#include "surface/TextRuns.h"

#include <QCoreApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <QThread>

#include <cmath>

namespace veska {

TTextRuns* TTextRuns::ForThisThread()
{
  const QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() != app->thread())
    return nullptr;
  // Never destroyed: the glyphs hold font engines, which must not be freed
  // after the application has taken the font system down at exit.
  static TTextRuns* const runs = new TTextRuns;
  return runs;
}

bool PaintsWholePixels(const QPainter& painter)
{
  const QPaintEngine* engine = painter.paintEngine();
  if (!engine || engine->type() != QPaintEngine::Raster)
    return false;
  const QTransform t = painter.deviceTransform();
  return t.type() <= QTransform::TxTranslate && t.dx() == std::floor(t.dx()) && t.dy() == std::floor(t.dy());
}

bool TTextRuns::Suits(const QPainter& painter)
{
  const QFont& font = painter.font();
  return !font.underline() && !font.overline() && !font.strikeOut() && PaintsWholePixels(painter);
}

const TTextRuns::TText& TTextRuns::Find(const QPainter& painter, const QString& text)
{
  const QFont& font = painter.font();
  const Qt::LayoutDirection direction = painter.layoutDirection();
  if (FCount >= kLimit || FFonts.size() >= kFontLimit) {
    FFonts.clear();
    FLast = nullptr;
    FCount = 0;
  }
  if (!FLast || FLast->Direction != direction || !(FLast->Font == font)) {
    FLast = nullptr;
    for (const auto& f : FFonts)
      if (f->Direction == direction && f->Font == font) {
        FLast = f.get();
        break;
      }
    if (!FLast) {
      FFonts.push_back(std::make_unique<TFontTexts>());
      FLast = FFonts.back().get();
      FLast->Font = font;
      FLast->Direction = direction;
    }
  }
  const auto found = FLast->Texts.constFind(text);
  if (found != FLast->Texts.constEnd())
    return *found;

  // One line, unwrapped, laid out as drawText lays it out; the glyphs are
  // moved so that the baseline starts at (0, 0).
  TText shaped;
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  option.setTextDirection(direction);
  layout.setTextOption(option);
  layout.beginLayout();
  const QTextLine line = layout.createLine();
  layout.endLayout();
  if (line.isValid()) {
    const double baseline = line.y() + line.ascent();
    shaped.Runs = layout.glyphRuns();
    for (QGlyphRun& run : shaped.Runs) {
      QList<QPointF> positions = run.positions();
      for (QPointF& p : positions)
        p.ry() -= baseline;
      run.setPositions(positions);
    }
  }
  // The glyphs' bounding boxes at their places, and one pixel around them
  // for the rounding of the places to pixels.
  QRectF ink;
  for (const QGlyphRun& run : shaped.Runs) {
    const QRawFont font = run.rawFont();
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i)
      ink |= font.boundingRect(glyphs[i]).translated(positions[i]);
  }
  shaped.Ink = ink.toAlignedRect().adjusted(-1, -1, 1, 1);
  ++FCount;
  return *FLast->Texts.insert(text, std::move(shaped));
}

QRect TTextRuns::Draw(QPainter& painter, int x, int baseline, const QString& text)
{
  const TText& shaped = Find(painter, text);
  for (const QGlyphRun& run : shaped.Runs)
    painter.drawGlyphRun(QPointF(x, baseline), run);
  return shaped.Ink.translated(x, baseline);
}

}  // namespace veska
