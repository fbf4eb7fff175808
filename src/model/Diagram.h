#pragma once
// The whole model of one diagram: five name-keyed lists that own their
// objects, the list of entity names in view, the creation counters and the
// revision. The drawing surface builds on it.

#include "model/Entity.h"
#include "model/Listeners.h"
#include "model/Objects.h"
#include "model/Relation.h"
#include "model/StringList.h"

#include "platform/MessageService.h"
#include "platform/TextMeasurer.h"

#include <QFont>
#include <QRect>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>

namespace veska {

// Raised when an operation would break the model's rules (for example a
// primary relation that closes a cycle).
class TModelError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

class TDiagram {
public:
  TDiagram(TMessageService& messages, const TTextMeasurer& measurer);
  virtual ~TDiagram();
  TDiagram(const TDiagram&) = delete;
  TDiagram& operator=(const TDiagram&) = delete;

  TMessageService& Messages() const { return FMessages; }
  const TTextMeasurer& Measurer() const { return FMeasurer; }

  // The model. Lists are declared in the reverse of the order in which they
  // are freed.
  TStringList<TDomain, true> Domains;
  TStringList<TEntity, true> Entities;
  TStringList<TRelation, true> Relations;
  TStringList<TTextLabel, true> Labels;
  TStringList<TServerProc, true> ServerProcs;
  QStringList EntityView;

  int DomainCounter = 1;
  int EntityCounter = 1;
  int RelationCounter = 1;
  int LabelCounter = 1;
  int ServerProcCounter = 1;
  QString Revision;

  // The diagram font at its base size; labels show it at the zoomed size.
  QFont Font;
  double ZoomFactor = 1.0;
  TEntityDisplayMode EntityDisplayMode = emAttributes;
  bool RelationLabelVisible = true;

  // The base font size times the zoom, rounded half to even.
  int ZoomedFontSize() const;
  QFont ZoomedFont() const { return ZoomedFontOf(Font); }
  // `base` at the zoomed size (its point size times the zoom, at least 1).
  // The last answer is remembered and handed out again while base and zoom
  // stay: the boxes and labels laid out one after another then share one
  // font object, which the text measurer recognises without comparing
  // fonts field by field.
  QFont ZoomedFontOf(const QFont& base) const;

  // Taking objects in. Each appends under the object's name (a default name
  // when it has none) and raises the kind's counter.
  TDomain* AddDomain(std::unique_ptr<TDomain> domain);
  TEntity* AddEntity(std::unique_ptr<TEntity> entity);
  // Carries the parent's key into the child; `reuse` takes over child
  // attributes of the same name that are not copies. Throws TModelError for
  // a primary relation that would close a cycle (nothing is added then).
  TRelation* AddRelation(std::unique_ptr<TRelation> relation, bool reuse);
  TTextLabel* AddLabel(std::unique_ptr<TTextLabel> label);
  TServerProc* AddServerProc(std::unique_ptr<TServerProc> proc);

  void RenameDomain(int pos, const QString& name);
  void RenameEntity(int pos, const QString& name);
  void RenameRelation(int pos, const QString& name);
  void RenameLabel(int pos, const QString& name);
  void RenameServerProc(int pos, const QString& name);

  void DeleteDomain(int pos);
  virtual void DeleteEntity(int pos);
  void DeleteRelation(int pos);
  // The position of a relation of this diagram in `Relations`, found by its
  // sequence (the list is in that order); -1 when it is not in the list.
  int RelationIndex(const TRelation* relation) const;
  void DeleteLabel(int pos);
  void DeleteServerProc(int pos);

  // Empties the model and sets the counters to 1 and the revision to "0";
  // the entity view stays.
  virtual void Clear();

  // TRUE when a primary relation from parent to child would not close a
  // cycle of primary relations.
  bool CanBePrimary(const TEntity* parent, const TEntity* child) const;

  // The default name of a new object of a kind: prefix + counter + "_" +
  // revision.
  QString DefaultName(const QString& prefix, int counter) const;

  // Places a relation's segments and labels from its points and its
  // entities' boxes. The drawing surface routes; the plain model has no
  // geometry to compute.
  virtual void RouteRelation(TRelation& relation) = 0;

  // Routes every relation whose parent or child is the entity again (its size
  // changed), in the order of the relation list.
  void ReleaseRelationsOf(TEntity* entity);

  // While updates are held, entities are not laid out and relations not
  // routed; EndUpdate lays out every entity and routes every relation once,
  // with the final sizes.
  // `step(done, count)`, when given, is told how far laying out and routing
  // have come (entities, then relations), for a progress display.
  using TLayoutStep = std::function<void(qint64 done, qint64 count)>;
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate(const TLayoutStep& step = {});
  bool Updating() const { return FUpdateCount > 0; }

  // Lays out every visible entity and routes every shown relation.
  void LayoutAll(const TLayoutStep& step = {});

  // Called with the area of a control that must be drawn again (diagram
  // coordinates; an empty rectangle means everything). The desktop view
  // listens to it.
  TListeners<const QRect&> OnInvalidate;
  void Invalidate(const QRect& rect) const;

  // Called with a domain, entity, relation, text label or process just
  // before the model lets go of it, and with nullptr before everything goes
  // (Clear). Windows that keep references to model objects forget them here.
  TListeners<const void*> OnObjectRemoving;

  // The next stacking number for a control brought to the front.
  quint64 NextZOrder() { return ++FZCounter; }

  // Called by a control of this diagram after its bounds changed.
  virtual void ControlMoved(const TControl& control) {}

protected:
  // Called before objects are taken in, and after the lists were emptied.
  virtual void ControlsChanged() {}
  // Called for each control just before it is let go of: an entity, a text
  // label, a relation's segments and name labels (what looks at the lists
  // must not keep what goes).
  virtual void ControlRemoving(const TControl& control) {}
  void Removing(const void* object) { OnObjectRemoving(object); }
  void RemoveRelationLinks(TRelation* relation);

private:
  TMessageService& FMessages;
  const TTextMeasurer& FMeasurer;
  int FUpdateCount = 0;
  struct TZoomedFont {
    QFont Base;
    int Size = 0;
    QFont Zoomed;
  };
  mutable TZoomedFont FZoomedFont;
  quint64 FZCounter = 0;
  quint64 FRelationSequence = 0;
};

}  // namespace veska
