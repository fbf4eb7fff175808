#include "SurfaceFixture.h"

namespace veska::test {
namespace {

constexpr auto L = TMouseButton::Left;
constexpr auto R = TMouseButton::Right;

class MouseTest : public SurfaceTest {
protected:
  int Invalidations = 0;
  TSubscription InvalidationCounter;

  void SetUp() override
  {
    SurfaceTest::SetUp();
    InvalidationCounter = S.OnInvalidate.Add([this](const QRect&) { ++Invalidations; });
  }

  // Press, release and the click that the view sends after it.
  void Click(TEntity* e, bool shift = false)
  {
    S.EntityMouseDown(*e, L, shift, QPoint(1, 1), QPoint());
    S.EntityMouseUp(*e, L, shift, QPoint(1, 1));
    S.EntityClick(*e);
  }

  void Band(QPoint from, QPoint to)
  {
    S.SurfaceMouseDown(L, false, from, QPoint());
    S.SurfaceMouseMove(false, to);
    S.SurfaceMouseUp(L, false, to);
  }

  TTextLabel* Label(QPoint at, const QString& caption)
  {
    TTextLabel* l = S.AddLabel(std::make_unique<TTextLabel>());
    l->SetCaption(caption);
    l->SetPosition(at.x(), at.y());
    return l;
  }

