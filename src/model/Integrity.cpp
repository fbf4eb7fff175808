#include "model/Integrity.h"

#include "model/Diagram.h"

#include <QHash>
#include <QSet>

#include <utility>
#include <vector>

namespace veska {

namespace {

QString Quoted(const QString& name)
{
  return QLatin1Char('"') + name + QLatin1Char('"');
}

// Where an attribute lives: its entity and whether in the key.
struct TOwner {
  const TEntity* Entity = nullptr;
  bool Key = false;
};

class TIntegrityCheck {
public:
  explicit TIntegrityCheck(const TDiagram& d) : D(d) {}

  QStringList Run()
  {
    CheckTexts();
    CollectEntities();
    CheckRelations();
    CheckEntityRelationLists();
    CheckIndexes();
    return FProblems;
  }

private:
  void Problem(const QString& text) { FProblems << text; }

  template <class T, class Name>
  void CheckListTexts(const TStringList<T, true>& list, const QString& what, Name name)
  {
    for (int i = 0; i < list.Count(); ++i)
      if (list.Strings(i) != name(*list.Objects(i)))
        Problem(QStringLiteral("%1 entry %2 %3 holds %4").arg(what).arg(i).arg(Quoted(list.Strings(i)),
                                                                                 Quoted(name(*list.Objects(i)))));
  }

  // Every name-keyed list's entry text is its object's current name. (Text
  // labels are keyed by a name of their own that renaming changes alone.)
  void CheckTexts()
  {
    CheckListTexts(D.Domains, QStringLiteral("Domain"), [](const TDomain& x) { return x.Name; });
    CheckListTexts(D.Entities, QStringLiteral("Entity"), [](const TEntity& x) { return x.EntityName(); });
    CheckListTexts(D.Relations, QStringLiteral("Relation"), [](const TRelation& x) { return x.RelationName(); });
    CheckListTexts(D.ServerProcs, QStringLiteral("Process"), [](const TServerProc& x) { return x.Name; });
    for (const TEntity* e : D.Entities) {
      const QString prefix = QStringLiteral("Entity %1: ").arg(Quoted(e->EntityName()));
      auto attributeName = [](const TAttribute& a) { return a.Name; };
      CheckListTexts(e->PrimaryKey, prefix + QStringLiteral("key attribute"), attributeName);
      CheckListTexts(e->Attributes, prefix + QStringLiteral("attribute"), attributeName);
      CheckListTexts(e->Indexes, prefix + QStringLiteral("index"), [](const TIndex& x) { return x.Name(); });
    }
  }

  // The live entities, and the owner of every attribute; an attribute held
  // twice would be freed twice.
  void CollectEntities()
  {
    for (const TEntity* e : D.Entities) {
      if (FEntities.contains(e))
        Problem(QStringLiteral("Entity %1 is listed twice").arg(Quoted(e->EntityName())));
      FEntities.insert(e);
      for (const bool key : {true, false}) {
        for (const TAttribute* a : key ? e->PrimaryKey : e->Attributes) {
          const auto it = FOwners.constFind(a);
          if (it != FOwners.constEnd())
            Problem(QStringLiteral("Attribute %1 of %2 is also held by %3")
                        .arg(Quoted(a->Name), Quoted(e->EntityName()), Quoted(it->Entity->EntityName())));
          else
            FOwners.insert(a, TOwner{e, key});
        }
      }
    }
  }

