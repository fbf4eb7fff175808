#pragma once
// The geometry that the visible model objects carry: position, size,
// visibility, font, pen colour and stacking order. The desktop layers draw
// them; the core computes them.

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>

namespace veska {

// A position or size read from a diagram file may be anywhere in the int
// range. What is computed from them (rectangles, routes, drag offsets) is
// kept within +-kCoordinateLimit, far beyond anything that is shown or
// printed, so that sums and differences of a few such values cannot overflow.
constexpr qint64 kCoordinateLimit = qint64(1) << 29;

inline int ClampCoordinate(qint64 value)
{
  return static_cast<int>(std::clamp(value, -kCoordinateLimit, kCoordinateLimit));
}

// The rectangle from (left, top) with the given size, its edges clamped
// into the coordinate limits.
inline QRect ClampedRect(qint64 left, qint64 top, qint64 width, qint64 height)
{
  return QRect(QPoint(ClampCoordinate(left), ClampCoordinate(top)),
               QPoint(ClampCoordinate(left + width - 1), ClampCoordinate(top + height - 1)));
}

// A coordinate scaled by n / d, the fraction dropped, kept in the int range.
inline int ScaleCoordinate(int value, qint64 n, qint64 d)
{
  return static_cast<int>(std::clamp<qint64>(static_cast<qint64>(value) * n / d, INT_MIN, INT_MAX));
}

// Where a point of the diagram lies at 100% zoom. A zoom step places the
// point from this home, not from where it is shown, so that zooming out and
// in again comes back to the same pixel and the file written at any zoom
// holds the positions of 100%. The home holds while the point is where the
// last zoom step put it; a point moved since then has its home found by
// scaling it back. Nothing else has to tell it of a move.
class TZoomHome {
public:
  // The 100% point of `shown`, shown at the zoomed font size `zoomed` of
  // the base size `base`.
  QPoint Home(QPoint shown, int zoomed, int base) const
  {
    if (FKnown && shown == FShown)
      return FHome;
    return QPoint(ScaleCoordinate(shown.x(), base, zoomed), ScaleCoordinate(shown.y(), base, zoomed));
  }
  // A zoom step from `oldSize` to `newSize`: keeps the home and returns where
  // the point is shown at the new size.
  QPoint Step(QPoint shown, int oldSize, int newSize, int base)
  {
    FHome = Home(shown, oldSize, base);
    FShown = QPoint(ScaleCoordinate(FHome.x(), newSize, base), ScaleCoordinate(FHome.y(), newSize, base));
    FKnown = true;
    return FShown;
  }
  // Where a zoom step's own work (routing) put the point in the end. At
  // 100% (zoomed == base) the point is its own home.
  void Settle(QPoint shown, int zoomed, int base)
  {
    if (zoomed == base)
      FHome = shown;
    FShown = shown;
    FKnown = true;
  }
private:
  QPoint FHome;
  QPoint FShown;
  // A new object's home is found from where it is (any point may be shown).
  bool FKnown = false;
};

class TDiagram;
class TRelation;

class TControl {
public:
  virtual ~TControl() = default;

  TDiagram* Diagram() const { return FDiagram; }
  void SetDiagram(TDiagram* diagram) { FDiagram = diagram; }

  // The fields are laid out with what walks over every control read (the
  // bounds, the index slot, the home, the stacking order) in its first 64
  // bytes, and so that the control ends in a flag: the small fields that the
  // kinds of controls (hundreds of thousands of them in a large diagram)
  // declare first go into the room after it.
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  // Where the drawing surface's spatial index keeps the control, for
  // finding it again when it moves; the index checks it before use.
  mutable std::uint32_t IndexSlot = UINT32_MAX;
  // The position at 100% zoom.
  TZoomHome ZoomHome;

protected:
  TDiagram* FDiagram = nullptr;

public:
  // Stacking order among the diagram's controls; larger is in front.
  quint64 ZOrder = 0;
  QFont Font;
  QColor PenColor = Qt::black;
  bool Visible = true;

  QRect BoundsRect() const { return ClampedRect(Left, Top, Width, Height); }
  void SetBounds(int left, int top, int width, int height);
  void SetPosition(int left, int top) { SetBounds(left, top, Width, Height); }
  void SetPosition(QPoint position) { SetPosition(position.x(), position.y()); }

  // Tells the view that the control must be drawn again.
  virtual void Repaint();
  void BringToFront();
};

// A text label: a free text label on the diagram or a relation's name label.
// It sizes itself to its caption.
class TTextLabel : public TControl {
public:
  bool Transparent = true;
  // 0 not selected, 1 being dragged, 2 selected.
  int Tag = 0;
  // Component name; free text labels are kept by it in the diagram's list.
  QString Name;
  const QString& Caption() const { return FCaption; }
  void SetCaption(const QString& caption);
  QColor FontColor = Qt::black;

  void SetFont(const QFont& font);
  // Width and height from the caption's lines in the label's font.
  void AdjustSize();
  // The caption's lines, broken at CR LF, LF or CR; a final line break does not
  // start another line.
  static QStringList CaptionLines(const QString& caption);

private:
  // The caption's size in the last two fonts (a zoom step back finds its
  // size), taken by the measurer `FSizesMeasurer`; a new caption forgets
  // them.
  struct TSizeMemo {
    QFont Font;
    int Width = 0;
    int Height = -1;  // -1: nothing remembered
  };
  QString FCaption;
  const void* FSizesMeasurer = nullptr;
  std::array<TSizeMemo, 2> FSizes;
};

class TRelationSegment : public TControl {
public:
  explicit TRelationSegment(TRelation* relation) : FRelation(relation) {}
  TRelation* Relation() const { return FRelation; }

  bool Dragging = false;
  bool Vertical = false;
  // 0 none; odd at the start, even at the end: 1/2 circle, 3/4 crow's foot,
  // 5/6 both.
  int EndSymbol = 0;

private:
  TRelation* FRelation;
};

}  // namespace veska
