#include "platform/TextMeasurer.h"

#include "platform/Prefetch.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QVarLengthArray>

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

void TTextMeasurer::TextWidths(const QFont& font, std::span<const QString> texts, int* widths) const
{
  for (const QString& text : texts)
    *widths++ = TextWidth(font, text);
}

// Enough for every distinct text of a diagram of 40,000 entities (names,
// attribute lines, relation names), so that a zoom step back to a size seen
// before measures nothing again; a width costs a slot of 16 bytes in a table
// at most half full.
constexpr qsizetype kMaxRemembered = 1 << 19;

int TQtTextMeasurer::Remember(TFontEntry& entry, const TTextKey& key, const QString& text)
{
  const int width = entry.Metrics.horizontalAdvance(text);
  if (entry.Widths.Size() >= kMaxRemembered)
    entry.Widths.Clear();
  entry.Widths.Insert(key, width);
  return width;
}

int TQtTextMeasurer::TextWidth(const QFont& font, const QString& text) const
{
  TFontEntry& entry = Entry(font);
  const TTextKey key = KeyOf(text);
  const int known = entry.Widths.Find(key);
  return known >= 0 ? known : Remember(entry, key, text);
}

void TQtTextMeasurer::TextWidths(const QFont& font, std::span<const QString> texts, int* widths) const
{
  TFontEntry& entry = Entry(font);
  QVarLengthArray<TTextKey, 64> keys(static_cast<qsizetype>(texts.size()));
  for (size_t i = 0; i < texts.size(); ++i) {
    keys[i] = KeyOf(texts[i]);
    entry.Widths.Prefetch(keys[i]);
  }
  for (size_t i = 0; i < texts.size(); ++i) {
    const int known = entry.Widths.Find(keys[i]);
    widths[i] = known >= 0 ? known : Remember(entry, keys[i], texts[i]);
  }
}

TQtTextMeasurer::TTextKey TQtTextMeasurer::KeyOf(const QString& text)
{
  const auto bytes = static_cast<size_t>(text.size()) * sizeof(QChar);
  const size_t length = static_cast<size_t>(text.size());
  const quint64 first = qHashBits(text.constData(), bytes, 0x9e3779b97f4a7c15ull ^ length);
  return {first != 0 ? first : 1,
          static_cast<quint32>(qHashBits(text.constData(), bytes, 0xc2b2ae3d27d4eb4full + length))};
}

size_t TQtTextMeasurer::TWidthTable::SlotOf(const TTextKey& key) const
{
  const size_t mask = FSlots.size() - 1;
  size_t i = Home(key);
  while (FSlots[i].First != 0 && !(FSlots[i].First == key.First && FSlots[i].Second == key.Second))
    i = (i + 1) & mask;
  return i;
}

int TQtTextMeasurer::TWidthTable::Find(const TTextKey& key) const
{
  if (FSlots.empty())
    return -1;
  const TSlot& slot = FSlots[SlotOf(key)];
  return slot.First != 0 ? slot.Width : -1;
}

void TQtTextMeasurer::TWidthTable::Prefetch(const TTextKey& key) const
{
  if (!FSlots.empty())
    veska::Prefetch(&FSlots[Home(key)]);
}

void TQtTextMeasurer::TWidthTable::Insert(const TTextKey& key, int width)
{
  if (static_cast<size_t>(FSize + 1) * 2 > FSlots.size())
    Grow();
  TSlot& slot = FSlots[SlotOf(key)];
  if (slot.First == 0)
    ++FSize;
  slot = {key.First, key.Second, width};
}

void TQtTextMeasurer::TWidthTable::Grow()
{
  std::vector<TSlot> old(std::max<size_t>(1024, FSlots.size() * 2));
  old.swap(FSlots);
  for (const TSlot& slot : old)
    if (slot.First != 0)
      FSlots[SlotOf({slot.First, slot.Second})] = slot;
}

void TQtTextMeasurer::TWidthTable::Clear()
{
  FSlots = {};
  FSize = 0;
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
