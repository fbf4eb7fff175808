#pragma once
// The report display: a freshly written report file shown in a fixed-pitch
// font, editable (edits change what is shown and printed, never the file),
// wrapped at the window's width on screen only, and printed one text line
// per printed line.
//
// The font asked for is "Courier New", 13 pixels high; when the system
// resolves it to a font that is not fixed-pitch, the system's fixed font
// takes its place at the same height.
//
// "Print" prints on the printer named in PrinterName, else on the default
// printer. When no printer is installed it offers to write a PDF file
// instead, under the name that AskPdfFileName returns.

#include <QDialog>
#include <QFont>
#include <QStringList>

#include <functional>

class QPagedPaintDevice;
class QPlainTextEdit;
class QPushButton;

namespace veska {

class TMessageService;

// Paints the lines, one per text line, from the top of the device's paint
// area down, in `font` scaled from 96 dots per inch to the device's
// resolution; a new page begins when the next line no longer fits. Returns
// the number of pages, or 0 when the device cannot be painted on.
int PrintReportLines(QPagedPaintDevice& device, const QStringList& lines, const QFont& font);

class TShowReportDlg : public QDialog {
  Q_OBJECT
public:
  explicit TShowReportDlg(TMessageService& messages, QWidget* parent = nullptr);

  static inline const QString PdfTitle = QStringLiteral("Veska - Save Report As PDF");
  static inline const QString PdfFilter = QStringLiteral("PDF Files (*.PDF)|*.PDF|All Files (*.*)|*.*");

  QWidget* Panel1 = nullptr;
  QPushButton* PrintButton = nullptr;
  QPushButton* CloseButton = nullptr;
  QPlainTextEdit* Memo1 = nullptr;

  // The printer chosen in the printer set-up; empty for the default printer.
  QString PrinterName;
  // Asks for the name of a PDF file (title, filter); empty when cancelled.
  std::function<QString(const QString&, const QString&)> AskPdfFileName;
  // The names of the installed printers (the system's list); tests replace it.
  std::function<QStringList()> InstalledPrinters;

  // Replaces the text with the lines of the file; false when the file cannot
  // be read.
  bool LoadReport(const QString& fileName);
  // The lines of the text area as they stand.
  QStringList Lines() const;
  // TRUE when the text area shows the system's fixed font in place of
  // "Courier New".
  bool UsesFallbackFont() const { return FFallbackFont; }

  void PrintButtonClick();

private:
  // Writes the lines to a PDF file chosen by the user.
  void PrintToPdf();

  TMessageService& FMessages;
  bool FFallbackFont = false;
};

}  // namespace veska
