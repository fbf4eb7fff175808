#include "printing/Export.h"

#include "model/Entity.h"
#include "platform/SafeFile.h"
#include "surface/Painting.h"

#include <QBuffer>
#include <QFileInfo>
#include <QIODevice>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include <array>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace veska {

namespace {

// Brings a zoomed surface to 100% for the time of an export and then puts
// back every position, size and font exactly as it was. Zooming out and in
// again through whole pixels would move objects by a pixel here and there;
// the export must leave the diagram as the user sees and saves it.
class TFullSizeGuard {
public:
  explicit TFullSizeGuard(TDrawingSurface& surface) : S(surface)
  {
    const int base = S.Font.pointSize();
    const int zoomed = S.ZoomedFontSize();
    if (base <= 0 || zoomed == base)
      return;
    Save();
    // The view hears nothing of the passing 100%: it would follow the
    // surface's size there and back and lose its scroll position.
    FQuietView.emplace(S.OnInvalidate);
    S.ResetZoom();
    FRescaled = true;
  }
  ~TFullSizeGuard()
  {
    if (!FRescaled)
      return;
    Restore();
    FQuietView.reset();
  }
  TFullSizeGuard(const TFullSizeGuard&) = delete;
  TFullSizeGuard& operator=(const TFullSizeGuard&) = delete;

private:
  struct TBox {
    QRect Bounds;
    QFont Font;
    TZoomHome Home;
  };
  struct TRelationState {
    QPoint ParentPoint, MidPoint, ChildPoint;
    std::array<TZoomHome, 3> PointHomes;
    int RouteShape;
    std::array<TRelationSegment, 3> Segments;
    TBox NameLabel, InverseNameLabel;
  };

  static TBox BoxOf(const TControl& c) { return {QRect(c.Left, c.Top, c.Width, c.Height), c.Font, c.ZoomHome}; }
  static void Put(TControl& c, const TBox& box)
  {
    c.Font = box.Font;
    c.ZoomHome = box.Home;
    c.SetBounds(box.Bounds.x(), box.Bounds.y(), box.Bounds.width(), box.Bounds.height());
  }

  void Save()
  {
    FWidth = S.Width;
    FHeight = S.Height;
    FSizeHome = S.SizeHome;
    FZoom = S.ZoomFactor;
    FEntities.reserve(size_t(S.Entities.Count()));
    for (const TEntity* e : S.Entities)
      FEntities.push_back(BoxOf(*e));
    FRelations.reserve(size_t(S.Relations.Count()));
    for (const TRelation* r : S.Relations)
      FRelations.push_back({r->ParentPoint, r->MidPoint, r->ChildPoint, r->PointHomes, r->RouteShape, r->Segments,
                            BoxOf(r->NameLabel), BoxOf(r->InverseNameLabel)});
    FLabels.reserve(size_t(S.Labels.Count()));
    for (const TTextLabel* l : S.Labels)
      FLabels.push_back(BoxOf(*l));
  }

  void Restore()
  {
    // The zoom and the entities' positions first; the layout at the end of
    // the update gives every entity its zoomed size again. Then everything
    // routing and layout computed is overwritten with what was saved.
    S.BeginUpdate();
    S.ZoomFactor = FZoom;
    S.Width = FWidth;
    S.Height = FHeight;
    S.SizeHome = FSizeHome;
    size_t i = 0;
    for (TEntity* e : S.Entities) {
      e->SetPosition(FEntities[i].Bounds.x(), FEntities[i].Bounds.y());
      ++i;
    }
    S.EndUpdate();
    i = 0;
    for (TEntity* e : S.Entities)
      Put(*e, FEntities[i++]);
    i = 0;
    for (TRelation* r : S.Relations) {
      const TRelationState& saved = FRelations[i++];
      r->ParentPoint = saved.ParentPoint;
      r->MidPoint = saved.MidPoint;
      r->ChildPoint = saved.ChildPoint;
      r->PointHomes = saved.PointHomes;
      r->RouteShape = saved.RouteShape;
      r->Segments = saved.Segments;
      Put(r->NameLabel, saved.NameLabel);
      Put(r->InverseNameLabel, saved.InverseNameLabel);
    }
    i = 0;
    for (TTextLabel* l : S.Labels)
      Put(*l, FLabels[i++]);
  }

