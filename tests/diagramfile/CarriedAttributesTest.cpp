// The carried attributes of a diagram file: the copies a relation carries,
// their stored fields and role names, an item that does not match, items
// kept before an error, and indexes on copies.

#include "diagramfile/DiagramFileFixture.h"

#include <gtest/gtest.h>

using namespace veska;
using namespace veska::test;

namespace {

TEST_F(DiagramFileTest, RelationCarriesKeyAndCarriedSectionRestoresCopy)
{
  ASSERT_EQ(Load(PlacesExample()), TLoadResult::Loaded);
  TEntity* order = Surface.Entities.Find(QStringLiteral("Order"));
  ASSERT_EQ(order->Attributes.Count(), 1);
  const TAttribute* copy = order->Attributes[0];
  EXPECT_EQ(copy->Name, "Number");
  EXPECT_EQ(copy->ColumnName(), "CUST_NO");
  EXPECT_TRUE(copy->ForeignKey);
  EXPECT_EQ(copy->DataType, "Money");
  TRelation* places = Surface.Relations[0];
  EXPECT_EQ(places->Cardinality, 3);
  EXPECT_FALSE(places->PrimaryRelation());
  EXPECT_EQ(places->MigratedAttributes.Strings(0), "Number");
  // The entity record counts only the attributes that are not copies.
  const QStringList written = Written();
  const int orderAt = static_cast<int>(written.indexOf(QStringLiteral("Maintain Order")));
  EXPECT_EQ(written[orderAt + 3], "200 20 0 1 0");
  EXPECT_TRUE(written.contains(QStringLiteral("places,Customer,Order,FALSE")));
}

TEST_F(DiagramFileTest, CarriedSectionThatDoesNotMatchIsCorrupt)
{
  QStringList lines = PlacesExample();
  lines[lines.indexOf(QStringLiteral("places"))] = QStringLiteral("elsewhere");
  EXPECT_EQ(Load(lines), TLoadResult::Corrupted);

  // The parent has two key attributes but the section holds one record: the
  // reader runs into the next section and finds no attribute record there.
  Surface.Clear();
  lines = PlacesExample();
  const int at = static_cast<int>(lines.indexOf(QStringLiteral("Number,CUST_NO,FALSE,Money")));
  lines[at - 1] = QStringLiteral("20 20 0 2 0");
  const QStringList extra = {"Extra,EXTRA,FALSE,INTEGER", "", "", "1 0 0 0", "0"};
  lines = lines.mid(0, at + 5) + extra + lines.mid(at + 5);
  EXPECT_EQ(Load(lines), TLoadResult::Corrupted);
}

TEST_F(DiagramFileTest, LoadKeepsCarriedItemsReadBeforeAnError)
{
  // The copy in Order has a role name and its own column; an unknown
  // relation follows in the carried-attributes section.
  QStringList lines = PlacesExample();
  const int at = static_cast<int>(lines.indexOf(QStringLiteral("places")));
  lines[at - 1] = QStringLiteral("2");
  lines[at + 2] = QStringLiteral("Buyer,BUYER_NO,TRUE,Money");
  lines.insert(at + 7, QStringLiteral("elsewhere"));
  ASSERT_EQ(Load(lines), TLoadResult::Corrupted);
  const TAttribute* copy = Surface.Entities.Find(QStringLiteral("Order"))->Attributes.Objects(0);
  EXPECT_EQ(copy->Name, "Buyer");
  EXPECT_EQ(copy->ColumnName(), "BUYER_NO");

  // An item that waits for the item of the primary relation into its parent
  // (B -> C listed before A -> B) is kept too when that item never comes.
  Surface.Clear();
  const QStringList chain = {
      "V3.00-KX", "Chain", "1", "1/2/03", "1000 800", "Arial", "8", "4", "TRUE",
      "0",
      "3",
      "A", "A", "Maintain A", "&File", "1 0 0 0 0", "0 0 0 1 0", "Id,ID,FALSE,INTEGER", "", "", "1 0 0 0", "0",
      "B", "B", "Maintain B", "&File", "1 0 0 0 0", "0 100 0 1 0", "Sub,SUB,FALSE,INTEGER", "", "", "1 0 0 0", "0",
      "C", "C", "Maintain C", "&File", "1 0 0 0 0", "0 200 0 0 0",
      "2", "bc,B,C,TRUE", "4 0 0 0 0 0 0", "1 0 0 0 0", "0", "ab,A,B,TRUE", "4 0 0 0 0 0 0", "1 0 0 0 0", "0",
      "2", "bc", "Sub", "Sub,SUB_REF,FALSE,INTEGER", "", "", "1 0 0 0", "1", "from B",
      "Id", "Id,ID,FALSE,INTEGER", "", "", "1 0 0 0", "0",
      "nowhere"};
  ASSERT_EQ(Load(chain), TLoadResult::Corrupted);
  const TAttribute* sub = Surface.Entities.Find(QStringLiteral("C"))->PrimaryKey.Find(QStringLiteral("Sub"));
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->ColumnName(), "SUB_REF");
  EXPECT_EQ(sub->Description(), QStringList{"from B"});
}

