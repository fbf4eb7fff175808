#include "SurfaceFixture.h"

#include "surface/Painting.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <random>
#include <set>

namespace veska::test {
namespace {

class SpatialIndexTest : public SurfaceTest {
protected:
  std::mt19937 Random{20261209};

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(Random); }

  // Every control the surface draws, by a walk over the lists.
  std::vector<const TControl*> AllControls() const
  {
    std::vector<const TControl*> all;
    for (const TEntity* e : S.Entities)
      all.push_back(e);
    for (const TRelation* r : S.Relations) {
      for (const TRelationSegment& s : r->Segments)
        all.push_back(&s);
      all.push_back(&r->NameLabel);
      all.push_back(&r->InverseNameLabel);
    }
    for (const TTextLabel* l : S.Labels)
      all.push_back(l);
    return all;
  }

  // The index answers random rectangles (and the whole plane) exactly as a
  // scan of every control does, and keeps a bounded number of entries.
  void ExpectIndexAgreesWithScan(const char* step)
  {
    SCOPED_TRACE(step);
    const std::vector<const TControl*> all = AllControls();
    const TSpatialIndex& index = S.Index();
    ASSERT_EQ(index.Count(), all.size());
    EXPECT_LE(index.EntryCount(), 16 * index.Count());
    std::vector<QRect> rects{QRect(QPoint(-(1 << 30), -(1 << 30)), QPoint(1 << 30, 1 << 30))};
    for (int i = 0; i < 40; ++i)
      rects.emplace_back(Below(3000) - 500, Below(3000) - 500, 1 + Below(i % 4 == 0 ? 2000 : 120), 1 + Below(300));
    for (const QRect& rect : rects) {
      std::set<const TControl*> expected;
      for (const TControl* c : all)
        if (TSpatialIndex::Area(*c).intersects(rect))
          expected.insert(c);
      std::vector<const TSpatialIndex::TItem*> found;
      index.Query(rect, found);
      std::set<const TControl*> got;
      for (const TSpatialIndex::TItem* item : found)
        got.insert(item->Control);
      EXPECT_EQ(got.size(), found.size()) << "an item reported twice";
      EXPECT_EQ(got, expected) << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height();
    }
  }

