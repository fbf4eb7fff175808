#include "shell/DiagramView.h"

#include "surface/Painting.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace veska {

namespace {

using TButton = TMouseButton;

bool ToSurfaceButton(Qt::MouseButton button, TButton& out)
{
  switch (button) {
  case Qt::LeftButton: out = TButton::Left; return true;
  case Qt::RightButton: out = TButton::Right; return true;
  case Qt::MiddleButton: out = TButton::Middle; return true;
  default: return false;
  }
}

QPoint Local(const TControl& control, QPoint pos)
{
  return pos - QPoint(control.Left, control.Top);
}

// While it lives, notes whether a button's release is delivered anywhere in
// the program: a message box that a press opens runs its own event loop and
// takes the release of the button that pressed.
class TReleaseWatch final : public QObject {
public:
  explicit TReleaseWatch(Qt::MouseButton button) : FButton(button) { qApp->installEventFilter(this); }
  ~TReleaseWatch() override { qApp->removeEventFilter(this); }
  TReleaseWatch(const TReleaseWatch&) = delete;
  TReleaseWatch& operator=(const TReleaseWatch&) = delete;

  bool Released() const { return FReleased; }

protected:
  bool eventFilter(QObject*, QEvent* event) override
  {
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == FButton)
      FReleased = true;
    return false;
  }

private:
  Qt::MouseButton FButton;
  bool FReleased = false;
};

}  // namespace

TDiagramView::TDiagramView(TDrawingSurface& surface, QWidget* parent)
    : QWidget(parent), FSurface(surface)
{
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  FInvalidated = FSurface.OnInvalidate.Add([this](const QRect& rect) {
    if (FSurface.Width != width() || FSurface.Height != height())
      SyncSize();
    if (rect.isEmpty())
      update();
    else
      // Thick pens (a selected relation, the name box) reach past a control's
      // bounds by a few pixels.
      MarkDirty(rect.adjusted(-3, -3, 3, 3));
    if (OnInvalidated)
      OnInvalidated();
  });
  SyncSize();
}

void TDiagramView::SetPageDevice(const TPageDevice& device)
{
  FPageDevice = device;
  FPagesValid = false;
  update();
}

const TPageGrid& TDiagramView::Pages()
{
  const QFont font = FSurface.ZoomedFont();
  const QSize surface(FSurface.Width, FSurface.Height);
  if (!FPagesValid || font != FPagesFont || surface != FPagesSurface) {
    FPages = PageGrid(FSurface, FPageDevice);
    FPagesFont = font;
    FPagesSurface = surface;
    FPagesValid = true;
  }
  return FPages;
}

void TDiagramView::SyncSize()
{
  const QSize size(FSurface.Width, FSurface.Height);
  if (this->size() != size)
    resize(size);
  update();
  if (OnSizeSynced)
    OnSizeSynced();
}

void TDiagramView::ObjectRemoving(const void* object)
{
  if (!FCaptured)
    return;
  const THit& hit = FCapture;
  const TRelation* relation = hit.Segment ? hit.Segment->Relation() : hit.Relation;
  if (!object || object == hit.Entity || object == relation || object == hit.Label)
    ReleaseCapture();
}

QRect TDiagramView::ShownArea() const
{
  // In its scroll area the view is the whole diagram, moved so that the
  // part scrolled to lies in the viewport.
  const QWidget* viewport = parentWidget();
  return viewport ? QRect(-pos(), viewport->size()) & rect() : rect();
}

void TDiagramView::MarkDirty(const QRect& rect)
{
  // What does not show needs no paint: the scroll area paints it when it
  // comes into view.
  const QRect shown = ShownArea();
  const QRect dirty = rect & shown;
  if (dirty.isEmpty() || FAllShownDirty)
    return;
  // Qt keeps what is to be painted as one region, and each area added costs
  // time that grows with those before it: thousands of boxes changed at
  // once (Select All) would take seconds. Past a few dozen areas all that
  // shows is painted once.
  constexpr int kMostDirtyAreas = 64;
  if (++FDirtyAreas > kMostDirtyAreas) {
    FAllShownDirty = true;
    update(shown);
    return;
  }
  update(dirty);
}

void TDiagramView::paintEvent(QPaintEvent* event)
{
  FDirtyAreas = 0;
  FAllShownDirty = false;
  QPainter painter(this);
  painter.fillRect(event->rect(), Qt::white);
  PaintDiagram(FSurface, painter, event->rect(), Pages());
}

void TDiagramView::Press(const THit& hit, TButton button, bool shift, QPoint pos, QPoint screen)
{
  switch (hit.Kind) {
  case THit::TKind::None: FSurface.SurfaceMouseDown(button, shift, pos, screen); break;
  case THit::TKind::Entity: FSurface.EntityMouseDown(*hit.Entity, button, shift, Local(*hit.Entity, pos), screen); break;
  case THit::TKind::Segment: FSurface.SegmentMouseDown(*hit.Segment, button, shift, Local(*hit.Segment, pos), screen); break;
  case THit::TKind::NameLabel: FSurface.NameLabelMouseDown(*hit.Relation, *hit.Label, button, screen); break;
  case THit::TKind::TextLabel: FSurface.LabelMouseDown(*hit.Label, button, screen); break;
  }
}

void TDiagramView::Move(const THit& hit, bool shift, QPoint pos, QPoint screen)
{
  switch (hit.Kind) {
  case THit::TKind::None: FSurface.SurfaceMouseMove(shift, pos); break;
  case THit::TKind::Entity: FSurface.EntityMouseMove(*hit.Entity, shift, Local(*hit.Entity, pos)); break;
  case THit::TKind::Segment: FSurface.SegmentMouseMove(*hit.Segment, shift, Local(*hit.Segment, pos)); break;
  case THit::TKind::NameLabel: FSurface.NameLabelMouseMove(*hit.Relation, *hit.Label, screen); break;
  case THit::TKind::TextLabel: FSurface.LabelMouseMove(*hit.Label, screen); break;
  }
}