TEST_F(DiagramFileTest, ReopenedIndexOnKeyAndCarriedAttributeOfOneNameSurvivesDeletingTheKey)
{
  // Order has its own key Number and carries Customer's Number; its index
  // holds both. Read back, both columns name the key attribute.
  ASSERT_EQ(Load(PlacesExample()), TLoadResult::Loaded);
  TEntity* order = Surface.Entities.Find(QStringLiteral("Order"));
  order->RenameKeyAttribute(0, QStringLiteral("Number"));
  auto ix = std::make_unique<TIndex>();
  ix->Columns.Add(QStringLiteral("A"), order->PrimaryKey.Objects(0));
  ix->Columns.Add(QStringLiteral("A"), order->Attributes.Objects(0));
  order->AddIndex(std::move(ix));
  QByteArray bytes;
  WriteDiagram(Surface, bytes);
  Surface.Clear();
  ASSERT_EQ(LoadDiagramBytes(Surface, bytes), TLoadResult::Loaded);
  order = Surface.Entities.Find(QStringLiteral("Order"));
  ASSERT_EQ(order->Indexes.Count(), 1);
  EXPECT_EQ(order->Indexes[0]->Columns.Objects(1), order->PrimaryKey.Objects(0));

  order->DeleteKeyAttribute(0);
  EXPECT_EQ(CheckIntegrity(Surface), QStringList());
  EXPECT_EQ(order->Indexes.Count(), 0);
  WriteDiagram(Surface, bytes);
}

TEST_F(DiagramFileTest, RoleNamesAndOrderSurviveAReload)
{
  // A -> B -> C, both primary; B's copy of A's key gets a role name, which
  // travels on to C.
  auto make = [&](const char* name) {
    auto e = std::make_unique<TEntity>();
    TEntity* raw = Surface.AddEntity(std::move(e));
    Surface.RenameEntity(Surface.Entities.IndexOfObject(raw), QString::fromLatin1(name));
    return raw;
  };
  TEntity* a = make("A");
  TEntity* b = make("B");
  TEntity* c = make("C");
  b->SetPosition(0, 100);
  c->SetPosition(0, 200);
  a->InsertKeyAttribute(0, QStringLiteral("Id"));
  b->InsertKeyAttribute(0, QStringLiteral("Id"));
  c->InsertKeyAttribute(0, QStringLiteral("Id"));
  Surface.SetActiveDrawingTool(dtRelationOneToManyMaster);
  TRelation* bc = Surface.CreateRelation(b, c);
  Surface.SetActiveDrawingTool(dtRelationOneToManyMaster);
  TRelation* ab = Surface.CreateRelation(a, b);
  ASSERT_NE(bc, nullptr);
  ASSERT_NE(ab, nullptr);
  // Drawing took over B's own Id (same name, not a copy); C then carries it.
  ASSERT_EQ(b->PrimaryKey.Count(), 1);
  b->InsertKeyAttribute(0, QStringLiteral("Sub"));
  a->InsertKeyAttribute(1, QStringLiteral("Code"));
  const int code = b->PrimaryKey.IndexOf(QStringLiteral("Code"));
  b->RenameKeyAttribute(code, QStringLiteral("ParentCode"));
  ASSERT_EQ(c->PrimaryKey.IndexOf(QStringLiteral("ParentCode")) >= 0, true);
  Surface.Repaint();

  QByteArray first;
  WriteDiagram(Surface, first);
  Surface.Clear();
  ASSERT_EQ(LoadDiagramBytes(Surface, first), TLoadResult::Loaded);
  EXPECT_TRUE(Messages.Messages.isEmpty());
  TEntity* c2 = Surface.Entities.Find(QStringLiteral("C"));
  QStringList names;
  for (const TAttribute* x : c2->PrimaryKey)
    names << x->Name;
  EXPECT_EQ(names, (QStringList{"Id", "Sub", "ParentCode"}));
  // Each copy still stands for its own parent attribute: a new type on B's
  // Sub reaches C's Sub only.
  TEntity* b2 = Surface.Entities.Find(QStringLiteral("B"));
  b2->SetAttributeDataType(true, b2->PrimaryKey.IndexOf(QStringLiteral("Sub")), QStringLiteral("CHAR"));
  EXPECT_EQ(c2->PrimaryKey.Find(QStringLiteral("Sub"))->DataType, "CHAR");
  EXPECT_EQ(c2->PrimaryKey.Find(QStringLiteral("Id"))->DataType, "Default");
  b2->SetAttributeDataType(true, b2->PrimaryKey.IndexOf(QStringLiteral("Sub")), QStringLiteral("Default"));
  QByteArray second;
  WriteDiagram(Surface, second);
  EXPECT_EQ(Split(second), Split(first));
}

}  // namespace
