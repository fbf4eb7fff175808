#include "SurfaceFixture.h"

#include <algorithm>

namespace veska::test {
namespace {

TEST_F(SurfaceTest, ToolsSetTheMouseStateAndReportEveryChange)
{
  int changes = 0;
  const TSubscription drawingToolChange = S.OnDrawingToolChange.Add([&](TDrawingSurface&) { ++changes; });
  for (TDrawingTool tool : {dtEntity, dtRelationOneToManyForeign, dtRelationOneToManyMaster, dtRelationOneToOneForeign,
                            dtRelationOneToOneMaster, dtLabel, dtPointer, dtPointer}) {
    S.SetActiveDrawingTool(tool);
    const bool relation = tool != dtEntity && tool != dtLabel && tool != dtPointer;
    EXPECT_EQ(S.MouseState, relation ? TMouseState::PickParent : TMouseState::Idle) << int(tool);
  }
  EXPECT_EQ(changes, 8);

  // Another tool while a relation is half drawn starts over.
  S.SetActiveDrawingTool(dtRelationOneToManyForeign);
  S.PickedParent = Place(10, 10);
  S.MouseState = TMouseState::PickChild;
  S.SetActiveDrawingTool(dtRelationOneToOneForeign);
  EXPECT_EQ(S.MouseState, TMouseState::PickParent);
  EXPECT_EQ(S.PickedParent, nullptr);
}

TEST_F(SurfaceTest, EachRelationToolDrawsItsKindOfRelation)
{
  const struct {
    TDrawingTool tool;
    int cardinality;
    bool primary;
    int childSymbol;
  } cases[] = {{dtRelationOneToManyForeign, 3, false, 6},
               {dtRelationOneToManyMaster, 3, true, 6},
               {dtRelationOneToOneForeign, 1, false, 2},
               {dtRelationOneToOneMaster, 1, true, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.tool));
    S.Clear();
    TEntity* parent = Place(100, 100, {QStringLiteral("Id")});  // 64 x 32
    TEntity* child = Place(100, 300);                           // 64 x 18, then 32
    TRelation* r = Draw(c.tool, parent, child);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Cardinality, c.cardinality);
    EXPECT_EQ(r->PrimaryRelation(), c.primary);
    EXPECT_EQ((c.primary ? child->PrimaryKey : child->Attributes).Count(), 1);
    EXPECT_EQ(S.ActiveDrawingTool(), dtPointer);
    // Starts from the two centres and the point halfway, then is routed.
    EXPECT_EQ(r->ParentPoint, QPoint(132, 116));
    EXPECT_EQ(r->MidPoint, QPoint(132, 212));
    EXPECT_EQ(r->ChildPoint, QPoint(132, 309));
    EXPECT_EQ(r->RouteShape, 1);
    EXPECT_EQ(r->Segments[2].EndSymbol, c.childSymbol);
    EXPECT_EQ(r->Segments[2].Top + r->Segments[2].Height, child->Top);
  }
}

