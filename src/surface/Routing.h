#pragma once
// Relation routing: the three-piece orthogonal line between a parent and a
// child entity, its cardinality symbol, and the places of its name labels.

#include "model/Relation.h"

#include <QPoint>

namespace veska {

struct TRoute {
  // 1 parent above child, 2 child above parent, 3 parent left of child,
  // 4 child left of parent, 5 the boxes overlap (no line).
  int Shape = 5;
  QPoint P1, P2, P3, P4;
  // The stored points after clamping and the choice of the middle piece.
  QPoint A, M, C;
};

// The route that the relation would take with the drag offset applied to
// whatever is being dragged (entities at either end, or one segment). Changes
// nothing.
TRoute ComputeRoute(const TRelation& relation, QPoint offset);

// Computes the route and applies it: end symbol, orientation and placement of
// the segments, the stored free coordinates, and (when placed automatically)
// the two name labels.
void Route(TRelation& relation, QPoint offset);

// One zoom step: the stored points and label positions placed from their
// homes at 100% (see TZoomHome), the labels in the diagram font at the
// zoomed size, then routed again.
void StepRelationZoom(TRelation& relation, int oldSize, int newSize, int base);
// After the step's routing: the points and labels where routing put them.
void SettleRelationZoom(TRelation& relation, int newSize, int base);

// The symbol the child-side segment carries for a cardinality in a shape.
int ChildEndSymbol(int cardinality, int shape, int current);

}  // namespace veska
