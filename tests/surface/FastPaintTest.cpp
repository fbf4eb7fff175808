// Painting on the screen takes shortcuts (lines filled, overdrawn line
// pixels skipped, texts drawn from kept glyphs); what it paints must be what
// the plain drawing calls paint. The plain calls are had by painting into a
// QPicture, which takes none of the shortcuts, and replaying it. A picture
// replays a text in a font that lacks some of its characters otherwise than
// drawText draws it (the other font's glyphs land elsewhere), so such texts
// are compared with drawText itself: painted on another thread, where no
// glyphs are kept.

#include "SurfaceFixture.h"

#include "surface/Painting.h"
#include "surface/TextRuns.h"

#include <QImage>
#include <QPainter>
#include <QPicture>

#include <QRawFont>

#include <algorithm>
#include <memory>
#include <thread>

namespace veska::test {
namespace {

// Kerning, ligatures, accents, a tab, other scripts and fonts, stacked
// marks, nothing.
const QStringList kTexts = {
    QStringLiteral("Entity 00123"),
    QStringLiteral("AVAWAy To Ta fi ffl"),
    QStringLiteral("\u00dcn\u00efc\u00f6d\u00e9 stra\u00dfe"),
    QStringLiteral(" lead\ttab "),
    QStringLiteral("\u4e2d\u6587 \U0001F600"),
    QStringLiteral("a\u0301\u0301\u0301\u0301 e\u0308\u0323"),
    QString(),
};
// Right-to-left among left-to-right: a picture keeps the pieces of such a
// text apart and replays them otherwise than drawText draws the whole, so
// these are compared with drawText only.
const QString kMixed =
    QStringLiteral("\u05e9\u05dc\u05d5\u05dd mixed \u0645\u0631\u062d\u0628\u0627 (1)");

QImage White(QSize size)
{
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  return image;
}

TEST(TextRunsTest, KeptGlyphsPaintWhatDrawTextPaintsWithinTheirInk)
{
  TTextRuns* runs = TTextRuns::ForThisThread();
  ASSERT_NE(runs, nullptr);
  for (const int pixels : {9, 11, 17}) {
    for (const int style : {0, 1, 2}) {
      QFont font(QStringLiteral("Sans Serif"));
      font.setPixelSize(pixels);
      font.setBold(style == 1);
      font.setItalic(style == 2);
      for (const QString& text : kTexts + QStringList{kMixed}) {
        for (const QPoint shift : {QPoint(0, 0), QPoint(-301, 77)}) {
          QImage plain = White(QSize(300, 60));
          QImage kept = plain;
          QRect ink;
          for (QImage* image : {&plain, &kept}) {
            QPainter painter(image);
            painter.translate(shift);
            painter.setFont(font);
            painter.setPen(Qt::darkBlue);
            ASSERT_TRUE(TTextRuns::Suits(painter));
            const QPoint at = QPoint(20, 30) - shift;
            if (image == &plain) {
              painter.drawText(at, text);
            } else {
              ink = runs->Draw(painter, at.x(), at.y(), text).translated(shift);
            }
          }
          ASSERT_EQ(kept, plain) << qPrintable(text) << " " << pixels << " " << style;
          for (int y = 0; y < plain.height(); ++y) {
            for (int x = 0; x < plain.width(); ++x) {
              if (plain.pixel(x, y) != qRgb(255, 255, 255)) {
                ASSERT_TRUE(ink.contains(x, y)) << qPrintable(text) << " " << x << "," << y;
              }
            }
          }
        }
      }
    }
  }
}

TEST(TextRunsTest, OnlyPlainRasterPaintingUsesKeptGlyphs)
{
  QImage image = White(QSize(10, 10));
  QPainter painter(&image);
  EXPECT_TRUE(TTextRuns::Suits(painter));
  painter.translate(3, -4);
  EXPECT_TRUE(TTextRuns::Suits(painter));
  painter.translate(0.5, 0);
  EXPECT_FALSE(TTextRuns::Suits(painter));
  painter.resetTransform();
  painter.scale(2, 2);
  EXPECT_FALSE(TTextRuns::Suits(painter));
  painter.resetTransform();
  QFont underlined = painter.font();
  underlined.setUnderline(true);
  painter.setFont(underlined);
  EXPECT_FALSE(TTextRuns::Suits(painter));
  painter.end();

  QPicture picture;
  QPainter recorder(&picture);
  EXPECT_FALSE(TTextRuns::Suits(recorder));
}

TEST(TextRunsTest, KeptTextsAndFontsStayBounded)
{
  auto runs = std::make_unique<TTextRuns>();
  QImage image = White(QSize(10, 10));
  QPainter painter(&image);
  for (int i = 0; i < int(TTextRuns::kFontLimit) + 10; ++i) {
    QFont font = painter.font();
    font.setPixelSize(5 + i);
    painter.setFont(font);
    runs->Draw(painter, 0, 0, QStringLiteral("A"));
    ASSERT_LE(runs->Count(), TTextRuns::kFontLimit);
  }
  for (int i = 0; i < int(TTextRuns::kLimit) + 10; ++i)
    runs->Find(painter, QString::number(i));
  EXPECT_LE(runs->Count(), TTextRuns::kLimit);
  EXPECT_GT(runs->Count(), 0U);
}

class FastPaintTest : public SurfaceTest {
protected:
  // The pixels of the area painted on this thread, with every shortcut.
  QImage Fast(QRect area)
  {
    QImage fast = White(area.size());
    QPainter painter(&fast);
    painter.translate(-area.topLeft());
    PaintDiagram(S, painter, area, QSize(300, 400));
    return fast;
  }

