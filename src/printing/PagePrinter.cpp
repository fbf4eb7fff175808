#include "printing/PagePrinter.h"

#include "platform/SafeFile.h"

#include <algorithm>

namespace veska {

QString PrintJobTitle(const TDrawingSurface& surface)
{
  return QStringLiteral("VESKA - ") + surface.DiagramName;
}

QList<QPoint> PrintOrder(QList<QPoint> pages)
{
  const auto before = [](QPoint a, QPoint b) { return a.x() != b.x() ? a.x() < b.x() : a.y() < b.y(); };
  std::sort(pages.begin(), pages.end(), before);
  pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
  return pages;
}

void PrintPages(TDrawingSurface& surface, TPagePrinter& printer, const QList<QPoint>& pages)
{
  const QString title = PrintJobTitle(surface);
  const TPageDevice device = printer.Device();
  for (const QPoint page : pages) {
    QPainter* painter = printer.BeginJob(title);
    if (!painter)
      throw TPrintError((QStringLiteral("The printer cannot start the print job \"%1\".").arg(title)).toStdString());
    PrintPage(surface, *painter, device, page.x(), page.y());
    if (!printer.EndJob())
      throw TPrintError((QStringLiteral("The printer did not finish the print job \"%1\".").arg(title)).toStdString());
  }
}

QPageLayout DefaultPdfLayout()
{
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18), QPageLayout::Point);
}

TPdfPagePrinter::TPdfPagePrinter(const QPageLayout& layout) : FWriter(&FBuffer)
{
  FBuffer.open(QIODevice::WriteOnly);
  FWriter.setCreator(QStringLiteral("Veska"));
  FWriter.setPageLayout(layout);
}

TPageDevice TPdfPagePrinter::Device() const
{
  return {QSize(FWriter.width(), FWriter.height()), FWriter.resolution()};
}

QPainter* TPdfPagePrinter::BeginJob(const QString& title)
{
  if (!FStarted) {
    FWriter.setTitle(title);
    if (!FPainter.begin(&FWriter))
      return nullptr;
    FStarted = true;
  } else if (!FWriter.newPage()) {
    return nullptr;
  }
  return &FPainter;
}

QByteArray TPdfPagePrinter::Finish()
{
  if (!FStarted)
    return QByteArray();
  FStarted = false;
  if (!FPainter.end())
    throw TPrintError((QStringLiteral("The PDF document could not be completed.")).toStdString());
  return FBuffer.data();
}

TPageDevice PdfPageDevice(const QPageLayout& layout)
{
  return TPdfPagePrinter(layout).Device();
}

int WritePagesPdf(TDrawingSurface& surface, const QList<QPoint>& pages, const QString& fileName,
                  const QPageLayout& layout)
{
  const QList<QPoint> ordered = PrintOrder(pages);
  if (ordered.isEmpty())
    return 0;
  TPdfPagePrinter pdf(layout);
  PrintPages(surface, pdf, ordered);
  WriteFileSafely(fileName, pdf.Finish());
  return int(ordered.size());
}

}  // namespace veska
