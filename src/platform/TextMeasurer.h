#pragma once
// The font-metrics seam. Entity boxes and labels size themselves from the
// width and height of their texts in their fonts. The program measures with
// Qt's font metrics at the 96 dpi of the original screen; tests that check
// pixel arithmetic use a fixed measurer so they give the same numbers on
// every machine.

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QString>

#include <vector>

namespace veska {

class TTextMeasurer {
public:
  virtual ~TTextMeasurer() = default;
  virtual int TextWidth(const QFont& font, const QString& text) const = 0;
  virtual int TextHeight(const QFont& font, const QString& text) const = 0;
};

// Qt font metrics, with the point size turned into pixels at 96 dpi as the
// original screen did, so sizes do not depend on the display. Needs a
// QGuiApplication (the offscreen platform is enough).
//
// Shaping a text is the costliest part of laying out a diagram, and models
// repeat their texts (carried key names, types): the widths measured in the
// few fonts last asked for are remembered, up to a bound. Used from the
// user-interface thread only.
class TQtTextMeasurer final : public TTextMeasurer {
public:
  int TextWidth(const QFont& font, const QString& text) const override;
  int TextHeight(const QFont& font, const QString& text) const override;
  // The one measurer; its remembered fonts are let go of when the
  // application object goes, before Qt's font system does.
  static const TQtTextMeasurer& Instance();

private:
  TQtTextMeasurer() = default;

  // A text known by two independent 64-bit hashes of its characters: the
  // table of widths holds no texts (it would keep old diagrams' texts
  // alive), and a lookup reads only the text asked about. Two texts sharing
  // both hashes are not to be expected in the lifetime of the universe.
  struct TTextKey {
    quint64 First;
    quint64 Second;
    bool operator==(const TTextKey& o) const { return First == o.First && Second == o.Second; }
  };
  friend size_t qHash(const TTextKey& key, size_t seed) { return static_cast<size_t>(key.First) ^ seed; }
  static TTextKey KeyOf(const QString& text);

  // The metrics of one font and the widths measured in it.
  struct TFontEntry {
    QFont Font;
    QFontMetrics Metrics;
    QHash<TTextKey, int> Widths;
  };
  TFontEntry& Entry(const QFont& font) const;

  mutable std::vector<TFontEntry> FFonts;  // the most recently used first
};

// Deterministic metrics: every character is (size * 3 + 2) / 4 pixels wide and
// a line is (size * 3) / 2 + 2 pixels high, for the font's point size.
class TFixedTextMeasurer final : public TTextMeasurer {
public:
  int TextWidth(const QFont& font, const QString& text) const override;
  int TextHeight(const QFont& font, const QString& text) const override;
};

// Pixels of a point size at 96 dpi, rounded as the original platform did.
int PointsToPixels(int points);

}  // namespace veska
