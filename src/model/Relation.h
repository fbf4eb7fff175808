#pragma once
// A relation joins a parent entity to a child entity and carries the parent's
// key into the child as foreign-key copies.

#include "model/Controls.h"
#include "model/Objects.h"

#include <QPoint>

#include <array>

namespace veska {

class TEntity;

class TRelation {
public:
  // `diagram` is the diagram the relation will join (used for the name
  // check before it is added).
  explicit TRelation(TDiagram* diagram = nullptr);
  ~TRelation();
  TRelation(const TRelation&) = delete;
  TRelation& operator=(const TRelation&) = delete;

  TDiagram* Diagram() const { return FDiagram; }

  const QString& RelationName() const { return FRelationName; }
  // Renames; refuses a name another relation has; "/" splits the name into
  // the texts of the two name labels.
  void SetRelationName(const QString& name);
  void AssignRelationName(const QString& name);

  TTextLabel NameLabel;
  TTextLabel InverseNameLabel;

  bool Visible() const { return FVisible; }
  void SetVisible(bool value);
  const bool& Selected() const { return FSelected; }
  void SetSelected(bool value);
  // Selected, Suspended and Sequence hand out references, so that a walk
  // over many relations can ask for their memory ahead.
  const bool& Suspended() const { return FSuspended; }
  void SetSuspended(bool value);

  TEntity* Parent = nullptr;
  TEntity* Child = nullptr;
  // Text: the parent key attribute's name; object: its copy in the child.
  TAttributeRefs MigratedAttributes;
  TRelationCardinality Cardinality = 0;

  bool PrimaryRelation() const { return FPrimaryRelation; }
  // Moves the copies between the child's key and non-key attributes; refuses
  // to close a cycle of primary relations.
  void SetPrimaryRelation(bool value);
  // Sets the flag before the relation joins the diagram.
  void InitPrimaryRelation(bool value) { FPrimaryRelation = value; }

  QPoint ParentPoint;
  QPoint MidPoint;
  QPoint ChildPoint;
  // The three points at 100% zoom.
  std::array<TZoomHome, 3> PointHomes;
  int RouteShape = 0;
  bool LabelAutoPlace = true;
  std::array<TRelationSegment, 3> Segments;
  QStringList Description;

  void ResetLabel();
  // Routes the relation again (through the diagram) unless hidden or
  // suspended.
  void Reroute();

  // The child list that holds the copies: the key for a primary relation.
  TAttributeList& ChildList() const;

  // Position in the diagram's relation list order; kept by the diagram.
  const quint64& Sequence() const { return FSequence; }

private:
  friend class TDiagram;
  void ShowSegments(bool show);

  TDiagram* FDiagram = nullptr;
  QString FRelationName;
  bool FVisible = true;
  bool FSelected = false;
  bool FSuspended = false;
  bool FPrimaryRelation = false;
  quint64 FSequence = 0;
};

}  // namespace veska
