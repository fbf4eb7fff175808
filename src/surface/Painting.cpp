#include "surface/Painting.h"

#include "model/Rounding.h"
#include "platform/TextMeasurer.h"
#include "surface/LineCoverage.h"
#include "surface/TextRuns.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace veska {

namespace {

const QString kMeasureText = QStringLiteral("A");

// Forgets what the coverage knows of the pixels in the box of the points and
// one pixel around it, where a symbol of a segment was drawn.
void Forget(TLineCoverage* coverage, std::initializer_list<QPoint> points)
{
  if (!coverage)
    return;
  QRect box(*points.begin(), *points.begin());
  for (QPoint p : points)
    box |= QRect(p, p);
  coverage->Forget(box.adjusted(-1, -1, 1, 1));
}

// GDI-style ellipse in the box from (x1, y1) to (x2, y2), the right and bottom
// edges excluded.
void Ellipse(QPainter& painter, TLineCoverage* coverage, int x1, int y1, int x2, int y2)
{
  painter.drawEllipse(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
  Forget(coverage, {{x1, y1}, {x2, y2}});
}

void Polyline(QPainter& painter, TLineCoverage* coverage, QPoint a, QPoint b, QPoint c)
{
  const QPoint points[3] = {a, b, c};
  painter.drawPolyline(points, 3);
  Forget(coverage, {a, b, c});
}

// Whether a line of a one-pixel solid pen along an axis may be filled as a
// rectangle one pixel wide instead: on whole pixels (PaintsWholePixels),
// without antialiasing, in plain source-over painting at full opacity, both
// cover the same pixels with the same colour. The raster engine strokes a
// line pixel by pixel, so that a long relation line across the screen costs
// many times the fill of the same pixels.
bool FillsAxisLines(const QPainter& painter)
{
  return !painter.testRenderHint(QPainter::Antialiasing) &&
         painter.compositionMode() == QPainter::CompositionMode_SourceOver && painter.opacity() == 1.0 &&
         PaintsWholePixels(painter);
}

// The line from (x1, y1) to (x2, y2) in the painter's pen, which is solid,
// one pixel wide and of `color`. Where `fill` (FillsAxisLines) allows, a
// line that runs right or down is filled, only where `coverage` (when given)
// does not know its pixels to hold its colour already; lines of one pixel,
// lines in other directions and translucent colours are stroked.
void AxisLine(QPainter& painter, bool fill, TLineCoverage* coverage, const QColor& color, int x1, int y1, int x2,
              int y2)
{
  const bool vertical = x1 == x2 && y1 < y2;
  if (!fill || color.alpha() != 255 || !(vertical || (y1 == y2 && x1 < x2))) {
    painter.drawLine(x1, y1, x2, y2);
    Forget(coverage, {{x1, y1}, {x2, y2}});
  } else if (!coverage) {
    painter.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), color);
  } else if (vertical) {
    coverage->Line(true, x1, y1, y2, color.rgba64(),
                   [&](int first, int last) { painter.fillRect(QRect(x1, first, 1, last - first + 1), color); });
  } else {
    coverage->Line(false, y1, x1, x2, color.rgba64(),
                   [&](int first, int last) { painter.fillRect(QRect(first, y1, last - first + 1, 1), color); });
  }
}

// Writes lines of text in the painter's present font and pen, each with its
// top at the y given, as WriteText does: from kept glyphs where the painter
// allows (TTextRuns), so that a repaint does not shape the texts again.
class TTextWriter {
public:
  explicit TTextWriter(QPainter& painter)
      : FPainter(painter), FRuns(TTextRuns::Suits(painter) ? TTextRuns::ForThisThread() : nullptr),
        FAscent(painter.fontMetrics().ascent())
  {
  }
  // Returns a rectangle that holds the pixels written, or a null rectangle
  // when they are not known.
  QRect Write(int x, int y, const QString& text)
  {
    if (FRuns)
      return FRuns->Draw(FPainter, x, y + FAscent, text);
    FPainter.drawText(x, y + FAscent, text);
    return QRect();
  }

private:
  QPainter& FPainter;
  TTextRuns* FRuns;
  int FAscent;
};

