// Positions and sizes at the ends of the int range, as a diagram file may
// hold them: every operation on them must stay within the arithmetic (the
// sanitizer build checks) and painting must not walk the whole surface.
#include "SurfaceFixture.h"

#include "surface/Painting.h"
#include "surface/Routing.h"

#include <QImage>
#include <QPainter>

#include <climits>

namespace veska::test {
namespace {

using HugeSizesTest = SurfaceTest;

// The largest widget size: mouse positions and painted areas of a view lie
// within it.
const int kView = 1 << 24;

// Paints the area of the surface onto an image of the area's size.
QImage PaintArea(const TDrawingSurface& s, QRect area, QSize page)
{
  QImage image(area.size(), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.translate(-QPointF(area.topLeft()));
  PaintDiagram(s, painter, area, page);
  return image;
}

bool DarkAt(const QImage& image, int x, int y)
{
  return qGray(image.pixel(x, y)) < 128;
}

TEST_F(HugeSizesTest, PageLinesOfASurfaceNearTheIntLimitArePaintedWithoutOverflowOrHang)
{
  S.Width = INT_MAX;
  S.Height = INT_MAX;
  // The last page lines before the end of the surface, and the first ones.
  const int page = 700;
  const int lastLine = (INT_MAX - 1) / page * page;
  // (Qt's raster engine does not draw that far out; what counts is that the
  // loops end.)
  PaintArea(S, QRect(lastLine - 50, lastLine - 50, 100, 100), QSize(page, page));
  const QImage start = PaintArea(S, QRect(650, 0, 100, 100), QSize(page, page));
  EXPECT_TRUE(DarkAt(start, 50, 0) || DarkAt(start, 50, 1) || DarkAt(start, 50, 2));
  EXPECT_FALSE(DarkAt(start, 49, 40));
  // A single-pixel page on a huge surface costs only what the area holds.
  PaintArea(S, QRect(INT_MAX - 40, INT_MAX - 40, 40, 40), QSize(1, 1));
  EXPECT_EQ(PageCount(S, QSize(page, page)), QSize(INT_MAX / page + 1, INT_MAX / page + 1));
}

TEST_F(HugeSizesTest, ObjectsAtTheEndsOfTheIntRangeAreRoutedPaintedHitAndZoomedWithoutOverflow)
{
  S.Width = INT_MAX;
  S.Height = INT_MAX;
  for (const QPoint corner : {QPoint(INT_MAX - 20, INT_MAX - 10), QPoint(INT_MIN, INT_MIN), QPoint(INT_MAX, INT_MIN)}) {
    SCOPED_TRACE(std::to_string(corner.x()) + "," + std::to_string(corner.y()));
    S.Clear();
    S.Width = INT_MAX;
    S.Height = INT_MAX;
    TEntity* a = Place(corner.x(), corner.y(), {QStringLiteral("Id")});
    TEntity* b = Place(corner.x() < 0 ? INT_MAX - 70 : INT_MIN, corner.y() < 0 ? INT_MAX - 30 : INT_MIN);
    TEntity* c = Place(corner.x(), corner.y() < 0 ? INT_MAX : INT_MIN + 3);
    for (TDrawingTool tool : {dtRelationOneToManyMaster, dtRelationOneToOneForeign}) {
      Draw(tool, a, b);
      Draw(tool, a, c);
    }
    TTextLabel* label = S.AddLabel(std::make_unique<TTextLabel>());
    label->SetCaption(QStringLiteral("Note"));
    label->SetPosition(corner.x(), corner.y());
    for (TRelation* r : S.Relations) {
      r->ParentPoint = corner;
      r->MidPoint = QPoint(INT_MIN, INT_MAX);
      r->ChildPoint = QPoint(INT_MAX, INT_MIN);
      r->LabelAutoPlace = true;
      Route(*r, QPoint(INT_MAX, INT_MIN));
      Route(*r, QPoint(0, 0));
    }

    // Areas a view can show (a widget is at most 2^24 pixels wide), one that
    // holds the clamped boxes, and printed pages at the end of the surface.
    for (const QRect& area : {QRect(0, 0, 300, 300), QRect(kView - 300, kView - 300, 300, 300), a->BoundsRect(),
                              QRect(INT_MAX - 700, INT_MAX - 1000, 700, 1000),
                              QRect(INT_MIN, INT_MIN, 700, 1000)})
      PaintArea(S, area, QSize(700, 1000));
    S.HitTest(QPoint(kView, kView));
    S.HitTest(QPoint(-kView, -kView));

    // Dragging the entity as far as the mouse can go; the mouse positions
    // come from a widget.
    S.EntityMouseDown(*a, TMouseButton::Left, false, QPoint(1, 1), QPoint());
    S.EntityMouseMove(*a, false, QPoint(kView, kView));
    PaintArea(S, QRect(0, 0, 300, 300), QSize(700, 1000));
    S.EntityMouseMove(*a, false, QPoint(-kView, -kView));
    S.EntityMouseUp(*a, TMouseButton::Left, false, QPoint(-kView, -kView));
    // Dragging a segment and rubber banding across the view.
    TRelationSegment& segment = S.Relations.Objects(0)->Segments[1];
    S.SegmentMouseDown(segment, TMouseButton::Left, false, QPoint(0, 0), QPoint());
    S.SegmentMouseMove(segment, false, QPoint(kView, -kView));
    S.SegmentMouseUp(segment, TMouseButton::Left, false, QPoint(-kView, kView));
    S.SurfaceMouseDown(TMouseButton::Left, false, QPoint(-kView, -kView), QPoint());
    S.SurfaceMouseMove(false, QPoint(kView, kView));
    S.SurfaceMouseUp(TMouseButton::Left, false, QPoint(kView, kView));

    // Zooming out and in again keeps positions inside the int range.
    S.Width = S.Height = 1000;
    S.Rescale(4, 5);
    S.Rescale(5, 4);
    S.Rescale(5, 4);
    S.Rescale(5, 4);
    EXPECT_GE(S.ZoomedFontSize(), 8);
  }
}

}  // namespace
}  // namespace veska::test
