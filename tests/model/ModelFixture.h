#pragma once
// A model-only diagram that counts routings instead of computing geometry,
// and helpers that build entities and relations as the editors do. Fixed
// metrics: at 8 points a character is 6 pixels wide and a line 14 high.

#include "model/Diagram.h"
#include "model/Integrity.h"
#include "platform/TextMeasurer.h"
#include "support/RecordingMessages.h"

#include <QHash>

#include <gtest/gtest.h>

namespace veska::test {

class TCountingDiagram final : public TDiagram {
public:
  using TDiagram::TDiagram;
  void RouteRelation(TRelation& relation) override { ++Routings[&relation]; }
  QHash<const TRelation*, int> Routings;
};

// The attribute names in list order (each entry's text must be its name).
inline QStringList Names(const TAttributeList& list)
{
  QStringList names;
  for (int i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(list.Strings(i), list.Objects(i)->Name);
    names << list.Objects(i)->Name;
  }
  return names;
}

// An entity with the given key and other attributes, made as the editors do.
inline TEntity* MakeEntityIn(TDiagram& d, const QString& name, const QStringList& keys = {},
                             const QStringList& attrs = {})
{
  TEntity* e = d.AddEntity(std::make_unique<TEntity>());
  d.RenameEntity(d.Entities.IndexOfObject(e), name);
  for (const QString& k : keys)
    e->InsertKeyAttribute(e->PrimaryKey.Count(), k);
  for (const QString& a : attrs)
    e->InsertAttribute(e->Attributes.Count(), a);
  return e;
}

inline TRelation* RelateIn(TDiagram& d, TEntity* parent, TEntity* child, bool primary, bool reuse = true)
{
  auto r = std::make_unique<TRelation>();
  r->Parent = parent;
  r->Child = child;
  r->Cardinality = kCardinalityZeroOrMany;
  r->InitPrimaryRelation(primary);
  return d.AddRelation(std::move(r), reuse);
}

class ModelTest : public ::testing::Test {
protected:
  TRecordingMessages Msgs;
  TFixedTextMeasurer Measurer;
  TCountingDiagram D{Msgs, Measurer};

  void SetUp() override { D.Revision = QStringLiteral("0"); }
  // Whatever a case did, the model's links still hold.
  void TearDown() override { EXPECT_EQ(CheckIntegrity(D), QStringList()); }

  TEntity* MakeEntity(const QString& name, const QStringList& keys = {}, const QStringList& attrs = {})
  {
    return MakeEntityIn(D, name, keys, attrs);
  }

  TRelation* Relate(TEntity* parent, TEntity* child, bool primary, bool reuse = true)
  {
    return RelateIn(D, parent, child, primary, reuse);
  }

  // For every relation: one copy per parent key attribute, in the child's
  // key (primary) or non-key list, marked as foreign key, with the type and
  // width of the parent attribute that its entry names.
  void ExpectCopiesInStep() const
  {
    for (const TRelation* r : D.Relations) {
      SCOPED_TRACE(r->RelationName().toStdString());
      ASSERT_EQ(r->MigratedAttributes.Count(), r->Parent->PrimaryKey.Count());
      for (int i = 0; i < r->MigratedAttributes.Count(); ++i) {
        const TAttribute* copy = r->MigratedAttributes.Objects(i);
        const TAttribute* key = r->Parent->PrimaryKey.Find(r->MigratedAttributes.Strings(i));
        ASSERT_NE(key, nullptr);
        EXPECT_GE(r->ChildList().IndexOfObject(copy), 0);
        EXPECT_TRUE(copy->ForeignKey);
        EXPECT_EQ(copy->DataType, key->DataType);
        EXPECT_EQ(copy->Width, key->Width);
      }
    }
  }
};

}  // namespace veska::test