  TDrawingSurface& S;
  std::optional<TListeners<const QRect&>::TMute> FQuietView;
  bool FRescaled = false;
  int FWidth = 0;
  int FHeight = 0;
  TZoomHome FSizeHome;
  double FZoom = 1.0;
  std::vector<TBox> FEntities;
  std::vector<TRelationState> FRelations;
  std::vector<TBox> FLabels;
};

QString FileMessage(const QString& fileName, const QString& text)
{
  return QStringLiteral("Cannot export to \"%1\": %2").arg(fileName, text);
}

[[noreturn]] void Fail(const QString& fileName, const QString& text)
{
  throw TExportError(FileMessage(fileName, text).toStdString());
}

// Paints the area of the surface so that its top left corner lands at the
// painter's origin, `scale` device units to a diagram pixel, on white.
void PaintArea(const TDrawingSurface& s, QPainter& painter, const QRect& area, double scale)
{
  painter.scale(scale, scale);
  painter.translate(-area.topLeft());
  painter.fillRect(area, Qt::white);
  // No page borders: they show where the printer cuts pages, not the diagram.
  PaintDiagram(s, painter, area, QSize());
}

void BeginPainting(QPainter& painter, QPaintDevice* device, const QString& fileName)
{
  if (!painter.begin(device))
    Fail(fileName, QStringLiteral("the picture could not be drawn."));
}

QByteArray PdfBytes(const TDrawingSurface& s, const QRect& area, QSize size, double scale, const QString& fileName)
{
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter pdf(&buffer);
    pdf.setCreator(QStringLiteral("Veska"));
    pdf.setTitle(s.DiagramName);
    // One device unit is one diagram pixel; the page is exactly the area.
    pdf.setResolution(kScreenDpi);
    const double pointsPerPixel = 72.0 / kScreenDpi;
    pdf.setPageLayout(QPageLayout(
        QPageSize(QSizeF(size.width() * pointsPerPixel, size.height() * pointsPerPixel), QPageSize::Point,
                  QString(), QPageSize::ExactMatch),
        QPageLayout::Portrait, QMarginsF(), QPageLayout::Point));
    QPainter painter;
    BeginPainting(painter, &pdf, fileName);
    PaintArea(s, painter, area, scale);
    if (!painter.end())
      Fail(fileName, QStringLiteral("the picture could not be drawn."));
  }
  return buffer.data();
}

// The SVG file as the generator writes it, straight into the file through a
// safe writer: every line end made CR LF, and the size in the header stated
// in pixels (the generator states it in millimetres, which readers turn back
// into pixels at resolutions of their own; pixels are what the screen shows).
// A large diagram's drawing is tens of megabytes: it is never held twice.
class TSvgFile final : public QIODevice {
public:
  TSvgFile(const QString& fileName, QSize size) : FFileName(fileName), FSize(size)
  {
    try {
      FWriter = std::make_unique<TSafeFileWriter>(fileName);
    } catch (const TFileAccessError& e) {
      Fail(fileName, QString::fromStdString(e.what()));
    }
    open(QIODevice::WriteOnly);
  }

  // Puts the file in place; throws when anything could not be written.
  void Commit()
  {
    if (!FHeadDone)
      PutHead();
    try {
      if (FError.isEmpty())
        FWriter->Commit();
    } catch (const TFileAccessError& e) {
      FError = QString::fromStdString(e.what());
    }
    if (!FError.isEmpty())
      Fail(FFileName, FError);
  }

protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 length) override
  {
    if (!FError.isEmpty())
      return -1;
    if (!FHeadDone) {
      FHead.append(data, length);
      if (kSizeInMillimetres.match(QString::fromUtf8(FHead)).hasMatch() || FHead.size() > kHeadLimit)
        PutHead();
    } else {
      Put(QByteArrayView(data, length));
    }
    return FError.isEmpty() ? length : -1;
  }

