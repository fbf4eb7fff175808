#include "model/ReadAhead.h"

#include "model/Entity.h"
#include "model/Relation.h"
#include "platform/Prefetch.h"

namespace veska {

namespace {

void PrefetchTexts(const QStringList& lines)
{
  for (const QString& line : lines)
    PrefetchText(line);
}

// The blocks of every text of the attribute (of the rarely set fields, where
// they are: their texts are seldom there to ask for).
void PrefetchFields(const TAttribute& a)
{
  PrefetchText(a.Name);
  PrefetchText(a.ColumnName());
  PrefetchText(a.DataType);
  PrefetchText(a.Width);
  Prefetch(a.MoreFields());
}

template <typename List>
void PrefetchAllFields(const List& list)
{
  for (const TAttribute* a : list)
    PrefetchFields(*a);
}

template <typename List>
void PrefetchEntryTexts(const List& list)
{
  for (int i = 0; i < list.Count(); ++i)
    PrefetchText(list.Strings(i));
}

void AheadOf(const TStringList<TEntity, true>& entities, int i, int distance)
{
  const TEntity& e = *entities[i];
  switch (distance) {
  case 3:
    PrefetchText(entities.Strings(i));
    PrefetchText(e.EntityName());
    PrefetchText(e.TableName());
    PrefetchText(e.EditFormCaption);
    PrefetchText(e.MenuGroup);
    Prefetch(e.Description.constData());
    Prefetch(e.ParentRelations().data());
    Prefetch(e.ChildRelations().data());
    PrefetchEntries(e.PrimaryKey);
    PrefetchEntries(e.Attributes);
    PrefetchEntries(e.Indexes);
    break;
  case 2:
    PrefetchTexts(e.Description);
    PrefetchObjects(e.PrimaryKey);
    PrefetchObjects(e.Attributes);
    PrefetchObjects(e.Indexes);
    PrefetchEntryTexts(e.PrimaryKey);
    PrefetchEntryTexts(e.Attributes);
    PrefetchEntryTexts(e.Indexes);
    break;
  default:
    PrefetchAllFields(e.PrimaryKey);
    PrefetchAllFields(e.Attributes);
    for (const TIndex* index : e.Indexes) {
      PrefetchText(index->Name());
      PrefetchEntries(index->Columns);
    }
    break;
  }
}

void AheadOf(const TStringList<TRelation, true>& relations, int i, int distance)
{
  const TRelation& r = *relations[i];
  switch (distance) {
  case 3:
    PrefetchText(relations.Strings(i));
    PrefetchText(r.RelationName());
    PrefetchText(r.NameLabel.Name);
    PrefetchText(r.NameLabel.Caption());
    PrefetchText(r.InverseNameLabel.Name);
    PrefetchText(r.InverseNameLabel.Caption());
    Prefetch(r.Description.constData());
    PrefetchEntries(r.MigratedAttributes);
    break;
  case 2:
    PrefetchTexts(r.Description);
    PrefetchEntryTexts(r.MigratedAttributes);
    break;
  default:
    break;
  }
}

// The object four places ahead, then what the nearer ones hold.
template <typename List>
void Ahead(const List& list, int i)
{
  if (i >= 4)
    PrefetchObject(list[i - 4]);
  for (int distance = 3; distance >= 1; --distance)
    if (i - distance >= 0)
      AheadOf(list, i - distance, distance);
}

// What showing or suspending the relation reads (a new size of one of its
// boxes releases it).
template <typename Fetch>
void SuspendAhead(const TRelation& r, Fetch fetch)
{
  fetch(&r.Parent);
  fetch(&r.Suspended());
  fetch(&r.Sequence());
  for (const TRelationSegment& s : r.Segments)
    fetch(&s.Visible);
}

template <typename Fetch>
void LayoutStage(const TEntity& e, int distance, Fetch fetch)
{
  constexpr int kMemos = 2;
  switch (distance) {
  case 4:
    PrefetchObject(&e, fetch);
    break;
  case 3:
    PrefetchEntries(e.PrimaryKey, fetch);
    PrefetchEntries(e.Attributes, fetch);
    for (int m = 0; m < kMemos; ++m)
      fetch(e.RememberedLines(m).data());
    fetch(e.ParentRelations().data());
    fetch(e.ChildRelations().data());
    break;
  case 2:
    // What a memo compares: the name and the foreign-key flag.
    for (const TAttributeList* list : {&e.PrimaryKey, &e.Attributes})
      for (const TAttribute* a : *list) {
        fetch(&a->Name);
        fetch(&a->ForeignKey);
      }
    break;
  default:
    for (int m = 0; m < kMemos; ++m) {
      const std::vector<TEntity::TLayoutLine>& lines = e.RememberedLines(m);
      for (size_t i = 2; i < lines.size(); i += 2)
        fetch(&lines[i]);
    }
    // A new size releases the relations of the box.
    for (const std::vector<TRelation*>* relations : {&e.ParentRelations(), &e.ChildRelations()})
      for (const TRelation* r : *relations)
        SuspendAhead(*r, fetch);
    // The texts are read only where no memo holds widths to compare with.
    if (e.RememberedLines(0).empty() && e.RememberedLines(1).empty()) {
      PrefetchText(e.EntityName(), fetch);
      for (const TAttributeList* list : {&e.PrimaryKey, &e.Attributes})
        for (const TAttribute* a : *list)
          PrefetchText(a->Name, fetch);
    }
    break;
  }
}

}  // namespace

void LayoutAhead(const TEntity& entity, int distance)
{
  LayoutStage(entity, distance, TPrefetch());
}

void LayoutAheadInto(const TEntity& entity, int distance, const std::function<void(const void*)>& fetch)
{
  LayoutStage(entity, distance, std::cref(fetch));
}

void ZoomAhead(const TStringList<TEntity, true>& entities, int i)
{
  if (i + 4 < entities.Count())
    Prefetch(&entities[i + 4]->Left);
}

void ZoomAhead(const TStringList<TRelation, true>& relations, int i)
{
  if (i + 3 < relations.Count())
    PrefetchObject(relations[i + 3]);
}

void IndexAhead(const TStringList<TEntity, true>& entities, int i)
{
  // The bounds that a zoom step moves.
  ZoomAhead(entities, i);
}

void IndexAhead(const TStringList<TRelation, true>& relations, int i)
{
  if (i + 3 >= relations.Count())
    return;
  const TRelation& r = *relations[i + 3];
  for (const TRelationSegment& s : r.Segments)
    Prefetch(&s.Left);
  Prefetch(&r.NameLabel.Left);
  Prefetch(&r.InverseNameLabel.Left);
}

void SelectAhead(const TStringList<TEntity, true>& entities, int i)
{
  if (i + 6 >= entities.Count())
    return;
  const TEntity& e = *entities[i + 6];
  Prefetch(&e.Left);
  Prefetch(&e.Selected());
}

void SelectAhead(const TStringList<TRelation, true>& relations, int i)
{
  if (i + 6 < relations.Count())
    Prefetch(&relations[i + 6]->Selected());
}

void WriteEntityAhead(const TEntity& e, int distance)
{
  switch (distance) {
  case 2:
    PrefetchText(e.EntityName());
    PrefetchEntries(e.PrimaryKey);
    PrefetchEntries(e.Attributes);
    break;
  case 1:
    PrefetchObjects(e.PrimaryKey);
    PrefetchObjects(e.Attributes);
    break;
  default:
    PrefetchAllFields(e.PrimaryKey);
    PrefetchAllFields(e.Attributes);
    break;
  }
}

void WriteOrderAhead(const TEntity& e, int distance)
{
  if (distance > 0) {
    WriteEntityAhead(e, distance);
    return;
  }
  for (const TAttributeList* list : {&e.PrimaryKey, &e.Attributes})
    for (const TAttribute* a : *list)
      PrefetchText(a->Name);
}

void WriteIndexesAhead(const TEntity& e, int distance)
{
  switch (distance) {
  case 2:
    PrefetchEntries(e.Indexes);
    break;
  case 1:
    PrefetchText(e.EntityName());
    PrefetchObjects(e.Indexes);
    break;
  default:
    break;
  }
}

void WriteRelationAhead(const TRelation& r, int distance)
{
  switch (distance) {
  case 2:
    PrefetchText(r.RelationName());
    Prefetch(&r.Parent->EntityName());
    Prefetch(&r.Child->EntityName());
    break;
  case 1:
    PrefetchText(r.Parent->EntityName());
    PrefetchText(r.Child->EntityName());
    break;
  default:
    break;
  }
}

void WriteCarriedAhead(const TRelation& r, int distance)
{
  switch (distance) {
  case 2:
    PrefetchText(r.RelationName());
    PrefetchEntries(r.MigratedAttributes);
    break;
  case 1:
    PrefetchObjects(r.MigratedAttributes);
    PrefetchEntryTexts(r.MigratedAttributes);
    break;
  default:
    PrefetchAllFields(r.MigratedAttributes);
    break;
  }
}

void RouteAhead(const TRelation& relation, int distance)
{
  if (distance == 3) {
    PrefetchObject(&relation);
    return;
  }
  // What routing reads of an entity: its box and whether it is dragged.
  if (const TEntity* entity = distance == 2 ? relation.Parent : relation.Child) {
    Prefetch(&entity->Left);
    Prefetch(&entity->Height);
    Prefetch(&entity->Dragging);
  }
}

void FreeAhead(const TStringList<TEntity, true>& entities, int i)
{
  Ahead(entities, i);
}

void FreeAhead(const TStringList<TRelation, true>& relations, int i)
{
  Ahead(relations, i);
}

}  // namespace veska
