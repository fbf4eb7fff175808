#pragma once
// The grid of printed pages laid over the drawing surface, and drawing one
// page of it onto a printer's painter.
//
// A page is given by the caller as the printer describes it (printable area
// in device pixels and the device's pixels per inch); the surface never
// talks to a printer itself. The ratios rx and ry turn surface pixels into
// device pixels: the width and height of "A" in the zoomed diagram font on
// the device over the same on the screen. The screen's dotted page lines and
// the printed pages come from the same grid, so they always agree.

#include "surface/DrawingSurface.h"

#include <QFont>
#include <QPoint>
#include <QSize>

class QPainter;

namespace veska {

// A printer page: the printable area in device pixels and the device's
// pixels per inch.
struct TPageDevice {
  QSize PageSize;
  int Resolution = 96;
};

// The printed pages of a surface. Columns count from 0 at the left, rows
// from 0 at the top.
struct TPageGrid {
  double Rx = 1.0;
  double Ry = 1.0;
  QSize Page;  // device pixels; empty: no pages to draw lines for
  int Across = 1;
  int Down = 1;

  // Where a page column or row begins on the surface (surface pixels).
  qint64 PageLeft(qint64 column) const;
  qint64 PageTop(qint64 row) const;
  // The column and row of the page that holds a surface point, kept inside
  // the grid (a point beyond the diagram's edge belongs to the last page).
  QPoint PageAt(QPoint point) const;
};

// The font a device of `resolution` pixels per inch draws for `font`: its
// point size scaled from the measurer's 96 dpi.
QFont DeviceFont(const QFont& font, int resolution);

// The page grid for a printer page, with rx and ry measured in the zoomed
// diagram font.
TPageGrid PageGrid(const TDrawingSurface& surface, const TPageDevice& device);
// The page grid for a page given in surface pixels (both ratios 1).
TPageGrid PageGrid(const TDrawingSurface& surface, QSize surfacePage);

int PagesAcross(const TDrawingSurface& surface, const TPageDevice& device);
int PagesDown(const TDrawingSurface& surface, const TPageDevice& device);
// Column (x) and row (y) of the page under the centre of the visible part
// of the diagram, given in diagram coordinates by the view.
QPoint CurrentPage(const TDrawingSurface& surface, const TPageDevice& device, QPoint visibleCentre);

// The page's mark at its top left corner: "Page(row,column)", both counted
// from 1; empty for the first page when the name box sits at the top left,
// where the mark would overwrite it.
QString PageMark(const TDrawingSurface& surface, int column, int row);

// Draws the page in `column` and `row` onto a painter of the device (its
// origin at the printable area's top left): the page mark, then the text
// labels, the visible relations (with their names while relation labels are
// shown), the visible entities and the name box, each one over the ones
// before. Entities are laid out anew first. The caller begins and ends the
// print job.
void PrintPage(TDrawingSurface& surface, QPainter& painter, const TPageDevice& device, int column, int row);

}  // namespace veska