  static QList<bool> Selection(std::initializer_list<TEntity*> entities)
  {
    QList<bool> out;
    for (TEntity* e : entities)
      out << e->Selected();
    return out;
  }
};

TEST_F(MouseTest, EntityAndLabelToolsPlaceAtThePressedPoint)
{
  TEntity* edited = nullptr;
  TTextLabel* labelled = nullptr;
  const TSubscription entityDblClick = S.OnEntityDblClick.Add([&](TEntity& e) { edited = &e; });
  const TSubscription labelDblClick = S.OnLabelDblClick.Add([&](TTextLabel& l) { labelled = &l; });

  S.SetActiveDrawingTool(dtEntity);
  S.SurfaceMouseDown(L, false, QPoint(120, 80), QPoint(900, 700));
  ASSERT_EQ(S.Entities.Count(), 1);
  TEntity* e = S.Entities.Objects(0);
  EXPECT_EQ(e->BoundsRect().topLeft(), QPoint(120, 80));
  EXPECT_EQ(edited, e);
  EXPECT_EQ(S.ActiveDrawingTool(), dtPointer);

  // The label tool ignores entities; only the surface takes a label.
  S.SetActiveDrawingTool(dtLabel);
  Click(e);
  EXPECT_EQ(S.Labels.Count(), 0);
  EXPECT_EQ(S.ActiveDrawingTool(), dtLabel);
  S.SurfaceMouseDown(L, false, QPoint(300, 40), QPoint());
  ASSERT_EQ(S.Labels.Count(), 1);
  EXPECT_EQ(labelled, S.Labels.Objects(0));
  EXPECT_EQ(labelled->BoundsRect().topLeft(), QPoint(300, 40));
  EXPECT_EQ(S.ActiveDrawingTool(), dtPointer);
}

TEST_F(MouseTest, RubberBandSelectsVisibleEntitiesByTheirTopLeftCorner)
{
  TEntity* a = Place(100, 100);
  TEntity* b = Place(190, 190);  // most of the box lies outside the band
  TEntity* c = Place(400, 400);
  TEntity* onBorder = Place(90, 200);
  TEntity* hidden = Place(150, 150);
  hidden->Visible = false;

  for (auto [from, to] : {std::pair{QPoint(200, 200), QPoint(90, 90)}, std::pair{QPoint(90, 90), QPoint(200, 200)}}) {
    S.SurfaceMouseDown(L, false, QPoint(700, 900), QPoint());  // clears the selection
    S.SurfaceMouseUp(L, false, QPoint(700, 900));
    Invalidations = 0;
    Band(from, to);
    EXPECT_EQ(Selection({a, b, c, hidden, onBorder}), (QList<bool>{true, true, false, false, true}));
    EXPECT_EQ(S.MouseState, TMouseState::Idle);
    EXPECT_GT(Invalidations, 0);
  }
}

TEST_F(MouseTest, ClicksAndShiftClicksBuildTheSelection)
{
  TEntity* a = Place(100, 100);
  TEntity* b = Place(200, 100);
  TEntity* c = Place(300, 100);

  Click(a);
  Click(b, true);
  EXPECT_EQ(Selection({a, b, c}), (QList<bool>{true, true, false}));
  Click(b, true);  // Shift+click never takes an entity out
  Click(a);        // a plain click inside the group keeps the group
  EXPECT_EQ(Selection({a, b, c}), (QList<bool>{true, true, false}));
  EXPECT_GT(a->ZOrder, b->ZOrder);  // brought to the front
  Click(c);        // a plain click outside it starts a new selection
  EXPECT_EQ(Selection({a, b, c}), (QList<bool>{false, false, true}));
  EXPECT_EQ(c->PenColor, QColor(Qt::red));
}

TEST_F(MouseTest, GroupDragStopsAtTheBorderAndKeepsDistances)
{
  TEntity* a = Place(50, 100);
  TEntity* b = Place(150, 100);
  TEntity* c = Place(250, 100);
  TEntity* other = Place(50, 400);
  TRelation* r = Draw(dtRelationOneToManyForeign, a, other);
  Band(QPoint(40, 90), QPoint(260, 110));

  // A release without movement moves nothing.
  S.EntityMouseDown(*b, L, false, QPoint(10, 10), QPoint());
  EXPECT_EQ(S.MouseState, TMouseState::DraggingEntities);
  S.EntityMouseUp(*b, L, false, QPoint(40, 40));
  EXPECT_EQ(b->Left, 150);

  S.EntityMouseDown(*b, L, false, QPoint(10, 10), QPoint());
  S.EntityMouseMove(*b, false, QPoint(2000, 2000));
  // Right edge of c (314) to 768; bottom of the row (118) to 960.
  EXPECT_EQ(S.TrackPoint - S.AnchorPoint, QPoint(454, 842));
  EXPECT_TRUE(a->Dragging && b->Dragging && c->Dragging && !other->Dragging);
  EXPECT_TRUE(r->Suspended());
  EXPECT_FALSE(r->Segments[0].Visible);
  Invalidations = 0;
  S.EntityMouseMove(*b, false, QPoint(-190, 10));
  EXPECT_EQ(S.TrackPoint - S.AnchorPoint, QPoint(-50, 0));
  EXPECT_GT(Invalidations, 0);
  EXPECT_EQ(a->Left, 50);  // nothing moves before the release

  S.EntityMouseUp(*b, L, false, QPoint(-190, 10));
  EXPECT_EQ(S.MouseState, TMouseState::Idle);
  EXPECT_EQ(QList<int>({a->Left, b->Left, c->Left, other->Left}), QList<int>({0, 100, 200, 50}));
  EXPECT_FALSE(a->Dragging || b->Dragging || c->Dragging);
  EXPECT_FALSE(r->Suspended());
  EXPECT_TRUE(r->Segments[0].Visible);
  EXPECT_EQ(r->ParentPoint, QPoint(32, 109));
  EXPECT_EQ(r->Segments[0].Top, a->Top + a->Height);
}

TEST_F(MouseTest, AnEntityDragAlwaysEnds)
{
  TEntity* a = Place(100, 100);
  TRelation* r = Draw(dtRelationOneToManyForeign, a, Place(100, 400));
  S.EntityMouseDown(*a, L, false, QPoint(5, 5), QPoint());
  S.EntityMouseMove(*a, false, QPoint(25, 5));
  S.SetActiveDrawingTool(dtEntity);
  S.EntityMouseUp(*a, L, false, QPoint(25, 5));
  EXPECT_EQ(a->Left, 120);
  EXPECT_FALSE(a->Dragging);
  EXPECT_FALSE(r->Suspended());

  // A drag whose release never came is ended, moving nothing, by the next press.
  S.SetActiveDrawingTool(dtPointer);
  S.EntityMouseDown(*a, L, false, QPoint(5, 5), QPoint());
  S.EntityMouseMove(*a, false, QPoint(45, 5));
  S.EntityMouseDown(*a, L, false, QPoint(5, 5), QPoint());
  EXPECT_EQ(a->Left, 120);
  EXPECT_FALSE(a->Dragging);
  EXPECT_FALSE(r->Suspended());
  S.EntityMouseMove(*a, false, QPoint(15, 5));
  S.EntityMouseUp(*a, L, false, QPoint(15, 5));
  EXPECT_EQ(a->Left, 130);
}

TEST_F(MouseTest, RelationToolPicksParentThenChild)
{
  TEntity* a = Place(100, 100);
  TEntity* b = Place(100, 300);
  S.SetActiveDrawingTool(dtRelationOneToManyMaster);
  S.SurfaceMouseDown(L, false, QPoint(500, 500), QPoint());
  Click(a);
  S.SurfaceMouseDown(L, false, QPoint(500, 500), QPoint());
  EXPECT_EQ(Msgs.Lines(), QStringList({QStringLiteral("information: Please Pick Parent Entity."),
                                       QStringLiteral("information: Please Pick Child Entity.")}));
  EXPECT_EQ(S.PickedParent, a);
  EXPECT_EQ(S.MouseState, TMouseState::PickChild);
  EXPECT_EQ(a->Left, 100);  // pressing with a relation tool drags nothing

  Click(b);
  ASSERT_EQ(S.Relations.Count(), 1);
  const TRelation* r = S.Relations.Objects(0);
  EXPECT_EQ(r->Parent, a);
  EXPECT_EQ(r->Child, b);
  EXPECT_TRUE(r->PrimaryRelation());
  EXPECT_EQ(S.ActiveDrawingTool(), dtPointer);
  EXPECT_EQ(S.MouseState, TMouseState::Idle);
}

TEST_F(MouseTest, RightButtonStoresTheScreenPointAndReportsTheObject)
{
  TEntity* a = Place(100, 100);
  TRelation* r = Draw(dtRelationOneToManyForeign, a, Place(300, 300));
  TTextLabel* note = Label(QPoint(500, 50), QStringLiteral("Note"));
  QStringList events;
  const TSubscription drawingSurfaceRMBClick =
      S.OnDrawingSurfaceRMBClick.Add([&](TDrawingSurface&) { events << QStringLiteral("surface"); });
  const TSubscription entityRMBClick = S.OnEntityRMBClick.Add([&](TEntity& e) { events << e.EntityName(); });
  const TSubscription relationRMBClick =
      S.OnRelationRMBClick.Add([&](TRelation& rel) { events << rel.RelationName(); });
  const TSubscription labelRMBClick = S.OnLabelRMBClick.Add([&](TTextLabel& l) { events << l.Caption(); });

  S.SurfaceMouseDown(R, false, QPoint(1, 1), QPoint(11, 12));
  S.EntityMouseDown(*a, R, false, QPoint(1, 1), QPoint(21, 22));
  S.SegmentMouseDown(r->Segments[1], R, false, QPoint(1, 1), QPoint(31, 32));
  S.NameLabelMouseDown(*r, r->NameLabel, R, QPoint(41, 42));
  S.LabelMouseDown(*note, R, QPoint(51, 52));
  EXPECT_EQ(events, QStringList({"surface", "Entity1_0", "Relation1_0", "Relation1_0", "Note"}));
  EXPECT_EQ(QPoint(S.MousePositionX, S.MousePositionY), QPoint(51, 52));
  EXPECT_FALSE(a->Selected());
  EXPECT_FALSE(r->Selected());
  EXPECT_EQ(note->Tag, 0);
}

TEST_F(MouseTest, DraggingTheMiddleSegmentMovesTheMiddlePiece)
{
  TEntity* a = Place(100, 100);
  TRelation* r = Draw(dtRelationOneToManyForeign, a, Place(300, 300));
  TRelationSegment& middle = r->Segments[1];
  ASSERT_EQ(middle.Top, 205);
  a->SetSelected(true);

  S.SegmentMouseDown(middle, L, false, QPoint(50, 4), QPoint());
  EXPECT_TRUE(r->Selected());
  EXPECT_FALSE(a->Selected());
  EXPECT_GT(r->Parent->ZOrder, middle.ZOrder);
  S.SegmentMouseMove(middle, false, QPoint(50, 24));
  EXPECT_TRUE(r->Suspended());
  S.SegmentMouseUp(middle, L, false, QPoint(50, 24));
  EXPECT_FALSE(r->Suspended());
  EXPECT_FALSE(middle.Dragging);
  EXPECT_EQ(r->MidPoint.y(), 229);
  EXPECT_EQ(middle.Top, 225);
  EXPECT_EQ(r->Segments[0].Height, 229 - 118);
}

TEST_F(MouseTest, DraggedTextLabelStaysSelectedUntilSomethingElseIsPressed)
{
  TTextLabel* note = Label(QPoint(300, 300), QStringLiteral("Note"));
  TTextLabel* other = Label(QPoint(500, 300), QStringLiteral("Other"));
  S.LabelMouseDown(*note, L, QPoint(1000, 1000));
  EXPECT_EQ(note->FontColor, QColor(255, 0, 0));
  S.LabelMouseMove(*note, QPoint(1010, 1020));
  S.LabelMouseUp(*note, L, QPoint(1015, 1020));
  EXPECT_EQ(note->BoundsRect().topLeft(), QPoint(315, 320));
  EXPECT_EQ(note->Tag, 2);
  EXPECT_EQ(note->FontColor, QColor(255, 0, 0));

  S.LabelMouseDown(*other, L, QPoint());
  EXPECT_EQ(note->Tag, 0);
  EXPECT_EQ(note->FontColor, QColor(0, 0, 0));
  S.LabelMouseUp(*other, L, QPoint());
  S.SurfaceMouseDown(L, false, QPoint(5, 5), QPoint());
  EXPECT_EQ(other->Tag, 0);

  S.LabelMouseDown(*note, L, QPoint());
  S.LabelMouseUp(*note, L, QPoint());
  S.DeleteSelected();
  EXPECT_EQ(S.Labels.Count(), 1);
  EXPECT_EQ(S.Labels.Objects(0), other);
}

TEST_F(MouseTest, LabelDragsStayOnTheSurfaceAndUnderTheGrabPoint)
{
  TTextLabel* note = Label(QPoint(5, 5), QStringLiteral("Note"));
  S.LabelMouseDown(*note, L, QPoint(500, 500));
  S.LabelMouseMove(*note, QPoint(480, 500));
  EXPECT_EQ(note->Left, 0);
  S.LabelMouseMove(*note, QPoint(490, 500));
  EXPECT_EQ(note->Left, 0);
  S.LabelMouseUp(*note, L, QPoint(505, 500));
  EXPECT_EQ(note->Left, 10);
}

TEST_F(MouseTest, NameLabelDragStopsAutomaticPlacementOnlyWhenItMoves)
{
  TRelation* r = Draw(dtRelationOneToManyForeign, Place(100, 100), Place(300, 300));
  TTextLabel& name = r->NameLabel;
  const QPoint at = name.BoundsRect().topLeft();
  S.NameLabelMouseDown(*r, name, L, QPoint(50, 50));
  EXPECT_EQ(name.FontColor, QColor(255, 0, 0));
  S.NameLabelMouseUp(*r, name, L, QPoint(50, 50));
  EXPECT_TRUE(r->LabelAutoPlace);

  S.NameLabelMouseDown(*r, name, L, QPoint(50, 50));
  S.NameLabelMouseMove(*r, name, QPoint(55, 52));
  S.NameLabelMouseUp(*r, name, L, QPoint(57, 53));
  EXPECT_EQ(name.BoundsRect().topLeft(), at + QPoint(7, 3));
  EXPECT_FALSE(r->LabelAutoPlace);
  EXPECT_EQ(name.Tag, 0);
  EXPECT_EQ(name.FontColor, QColor(0, 0, 0));
}

TEST_F(MouseTest, HitTestFindsTheTopmostVisibleControl)
{
  TEntity* a = Place(100, 100);  // 64 x 18
  TRelation* r = Draw(dtRelationOneToManyForeign, a, Place(100, 300));
  TTextLabel* note = Label(QPoint(110, 105), QStringLiteral("Note"));

  EXPECT_EQ(S.HitTest(QPoint(101, 101)).Entity, a);
  EXPECT_EQ(S.HitTest(QPoint(115, 110)).Label, note);
  a->BringToFront();
  EXPECT_EQ(S.HitTest(QPoint(115, 110)).Kind, THit::TKind::Entity);

  // Straight down: the first segment is hit, the middle one has no width.
  const THit onLine = S.HitTest(QPoint(132, 200));
  EXPECT_EQ(onLine.Kind, THit::TKind::Segment);
  EXPECT_EQ(onLine.Segment, &r->Segments[0]);
  EXPECT_EQ(onLine.Relation, r);
  ASSERT_EQ(r->Segments[1].Width, 0);
  EXPECT_NE(S.HitTest(r->Segments[1].BoundsRect().topLeft()).Segment, &r->Segments[1]);

  const THit onName = S.HitTest(r->NameLabel.BoundsRect().topLeft() + QPoint(2, 2));
  EXPECT_EQ(onName.Kind, THit::TKind::NameLabel);
  EXPECT_EQ(onName.Label, &r->NameLabel);

  a->Visible = false;
  EXPECT_EQ(S.HitTest(QPoint(101, 101)).Kind, THit::TKind::None);
}

}  // namespace
}  // namespace veska::test