TEST_F(SurfaceTest, KeyEditsInAParentRedrawTheChildrenWhoseBoxesChange)
{
  TEntity* parent = Place(100, 100, {QStringLiteral("Id")});
  TEntity* child = Place(100, 300);
  TEntity* grandchild = Place(300, 300);
  Draw(dtRelationOneToManyMaster, parent, child);
  Draw(dtRelationOneToManyForeign, child, grandchild);
  QList<QRect> areas;
  const TSubscription invalidate = S.OnInvalidate.Add([&](const QRect& area) { areas << area; });
  // Each box, before and after, lies inside an area that was redrawn. (An
  // empty area would mean everything, but a control of size 0 sends one too,
  // so only areas that name the box count.)
  const auto expectRedrawn = [&](const QList<QRect>& boxes) {
    for (const QRect& box : boxes)
      EXPECT_TRUE(std::any_of(areas.begin(), areas.end(),
                              [&](const QRect& a) { return !a.isEmpty() && a.contains(box); }))
          << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
    areas.clear();
  };

  QRect childBox = child->BoundsRect();
  QRect grandchildBox = grandchild->BoundsRect();
  parent->RenameKeyAttribute(0, QStringLiteral("CustomerNumber"));
  EXPECT_EQ(child->Width, 128);  // "CustomerNumber(FK)"
  EXPECT_EQ(grandchild->Width, 128);
  expectRedrawn({childBox, child->BoundsRect(), grandchildBox, grandchild->BoundsRect()});

  childBox = child->BoundsRect();
  grandchildBox = grandchild->BoundsRect();
  parent->InsertKeyAttribute(0, QStringLiteral("Branch"));
  EXPECT_EQ(grandchild->Height, 3 * 14 + 4);  // two carried lines
  expectRedrawn({childBox, child->BoundsRect(), grandchildBox, grandchild->BoundsRect()});

  S.SetEntityDisplayMode(emSchema);
  childBox = child->BoundsRect();
  grandchildBox = grandchild->BoundsRect();
  parent->SetAttributeDataType(true, 1, QStringLiteral("VeryLongDataTypeName"));
  EXPECT_GT(grandchild->Width, grandchildBox.width());
  expectRedrawn({childBox, child->BoundsRect(), grandchildBox, grandchild->BoundsRect()});

  // A relation that takes over an own attribute of the child changes its
  // line to a copy's without changing the box's size.
  S.SetEntityDisplayMode(emAttributes);
  TEntity* owner = Place(700, 100, {QStringLiteral("Code")});
  TEntity* other = Place(700, 300, {}, {QStringLiteral("Code")});
  const QRect otherBox = other->BoundsRect();
  areas.clear();
  Draw(dtRelationOneToManyForeign, owner, other);
  EXPECT_TRUE(other->Attributes.Objects(0)->ForeignKey);
  EXPECT_EQ(other->BoundsRect(), otherBox);
  expectRedrawn({otherBox});
}

TEST_F(SurfaceTest, DrawnMasterRelationThatClosesACycleIsRefused)
{
  TEntity* a = Place(100, 100, {QStringLiteral("AId")});
  TEntity* b = Place(100, 300);
  ASSERT_NE(Draw(dtRelationOneToManyMaster, a, b), nullptr);
  EXPECT_EQ(Draw(dtRelationOneToOneMaster, b, a), nullptr);
  EXPECT_EQ(Draw(dtRelationOneToManyMaster, a, a), nullptr);
  EXPECT_EQ(Msgs.Lines(), (QStringList{"error: This cannot be a Primary Relation.",
                                       "error: This cannot be a Primary Relation."}));
  EXPECT_EQ(S.Relations.Count(), 1);
  EXPECT_EQ(S.RelationCounter, 2);
  EXPECT_EQ(S.ActiveDrawingTool(), dtPointer);
  // Foreign relations may close the loop, also onto the same entity.
  EXPECT_NE(Draw(dtRelationOneToManyForeign, b, a), nullptr);
  EXPECT_EQ(Draw(dtRelationOneToOneForeign, a, a)->RouteShape, 5);
  EXPECT_EQ(a->Attributes.Count(), 2);
}

