#include "surface/Printing.h"

#include "model/Rounding.h"
#include "platform/TextEncoding.h"
#include "platform/TextMeasurer.h"
#include "surface/Painting.h"

#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>

namespace veska {

namespace {

const QString kMeasureText = QStringLiteral("A");

// Nearest integer in 64 bits (halfway to the even one), far from overflow.
qint64 Round64(double value)
{
  const double limit = 4.0e18;
  const double r = std::nearbyint(value);
  if (!(r > -limit && r < limit))
    return r > 0 ? qint64(limit) : (r < 0 ? -qint64(limit) : 0);
  return static_cast<qint64>(r);
}

// Pages needed for a printed length: (length - 1) div page + 1, at least 1.
int PagesFor(qint64 printedLength, int page)
{
  return static_cast<int>(std::clamp<qint64>((printedLength - 1) / page + 1, 1, INT_MAX));
}

// The page index (column or row) of a printed position, inside 0 .. count-1.
int PageIndex(qint64 printed, int page, int count)
{
  return static_cast<int>(std::clamp<qint64>((printed - 1) / page, 0, count - 1));
}

// Surface pixels to device pixels on one page.
struct TPageTransform {
  double Rx, Ry;
  qint64 OffX, OffY;
  int X(qint64 x) const { return ClampCoordinate(Round64(double(x + OffX) * Rx)); }
  int Y(qint64 y) const { return ClampCoordinate(Round64(double(y + OffY) * Ry)); }
  // A position moved onto the page, still in surface pixels, for the drawing
  // functions that scale themselves.
  int MovedX(qint64 x) const { return ClampCoordinate(x + OffX); }
  int MovedY(qint64 y) const { return ClampCoordinate(y + OffY); }
};

void DrawNameBox(const TDrawingSurface& s, QPainter& painter, const TPageTransform& t, const QFont& font)
{
  const TTextMeasurer& m = s.Measurer();
  const int w = m.TextWidth(font, s.DiagramName) + 20;
  const int h = m.TextHeight(font, s.DiagramName) + 10;
  const bool left = s.DisplayLocation == TDisplayLocation::TopLeft || s.DisplayLocation == TDisplayLocation::BottomLeft;
  const bool top = s.DisplayLocation == TDisplayLocation::TopLeft || s.DisplayLocation == TDisplayLocation::TopRight;
  const int x = left ? t.X(10) : ClampCoordinate(qint64(t.X(qint64(s.Width) - 10)) - w);
  const int y = top ? t.Y(10) : ClampCoordinate(qint64(t.Y(qint64(s.Height) - 10)) - h);
  painter.setFont(PixelFont(font, 1.0));
  painter.setPen(Qt::black);
  WriteText(painter, x + 10, y + 5, s.DiagramName);
  painter.setPen(QPen(Qt::black, qMax(1, RoundHalfEven(4 * t.Rx))));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(x, y, w, h));
}

}  // namespace

qint64 TPageGrid::PageLeft(qint64 column) const
{
  return Round64(double(Page.width()) * double(column) / Rx);
}

qint64 TPageGrid::PageTop(qint64 row) const
{
  return Round64(double(Page.height()) * double(row) / Ry);
}

QPoint TPageGrid::PageAt(QPoint point) const
{
  if (Page.isEmpty())
    return QPoint(0, 0);
  return QPoint(PageIndex(Round64(point.x() * Rx), Page.width(), Across),
                PageIndex(Round64(point.y() * Ry), Page.height(), Down));
}

QFont DeviceFont(const QFont& font, int resolution)
{
  QFont f(font);
  const int pt = font.pointSize() > 0 ? font.pointSize() : 8;
  f.setPointSize(qMax(1, RoundHalfEven(pt * double(resolution) / 96.0)));
  return f;
}

TPageGrid PageGrid(const TDrawingSurface& s, const TPageDevice& device)
{
  TPageGrid grid;
  grid.Page = device.PageSize;
  const QFont screen = s.ZoomedFont();
  const QFont printer = DeviceFont(screen, device.Resolution);
  const TTextMeasurer& m = s.Measurer();
  const int sw = m.TextWidth(screen, kMeasureText);
  const int sh = m.TextHeight(screen, kMeasureText);
  // A font that measures nothing still scales with the resolution.
  const double fallback = device.Resolution > 0 ? device.Resolution / 96.0 : 1.0;
  grid.Rx = sw > 0 && m.TextWidth(printer, kMeasureText) > 0 ? double(m.TextWidth(printer, kMeasureText)) / sw : fallback;
  grid.Ry = sh > 0 && m.TextHeight(printer, kMeasureText) > 0 ? double(m.TextHeight(printer, kMeasureText)) / sh : fallback;
  if (!grid.Page.isEmpty()) {
    grid.Across = PagesFor(Round64(s.Width * grid.Rx), grid.Page.width());
    grid.Down = PagesFor(Round64(s.Height * grid.Ry), grid.Page.height());
  }
  return grid;
}