void TDiagramView::Release(const THit& hit, TButton button, bool shift, QPoint pos, QPoint screen)
{
  switch (hit.Kind) {
  case THit::TKind::None: FSurface.SurfaceMouseUp(button, shift, pos); break;
  case THit::TKind::Entity: FSurface.EntityMouseUp(*hit.Entity, button, shift, Local(*hit.Entity, pos)); break;
  case THit::TKind::Segment: FSurface.SegmentMouseUp(*hit.Segment, button, shift, Local(*hit.Segment, pos)); break;
  case THit::TKind::NameLabel: FSurface.NameLabelMouseUp(*hit.Relation, *hit.Label, button, screen); break;
  case THit::TKind::TextLabel: FSurface.LabelMouseUp(*hit.Label, button, screen); break;
  }
}

void TDiagramView::mousePressEvent(QMouseEvent* event)
{
  TButton button;
  if (!ToSurfaceButton(event->button(), button))
    return;
  // A capture whose button was let go elsewhere (a message box or a pop-up
  // menu took the release) is over: a button cannot go down twice.
  if (FCaptured && (event->button() == FCaptureButton || !(event->buttons() & FCaptureButton)))
    ReleaseCapture();
  if (FCaptured)
    return;
  setFocus(Qt::MouseFocusReason);

  const QPoint pos = event->position().toPoint();
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  const THit hit = FSurface.HitTest(pos);
  CaptureAndPress(hit, event->button(), button == TButton::Left && hit.Kind == THit::TKind::Entity, shift, pos,
                  event->globalPosition().toPoint());
}

void TDiagramView::CaptureAndPress(const THit& hit, Qt::MouseButton button, bool clickPending, bool shift, QPoint pos,
                                   QPoint screen)
{
  TButton surfaceButton;
  if (!ToSurfaceButton(button, surfaceButton))
    return;
  FCapture = hit;
  FCaptured = true;
  FCaptureButton = button;
  FClickPending = clickPending;
  const TReleaseWatch watch(button);
  Press(hit, surfaceButton, shift, pos, screen);
  // The release went to a message box that the press opened, or will go to
  // the pop-up menu it opened: the pressed control gets none.
  if (watch.Released() || QApplication::activePopupWidget())
    ReleaseCapture();
}

void TDiagramView::mouseMoveEvent(QMouseEvent* event)
{
  if (FCaptured && !(event->buttons() & FCaptureButton))
    ReleaseCapture();
  if (!FCaptured)
    return;
  Move(FCapture, event->modifiers() & Qt::ShiftModifier, event->position().toPoint(),
       event->globalPosition().toPoint());
}

void TDiagramView::mouseReleaseEvent(QMouseEvent* event)
{
  TButton button;
  if (!FCaptured || event->button() != FCaptureButton || !ToSurfaceButton(event->button(), button))
    return;
  const THit hit = FCapture;
  const bool click = FClickPending;
  ReleaseCapture();

  const QPoint pos = event->position().toPoint();
  // The click belongs to the pressed entity when the button is let go over
  // it, judged where the entity stood before the release moved it.
  const bool inside = click && hit.Entity->BoundsRect().contains(pos);
  Release(hit, button, event->modifiers() & Qt::ShiftModifier, pos, event->globalPosition().toPoint());
  if (inside)
    FSurface.EntityClick(*hit.Entity);
}

void TDiagramView::mouseDoubleClickEvent(QMouseEvent* event)
{
  if (event->button() != Qt::LeftButton || FCaptured)
    return;
  const QPoint pos = event->position().toPoint();
  const THit hit = FSurface.HitTest(pos);
  switch (hit.Kind) {
  case THit::TKind::None: break;
  case THit::TKind::Entity: FSurface.EntityDblClick(*hit.Entity); break;
  case THit::TKind::Segment: FSurface.SegmentDblClick(*hit.Segment); break;
  case THit::TKind::NameLabel: FSurface.NameLabelDblClick(*hit.Relation); break;
  case THit::TKind::TextLabel: FSurface.LabelDblClick(*hit.Label); break;
  }
  // The second press of a double click is a press like the first, but it
  // makes no click of its own. The handlers above may have changed the
  // diagram, so the control under the mouse is looked up again.
  CaptureAndPress(FSurface.HitTest(pos), Qt::LeftButton, false, event->modifiers() & Qt::ShiftModifier, pos,
                  event->globalPosition().toPoint());
}

void TDiagramView::keyPressEvent(QKeyEvent* event)
{
  switch (event->key()) {
  case Qt::Key_Delete:
    if (OnDeleteKey) {
      ReleaseCapture();
      OnDeleteKey();
    }
    break;
  case Qt::Key_Escape: FSurface.SetActiveDrawingTool(dtPointer); break;
  default: QWidget::keyPressEvent(event);
  }
}

void TDiagramView::wheelEvent(QWheelEvent* event)
{
  if (!(event->modifiers() & Qt::ControlModifier) || !OnZoomWheel) {
    // The scroll area scrolls.
    FZoomWheelAngle = 0;
    QWidget::wheelEvent(event);
    return;
  }
  event->accept();
  constexpr int kNotch = 120;
  FZoomWheelAngle += event->angleDelta().y();
  const int notches = FZoomWheelAngle / kNotch;
  FZoomWheelAngle -= notches * kNotch;
  if (notches != 0)
    OnZoomWheel(notches, event->position().toPoint());
}

}  // namespace veska
