#pragma once
// The widget that shows the drawing surface inside the main window's scroll
// area. It is as large as the surface at the current zoom, paints the exposed
// part through PaintDiagram, and turns Qt's mouse events into the surface's
// mouse operations: the control under a press keeps the mouse (it receives the
// moves and the release) until the button is let go. A message box or pop-up
// menu that a press opens takes that button's release, so the view lets go
// at once; failing that, at the next sign that the button is up (a press of
// it, or a move without it), so that the next press always counts.

#include "surface/DrawingSurface.h"
#include "surface/Printing.h"

#include <QSize>
#include <QWidget>

#include <functional>

namespace veska {

class TDiagramView final : public QWidget {
public:
  explicit TDiagramView(TDrawingSurface& surface, QWidget* parent = nullptr);

  TDrawingSurface& Surface() const { return FSurface; }

  // The printer's page, whose grid the dotted page lines show (none while
  // the page is empty).
  const TPageDevice& PageDevice() const { return FPageDevice; }
  void SetPageDevice(const TPageDevice& device);

  // Follows the surface's width and height (after zoom, load, set-up).
  void SyncSize();
  // Forgets the control that holds the mouse; called before the model is
  // changed by a command, so that no released object is addressed again.
  void ReleaseCapture()
  {
    FCapture = {};
    FCaptured = false;
    FClickPending = false;
  }

  // Whether a control on the diagram holds the mouse (a button is down).
  bool MouseCaptured() const { return FCaptured; }
  // Lets go of the mouse when the control that holds it belongs to an object
  // that leaves the model (nullptr: every object).
  void ObjectRemoving(const void* object);

  // The Delete key.
  std::function<void()> OnDeleteKey;
  // The wheel turned with Ctrl held: whole notches (positive away from the
  // user) at a point of the view.
  std::function<void(int notches, QPoint at)> OnZoomWheel;
  // After the view has followed the surface's size.
  std::function<void()> OnSizeSynced;
  // After the surface asked for an area to be drawn again (something was
  // added, moved, changed or removed).
  std::function<void()> OnInvalidated;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

private:
  using THit = TDrawingSurface::THit;

  // Gives the mouse to the control hit and presses it; `clickPending` when
  // a release over it makes a click.
  void CaptureAndPress(const THit& hit, Qt::MouseButton button, bool clickPending, bool shift, QPoint pos,
                       QPoint screen);
  void Press(const THit& hit, TMouseButton button, bool shift, QPoint pos, QPoint screen);
  void Move(const THit& hit, bool shift, QPoint pos, QPoint screen);
  void Release(const THit& hit, TMouseButton button, bool shift, QPoint pos, QPoint screen);

  // Marks an area of the diagram for the next paint.
  void MarkDirty(const QRect& rect);
  // The part of the view that shows in its scroll area.
  QRect ShownArea() const;

  TDrawingSurface& FSurface;
  TSubscription FInvalidated;
  // Areas marked since the last paint, and whether that was given up for
  // marking all that shows.
  int FDirtyAreas = 0;
  bool FAllShownDirty = false;
  TPageDevice FPageDevice;
  // The page grid of the last paint and what it was computed for: measuring
  // it on every paint would crowd the text measurer's few remembered fonts
  // with the printer's.
  const TPageGrid& Pages();
  TPageGrid FPages;
  bool FPagesValid = false;
  QFont FPagesFont;
  QSize FPagesSurface;
  // The control that was pressed, while a button is held.
  THit FCapture{};
  bool FCaptured = false;
  Qt::MouseButton FCaptureButton = Qt::NoButton;
  // The pressed entity's box at the press, for the click after the release.
  QRect FPressedBounds;
  bool FClickPending = false;
  // Wheel turns with Ctrl held, not yet a whole notch.
  int FZoomWheelAngle = 0;
};

}  // namespace veska
