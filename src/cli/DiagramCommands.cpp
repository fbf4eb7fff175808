// The diagram commands: convert, which opens, merges and writes diagrams,
// arrange, which lays a diagram out, and export, which writes a diagram as a
// picture or its printed pages.

#include "arrange/Arrange.h"
#include "cli/CommandSupport.h"
#include "cli/StreamMessages.h"
#include "platform/SafeFile.h"
#include "platform/TextMeasurer.h"
#include "printing/Export.h"
#include "printing/PagePrinter.h"

#include <QPoint>

namespace veska::cli {

int Convert(const QStringList& args, std::FILE* err)
{
  QStringList merges;
  QString merge;
  const TOptionHandler takeMerge = ValueOption(QStringLiteral("a file name"), merge, err);
  QStringList files;
  const std::map<QString, TOptionHandler> options = {
    {QStringLiteral("--merge"),
     [&](const QStringList& a, int& i) {
       const int status = takeMerge(a, i);
       if (status == ExitOk)
         merges << merge;
       return status;
     }},
  };
  if (const int status =
          ParseCommandLine(QStringLiteral("convert"), QStringLiteral("IN and OUT"), args, options, files, err))
    return status;

  TStreamMessages messages(err);
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  PrepareNewDiagram(surface);

  int status = ExitOk;
  for (const QString& file : QStringList{files[0]} + merges) {
    const int result = LoadInto(surface, file, err);
    if (NothingRead(result))
      return result;
    status = qMax(status, result);
  }

  if (const int written = WriteDiagramFile(surface, files[1], err))
    return written;
  return status;
}

int Arrange(const QStringList& args, std::FILE* err)
{
  QStringList files;
  if (const int status = ParseCommandLine(QStringLiteral("arrange"), QStringLiteral("IN and OUT"), args, {}, files, err))
    return status;
  TStreamMessages messages(err);
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  const int status = OpenInto(surface, files[0], err);
  if (NothingRead(status))
    return status;
  ArrangeDiagram(surface, false);
  if (const int written = WriteDiagramFile(surface, files[1], err))
    return written;
  return status;
}

namespace {

// The pages of "--pages": "all" (an empty list) or "C,R;C,R..." counted from
// 1, as (column, row) counted from 0. False for another text.
bool ParsePages(const QString& text, bool& all, QList<QPoint>& pages)
{
  all = text.trimmed().compare(QStringLiteral("all"), Qt::CaseInsensitive) == 0;
  if (all)
    return true;
  for (const QString& item : text.split(QLatin1Char(';'))) {
    const QStringList parts = item.split(QLatin1Char(','));
    bool okColumn = false;
    bool okRow = false;
    const int column = parts.value(0).trimmed().toInt(&okColumn);
    const int row = parts.value(1).trimmed().toInt(&okRow);
    if (parts.size() != 2 || !okColumn || !okRow || column < 1 || row < 1)
      return false;
    pages << QPoint(column - 1, row - 1);
  }
  return !pages.isEmpty();
}

// Writes the printed pages of the diagram into a PDF file; all pages when
// `all`, else the ones given, which must lie in the page grid.
int ExportPages(TDrawingSurface& surface, bool all, QList<QPoint> pages, const QString& fileName, int status,
                std::FILE* err)
{
  const QPageLayout layout = DefaultPdfLayout();
  const TPageDevice device = PdfPageDevice(layout);
  const int across = PagesAcross(surface, device);
  const int down = PagesDown(surface, device);
  if (all) {
    for (int column = 0; column < across; ++column)
      for (int row = 0; row < down; ++row)
        pages << QPoint(column, row);
  }
  for (const QPoint page : pages) {
    if (page.x() >= across || page.y() >= down) {
      PrintLine(err, QStringLiteral("veska-cli: page %1,%2 is outside the diagram's %3 x %4 pages")
                         .arg(page.x() + 1)
                         .arg(page.y() + 1)
                         .arg(across)
                         .arg(down));
      return ExitUsage;
    }
  }
  try {
    WritePagesPdf(surface, pages, fileName, layout);
  } catch (const TFileAccessError& e) {
    return FileError(err, fileName, e);
  } catch (const TPrintError& e) {
    PrintLine(err, QStringLiteral("error: %1").arg(QString::fromUtf8(e.what())));
    return ExitFileError;
  }
  return status;
}

// The pages of "--pages" (`text`; null when not given), which only a PDF
// OUT takes. Returns ExitOk or ExitUsage (after saying why).
int PagesChoice(const QString& text, TExportFormat format, bool& all, QList<QPoint>& pages, std::FILE* err)
{
  if (text.isNull())
    return ExitOk;
  if (format != TExportFormat::Pdf) {
    PrintLine(err, QStringLiteral("veska-cli: --pages applies only to a .pdf OUT"));
    return ExitUsage;
  }
  if (!ParsePages(text, all, pages)) {
    PrintLine(err, QStringLiteral("veska-cli: --pages needs all or COLUMN,ROW[;COLUMN,ROW]... counted from 1"));
    return ExitUsage;
  }
  return ExitOk;
}

// The resolution of "--dpi" (`text`; null when not given), which only a PNG
// OUT takes. Returns ExitOk or ExitUsage (after saying why).
int DpiChoice(const QString& text, TExportFormat format, int& dpi, std::FILE* err)
{
  if (text.isNull())
    return ExitOk;
  if (format != TExportFormat::Png) {
    PrintLine(err, QStringLiteral("veska-cli: --dpi applies only to a .png OUT"));
    return ExitUsage;
  }
  bool ok = false;
  dpi = text.toInt(&ok);
  if (!ok || dpi < kMinExportDpi || dpi > kMaxExportDpi) {
    PrintLine(err, QStringLiteral("veska-cli: --dpi needs a number from %1 to %2").arg(kMinExportDpi).arg(kMaxExportDpi));
    return ExitUsage;
  }
  return ExitOk;
}

}  // namespace

int Export(const QStringList& args, std::FILE* err)
{
  QString dpiText;
  QString pagesText;
  const std::map<QString, TOptionHandler> options = {
    {QStringLiteral("--dpi"), ValueOption(QStringLiteral("a resolution"), dpiText, err)},
    {QStringLiteral("--pages"), ValueOption(QStringLiteral("all or a list of pages"), pagesText, err)},
  };
  QStringList files;
  if (const int status = ParseCommandLine(QStringLiteral("export"), QStringLiteral("IN and OUT"), args, options, files, err))
    return status;
  const std::optional<TExportFormat> format = ExportFormatOf(files[1]);
  if (!format) {
    PrintLine(err, QStringLiteral("veska-cli: export: OUT must end in .pdf, .svg or .png"));
    return ExitUsage;
  }
  bool allPages = false;
  QList<QPoint> pages;
  if (const int status = PagesChoice(pagesText, *format, allPages, pages, err))
    return status;
  int dpi = kDefaultExportDpi;
  if (const int status = DpiChoice(dpiText, *format, dpi, err))
    return status;

  TStreamMessages messages(err);
  TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
  // A corrupt IN is exported as far as it was read.
  const int status = OpenInto(surface, files[0], err);
  if (NothingRead(status))
    return status;
  if (!pagesText.isNull())
    return ExportPages(surface, allPages, pages, files[1], status, err);
  try {
    const TExportResult result = ExportDiagram(surface, files[1], *format, dpi);
    if (!result.Note.isEmpty())
      messages.Information(result.Note);
  } catch (const TExportError& e) {
    PrintLine(err, QStringLiteral("error: %1").arg(QString::fromStdString(e.what())));
    return ExitFileError;
  }
  return status;
}

}  // namespace veska::cli