private:
  // The size stands in the first lines; a head this long without it is
  // written as it is.
  static constexpr qsizetype kHeadLimit = 4096;
  static inline const QRegularExpression kSizeInMillimetres{
      QStringLiteral("width=\"[0-9.]+mm\" height=\"[0-9.]+mm\"")};

  void PutHead()
  {
    FHeadDone = true;
    QString head = QString::fromUtf8(FHead);
    head.replace(kSizeInMillimetres, QStringLiteral("width=\"%1\" height=\"%2\"").arg(FSize.width()).arg(FSize.height()));
    Put(head.toUtf8());
    FHead.clear();
  }

  // Writes the bytes with CR LF for every line end.
  void Put(QByteArrayView bytes)
  {
    FLine.clear();
    for (const char c : bytes) {
      if (c == '\n' && !FAfterCr)
        FLine.append('\r');
      FLine.append(c);
      FAfterCr = c == '\r';
    }
    try {
      FWriter->Write(FLine);
    } catch (const TFileAccessError& e) {
      FError = QString::fromStdString(e.what());
    }
  }

  QString FFileName;
  QSize FSize;
  std::unique_ptr<TSafeFileWriter> FWriter;
  QByteArray FHead;
  bool FHeadDone = false;
  QByteArray FLine;
  bool FAfterCr = false;
  QString FError;
};

void WriteSvg(const TDrawingSurface& s, const QRect& area, QSize size, double scale, const QString& fileName)
{
  TSvgFile file(fileName, size);
  {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setTitle(s.DiagramName);
    svg.setResolution(kScreenDpi);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    QPainter painter;
    BeginPainting(painter, &svg, fileName);
    PaintArea(s, painter, area, scale);
    painter.end();
  }
  file.Commit();
}

}  // namespace

int FittingExportDpi(QSize size, int dpi)
{
  const auto pixels = [size](int d) {
    const double factor = double(d) / kScreenDpi;
    return qint64(std::ceil(size.width() * factor)) * qint64(std::ceil(size.height() * factor));
  };
  if (pixels(dpi) <= kMaxImagePixels)
    return dpi;
  const double area = std::max(1.0, double(size.width()) * double(size.height()));
  int fitting = std::min(dpi, int(kScreenDpi * std::sqrt(double(kMaxImagePixels) / area)) + 1);
  while (fitting >= kMinExportDpi && pixels(fitting) > kMaxImagePixels)
    --fitting;
  return fitting >= kMinExportDpi ? fitting : 0;
}

namespace {

QByteArray PngBytes(const TDrawingSurface& s, const QRect& area, QSize size, double scale, int dpi,
                    const QString& fileName)
{
  const double factor = double(dpi) / kScreenDpi;
  const qint64 width = qint64(std::ceil(size.width() * factor));
  const qint64 height = qint64(std::ceil(size.height() * factor));
  if (width * height > kMaxImagePixels)
    Fail(fileName, QStringLiteral("an image of %1 x %2 pixels is too large; choose a lower resolution.")
                       .arg(width)
                       .arg(height));
  QImage image(int(width), int(height), QImage::Format_RGB32);
  if (image.isNull())
    Fail(fileName, QStringLiteral("there is not enough memory for an image of %1 x %2 pixels.").arg(width).arg(height));
  const int dotsPerMeter = qRound(dpi / 0.0254);
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  {
    QPainter painter;
    BeginPainting(painter, &image, fileName);
    PaintArea(s, painter, area, scale * factor);
  }
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG"))
    Fail(fileName, QStringLiteral("the image could not be encoded."));
  return buffer.data();
}

}  // namespace

std::optional<TExportFormat> ExportFormatOf(const QString& fileName)
{
  const QString suffix = QFileInfo(fileName).suffix().toLower();
  if (suffix == QStringLiteral("pdf"))
    return TExportFormat::Pdf;
  if (suffix == QStringLiteral("svg"))
    return TExportFormat::Svg;
  if (suffix == QStringLiteral("png"))
    return TExportFormat::Png;
  return std::nullopt;
}

