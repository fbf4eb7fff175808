#pragma once
// What the tests of Arrange share: a generated model of many related
// entities, and the checks that an arranged diagram must pass.

#include "surface/SurfaceFixture.h"

#include <QRandomGenerator>

#include <algorithm>
#include <vector>

namespace veska::test {

// `entities` entities of one to four attributes and `relations` relations
// between them, a fifth of them master-detail ones whose parents are among
// the first tenth of the entities and never children of one (so that keys
// do not pile up along long chains). The same model for the same numbers.
inline void MakeModel(TDrawingSurface& s, int entities, int relations)
{
  QRandomGenerator random(20261210);
  s.BeginUpdate();
  std::vector<TEntity*> made;
  for (int i = 0; i < entities; ++i) {
    TEntity* e = s.AddEntity(std::make_unique<TEntity>());
    e->SetPosition((i % 40) * 30, (i / 40) * 30);
    e->InsertKeyAttribute(0, QStringLiteral("ID"));
    const int attributes = random.bounded(4);
    for (int a = 0; a < attributes; ++a)
      e->InsertAttribute(a, QStringLiteral("FIELD%1").arg(a));
    made.push_back(e);
  }
  const int masters = std::max(1, entities / 10);
  for (int i = 0; i < relations; ++i) {
    const bool primary = i % 5 == 0 && entities > masters;
    int parent = 0;
    int child = 0;
    if (primary) {
      parent = random.bounded(masters);
      child = masters + random.bounded(entities - masters);
    } else {
      parent = random.bounded(entities);
      child = random.bounded(entities - 1);
      child += child >= parent ? 1 : 0;
    }
    s.SetActiveDrawingTool(primary ? dtRelationOneToManyMaster : dtRelationOneToManyForeign);
    s.CreateRelation(made[size_t(parent)], made[size_t(child)]);
  }
  s.EndUpdate();
}

inline QString Describe(const TEntity& e)
{
  return QStringLiteral("%1 at (%2,%3) %4x%5").arg(e.EntityName()).arg(e.Left).arg(e.Top).arg(e.Width).arg(e.Height);
}

// The pairs of visible entity boxes that overlap, sorted by left edge and
// swept; described for the failure message.
inline QStringList OverlappingBoxes(const TDrawingSurface& s)
{
  std::vector<const TEntity*> boxes;
  for (const TEntity* e : s.Entities)
    if (e->Visible)
      boxes.push_back(e);
  std::sort(boxes.begin(), boxes.end(), [](const TEntity* a, const TEntity* b) { return a->Left < b->Left; });
  QStringList found;
  for (size_t i = 0; i < boxes.size(); ++i)
    for (size_t j = i + 1; j < boxes.size() && boxes[j]->Left <= boxes[i]->Left + boxes[i]->Width; ++j)
      if (boxes[i]->BoundsRect().intersects(boxes[j]->BoundsRect()))
        found << Describe(*boxes[i]) + QStringLiteral(" / ") + Describe(*boxes[j]);
  return found;
}

// Relation name labels (shown, with text) and free text labels that lie on
// a visible entity box.
inline QStringList LabelsOnBoxes(const TDrawingSurface& s)
{
  std::vector<const TTextLabel*> labels;
  for (const TRelation* r : s.Relations)
    if (r->Visible())
      for (const TTextLabel* l : {&r->NameLabel, &r->InverseNameLabel})
        if (!l->Caption().isEmpty())
          labels.push_back(l);
  for (const TTextLabel* l : s.Labels)
    if (l->Visible)
      labels.push_back(l);
  QStringList found;
  for (const TEntity* e : s.Entities) {
    if (!e->Visible)
      continue;
    for (const TTextLabel* l : labels)
      if (l->BoundsRect().intersects(e->BoundsRect()))
        found << QStringLiteral("\"%1\" at (%2,%3) on ").arg(l->Caption()).arg(l->Left).arg(l->Top) + Describe(*e);
  }
  return found;
}

// Master-detail relations whose parent box does not lie wholly above its child.
inline QStringList ParentsNotAbove(const TDrawingSurface& s)
{
  QStringList found;
  for (const TRelation* r : s.Relations)
    if (r->PrimaryRelation() && r->Parent->Top + r->Parent->Height >= r->Child->Top)
      found << Describe(*r->Parent) + QStringLiteral(" over ") + Describe(*r->Child);
  return found;
}

// Visible boxes or labels that reach beyond the surface.
inline QStringList OutsideTheSurface(const TDrawingSurface& s)
{
  QStringList found;
  const QRect surface(0, 0, s.Width, s.Height);
  for (const TEntity* e : s.Entities)
    if (e->Visible && !surface.contains(e->BoundsRect()))
      found << Describe(*e);
  for (const TTextLabel* l : s.Labels)
    if (l->Visible && !surface.contains(l->BoundsRect()))
      found << l->Caption();
  return found;
}

}  // namespace veska::test
