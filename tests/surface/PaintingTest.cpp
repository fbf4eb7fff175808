#include "SurfaceFixture.h"

#include "surface/Painting.h"

#include <QImage>
#include <QPainter>

namespace veska::test {
namespace {

class PaintingTest : public SurfaceTest {
protected:
  QImage Image;

  void Paint(QSize page = {}, QRect area = {})
  {
    Image = QImage(S.Width, S.Height, QImage::Format_RGB32);
    Image.fill(Qt::white);
    QPainter painter(&Image);
    PaintDiagram(S, painter, area.isNull() ? Image.rect() : area, page);
  }

  bool Dark(int x, int y) const { return qGray(Image.pixel(x, y)) < 128; }
  bool Red(int x, int y) const
  {
    const QRgb p = Image.pixel(x, y);
    return qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80;
  }
  int DarkIn(QRect r) const
  {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        n += qGray(Image.pixel(x, y)) < 160 ? 1 : 0;
    return n;
  }
};

TEST_F(PaintingTest, EntityBoxLiesWhereTheModelSays)
{
  TEntity* e = Place(100, 100, {QStringLiteral("Id")}, {QStringLiteral("Name")});  // 64 x 46
  ASSERT_EQ(e->BoundsRect(), QRect(100, 100, 64, 46));
  Paint();
  // Border on the box's first and last pixels, nothing outside.
  EXPECT_TRUE(Dark(100, 123) && Dark(163, 123) && Dark(132, 100) && Dark(132, 145));
  EXPECT_FALSE(Dark(99, 123) || Dark(164, 123) || Dark(132, 99) || Dark(132, 146));
  // Title, key and attribute lines 14 pixels apart, with a rule under the
  // title (y 115) and one under the key (y 130).
  EXPECT_TRUE(Dark(102, 115) && Dark(102, 130));
  EXPECT_FALSE(Dark(102, 114) || Dark(102, 129));
  EXPECT_GT(DarkIn(QRect(104, 101, 56, 14)), 0);
  EXPECT_GT(DarkIn(QRect(104, 116, 56, 14)), 0);
  EXPECT_GT(DarkIn(QRect(104, 131, 56, 14)), 0);
  EXPECT_FALSE(Dark(100, 100));  // rounded corner

  e->SetSelected(true);
  Paint();
  EXPECT_TRUE(Red(100, 123));

  // Outside the painted area nothing is drawn; a dragged entity is not drawn.
  Paint({}, QRect(0, 0, 50, 50));
  EXPECT_FALSE(Dark(100, 123) || Red(100, 123));
}

TEST_F(PaintingTest, SegmentLineAndChildSymbol)
{
  TRelation* r = Draw(dtRelationOneToManyForeign, Place(100, 100), Place(100, 300));
  ASSERT_EQ(r->Segments[2].EndSymbol, 6);
  Paint();
  // The line runs down x = 132 from the parent's bottom edge.
  EXPECT_TRUE(Dark(132, 118) && Dark(132, 200) && Dark(132, 280));
  EXPECT_FALSE(Dark(131, 250) || Dark(133, 250));
  // The crow's foot meets the child's top edge at 128 and 136 and converges
  // 4 pixels up the line; the circle lies above it, 7 pixels across.
  EXPECT_TRUE(Dark(130, 298) && Dark(134, 298));
  EXPECT_TRUE(Dark(129, 293) && Dark(135, 293));
  EXPECT_FALSE(Dark(128, 293) || Dark(136, 293));

  r->SetSelected(true);
  Paint();
  EXPECT_TRUE(Red(132, 200));

  // A segment drawn at twice the size for printing.
  QImage big(100, 100, QImage::Format_RGB32);
  big.fill(Qt::white);
  QPainter painter(&big);
  DrawSegment(r->Segments[2], painter, 0, 0, 2.0, 2.0);
  painter.end();
  const int h = 2 * r->Segments[2].Height;
  EXPECT_LT(qGray(big.pixel(8, h / 2)), 128);   // the line at 2 x 4
  EXPECT_LT(qGray(big.pixel(4, h - 4)), 128);   // the crow's foot, 8 pixels up
}

TEST_F(PaintingTest, NameBoxSitsInItsCorner)
{
  S.DiagramName = QStringLiteral("Information Model V1.0");
  Paint();
  EXPECT_TRUE(Dark(758, 950));
  EXPECT_FALSE(Dark(762, 950) || Dark(758, 954));
  const int w = Measurer.TextWidth(S.ZoomedFont(), S.DiagramName) + 20;
  EXPECT_TRUE(Dark(758 - w, 950));
  EXPECT_GT(DarkIn(QRect(758 - w + 10, 950 - 24 + 5, w - 20, 14)), 0);  // the name

  S.DisplayLocation = TDisplayLocation::TopLeft;
  Paint();
  EXPECT_TRUE(Dark(10, 10));
  EXPECT_FALSE(Dark(758, 950));
}

TEST_F(PaintingTest, PageBordersAndPageCount)
{
  S.Width = 1500;
  S.Height = 600;
  Paint(QSize(700, 1000));
  for (int x : {700, 1400})
    EXPECT_GT(DarkIn(QRect(x, 0, 1, 600)), 150) << x;
  for (int x : {699, 701, 1399, 1401})
    EXPECT_EQ(DarkIn(QRect(x, 0, 1, 500)), 0) << x;
  EXPECT_EQ(DarkIn(QRect(0, 0, 690, 600)), 0);  // no horizontal border
  EXPECT_EQ(PageCount(S, QSize(700, 1000)), QSize(3, 1));
  EXPECT_EQ(PageCount(S, QSize(1500, 600)), QSize(1, 1));
  EXPECT_EQ(PageCount(S, QSize(1499, 599)), QSize(2, 2));
  EXPECT_EQ(PageCount(S, QSize()), QSize(1, 1));
}

TEST_F(PaintingTest, DragOutlinesAndRubberBand)
{
  TEntity* a = Place(100, 100);
  Draw(dtRelationOneToManyForeign, a, Place(100, 300));
  S.EntityMouseDown(*a, TMouseButton::Left, false, QPoint(5, 5), QPoint());
  S.EntityMouseMove(*a, false, QPoint(205, 5));
  Paint();
  // The outline of the moved box, and none at the old place.
  EXPECT_TRUE(Dark(300, 108) && Dark(363, 108) && Dark(330, 100) && Dark(330, 117));
  EXPECT_FALSE(Dark(364, 108) || Dark(100, 108));
  // The route as it would be: down from the moved parent, across, down into
  // the child.
  EXPECT_TRUE(Dark(332, 150) && Dark(200, 209) && Dark(132, 250));
  S.EntityMouseUp(*a, TMouseButton::Left, false, QPoint(205, 5));

  S.SurfaceMouseDown(TMouseButton::Left, false, QPoint(500, 450), QPoint());
  S.SurfaceMouseMove(false, QPoint(400, 400));
  Paint();
  EXPECT_TRUE(Dark(450, 400) && Dark(450, 450) && Dark(400, 425) && Dark(500, 425));
  EXPECT_FALSE(Dark(450, 425));
}

TEST_F(PaintingTest, SegmentDragShowsTheRouteOutlineUntilRelease)
{
  TEntity* a = Place(100, 100);
  TRelation* r = Draw(dtRelationOneToManyForeign, a, Place(100, 300));
  S.SetRelationLabelVisible(false);
  TRelationSegment& line = r->Segments[0];
  const QRect between(90, 130, 200, 150);
  S.SegmentMouseDown(line, TMouseButton::Left, false, QPoint(4, 10), QPoint());
  S.SegmentMouseMove(line, false, QPoint(4, 60));
  ASSERT_TRUE(r->Suspended());
  Paint();
  // The relation itself is hidden while it is dragged; what is drawn
  // between the boxes is its outline.
  EXPECT_GT(DarkIn(between), 0);
  S.SegmentMouseUp(line, TMouseButton::Left, false, QPoint(4, 60));
  ASSERT_FALSE(r->Suspended());
  S.SetRelationLabelVisible(false);
  r->SetVisible(false);
  Paint();
  EXPECT_EQ(DarkIn(between), 0);
}

TEST_F(PaintingTest, TextLabelsDrawEachLineInTheirColour)
{
  TTextLabel* l = S.AddLabel(std::make_unique<TTextLabel>());
  l->SetCaption(QStringLiteral("WWW\nWWW"));
  l->SetPosition(200, 200);
  l->FontColor = QColor(255, 0, 0);
  Paint();
  auto redIn = [&](QRect r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        n += Red(x, y) ? 1 : 0;
    return n;
  };
  EXPECT_GT(redIn(QRect(200, 200, 18, 14)), 0);
  EXPECT_GT(redIn(QRect(200, 214, 18, 14)), 0);
  EXPECT_EQ(DarkIn(QRect(0, 0, 768, 199)), 0);
}

}  // namespace
}  // namespace veska::test