void DrawTextLabel(const TTextLabel& label, const TTextMeasurer& measurer, QPainter& painter,
                   TLineCoverage& coverage)
{
  const QStringList lines = TTextLabel::CaptionLines(label.Caption());
  const int advance = measurer.TextHeight(label.Font, kMeasureText);
  painter.setFont(PixelFont(label.Font, 1.0));
  painter.setPen(label.FontColor);
  TTextWriter writer(painter);
  int y = ClampCoordinate(label.Top);
  for (const QString& line : lines) {
    const QRect ink = writer.Write(ClampCoordinate(label.Left), y, line);
    if (ink.isNull())
      coverage.Reset();
    else
      coverage.Forget(ink);
    y += advance;
  }
}

void DrawPageBorders(const TDrawingSurface& s, QPainter& painter, const QRect& area, const TPageGrid& grid)
{
  if (grid.Page.isEmpty())
    return;
  painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
  // A line is drawn where each page but the first begins. Only the lines
  // that cross the area are visited, so that the cost follows the area and
  // not the surface, which may be as large as an int allows. The arithmetic
  // is in 64 bits, where such sizes cannot overflow. Lines are cut to the
  // area; their starts stay on the dot pattern's period so that dots line up
  // between repaints of different areas.
  const qint64 period = 3;
  const qint64 width = s.Width;
  const qint64 height = s.Height;
  const qint64 x0 = qMax<qint64>(0, area.left() - qint64(1));
  const qint64 x1 = qMin<qint64>(width, area.right() + qint64(1));
  const qint64 y0 = qMax<qint64>(0, area.top() - qint64(1));
  const qint64 y1 = qMin<qint64>(height, area.bottom() + qint64(1));
  // The page starts from the first inside [lower, upper], from the second
  // page up to the last one. The first candidate is estimated from the
  // ratio and corrected by a step either way.
  const auto lines = [](auto start, double perPage, qint64 count, qint64 lower, qint64 upper, auto draw) {
    qint64 i = qint64(std::clamp(std::floor(double(lower) / perPage) - 1, 1.0, 4.0e18));
    while (i < count && start(i) < lower)
      ++i;
    for (; i < count && start(i) <= upper; ++i)
      draw(static_cast<int>(start(i)));
  };
  if (x0 < x1)
    lines([&](qint64 row) { return grid.PageTop(row); }, grid.Page.height() / grid.Ry, grid.Down, area.top(),
          qMin<qint64>(height - 1, area.bottom()), [&](int y) {
            painter.drawLine(static_cast<int>(x0 - x0 % period), y, static_cast<int>(x1), y);
          });
  if (y0 < y1)
    lines([&](qint64 column) { return grid.PageLeft(column); }, grid.Page.width() / grid.Rx, grid.Across, area.left(),
          qMin<qint64>(width - 1, area.right()), [&](int x) {
            painter.drawLine(x, static_cast<int>(y0 - y0 % period), x, static_cast<int>(y1));
          });
}

void DrawNameBox(const TDrawingSurface& s, QPainter& painter, const QRect& area)
{
  const QRect box = NameBoxRect(s);
  if (!box.adjusted(-3, -3, 3, 3).intersects(area))
    return;
  painter.setFont(PixelFont(s.ZoomedFont(), 1.0));
  painter.setPen(Qt::black);
  WriteText(painter, box.x() + 10, box.y() + 5, s.DiagramName);
  painter.setPen(QPen(Qt::black, 4));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(box.x(), box.y(), box.width(), box.height()));
}

void DrawRouteOutline(const TRoute& route, QPainter& painter)
{
  if (route.Shape == 5)
    return;
  const QPoint points[4] = {route.P1, route.P2, route.P3, route.P4};
  painter.drawPolyline(points, 4);
}

