#pragma once
// Print, Print Setup and Export of the main window: the printer or, when
// none is installed, the page of PDF output; the page lines of the view
// follow the page that printing uses.

#include "printing/Export.h"

#include <QList>
#include <QPageLayout>
#include <QPoint>
#include <QString>

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace veska {

class TDiagramView;
class TDrawingSurface;
class TFileDialogs;
class TMessageService;
class TPrintDlg;
struct TPageDevice;

class TPrintCommands {
public:
  // Everything given outlives the commands; `window` is the parent of their
  // dialogs.
  TPrintCommands(QWidget& window, TDrawingSurface& surface, TDiagramView& view, TPrintDlg& printDlg,
                 TMessageService& messages, TFileDialogs& fileDialogs);
  ~TPrintCommands();

  static inline const QString PdfTitle = QStringLiteral("Veska - Print to PDF File");
  static inline const QString PdfFilter = QStringLiteral("PDF Files (*.PDF)|*.PDF|All Files (*.*)|*.*");
  static inline const QString ExportFilter =
      QStringLiteral("PDF Files (*.PDF)|*.PDF|SVG Files (*.SVG)|*.SVG|PNG Images (*.PNG)|*.PNG");
  static inline const QString ExportResolutionDlgName = QStringLiteral("ExportResolutionDlg");

  // Whether a printer is installed (asked of Qt unless replaced; tests
  // replace it); shows the page lines of the printer or PDF page it leads to.
  void SetPrinterInstalled(std::function<bool()> installed);
  // The page of PDF output; the page lines follow it while no printer is
  // installed.
  const QPageLayout& PdfPageLayout() const { return FPdfLayout; }
  void SetPdfPageLayout(const QPageLayout& layout);
  // The page that printing uses now: the printer's, or the PDF output's.
  TPageDevice PageDevice();
  // Shows the page lines of the page that printing uses now.
  void ShowPageGrid();

  // The print dialog on the page grid, the page at `visibleCentre` (diagram
  // coordinates) current; then each chosen page as a print job of its own,
  // or all of them into one PDF file when no printer is installed.
  void Print(QPoint visibleCentre);
  // The printer's page size and orientation, or those of the PDF output
  // when no printer is installed.
  void PrintSetup();
  // Writes the whole diagram as a picture (PDF, SVG or PNG by the chosen
  // name's extension), proposing a PDF beside `diagramFileName`; a PNG's
  // resolution is asked first.
  void Export(const QString& diagramFileName);

private:
  bool HasPrinter() const;
  // The printer chosen in Print Setup, first the default one.
  QPrinter& Printer();
  void PrintToPdf(const QList<QPoint>& pages);

  QWidget& FWindow;
  TDrawingSurface& FSurface;
  TDiagramView& FView;
  TPrintDlg& FPrintDlg;
  TMessageService& FMessages;
  TFileDialogs& FFileDialogs;
  std::function<bool()> FPrinterInstalled;
  std::unique_ptr<QPrinter> FPrinter;
  QPageLayout FPdfLayout;
  // The PNG resolution chosen last; twice the screen's to begin with.
  int FExportDpi = kDefaultExportDpi;
};

}  // namespace veska