TPageGrid PageGrid(const TDrawingSurface& s, QSize surfacePage)
{
  TPageGrid grid;
  grid.Page = surfacePage;
  if (!surfacePage.isEmpty()) {
    grid.Across = PagesFor(s.Width, surfacePage.width());
    grid.Down = PagesFor(s.Height, surfacePage.height());
  }
  return grid;
}

int PagesAcross(const TDrawingSurface& s, const TPageDevice& device)
{
  return PageGrid(s, device).Across;
}

int PagesDown(const TDrawingSurface& s, const TPageDevice& device)
{
  return PageGrid(s, device).Down;
}

QPoint CurrentPage(const TDrawingSurface& s, const TPageDevice& device, QPoint visibleCentre)
{
  return PageGrid(s, device).PageAt(visibleCentre);
}

QString PageMark(const TDrawingSurface& s, int column, int row)
{
  if (column == 0 && row == 0 && s.DisplayLocation == TDisplayLocation::TopLeft)
    return QString();
  return QStringLiteral("Page(%1,%2)").arg(qint64(row) + 1).arg(qint64(column) + 1);
}

void PrintPage(TDrawingSurface& s, QPainter& painter, const TPageDevice& device, int column, int row)
{
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);

  const QString mark = PageMark(s, column, row);
  if (!mark.isEmpty()) {
    painter.setFont(PixelFont(DeviceFont(s.Font, device.Resolution), 1.0));
    painter.setPen(Qt::black);
    WriteText(painter, 0, 0, mark);
  }

  const TPageGrid grid = PageGrid(s, device);
  const QFont font = DeviceFont(s.ZoomedFont(), device.Resolution);
  const int lineHeight = s.Measurer().TextHeight(font, kMeasureText);
  const TPageTransform t{grid.Rx, grid.Ry, -grid.PageLeft(column), -grid.PageTop(row)};
  // What lies outside the page would be cut off anyway; a rectangle test
  // spares drawing (and laying out) it, so a page of a large model costs
  // what it shows. The margin holds the symbols and pens that reach past a
  // control's bounds.
  const QRect page = QRect(QPoint(ClampCoordinate(-t.OffX), ClampCoordinate(-t.OffY)),
                           QSize(ClampCoordinate(Round64(device.PageSize.width() / grid.Rx) + 1),
                                 ClampCoordinate(Round64(device.PageSize.height() / grid.Ry) + 1)))
                         .adjusted(-8, -8, 8, 8);

  const QFont textFont = PixelFont(font, 1.0);
  const auto writeLines = [&](const TTextLabel& label, const QStringList& lines) {
    painter.setFont(textFont);
    painter.setPen(Qt::black);
    int y = t.Y(label.Top);
    for (const QString& line : lines) {
      WriteText(painter, t.X(label.Left), y, line);
      y = ClampCoordinate(qint64(y) + lineHeight);
    }
  };

  for (const TTextLabel* label : s.Labels)
    writeLines(*label, TTextLabel::CaptionLines(LeftCharacters(label->Caption(), 255)));

  for (const TRelation* r : s.Relations) {
    if (!r->Visible())
      continue;
    if (s.RelationLabelVisible)
      for (const TTextLabel* label : {&r->NameLabel, &r->InverseNameLabel})
        writeLines(*label, {label->Caption()});
    for (const TRelationSegment& seg : r->Segments)
      if (seg.BoundsRect().intersects(page))
        DrawSegment(seg, painter, t.MovedX(seg.Left), t.MovedY(seg.Top), grid.Rx, grid.Ry);
  }

  for (TEntity* e : s.Entities) {
    if (!e->Visible || !e->BoundsRect().intersects(page))
      continue;
    e->ComputeLayout();
    DrawEntity(*e, painter, t.MovedX(e->Left), t.MovedY(e->Top), grid.Rx, grid.Ry);
  }

  DrawNameBox(s, painter, t, font);
  painter.restore();
}

}  // namespace veska