TEST_F(SurfaceTest, LabelVisibilityFollowsTheSettingAndTheView)
{
  int changes = 0;
  const TSubscription rLabelVisibleChange = S.OnRLabelVisibleChange.Add([&](TDrawingSurface&) { ++changes; });
  TEntity* a = Place(100, 100);
  TEntity* b = Place(100, 300);
  TEntity* c = Place(300, 300);
  TRelation* ab = Draw(dtRelationOneToManyForeign, a, b);
  TRelation* bc = Draw(dtRelationOneToManyForeign, b, c);
  auto labels = [](const TRelation* r) { return r->NameLabel.Visible && r->InverseNameLabel.Visible; };
  auto segments = [](const TRelation* r) {
    return r->Segments[0].Visible && r->Segments[1].Visible && r->Segments[2].Visible;
  };
  S.SetRelationLabelVisible(false);
  EXPECT_FALSE(ab->NameLabel.Visible || ab->InverseNameLabel.Visible);
  EXPECT_TRUE(segments(ab));
  TRelation* ac = Draw(dtRelationOneToOneForeign, a, c);  // drawn while hidden
  EXPECT_FALSE(ac->NameLabel.Visible);
  S.SetRelationLabelVisible(true);
  EXPECT_TRUE(labels(ac));
  EXPECT_EQ(changes, 2);

  // The view names entities, letter case ignored; a relation shows only
  // with both its entities, and its labels with it.
  S.SetEntityView({QStringLiteral("ENTITY1_0"), QStringLiteral("Entity2_0"), QStringLiteral("Gone")});
  EXPECT_EQ(S.EntityView.size(), 3);
  EXPECT_TRUE(a->Visible && b->Visible);
  EXPECT_FALSE(c->Visible);
  EXPECT_TRUE(ab->Visible() && labels(ab));
  EXPECT_FALSE(bc->Visible() || segments(bc) || bc->NameLabel.Visible);
  S.SetRelationLabelVisible(true);
  EXPECT_FALSE(bc->NameLabel.Visible);
  S.SetEntityView({QStringLiteral("Entity2_0"), QStringLiteral("Entity3_0")});
  EXPECT_TRUE(segments(bc) && labels(bc));
  EXPECT_FALSE(segments(ab));
}

TEST_F(SurfaceTest, DeleteSelectedDeletesEachObjectOnce)
{
  TEntity* a = Place(100, 100, {QStringLiteral("AId")});
  TEntity* b = Place(100, 300);
  TEntity* c = Place(300, 300);
  TRelation* ab = Draw(dtRelationOneToManyMaster, a, b);
  TRelation* bc = Draw(dtRelationOneToManyForeign, b, c);
  Draw(dtRelationOneToManyForeign, a, c);
  TTextLabel* keep = S.AddLabel(std::make_unique<TTextLabel>());
  keep->Tag = 1;
  S.AddLabel(std::make_unique<TTextLabel>())->Tag = 2;
  a->SetSelected(true);
  ab->SetSelected(true);  // also goes with a
  bc->SetSelected(true);
  S.SetActiveDrawingTool(dtLabel);
  S.DeleteSelected();
  EXPECT_EQ(S.Entities.Count(), 2);
  EXPECT_TRUE(S.Relations.IsEmpty());
  EXPECT_TRUE(b->PrimaryKey.IsEmpty() && c->Attributes.IsEmpty());
  ASSERT_EQ(S.Labels.Count(), 1);
  EXPECT_EQ(S.Labels.Objects(0), keep);
  EXPECT_EQ(S.ActiveDrawingTool(), dtPointer);

  // Deleting the picked parent starts the pick over.
  S.SetActiveDrawingTool(dtRelationOneToManyForeign);
  S.PickedParent = b;
  S.MouseState = TMouseState::PickChild;
  S.DeleteEntity(S.Entities.IndexOfObject(b));
  EXPECT_EQ(S.PickedParent, nullptr);
  EXPECT_EQ(S.MouseState, TMouseState::PickParent);
}

TEST_F(SurfaceTest, DisplayModeResizesEntitiesAndReroutesTheirRelations)
{
  TEntity* a = Place(100, 100, {QStringLiteral("AId")}, {QStringLiteral("A long attribute name")});
  TRelation* r = Draw(dtRelationOneToManyMaster, a, Place(100, 300));
  EXPECT_EQ(QSize(a->Width, a->Height), QSize(144, 46));
  S.SetEntityDisplayMode(emName);
  EXPECT_EQ(QSize(a->Width, a->Height), QSize(64, 18));
  EXPECT_EQ(r->Segments[0].Top, 118);         // leaves the new bottom edge
  EXPECT_EQ(r->ParentPoint.x(), 100 + 64 - 2);  // the old centre is now outside
  S.SetEntityDisplayMode(emPrimaryKey);
  EXPECT_EQ(r->Segments[0].Top, 132);
}

}  // namespace
}  // namespace veska::test
