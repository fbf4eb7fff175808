#pragma once
// A check of the links between the model's objects: the references that are
// not ownership (relations to entities, entities to their relations, relation
// entries to the copies in the child, index columns to attributes) and the
// entry texts of the name-keyed lists. A broken link here is a dangling
// pointer or a lookup that finds the wrong object, so tests run it after
// every case and the reader's fuzz target after every load.

#include <QStringList>

namespace veska {

class TDiagram;

// One line per problem found, in model order; empty when every link holds.
// Never follows a reference before it has been found among the live objects.
QStringList CheckIntegrity(const TDiagram& diagram);

}  // namespace veska
