#pragma once
// Reading a model's memory ahead of the walks over all of it. Writing a
// diagram and clearing one visit every entity, relation and attribute, whose
// objects and texts lie scattered over the heap; one by one, each of those
// waits on memory. The walks ask for the memory of the objects a few places
// ahead of the one at hand, in stages (an object several places ahead, what
// it holds nearer, and so on), each stage reading only what an earlier one
// asked for, so that by its turn an object's memory is at hand.

#include "model/StringList.h"

namespace veska {

class TAttribute;
class TEntity;
class TRelation;

// The blocks of every text of the attribute.
void PrefetchFields(const TAttribute& a);

// Called just before entry `i` goes while the list is cleared (from the last
// entry to the first): asks for what freeing the entries before it touches.
void FreeAhead(const TStringList<TEntity, true>& entities, int i);
void FreeAhead(const TStringList<TRelation, true>& relations, int i);

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

// Reading the sections of a file that list entities or relations in the
// order they were written: after the item of one object, the objects that
// follow it in the list are most likely the next. These ask for what the
// item of an object `distance` (1 to 3) places ahead reads: the farther, the
// earlier stage.
// The lists of attributes of the entity (their entries and texts).
void EntityListsAhead(const TEntity& entity, int distance);
// The copies that the relation carried into its child, and their entries in
// the relation and in the child.
void CarriedAhead(const TRelation& relation, int distance);

// A relation read from a file, `distance` (1 to 4) relations before it joins
// the diagram: its entities, their lists, the parent's key attributes (which
// the relation copies into the child) and their texts, in that order.
void JoinAhead(const TRelation& relation, int distance);

// Called for the relations ahead of the one being routed: the relation
// itself at the farthest `distance` (3), the boxes of its two entities nearer.
void RouteAhead(const TRelation& relation, int distance);

}  // namespace veska
