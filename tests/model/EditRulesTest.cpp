#include "model/EditRules.h"
#include "model/ModelFixture.h"

namespace veska {
namespace {

using test::Names;
using EditRulesTest = test::ModelTest;

TEST_F(EditRulesTest, AttributeLinesInsertDeleteAndRenameInPlace)
{
  TEntity* parent = MakeEntity(QStringLiteral("Order"), {QStringLiteral("Id")}, {QStringLiteral("A")});
  TEntity* child = MakeEntity(QStringLiteral("Line"), {QStringLiteral("No")});
  Relate(parent, child, true);

  // More lines: a new line comes in at its place among the non-empty lines
  // and travels into the child.
  TAttributeLinesResult r = ApplyAttributeLines(*parent, true, {"", "Id", "Order Date"});
  EXPECT_EQ(Names(parent->PrimaryKey), (QStringList{"Id", "Order Date"}));
  EXPECT_EQ(parent->PrimaryKey[1]->ColumnName(), QStringLiteral("Order_Date"));
  EXPECT_EQ(Names(child->PrimaryKey), (QStringList{"No", "Id", "Order Date"}));
  EXPECT_FALSE(r.Refused);
  EXPECT_EQ(r.Lines, (QStringList{"", "Id", "Order Date"}));

  // Same number of lines: letter case alone changes nothing, a real change
  // renames in place, also in the child.
  ApplyAttributeLines(*parent, true, {"ID", "Date"});
  EXPECT_EQ(Names(parent->PrimaryKey), (QStringList{"Id", "Date"}));
  EXPECT_EQ(Names(child->PrimaryKey), (QStringList{"No", "Id", "Date"}));

  // Fewer lines: attributes without a line go.
  ApplyAttributeLines(*parent, true, {"date"});
  EXPECT_EQ(Names(parent->PrimaryKey), QStringList{"Date"});
  EXPECT_EQ(Names(child->PrimaryKey), (QStringList{"No", "Date"}));

  // An emptied line of the same count deletes its attribute and is dropped.
  ApplyAttributeLines(*parent, false, {"A", "B", "C"});
  r = ApplyAttributeLines(*parent, false, {"A", "", "C"});
  EXPECT_EQ(Names(parent->Attributes), (QStringList{"A", "C"}));
  EXPECT_EQ(r.Lines, (QStringList{"A", "C"}));
  EXPECT_EQ(r.DroppedLine, 1);
  ExpectCopiesInStep();
}

TEST_F(EditRulesTest, AttributeLinesKeepCarriedInAttributesAndTheirLines)
{
  TEntity* parent = MakeEntity(QStringLiteral("Order"), {QStringLiteral("Id")});
  TEntity* child = MakeEntity(QStringLiteral("Line"), {}, {QStringLiteral("A"), QStringLiteral("B")});
  Relate(parent, child, false);
  ASSERT_EQ(Names(child->Attributes), (QStringList{"A", "B", "Id"}));

  // Removed and emptied lines of a carried-in attribute come back; the other
  // changes of the same edit are applied.
  TAttributeLinesResult r = ApplyAttributeLines(*child, false, {"B"});
  EXPECT_TRUE(r.Refused);
  EXPECT_EQ(Names(child->Attributes), (QStringList{"B", "Id"}));
  EXPECT_EQ(r.Lines, (QStringList{"B", "Id"}));
  r = ApplyAttributeLines(*child, false, {"B2", ""});
  EXPECT_TRUE(r.Refused);
  EXPECT_EQ(r.DroppedLine, -1);
  EXPECT_EQ(Names(child->Attributes), (QStringList{"B2", "Id"}));
  EXPECT_EQ(r.Lines, (QStringList{"B2", "Id"}));
  ExpectCopiesInStep();
}

TEST_F(EditRulesTest, EmptyNamesAreRefusedAndDuplicatesNamed)
{
  TEntity* a = MakeEntity(QStringLiteral("Customer"));
  TEntity* b = MakeEntity(QStringLiteral("Order"));
  TRelation* r = Relate(a, b, false);
  b->AddIndex(std::make_unique<TIndex>());
  b->AddIndex(std::make_unique<TIndex>());

  EXPECT_EQ(EntityNameRefusal(D, *a, QString()), QStringLiteral("Entity Name cannot be empty."));
  EXPECT_EQ(EntityNameRefusal(D, *a, QStringLiteral("  ")), QStringLiteral("Entity Name cannot be empty."));
  EXPECT_EQ(RelationNameRefusal(D, *r, QString()), QStringLiteral("Relation Name cannot be empty."));
  EXPECT_EQ(DomainNameRefusal(QString()), QStringLiteral("Domain Name cannot be empty."));
  EXPECT_TRUE(DomainNameRefusal(QStringLiteral("Money")).isEmpty());

  EXPECT_EQ(EntityNameRefusal(D, *a, QStringLiteral("order")), QStringLiteral("Duplicate Entity Name \"order\"."));
  EXPECT_TRUE(EntityNameRefusal(D, *a, QStringLiteral("CUSTOMER")).isEmpty());
  EXPECT_TRUE(EntityNameRefusal(D, *a, QStringLiteral("Client")).isEmpty());
  EXPECT_TRUE(RelationNameRefusal(D, *r, QStringLiteral("places")).isEmpty());

  EXPECT_EQ(IndexNameRefusal(*b, 1, QStringLiteral("ix1_0")), QStringLiteral("Duplicate Index Name \"ix1_0\"."));
  EXPECT_TRUE(IndexNameRefusal(*b, 1, QStringLiteral("Ix1_0b")).isEmpty());
  EXPECT_TRUE(IndexNameRefusal(*b, 0, QStringLiteral("IX1_0")).isEmpty());
  EXPECT_TRUE(Msgs.Messages.isEmpty());
}

TEST_F(EditRulesTest, NamesTheDiagramFileCannotHoldAreNeverMade)
{
  TEntity* a = MakeEntity(QStringLiteral("Customer"), {QStringLiteral("Id")});
  TEntity* b = MakeEntity(QStringLiteral("Order"));
  TRelation* r = Relate(a, b, false);
  // A comma would split the name's field of its line, a line break the line.
  EXPECT_EQ(EntityNameRefusal(D, *a, QStringLiteral("Customer, old")),
            QStringLiteral("Entity Name \"Customer_ old\" cannot hold a comma or a line break."));
  EXPECT_FALSE(RelationNameRefusal(D, *r, QStringLiteral("places\nowns")).isEmpty());
  EXPECT_FALSE(DomainNameRefusal(QStringLiteral("Money,Euro")).isEmpty());
  EXPECT_FALSE(ProcessNameRefusal(QStringLiteral("Audit,Daily")).isEmpty());
  EXPECT_TRUE(ProcessNameRefusal(QString()).isEmpty());

  // Typed attribute lines keep everything but the characters, which the
  // editor is told to show replaced.
  const TAttributeLinesResult typed = ApplyAttributeLines(*a, false, {"Price, net", "Note\tA"});
  EXPECT_TRUE(typed.Replaced);
  EXPECT_EQ(typed.Lines, (QStringList{"Price_ net", "Note_A"}));
  EXPECT_EQ(Names(a->Attributes), (QStringList{"Price_ net", "Note_A"}));
  EXPECT_FALSE(ApplyAttributeLines(*a, false, {"Price_ net", "Note_A"}).Replaced);
}

TEST_F(EditRulesTest, PrimaryRelationClosingACycleIsRefused)
{
  TEntity* a = MakeEntity(QStringLiteral("Customer"), {QStringLiteral("Id")});
  TEntity* b = MakeEntity(QStringLiteral("Order"), {QStringLiteral("No")});
  TRelation* forth = Relate(a, b, true);
  TRelation* back = Relate(b, a, false);
  EXPECT_EQ(PrimaryRelationRefusal(D, *back, true), QStringLiteral("This cannot be a Primary Relation."));
  EXPECT_TRUE(PrimaryRelationRefusal(D, *back, false).isEmpty());
  EXPECT_TRUE(PrimaryRelationRefusal(D, *forth, true).isEmpty());
  EXPECT_TRUE(Msgs.Messages.isEmpty());
}

TEST_F(EditRulesTest, LabelCaptionEditKeepingItsSizeRepaintsTheLabel)
{
  TTextLabel* label = D.AddLabel(std::make_unique<TTextLabel>());
  label->SetPosition(40, 50);
  label->SetCaption(QStringLiteral("first\r\nsecond"));
  const QRect bounds = label->BoundsRect();
  QList<QRect> invalidated;
  const TSubscription invalidate = D.OnInvalidate.Add([&](const QRect& rect) { invalidated << rect; });

  // The shorter line changes; the label keeps its size but must be drawn
  // again with its new text.
  label->SetCaption(QStringLiteral("first\r\nsecOnd"));
  ASSERT_EQ(label->BoundsRect(), bounds);
  ASSERT_FALSE(invalidated.isEmpty());
  EXPECT_TRUE(invalidated.last().contains(bounds));

  // A wider caption invalidates its new bounds, not only the old ones.
  invalidated.clear();
  label->SetCaption(QStringLiteral("first line grown\r\nsecOnd"));
  QRect all;
  for (const QRect& rect : invalidated)
    all |= rect;
  EXPECT_TRUE(all.contains(label->BoundsRect()));
}

}  // namespace
}  // namespace veska
