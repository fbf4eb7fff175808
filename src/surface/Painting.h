#pragma once
// Drawing the diagram: entity boxes, relation segments with their cardinality
// symbols, labels, the page borders, the name box and the outlines of a drag
// in progress. The view paints the exposed area through PaintDiagram;
// printing draws entities and segments at a position and scale.

#include "surface/DrawingSurface.h"
#include "surface/Printing.h"

#include <QFont>
#include <QRect>
#include <QSize>

class QPainter;

namespace veska {

// The font that draws text of a point size exactly as large as the measurer
// measures it: the pixel size of that point size at 96 dpi, scaled.
QFont PixelFont(const QFont& font, double scale);

// Writes a text whose top is at y.
void WriteText(QPainter& painter, int x, int y, const QString& text);

// The entity's box with its title and attribute lines at (x, y) in painter
// coordinates, every length scaled by sx and sy, in the entity's pen colour.
void DrawEntity(const TEntity& entity, QPainter& painter, int x, int y, double sx, double sy);

// The segment's line and its end symbol at (x, y), scaled by sx and sy, in
// the segment's pen colour.
void DrawSegment(const TRelationSegment& segment, QPainter& painter, int x, int y, double sx, double sy);

// Paints what of the diagram intersects `area` (diagram coordinates at the
// current zoom, which are the view's pixels): the dotted page borders for a
// page of `pageSize` surface pixels (none when empty), the name box, the
// visible entities, segments, name labels and text labels in stacking order,
// and the outlines of a drag or rubber band in progress. Objects outside the
// area cost no more than a rectangle test.
void PaintDiagram(const TDrawingSurface& surface, QPainter& painter, const QRect& area, QSize pageSize);
// The same with the page borders of a printer's page grid: a dotted line
// where each page but the first begins.
void PaintDiagram(const TDrawingSurface& surface, QPainter& painter, const QRect& area, const TPageGrid& pages);

// The name box's rectangle at the current zoom: the text's size plus 20 by
// 10, 10 pixels inside the corner of DisplayLocation. Its outline is drawn
// with a pen 4 pixels wide centred on this rectangle.
QRect NameBoxRect(const TDrawingSurface& surface);

// The pages across and down that the surface covers for a page size in
// surface pixels; at least 1 each.
QSize PageCount(const TDrawingSurface& surface, QSize pageSize);

}  // namespace veska