bool HasDrawnObjects(const TDrawingSurface& s)
{
  for (const TTextLabel* l : s.Labels)
    if (l->Visible)
      return true;
  for (const TEntity* e : s.Entities)
    if (e->Visible)
      return true;
  // A relation is shown only with both its entities, so without a visible
  // entity only a name label could still be drawn.
  for (const TRelation* r : s.Relations)
    if (r->NameLabel.Visible || r->InverseNameLabel.Visible)
      return true;
  return false;
}

QRect DrawnArea(const TDrawingSurface& s)
{
  // The same objects, with the same tests, that PaintDiagram draws.
  QRect area;
  const auto add = [&area](const QRect& r) { area = area.isNull() ? r : area.united(r); };
  for (const TEntity* e : s.Entities)
    if (e->Visible && !e->Dragging)
      add(e->BoundsRect());
  for (const TRelation* r : s.Relations) {
    if (r->Visible() && !r->Suspended())
      for (const TRelationSegment& seg : r->Segments)
        if (seg.Visible && seg.Width > 0 && seg.Height > 0)
          // The crow's foot at a segment's start reaches one pixel outside it.
          add(seg.BoundsRect().adjusted(-1, -1, 1, 1));
    for (const TTextLabel* l : {&r->NameLabel, &r->InverseNameLabel})
      if (l->Visible)
        add(l->BoundsRect());
  }
  for (const TTextLabel* l : s.Labels)
    if (l->Visible)
      add(l->BoundsRect());
  if (area.isNull())
    return area;
  // The name box's 4-pixel outline is centred on its rectangle.
  add(NameBoxRect(s).adjusted(-2, -2, 2, 2));
  return area;
}

TExportResult ExportDiagram(TDrawingSurface& surface, const QString& fileName, TExportFormat format, int dpi)
{
  if (format == TExportFormat::ByExtension) {
    const std::optional<TExportFormat> byName = ExportFormatOf(fileName);
    if (!byName)
      Fail(fileName, QStringLiteral("the file name must end in .pdf, .svg or .png."));
    format = *byName;
  }
  if (format == TExportFormat::Png && (dpi < kMinExportDpi || dpi > kMaxExportDpi))
    Fail(fileName, QStringLiteral("the resolution must be %1 to %2 dpi.").arg(kMinExportDpi).arg(kMaxExportDpi));
  if (!HasDrawnObjects(surface))
    Fail(fileName, QStringLiteral("the diagram has nothing drawn."));

  TExportResult result;
  result.Dpi = dpi;
  QByteArray bytes;
  {
    const TFullSizeGuard fullSize(surface);
    // When 100% cannot be reached (the surface would grow too large), the
    // zoomed diagram is drawn scaled to 100%.
    const double zoom = surface.ZoomFactor > 0 ? surface.ZoomFactor : 1.0;
    const int margin = int(std::lround(kExportMargin * zoom));
    const QRect area = DrawnArea(surface).adjusted(-margin, -margin, margin, margin);
    const QSize size(int(std::ceil(area.width() / zoom)), int(std::ceil(area.height() / zoom)));
    const double scale = 1.0 / zoom;
    switch (format) {
    case TExportFormat::Pdf: bytes = PdfBytes(surface, area, size, scale, fileName); break;
    case TExportFormat::Svg: WriteSvg(surface, area, size, scale, fileName); return result;
    case TExportFormat::Png:
    case TExportFormat::ByExtension:
      // Too large an image at the resolution asked for is made at the
      // highest that fits, and said.
      if (const int fitting = FittingExportDpi(size, dpi); fitting > 0 && fitting < dpi) {
        result.Dpi = fitting;
        result.Note = QStringLiteral("The diagram is too large for an image at %1 dpi: it was exported at %2 dpi, "
                                     "the highest resolution that fits.")
                          .arg(dpi)
                          .arg(fitting);
      }
      bytes = PngBytes(surface, area, size, scale, result.Dpi, fileName);
      break;
    }
  }
  try {
    WriteFileSafely(fileName, bytes);
  } catch (const TFileAccessError& e) {
    Fail(fileName, QString::fromStdString(e.what()));
  }
  return result;
}

}  // namespace veska
