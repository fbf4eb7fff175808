#pragma once
// The font-metrics seam. Entity boxes and labels size themselves from the
// width and height of their texts in their fonts. The program measures with
// Qt's font metrics at the 96 dpi of the original screen; tests that check
// pixel arithmetic use a fixed measurer so they give the same numbers on
// every machine.

#include <QFont>
#include <QFontMetrics>
#include <QString>

#include <memory>
#include <span>
#include <vector>

namespace veska {

class TTextMeasurer {
public:
  virtual ~TTextMeasurer() = default;
  virtual int TextWidth(const QFont& font, const QString& text) const = 0;
  virtual int TextHeight(const QFont& font, const QString& text) const = 0;
  // The widths of `texts` in `font`, into `widths` (as many). A measurer
  // that remembers widths looks them all up at once, so that the waits on
  // memory overlap; this one measures them one by one.
  virtual void TextWidths(const QFont& font, std::span<const QString> texts, int* widths) const;
};

// Qt font metrics, with the point size turned into pixels at 96 dpi as the
// original screen did, so sizes do not depend on the display. Needs a
// QGuiApplication (the offscreen platform is enough).
//
// Shaping a text is the costliest part of laying out a diagram, and models
// repeat their texts (carried key names, types): the widths measured in the
// few fonts last asked for are remembered, up to a bound. A font that has
// measured many texts measures printable ASCII text by sums of its
// characters' advances, the pairs that kern adjusted, where that is exactly
// what shaping gives (see TPairAdvances); those widths are summed again on
// every call rather than remembered. Used from the user-interface thread
// only.
class TQtTextMeasurer final : public TTextMeasurer {
public:
  int TextWidth(const QFont& font, const QString& text) const override;
  int TextHeight(const QFont& font, const QString& text) const override;
  void TextWidths(const QFont& font, std::span<const QString> texts, int* widths) const override;
  // The one measurer; its remembered fonts are let go of when the
  // application object goes, before Qt's font system does.
  static const TQtTextMeasurer& Instance();

private:
  TQtTextMeasurer() = default;

  // A text known by two independent hashes of its characters: the table of
  // widths holds no texts (it would keep old diagrams' texts alive), and a
  // lookup reads only the text asked about. Two texts sharing both hashes
  // (96 bits) are not to be expected in the lifetime of the universe.
  struct TTextKey {
    quint64 First;  // never 0, which marks a free slot
    quint32 Second;
  };
  static TTextKey KeyOf(const QString& text);

  // Widths by text key, in one flat array of slots (open addressing, linear
  // probing, at most half full): a lookup reads one cache line, whose
  // address is known from the key alone, so lookups can be asked for ahead.
  class TWidthTable {
  public:
    // The width of the text with `key`, or -1.
    int Find(const TTextKey& key) const;
    void Prefetch(const TTextKey& key) const;
    void Insert(const TTextKey& key, int width);
    qsizetype Size() const { return FSize; }
    void Clear();

  private:
    struct TSlot {
      quint64 First = 0;
      quint32 Second = 0;
      qint32 Width = 0;
    };
    size_t Home(const TTextKey& key) const { return static_cast<size_t>(key.First) & (FSlots.size() - 1); }
    // The slot that holds `key`, or the free one where it belongs.
    size_t SlotOf(const TTextKey& key) const;
    void Grow();

    std::vector<TSlot> FSlots;
    qsizetype FSize = 0;
  };

  // Widths of printable ASCII text (U+0020 to U+007E) in one font without
  // shaping: in the font's fractional advances, the advance of a character
  // followed by another (kerning applied) and of a character at the end;
  // a text's width is their sum, rounded as Qt rounds a shaped width. Made
  // only for a font where that sum equals shaping on every text tried.
  struct TPairAdvances {
    static constexpr int kFirst = 0x20;
    static constexpr int kCount = 0x7F - kFirst;
    double Before[kCount][kCount];
    double Last[kCount];
    // Fast widths given since the last one compared with Qt's.
    int SinceCheck = 0;
    // The width, or -1 for a text of other characters.
    int Width(const QString& text) const;
  };
  static std::unique_ptr<TPairAdvances> MakePairAdvances(const QFont& pixelFont, const QFontMetrics& metrics);

  // The metrics of one font and the widths measured in it.
  struct TFontEntry {
    QFont Font;
    QFontMetrics Metrics;
    TWidthTable Widths;
    // Texts measured by shaping; the advances are made after many.
    int Shaped = 0;
    bool PairsTried = false;
    std::unique_ptr<TPairAdvances> Pairs;
  };
  TFontEntry& Entry(const QFont& font) const;
  static int Remember(TFontEntry& entry, const TTextKey& key, const QString& text);
  static int Measure(TFontEntry& entry, const QString& text);
  // The width from the font's sums, or -1 where they do not apply (no sums
  // yet, or other characters). Summing costs less than looking the text up,
  // so such widths are not remembered.
  static int Summed(TFontEntry& entry, const QString& text);

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
