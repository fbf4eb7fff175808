#pragma once
// The drawing surface: the owner of the open diagram's model, its tools and
// mouse state, selection, relation routing and zoom. The desktop view draws
// it and feeds it the mouse; everything here works without a display.

#include "model/Diagram.h"
#include "surface/Routing.h"

#include <QDateTime>
#include <QPoint>

#include <functional>

namespace veska {

enum class TMouseState : std::uint8_t { Idle, DraggingEntities, RubberBand, PickParent, PickChild };

class TDrawingSurface : public TDiagram {
public:
  TDrawingSurface(TMessageService& messages, const TTextMeasurer& measurer);
  ~TDrawingSurface() override;

  // Size of the drawing area in pixels at the current zoom.
  int Width = 25;
  int Height = 25;

  QPoint AnchorPoint;
  QPoint TrackPoint;
  int MousePositionX = 0;
  int MousePositionY = 0;
  TDrawingTool ActiveDrawingTool() const { return FActiveDrawingTool; }
  TMouseState MouseState = TMouseState::Idle;
  TEntity* PickedParent = nullptr;

  QString DiagramName;
  QDateTime SaveDate = DateTimeZero();
  TDisplayLocation DisplayLocation = TDisplayLocation::BottomRight;

  // Notifications to the main window.
  std::function<void(TDrawingSurface&)> OnDrawingToolChange;
  std::function<void(TDrawingSurface&)> OnRLabelVisibleChange;
  std::function<void(TDrawingSurface&)> OnDrawingSurfaceRMBClick;
  std::function<void(TEntity&)> OnEntityRMBClick;
  std::function<void(TEntity&)> OnEntityDblClick;
  std::function<void(TRelation&)> OnRelationRMBClick;
  std::function<void(TRelation&)> OnRelationDblClick;
  std::function<void(TTextLabel&)> OnLabelRMBClick;
  std::function<void(TTextLabel&)> OnLabelDblClick;

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

  // Zoom by numerator / denominator, through whole font sizes.
  void Rescale(int numerator, int denominator);
  void SetDiagramFont(const QFont& font);

  // Lays out and routes everything and asks the view to redraw.
  void Repaint() { LayoutAll(); }

  void RouteRelation(TRelation& relation) override;

  // Time zero of the stored dates: midnight, 30 December 1899.
  static QDateTime DateTimeZero();

private:
  TDrawingTool FActiveDrawingTool = dtPointer;
};

// Cardinality and primary flag that a relation tool draws.
bool IsRelationTool(TDrawingTool tool);
TRelationCardinality ToolCardinality(TDrawingTool tool);
bool ToolIsPrimary(TDrawingTool tool);

}  // namespace veska
