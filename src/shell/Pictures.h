#pragma once
// The program's pictures, drawn in code: the tool-button icons and the
// program picture of the splash window and the About box.

#include <QIcon>
#include <QPixmap>

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

}  // namespace veska