QRect RouteBounds(const TRoute& route)
{
  QRect r(route.P1, route.P1);
  for (QPoint p : {route.P2, route.P3, route.P4})
    r = r.united(QRect(p, p));
  return r.adjusted(-1, -1, 1, 1);
}

void DrawDragOutlines(const TDrawingSurface& s, QPainter& painter, const QRect& area)
{
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  const QPoint offset = s.TrackPoint - s.AnchorPoint;
  // Only a drag flags entities and suspends relations: without one, the
  // lists are not walked, so that painting does not grow with the model.
  if (s.DragInProgress()) {
    for (const TEntity* e : s.Entities) {
      if (!e->Dragging)
        continue;
      const QRect box = e->BoundsRect().translated(offset);
      if (box.intersects(area))
        painter.drawRect(box.adjusted(0, 0, -1, -1));
    }
    for (const TRelation* r : s.Relations) {
      if (!r->Visible() || !r->Suspended())
        continue;
      const TRoute route = ComputeRoute(*r, offset);
      if (RouteBounds(route).intersects(area))
        DrawRouteOutline(route, painter);
    }
  }
  if (s.MouseState == TMouseState::RubberBand) {
    const QRect band = s.RubberBand();
    if (band.adjusted(-1, -1, 1, 1).intersects(area))
      painter.drawRect(band.adjusted(0, 0, -1, -1));
  }
}

}  // namespace

QFont PixelFont(const QFont& font, double scale)
{
  QFont f(font);
  const int pt = font.pointSize() > 0 ? font.pointSize() : 8;
  f.setPixelSize(qMax(1, RoundHalfEven(PointsToPixels(pt) * scale)));
  return f;
}

void WriteText(QPainter& painter, int x, int y, const QString& text)
{
  painter.drawText(x, y + painter.fontMetrics().ascent(), text);
}

QRect NameBoxRect(const TDrawingSurface& s)
{
  const QFont font = s.ZoomedFont();
  const int w = s.Measurer().TextWidth(font, s.DiagramName) + 20;
  const int h = s.Measurer().TextHeight(font, s.DiagramName) + 10;
  const bool left = s.DisplayLocation == TDisplayLocation::TopLeft || s.DisplayLocation == TDisplayLocation::BottomLeft;
  const bool top = s.DisplayLocation == TDisplayLocation::TopLeft || s.DisplayLocation == TDisplayLocation::TopRight;
  const int x = left ? 10 : ClampCoordinate(qint64(s.Width) - 10 - w);
  const int y = top ? 10 : ClampCoordinate(qint64(s.Height) - 10 - h);
  return QRect(x, y, w, h);
}

