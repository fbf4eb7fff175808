#pragma once
// The font-metrics seam. Entity boxes and labels size themselves from the
// width and height of their texts in their fonts. The program measures with
// Qt's font metrics at the 96 dpi of the original screen; tests that check
// pixel arithmetic use a fixed measurer so they give the same numbers on
// every machine.

#include <QFont>
#include <QString>

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
class TQtTextMeasurer final : public TTextMeasurer {
public:
  int TextWidth(const QFont& font, const QString& text) const override;
  int TextHeight(const QFont& font, const QString& text) const override;
  static const TQtTextMeasurer& Instance();
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
