// Arranging diagrams: the shipped example, a reverse-engineered directory of
// tables and a large generated model come out with no box on another, no
// label on a box, masters above their details, within the surface; a
// selection is arranged alone; the file written keeps the new places.
#include "arrange/Arrange.h"
#include "arrange/ArrangeFixture.h"
#include "diagramfile/DiagramFile.h"
#include "engine/TableEngine.h"
#include "model/Entity.h"
#include "support/RecordingProgress.h"
#include "tablebuild/ReEngineer.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veska {
namespace {

class ArrangeTest : public test::SurfaceTest {
protected:
  // Everything a whole-diagram arrangement promises.
  void ExpectTidy(bool layered = true)
  {
    EXPECT_EQ(test::OverlappingBoxes(S), QStringList());
    EXPECT_EQ(test::OutsideTheSurface(S), QStringList());
    if (layered) {
      EXPECT_EQ(test::LabelsOnBoxes(S), QStringList());
      EXPECT_EQ(test::ParentsNotAbove(S), QStringList());
    }
    for (const TRelation* r : S.Relations)
      EXPECT_NE(r->RouteShape, 5) << qPrintable(r->RelationName());  // boxes apart: a line joins them
  }

  QList<QPoint> Positions(const TDrawingSurface& s) const
  {
    QList<QPoint> at;
    for (const TEntity* e : s.Entities)
      at << QPoint(e->Left, e->Top);
    return at;
  }
};

TEST_F(ArrangeTest, TheShippedExampleComesOutTidyAndReadsBackFromItsFile)
{
  ASSERT_EQ(LoadDiagram(S, QStringLiteral(VESKA_EXAMPLES_DIR "/sales.erd")), TLoadResult::Loaded);
  ASSERT_GT(S.Relations.Count(), 0);
  const TArrangeResult result = ArrangeDiagram(S, false);
  EXPECT_EQ(result.Arranged, S.Entities.Count());
  EXPECT_GT(result.Moved, 0);
  EXPECT_TRUE(result.Layered);
  ExpectTidy();

  QByteArray bytes;
  WriteDiagram(S, bytes);
  TDrawingSurface back(Msgs, Measurer);
  ASSERT_EQ(LoadDiagramBytes(back, bytes), TLoadResult::Loaded);
  EXPECT_EQ(Positions(back), Positions(S));
  EXPECT_EQ(QSize(back.Width, back.Height), QSize(S.Width, S.Height));
  EXPECT_EQ(CheckIntegrity(back), QStringList());
}

TEST_F(ArrangeTest, ArrangingTwiceLeavesTheDiagramWhereTheFirstTimePutIt)
{
  ASSERT_EQ(LoadDiagram(S, QStringLiteral(VESKA_EXAMPLES_DIR "/sales.erd")), TLoadResult::Loaded);
  ArrangeDiagram(S, false);
  const QList<QPoint> first = Positions(S);
  EXPECT_EQ(ArrangeDiagram(S, false).Moved, 0);
  EXPECT_EQ(Positions(S), first);
}

TEST_F(ArrangeTest, AReverseEngineeredDirectoryComesOutTidy)
{
  QTemporaryDir dir;
  for (int i = 0; i < 12; ++i) {
    QList<TFieldDef> fields{{QStringLiteral("ID"), eftInteger, 0, true}};
    for (int f = 0; f < i % 5; ++f)
      fields.append({QStringLiteral("DESCRIPT_%1").arg(f), eftString, 40, false});
    CreateTable(dir.path(), QStringLiteral("TABLE%1").arg(i), TTableType::Dbase, fields, {});
  }
  ReEngineer(S, dir.path());
  ASSERT_EQ(S.Entities.Count(), 12);
  EXPECT_EQ(ArrangeDiagram(S, false).Arranged, 12);
  ExpectTidy();
}

TEST_F(ArrangeTest, AThousandEntitiesWithFifteenHundredRelationsComeOutTidy)
{
  test::MakeModel(S, 1000, 1500);
  ASSERT_EQ(S.Relations.Count(), 1500);
  // A second or more of layout: the progress says the work goes on.
  test::TRecordingProgress progress;
  TArrangeOptions options;
  options.Progress = &progress;
  const TArrangeResult result = ArrangeDiagram(S, false, options);
  EXPECT_EQ(result.Arranged, 1000);
  EXPECT_TRUE(result.Layered);
  ExpectTidy();
  EXPECT_EQ(progress.Caption, QStringLiteral("Arranging Diagram"));
  EXPECT_EQ(progress.Begins, 1);
  EXPECT_EQ(progress.Ends, 1);
  EXPECT_FALSE(progress.Steps.isEmpty());
  EXPECT_TRUE(progress.StepsAdvanceWithinTotal());
}

TEST_F(ArrangeTest, TheForceDirectedLayoutKeepsBoxesApartWithinTheSurface)
{
  test::MakeModel(S, 300, 450);
  TArrangeOptions options;
  options.LayeredLimit = 100;
  const TArrangeResult result = ArrangeDiagram(S, false, options);
  EXPECT_EQ(result.Arranged, 300);
  EXPECT_FALSE(result.Layered);
  ExpectTidy(false);
}

TEST_F(ArrangeTest, AMasterStaysAboveItsDetailWhenReferencesRunInACircle)
{
  TEntity* a = Place(400, 400, {QStringLiteral("A_ID")});
  TEntity* b = Place(20, 20, {QStringLiteral("B_ID")});
  TEntity* c = Place(200, 20, {QStringLiteral("C_ID")});
  // c refers to a, a is master of b, b refers to c: the references close a
  // circle that only a foreign relation may break.
  Draw(dtRelationOneToManyForeign, c, a);
  Draw(dtRelationOneToManyMaster, a, b);
  Draw(dtRelationOneToManyForeign, b, c);
  ArrangeDiagram(S, false);
  ExpectTidy();
}

TEST_F(ArrangeTest, OnlyTheSelectedEntitiesMoveAndLandOnNoOtherBox)
{
  test::MakeModel(S, 40, 60);
  ArrangeDiagram(S, false);
  // Three related entities and one apart from them, all in the middle.
  std::vector<TEntity*> chosen;
  const TRelation* r = S.Relations.Objects(0);
  chosen = {r->Parent, r->Child, S.Relations.Objects(1)->Parent, S.Entities.Objects(20)};
  QList<QPoint> before = Positions(S);
  for (TEntity* e : chosen)
    e->SetSelected(true);
  const TArrangeResult result = ArrangeDiagram(S, true);
  int selected = 0;
  for (const TEntity* e : S.Entities)
    selected += e->Selected() ? 1 : 0;
  EXPECT_EQ(result.Arranged, selected);
  const QList<QPoint> after = Positions(S);
  for (int i = 0; i < S.Entities.Count(); ++i) {
    if (!S.Entities.Objects(i)->Selected()) {
      EXPECT_EQ(after[i], before[i]) << qPrintable(S.Entities.Objects(i)->EntityName());
    }
  }
  EXPECT_EQ(test::OverlappingBoxes(S), QStringList());
  EXPECT_EQ(test::OutsideTheSurface(S), QStringList());
}

TEST_F(ArrangeTest, ASelectionWithRoomWhereItWasStaysThere)
{
  TEntity* a = Place(500, 500);
  TEntity* b = Place(20, 20);
  Place(20, 200);  // not selected, far from the selection
  Draw(dtRelationOneToManyForeign, a, b);
  a->SetSelected(true);
  b->SetSelected(true);
  const TArrangeResult result = ArrangeDiagram(S, true);
  EXPECT_EQ(result.Arranged, 2);
  // The group starts at the selection's old top left corner.
  EXPECT_EQ(std::min(a->Left, b->Left), 20);
  EXPECT_LT(a->Top + a->Height, b->Top);
  EXPECT_EQ(test::OverlappingBoxes(S), QStringList());
}

TEST_F(ArrangeTest, HiddenEntitiesStayAndAnEmptyViewArrangesNothing)
{
  TEntity* a = Place(20, 20);
  TEntity* hidden = Place(300, 300);
  S.SetEntityView({a->EntityName()});
  ASSERT_FALSE(hidden->Visible);
  EXPECT_EQ(ArrangeDiagram(S, false).Arranged, 1);
  EXPECT_EQ(QPoint(hidden->Left, hidden->Top), QPoint(300, 300));
  S.SetEntityView({});
  const TArrangeResult none = ArrangeDiagram(S, false);
  EXPECT_EQ(none.Arranged, 0);
  EXPECT_EQ(none.Moved, 0);
}

TEST_F(ArrangeTest, TextLabelsOnArrangedBoxesMoveOffAndOthersStay)
{
  test::MakeModel(S, 20, 25);
  auto add = [this](int left, int top, const QString& text) {
    TTextLabel* l = S.AddLabel(std::make_unique<TTextLabel>());
    l->SetCaption(text);
    l->SetPosition(left, top);
    return l;
  };
  ArrangeDiagram(S, false);
  // On a box where arranging again puts it, and far beyond everything.
  const TEntity* first = S.Entities.Objects(0);
  TTextLabel* onBox = add(first->Left + 2, first->Top + 2, QStringLiteral("A note on a box"));
  TTextLabel* far = add(5000, 5000, QStringLiteral("Far away"));
  const TArrangeResult result = ArrangeDiagram(S, false);
  EXPECT_EQ(result.Moved, 0);
  EXPECT_EQ(result.LabelsMoved, 1);
  EXPECT_NE(QPoint(onBox->Left, onBox->Top), QPoint(first->Left + 2, first->Top + 2));
  EXPECT_EQ(QPoint(far->Left, far->Top), QPoint(5000, 5000));
  ExpectTidy();
}

TEST_F(ArrangeTest, RelationNameLabelsPlacedByHandGoBackToTheirLines)
{
  TEntity* a = Place(20, 20, {QStringLiteral("A_ID")});
  TEntity* b = Place(20, 200, {QStringLiteral("B_ID")});
  TRelation* r = Draw(dtRelationOneToManyMaster, a, b);
  S.RenameRelation(S.Relations.IndexOfObject(r), QStringLiteral("Has/Belongs To"));
  r->LabelAutoPlace = false;
  r->NameLabel.SetPosition(a->Left + 2, a->Top + 2);
  ArrangeDiagram(S, false);
  EXPECT_TRUE(r->LabelAutoPlace);
  ExpectTidy();
}

TEST_F(ArrangeTest, AZoomedDiagramIsArrangedWithTheBoxesAsShown)
{
  test::MakeModel(S, 30, 45);
  ASSERT_TRUE(S.Rescale(3, 2));
  ArrangeDiagram(S, false);
  ExpectTidy();
  // Back at 100% the layout shrinks with the zoom and stays apart.
  S.ResetZoom();
  EXPECT_EQ(test::OverlappingBoxes(S), QStringList());
}

}  // namespace
}  // namespace veska
