#pragma once
// Exporting the whole diagram as one picture: a one-page vector PDF with its
// text kept as text, an SVG drawing, or a PNG image. The picture is what the
// screen shows at 100% zoom (display mode, hidden labels and entities as on
// the screen), cut to the objects drawn plus a margin.

#include "surface/DrawingSurface.h"

#include <QRect>
#include <QSize>
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

// Larger images are not made rather than left to fail somewhere in the
// allocator: 128 million pixels (512 MiB at four bytes a pixel).
inline constexpr qint64 kMaxImagePixels = qint64(1) << 27;

// The highest resolution up to `dpi` at which the image of a diagram of
// `size` pixels (at the screen's resolution) stays within kMaxImagePixels;
// 0 when not even kMinExportDpi does.
int FittingExportDpi(QSize size, int dpi);

// The format a file name's extension stands for (".pdf", ".svg", ".png", any
// letter case); none for another extension.
std::optional<TExportFormat> ExportFormatOf(const QString& fileName);

// Whether anything but the name box is drawn: a visible entity, relation
// segment or name label, or a text label.
bool HasDrawnObjects(const TDrawingSurface& surface);

// The area that the drawn objects and the name box cover at the surface's
// current zoom, without the margin; empty when nothing is drawn.
QRect DrawnArea(const TDrawingSurface& surface);

// How an export was made.
struct TExportResult {
  // The PNG's resolution.
  int Dpi = 0;
  // What the user should know: an image too large at the resolution asked
  // for was made at the highest that fits.
  QString Note;
};

// Writes the diagram to `fileName` in `format` (ByExtension: by the file
// name's extension); `dpi` is the PNG's resolution, lowered to the highest
// that keeps the image within the size limit (and said in the result's note). A zoomed surface is
// exported at 100% and left exactly as it was. The file is replaced only once
// the whole export is written. Throws TExportError for an unknown extension,
// a diagram with nothing drawn, a resolution out of range, an image too large
// to make even at the lowest resolution, or a file that cannot be written (with the system's message).
TExportResult ExportDiagram(TDrawingSurface& surface, const QString& fileName,
                            TExportFormat format = TExportFormat::ByExtension, int dpi = kDefaultExportDpi);

}  // namespace veska
