#pragma once
// The program's pictures, drawn in code: the tool-button icons and the
// program picture of the splash window and the About box.

#include <QIcon>
#include <QPixmap>

class QPainter;

namespace veska {

enum class TToolIcon {
  Open,
  Save,
  Print,
  Exit,
  Pointer,
  Entity,
  RelationManyForeign,
  RelationOneForeign,
  RelationManyMaster,
  RelationOneMaster,
  Text,
  Delete,
  ZoomOut,
  ZoomIn,
};

// A tool-button icon of 18 x 18 logical pixels, with pixmaps for device pixel
// ratios 1 and 2 so that it is crisp on both kinds of screen.
QIcon ToolIcon(TToolIcon kind);

// The program picture at the given logical size and device pixel ratio.
QPixmap ProgramPicture(QSize size, qreal devicePixelRatio = 1.0);
// The program's icon: the diagram of the program picture, without its
// caption, on a square tile of `side` units at the painter's origin (the
// caption cannot be read at icon sizes). Any paint device takes it: the
// window icon, the PNG and SVG icons of an installation.
void PaintProgramIcon(QPainter& p, qreal side);
// The program's icon at the sizes a desktop shows, for the windows.
QIcon ProgramIcon();

}  // namespace veska