void DrawEntity(const TEntity& entity, QPainter& painter, int X, int Y, double sx, double sy)
{
  const TDiagram* diagram = entity.Diagram();
  const double zoom = diagram ? diagram->ZoomFactor : 1.0;
  const TEntityDisplayMode mode = diagram ? diagram->EntityDisplayMode : emAttributes;
  const TTextMeasurer& measurer = diagram ? diagram->Measurer() : TQtTextMeasurer::Instance();

  // The zoomed font, as the layout measures it.
  QFont font(entity.Font);
  font.setPointSize(qMax(1, RoundHalfEven(entity.Font.pointSize() * zoom)));

  const int x = ClampCoordinate(RoundHalfEven(sx * X));
  const int y = ClampCoordinate(RoundHalfEven(sy * Y));
  const int w = ClampCoordinate(RoundHalfEven(sx * entity.Width));
  const int hh = ClampCoordinate(RoundHalfEven(sy * entity.Height));
  const int h = RoundHalfEven(sy * measurer.TextHeight(font, kMeasureText));
  const int tx = x + w / 16;

  painter.setPen(QPen(entity.PenColor, 1));
  painter.setBrush(Qt::white);
  painter.drawRoundedRect(QRect(x, y, w - 1, hh - 1), (w / 8) / 2.0, (hh / 8) / 2.0);

  const QPen linePen(entity.PenColor, 1);
  const QPen textPen(Qt::black);
  painter.setFont(PixelFont(font, sy));
  painter.setPen(textPen);
  TTextWriter writer(painter);
  writer.Write(tx, y + 1, mode == emSchema ? entity.TableName() : entity.EntityName());
  int ty = y + 1 + h;
  const bool fill = FillsAxisLines(painter);
  auto separator = [&] {
    painter.setPen(linePen);
    AxisLine(painter, fill, nullptr, entity.PenColor, x, ty, x + w - 1, ty);
    painter.setPen(textPen);
    ++ty;
  };
  auto write = [&](const TAttributeList& list) {
    for (const TAttribute* a : list) {
      writer.Write(tx, ty, TEntity::AttributeLine(*a, mode, false));
      ty += h;
    }
  };
  separator();
  switch (mode) {
  case emPrimaryKey:
    write(entity.PrimaryKey);
    break;
  case emAttributes:
  case emSchema:
    write(entity.PrimaryKey);
    separator();
    write(entity.Attributes);
    break;
  case emName:
  case emColumns:
    break;
  }
}

namespace {

// DrawSegment, telling `coverage` (when given) where it drew.
void DrawSegmentCovered(const TRelationSegment& segment, QPainter& painter, TLineCoverage* coverage, int X, int Y,
                        double sx, double sy)
{
  // Boxes that overlap leave their segments without length: no line at all.
  if (segment.Width <= 0 || segment.Height <= 0)
    return;
  const int x = ClampCoordinate(RoundHalfEven(sx * X));
  const int y = ClampCoordinate(RoundHalfEven(sy * Y));
  const int w = ClampCoordinate(RoundHalfEven(sx * segment.Width));
  const int h = ClampCoordinate(RoundHalfEven(sy * segment.Height));
  const int hx = static_cast<int>(sx * 4);
  const int hy = static_cast<int>(sy * 4);

  painter.setPen(QPen(segment.PenColor, 1));
  painter.setBrush(Qt::white);
  // Lines end one pixel short of their end point.
  const bool fill = FillsAxisLines(painter);
  if (segment.Vertical)
    AxisLine(painter, fill, coverage, segment.PenColor, x + hx, y, x + hx, y + h - 1);
  else
    AxisLine(painter, fill, coverage, segment.PenColor, x, y + hy, x + w - 1, y + hy);

  const int symbol = segment.EndSymbol;
  if (symbol < 1 || symbol > 6)
    return;
  const bool atStart = symbol % 2 == 1;
  const bool circle = symbol <= 2 || symbol >= 5;
  const bool crowsFoot = symbol >= 3;
  if (segment.Vertical) {
    if (circle) {
      if (atStart)
        Ellipse(painter, coverage, x + 1, y + hy - 1, x + 2 * hx, y + 3 * hy - 2);
      else
        Ellipse(painter, coverage, x + 1, y + h - (3 * hy - 2), x + 2 * hx, y + h - (hy - 1));
    }
    if (crowsFoot) {
      if (atStart)
        Polyline(painter, coverage, {x, y - 1}, {x + hx, y + hy - 1}, {x + 2 * hx, y - 1});
      else
        Polyline(painter, coverage, {x, y + h}, {x + hx, y + h - hy}, {x + 2 * hx, y + h});
    }
  } else {
    if (circle) {
      if (atStart)
        Ellipse(painter, coverage, x + hx - 1, y + 1, x + 3 * hx - 2, y + 2 * hy);
      else
        Ellipse(painter, coverage, x + w - (3 * hx - 2), y + 1, x + w - (hx - 1), y + 2 * hy);
    }
    if (crowsFoot) {
      if (atStart)
        Polyline(painter, coverage, {x - 1, y}, {x + hx - 1, y + hy}, {x - 1, y + 2 * hy});
      else
        Polyline(painter, coverage, {x + w, y}, {x + w - hx, y + hy}, {x + w, y + 2 * hy});
    }
  }
}

}  // namespace

