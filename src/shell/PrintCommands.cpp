#include "shell/PrintCommands.h"

#include "dialogs/PrintDlg.h"
#include "platform/MessageService.h"
#include "platform/SafeFile.h"
#include "printing/PagePrinter.h"
#include "shell/DiagramView.h"
#include "shell/FileDialogs.h"
#include "shell/QtPagePrinter.h"
#include "surface/DrawingSurface.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

namespace veska {

TPrintCommands::TPrintCommands(QWidget& window, TDrawingSurface& surface, TDiagramView& view, TPrintDlg& printDlg,
                               TMessageService& messages, TFileDialogs& fileDialogs)
    : FWindow(window),
      FSurface(surface),
      FView(view),
      FPrintDlg(printDlg),
      FMessages(messages),
      FFileDialogs(fileDialogs),
      FPrinterInstalled([] { return !QPrinterInfo::availablePrinters().isEmpty(); }),
      FPdfLayout(DefaultPdfLayout())
{
  ShowPageGrid();
}

TPrintCommands::~TPrintCommands() = default;

void TPrintCommands::SetPrinterInstalled(std::function<bool()> installed)
{
  FPrinterInstalled = std::move(installed);
  ShowPageGrid();
}

bool TPrintCommands::HasPrinter() const
{
  return FPrinterInstalled && FPrinterInstalled();
}

QPrinter& TPrintCommands::Printer()
{
  if (!FPrinter) {
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() && !QPrinterInfo::availablePrinters().isEmpty())
      info = QPrinterInfo::availablePrinters().constFirst();
    FPrinter = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  }
  return *FPrinter;
}

TPageDevice TPrintCommands::PageDevice()
{
  if (HasPrinter()) {
    const TPageDevice device = TQtPagePrinter::DeviceOf(Printer());
    if (!device.PageSize.isEmpty() && device.Resolution > 0)
      return device;
  }
  return PdfPageDevice(FPdfLayout);
}

void TPrintCommands::ShowPageGrid()
{
  FView.SetPageDevice(PageDevice());
}

void TPrintCommands::SetPdfPageLayout(const QPageLayout& layout)
{
  FPdfLayout = layout;
  ShowPageGrid();
}

void TPrintCommands::PrintSetup()
{
  if (HasPrinter()) {
    // Qt's print dialog chooses the printer, and through its properties the
    // page size and orientation; nothing is printed from here.
    QPrintDialog dialog(&Printer(), &FWindow);
    dialog.setWindowTitle(QStringLiteral("Print Setup"));
    dialog.setOptions(QAbstractPrintDialog::PrintDialogOptions());
    // Qt names its confirm button "Print"; here it only keeps the choice.
    for (QDialogButtonBox* box : dialog.findChildren<QDialogButtonBox*>())
      if (QPushButton* ok = box->button(QDialogButtonBox::Ok))
        ok->setText(QStringLiteral("OK"));
    if (dialog.exec() == QDialog::Accepted)
      ShowPageGrid();
    return;
  }
  // Without a printer the page is the one of the PDF output.
  QPrinter pdf(QPrinter::HighResolution);
  pdf.setOutputFormat(QPrinter::PdfFormat);
  pdf.setPageLayout(FPdfLayout);
  QPageSetupDialog dialog(&pdf, &FWindow);
  if (dialog.exec() == QDialog::Accepted)
    SetPdfPageLayout(pdf.pageLayout());
}

void TPrintCommands::Print(QPoint visibleCentre)
{
  const bool printer = HasPrinter();
  const TPageDevice device = PageDevice();
  FView.SetPageDevice(device);
  const TPageGrid grid = PageGrid(FSurface, device);
  const QPoint current = grid.PageAt(visibleCentre);
  FPrintDlg.PagesAcross = grid.Across;
  FPrintDlg.PagesDown = grid.Down;
  FPrintDlg.CurrentPageColumn = current.x();
  FPrintDlg.CurrentPageRow = current.y();
  if (FPrintDlg.exec() != QDialog::Accepted)
    return;
  const QList<QPoint> pages = FPrintDlg.ChosenPages();
  if (pages.isEmpty())
    return;
  if (!printer) {
    PrintToPdf(pages);
    return;
  }
  TQtPagePrinter jobs(Printer());
  try {
    PrintPages(FSurface, jobs, pages);
  } catch (const TPrintError& e) {
    FMessages.Error(QString::fromStdString(e.what()));
  }
}

void TPrintCommands::PrintToPdf(const QList<QPoint>& pages)
{
  if (FMessages.Show(TMsgDlgType::mtConfirmation,
                     QStringLiteral("No printer is installed. Write the chosen pages to a PDF file instead?"),
                     mbYes | mbNo) != mbYes)
    return;
  const QString fileName = FFileDialogs.SaveFileName(PdfTitle, PdfFilter, QString());
  if (fileName.isEmpty())
    return;
  try {
    WritePagesPdf(FSurface, pages, fileName, FPdfLayout);
  } catch (const TFileAccessError& e) {
    FMessages.Error(QString::fromStdString(e.what()));
  } catch (const TPrintError& e) {
    FMessages.Error(QString::fromStdString(e.what()));
  }
}

void TPrintCommands::Export(const QString& diagramFileName)
{
  const QFileInfo current(diagramFileName);
  const QString proposed = current.dir().filePath(current.completeBaseName() + QStringLiteral(".pdf"));
  const QString name = FFileDialogs.SaveFileName(QStringLiteral("Veska - Export Diagram"), ExportFilter, proposed);
  if (name.isEmpty())
    return;
  const std::optional<TExportFormat> format = ExportFormatOf(name);
  if (format == TExportFormat::Png) {
    QInputDialog dialog(&FWindow);
    dialog.setObjectName(ExportResolutionDlgName);
    dialog.setWindowTitle(QStringLiteral("Veska - Export Image"));
    dialog.setLabelText(QStringLiteral("Resolution (dots per inch; the screen shows %1):").arg(kScreenDpi));
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setIntRange(kMinExportDpi, kMaxExportDpi);
    dialog.setIntStep(kScreenDpi / 2);
    dialog.setIntValue(FExportDpi);
    if (dialog.exec() != QDialog::Accepted)
      return;
    FExportDpi = dialog.intValue();
  }
  if (format && QFileInfo::exists(name) &&
      FMessages.Show(TMsgDlgType::mtConfirmation, QStringLiteral("Replace existing file \"%1\"?").arg(name),
                     mbYes | mbNo) != mbYes)
    return;
  try {
    // An unknown extension is refused here with the message that says why.
    const TExportResult result = ExportDiagram(FSurface, name, TExportFormat::ByExtension, FExportDpi);
    if (!result.Note.isEmpty())
      FMessages.Information(result.Note);
  } catch (const TExportError& e) {
    FMessages.Error(QString::fromStdString(e.what()));
  }
}

}  // namespace veska
