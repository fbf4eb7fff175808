#include "ModelFixture.h"

namespace veska::test {
namespace {

using IntegrityTest = ModelTest;

TEST_F(IntegrityTest, NamesEachBrokenLinkAndNothingInAWholeModel)
{
  TEntity* customer = MakeEntity(QStringLiteral("Customer"), {QStringLiteral("Id")}, {QStringLiteral("Notes")});
  TEntity* order = MakeEntity(QStringLiteral("Order"), {QStringLiteral("No")});
  TEntity* line = MakeEntity(QStringLiteral("Line"));
  TRelation* places = Relate(customer, order, false);
  Relate(order, line, true);
  auto ix = std::make_unique<TIndex>();
  ix->Columns.Add(QStringLiteral("A"), order->PrimaryKey.Objects(0));
  TIndex* index = order->AddIndex(std::move(ix));
  ASSERT_EQ(CheckIntegrity(D), QStringList());

  // Damage the model in four ways (none of them leaves a dangling pointer,
  // so that the check can be watched finding each).
  TAttribute* copy = places->MigratedAttributes.Objects(0);
  copy->ForeignKey = false;
  index->Columns.Add(QStringLiteral("A"), customer->Attributes.Objects(0));
  D.Entities.SetString(D.Entities.IndexOfObject(line), QStringLiteral("Lines"));
  const QString key = places->MigratedAttributes.Strings(0);
  places->MigratedAttributes.Delete(0);
  places->MigratedAttributes.Add(key, customer->PrimaryKey.Objects(0));
  EXPECT_EQ(CheckIntegrity(D),
            (QStringList{"Entity entry 2 \"Lines\" holds \"Line\"",
                         "Relation \"Relation1_0\": carried \"Id\" is not in the child's attributes",
                         "Entity \"Order\": index \"Ix1_0\" column 2 is not an attribute of the entity"}));
  places->MigratedAttributes.Delete(0);
  places->MigratedAttributes.Add(key, copy);
  EXPECT_EQ(CheckIntegrity(D).mid(1),
            (QStringList{"Relation \"Relation1_0\": carried \"Id\" is not marked as a foreign key",
                         "Entity \"Order\": index \"Ix1_0\" column 2 is not an attribute of the entity"}));

  // Mended again, the model is whole.
  copy->ForeignKey = true;
  index->Columns.Delete(1);
  D.Entities.SetString(D.Entities.IndexOfObject(line), QStringLiteral("Line"));
  EXPECT_EQ(CheckIntegrity(D), QStringList());
}

}  // namespace
}  // namespace veska::test
