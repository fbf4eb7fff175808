#pragma once
// The drawing surface: the owner of the open diagram's model, its tools and
// mouse state, selection, relation routing and zoom. The desktop view draws
// it and feeds it the mouse; everything here works without a display.

#include "model/Diagram.h"
#include "surface/Routing.h"
#include "surface/SpatialIndex.h"

#include <QDateTime>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

namespace veska {

enum class TMouseState : std::uint8_t { Idle, DraggingEntities, RubberBand, PickParent, PickChild };

enum class TMouseButton { Left, Right, Middle };

class TDrawingSurface : public TDiagram {
public:
  TDrawingSurface(TMessageService& messages, const TTextMeasurer& measurer);
  ~TDrawingSurface() override;

  // Size of the drawing area in pixels at the current zoom.
  int Width = 25;
  int Height = 25;
  // The width and height (as x and y) at 100% zoom.
  TZoomHome SizeHome;

  QPoint AnchorPoint;
  QPoint TrackPoint;
  // The rectangle spanned by AnchorPoint and TrackPoint, both corners
  // included, whichever way it was drawn.
  QRect RubberBand() const
  {
    return QRect(QPoint(qMin(AnchorPoint.x(), TrackPoint.x()), qMin(AnchorPoint.y(), TrackPoint.y())),
                 QPoint(qMax(AnchorPoint.x(), TrackPoint.x()), qMax(AnchorPoint.y(), TrackPoint.y())));
  }
  int MousePositionX = 0;
  int MousePositionY = 0;
  TDrawingTool ActiveDrawingTool() const { return FActiveDrawingTool; }
  TMouseState MouseState = TMouseState::Idle;
  TEntity* PickedParent = nullptr;

  QString DiagramName;
  QDateTime SaveDate = DateTimeZero();
  TDisplayLocation DisplayLocation = TDisplayLocation::BottomRight;

  // Notifications to the main window.
  TListeners<TDrawingSurface&> OnDrawingToolChange;
  TListeners<TDrawingSurface&> OnRLabelVisibleChange;
  TListeners<TDrawingSurface&> OnDrawingSurfaceRMBClick;
  TListeners<TEntity&> OnEntityRMBClick;
  TListeners<TEntity&> OnEntityDblClick;
  TListeners<TRelation&> OnRelationRMBClick;
  TListeners<TRelation&> OnRelationDblClick;
  TListeners<TTextLabel&> OnLabelRMBClick;
  TListeners<TTextLabel&> OnLabelDblClick;

  void SetActiveDrawingTool(TDrawingTool tool);
  void SetEntityDisplayMode(TEntityDisplayMode mode);
  void SetRelationLabelVisible(bool visible);
  // Shows exactly the entities named in the list, and each relation whose
  // entities are both shown.
  void SetEntityView(const QStringList& names);

  // Creates the relation that the active relation tool draws from parent to
  // child, carries the key and routes it; the tool goes back to the pointer.
  // A "Master" relation that would close a cycle of primary relations is
  // refused with a message and nothing is created (returns nullptr).
  TRelation* CreateRelation(TEntity* parent, TEntity* child);

  void SelectAllEntities();
  void DeleteSelected();
  void DeleteEntity(int pos) override;
  void Clear() override;

  // The surface is never this wide or high through a zoom step.
  static constexpr int kMaxSurfaceSize = 32767;
  // Zoom by numerator / denominator, through whole font sizes. A step that
  // would make the surface kMaxSurfaceSize pixels wide or high or more is
  // not taken and returns false; the zoom stays as it was.
  bool Rescale(int numerator, int denominator);
  // Back to 100% zoom, every object at its home position; always taken.
  void ResetZoom();
  // Positions and the surface's size at 100% zoom, whatever the zoom is:
  // what a diagram file holds. Reading them changes nothing. A walk over
  // many objects takes the scale once (HomeScale) and asks it.
  struct THomeScale {
    int Zoomed = 1;
    int Base = 1;
    QPoint Of(const TZoomHome& home, QPoint shown) const { return home.Home(shown, Zoomed, Base); }
    QPoint Position(const TControl& control) const { return Of(control.ZoomHome, QPoint(control.Left, control.Top)); }
    // Point 0 is the relation's ParentPoint, 1 its MidPoint, 2 its ChildPoint.
    QPoint Point(const TRelation& relation, int point) const;
  };
  THomeScale HomeScale() const;
  QSize HomeSize() const;
  void SetDiagramFont(const QFont& font);

  // Lays out and routes everything and asks the view to redraw.
  void Repaint() { LayoutAll(); }

  void RouteRelation(TRelation& relation) override;

  // Whether entities or relations may be flagged for a drag the surface
  // runs; painting looks for drag outlines only then.
  bool DragInProgress() const { return FEntityDragStarted || FSegmentDragStarted; }