  // Each relation joins two live entities, and each entry of its carried
  // attributes is a foreign-key attribute in the child's list that the
  // relation fills, carried by no other relation. The list is in the order
  // of the relations' sequence numbers (their positions are found by them).
  void CheckRelations()
  {
    QHash<const TAttribute*, const TRelation*> carriedBy;
    quint64 sequence = 0;
    for (const TRelation* r : D.Relations) {
      FRelations.insert(r);
      const QString name = Quoted(r->RelationName());
      if (r->Sequence() <= sequence)
        Problem(QStringLiteral("Relation %1 is out of the order of its sequence number").arg(name));
      sequence = r->Sequence();
      if (!FEntities.contains(r->Parent) || !FEntities.contains(r->Child)) {
        Problem(QStringLiteral("Relation %1 does not join two entities of the diagram").arg(name));
        continue;
      }
      for (int i = 0; i < r->MigratedAttributes.Count(); ++i) {
        const TAttribute* copy = r->MigratedAttributes.Objects(i);
        const QString entry = QStringLiteral("Relation %1: carried %2 ").arg(name, Quoted(r->MigratedAttributes.Strings(i)));
        const auto owner = FOwners.constFind(copy);
        if (owner == FOwners.constEnd() || owner->Entity != r->Child || owner->Key != r->PrimaryRelation()) {
          Problem(entry + QStringLiteral("is not in the child's %1").arg(r->PrimaryRelation() ? QLatin1String("key") : QLatin1String("attributes")));
          continue;
        }
        if (!copy->ForeignKey)
          Problem(entry + QStringLiteral("is not marked as a foreign key"));
        const auto other = carriedBy.constFind(copy);
        if (other != carriedBy.constEnd())
          Problem(entry + QStringLiteral("is also carried by %1").arg(Quoted(other.value()->RelationName())));
        else
          carriedBy.insert(copy, r);
      }
    }
  }

  // Each entity lists exactly the relations in which it is parent or child,
  // each once.
  void CheckEntityRelationLists()
  {
    QHash<const TRelation*, int> asParent;
    QHash<const TRelation*, int> asChild;
    const QLatin1String parent("parent");
    const QLatin1String child("child");
    for (const TEntity* e : D.Entities) {
      CountListed(*e, e->ParentRelations(), &TRelation::Parent, parent, asParent);
      CountListed(*e, e->ChildRelations(), &TRelation::Child, child, asChild);
    }
    for (const TRelation* r : D.Relations) {
      if (!FEntities.contains(r->Parent) || !FEntities.contains(r->Child))
        continue;
      for (const auto& [role, count] : {std::pair(parent, &asParent), std::pair(child, &asChild)})
        if (count->value(r) != 1)
          Problem(QStringLiteral("Relation %1 is listed %2 times by its %3")
                      .arg(Quoted(r->RelationName()))
                      .arg(count->value(r))
                      .arg(role));
    }
  }

  // Counts the relations an entity lists in one role (`end` names the
  // entity's side of the relation).
  void CountListed(const TEntity& e, const std::vector<TRelation*>& listed, TEntity* TRelation::*end,
                   QLatin1String role, QHash<const TRelation*, int>& count)
  {
    const QString name = Quoted(e.EntityName());
    for (const TRelation* r : listed) {
      if (!FRelations.contains(r))
        Problem(QStringLiteral("Entity %1 lists a relation that is not in the diagram as its %2").arg(name, role));
      else if (r->*end != &e)
        Problem(QStringLiteral("Entity %1 lists %2 of another %3").arg(name, Quoted(r->RelationName()), role));
      else
        ++count[r];
    }
  }

  // Every index column is an attribute of the index's own entity.
  void CheckIndexes()
  {
    for (const TEntity* e : D.Entities) {
      for (const TIndex* index : e->Indexes) {
        for (int c = 0; c < index->Columns.Count(); ++c) {
          const auto owner = FOwners.constFind(index->Columns.Objects(c));
          if (owner == FOwners.constEnd() || owner->Entity != e)
            Problem(QStringLiteral("Entity %1: index %2 column %3 is not an attribute of the entity")
                        .arg(Quoted(e->EntityName()), Quoted(index->Name()))
                        .arg(c + 1));
        }
      }
    }
  }

  const TDiagram& D;
  QStringList FProblems;
  QSet<const TEntity*> FEntities;
  QSet<const TRelation*> FRelations;
  QHash<const TAttribute*, TOwner> FOwners;
};

}  // namespace

QStringList CheckIntegrity(const TDiagram& diagram)
{
  return TIntegrityCheck(diagram).Run();
}

}  // namespace veska
