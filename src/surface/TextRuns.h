#pragma once
// Texts shaped once and drawn from their glyphs. Shaping a line of text
// (finding its glyphs and their places) costs QPainter::drawText more than
// putting the glyphs on the screen, and a repaint draws the same entity and
// label texts again; the glyphs of each text a font has drawn are kept, so
// that a repaint only puts them on the screen. The pixels are those of
// drawText: the same layout of the same font on the same raster engine.

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QRect>
#include <QString>

#include <memory>
#include <vector>

class QPainter;

namespace veska {

// Whether the painter paints onto a raster device under a transformation
// that moves by whole device pixels only, where painting shortcuts that
// must give the same pixels as the plain calls can tell what they give.
bool PaintsWholePixels(const QPainter& painter);

class TTextRuns {
public:
  // The texts kept for painting on the application's thread, for the
  // process; nullptr on any other thread, which draws without them.
  static TTextRuns* ForThisThread();

  // Whether a painter's texts may be drawn from kept glyphs: whole pixels
  // (PaintsWholePixels), in a font without lines (underline, overline,
  // strike-out, which drawText draws by its own rules).
  static bool Suits(const QPainter& painter);

  struct TText {
    QList<QGlyphRun> Runs;  // glyph positions relative to the baseline's start
    QRect Ink;              // holds every pixel the text covers, relative to the same
  };

  // The glyphs of `text` in the painter's font and layout direction
  // (Suits), shaped on first use.
  const TText& Find(const QPainter& painter, const QString& text);

  // Draws `text` with its baseline starting at (x, baseline), the pixels
  // of painter.drawText(QPointF(x, baseline), text). Returns where the
  // pixels lie in painter coordinates.
  QRect Draw(QPainter& painter, int x, int baseline, const QString& text);

  // Texts kept over all fonts. When kLimit texts or kFontLimit fonts are
  // kept, all are dropped and shaped again as they come, so that the memory
  // and the search for a font stay bounded however much is drawn.
  std::size_t Count() const { return FCount; }
  static constexpr std::size_t kLimit = 8192;
  static constexpr std::size_t kFontLimit = 64;

private:
  struct TFontTexts {
    QFont Font;
    // The painter's layout direction, which drawText shapes in.
    Qt::LayoutDirection Direction = Qt::LeftToRight;
    QHash<QString, TText> Texts;
  };
  std::vector<std::unique_ptr<TFontTexts>> FFonts;
  TFontTexts* FLast = nullptr;
  std::size_t FCount = 0;
};

}  // namespace veska
