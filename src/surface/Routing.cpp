#include "surface/Routing.h"

#include "model/Diagram.h"
#include "model/Entity.h"

#include <algorithm>
#include <climits>

namespace veska {

namespace {

// Routes are computed in 64 bits: stored points and boxes may lie anywhere
// in the int range, and a drag offset comes on top. The results are clamped
// to the coordinate limits.
struct TPoint64 {
  qint64 X, Y;
  TPoint64(QPoint p) : X(p.x()), Y(p.y()) {}
  void Move(QPoint d)
  {
    X += d.x();
    Y += d.y();
  }
  QPoint Clamped() const { return QPoint(ClampCoordinate(X), ClampCoordinate(Y)); }
};

struct TBox {
  qint64 L, T, R, B;
  TBox(const TEntity& e) : L(e.Left), T(e.Top), R(qint64(e.Left) + e.Width), B(qint64(e.Top) + e.Height) {}
  void Move(QPoint d)
  {
    L += d.x();
    R += d.x();
    T += d.y();
    B += d.y();
  }
};

// A value below the lower limit becomes the lower limit, else a value above
// the upper limit becomes the upper limit.
qint64 Clamp(qint64 value, qint64 lower, qint64 upper)
{
  if (value < lower)
    return lower;
  if (value > upper)
    return upper;
  return value;
}

qint64 Middle(qint64 u, qint64 v)
{
  return (u + v) / 2;
}

bool Within(qint64 value, qint64 lower, qint64 upper)
{
  return value >= lower && value <= upper;
}

QPoint RoutePoint(qint64 x, qint64 y)
{
  return QPoint(ClampCoordinate(x), ClampCoordinate(y));
}

void PlaceVertical(TRelationSegment& s, QPoint from, QPoint to)
{
  s.SetBounds(from.x() - 4, from.y(), 9, to.y() - from.y());
}

void PlaceHorizontal(TRelationSegment& s, QPoint from, QPoint to)
{
  s.SetBounds(from.x(), from.y() - 4, to.x() - from.x(), 9);
}

}  // namespace

TRoute ComputeRoute(const TRelation& r, QPoint offset)
{
  TRoute route;
  TPoint64 a = r.ParentPoint;
  TPoint64 m = r.MidPoint;
  TPoint64 c = r.ChildPoint;
  TBox p(*r.Parent);
  TBox ch(*r.Child);

  if (r.Parent->Dragging) {
    a.Move(offset);
    p.Move(offset);
  }
  if (r.Child->Dragging) {
    c.Move(offset);
    ch.Move(offset);
  }
  if (r.Parent->Dragging && r.Child->Dragging)
    m.Move(offset);

  if (r.Segments[0].Dragging) {
    a = r.ParentPoint;
    a.Move(offset);
  }
  if (r.Segments[1].Dragging) {
    m = r.MidPoint;
    m.Move(offset);
  }
  if (r.Segments[2].Dragging) {
    c = r.ChildPoint;
    c.Move(offset);
  }

  c.X = Clamp(c.X, ch.L + 2, ch.R - 2);
  c.Y = Clamp(c.Y, ch.T + 2, ch.B - 2);
  a.X = Clamp(a.X, p.L + 2, p.R - 2);
  a.Y = Clamp(a.Y, p.T + 2, p.B - 2);

  if (p.B < ch.T) {
    route.Shape = 1;
    if (!Within(m.Y, p.B + 2, ch.T - 2))
      m.Y = Middle(p.B, ch.T);
    route.P1 = RoutePoint(a.X, p.B);
    route.P2 = RoutePoint(a.X, m.Y);
    route.P3 = RoutePoint(c.X, m.Y);
    route.P4 = RoutePoint(c.X, ch.T);
  } else if (ch.B < p.T) {
    route.Shape = 2;
    if (!Within(m.Y, ch.B + 2, p.T - 2))
      m.Y = Middle(ch.B, p.T);
    route.P1 = RoutePoint(c.X, ch.B);
    route.P2 = RoutePoint(c.X, m.Y);
    route.P3 = RoutePoint(a.X, m.Y);
    route.P4 = RoutePoint(a.X, p.T);
  } else if (p.R < ch.L) {
    route.Shape = 3;
    if (!Within(m.X, p.R + 2, ch.L - 2))
      m.X = Middle(p.R, ch.L);
    route.P1 = RoutePoint(p.R, a.Y);
    route.P2 = RoutePoint(m.X, a.Y);
    route.P3 = RoutePoint(m.X, c.Y);
    route.P4 = RoutePoint(ch.L, c.Y);
  } else if (ch.R < p.L) {
    route.Shape = 4;
    if (!Within(m.X, ch.R + 2, p.L - 2))
      m.X = Middle(ch.R, p.L);
    route.P1 = RoutePoint(ch.R, c.Y);
    route.P2 = RoutePoint(m.X, c.Y);
    route.P3 = RoutePoint(m.X, a.Y);
    route.P4 = RoutePoint(p.L, a.Y);
  } else {
    route.Shape = 5;
    route.P1 = route.P2 = route.P3 = route.P4 = RoutePoint(p.R, a.Y);
  }
  route.A = a.Clamped();
  route.M = m.Clamped();
  route.C = c.Clamped();
  return route;
}

int ChildEndSymbol(int cardinality, int shape, int current)
{
  if (cardinality < 1 || cardinality > 3)
    return current;
  const bool childAtEnd = shape == 1 || shape == 3;
  static const int atEnd[4] = {0, 2, 4, 6};
  static const int atStart[4] = {0, 1, 3, 5};
  return childAtEnd ? atEnd[cardinality] : atStart[cardinality];
}

void Route(TRelation& r, QPoint offset)
{
  const TRoute route = ComputeRoute(r, offset);
  r.RouteShape = route.Shape;

  TRelationSegment& first = r.Segments[0];
  TRelationSegment& middle = r.Segments[1];
  TRelationSegment& third = r.Segments[2];
  first.EndSymbol = 0;
  middle.EndSymbol = 0;
  third.EndSymbol = ChildEndSymbol(r.Cardinality, route.Shape, third.EndSymbol);

  const bool verticalEnds = route.Shape == 1 || route.Shape == 2;
  first.Vertical = verticalEnds;
  third.Vertical = verticalEnds;
  middle.Vertical = !verticalEnds;

  switch (route.Shape) {
  case 1:
    PlaceVertical(first, route.P1, route.P2);
    PlaceVertical(third, route.P3, route.P4);
    break;
  case 2:
    PlaceVertical(third, route.P1, route.P2);
    PlaceVertical(first, route.P3, route.P4);
    break;
  case 3:
    PlaceHorizontal(first, route.P1, route.P2);
    PlaceHorizontal(third, route.P3, route.P4);
    break;
  case 4:
    PlaceHorizontal(third, route.P1, route.P2);
    PlaceHorizontal(first, route.P3, route.P4);
    break;
  default:
    for (TRelationSegment& s : r.Segments)
      s.SetBounds(s.Left, s.Top, 0, s.Height);
    break;
  }
  if (verticalEnds) {
    // The segment placed at P3 is the third in shape 1 and the first in 2.
    const TRelationSegment& atP3 = route.Shape == 1 ? third : first;
    const int top = atP3.Top - 4;
    if (third.Left > first.Left)
      middle.SetBounds(first.Left + 4, top, third.Left - first.Left, 9);
    else
      middle.SetBounds(third.Left + 4, top, first.Left - third.Left, 9);
  } else if (route.Shape == 3 || route.Shape == 4) {
    const TRelationSegment& atP3 = route.Shape == 3 ? third : first;
    const int left = atP3.Left - 4;
    if (third.Top > first.Top)
      middle.SetBounds(left, first.Top + 4, 9, third.Top - first.Top);
    else
      middle.SetBounds(left, third.Top + 4, 9, first.Top - third.Top);
  }

  switch (route.Shape) {
  case 1:
    r.ParentPoint.setX(route.P1.x());
    r.MidPoint.setY(route.P2.y());
    r.ChildPoint.setX(route.P3.x());
    break;
  case 2:
    r.ParentPoint.setX(route.P3.x());
    r.MidPoint.setY(route.P2.y());
    r.ChildPoint.setX(route.P1.x());
    break;
  case 3:
    r.ParentPoint.setY(route.P1.y());
    r.MidPoint.setX(route.P2.x());
    r.ChildPoint.setY(route.P3.y());
    break;
  case 4:
    r.ParentPoint.setY(route.P3.y());
    r.MidPoint.setX(route.P2.x());
    r.ChildPoint.setY(route.P1.y());
    break;
  default:
    break;
  }

  if (r.LabelAutoPlace) {
    TTextLabel& name = r.NameLabel;
    TTextLabel& inverse = r.InverseNameLabel;
    if (verticalEnds) {
      const int x = Middle(route.P2.x(), route.P3.x());
      name.SetPosition(x - name.Width / 2, route.P2.y() - name.Height);
      inverse.SetPosition(x - inverse.Width / 2, route.P2.y() + 2);
    } else {
      const int y = Middle(route.P2.y(), route.P3.y());
      name.SetPosition(route.P2.x() - name.Width / 2, y - name.Height);
      inverse.SetPosition(route.P2.x() - inverse.Width / 2, y + 2);
    }
  }
}

void StepRelationZoom(TRelation& r, int oldSize, int newSize, int base)
{
  QPoint* points[3] = {&r.ParentPoint, &r.MidPoint, &r.ChildPoint};
  for (size_t i = 0; i < 3; ++i)
    *points[i] = r.PointHomes[i].Step(*points[i], oldSize, newSize, base);
  const QFont font = r.Diagram() ? r.Diagram()->ZoomedFont() : r.NameLabel.Font;
  for (TTextLabel* label : {&r.NameLabel, &r.InverseNameLabel}) {
    label->SetPosition(label->ZoomHome.Step(QPoint(label->Left, label->Top), oldSize, newSize, base));
    label->SetFont(font);
  }
  r.Reroute();
}

void SettleRelationZoom(TRelation& r, int newSize, int base)
{
  const QPoint* points[3] = {&r.ParentPoint, &r.MidPoint, &r.ChildPoint};
  for (size_t i = 0; i < 3; ++i)
    r.PointHomes[i].Settle(*points[i], newSize, base);
  for (TTextLabel* label : {&r.NameLabel, &r.InverseNameLabel})
    label->ZoomHome.Settle(QPoint(label->Left, label->Top), newSize, base);
}

}  // namespace veska