  TEntity* RandomEntity() { return S.Entities[Below(S.Entities.Count())]; }
};

TEST_F(SpatialIndexTest, IndexFollowsEditsMovesRoutingZoomDeletesAndClear)
{
  S.Width = S.Height = 3000;
  for (int round = 0; round < 3; ++round) {
    // A bulk fill as loading does it: held updates, one layout at the end.
    S.BeginUpdate();
    for (int i = 0; i < 30; ++i)
      Place(Below(2500), Below(2500), {QStringLiteral("Id")}, {QStringLiteral("Name")});
    S.EndUpdate();
    ExpectIndexAgreesWithScan("bulk fill");

    for (int i = 0; i < 25; ++i) {
      TEntity* a = RandomEntity();
      TEntity* b = RandomEntity();
      if (a != b)
        Draw(dtRelationOneToManyForeign, a, b);
    }
    S.AddLabel(std::make_unique<TTextLabel>())->SetCaption(QStringLiteral("Note\nTwo lines"));
    ExpectIndexAgreesWithScan("relations and a label");

    // Single moves, each of which reroutes the entity's relations.
    for (int i = 0; i < 20; ++i) {
      TEntity* e = RandomEntity();
      e->SetPosition(Below(2500), Below(2500));
      S.ReleaseRelationsOf(e);
      e->InsertAttribute(e->Attributes.Count(), QStringLiteral("Extra%1").arg(i));
    }
    ExpectIndexAgreesWithScan("moves and resizes");

    // A drag of the selection through the mouse.
    TEntity* grabbed = RandomEntity();
    S.SurfaceMouseDown(TMouseButton::Left, false, QPoint(-5, -5), {});
    S.EntityMouseDown(*grabbed, TMouseButton::Left, false, QPoint(3, 3), {});
    S.EntityMouseMove(*grabbed, false, QPoint(150, 90));
    S.EntityMouseUp(*grabbed, TMouseButton::Left, false, QPoint(150, 90));
    ExpectIndexAgreesWithScan("drag");

    S.Rescale(5, 4);
    ExpectIndexAgreesWithScan("zoom in");
    S.Rescale(4, 5);
    ExpectIndexAgreesWithScan("zoom out");

    for (int i = 0; i < 5; ++i)
      S.DeleteEntity(Below(S.Entities.Count()));
    if (S.Relations.Count() > 0)
      S.DeleteRelation(Below(S.Relations.Count()));
    ExpectIndexAgreesWithScan("deletes");
  }
  // Far away and huge: one entry set each, still found.
  Place(1 << 28, -(1 << 28))->SetBounds(-(1 << 29), -(1 << 29), 1 << 30, 1 << 30);
  ExpectIndexAgreesWithScan("far and huge");

  S.Clear();
  ExpectIndexAgreesWithScan("clear");
  Place(10, 10);
  ExpectIndexAgreesWithScan("after clear");
}

TEST_F(SpatialIndexTest, HundredsOfSingleMovesKeepEveryCellReachable)
{
  // Each move takes a box out of its cells and into others while the index
  // stays built: emptied cells leave the table and the cells after them in
  // its probe runs must still be found.
  S.Width = S.Height = 6000;
  for (int i = 0; i < 80; ++i)
    Place(Below(5000), Below(5000));
  ExpectIndexAgreesWithScan("placed");
  for (int move = 1; move <= 600; ++move) {
    TEntity* e = RandomEntity();
    e->SetPosition(move % 3 == 0 ? Below(600) : Below(5000), Below(5000));
    if (move % 100 == 0)
      ExpectIndexAgreesWithScan("moves");
  }
}

// A zoom step moves every object; the index takes the new places and moves
// between cells only the objects whose cells changed. Each step must leave
// what a fresh build at that zoom has, entry for entry.
TEST_F(SpatialIndexTest, ZoomStepsLeaveTheEntriesOfAFreshBuild)
{
  S.Width = S.Height = 4000;
  for (int i = 0; i < 60; ++i)
    Place(Below(3500), Below(3500), {QStringLiteral("Id")}, {QStringLiteral("Name")});
  for (int i = 0; i < 40; ++i) {
    TEntity* a = RandomEntity();
    TEntity* b = RandomEntity();
    if (a != b)
      Draw(dtRelationOneToManyForeign, a, b);
  }
  ExpectIndexAgreesWithScan("placed");
  for (const bool in : {true, true, false, false, false, true, false}) {
    ASSERT_TRUE(in ? S.Rescale(5, 4) : S.Rescale(4, 5));
    if (!in)
      RandomEntity()->SetPosition(Below(3000), Below(3000));
    ExpectIndexAgreesWithScan(in ? "zoomed in" : "zoomed out and moved");
    const std::size_t entries = S.Index().EntryCount();
    // A label that comes and goes has the index built afresh.
    S.AddLabel(std::make_unique<TTextLabel>());
    S.DeleteLabel(S.Labels.Count() - 1);
    EXPECT_EQ(S.Index().EntryCount(), entries);
  }
}

TEST_F(SpatialIndexTest, HitTestAndRubberBandSeeAnEntityWhereItWasMoved)
{
  TEntity* a = Place(100, 100);  // 64 x 18
  ASSERT_EQ(S.HitTest(QPoint(101, 101)).Entity, a);  // builds the index
  a->SetPosition(600, 500);
  EXPECT_EQ(S.HitTest(QPoint(101, 101)).Kind, THit::TKind::None);
  EXPECT_EQ(S.HitTest(QPoint(601, 501)).Entity, a);

  S.SurfaceMouseDown(TMouseButton::Left, false, QPoint(590, 490), {});
  S.SurfaceMouseUp(TMouseButton::Left, false, QPoint(610, 510));
  EXPECT_TRUE(a->Selected());
}

// A window told that objects are going may look at the surface; the index
// it has built then must not keep what went.
TEST_F(SpatialIndexTest, HitTestWhileObjectsAreDeletedLeavesNoStaleEntry)
{
  TEntity* a = Place(100, 100);
  TRelation* r = Draw(dtRelationOneToManyForeign, a, Place(100, 300));
  const QPoint onLine = r->Segments[0].BoundsRect().center();
  ASSERT_EQ(S.HitTest(onLine).Relation, r);
  TSubscription hitTestOnRemoval = S.OnObjectRemoving.Add([&](const void*) { S.HitTest(QPoint(101, 101)); });
  S.DeleteEntity(S.Entities.IndexOfObject(a));
  hitTestOnRemoval.Reset();
  EXPECT_EQ(S.HitTest(QPoint(101, 101)).Kind, THit::TKind::None);
  EXPECT_EQ(S.HitTest(onLine).Kind, THit::TKind::None);
  EXPECT_EQ(S.Index().Count(), 1u);
}

TEST_F(SpatialIndexTest, OfEqualStackingTheFirstInTheListsIsHitAndDrawnBelow)
{
  TEntity* a = Place(100, 100);
  TEntity* b = Place(110, 104);
  TTextLabel* note = S.AddLabel(std::make_unique<TTextLabel>());
  note->SetCaption(QStringLiteral("Note"));
  note->SetPosition(112, 106);
  // Stacking as a file may leave it: all three alike.
  a->ZOrder = b->ZOrder = note->ZOrder = 7;
  EXPECT_EQ(S.HitTest(QPoint(115, 108)).Entity, a);
  b->ZOrder = 8;
  EXPECT_EQ(S.HitTest(QPoint(115, 108)).Entity, b);
  note->ZOrder = 9;
  EXPECT_EQ(S.HitTest(QPoint(115, 108)).Label, note);
}

// The painted picture is the one that drawing every object in stacking
// order, the lists deciding among equals, gives.
TEST_F(SpatialIndexTest, OverlappingObjectsPaintInStackingThenListOrder)
{
  TEntity* a = Place(100, 100, {QStringLiteral("Key")}, {QStringLiteral("First"), QStringLiteral("Second")});
  TEntity* b = Place(120, 110, {QStringLiteral("Id")}, {QStringLiteral("Other")});
  TEntity* c = Place(140, 125, {QStringLiteral("Code")});
  TRelation* r = Draw(dtRelationOneToManyForeign, a, Place(100, 400));
  const auto reference = [&](std::vector<const TEntity*> order) {
    QImage image(S.Width, S.Height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (const TRelationSegment& s : r->Segments)
      DrawSegment(s, painter, s.Left, s.Top, 1.0, 1.0);
    for (const TEntity* e : order)
      DrawEntity(*e, painter, e->Left, e->Top, 1.0, 1.0);
    return image.copy(0, 0, 300, 300);
  };
  const auto painted = [&] {
    QImage image(S.Width, S.Height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    S.SetRelationLabelVisible(false);
    // Painted in two halves, as a view paints exposed strips.
    PaintDiagram(S, painter, QRect(0, 0, S.Width, 115), QSize());
    painter.setClipRect(QRect(0, 115, S.Width, S.Height));
    PaintDiagram(S, painter, QRect(0, 115, S.Width, S.Height - 115), QSize());
    return image.copy(0, 0, 300, 300);
  };
  // Segments were stacked after the entities: drawn first, they are below
  // only once the entities come to the front.
  for (TEntity* e : {a, b, c})
    e->BringToFront();
  EXPECT_EQ(painted(), reference({a, b, c}));
  a->BringToFront();
  EXPECT_EQ(painted(), reference({b, c, a}));
  a->ZOrder = b->ZOrder = c->ZOrder;
  EXPECT_EQ(painted(), reference({a, b, c}));
}

}  // namespace
}  // namespace veska::test
