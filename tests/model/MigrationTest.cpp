#include "ModelFixture.h"

#include <functional>
#include <vector>

namespace veska::test {
namespace {

using MigrationTest = ModelTest;
using DiagramTest = ModelTest;

TEST_F(MigrationTest, RelationsCarryTheKeyAndReuseOwnAttributesWhenDrawn)
{
  TEntity* p = MakeEntity(QStringLiteral("Customer"), {QStringLiteral("CustNo"), QStringLiteral("Branch")});
  p->PrimaryKey.Objects(0)->SetColumnName(QStringLiteral("CNO"));
  p->PrimaryKey.Objects(0)->AllowNulls = false;
  p->SetAttributeDataType(true, 0, QStringLiteral("Integer"));
  TEntity* account = MakeEntity(QStringLiteral("Account"), {QStringLiteral("AccNo")});
  Relate(p, account, true);
  EXPECT_EQ(Names(account->PrimaryKey), (QStringList{"AccNo", "CustNo", "Branch"}));
  const TAttribute* copy = account->PrimaryKey.Objects(1);
  EXPECT_EQ(copy->ColumnName(), QStringLiteral("CNO"));
  EXPECT_TRUE(copy->AllowNulls);  // only name, column, type and width are carried

  // An own attribute of the same name (letter case ignored) becomes the copy.
  TEntity* order = MakeEntity(QStringLiteral("Order"), {}, {QStringLiteral("custno")});
  TAttribute* own = order->Attributes.Objects(0);
  own->SetColumnName(QStringLiteral("CUST"));
  TRelation* drawn = Relate(p, order, false, /*reuse=*/true);
  EXPECT_EQ(Names(order->Attributes), (QStringList{"custno", "Branch"}));
  EXPECT_EQ(own->ColumnName(), QStringLiteral("CUST"));
  EXPECT_EQ(own->DataType, QStringLiteral("Integer"));
  EXPECT_TRUE(own->ForeignKey);
  EXPECT_EQ(drawn->MigratedAttributes.Strings(0), QStringLiteral("CustNo"));
  // Copies are never taken over; loading never reuses.
  Relate(p, order, false, true);
  Relate(p, order, false, false);
  EXPECT_EQ(order->Attributes.Count(), 6);
  D.DeleteRelation(D.Relations.IndexOfObject(drawn));  // the taken-over attribute goes too
  EXPECT_EQ(Names(order->Attributes), (QStringList{"CustNo", "Branch", "CustNo", "Branch"}));
  ExpectCopiesInStep();
}

TEST_F(MigrationTest, KeyChangesTravelDownPrimaryChains)
{
  TEntity* a = MakeEntity(QStringLiteral("A"), {QStringLiteral("AId")});
  TEntity* b = MakeEntity(QStringLiteral("B"), {QStringLiteral("BId")});
  TEntity* c = MakeEntity(QStringLiteral("C"), {QStringLiteral("CId")});
  TEntity* f = MakeEntity(QStringLiteral("F"));
  Relate(a, b, true);
  Relate(b, c, true);
  Relate(c, f, false);
  EXPECT_EQ(Names(f->Attributes), (QStringList{"CId", "BId", "AId"}));

  a->InsertKeyAttribute(0, QStringLiteral("Region"));  // appended at the end below
  EXPECT_EQ(Names(b->PrimaryKey), (QStringList{"BId", "AId", "Region"}));
  EXPECT_EQ(Names(c->PrimaryKey), (QStringList{"CId", "BId", "AId", "Region"}));
  EXPECT_EQ(Names(f->Attributes), (QStringList{"CId", "BId", "AId", "Region"}));
  a->SetAttributeDataType(true, 0, QStringLiteral("Char"));
  a->SetAttributeWidth(true, 0, QStringLiteral("2"));
  a->RenameKeyAttribute(0, QStringLiteral("Area"));
  EXPECT_EQ(f->Attributes.Objects(3)->Name, QStringLiteral("Area"));
  EXPECT_EQ(f->Attributes.Objects(3)->Width, QStringLiteral("2"));
  ExpectCopiesInStep();

  a->DeleteKeyAttribute(0);
  EXPECT_EQ(Names(c->PrimaryKey), (QStringList{"CId", "BId", "AId"}));
  EXPECT_EQ(Names(f->Attributes), (QStringList{"CId", "BId", "AId"}));
  ExpectCopiesInStep();
}

TEST_F(MigrationTest, RoleNamesSurviveRenamesOfTheParentKey)
{
  TEntity* a = MakeEntity(QStringLiteral("A"), {QStringLiteral("Id")});
  TEntity* b = MakeEntity(QStringLiteral("B"));
  TEntity* c = MakeEntity(QStringLiteral("C"));
  TRelation* ab = Relate(a, b, true);
  Relate(b, c, true);
  b->RenameKeyAttribute(0, QStringLiteral("Owner Id"));  // passes on to C's copy
  EXPECT_EQ(Names(c->PrimaryKey), QStringList{"Owner Id"});
  EXPECT_EQ(c->PrimaryKey.Objects(0)->ColumnName(), QStringLiteral("Owner_Id"));

  a->RenameKeyAttribute(0, QStringLiteral("Key"));
  EXPECT_EQ(Names(b->PrimaryKey), QStringList{"Owner Id"});
  EXPECT_EQ(Names(c->PrimaryKey), QStringList{"Owner Id"});
  EXPECT_EQ(ab->MigratedAttributes.Strings(0), QStringLiteral("Key"));
  // The relation still knows its copy.
  a->SetAttributeDataType(true, 0, QStringLiteral("Integer"));
  EXPECT_EQ(c->PrimaryKey.Objects(0)->DataType, QStringLiteral("Integer"));
  a->DeleteKeyAttribute(0);
  EXPECT_TRUE(c->PrimaryKey.IsEmpty());
}

TEST_F(MigrationTest, TypeChangeReachesTheCopyNotAnEarlierNamesake)
{
  TEntity* a = MakeEntity(QStringLiteral("A"), {QStringLiteral("Code")});
  TEntity* b = MakeEntity(QStringLiteral("B"), {}, {QStringLiteral("Code")});
  Relate(a, b, false, /*reuse=*/false);
  a->SetAttributeWidth(true, 0, QStringLiteral("8"));
  EXPECT_EQ(b->Attributes.Objects(0)->Width, QStringLiteral("0"));
  EXPECT_EQ(b->Attributes.Objects(1)->Width, QStringLiteral("8"));
}

TEST_F(MigrationTest, SwitchingThePrimaryFlagMovesCopies)
{
  TEntity* a = MakeEntity(QStringLiteral("A"), {QStringLiteral("AId")});
  TEntity* b = MakeEntity(QStringLiteral("B"), {QStringLiteral("BId")}, {QStringLiteral("Note")});
  TEntity* c = MakeEntity(QStringLiteral("C"));
  TRelation* ab = Relate(a, b, true);
  Relate(b, c, true);
  auto ix = std::make_unique<TIndex>();
  ix->Columns.Add(QStringLiteral("A"), b->PrimaryKey.Objects(1));
  b->AddIndex(std::move(ix));

  ab->SetPrimaryRelation(false);
  EXPECT_EQ(Names(b->PrimaryKey), QStringList{"BId"});
  EXPECT_EQ(Names(b->Attributes), (QStringList{"Note", "AId"}));
  EXPECT_EQ(Names(c->PrimaryKey), QStringList{"BId"});
  EXPECT_TRUE(b->Indexes.IsEmpty());
  ExpectCopiesInStep();

  ab->SetPrimaryRelation(true);
  EXPECT_EQ(Names(b->Attributes), QStringList{"Note"});
  EXPECT_EQ(Names(c->PrimaryKey), (QStringList{"BId", "AId"}));
  ExpectCopiesInStep();
  EXPECT_TRUE(Msgs.Lines().isEmpty());
}

TEST_F(MigrationTest, PrimaryRelationsMayNotCloseACycle)
{
  TEntity* a = MakeEntity(QStringLiteral("A"), {QStringLiteral("AId")});
  TEntity* b = MakeEntity(QStringLiteral("B"), {QStringLiteral("BId")});
  TEntity* c = MakeEntity(QStringLiteral("C"));
  Relate(a, b, true);
  Relate(b, c, true);
  TRelation* ca = Relate(c, a, false);  // non-primary relations do not count
  EXPECT_FALSE(D.CanBePrimary(a, a));
  EXPECT_FALSE(D.CanBePrimary(c, a));
  EXPECT_TRUE(D.CanBePrimary(a, c));

  ca->SetPrimaryRelation(true);
  TRelation* self = Relate(b, b, false);
  self->SetPrimaryRelation(true);
  EXPECT_EQ(Msgs.Lines(), (QStringList{"error: This cannot be a Primary Relation.",
                                       "error: This cannot be a Primary Relation."}));
  EXPECT_FALSE(ca->PrimaryRelation());
  EXPECT_EQ(Names(a->PrimaryKey), QStringList{"AId"});

  const int relations = D.Relations.Count();
  EXPECT_THROW(Relate(c, a, true), TModelError);
  EXPECT_THROW(Relate(c, c, true), TModelError);
  EXPECT_EQ(D.Relations.Count(), relations);
  ExpectCopiesInStep();
}

// A chain of entities joined by primary relations, added from the top down
// or from the bottom up; only the head has a key of its own.
std::vector<TEntity*> MakeChain(TDiagram& d, int length, bool bottomUp,
                                const std::function<TRelation*(TEntity*, TEntity*)>& relate)
{
  std::vector<TEntity*> chain;
  d.BeginUpdate();
  for (int i = 0; i < length; ++i) {
    auto e = std::make_unique<TEntity>();
    e->AssignEntityName(QStringLiteral("E%1").arg(i));
    chain.push_back(d.AddEntity(std::move(e)));
  }
  chain.front()->InsertKeyAttribute(0, QStringLiteral("Id"));
  for (int i = 0; i + 1 < length; ++i) {
    const int at = bottomUp ? length - 2 - i : i;
    relate(chain[at], chain[at + 1]);
  }
  d.EndUpdate();
  return chain;
}

TEST_F(MigrationTest, KeyChangesTravelDownAHundredThousandDeepChainWithoutOverflowingTheStack)
{
  const int length = 100000;
  const auto relate = [this](TEntity* p, TEntity* c) { return Relate(p, c, true); };
  std::vector<TEntity*> chain = MakeChain(D, length, /*bottomUp=*/false, relate);
  TEntity* head = chain.front();
  TEntity* last = chain.back();
  EXPECT_EQ(Names(last->PrimaryKey), QStringList{"Id"});

  head->InsertKeyAttribute(0, QStringLiteral("Region"));
  head->RenameKeyAttribute(0, QStringLiteral("Area"));
  head->SetAttributeWidth(true, 0, QStringLiteral("4"));
  EXPECT_EQ(Names(last->PrimaryKey), (QStringList{"Id", "Area"}));
  EXPECT_EQ(last->PrimaryKey.Objects(1)->Width, QStringLiteral("4"));
  EXPECT_EQ(last->PrimaryKey.Objects(1)->ColumnName(), QStringLiteral("Area"));
  head->DeleteKeyAttribute(0);
  EXPECT_EQ(Names(last->PrimaryKey), QStringList{"Id"});

  // A cycle is found from either end, and in the middle of the chain.
  EXPECT_FALSE(D.CanBePrimary(last, head));
  EXPECT_FALSE(D.CanBePrimary(chain[length / 2], chain[length / 2 - 7]));
  EXPECT_TRUE(D.CanBePrimary(head, last));
  EXPECT_TRUE(D.CanBePrimary(chain[length / 2 - 7], chain[length / 2]));

  // Turning the top relation into a non-primary one takes the copies out of
  // the whole chain below it.
  D.Relations.Objects(0)->SetPrimaryRelation(false);
  EXPECT_EQ(Names(chain[1]->Attributes), QStringList{"Id"});
  EXPECT_TRUE(last->PrimaryKey.IsEmpty());
  D.Relations.Objects(0)->SetPrimaryRelation(true);
  EXPECT_EQ(Names(last->PrimaryKey), QStringList{"Id"});
  D.DeleteEntity(0);
  EXPECT_TRUE(last->PrimaryKey.IsEmpty());
  EXPECT_TRUE(Msgs.Lines().isEmpty());
}

TEST_F(MigrationTest, AChainBuiltFromTheBottomUpCarriesTheKeyAndRefusesCycles)
{
  const auto relate = [this](TEntity* p, TEntity* c) { return Relate(p, c, true); };
  std::vector<TEntity*> chain = MakeChain(D, 2000, /*bottomUp=*/true, relate);
  EXPECT_EQ(Names(chain.back()->PrimaryKey), QStringList{"Id"});
  EXPECT_THROW(Relate(chain[1500], chain[3], true), TModelError);
  EXPECT_THROW(Relate(chain.back(), chain.front(), true), TModelError);
  // Along a non-primary relation the way down is cut.
  chain[1000]->ChildRelations().front()->SetPrimaryRelation(false);
  EXPECT_TRUE(D.CanBePrimary(chain.back(), chain.front()));
  EXPECT_FALSE(D.CanBePrimary(chain[999], chain[5]));
  ExpectCopiesInStep();
}

TEST_F(MigrationTest, RenamingAKeyToItsOwnNameKeepsRoleNamesThatDifferInLetterCase)
{
  TEntity* a = MakeEntity(QStringLiteral("A"), {QStringLiteral("Id")});
  TEntity* b = MakeEntity(QStringLiteral("B"));
  TEntity* c = MakeEntity(QStringLiteral("C"));
  Relate(a, b, true);
  Relate(b, c, true);
  c->RenameKeyAttribute(0, QStringLiteral("ID"));
  a->RenameKeyAttribute(0, QStringLiteral("Id"));  // as loading does with every stored name
  EXPECT_EQ(Names(c->PrimaryKey), QStringList{"ID"});
  a->RenameKeyAttribute(0, QStringLiteral("Key"));  // a real rename still reaches it
  EXPECT_EQ(Names(c->PrimaryKey), QStringList{"Key"});
  ExpectCopiesInStep();
}

TEST_F(MigrationTest, DeletingAnEntityTakesItsRelationsAndTheirCopies)
{
  TEntity* a = MakeEntity(QStringLiteral("A"), {QStringLiteral("AId")});
  TEntity* b = MakeEntity(QStringLiteral("B"), {QStringLiteral("BId")});
  TEntity* c = MakeEntity(QStringLiteral("C"));
  TEntity* d = MakeEntity(QStringLiteral("D"));
  Relate(a, b, true);
  Relate(b, c, true);
  Relate(b, d, false);
  TRelation* ad = Relate(a, d, false);
  Relate(b, b, false);

  D.DeleteEntity(D.Entities.IndexOfObject(b));
  ASSERT_EQ(D.Relations.Count(), 1);
  EXPECT_EQ(D.Relations.Objects(0), ad);
  EXPECT_TRUE(c->PrimaryKey.IsEmpty());
  EXPECT_EQ(Names(d->Attributes), QStringList{"AId"});
  EXPECT_TRUE(D.EntityView.contains(QStringLiteral("B")));
  ExpectCopiesInStep();
}

TEST_F(MigrationTest, RelationNamesAndLabels)
{
  TEntity* a = MakeEntity(QStringLiteral("A"));
  TRelation* r1 = Relate(a, a, false);
  Relate(a, a, false);
  D.RenameRelation(0, QStringLiteral("owns/is owned by/x"));
  D.RenameRelation(0, QStringLiteral("Owns/Is Owned By/X"));  // letter case only: ignored
  EXPECT_EQ(r1->NameLabel.Caption(), QStringLiteral("owns"));
  EXPECT_EQ(r1->InverseNameLabel.Caption(), QStringLiteral("is owned by/x"));
  D.RenameRelation(1, QStringLiteral("OWNS/is owned by/x"));
  EXPECT_EQ(Msgs.Lines(), QStringList{"error: Duplicate Relation Name \"OWNS/is owned by/x\"."});
  EXPECT_EQ(D.Relations.Strings(1), QStringLiteral("Relation2_0"));
  D.RenameRelation(0, QStringLiteral("plain"));
  EXPECT_TRUE(r1->InverseNameLabel.Caption().isEmpty());
}

TEST_F(DiagramTest, DefaultNamesAndCounters)
{
  TEntity* e = D.AddEntity(std::make_unique<TEntity>());
  EXPECT_EQ(e->EntityName(), QStringLiteral("Entity1_0"));
  EXPECT_EQ(e->TableName(), QStringLiteral("Entity1_0"));
  EXPECT_EQ(e->EditFormCaption, QStringLiteral("Maintain Entity1_0"));
  EXPECT_EQ(e->MenuGroup, QStringLiteral("&File"));
  // Named objects keep their texts but still raise the counter.
  auto named = std::make_unique<TEntity>();
  named->AssignEntityName(QStringLiteral("Customer"));
  EXPECT_TRUE(D.AddEntity(std::move(named))->TableName().isEmpty());
  D.Revision = QStringLiteral("12");
  EXPECT_EQ(D.AddEntity(std::make_unique<TEntity>())->EntityName(), QStringLiteral("Entity3_12"));
  EXPECT_EQ(D.EntityView, (QStringList{"Entity1_0", "Customer", "Entity3_12"}));
  auto money = std::make_unique<TDomain>();
  money->Name = QStringLiteral("Money");
  D.AddDomain(std::move(money));
  EXPECT_EQ(D.AddDomain(std::make_unique<TDomain>())->Name, QStringLiteral("Domain2_12"));
  EXPECT_EQ(D.AddServerProc(std::make_unique<TServerProc>())->Name, QStringLiteral("ServerProc1_12"));
  // Text labels are always renamed, and take the zoomed diagram font.
  D.ZoomFactor = 1.25;
  auto label = std::make_unique<TTextLabel>();
  label->Name = QStringLiteral("Mine");
  TTextLabel* l = D.AddLabel(std::move(label));
  EXPECT_EQ(l->Name, QStringLiteral("Label1_12"));
  EXPECT_EQ(l->Font.pointSize(), 10);
  D.RenameLabel(0, QStringLiteral("Note"));  // the entry only
  EXPECT_EQ(l->Name, QStringLiteral("Label1_12"));
  EXPECT_EQ(D.Labels.IndexOf(QStringLiteral("note")), 0);
}

TEST_F(DiagramTest, ClearEmptiesTheModelButKeepsTheView)
{
  TEntity* a = MakeEntity(QStringLiteral("A"), {QStringLiteral("Id")});
  Relate(a, MakeEntity(QStringLiteral("B")), true);
  D.AddDomain(std::make_unique<TDomain>());
  D.AddLabel(std::make_unique<TTextLabel>());
  D.AddServerProc(std::make_unique<TServerProc>());
  D.Revision = QStringLiteral("7");
  const QStringList view = D.EntityView;
  D.Clear();
  EXPECT_TRUE(D.Entities.IsEmpty() && D.Relations.IsEmpty() && D.Domains.IsEmpty() && D.Labels.IsEmpty() &&
              D.ServerProcs.IsEmpty());
  EXPECT_EQ(D.EntityView, view);
  EXPECT_EQ(D.Revision, QStringLiteral("0"));
  for (int counter : {D.DomainCounter, D.EntityCounter, D.RelationCounter, D.LabelCounter, D.ServerProcCounter})
    EXPECT_EQ(counter, 1);
}

TEST_F(DiagramTest, UpdatesDeferLayoutAndRoutingToTheEnd)
{
  D.BeginUpdate();
  D.BeginUpdate();
  TEntity* a = MakeEntity(QStringLiteral("Customer"), {QStringLiteral("CustNo")});
  TEntity* b = MakeEntity(QStringLiteral("Order"), {QStringLiteral("OrderNo")});
  TRelation* r = Relate(a, b, false);
  r->SetSuspended(false);
  a->InsertKeyAttribute(1, QStringLiteral("Branch"));
  D.EndUpdate();
  EXPECT_EQ(QSize(b->Width, b->Height), QSize(60, 20));
  EXPECT_TRUE(D.Routings.isEmpty());

  D.EndUpdate();
  EXPECT_FALSE(D.Updating());
  EXPECT_EQ(QSize(b->Width, b->Height), QSize(80, 60));  // "CustNo(FK)", four lines
  EXPECT_EQ(D.Routings.value(r), 1);  // once, with the final sizes
}

}  // namespace
}  // namespace veska::test
