#pragma once
// Reading a model's memory ahead of the walks over all of it. Writing,
// laying out, zooming and clearing a large diagram visit every entity,
// relation and attribute, whose objects and texts lie scattered over the
// heap; one by one, each of those waits on memory. The walks ask for the
// memory of the objects a few places ahead of the one at hand, in stages (an
// object several places ahead, what it holds nearer, and so on), each stage
// reading only what an earlier one asked for, so that by its turn an object's
// memory is at hand. Every rule of what to ask for, and when, is here; the
// walks only call them (`platform/Prefetch.h` is the processor's side).

#include "model/StringList.h"
#include "platform/Prefetch.h"

#include <functional>

namespace veska {

class TAttribute;
class TEntity;
class TRelation;

// Calls `stage(object, distance)` for the objects 1 to `farthest` places
// after position `i` of `list`, the farthest first: the walks below ask for
// the memory of those ahead of the one at hand, each stage reading only what
// an earlier one asked for.
template <typename List, typename Stage>
void StagesAfter(const List& list, int i, int farthest, Stage stage)
{
  for (int distance = farthest; distance >= 1; --distance)
    if (i + distance < list.Count())
      stage(*list[i + distance], distance);
}

// ---- Clearing ---------------------------------------------------------------------

// Called just before entry `i` goes while the list is cleared (from the last
// entry to the first): asks for what freeing the entries before it touches.
void FreeAhead(const TStringList<TEntity, true>& entities, int i);
void FreeAhead(const TStringList<TRelation, true>& relations, int i);

// ---- Laying out and routing -------------------------------------------------------

// What a layout of the box reads, in stages: the entity itself at the
// farthest `distance` (4), the lists it holds at 3, what a layout compares
// of their attributes at 2 and, at 1, the remembered lines, the relations a
// new size releases and the texts a first layout measures. Laying out every
// box calls it for the boxes ahead of the one at hand.
void LayoutAhead(const TEntity& entity, int distance);
// The same stage, handing every address to `fetch` instead of asking for it.
void LayoutAheadInto(const TEntity& entity, int distance, const std::function<void(const void*)>& fetch);

// Called for the relations ahead of the one being routed: the relation
// itself at the farthest `distance` (3), the boxes of its two entities nearer.
void RouteAhead(const TRelation& relation, int distance);

// A zoom step moves every box and then steps every relation's points. Called
// before entry `i` of the walk: asks for the position of the box four places
// ahead, for the whole relation three places ahead.
void ZoomAhead(const TStringList<TEntity, true>& entities, int i);
void ZoomAhead(const TStringList<TRelation, true>& relations, int i);

// Building the spatial index reads the bounds of every control. Called
// before entry `i` of the walk: asks for the bounds of the box four places
// ahead, of a relation's segments and name labels three places ahead.
void IndexAhead(const TStringList<TEntity, true>& entities, int i);
void IndexAhead(const TStringList<TRelation, true>& relations, int i);

// Selecting or deselecting every box reads its flag and changes its pen
// colour and, when it changes, asks for its repaint from its bounds; a
// relation's flag is read too. Called before entry `i` of the walk.
void SelectAhead(const TStringList<TEntity, true>& entities, int i);
void SelectAhead(const TStringList<TRelation, true>& relations, int i);

// ---- Writing ----------------------------------------------------------------------

// Calls `write` for each object of `list` in order, after asking for the
// object three places ahead and calling `stage` for the objects 2 and 1
// places ahead and then (`distance` 0) for the one it writes. The stages
// below ask, at 2, for what the object holds; at 1, for the objects in that;
// at 0, for their texts.
template <typename List, typename Stage, typename Write>
void WalkAhead(const List& list, Stage stage, Write write)
{
  const int n = list.Count();
  for (int i = 0; i < n; ++i) {
    if (i + 3 < n)
      PrefetchObject(list[i + 3]);
    StagesAfter(list, i, 2, stage);
    stage(*list[i], 0);
    write(*list[i]);
  }
}

// An entity's item with its own attributes' records.
void WriteEntityAhead(const TEntity& entity, int distance);
// A relation's item: its name and the names of its two entities.
void WriteRelationAhead(const TRelation& relation, int distance);
// The copies a relation carried, each under its parent's name with its record.
void WriteCarriedAhead(const TRelation& relation, int distance);
// An entity's name and the names of its attributes in list order.
void WriteOrderAhead(const TEntity& entity, int distance);
// An entity's name and its indexes.
void WriteIndexesAhead(const TEntity& entity, int distance);

}  // namespace veska