void DrawSegment(const TRelationSegment& segment, QPainter& painter, int X, int Y, double sx, double sy)
{
  DrawSegmentCovered(segment, painter, nullptr, X, Y, sx, sy);
}

void PaintDiagram(const TDrawingSurface& s, QPainter& painter, const QRect& area, QSize pageSize)
{
  PaintDiagram(s, painter, area, PageGrid(s, pageSize));
}

void PaintDiagram(const TDrawingSurface& s, QPainter& painter, const QRect& area, const TPageGrid& pages)
{
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  DrawPageBorders(s, painter, area, pages);
  DrawNameBox(s, painter, area);

  // What intersects the area, drawn back to front; objects of equal
  // stacking order in the order of the lists.
  struct TItem {
    quint64 ZOrder;
    std::uint64_t ListOrder;
    const TControl* Control;
    enum { Entity, Segment, Label } Kind;
  };
  using TKind = TSpatialIndex::TKind;
  std::vector<const TSpatialIndex::TItem*> candidates;
  // One pixel around: the crow's foot at a segment's start reaches one
  // pixel outside it. Objects lie within the coordinate limits, so the
  // area is clamped to them first and widening it cannot overflow.
  s.Index().Query(ClampedRect(qint64(area.left()) - 1, qint64(area.top()) - 1, qint64(area.width()) + 2,
                              qint64(area.height()) + 2),
                  candidates);
  std::vector<TItem> items;
  items.reserve(candidates.size());
  for (const TSpatialIndex::TItem* c : candidates) {
    const TControl& control = *c->Control;
    switch (c->Kind) {
    case TKind::Entity: {
      const auto& e = static_cast<const TEntity&>(control);
      if (e.Visible && !e.Dragging && e.BoundsRect().intersects(area))
        items.push_back({e.ZOrder, c->ListOrder, &e, TItem::Entity});
      break;
    }
    case TKind::Segment:
      if (c->Relation->Visible() && !c->Relation->Suspended() && control.Visible &&
          control.BoundsRect().adjusted(-1, -1, 1, 1).intersects(area))
        items.push_back({control.ZOrder, c->ListOrder, &control, TItem::Segment});
      break;
    case TKind::NameLabel:
    case TKind::TextLabel:
      if (control.Visible && control.BoundsRect().intersects(area))
        items.push_back({control.ZOrder, c->ListOrder, &control, TItem::Label});
      break;
    }
  }
  std::sort(items.begin(), items.end(), [](const TItem& a, const TItem& b) {
    return a.ZOrder != b.ZOrder ? a.ZOrder < b.ZOrder : a.ListOrder < b.ListOrder;
  });

  // Runs of segments between boxes and labels share what their lines cover.
  TLineCoverage coverage;
  for (const TItem& item : items) {
    switch (item.Kind) {
    case TItem::Entity: {
      const auto& e = static_cast<const TEntity&>(*item.Control);
      DrawEntity(e, painter, e.Left, e.Top, 1.0, 1.0);
      coverage.Reset();
      break;
    }
    case TItem::Segment: {
      const auto& seg = static_cast<const TRelationSegment&>(*item.Control);
      DrawSegmentCovered(seg, painter, &coverage, seg.Left, seg.Top, 1.0, 1.0);
      break;
    }
    case TItem::Label:
      DrawTextLabel(static_cast<const TTextLabel&>(*item.Control), s.Measurer(), painter, coverage);
      break;
    }
  }

  DrawDragOutlines(s, painter, area);
  painter.restore();
}

QSize PageCount(const TDrawingSurface& s, QSize pageSize)
{
  const TPageGrid grid = PageGrid(s, pageSize);
  return QSize(grid.Across, grid.Down);
}

}  // namespace veska
