#pragma once
// Exporting the whole diagram as one picture: a one-page vector PDF with its
// text kept as text, an SVG drawing, or a PNG image. The picture is what the
// screen shows at 100% zoom (display mode, hidden labels and entities as on
// the screen), cut to the objects drawn plus a margin.

#include "surface/DrawingSurface.h"

#include <QRect>
#include <QString>

#include <optional>
#include <stdexcept>

namespace veska {

enum class TExportFormat { ByExtension, Pdf, Svg, Png };

// An export that cannot be made or written; what() is the message to show.
class TExportError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// White space kept around the drawn objects, in pixels at 100% zoom.
inline constexpr int kExportMargin = 20;
// The screen's resolution that diagram pixels stand for, and the PNG
// resolution used unless another is chosen (twice the screen's).
inline constexpr int kScreenDpi = 96;
inline constexpr int kDefaultExportDpi = 2 * kScreenDpi;
// The PNG resolutions accepted.
inline constexpr int kMinExportDpi = 24;
inline constexpr int kMaxExportDpi = 1200;

// The format a file name's extension stands for (".pdf", ".svg", ".png", any
// letter case); none for another extension.
std::optional<TExportFormat> ExportFormatOf(const QString& fileName);

// Whether anything but the name box is drawn: a visible entity, relation
// segment or name label, or a text label.
bool HasDrawnObjects(const TDrawingSurface& surface);

// The area that the drawn objects and the name box cover at the surface's
// current zoom, without the margin; empty when nothing is drawn.
QRect DrawnArea(const TDrawingSurface& surface);

// Writes the diagram to `fileName` in `format` (ByExtension: by the file
// name's extension); `dpi` is the PNG's resolution. A zoomed surface is
// exported at 100% and left exactly as it was. The file is replaced only once
// the whole export is written. Throws TExportError for an unknown extension,
// a diagram with nothing drawn, a resolution out of range, an image too large
// to make, or a file that cannot be written (with the system's message).
void ExportDiagram(TDrawingSurface& surface, const QString& fileName,
                   TExportFormat format = TExportFormat::ByExtension, int dpi = kDefaultExportDpi);

}  // namespace veska
