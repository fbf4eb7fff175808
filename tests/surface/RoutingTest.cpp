#include "SurfaceFixture.h"

namespace veska::test {
namespace {

// Boxes (100,100)-(160,140), (100,300)-(160,340) and (300,100)-(360,140).
const QRect kTop(100, 100, 60, 40);
const QRect kBelow(100, 300, 60, 40);
const QRect kRight(300, 100, 60, 40);

class RoutingTest : public SurfaceTest {
protected:
  // A relation between two boxes with its stored points, routed once. Its
  // name label is 66 x 14 ("RelationN_0"), the empty inverse label 0 x 14.
  TRelation* Link(QRect parentBox, QRect childBox, QPoint a, QPoint m, QPoint c, int cardinality = 3)
  {
    auto rel = std::make_unique<TRelation>();
    rel->Parent = Place(0, 0);
    rel->Child = Place(0, 0);
    rel->Cardinality = static_cast<TRelationCardinality>(cardinality);
    TRelation* r = S.AddRelation(std::move(rel), false);
    r->Parent->SetBounds(parentBox.x(), parentBox.y(), parentBox.width(), parentBox.height());
    r->Child->SetBounds(childBox.x(), childBox.y(), childBox.width(), childBox.height());
    r->ParentPoint = a;
    r->MidPoint = m;
    r->ChildPoint = c;
    Route(*r, QPoint(0, 0));
    return r;
  }
};

TEST_F(RoutingTest, ShapesSegmentsSymbolsAndLabels)
{
  const struct {
    QRect parent, child;
    QPoint a, m, c;
    int cardinality, shape;
    QRect first, middle, third;
    int symbol;
    QPoint name, stored[3];
  } cases[] = {
      // Parent above child: down from (130,140), across at y 220, into (130,300).
      {kTop, kBelow, {130, 120}, {130, 220}, {130, 320}, 3, 1, {126, 140, 9, 80}, {130, 216, 0, 9},
       {126, 220, 9, 80}, 6, {97, 206}, {{130, 120}, {130, 220}, {130, 320}}},
      // Child above parent: the line runs from the child's bottom.
      {kBelow, kTop, {150, 320}, {130, 220}, {110, 120}, 1, 2, {146, 220, 9, 80}, {110, 216, 40, 9},
       {106, 140, 9, 80}, 1, {97, 206}, {{150, 320}, {130, 220}, {110, 120}}},
      // Parent left of child.
      {kTop, kRight, {130, 120}, {230, 120}, {330, 120}, 3, 3, {160, 116, 70, 9}, {226, 120, 9, 0},
       {230, 116, 70, 9}, 6, {197, 106}, {{130, 120}, {230, 120}, {330, 120}}},
      // Child left of parent; only the free coordinates are stored.
      {kRight, kTop, {330, 110}, {230, 0}, {130, 130}, 2, 4, {230, 106, 70, 9}, {226, 110, 9, 20},
       {160, 126, 70, 9}, 3, {197, 106}, {{330, 110}, {230, 0}, {130, 130}}},
      // Overlapping boxes: no line; labels at the parent's right edge.
      {kTop, {120, 120, 60, 40}, {130, 120}, {0, 0}, {150, 140}, 3, 5, {0, 0, 0, 0}, {0, 0, 0, 0},
       {0, 0, 0, 0}, 5, {127, 106}, {{130, 120}, {0, 0}, {150, 140}}},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.shape);
    TRelation* r = Link(t.parent, t.child, t.a, t.m, t.c, t.cardinality);
    EXPECT_EQ(r->RouteShape, t.shape);
    if (t.shape == 5) {
      for (const TRelationSegment& s : r->Segments)
        EXPECT_EQ(s.Width, 0);
    } else {
      EXPECT_EQ(r->Segments[0].BoundsRect(), t.first);
      EXPECT_EQ(r->Segments[1].BoundsRect(), t.middle);
      EXPECT_EQ(r->Segments[2].BoundsRect(), t.third);
    }
    const bool endsVertical = t.shape <= 2;
    EXPECT_EQ(r->Segments[0].Vertical, endsVertical);
    EXPECT_EQ(r->Segments[1].Vertical, !endsVertical);
    EXPECT_EQ(r->Segments[2].Vertical, endsVertical);
    EXPECT_EQ(r->Segments[0].EndSymbol + r->Segments[1].EndSymbol, 0);
    EXPECT_EQ(r->Segments[2].EndSymbol, t.symbol);
    EXPECT_EQ(r->NameLabel.BoundsRect().topLeft(), t.name);
    EXPECT_EQ(r->InverseNameLabel.BoundsRect().topLeft(), t.name + QPoint(33, 16));
    EXPECT_EQ(r->ParentPoint, t.stored[0]);
    EXPECT_EQ(r->MidPoint, t.stored[1]);
    EXPECT_EQ(r->ChildPoint, t.stored[2]);
  }
}

TEST_F(RoutingTest, ZeroCardinalityKeepsTheSymbolItHad)
{
  TRelation* r = Link(kTop, kBelow, {130, 120}, {130, 220}, {130, 320}, 0);
  EXPECT_EQ(r->Segments[2].EndSymbol, 0);
  r->Cardinality = 2;
  Route(*r, QPoint(0, 0));
  r->Cardinality = 0;
  Route(*r, QPoint(0, 0));
  EXPECT_EQ(r->Segments[2].EndSymbol, 4);
}

TEST_F(RoutingTest, EndPointsStayInsideTheBoxesAndTheMiddleClearOfThem)
{
  TRelation* r = Link(kTop, kBelow, {300, 120}, {130, 220}, {20, 320});
  EXPECT_EQ(r->ParentPoint.x(), 158);
  EXPECT_EQ(r->ChildPoint.x(), 102);
  r = Link(kTop, kRight, {130, 500}, {161, 120}, {330, 0});
  EXPECT_EQ(r->ParentPoint.y(), 138);
  EXPECT_EQ(r->ChildPoint.y(), 102);
  EXPECT_EQ(r->MidPoint.x(), 230);  // 1 pixel from the parent: back to halfway
  // Between y 140 and 300 the middle piece may lie in [142, 298].
  for (auto [given, kept] : std::initializer_list<std::pair<int, int>>{{141, 220}, {142, 142}, {298, 298}, {299, 220}, {20, 220}})
    EXPECT_EQ(Link(kTop, kBelow, {130, 120}, {130, given}, {130, 320})->MidPoint.y(), kept) << given;
}

TEST_F(RoutingTest, DraggingASegmentMovesOnlyItsOwnCoordinate)
{
  TRelation* r = Link(kTop, kBelow, {130, 120}, {130, 220}, {130, 320});
  r->Segments[1].Dragging = true;
  Route(*r, QPoint(0, -79));
  EXPECT_EQ(r->MidPoint.y(), 220);
  Route(*r, QPoint(40, -78));  // across the piece counts, along it does not
  EXPECT_EQ(r->MidPoint, QPoint(130, 142));
  r->Segments[1].Dragging = false;
  r->Segments[0].Dragging = true;
  Route(*r, QPoint(100, 999));
  EXPECT_EQ(r->ParentPoint, QPoint(158, 120));
  r->Segments[0].Dragging = false;
  r->Segments[2].Dragging = true;
  Route(*r, QPoint(-10, 0));
  EXPECT_EQ(r->ChildPoint.x(), 120);
}

TEST_F(RoutingTest, ComputeRouteShowsAnEntityDragWithoutChangingAnything)
{
  TRelation* r = Link(kTop, kBelow, {130, 120}, {130, 220}, {130, 320});
  const QRect first = r->Segments[0].BoundsRect();
  r->Parent->Dragging = true;
  TRoute route = ComputeRoute(*r, QPoint(30, 50));
  EXPECT_EQ(route.P1, QPoint(160, 190));
  EXPECT_EQ(route.P2.y(), 220);
  EXPECT_EQ(ComputeRoute(*r, QPoint(200, 200)).Shape, 4);
  r->Child->Dragging = true;  // both ends: the middle piece moves too
  route = ComputeRoute(*r, QPoint(0, 50));
  EXPECT_EQ(route.P2.y(), 270);
  EXPECT_EQ(route.P4.y(), 350);
  EXPECT_EQ(r->MidPoint, QPoint(130, 220));
  EXPECT_EQ(r->Segments[0].BoundsRect(), first);
}

TEST_F(RoutingTest, MovedLabelsStayUntilReset)
{
  TRelation* r = Link(kTop, kBelow, {130, 120}, {130, 220}, {130, 320});
  r->LabelAutoPlace = false;
  r->NameLabel.SetPosition(5, 5);
  r->MidPoint.setY(250);
  Route(*r, QPoint(0, 0));
  EXPECT_EQ(r->NameLabel.BoundsRect().topLeft(), QPoint(5, 5));
  r->ResetLabel();
  EXPECT_EQ(r->NameLabel.BoundsRect().topLeft(), QPoint(97, 236));
}

}  // namespace
}  // namespace veska::test
