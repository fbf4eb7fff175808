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

class TDiagram;
class TRelation;

class TControl {
public:
  virtual ~TControl() = default;

  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool Visible = true;
  QFont Font;
  QColor PenColor = Qt::black;
  // Stacking order among the diagram's controls; larger is in front.
  quint64 ZOrder = 0;

  QRect BoundsRect() const { return ClampedRect(Left, Top, Width, Height); }
  void SetBounds(int left, int top, int width, int height);
  void SetPosition(int left, int top) { SetBounds(left, top, Width, Height); }

  TDiagram* Diagram() const { return FDiagram; }
  void SetDiagram(TDiagram* diagram) { FDiagram = diagram; }

  // Tells the view that the control must be drawn again.
  virtual void Repaint();
  void BringToFront();

protected:
  TDiagram* FDiagram = nullptr;
};

// A text label: a free text label on the diagram or a relation's name label.
// It sizes itself to its caption.
class TTextLabel : public TControl {
public:
  // Component name; free text labels are kept by it in the diagram's list.
  QString Name;
  const QString& Caption() const { return FCaption; }
  void SetCaption(const QString& caption);
  // 0 not selected, 1 being dragged, 2 selected.
  int Tag = 0;
  QColor FontColor = Qt::black;
  bool Transparent = true;

  void SetFont(const QFont& font);
  // Width and height from the caption's lines in the label's font.
  void AdjustSize();
  // The caption's lines, broken at CR LF, LF or CR; a final line break does not
  // start another line.
  static QStringList CaptionLines(const QString& caption);

private:
  // The sizes taken in the last two fonts, with the caption and the measurer
  // they were measured with (a zoom step back finds its size).
  struct TSizeMemo {
    const void* Measurer = nullptr;
    QFont Font;
    QString Caption;
    int Width = 0;
    int Height = 0;
  };
  QString FCaption;
  std::array<TSizeMemo, 2> FSizes;
};

class TRelationSegment : public TControl {
public:
  explicit TRelationSegment(TRelation* relation) : FRelation(relation) {}
  TRelation* Relation() const { return FRelation; }

  bool Dragging = false;
  // 0 none; odd at the start, even at the end: 1/2 circle, 3/4 crow's foot,
  // 5/6 both.
  int EndSymbol = 0;
  bool Vertical = false;

private:
  TRelation* FRelation;
};

}  // namespace veska
