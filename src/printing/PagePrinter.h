#pragma once
// The printer seam and printing the chosen pages of a diagram through it.
//
// A page printer gives its page (printable area in device pixels and its
// resolution) and opens one print job at a time, handing out the painter
// of the job's page. The desktop program prints through Qt's printer; a PDF
// printer puts every job on a page of its own in one file; tests record the
// jobs and their page images.

#include "surface/Printing.h"

#include <QBuffer>
#include <QList>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPoint>

#include <stdexcept>

namespace veska {

class TPagePrinter {
public:
  virtual ~TPagePrinter() = default;
  virtual TPageDevice Device() const = 0;
  // Starts a print job under a title; nullptr when the device cannot be
  // opened. The painter stays the printer's.
  virtual QPainter* BeginJob(const QString& title) = 0;
  // Ends the job begun last; false when the device reports a failure.
  virtual bool EndJob() = 0;
};

// Printing that could not be done; what() is the message for the user
// (UTF-8).
class TPrintError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The title of every print job of a diagram: "VESKA - " and its name.
QString PrintJobTitle(const TDrawingSurface& surface);

// The pages (x column, y row) in the order they are printed: column by
// column, each column from top to bottom; repeated pages once.
QList<QPoint> PrintOrder(QList<QPoint> pages);

// Prints each page (x column, y row) as a print job of its own, in the
// order given, all titled PrintJobTitle. Throws TPrintError when a job
// cannot be started or ended; the jobs before it stay printed.
void PrintPages(TDrawingSurface& surface, TPagePrinter& printer, const QList<QPoint>& pages);

// A4 portrait with quarter-inch margins: the page of PDF output unless the
// user chooses another.
QPageLayout DefaultPdfLayout();

// Every job as the next page of one PDF document, held in memory until
// Finish gives its bytes.
class TPdfPagePrinter final : public TPagePrinter {
public:
  explicit TPdfPagePrinter(const QPageLayout& layout);
  TPageDevice Device() const override;
  QPainter* BeginJob(const QString& title) override;
  bool EndJob() override { return true; }
  // Ends the document: its bytes, empty when no job was printed.
  QByteArray Finish();

private:
  QBuffer FBuffer;
  QPdfWriter FWriter;
  QPainter FPainter;
  bool FStarted = false;
};

// The page of the PDF output for a page layout, as the page grid needs it.
TPageDevice PdfPageDevice(const QPageLayout& layout);

// Writes the pages (x column, y row) into one PDF file, one PDF page per
// printed page in PrintOrder, through a temporary file beside the target so
// that a failure leaves an existing file as it was. Returns the number of
// pages written; with none, no file is written. Throws TFileAccessError
// when the file cannot be written and TPrintError when the document cannot
// be made.
int WritePagesPdf(TDrawingSurface& surface, const QList<QPoint>& pages, const QString& fileName,
                  const QPageLayout& layout = DefaultPdfLayout());

}  // namespace veska
