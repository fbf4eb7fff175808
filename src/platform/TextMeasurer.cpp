#include "platform/TextMeasurer.h"

#include <QFontMetrics>

namespace veska {

int PointsToPixels(int points)
{
  // MulDiv(points, 96, 72) with rounding of halves away from zero.
  const long long n = static_cast<long long>(points) * 96;
  return static_cast<int>(n >= 0 ? (n + 36) / 72 : (n - 36) / 72);
}

namespace {
QFont PixelFont(const QFont& font)
{
  QFont f(font);
  const int pt = font.pointSize() > 0 ? font.pointSize() : 8;
  f.setPixelSize(qMax(1, PointsToPixels(pt)));
  return f;
}
}  // namespace

int TQtTextMeasurer::TextWidth(const QFont& font, const QString& text) const
{
  return QFontMetrics(PixelFont(font)).horizontalAdvance(text);
}

int TQtTextMeasurer::TextHeight(const QFont& font, const QString&) const
{
  return QFontMetrics(PixelFont(font)).height();
}

const TQtTextMeasurer& TQtTextMeasurer::Instance()
{
  static const TQtTextMeasurer instance;
  return instance;
}

int TFixedTextMeasurer::TextWidth(const QFont& font, const QString& text) const
{
  const int size = qMax(1, font.pointSize());
  return static_cast<int>(text.size()) * ((size * 3 + 2) / 4);
}

int TFixedTextMeasurer::TextHeight(const QFont& font, const QString&) const
{
  const int size = qMax(1, font.pointSize());
  return size * 3 / 2 + 2;
}

}  // namespace veska
