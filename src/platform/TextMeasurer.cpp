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
    FFonts.insert(FFonts.begin(), TFontEntry{font, QFontMetrics(PixelFont(font)), {}, 0, false, nullptr});
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

int TQtTextMeasurer::TPairAdvances::Width(const QString& text) const
{
  const qsizetype n = text.size();
  if (n == 0)
    return -1;
  const QChar* c = text.constData();
  double sum = 0;
  int previous = -1;
  for (qsizetype i = 0; i < n; ++i) {
    const int at = int(c[i].unicode()) - kFirst;
    if (at < 0 || at >= kCount)
      return -1;
    if (previous >= 0)
      sum += Before[previous][at];
    previous = at;
  }
  return qRound(sum + Last[previous]);
}

std::unique_ptr<TQtTextMeasurer::TPairAdvances> TQtTextMeasurer::MakePairAdvances(const QFont& pixelFont,
                                                                                const QFontMetrics& metrics)
{
  const QFontMetricsF exact(pixelFont);
  auto pairs = std::make_unique<TPairAdvances>();
  constexpr int n = TPairAdvances::kCount;
  const auto character = [](int at) { return QChar(char16_t(TPairAdvances::kFirst + at)); };
  for (int b = 0; b < n; ++b)
    pairs->Last[b] = exact.horizontalAdvance(QString(character(b)));
  QString pair(2, QChar());
  for (int a = 0; a < n; ++a) {
    pair[0] = character(a);
    for (int b = 0; b < n; ++b) {
      pair[1] = character(b);
      pairs->Before[a][b] = exact.horizontalAdvance(pair) - pairs->Last[b];
    }
  }
  // The sums must be what shaping gives: next to each pair that kerns (or
  // forms a ligature), and in texts of every character.
  const auto agrees = [&](const QString& text) { return pairs->Width(text) == metrics.horizontalAdvance(text); };
  QString triple(3, QChar());
  for (int a = 0; a < n; ++a)
    for (int b = 0; b < n; ++b) {
      if (pairs->Before[a][b] == pairs->Last[a])
        continue;
      for (int c = a % 7; c < n; c += 7) {
        triple[0] = character(a), triple[1] = character(b), triple[2] = character(c);
        if (!agrees(triple))
          return nullptr;
        triple[0] = character(c), triple[1] = character(a), triple[2] = character(b);
        if (!agrees(triple))
          return nullptr;
      }
    }
  quint32 seed = 0x2545F491u;
  for (int k = 0; k < 256; ++k) {
    QString text;
    for (int length = 2 + k % 23; length > 0; --length) {
      seed = seed * 1664525u + 1013904223u;
      text += character(int((seed >> 8) % n));
    }
    if (!agrees(text))
      return nullptr;
  }
  return pairs;
}

int TQtTextMeasurer::Summed(TFontEntry& entry, const QString& text)
{
  // Every so many widths from the sums one is compared with shaping; a
  // difference (a font that shapes in ways the tries did not meet) ends the
  // sums for the font.
  constexpr int kCheckEvery = 64;
  if (!entry.Pairs)
    return -1;
  const int width = entry.Pairs->Width(text);
  if (width < 0 || ++entry.Pairs->SinceCheck < kCheckEvery)
    return width;
  entry.Pairs->SinceCheck = 0;
  const int shaped = entry.Metrics.horizontalAdvance(text);
  if (shaped != width)
    entry.Pairs.reset();
  return shaped;
}

int TQtTextMeasurer::Measure(TFontEntry& entry, const QString& text)
{
  // Below this many texts shaping them all costs less than making the sums.
  constexpr int kShapedBeforePairs = 2048;
  // Called for what the sums did not give (they give every text they can).
  if (!entry.Pairs && !entry.PairsTried && entry.Shaped >= kShapedBeforePairs) {
    entry.PairsTried = true;
    entry.Pairs = MakePairAdvances(PixelFont(entry.Font), entry.Metrics);
    if (const int width = Summed(entry, text); width >= 0)
      return width;
  }
  ++entry.Shaped;
  return entry.Metrics.horizontalAdvance(text);
}

int TQtTextMeasurer::Remember(TFontEntry& entry, const TTextKey& key, const QString& text)
{
  const int width = Measure(entry, text);
  if (entry.Widths.Size() >= kMaxRemembered)
    entry.Widths.Clear();
  entry.Widths.Insert(key, width);
  return width;
}

int TQtTextMeasurer::TextWidth(const QFont& font, const QString& text) const
{
  TFontEntry& entry = Entry(font);
  if (const int summed = Summed(entry, text); summed >= 0)
    return summed;
  const TTextKey key = KeyOf(text);
  const int known = entry.Widths.Find(key);
  return known >= 0 ? known : Remember(entry, key, text);
}

void TQtTextMeasurer::TextWidths(const QFont& font, std::span<const QString> texts, int* widths) const
{
  TFontEntry& entry = Entry(font);
  QVarLengthArray<TTextKey, 64> keys(static_cast<qsizetype>(texts.size()));
  for (size_t i = 0; i < texts.size(); ++i) {
    widths[i] = Summed(entry, texts[i]);
    if (widths[i] < 0) {
      keys[i] = KeyOf(texts[i]);
      entry.Widths.Prefetch(keys[i]);
    }
  }
  for (size_t i = 0; i < texts.size(); ++i) {
    if (widths[i] >= 0)
      continue;
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
