#include "SurfaceFixture.h"

namespace veska::test {
namespace {

using ZoomTest = SurfaceTest;

TEST_F(ZoomTest, ZoomStepsGoThroughWholeFontSizes)
{
  TEntity* e = Place(100, 80);
  S.Rescale(5, 4);
  EXPECT_DOUBLE_EQ(S.ZoomFactor, 1.25);
  EXPECT_EQ(e->BoundsRect(), QRect(125, 100, 96, 21));  // laid out at 10 points
  EXPECT_EQ(QSize(S.Width, S.Height), QSize(960, 1200));
  EXPECT_EQ(S.Font.pointSize(), 8);
  EXPECT_EQ(e->Font.pointSize(), 8);
  S.Rescale(5, 4);  // 12.5 goes to 12
  EXPECT_DOUBLE_EQ(S.ZoomFactor, 1.5);
  EXPECT_EQ(e->Left, 150);
  QList<int> sizes;
  for (int i = 0; i < 6; ++i) {
    S.Rescale(5, 4);
    sizes << S.ZoomedFontSize();
  }
  EXPECT_EQ(sizes, (QList<int>{15, 19, 24, 30, 38, 48}));
  S.Rescale(8, S.ZoomedFontSize());  // back to 100% in one step
  EXPECT_DOUBLE_EQ(S.ZoomFactor, 1.0);
  EXPECT_EQ(QSize(e->Width, e->Height), QSize(64, 18));

  sizes.clear();
  for (int i = 0; i < 6; ++i) {
    S.Rescale(4, 5);
    sizes << S.ZoomedFontSize();
  }
  EXPECT_EQ(sizes, (QList<int>{6, 5, 4, 3, 3, 3}));
}

TEST_F(ZoomTest, ZoomRoundsExactHalvesToTheEvenSizeWhereFloatingPointMissesThem)
{
  // 142 -> 177.5 -> 178 -> 222.5 -> 222; the product in floating point of the
  // second step is a hair above 222.5.
  S.Font.setPointSize(142);
  S.Rescale(5, 4);
  EXPECT_EQ(S.ZoomedFontSize(), 178);
  S.Rescale(5, 4);
  EXPECT_EQ(S.ZoomedFontSize(), 222);
  // 43 -> ... -> 206 -> 257.5 -> 258 (a hair below in floating point).
  S.Rescale(142, S.ZoomedFontSize());
  EXPECT_DOUBLE_EQ(S.ZoomFactor, 1.0);
  S.Font.setPointSize(43);
  S.Width = S.Height = 100;
  QList<int> sizes;
  for (int i = 0; i < 8; ++i) {
    S.Rescale(5, 4);
    sizes << S.ZoomedFontSize();
  }
  EXPECT_EQ(sizes, (QList<int>{54, 68, 85, 106, 132, 165, 206, 258}));
}

TEST_F(ZoomTest, ZoomThatWouldReach32767PixelsIsRefused)
{
  S.Width = 8000;
  S.Height = 100;
  TEntity* e = Place(1000, 10);
  QList<int> widths;
  for (int i = 0; i < 7; ++i) {
    S.Rescale(5, 4);
    widths << S.Width;
  }
  EXPECT_EQ(widths, (QList<int>{10000, 12000, 15000, 19000, 24000, 30000, 30000}));
  EXPECT_DOUBLE_EQ(S.ZoomFactor, 30.0 / 8);
  EXPECT_EQ(e->Left, 3750);
  EXPECT_TRUE(Msgs.Lines().isEmpty());

  S.Rescale(8, 30);
  S.Width = 26214;  // x 10 / 8 is exactly 32767
  S.Rescale(5, 4);
  EXPECT_DOUBLE_EQ(S.ZoomFactor, 1.0);
  S.Width = 26213;
  S.Rescale(5, 4);
  EXPECT_EQ(S.Width, 32766);
}

TEST_F(ZoomTest, ZoomOutOfADiagramStoredBeyondTheLargestSizeIsNotRefused)
{
  // A file may hold a surface larger than the setup allows; zooming out is
  // the way to see all of it, so only steps that grow are refused.
  S.Width = 40000;
  S.Height = 52000;
  TEntity* e = Place(8000, 40000);
  S.Rescale(4, 5);
  EXPECT_DOUBLE_EQ(S.ZoomFactor, 0.75);
  EXPECT_EQ(QSize(S.Width, S.Height), QSize(30000, 39000));
  EXPECT_EQ(QPoint(e->Left, e->Top), QPoint(6000, 30000));
  S.Rescale(5, 4);  // back up to 52000 high: refused
  EXPECT_DOUBLE_EQ(S.ZoomFactor, 0.75);
  EXPECT_EQ(S.Height, 39000);
}

TEST_F(ZoomTest, ZoomedFontFollowsEveryChangeOfItsBaseFont)
{
  // The zoomed font is remembered between calls; a stale one would lay out
  // boxes in the old font.
  S.Rescale(5, 4);
  EXPECT_EQ(S.ZoomedFont().pointSize(), 10);
  S.Font.setPointSize(12);
  EXPECT_EQ(S.ZoomedFont().pointSize(), 15);
  S.Font.setFamily(QStringLiteral("Courier"));
  EXPECT_EQ(S.ZoomedFont().family(), QStringLiteral("Courier"));
  S.Font.setBold(true);
  EXPECT_TRUE(S.ZoomedFont().bold());
  QFont other(S.Font);
  other.setItalic(true);
  EXPECT_TRUE(S.ZoomedFontOf(other).italic());
  EXPECT_FALSE(S.ZoomedFont().italic());
  S.Rescale(4, 5);
  EXPECT_EQ(S.ZoomedFont().pointSize(), 12);
  EXPECT_EQ(S.ZoomedFontOf(other).pointSize(), 12);
}

TEST_F(ZoomTest, RelationsAndLabelsFollowTheZoom)
{
  TEntity* a = Place(100, 100);
  TEntity* b = Place(100, 300);
  TRelation* r = Draw(dtRelationOneToManyForeign, a, b);
  ASSERT_EQ(r->ChildPoint, QPoint(132, 309));
  TRelation* edge = Draw(dtRelationOneToOneForeign, a, b);
  edge->ChildPoint.setX(160);  // near the child's right edge (164)
  Route(*edge, QPoint(0, 0));
  TTextLabel* label = S.AddLabel(std::make_unique<TTextLabel>());
  label->SetCaption(QStringLiteral("Note"));
  label->SetPosition(200, 41);

  S.Rescale(5, 4);
  EXPECT_EQ(r->ParentPoint, QPoint(165, 136));
  EXPECT_EQ(r->MidPoint, QPoint(165, 261));
  EXPECT_EQ(r->ChildPoint, QPoint(165, 386));
  EXPECT_EQ(r->Segments[0].Top, a->Top + a->Height);
  EXPECT_EQ(r->Segments[2].Top + r->Segments[2].Height, b->Top);
  EXPECT_EQ(r->InverseNameLabel.Font.pointSize(), 10);
  EXPECT_EQ(r->NameLabel.BoundsRect(), QRect(165 - 44, 261 - 17, 88, 17));
  EXPECT_EQ(label->BoundsRect(), QRect(250, 51, 32, 17));
  // Routed against the zoomed boxes: the child is now 125..221 wide, so the
  // scaled point stays.
  EXPECT_EQ(edge->ChildPoint.x(), 200);
}

TEST_F(ZoomTest, DiagramFontAndNewObjectsGetTheRightSizes)
{
  TEntity* a = Place(100, 100);
  TRelation* r = Draw(dtRelationOneToManyForeign, a, Place(100, 300));
  TTextLabel* label = S.AddLabel(std::make_unique<TTextLabel>());
  S.Rescale(5, 4);
  TEntity* later = Place(300, 0);  // added while zoomed: same size as the others
  EXPECT_EQ(later->Font.pointSize(), 8);
  EXPECT_EQ(QSize(later->Width, later->Height), QSize(a->Width, a->Height));
  EXPECT_EQ(S.AddLabel(std::make_unique<TTextLabel>())->Font.pointSize(), 10);

  QFont font(QStringLiteral("Courier New"), 10);
  font.setBold(true);
  S.SetDiagramFont(font);
  EXPECT_DOUBLE_EQ(S.ZoomFactor, 1.25);
  for (const TTextLabel* l : {label, &r->NameLabel, &r->InverseNameLabel}) {
    EXPECT_EQ(l->Font.pointSize(), 12);  // 12.5 to the even neighbour
    EXPECT_EQ(l->Font.family(), QStringLiteral("Courier New"));
    EXPECT_TRUE(l->Font.bold());
  }
  EXPECT_EQ(a->Font, font);
  EXPECT_EQ(QSize(a->Width, a->Height), QSize(96, 24));  // 12 points: 9 and 20 pixels
  EXPECT_EQ(r->Segments[0].Top, a->Top + 24);
}

}  // namespace
}  // namespace veska::test