  static int Differ(const QImage& a, const QImage& b)
  {
    int differ = 0;
    for (int y = 0; y < a.height(); ++y)
      for (int x = 0; x < a.width(); ++x)
        differ += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return differ;
  }

  // The area painted here and on a thread that keeps no glyphs: every text
  // is drawn by drawText there, in whatever fonts hold its characters.
  void ExpectTextsAsDrawTextDrawsThem(QRect area)
  {
    const QImage fast = Fast(area);
    QImage plain;
    std::thread([&] { plain = Fast(area); }).join();
    EXPECT_EQ(Differ(fast, plain), 0) << area.x() << "," << area.y();
  }

  // The area painted straight onto an image and through a picture.
  void ExpectSamePixels(QRect area)
  {
    const QImage fast = Fast(area);
    QPicture picture;
    {
      QPainter recorder(&picture);
      PaintDiagram(S, recorder, area, QSize(300, 400));
    }
    QImage plain = White(area.size());
    {
      QPainter painter(&plain);
      painter.translate(-area.topLeft());
      painter.drawPicture(0, 0, picture);
    }
    EXPECT_EQ(Differ(fast, plain), 0) << area.x() << "," << area.y();
  }

  // A grid of entities related crosswise, so that many relation lines run
  // along the same columns and rows over one another, through boxes,
  // symbols and name labels, and text labels over them, with `texts`.
  void BuildCrowdedDiagram(const QStringList& texts);
};

// The texts whose every character the font itself holds (no other font
// stands in), on this machine.
QStringList InFont(const QFont& font)
{
  const QRawFont raw = QRawFont::fromFont(font);
  QStringList held;
  for (const QString& text : kTexts) {
    const QList<uint> characters = text.toUcs4();
    if (std::all_of(characters.begin(), characters.end(),
                    [&](uint c) { return c < 32 || raw.supportsCharacter(c); }))
      held << text;
  }
  return held;
}

void FastPaintTest::BuildCrowdedDiagram(const QStringList& texts)
{
  S.Width = 1400;
  S.Height = 1000;
  std::vector<TEntity*> grid;
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 6; ++column)
      grid.push_back(Place(40 + column * 220, 40 + row * 240, {QStringLiteral("Id")},
                           {QStringLiteral("Name"), texts[(column + row) % texts.size()]}));
  const TDrawingTool tools[] = {dtRelationOneToManyForeign, dtRelationOneToManyMaster, dtRelationOneToOneForeign};
  int made = 0;
  for (size_t i = 0; i < grid.size(); ++i)
    for (size_t step : {1, 5, 7, 13}) {
      TRelation* r = Draw(tools[(i + step) % 3], grid[i], grid[(i + step) % grid.size()]);
      if (r && ++made % 5 == 0)
        r->SetSelected(true);  // red among black
    }
  ASSERT_GT(made, 40);
  // Boxes and labels on top of the lines, in other colours and fonts.
  grid[3]->PenColor = QColor(0, 128, 0);
  QFont underlined = grid[8]->Font;
  underlined.setUnderline(true);
  grid[8]->Font = underlined;
  // Lines, a box over them, and the same lines again over the box.
  for (int i = 0; i < 3; ++i) {
    if (i == 1)
      Place(300, 150, {QStringLiteral("Over")});
    TRelation* r = Draw(dtRelationOneToManyForeign, grid[1], grid[8]);
    ASSERT_NE(r, nullptr);
    r->SetSelected(false);
  }
  for (int i = 0; i < 6; ++i) {
    TTextLabel* l = S.AddLabel(std::make_unique<TTextLabel>());
    l->SetCaption(texts[i % texts.size()] + QStringLiteral("\nsecond line"));
    l->SetPosition(130 + i * 210, 230 + (i % 3) * 240);
    l->FontColor = i % 2 ? QColor(Qt::black) : QColor(200, 0, 0);
  }
}

TEST_F(FastPaintTest, ScreenPaintingMatchesThePlainDrawingCalls)
{
  BuildCrowdedDiagram(InFont(S.Font));
  ExpectSamePixels(QRect(0, 0, S.Width, S.Height));
  ExpectSamePixels(QRect(157, 311, 640, 480));
  // Again, with every text already kept.
  ExpectSamePixels(QRect(0, 0, S.Width, S.Height));
}

TEST_F(FastPaintTest, ScreenTextsMatchDrawTextAlsoInTheFontsThatStandInForMissingCharacters)
{
  BuildCrowdedDiagram(kTexts + QStringList{kMixed});
  ExpectTextsAsDrawTextDrawsThem(QRect(0, 0, S.Width, S.Height));
  ExpectTextsAsDrawTextDrawsThem(QRect(157, 311, 640, 480));
}

}  // namespace
}  // namespace veska::test
