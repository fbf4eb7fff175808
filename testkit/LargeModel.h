#pragma once
// Large diagrams built through the model's own operations, for the
// benchmarks and the tests that build big models.

#include "surface/DrawingSurface.h"

#include <QStringList>

namespace veska::testkit {

// Sizes of a generated diagram. The default is the reference size; Scaled(k)
// multiplies every count by k.
struct TModelSize {
  int Entities = 5000;
  int Relations = 7500;
  int Labels = 200;
  int Domains = 50;

  static TModelSize ForEntities(int entities);
};

// Answers every question with the first button and remembers the messages,
// so that a generated model that provoked one can be reported.
class TCollectingMessages final : public TMessageService {
public:
  TMsgButton Show(TMsgDlgType type, const QString& text, int buttons) override;
  QStringList Texts;
};

// Fills an empty surface with a model of the given size:
// - entities on a grid over a large surface, each with 2 key and 8 non-key
//   attributes and an index on its key;
// - the entities fall into groups of six joined by a chain of five primary
//   relations (so the head of a group reaches five levels down and the last
//   entity holds the keys of all six); primary relations never leave their
//   group, so they cannot form a cycle and no key arrives twice;
// - the remaining relations are non-primary, between entities chosen by a
//   fixed pseudo-random sequence;
// - cardinalities alternate between "zero or one" and "zero or many";
// - text labels and domains.
// Throws std::runtime_error when the model refused an operation.
void BuildLargeModel(TDrawingSurface& surface, const TModelSize& size);

// Gives every attribute whose column name (its name when it has none)
// another attribute of its entity already has, letter case ignored, the
// column name "NAME_2" (or _3, ...), so that each table's columns are
// distinct. A generated model carries the same key into an entity along
// several relations (a primary chain and a relation from the same group)
// under one name; building it into a database needs the copies apart.
// Returns how many attributes it renamed.
int NameColumnsApart(TDiagram& model);

// Fills an empty surface with one chain of `length` entities joined by
// primary relations; only the head has a key attribute of its own, so every
// entity below holds one copy. The relations join the list from the head
// down, or from the tail up (`bottomUp`), as a diagram built either way
// stores them.
void BuildPrimaryChain(TDrawingSurface& surface, int length, bool bottomUp);

// The entity at the head of the first primary chain (five levels deep).
TEntity* ChainHead(const TDrawingSurface& surface);

// Number of primary relations below `entity`, following primary relations
// from parent to child (the length of the longest path).
int PrimaryDepth(const TEntity* entity);

}  // namespace veska::testkit
