#include "platform/TextMeasurer.h"

#include <QCoreApplication>
#include <QFontMetrics>

#include <algorithm>

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

TQtTextMeasurer::TFontEntry& TQtTextMeasurer::Entry(const QFont& font) const
{
  // Fonts compare by every property they set, so another font never reuses
  // these metrics or widths.
  constexpr size_t kMaxFonts = 4;
  const auto same = [&](const TFontEntry& e) {
    return e.Font == font && e.Font.resolveMask() == font.resolveMask();
  };
  auto found = std::find_if(FFonts.begin(), FFonts.end(), same);
  if (found == FFonts.end()) {
    if (FFonts.empty())
      qAddPostRoutine([] { Instance().FFonts.clear(); });
    if (FFonts.size() >= kMaxFonts)
      FFonts.pop_back();
    FFonts.insert(FFonts.begin(), TFontEntry{font, QFontMetrics(PixelFont(font)), {}});
    return FFonts.front();
  }
  // The caller's font takes the entry's place: equal fonts made apart (a
  // zoom step makes a new one) then compare as one shared font from the
  // next call on, without comparing them property by property.
  found->Font = font;
  std::rotate(FFonts.begin(), found, found + 1);
  return FFonts.front();
}

int TQtTextMeasurer::TextWidth(const QFont& font, const QString& text) const
{
  // Enough for every distinct text of a diagram of 40,000 entities (names,
  // attribute lines, relation names), so that a zoom step back to a size
  // seen before measures nothing again; the texts themselves are shared with
  // the model, an entry costs a hash node.
  constexpr qsizetype kMaxRemembered = 1 << 19;
  TFontEntry& entry = Entry(font);
  const TTextKey key = KeyOf(text);
  if (const auto known = entry.Widths.constFind(key); known != entry.Widths.constEnd())
    return *known;
  const int width = entry.Metrics.horizontalAdvance(text);
  if (entry.Widths.size() >= kMaxRemembered)
    entry.Widths.clear();
  entry.Widths.insert(key, width);
  return width;
}

TQtTextMeasurer::TTextKey TQtTextMeasurer::KeyOf(const QString& text)
{
  const auto bytes = static_cast<size_t>(text.size()) * sizeof(QChar);
  const size_t length = static_cast<size_t>(text.size());
  return {qHashBits(text.constData(), bytes, 0x9e3779b97f4a7c15ull ^ length),
          qHashBits(text.constData(), bytes, 0xc2b2ae3d27d4eb4full + length)};
}

int TQtTextMeasurer::TextHeight(const QFont& font, const QString&) const
{
  return Entry(font).Metrics.height();
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
