#include "model/Diagram.h"

#include "model/Identifiers.h"
#include "model/ReadAhead.h"
#include "model/Rounding.h"

#include <QSet>

#include <algorithm>
#include <deque>

namespace veska {

TDiagram::TDiagram(TMessageService& messages, const TTextMeasurer& measurer)
    : FMessages(messages), FMeasurer(measurer)
{
  Font.setFamily(QStringLiteral("Arial"));
  Font.setPointSize(8);
}

TDiagram::~TDiagram() = default;

int TDiagram::ZoomedFontSize() const
{
  return RoundHalfEven(Font.pointSize() * ZoomFactor);
}

QFont TDiagram::ZoomedFontOf(const QFont& base) const
{
  const int size = qMax(1, RoundHalfEven(base.pointSize() * ZoomFactor));
  TZoomedFont& c = FZoomedFont;
  if (c.Size != size || !(c.Base == base) || c.Base.resolveMask() != base.resolveMask()) {
    c.Base = base;
    c.Size = size;
    c.Zoomed = base;
    c.Zoomed.setPointSize(size);
  }
  return c.Zoomed;
}

QString TDiagram::DefaultName(const QString& prefix, int counter) const
{
  return prefix + QString::number(counter) + QLatin1Char('_') + Revision;
}

void TDiagram::Invalidate(const QRect& rect) const
{
  OnInvalidate(rect);
}

// ---- Taking objects in ---------------------------------------------------------

TDomain* TDiagram::AddDomain(std::unique_ptr<TDomain> domain)
{
  if (domain->Name.isEmpty())
    domain->Name = DefaultName(QStringLiteral("Domain"), DomainCounter);
  TDomain* raw = domain.get();
  Domains.Add(raw->Name, std::move(domain));
  ++DomainCounter;
  return raw;
}

TEntity* TDiagram::AddEntity(std::unique_ptr<TEntity> entity)
{
  TEntity* e = entity.get();
  ControlsChanged();
  e->SetDiagram(this);
  e->Font = Font;
  if (e->EntityName().isEmpty()) {
    const QString name = DefaultName(QStringLiteral("Entity"), EntityCounter);
    e->AssignEntityName(name);
    e->SetTableName(name);
    e->EditFormCaption = QStringLiteral("Maintain ") + name;
    e->MenuGroup = QStringLiteral("&File");
  }
  Entities.Add(e->EntityName(), std::move(entity));
  ++EntityCounter;
  EntityView.append(e->EntityName());
  e->ZOrder = NextZOrder();
  e->NeedsLayout = true;
  e->Repaint();
  return e;
}

TRelation* TDiagram::AddRelation(std::unique_ptr<TRelation> relation, bool reuse)
{
  TRelation* r = relation.get();
  if (!r->Parent || !r->Child)
    throw TModelError("A relation needs a parent and a child entity.");
  if (r->PrimaryRelation() && !CanBePrimary(r->Parent, r->Child))
    throw TModelError("This cannot be a Primary Relation.");

  ControlsChanged();
  r->FDiagram = this;
  const QFont labelFont = ZoomedFont();
  for (TTextLabel* label : {&r->NameLabel, &r->InverseNameLabel}) {
    label->SetDiagram(this);
    label->Visible = RelationLabelVisible && r->Visible();
    label->ZOrder = NextZOrder();
    label->SetFont(labelFont);
  }
  for (TRelationSegment& s : r->Segments) {
    s.SetDiagram(this);
    s.ZOrder = NextZOrder();
  }
  if (r->RelationName().isEmpty())
    r->AssignRelationName(DefaultName(QStringLiteral("Relation"), RelationCounter));
  r->FSequence = ++FRelationSequence;
  Relations.Add(r->RelationName(), std::move(relation));
  ++RelationCounter;
  r->Parent->FParentOf.push_back(r);
  r->Child->FChildOf.push_back(r);

  // Carry the parent's key into the child.
  TEntity* child = r->Child;
  const bool primary = r->PrimaryRelation();
  const int keyCount = r->Parent->PrimaryKey.Count();
  r->MigratedAttributes.Reserve(r->MigratedAttributes.Count() + keyCount);
  if (!reuse)
    r->ChildList().MakeRoomFor(keyCount);
  for (int k = 0; k < keyCount; ++k) {
    const TAttribute* key = r->Parent->PrimaryKey.Objects(k);
    TAttributeList& list = r->ChildList();
    TAttribute* copy = nullptr;
    if (reuse) {
      const int i = list.IndexOf(key->Name);
      if (i >= 0 && !list.Objects(i)->ForeignKey) {
        copy = list.Objects(i);
        child->ChangeAttributeDataType(primary, i, key->DataType);
        child->ChangeAttributeWidth(primary, i, key->Width);
      }
    }
    if (!copy) {
      auto made = key->CarriedCopy();
      copy = made.get();
      if (primary)
        child->AddKeyAttribute(std::move(made));
      else
        child->AddAttribute(std::move(made));
    }
    copy->ForeignKey = true;
    r->MigratedAttributes.Add(key->Name, copy);
  }
  if (!Updating()) {
    child->ComputeLayout();
    // The copies changed the child's lines even where its size stayed.
    Invalidate(child->BoundsRect());
  }
  return r;
}

TTextLabel* TDiagram::AddLabel(std::unique_ptr<TTextLabel> label)
{
  TTextLabel* l = label.get();
  ControlsChanged();
  l->SetDiagram(this);
  l->Name = DefaultName(QStringLiteral("Label"), LabelCounter);
  l->ZOrder = NextZOrder();
  l->SetFont(ZoomedFont());
  Labels.Add(l->Name, std::move(label));
  ++LabelCounter;
  return l;
}

TServerProc* TDiagram::AddServerProc(std::unique_ptr<TServerProc> proc)
{
  if (proc->Name.isEmpty())
    proc->Name = DefaultName(QStringLiteral("ServerProc"), ServerProcCounter);
  TServerProc* raw = proc.get();
  ServerProcs.Add(raw->Name, std::move(proc));
  ++ServerProcCounter;
  return raw;
}

// ---- Renaming ---------------------------------------------------------------------

void TDiagram::RenameDomain(int pos, const QString& name)
{
  TDomain* d = Domains.Objects(pos);
  d->Name = name;
  Domains.SetString(pos, d->Name);
}

void TDiagram::RenameEntity(int pos, const QString& name)
{
  TEntity* e = Entities.Objects(pos);
  const QString before = e->EntityName();
  e->SetEntityName(name);
  Entities.SetString(pos, e->EntityName());
  // The new name joins the view; the old one stays in it.
  if (e->EntityName() != before)
    EntityView.append(e->EntityName());
  e->Repaint();
}

void TDiagram::RenameRelation(int pos, const QString& name)
{
  TRelation* r = Relations.Objects(pos);
  r->SetRelationName(name);
  Relations.SetString(pos, r->RelationName());
}

void TDiagram::RenameLabel(int pos, const QString& name)
{
  Labels.SetString(pos, name);
}

void TDiagram::RenameServerProc(int pos, const QString& name)
{
  TServerProc* p = ServerProcs.Objects(pos);
  p->Name = name;
  ServerProcs.SetString(pos, p->Name);
}

// ---- Deleting ---------------------------------------------------------------------

void TDiagram::DeleteDomain(int pos)
{
  Removing(Domains.Objects(pos));
  Domains.Delete(pos);
}

void TDiagram::DeleteLabel(int pos)
{
  const QRect area = Labels.Objects(pos)->BoundsRect();
  ControlRemoving(*Labels.Objects(pos));
  Removing(Labels.Objects(pos));
  Labels.Delete(pos);
  Invalidate(area);
}

void TDiagram::DeleteServerProc(int pos)
{
  Removing(ServerProcs.Objects(pos));
  ServerProcs.Delete(pos);
}

namespace {
bool LaterFirst(const TRelation* a, const TRelation* b)
{
  return a->Sequence() > b->Sequence();
}
}  // namespace

void TDiagram::DeleteEntity(int pos)
{
  TEntity* e = Entities.Objects(pos);
  // Every relation at either end goes first, from the last to the first.
  std::vector<TRelation*> relations = e->FParentOf;
  for (TRelation* r : e->FChildOf)
    if (r->Parent != e)
      relations.push_back(r);
  std::sort(relations.begin(), relations.end(), LaterFirst);
  for (TRelation* r : relations)
    DeleteRelation(RelationIndex(r));
  const QRect area = e->BoundsRect();
  ControlRemoving(*e);
  Removing(e);
  Entities.Delete(pos < Entities.Count() && Entities.Objects(pos) == e ? pos : Entities.IndexOfObject(e));
  Invalidate(area);
}

int TDiagram::RelationIndex(const TRelation* relation) const
{
  // A relation joins the list at its end with the next sequence number and
  // the list keeps its order, so a search by halves finds it.
  int low = 0;
  int high = Relations.Count() - 1;
  while (low <= high) {
    const int mid = low + (high - low) / 2;
    const TRelation* at = Relations.Objects(mid);
    if (at == relation)
      return mid;
    if (at->Sequence() < relation->Sequence())
      low = mid + 1;
    else
      high = mid - 1;
  }
  // Not where its sequence puts it: a relation of another diagram, or the
  // order was broken; the walk over the list has the last word.
  return Relations.IndexOfObject(relation);
}

void TDiagram::DeleteRelation(int pos)
{
  TRelation* r = Relations.Objects(pos);
  for (const TRelationSegment& s : r->Segments)
    ControlRemoving(s);
  ControlRemoving(r->NameLabel);
  ControlRemoving(r->InverseNameLabel);
  Removing(r);
  TEntity* child = r->Child;
  for (int i = r->MigratedAttributes.Count() - 1; i >= 0; --i) {
    TAttribute* copy = r->MigratedAttributes.Objects(i);
    const int p = r->ChildList().IndexOfObject(copy);
    std::unique_ptr<TAttribute> owned;
    if (p >= 0)
      owned = r->PrimaryRelation() ? child->RemoveKeyAttribute(p) : child->RemoveAttribute(p);
    r->MigratedAttributes.Delete(i);
  }
  child->NeedsLayout = true;
  RemoveRelationLinks(r);
  for (const TRelationSegment& s : r->Segments)
    Invalidate(s.BoundsRect());
  Invalidate(r->NameLabel.BoundsRect());
  Invalidate(r->InverseNameLabel.BoundsRect());
  Relations.Delete(pos < Relations.Count() && Relations.Objects(pos) == r ? pos : RelationIndex(r));
  child->Repaint();
}

void TDiagram::RemoveRelationLinks(TRelation* relation)
{
  auto drop = [relation](std::vector<TRelation*>& v) {
    v.erase(std::remove(v.begin(), v.end(), relation), v.end());
  };
  drop(relation->Parent->FParentOf);
  drop(relation->Child->FChildOf);
}

void TDiagram::Clear()
{
  // Deleting every entity with its relations one by one leaves the same
  // empty model as dropping the lists; relations go before the entities
  // whose attributes they refer to. A large model's objects lie scattered
  // over the heap, so freeing reads ahead of the object it frees.
  ControlsChanged();
  Removing(nullptr);
  Relations.ClearWith([this](int i) { FreeAhead(Relations, i); });
  Entities.ClearWith([this](int i) { FreeAhead(Entities, i); });
  Domains.Clear();
  Labels.Clear();
  ServerProcs.Clear();
  ControlsChanged();
  DomainCounter = EntityCounter = RelationCounter = LabelCounter = ServerProcCounter = 1;
  Revision = QStringLiteral("0");
  Invalidate(QRect());
}

// ---- Keys -------------------------------------------------------------------------

bool TDiagram::CanBePrimary(const TEntity* parent, const TEntity* child) const
{
  if (parent == child)
    return false;
  // The parent must not be reachable from the child along primary relations.
  // Two searches take turns, one down from the child and one up from the
  // parent, and stop when they meet or when either has seen all it can
  // reach; so the cost follows the smaller side, and a chain grows by one
  // relation at either end at constant cost, whatever the order in which
  // its relations arrive (loading a long chain).
  struct TSearch {
    std::deque<const TEntity*> Queue;
    QSet<const TEntity*> Seen;
    bool Down;
  };
  TSearch down{{child}, {child}, true};
  TSearch up{{parent}, {parent}, false};
  // Expands one entity; true when the two searches meet.
  auto step = [](TSearch& self, const TSearch& other) {
    const TEntity* e = self.Queue.front();
    self.Queue.pop_front();
    for (const TRelation* r : self.Down ? e->FParentOf : e->FChildOf) {
      if (!r->PrimaryRelation())
        continue;
      const TEntity* next = self.Down ? r->Child : r->Parent;
      if (other.Seen.contains(next))
        return true;
      if (!self.Seen.contains(next)) {
        self.Seen.insert(next);
        self.Queue.push_back(next);
      }
    }
    return false;
  };
  while (!down.Queue.empty() && !up.Queue.empty())
    if (step(down, up) || (!up.Queue.empty() && step(up, down)))
      return false;
  return true;
}

void TDiagram::ReleaseRelationsOf(TEntity* entity)
{
  std::vector<TRelation*> relations = entity->FParentOf;
  for (TRelation* r : entity->FChildOf)
    if (r->Parent != entity)
      relations.push_back(r);
  std::sort(relations.begin(), relations.end(),
            [](const TRelation* a, const TRelation* b) { return a->Sequence() < b->Sequence(); });
  for (TRelation* r : relations)
    r->SetSuspended(false);
}

// ---- Layout -----------------------------------------------------------------------

void TDiagram::EndUpdate(const TLayoutStep& step)
{
  if (FUpdateCount > 0 && --FUpdateCount == 0)
    LayoutAll(step);
}

void TDiagram::LayoutAll(const TLayoutStep& step)
{
  const qint64 count = qint64(Entities.Count()) + Relations.Count();
  // A step every so many objects keeps the progress's own cost out of the
  // loops.
  constexpr qint64 kStepEvery = 256;
  qint64 done = 0;
  const auto advance = [&] {
    if (step && ++done % kStepEvery == 0)
      step(done, count);
  };
  // Every size first, so that no relation is routed between boxes of which
  // one still has its old size.
  // Both walks reach objects made long before (a load lays out only after
  // reading the whole file), so they ask for the memory of those ahead.
  ++FUpdateCount;
  const int entities = Entities.Count();
  for (int i = 0; i < entities; ++i) {
    StagesAfter(Entities, i, 4, LayoutAhead);
    TEntity* e = Entities[i];
    if (e->Visible && !e->Dragging)
      e->ComputeLayout();
    advance();
  }
  --FUpdateCount;
  const int relations = Relations.Count();
  for (int i = 0; i < relations; ++i) {
    StagesAfter(Relations, i, 3, RouteAhead);
    TRelation* r = Relations[i];
    if (r->Visible() && !r->Suspended())
      RouteRelation(*r);
    advance();
  }
  if (step)
    step(count, count);
  Invalidate(QRect());
}

}  // namespace veska