  // Where the entities, segments, name labels and text labels lie, brought
  // up to date first: kept in step with every move, rebuilt once after
  // objects came or went and after bulk work (loading, zoom).
  const TSpatialIndex& Index() const;
  void ControlMoved(const TControl& control) override;

  // ---- Mouse -------------------------------------------------------------------
  // The view hit-tests, keeps the pressed control as the receiver of moves and
  // the release until the button goes up, and repaints when OnInvalidate
  // fires. `pos` is in diagram coordinates, `screen` in screen coordinates,
  // `local` in the control's own coordinates (pos minus its Left/Top).
  void SurfaceMouseDown(TMouseButton button, bool shift, QPoint pos, QPoint screen);
  void SurfaceMouseMove(bool shift, QPoint pos);
  void SurfaceMouseUp(TMouseButton button, bool shift, QPoint pos);

  void EntityMouseDown(TEntity& entity, TMouseButton button, bool shift, QPoint local, QPoint screen);
  void EntityMouseMove(TEntity& entity, bool shift, QPoint local);
  void EntityMouseUp(TEntity& entity, TMouseButton button, bool shift, QPoint local);
  // After a left release on the entity that was pressed.
  void EntityClick(TEntity& entity);
  void EntityDblClick(TEntity& entity);

  void SegmentMouseDown(TRelationSegment& segment, TMouseButton button, bool shift, QPoint local, QPoint screen);
  void SegmentMouseMove(TRelationSegment& segment, bool shift, QPoint local);
  void SegmentMouseUp(TRelationSegment& segment, TMouseButton button, bool shift, QPoint local);
  void SegmentDblClick(TRelationSegment& segment);

  void NameLabelMouseDown(TRelation& relation, TTextLabel& label, TMouseButton button, QPoint screen);
  void NameLabelMouseMove(TRelation& relation, TTextLabel& label, QPoint screen);
  void NameLabelMouseUp(TRelation& relation, TTextLabel& label, TMouseButton button, QPoint screen);
  void NameLabelDblClick(TRelation& relation);

  void LabelMouseDown(TTextLabel& label, TMouseButton button, QPoint screen);
  void LabelMouseMove(TTextLabel& label, QPoint screen);
  void LabelMouseUp(TTextLabel& label, TMouseButton button, QPoint screen);
  void LabelDblClick(TTextLabel& label);

  // The kind is a scoped enumeration (THit::TKind::Entity, ...): its members
  // share their names with the pointer fields.
  struct THit {
    enum class TKind { None, Entity, Segment, NameLabel, TextLabel } Kind = TKind::None;
    TEntity* Entity = nullptr;
    TRelationSegment* Segment = nullptr;
    TRelation* Relation = nullptr;
    TTextLabel* Label = nullptr;
  };
  // The topmost visible control (highest ZOrder) whose rectangle holds the
  // diagram point; segments of width or height 0 are not hit.
  THit HitTest(QPoint pos) const;

  // Time zero of the stored dates: midnight, 30 December 1899.
  static QDateTime DateTimeZero();

protected:
  void ControlsChanged() override { FIndexState = TIndexState::Stale; }
  void ControlRemoving(const TControl& control) override;

private:
  // Every object from its home to where it is shown at the zoomed font size
  // `newSize`.
  void ZoomTo(int newSize);
  // Every box, relation and label to the new size, with held updates.
  void MoveForZoom(int oldSize, int newSize, int base);
  void DeselectAll(bool clearLabels);
  void ClearTextLabels();
  // The drag offset of the current point, limited so that no dragged entity
  // is moved further outside the surface.
  QPoint LimitedEntityOffset(QPoint offset) const;
  void StartEntityDrag();
  void FinishEntityDrag(QPoint offset);
  void EndOpenDrag();
  // The area covered by the drag outlines at an offset: the dragged entities
  // and their suspended relations, and `dragged` (a relation whose segment
  // is dragged).
  QRect DragOutlineArea(QPoint offset, const TRelation* dragged) const;
  // Moves a dragged label by the screen point minus TrackPoint, kept inside
  // the surface; returns whether it moved.
  bool MoveDraggedLabel(TTextLabel& label, QPoint screen);

  TDrawingTool FActiveDrawingTool = dtPointer;
  bool FEntityDragStarted = false;
  bool FSegmentDragStarted = false;
  // Built: the index holds every control where it is. Moved: it holds every
  // control, some of which have moved since (bulk work, a zoom step). Stale:
  // controls came or went; it is built again when next asked for.
  enum class TIndexState { Built, Moved, Stale };
  // The cells of the index at the present zoom.
  int IndexCellSize() const;
  mutable TSpatialIndex FIndex;
  mutable TIndexState FIndexState = TIndexState::Stale;
};

using THit = TDrawingSurface::THit;

// Cardinality and primary flag that a relation tool draws.
bool IsRelationTool(TDrawingTool tool);
TRelationCardinality ToolCardinality(TDrawingTool tool);
bool ToolIsPrimary(TDrawingTool tool);

}  // namespace veska
