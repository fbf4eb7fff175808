#pragma once
// Arrange: lays out the diagram's entity boxes automatically through
// Graphviz. Related entities come near each other, parents above their
// children, boxes and relation name labels apart; relations then route
// themselves along the program's own orthogonal lines.

namespace veska {

class TDrawingSurface;
class TProgress;

// Models with more entities than this to arrange are laid out by the
// force-directed engine: the layered one takes too long beyond it.
constexpr int kLayeredLayoutLimit = 1500;

struct TArrangeResult {
  // Entities handed to the layout, and those of them that changed place.
  int Arranged = 0;
  int Moved = 0;
  // Free text labels moved off an arranged box.
  int LabelsMoved = 0;
  // The layered layout was used (parents above children, relation name
  // labels in the free bands between the rows).
  bool Layered = false;
};

struct TArrangeOptions {
  // The most entities laid out in layers; more go to the force-directed
  // engine.
  int LayeredLimit = kLayeredLayoutLimit;
  // Shows that the layout runs (it cannot say how far it has come): the
  // layout then runs on a thread of its own while this thread steps the
  // progress, so that the windows keep repainting. The surface must not
  // change meanwhile, which a progress that holds the user's input back
  // ensures.
  TProgress* Progress = nullptr;
};

// Lays out every visible entity, or only the visible selected ones when
// `selectedOnly` (the others stay where they are and the arranged group is
// put where it overlaps none of them). The surface grows to hold the result.
// Relations with an arranged end are routed again; the name labels of those
// with both ends arranged go back to automatic placement.
TArrangeResult ArrangeDiagram(TDrawingSurface& surface, bool selectedOnly, const TArrangeOptions& options = {});

}  // namespace veska
