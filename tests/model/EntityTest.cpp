#include "ModelFixture.h"

#include "model/Identifiers.h"

namespace veska::test {
namespace {

using EntityTest = ModelTest;

TEST(Identifiers, ValidIdentifiersAndUnderscoredText)
{
  for (const char* ok : {"A", "_", "Order_Date", "_x1"})
    EXPECT_TRUE(IsValidIdentifier(QString::fromLatin1(ok))) << ok;
  for (const char* bad : {"", "2nd_Line", "Order Date", "a-b", "x$", "\xc4rger"})
    EXPECT_FALSE(IsValidIdentifier(QString::fromLatin1(bad))) << bad;
  EXPECT_EQ(Underscored(QStringLiteral(" a  b\tc-d")), QStringLiteral("_a__b\tc-d"));
}

// The rarely set fields live apart from the attribute: a copy (a saved state,
// a stored record) must own its own, and a carried copy gets none of them.
TEST(Attribute, CopiesOwnTheirRarelySetFieldsAndCarriedCopiesHaveNone)
{
  TAttribute a;
  a.Name = QStringLiteral("Price");
  EXPECT_EQ(a.MoreFields(), nullptr);
  a.SetDefaultValue(QString());
  a.SetControlTop(0);
  EXPECT_EQ(a.MoreFields(), nullptr) << "an empty value made fields of its own";
  a.SetRule(QStringLiteral("Price > 0"));
  a.SetDescription({QStringLiteral("net")});
  a.SetControlWidth(40);

  TAttribute copy = a;
  copy.SetRule(QStringLiteral("Price >= 0"));
  copy.SetDescription({});
  EXPECT_EQ(a.Rule(), QStringLiteral("Price > 0"));
  EXPECT_EQ(a.Description(), QStringList{QStringLiteral("net")});
  a.AssignFields(copy);
  EXPECT_EQ(a.Rule(), QStringLiteral("Price >= 0"));
  EXPECT_EQ(a.ControlWidth(), 40);
  EXPECT_NE(a.MoreFields(), copy.MoreFields());

  const std::unique_ptr<TAttribute> carried = a.CarriedCopy();
  EXPECT_EQ(carried->Name, a.Name);
  EXPECT_EQ(carried->MoreFields(), nullptr);
  EXPECT_TRUE(carried->Rule().isEmpty() && carried->Description().isEmpty() && carried->ControlWidth() == 0);
}

TEST_F(EntityTest, RenameKeepsUserTextsAndRefusesDuplicates)
{
  TEntity* e = MakeEntity(QStringLiteral("Order Item"));
  D.RenameEntity(0, QStringLiteral("Sales Order"));
  EXPECT_EQ(e->TableName(), QStringLiteral("Sales_Order"));
  EXPECT_EQ(e->EditFormCaption, QStringLiteral("Maintain Sales Order"));

  e->SetTableName(QStringLiteral("ORD_ITEM"));
  e->EditFormCaption = QStringLiteral("Orders");
  D.RenameEntity(0, QStringLiteral("Line"));
  EXPECT_EQ(e->TableName(), QStringLiteral("ORD_ITEM"));
  EXPECT_EQ(e->EditFormCaption, QStringLiteral("Orders"));

  e->NeedsLayout = false;
  e->SetEntityName(QStringLiteral("LINE"));  // letter case only: not applied
  EXPECT_EQ(e->EntityName(), QStringLiteral("Line"));
  EXPECT_TRUE(e->NeedsLayout);

  MakeEntity(QStringLiteral("Customer"));
  D.RenameEntity(0, QStringLiteral("CUSTOMER"));
  EXPECT_EQ(Msgs.Lines(), QStringList{"error: Duplicate Entity Name \"CUSTOMER\"."});
  EXPECT_EQ(D.Entities.Strings(0), QStringLiteral("Line"));
  // Only names the entity actually took join the view; old ones stay.
  EXPECT_EQ(D.EntityView, (QStringList{"Entity1_0", "Order Item", "Sales Order", "Line", "Entity2_0", "Customer"}));
}

TEST_F(EntityTest, AttributeColumnNamesFollowDerivedNamesOnly)
{
  TEntity* e = MakeEntity(QStringLiteral("Order"), {QStringLiteral("Order No")});
  TAttribute* line = e->InsertKeyAttribute(0, QStringLiteral("Line No"));
  EXPECT_EQ(line->ColumnName(), QStringLiteral("Line_No"));
  EXPECT_EQ(line->DataType, QStringLiteral("Default"));
  EXPECT_EQ(line->Width, QStringLiteral("0"));
  EXPECT_TRUE(line->AllowNulls);
  EXPECT_EQ(Names(e->PrimaryKey), (QStringList{"Line No", "Order No"}));
  EXPECT_TRUE(e->InsertAttribute(0, QStringLiteral("2nd Line"))->ColumnName().isEmpty());

  e->RenameKeyAttribute(0, QStringLiteral("Item No"));
  EXPECT_EQ(line->ColumnName(), QStringLiteral("Item_No"));
  EXPECT_EQ(e->PrimaryKey.IndexOf(QStringLiteral("item no")), 0);
  e->RenameKeyAttribute(0, QStringLiteral("1st No"));  // no identifier: column stays
  EXPECT_EQ(line->ColumnName(), QStringLiteral("Item_No"));
  line->SetColumnName(QStringLiteral("LNO"));
  e->RenameKeyAttribute(0, QStringLiteral("Number"));  // the user's column stays
  EXPECT_EQ(line->ColumnName(), QStringLiteral("LNO"));
  EXPECT_EQ(line->Name, QStringLiteral("Number"));
}

TEST_F(EntityTest, CopiesCannotBeDeletedOrRetypedDirectly)
{
  TEntity* p = MakeEntity(QStringLiteral("Customer"), {QStringLiteral("CustNo")});
  TEntity* c = MakeEntity(QStringLiteral("Order"), {QStringLiteral("OrderNo")});
  Relate(p, c, false);
  Relate(p, c, true);
  c->DeleteAttribute(0);
  c->DeleteKeyAttribute(1);
  c->ChangeAttributeDataType(false, 0, QStringLiteral("Char"));
  c->ChangeAttributeWidth(true, 1, QStringLiteral("9"));
  EXPECT_EQ(Names(c->Attributes), QStringList{"CustNo"});
  EXPECT_EQ(Names(c->PrimaryKey), (QStringList{"OrderNo", "CustNo"}));
  ExpectCopiesInStep();

  c->ChangeAttributeWidth(true, 0, QStringLiteral("6"));
  EXPECT_EQ(c->PrimaryKey.Objects(0)->Width, QStringLiteral("6"));
  c->DeleteKeyAttribute(0);
  EXPECT_EQ(Names(c->PrimaryKey), QStringList{"CustNo"});
}

TEST_F(EntityTest, RemovingAnAttributeKeepsIndexesConsistent)
{
  TEntity* e = MakeEntity(QStringLiteral("Order"), {QStringLiteral("No")}, {QStringLiteral("A"), QStringLiteral("B")});
  TAttribute* no = e->PrimaryKey.Objects(0);
  TAttribute* a = e->Attributes.Objects(0);
  TAttribute* b = e->Attributes.Objects(1);
  auto index = [&](std::initializer_list<TAttribute*> cols) {
    auto ix = std::make_unique<TIndex>();
    for (TAttribute* col : cols)
      ix->Columns.Add(QStringLiteral("A"), col);
    return e->AddIndex(std::move(ix));
  };
  TIndex* ab = index({a, b});
  index({b});
  index({});
  TIndex* key = index({no, a});
  EXPECT_EQ(e->Indexes.Strings(3), QStringLiteral("Ix4_0"));

  // B leaves both of its indexes; the one it was alone in goes, and so does
  // the one that never had a column.
  e->DeleteAttribute(1);
  ASSERT_EQ(e->Indexes.Count(), 2);
  EXPECT_EQ(e->Indexes.Objects(0), ab);
  EXPECT_EQ(ab->Columns.Count(), 1);
  std::unique_ptr<TAttribute> removed = e->RemoveKeyAttribute(0);
  EXPECT_EQ(removed.get(), no);
  EXPECT_EQ(key->Columns.Objects(0), a);
  e->DeleteAttribute(0);
  EXPECT_TRUE(e->Indexes.IsEmpty());
}

TEST_F(EntityTest, RemovingAnAttributeIndexedTwiceLeavesNoDanglingColumn)
{
  // A file can list one attribute twice in an index; removing the attribute
  // must take every mention out, not only the first.
  TEntity* e = MakeEntity(QStringLiteral("Order"), {QStringLiteral("No")}, {QStringLiteral("A")});
  TAttribute* no = e->PrimaryKey.Objects(0);
  TAttribute* a = e->Attributes.Objects(0);
  auto ix = std::make_unique<TIndex>();
  ix->Columns.Add(QStringLiteral("A"), no);
  ix->Columns.Add(QStringLiteral("A"), a);
  ix->Columns.Add(QStringLiteral("A"), no);
  TIndex* index = e->AddIndex(std::move(ix));
  e->DeleteKeyAttribute(0);
  ASSERT_EQ(index->Columns.Count(), 1);
  EXPECT_EQ(index->Columns.Objects(0), a);
  EXPECT_EQ(CheckIntegrity(D), QStringList());
}

TEST_F(EntityTest, IndexNamesAreCountedAndCheckedOnRename)
{
  TEntity* e = MakeEntity(QStringLiteral("Order"));
  TIndex* first = e->AddIndex(std::make_unique<TIndex>());
  auto named = std::make_unique<TIndex>();
  named->SetIndexName(QStringLiteral("ByDate"));
  e->AddIndex(std::move(named));
  EXPECT_EQ(first->Name(), QStringLiteral("Ix1_0"));
  EXPECT_EQ(e->IndexCounter, 3);  // raised for the named index too

  e->RenameIndex(0, QStringLiteral("BYDATE"));
  e->RenameIndex(0, QStringLiteral("by name"));  // no identifier: silently kept
  e->RenameIndex(1, QStringLiteral("bydate"));   // letter case only: kept
  EXPECT_EQ(Msgs.Lines(), QStringList{"error: Duplicate Index Name \"BYDATE\"."});
  EXPECT_EQ(first->Name(), QStringLiteral("Ix1_0"));
  EXPECT_EQ(e->Indexes.Strings(1), QStringLiteral("ByDate"));
  e->RenameIndex(0, QStringLiteral("ByCustomer"));
  EXPECT_EQ(e->Indexes.IndexOf(QStringLiteral("bycustomer")), 0);
}

TEST_F(EntityTest, LayoutSizeFollowsDisplayModeAndZoom)
{
  TEntity* p = MakeEntity(QStringLiteral("Customer"), {QStringLiteral("CustNo")}, {QStringLiteral("Name")});
  TEntity* c = MakeEntity(QStringLiteral("Order"), {QStringLiteral("OrderNo")});
  Relate(p, c, false);
  c->SetTableName(QStringLiteral("ORD"));
  c->PrimaryKey.Objects(0)->SetColumnName(QStringLiteral("K"));
  c->Attributes.Objects(0)->SetColumnName(QStringLiteral("ID"));
  c->Attributes.Objects(0)->DataType = QStringLiteral("Integer");
  auto size = [this](TEntity* e, TEntityDisplayMode mode) {
    D.EntityDisplayMode = mode;
    e->ComputeLayout();
    return QSize(e->Width, e->Height);
  };
  EXPECT_EQ(size(p, emAttributes), QSize(64, 46));  // 48 + 6 -> 64; three lines
  EXPECT_EQ(size(c, emAttributes), QSize(80, 46));  // "CustNo(FK)": 60 + 7 -> 80
  EXPECT_EQ(size(c, emPrimaryKey), QSize(48, 32));
  EXPECT_EQ(size(c, emName), QSize(48, 18));
  // "ID: Integer(0)" is measured (84 pixels) though "ID: Integer" is drawn.
  EXPECT_EQ(size(c, emSchema), QSize(96, 46));
  c->SetTableName(QStringLiteral("ORDER_TABLE_WITH_LONG_NAME"));  // the title in this mode only
  EXPECT_EQ(size(c, emSchema), QSize(176, 46));  // 156 + 19 -> 176
  EXPECT_EQ(size(c, emName), QSize(48, 18));
  D.ZoomFactor = 1.25;  // 10 points: 8 pixels a character, 17 a line
  EXPECT_EQ(size(p, emName), QSize(80, 21));
}

// Selecting changes only the pen: a box is laid out by it only when a change
// of what it shows waits for a layout, and then its size follows.
TEST_F(EntityTest, SelectingLaysOutABoxWhoseChangeWaitsForALayout)
{
  D.EntityDisplayMode = emAttributes;
  TEntity* e = MakeEntity(QStringLiteral("Item"), {QStringLiteral("Id")}, {QStringLiteral("Name")});
  e->ComputeLayout();
  const int narrow = e->Width;
  const QString longer = QStringLiteral("A_much_longer_attribute_name");
  e->Attributes.Objects(0)->Name = longer;
  e->Attributes.SetString(0, longer);
  e->NeedsLayout = true;
  e->SetSelected(true);
  EXPECT_GT(e->Width, narrow);
  EXPECT_FALSE(e->NeedsLayout);
  EXPECT_EQ(e->PenColor, QColor(Qt::red));
}

TEST_F(EntityTest, WidthIsRoundedUpPastTheNextSixteenth)
{
  D.Font.setPointSize(6);  // 5 pixels a character, 11 a line
  TEntity* e = MakeEntity(QStringLiteral("ABCDEFGHIJ"));
  D.EntityDisplayMode = emName;
  e->ComputeLayout();
  EXPECT_EQ(QSize(e->Width, e->Height), QSize(64, 15));  // 50 + 6 = 56 -> 64
  D.RenameEntity(0, QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
  e->ComputeLayout();
  EXPECT_EQ(e->Width, 128);  // 100 + 12 = 112 is already a multiple of 16
}

// Widths that depend on the characters: "W" is wide, everything else narrow.
class TCharacterMeasurer final : public TTextMeasurer {
public:
  int TextWidth(const QFont& font, const QString& text) const override
  {
    ++Measured;
    return Scale * static_cast<int>(text.size() + 4 * text.count(QLatin1Char('W'))) * qMax(1, font.pointSize() - 2);
  }
  int TextHeight(const QFont& font, const QString&) const override { return font.pointSize() * 2; }
  mutable int Measured = 0;
  int Scale = 1;
};

// A box keeps the widths it measured in the last two fonts, keyed by the
// texts it measured. Every kind of change, also one made straight to an
// attribute's fields or to a name's characters in place, must be measured
// anew: each step compares the box with one laid out from scratch.
TEST(EntityLayout, RememberedWidthsNeverOutliveAChangedText)
{
  TRecordingMessages msgs;
  TCharacterMeasurer measurer;
  TCountingDiagram d(msgs, measurer);
  d.EntityDisplayMode = emAttributes;
  auto make = [&d](const QString& name) {
    TEntity* e = d.AddEntity(std::make_unique<TEntity>());
    d.RenameEntity(d.Entities.IndexOfObject(e), name);
    return e;
  };
  TEntity* e = make(QStringLiteral("Item"));
  e->InsertKeyAttribute(0, QStringLiteral("Id"));
  e->InsertAttribute(0, QStringLiteral("Name"));
  e->InsertAttribute(1, QStringLiteral("Note"));
  auto fresh = [&]() {
    TEntity* f = make(QStringLiteral("Fresh"));
    f->AssignEntityName(e->EntityName());
    for (const TAttributeList* list : {&e->PrimaryKey, &e->Attributes})
      for (const TAttribute* a : *list) {
        auto copy = std::make_unique<TAttribute>();
        copy->Name = QString(a->Name.constData(), a->Name.size());  // data of its own
        copy->ForeignKey = a->ForeignKey;
        TAttributeList& target = list == &e->PrimaryKey ? f->PrimaryKey : f->Attributes;
        const QString name = copy->Name;
        target.Add(name, std::move(copy));
      }
    f->ComputeLayout();
    const QSize size(f->Width, f->Height);
    d.DeleteEntity(d.Entities.IndexOfObject(f));
    return size;
  };
  auto check = [&](const char* step) {
    e->ComputeLayout();
    EXPECT_EQ(QSize(e->Width, e->Height), fresh()) << step;
  };

  check("first layout");
  d.ZoomFactor = 1.25;
  check("zoomed in");
  d.ZoomFactor = 1.0;
  const int before = measurer.Measured;
  e->ComputeLayout();
  EXPECT_EQ(measurer.Measured, before) << "a step back to a font laid out before measures nothing";
  check("zoomed back");

  e->Attributes.Objects(0)->Name = QStringLiteral("WWWWWWWW");
  check("a name assigned straight to the field");
  e->Attributes.Objects(0)->Name[1] = QLatin1Char('i');
  e->Attributes.Objects(0)->Name[0] = QLatin1Char('i');
  check("a name's characters changed in place");
  e->PrimaryKey.Objects(0)->ForeignKey = true;
  check("an attribute became a carried copy");
  e->AssignEntityName(QStringLiteral("WWWWWWWWWWWWWW"));
  check("the entity renamed");
  e->InsertAttribute(2, QStringLiteral("WWWWWWWWWWWWWWWWWWWW"));
  check("an attribute added");
  e->DeleteAttribute(2);
  check("an attribute deleted");
  e->Attributes.Move(1, 0);
  check("attributes reordered");
  d.EntityDisplayMode = emPrimaryKey;
  check("key attributes only");
  d.EntityDisplayMode = emName;
  check("names only");
  d.EntityDisplayMode = emAttributes;
  d.ZoomFactor = 1.25;
  e->Attributes.Objects(0)->Name = QStringLiteral("W");
  check("changed while laid out in the other font");
}

// A label keeps its sizes in its last two fonts the same way.
TEST(EntityLayout, LabelSizesFollowCaptionAndFont)
{
  TRecordingMessages msgs;
  TCharacterMeasurer measurer;
  TCountingDiagram d(msgs, measurer);
  auto sized = [&d](const QString& caption, int points) {
    TTextLabel* l = d.AddLabel(std::make_unique<TTextLabel>());
    QFont font = l->Font;
    font.setPointSize(points);
    l->SetFont(font);
    l->SetCaption(caption);
    const QSize size(l->Width, l->Height);
    d.DeleteLabel(d.Labels.IndexOfObject(l));
    return size;
  };
  TTextLabel* l = d.AddLabel(std::make_unique<TTextLabel>());
  QFont small = l->Font;
  small.setPointSize(8);
  QFont large = small;
  large.setPointSize(10);
  l->SetFont(small);
  l->SetCaption(QStringLiteral("WW\r\nii"));
  EXPECT_EQ(QSize(l->Width, l->Height), sized(QStringLiteral("WW\r\nii"), 8));
  l->SetFont(large);
  EXPECT_EQ(QSize(l->Width, l->Height), sized(QStringLiteral("WW\r\nii"), 10));
  const int before = measurer.Measured;
  l->SetFont(small);
  EXPECT_EQ(measurer.Measured, before);
  EXPECT_EQ(QSize(l->Width, l->Height), sized(QStringLiteral("WW\r\nii"), 8));
  l->SetCaption(QStringLiteral("iiii"));
  EXPECT_EQ(QSize(l->Width, l->Height), sized(QStringLiteral("iiii"), 8));
  l->SetFont(large);
  EXPECT_EQ(QSize(l->Width, l->Height), sized(QStringLiteral("iiii"), 10));

  // Sizes taken by another measurer are not the label's sizes any more.
  TCharacterMeasurer wider;
  wider.Scale = 3;
  TCountingDiagram other(msgs, wider);
  l->SetDiagram(&other);
  QFont medium = small;
  medium.setPointSize(9);
  l->SetFont(medium);
  l->SetFont(large);
  EXPECT_EQ(l->Width, 3 * sized(QStringLiteral("iiii"), 10).width());
  l->SetDiagram(&d);
}

// The model's many small objects are sized to fit the heap's size classes
// (1,024 and 640 bytes, the next being 1,280 and 768): a field added to a
// control, a relation or an entity that crosses one costs a quarter more
// memory for every relation or a fifth for every entity of a large diagram.
TEST(ModelObjects, RelationsAndEntitiesStayWithinTheirHeapSizeClasses)
{
  EXPECT_LE(sizeof(TRelation), 1024u);
  EXPECT_LE(sizeof(TEntity), 640u);
  EXPECT_LE(sizeof(TAttribute), 112u);
  // Controls end in a flag; the small fields of labels and segments take
  // the room after it.
  EXPECT_LE(sizeof(TRelationSegment), sizeof(TControl) + 8);
}

}  // namespace
}  // namespace veska::test
