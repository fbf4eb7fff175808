// The mouse on the drawing surface and on the objects that lie on it:
// selection, the rubber band, creating objects with the tools, dragging
// entities, segments and labels, and the events to the main window.

#include "surface/DrawingSurface.h"

#include "model/ReadAhead.h"

#include <algorithm>

namespace veska {

namespace {

const QColor kSelectedColor(255, 0, 0);
const QColor kPlainColor(0, 0, 0);

// A move of `d` along one axis of a group of boxes spanning [low, high],
// stopped where the first box would cross 0 or `limit`. A box that is already
// outside is not pushed back, and a zero move stays zero. In 64 bits: the
// boxes may lie anywhere in the int range.
int LimitAxis(int d, qint64 low, qint64 high, qint64 limit)
{
  if (d < 0)
    return static_cast<int>(qMax<qint64>(d, qMin<qint64>(0, -low)));
  if (d > 0)
    return static_cast<int>(qMin<qint64>(d, qMax<qint64>(0, limit - high)));
  return 0;
}

QPoint ClampedSum(QPoint a, QPoint b)
{
  return QPoint(ClampCoordinate(qint64(a.x()) + b.x()), ClampCoordinate(qint64(a.y()) + b.y()));
}

void SetLabelColor(TTextLabel& label, const QColor& color)
{
  if (label.FontColor != color) {
    label.FontColor = color;
    label.Repaint();
  }
}

QRect RouteArea(const TRoute& route)
{
  if (route.Shape == 5)
    return {};
  const int left = std::min({route.P1.x(), route.P2.x(), route.P3.x(), route.P4.x()});
  const int right = std::max({route.P1.x(), route.P2.x(), route.P3.x(), route.P4.x()});
  const int top = std::min({route.P1.y(), route.P2.y(), route.P3.y(), route.P4.y()});
  const int bottom = std::max({route.P1.y(), route.P2.y(), route.P3.y(), route.P4.y()});
  return QRect(QPoint(left, top), QPoint(right, bottom)).adjusted(-1, -1, 1, 1);
}

// A right press stores the screen point for the pop-up menu and reports the
// object; tells whether the press is a left press, which the caller handles.
template <class TSender>
bool LeftPress(TDrawingSurface& surface, TMouseButton button, QPoint screen,
               const TListeners<TSender&>& event, TSender& sender)
{
  if (button == TMouseButton::Right) {
    surface.MousePositionX = screen.x();
    surface.MousePositionY = screen.y();
    if (event)
      event(sender);
  }
  return button == TMouseButton::Left;
}

// The point of a segment drag in the segment's coordinates, kept on the
// surface.
QPoint SegmentPoint(const TDrawingSurface& surface, const TRelationSegment& segment, QPoint local)
{
  const auto axis = [](qint64 start, int local, int size) {
    return ClampCoordinate(std::clamp<qint64>(start + local, 0, qMax<qint64>(0, size - qint64(1))) - start);
  };
  return QPoint(axis(segment.Left, local.x(), surface.Width), axis(segment.Top, local.y(), surface.Height));
}

void SortByListOrder(std::vector<const TSpatialIndex::TItem*>& items)
{
  std::sort(items.begin(), items.end(),
            [](const TSpatialIndex::TItem* a, const TSpatialIndex::TItem* b) { return a->ListOrder < b->ListOrder; });
}

}  // namespace

// ---- Common steps -------------------------------------------------------------------

void TDrawingSurface::ClearTextLabels()
{
  for (TTextLabel* l : Labels) {
    l->Tag = 0;
    SetLabelColor(*l, kPlainColor);
  }
}

void TDrawingSurface::EndOpenDrag()
{
  // An entity drag whose release never arrived (a command took the mouse
  // away) ends where it began, so that its entities show again.
  if (FEntityDragStarted) {
    FinishEntityDrag(QPoint(0, 0));
    if (MouseState == TMouseState::DraggingEntities)
      MouseState = TMouseState::Idle;
  }
}

void TDrawingSurface::DeselectAll(bool clearLabels)
{
  for (int i = 0; i < Entities.Count(); ++i) {
    SelectAhead(Entities, i);
    Entities[i]->SetSelected(false);
  }
  for (int i = 0; i < Relations.Count(); ++i) {
    SelectAhead(Relations, i);
    Relations[i]->SetSelected(false);
  }
  if (clearLabels)
    ClearTextLabels();
}

QRect TDrawingSurface::DragOutlineArea(QPoint offset, const TRelation* dragged) const
{
  QRect area;
  auto addRelation = [&](const TRelation* r) {
    if (r->Visible() && r->Suspended())
      area = area.united(RouteArea(ComputeRoute(*r, offset)));
  };
  if (dragged)
    addRelation(dragged);
  for (const TEntity* e : Entities) {
    if (!e->Dragging)
      continue;
    area = area.united(e->BoundsRect().translated(offset).adjusted(-1, -1, 1, 1));
    for (const TRelation* r : e->ParentRelations())
      addRelation(r);
    for (const TRelation* r : e->ChildRelations())
      addRelation(r);
  }
  return area;
}

// ---- The surface itself ---------------------------------------------------------------

void TDrawingSurface::SurfaceMouseDown(TMouseButton button, bool shift, QPoint pos, QPoint screen)
{
  if (!LeftPress(*this, button, screen, OnDrawingSurfaceRMBClick, *this))
    return;
  EndOpenDrag();

  DeselectAll(true);
  const TDrawingTool tool = FActiveDrawingTool;
  if (tool == dtEntity) {
    auto made = std::make_unique<TEntity>();
    made->SetPosition(pos.x(), pos.y());
    TEntity* e = AddEntity(std::move(made));
    e->Repaint();
    SetActiveDrawingTool(dtPointer);
    if (OnEntityDblClick)
      OnEntityDblClick(*e);
  } else if (tool == dtLabel) {
    auto made = std::make_unique<TTextLabel>();
    made->Transparent = true;
    made->SetPosition(pos.x(), pos.y());
    TTextLabel* l = AddLabel(std::move(made));
    SetActiveDrawingTool(dtPointer);
    if (OnLabelDblClick)
      OnLabelDblClick(*l);
  } else if (tool == dtPointer) {
    AnchorPoint = pos;
    TrackPoint = pos;
    MouseState = TMouseState::RubberBand;
    Invalidate(QRect(pos, pos).adjusted(-1, -1, 1, 1));
  } else if (IsRelationTool(tool)) {
    Messages().Information(MouseState == TMouseState::PickParent ? QStringLiteral("Please Pick Parent Entity.")
                                                                 : QStringLiteral("Please Pick Child Entity."));
  }
}

void TDrawingSurface::SurfaceMouseMove(bool shift, QPoint pos)
{
  if (MouseState != TMouseState::RubberBand)
    return;
  const QRect before = RubberBand();
  TrackPoint = pos;
  Invalidate(before.united(RubberBand()).adjusted(-1, -1, 1, 1));
}

void TDrawingSurface::SurfaceMouseUp(TMouseButton button, bool shift, QPoint pos)
{
  if (button != TMouseButton::Left || FActiveDrawingTool != dtPointer || MouseState != TMouseState::RubberBand)
    return;
  const QRect before = RubberBand();
  TrackPoint = pos;
  const QRect band = RubberBand();
  MouseState = TMouseState::Idle;
  Invalidate(before.united(band).adjusted(-1, -1, 1, 1));
  // Only entities the user can see are taken: a hidden entity selected here
  // would be deleted by the next DeleteSelected without ever being shown.
  // The index keeps each entity under a rectangle that holds its clamped
  // top left corner; the band is clamped alike so that no entity is missed.
  const QRect clampedBand(QPoint(ClampCoordinate(band.left()), ClampCoordinate(band.top())),
                          QPoint(ClampCoordinate(band.right()), ClampCoordinate(band.bottom())));
  std::vector<const TSpatialIndex::TItem*> candidates;
  Index().Query(clampedBand, candidates);
  SortByListOrder(candidates);
  for (const TSpatialIndex::TItem* c : candidates) {
    if (c->Kind != TSpatialIndex::TKind::Entity)
      continue;
    auto* e = static_cast<TEntity*>(c->Control);
    if (e->Visible && band.contains(QPoint(e->Left, e->Top)))
      e->SetSelected(true);
  }
}

// ---- Entities -------------------------------------------------------------------------

void TDrawingSurface::EntityMouseDown(TEntity& entity, TMouseButton button, bool shift, QPoint local, QPoint screen)
{
  if (!LeftPress(*this, button, screen, OnEntityRMBClick, entity))
    return;

  EndOpenDrag();
  AnchorPoint = local;
  if (!entity.Selected() && !shift) {
    for (TEntity* e : Entities)
      e->SetSelected(false);
  }
  for (TRelation* r : Relations)
    r->SetSelected(false);
  ClearTextLabels();
  entity.SetSelected(true);
  entity.BringToFront();
  if (FActiveDrawingTool == dtPointer && !shift)
    MouseState = TMouseState::DraggingEntities;
}

QPoint TDrawingSurface::LimitedEntityOffset(QPoint offset) const
{
  bool any = false;
  qint64 left = 0, top = 0, right = 0, bottom = 0;
  for (const TEntity* e : Entities) {
    if (!e->Dragging)
      continue;
    if (!any) {
      left = e->Left;
      top = e->Top;
      right = qint64(e->Left) + e->Width;
      bottom = qint64(e->Top) + e->Height;
      any = true;
    } else {
      left = qMin(left, e->Left);
      top = qMin(top, e->Top);
      right = qMax(right, qint64(e->Left) + e->Width);
      bottom = qMax(bottom, qint64(e->Top) + e->Height);
    }
  }
  if (!any)
    return {};
  return QPoint(LimitAxis(offset.x(), left, right, Width), LimitAxis(offset.y(), top, bottom, Height));
}

void TDrawingSurface::StartEntityDrag()
{
  FEntityDragStarted = true;
  TrackPoint = AnchorPoint;
  for (TEntity* e : Entities) {
    if (e->Selected()) {
      e->Dragging = true;
      e->Repaint();
    }
  }
  for (TEntity* e : Entities) {
    if (!e->Dragging)
      continue;
    for (TRelation* r : e->ParentRelations())
      if (!r->Suspended())
        r->SetSuspended(true);
    for (TRelation* r : e->ChildRelations())
      if (!r->Suspended())
        r->SetSuspended(true);
  }
}

void TDrawingSurface::EntityMouseMove(TEntity& entity, bool shift, QPoint local)
{
  if (!entity.Selected() || MouseState != TMouseState::DraggingEntities || shift)
    return;
  if (!FEntityDragStarted)
    StartEntityDrag();
  const QRect before = DragOutlineArea(TrackPoint - AnchorPoint, nullptr);
  TrackPoint = AnchorPoint + LimitedEntityOffset(local - AnchorPoint);
  const QRect after = DragOutlineArea(TrackPoint - AnchorPoint, nullptr);
  const QRect area = before.united(after);
  if (!area.isEmpty())
    Invalidate(area);
}

void TDrawingSurface::FinishEntityDrag(QPoint offset)
{
  FEntityDragStarted = false;
  // The relations at the dragged entities, each once, in relation order.
  std::vector<TRelation*> moved;
  for (TEntity* e : Entities) {
    if (!e->Dragging)
      continue;
    for (TRelation* r : e->ParentRelations())
      moved.push_back(r);
    for (TRelation* r : e->ChildRelations())
      moved.push_back(r);
  }
  std::sort(moved.begin(), moved.end(), [](const TRelation* a, const TRelation* b) { return a->Sequence() < b->Sequence(); });
  moved.erase(std::unique(moved.begin(), moved.end()), moved.end());

  Invalidate(DragOutlineArea(offset, nullptr));
  for (TRelation* r : moved) {
    const bool parent = r->Parent->Dragging;
    const bool child = r->Child->Dragging;
    if (parent && child)
      r->MidPoint = ClampedSum(r->MidPoint, offset);
    if (parent)
      r->ParentPoint = ClampedSum(r->ParentPoint, offset);
    if (child)
      r->ChildPoint = ClampedSum(r->ChildPoint, offset);
  }
  for (TEntity* e : Entities) {
    if (!e->Dragging)
      continue;
    e->SetPosition(e->Left + offset.x(), e->Top + offset.y());
    e->Dragging = false;
    e->Repaint();
  }
  for (TRelation* r : moved)
    if (r->Suspended())
      r->SetSuspended(false);
}

void TDrawingSurface::EntityMouseUp(TEntity& entity, TMouseButton button, bool shift, QPoint local)
{
  // A drag that has started is always finished, also when the state was
  // changed under it (another tool chosen during the drag), so that no entity
  // stays hidden and no relation stays suspended.
  if (FEntityDragStarted) {
    const QPoint offset = LimitedEntityOffset(local - AnchorPoint);
    TrackPoint = AnchorPoint + offset;
    if (MouseState == TMouseState::DraggingEntities)
      MouseState = TMouseState::Idle;
    FinishEntityDrag(offset);
    return;
  }
  if (MouseState == TMouseState::DraggingEntities)
    MouseState = TMouseState::Idle;
}

void TDrawingSurface::EntityClick(TEntity& entity)
{
  if (MouseState == TMouseState::PickParent) {
    PickedParent = &entity;
    MouseState = TMouseState::PickChild;
  } else if (MouseState == TMouseState::PickChild) {
    if (PickedParent) {
      CreateRelation(PickedParent, &entity);
    } else {
      PickedParent = &entity;
    }
  }
}

void TDrawingSurface::EntityDblClick(TEntity& entity)
{
  if (OnEntityDblClick)
    OnEntityDblClick(entity);
}

// ---- Relation segments ------------------------------------------------------------------

void TDrawingSurface::SegmentMouseDown(TRelationSegment& segment, TMouseButton button, bool shift, QPoint local,
                                       QPoint screen)
{
  TRelation& relation = *segment.Relation();
  if (!LeftPress(*this, button, screen, OnRelationRMBClick, relation))
    return;
  EndOpenDrag();

  AnchorPoint = local;
  TrackPoint = local;
  DeselectAll(true);
  relation.SetSelected(true);
  segment.Dragging = true;
  for (TRelationSegment& s : relation.Segments)
    s.BringToFront();
  relation.Parent->BringToFront();
  relation.Child->BringToFront();
}

void TDrawingSurface::SegmentMouseMove(TRelationSegment& segment, bool shift, QPoint local)
{
  if (!segment.Dragging)
    return;
  TRelation& relation = *segment.Relation();
  FSegmentDragStarted = true;
  if (!relation.Suspended())
    relation.SetSuspended(true);
  const QRect before = DragOutlineArea(TrackPoint - AnchorPoint, &relation);
  TrackPoint = SegmentPoint(*this, segment, local);
  const QRect after = DragOutlineArea(TrackPoint - AnchorPoint, &relation);
  const QRect area = before.united(after);
  if (!area.isEmpty())
    Invalidate(area);
}

void TDrawingSurface::SegmentMouseUp(TRelationSegment& segment, TMouseButton button, bool shift, QPoint local)
{
  if (button != TMouseButton::Left || !segment.Dragging)
    return;
  TRelation& relation = *segment.Relation();
  Invalidate(DragOutlineArea(TrackPoint - AnchorPoint, &relation));
  TrackPoint = SegmentPoint(*this, segment, local);
  for (TRelationSegment& s : relation.Segments)
    s.Repaint();
  Route(relation, TrackPoint - AnchorPoint);
  relation.SetSuspended(false);
  segment.Dragging = false;
  FSegmentDragStarted = false;
}

void TDrawingSurface::SegmentDblClick(TRelationSegment& segment)
{
  if (OnRelationDblClick)
    OnRelationDblClick(*segment.Relation());
}

// ---- Labels ----------------------------------------------------------------------------

bool TDrawingSurface::MoveDraggedLabel(TTextLabel& label, QPoint screen)
{
  const QPoint wanted = screen - TrackPoint;
  // Kept inside the surface so that a label cannot be lost beyond its edges;
  // TrackPoint follows only the part of the move that was made, so the label
  // stays under the point where it was grabbed.
  const QPoint d(LimitAxis(wanted.x(), label.Left, qint64(label.Left) + label.Width, Width),
                 LimitAxis(wanted.y(), label.Top, qint64(label.Top) + label.Height, Height));
  TrackPoint += d;
  if (d.isNull())
    return false;
  label.SetPosition(label.Left + d.x(), label.Top + d.y());
  return true;
}

void TDrawingSurface::NameLabelMouseDown(TRelation& relation, TTextLabel& label, TMouseButton button, QPoint screen)
{
  if (!LeftPress(*this, button, screen, OnRelationRMBClick, relation))
    return;
  EndOpenDrag();
  TrackPoint = screen;
  DeselectAll(true);
  label.Tag = 1;
  SetLabelColor(label, kSelectedColor);
}

void TDrawingSurface::NameLabelMouseMove(TRelation& relation, TTextLabel& label, QPoint screen)
{
  if (label.Tag != 1)
    return;
  // Once the user has placed a label, routing leaves both labels where they are.
  if (MoveDraggedLabel(label, screen))
    relation.LabelAutoPlace = false;
}

void TDrawingSurface::NameLabelMouseUp(TRelation& relation, TTextLabel& label, TMouseButton button, QPoint screen)
{
  if (button != TMouseButton::Left || label.Tag != 1)
    return;
  label.Tag = 0;
  SetLabelColor(label, kPlainColor);
  if (MoveDraggedLabel(label, screen))
    relation.LabelAutoPlace = false;
}

void TDrawingSurface::NameLabelDblClick(TRelation& relation)
{
  if (OnRelationDblClick)
    OnRelationDblClick(relation);
}

void TDrawingSurface::LabelMouseDown(TTextLabel& label, TMouseButton button, QPoint screen)
{
  if (!LeftPress(*this, button, screen, OnLabelRMBClick, label))
    return;
  EndOpenDrag();
  TrackPoint = screen;
  DeselectAll(false);
  for (TTextLabel* l : Labels)
    l->Tag = 0;
  label.Tag = 1;
  for (TTextLabel* l : Labels)
    SetLabelColor(*l, l->Tag != 0 ? kSelectedColor : kPlainColor);
}

void TDrawingSurface::LabelMouseMove(TTextLabel& label, QPoint screen)
{
  if (label.Tag == 1)
    MoveDraggedLabel(label, screen);
}

void TDrawingSurface::LabelMouseUp(TTextLabel& label, TMouseButton button, QPoint screen)
{
  if (button != TMouseButton::Left || label.Tag != 1)
    return;
  label.Tag = 2;
  MoveDraggedLabel(label, screen);
}

void TDrawingSurface::LabelDblClick(TTextLabel& label)
{
  if (OnLabelDblClick)
    OnLabelDblClick(label);
}

// ---- Hit testing --------------------------------------------------------------------------

THit TDrawingSurface::HitTest(QPoint pos) const
{
  THit hit;
  quint64 best = 0;
  auto take = [&](const TControl& c) {
    if (hit.Kind != THit::TKind::None && c.ZOrder <= best)
      return false;
    if (!c.Visible || c.Width <= 0 || c.Height <= 0 || !c.BoundsRect().contains(pos))
      return false;
    best = c.ZOrder;
    return true;
  };
  // The candidates under the point in list order: of two controls in the
  // same stacking order, the first in the lists is hit.
  std::vector<const TSpatialIndex::TItem*> candidates;
  Index().Query(QRect(pos, pos), candidates);
  SortByListOrder(candidates);
  using TKind = TSpatialIndex::TKind;
  for (const TSpatialIndex::TItem* c : candidates) {
    switch (c->Kind) {
    case TKind::Entity: {
      auto* e = static_cast<TEntity*>(c->Control);
      if (!e->Dragging && take(*e))
        hit = THit{THit::TKind::Entity, e, nullptr, nullptr, nullptr};
      break;
    }
    case TKind::Segment:
      if (c->Relation->Visible() && !c->Relation->Suspended() && take(*c->Control))
        hit = THit{THit::TKind::Segment, nullptr, static_cast<TRelationSegment*>(c->Control), c->Relation, nullptr};
      break;
    case TKind::NameLabel:
      if (take(*c->Control))
        hit = THit{THit::TKind::NameLabel, nullptr, nullptr, c->Relation, static_cast<TTextLabel*>(c->Control)};
      break;
    case TKind::TextLabel:
      if (take(*c->Control))
        hit = THit{THit::TKind::TextLabel, nullptr, nullptr, nullptr, static_cast<TTextLabel*>(c->Control)};
      break;
    }
  }
  return hit;
}

}  // namespace veska
