// The printed page grid and the drawing of one page. With the fixed metrics
// a device of 96 dpi draws at the screen's size (rx = ry = 1); at 192 dpi the
// 8-point "A" is 12 x 26 against 6 x 14, so rx = 2 and ry = 26 / 14.
#include "SurfaceFixture.h"

#include "surface/Painting.h"
#include "surface/Printing.h"

#include <QImage>
#include <QPainter>

namespace veska::test {
namespace {

class PrintPageTest : public SurfaceTest {
protected:
  const TPageDevice Screen{QSize(700, 1000), 96};
  const TPageDevice Double{QSize(1400, 1000), 192};

  QImage Print(const TPageDevice& device, int column, int row)
  {
    QImage image(device.PageSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PrintPage(S, painter, device, column, row);
    return image;
  }

  static int DarkIn(const QImage& image, QRect r)
  {
    int n = 0;
    r &= image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x)
        n += qGray(image.pixel(x, y)) < 160 ? 1 : 0;
    return n;
  }
  static bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }
};

TEST_F(PrintPageTest, PageCountTurnsOverOnePixelPastAPage)
{
  S.Width = 700;
  S.Height = 1000;
  EXPECT_EQ(PagesAcross(S, Screen), 1);
  EXPECT_EQ(PagesDown(S, Screen), 1);
  S.Width = 701;
  S.Height = 1001;
  EXPECT_EQ(PagesAcross(S, Screen), 2);
  EXPECT_EQ(PagesDown(S, Screen), 2);

  // At 192 dpi the same surface prints twice as wide.
  const TPageGrid grid = PageGrid(S, Double);
  EXPECT_DOUBLE_EQ(grid.Rx, 2.0);
  EXPECT_DOUBLE_EQ(grid.Ry, 26.0 / 14.0);
  S.Width = 700;
  EXPECT_EQ(PagesAcross(S, Double), 1);
  S.Width = 701;
  EXPECT_EQ(PagesAcross(S, Double), 2);
}

TEST_F(PrintPageTest, ZoomingInShrinksThePagesAndTheScreenLinesFollow)
{
  const TPageDevice device{QSize(1600, 3000), 192};
  EXPECT_EQ(PagesAcross(S, device), 1);  // 768 x 2 = 1536 printed pixels
  S.Rescale(5, 4);
  // 10 points: "A" is 8 x 17 on the screen and 15 x 32 at 192 dpi.
  const TPageGrid grid = PageGrid(S, device);
  EXPECT_DOUBLE_EQ(grid.Rx, 15.0 / 8.0);
  EXPECT_EQ(grid.Across, 2);  // 960 x 1.875 = 1800
  EXPECT_EQ(grid.PageLeft(1), 853);  // 1600 / 1.875 = 853.3

  // The dotted line lies where the second page begins.
  QImage image(S.Width, S.Height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  PaintDiagram(S, painter, image.rect(), grid);
  painter.end();
  EXPECT_GT(DarkIn(image, QRect(853, 0, 1, S.Height)), 100);
  EXPECT_EQ(DarkIn(image, QRect(852, 0, 1, S.Height)), 0);
  EXPECT_EQ(DarkIn(image, QRect(854, 0, 1, S.Height)), 0);
}

TEST_F(PrintPageTest, CurrentPageIsThePageUnderTheCentreAndStaysInsideTheGrid)
{
  S.Width = 1500;
  S.Height = 2500;
  EXPECT_EQ(CurrentPage(S, Screen, QPoint(750, 1200)), QPoint(1, 1));
  EXPECT_EQ(CurrentPage(S, Screen, QPoint(700, 1000)), QPoint(0, 0));
  EXPECT_EQ(CurrentPage(S, Screen, QPoint(701, 1001)), QPoint(1, 1));
  // A window larger than the diagram has its centre beyond the last page.
  EXPECT_EQ(CurrentPage(S, Screen, QPoint(5000, 9000)), QPoint(2, 2));
}

TEST_F(PrintPageTest, PageMarksNameRowThenColumnAndSpareTheNameBoxCorner)
{
  S.DisplayLocation = TDisplayLocation::TopLeft;
  EXPECT_EQ(PageMark(S, 0, 0), QString());
  EXPECT_EQ(PageMark(S, 1, 0), QStringLiteral("Page(1,2)"));
  EXPECT_EQ(PageMark(S, 0, 2), QStringLiteral("Page(3,1)"));
  for (TDisplayLocation corner : {TDisplayLocation::BottomLeft, TDisplayLocation::TopRight, TDisplayLocation::BottomRight}) {
    S.DisplayLocation = corner;
    EXPECT_EQ(PageMark(S, 0, 0), QStringLiteral("Page(1,1)"));
  }
  // The mark is written at the page's top left corner.
  EXPECT_GT(DarkIn(Print(Screen, 0, 0), QRect(0, 0, 50, 14)), 0);
  S.DisplayLocation = TDisplayLocation::TopLeft;
  EXPECT_EQ(DarkIn(Print(Screen, 0, 0), QRect(0, 0, 8, 8)), 0);
}

TEST_F(PrintPageTest, ObjectsArePlacedByThePageOffsetAndTheRatios)
{
  S.Width = 1500;
  TEntity* e = Place(800, 100);  // 64 x 18, on the second page at 192 dpi
  const QImage page = Print(Double, 1, 0);
  // The second page begins at 1400 / 2 = 700: the box's left edge prints at
  // (800 - 700) x 2 = 200, its top at 100 x 26 / 14 = 185.7.
  const int top = 186;
  const int height = qRound(e->Height * 26.0 / 14.0);
  EXPECT_TRUE(Dark(page, 200, top + height / 2));
  EXPECT_FALSE(Dark(page, 199, top + height / 2));
  EXPECT_TRUE(Dark(page, 200 + 64, top + height - 1));
  EXPECT_EQ(DarkIn(Print(Double, 0, 0), QRect(0, 150, 1400, 100)), 0);
}

TEST_F(PrintPageTest, LabelsGoUnderEntitiesAndTheNameBoxOverThem)
{
  S.DisplayLocation = TDisplayLocation::TopLeft;
  S.DiagramName = QStringLiteral("N");  // box (10, 10) - (36, 34), pen 4
  TTextLabel* label = S.AddLabel(std::make_unique<TTextLabel>());
  label->SetPosition(110, 103);
  label->SetCaption(QStringLiteral("WWWWWW"));
  TEntity* e = Place(100, 100, {QStringLiteral("A")});
  TEntity* under = Place(20, 20, {QStringLiteral("B")});

  const QImage all = Print(Screen, 0, 0);
  e->Visible = false;
  under->Visible = false;
  const QImage withoutEntities = Print(Screen, 0, 0);
  e->Visible = true;
  under->Visible = true;
  label->SetCaption(QStringLiteral(" "));
  S.DiagramName = QString();
  const QImage entitiesOnly = Print(Screen, 0, 0);

  // The label is printed, but the entity's white box covers it.
  const QRect box = e->BoundsRect().adjusted(1, 1, -1, -1);
  EXPECT_GT(DarkIn(withoutEntities, box), 0);
  for (int y = box.top(); y <= box.bottom(); ++y)
    for (int x = box.left(); x <= box.right(); ++x)
      ASSERT_EQ(all.pixel(x, y), entitiesOnly.pixel(x, y)) << x << "," << y;
  // The name box's border runs across the entity under it.
  for (int y = 22; y < 34; ++y)
    EXPECT_TRUE(Dark(all, 36, y)) << y;
  EXPECT_FALSE(Dark(entitiesOnly, 36, 33));
}

TEST_F(PrintPageTest, HiddenRelationsAndHiddenRelationNamesAreNotPrinted)
{
  TEntity* a = Place(100, 100);
  TEntity* b = Place(100, 300);
  TRelation* r = Draw(dtRelationOneToManyForeign, a, b);
  ASSERT_FALSE(r->NameLabel.Caption().isEmpty());
  const QRect name = r->NameLabel.BoundsRect();
  const QRect line(132, 140, 1, 140);  // the segment's line between the boxes
  // The ink of the name, without the line and symbols that it may cross.
  const auto nameInk = [&](const QImage& image) {
    return DarkIn(image, name) - DarkIn(image, name & QRect(127, 0, 11, 1000));
  };

  QImage page = Print(Screen, 0, 0);
  EXPECT_GT(DarkIn(page, line), 100);
  EXPECT_GT(nameInk(page), 0);

  S.SetRelationLabelVisible(false);
  page = Print(Screen, 0, 0);
  EXPECT_GT(DarkIn(page, line), 100);
  EXPECT_EQ(nameInk(page), 0);

  S.SetEntityView({a->EntityName()});
  ASSERT_FALSE(r->Visible());
  page = Print(Screen, 0, 0);
  EXPECT_EQ(DarkIn(page, line), 0);
}

}  // namespace
}  // namespace veska::test
