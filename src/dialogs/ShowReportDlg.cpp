#include "dialogs/ShowReportDlg.h"

#include "platform/MessageService.h"
#include "platform/TextEncoding.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace veska {
namespace {

constexpr int kFontPixels = 13;

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setToolTip(hint);
  button->setAutoDefault(false);
  return button;
}

// Pixels at 96 dots per inch.
double FontPixels(const QFont& font)
{
  return font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96.0 / 72.0;
}

}  // namespace

int PrintReportLines(QPagedPaintDevice& device, const QStringList& lines, const QFont& font)
{
  QPainter painter;
  if (!painter.begin(&device))
    return 0;
  QFont printFont(font);
  printFont.setPixelSize(std::max(1, qRound(FontPixels(font) * device.logicalDpiY() / 96.0)));
  painter.setFont(printFont);
  painter.setPen(Qt::black);
  const QFontMetrics metrics(printFont, &device);
  const int lineHeight = metrics.lineSpacing();
  const int pageHeight = device.height();
  int pages = 1;
  int y = 0;
  for (const QString& line : lines) {
    if (y > 0 && y + lineHeight > pageHeight) {
      device.newPage();
      ++pages;
      y = 0;
    }
    painter.drawText(0, y + metrics.ascent(), line);
    y += lineHeight;
  }
  painter.end();
  return pages;
}

TShowReportDlg::TShowReportDlg(TMessageService& messages, QWidget* parent) : QDialog(parent), FMessages(messages)
{
  setWindowTitle(QStringLiteral("Veska - Report Display"));
  setSizeGripEnabled(true);

  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedHeight(25);
  PrintButton = MakeButton(Panel1, "PrintButton", QStringLiteral("&Print"), QStringLiteral("Print the Report"));
  CloseButton = MakeButton(Panel1, "CloseButton", QStringLiteral("&Close"), QStringLiteral("Close the Window"));
  auto* bar = new QHBoxLayout(Panel1);
  bar->setContentsMargins(0, 0, 0, 0);
  bar->addWidget(PrintButton);
  bar->addWidget(CloseButton);
  bar->addStretch();

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(kFontPixels);
  if (!QFontInfo(font).fixedPitch()) {
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(kFontPixels);
    FFallbackFont = true;
  }
  Memo1->setFont(font);
  QPalette palette = Memo1->palette();
  palette.setColor(QPalette::Text, Qt::black);
  Memo1->setPalette(palette);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(Panel1);
  layout->addWidget(Memo1);

  resize(435, 300);
  if (const QScreen* screen = this->screen())
    move(screen->availableGeometry().center() - rect().center());

  connect(PrintButton, &QPushButton::clicked, this, [this] { PrintButtonClick(); });
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
}

bool TShowReportDlg::LoadReport(const QString& fileName)
{
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly))
    return false;
  QString text = DecodeText(file.readAll());
  if (file.error() != QFileDevice::NoError)
    return false;
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  // The line end of the last line starts no further line.
  if (text.endsWith(QLatin1Char('\n')))
    text.chop(1);
  Memo1->setPlainText(text);
  return true;
}

QStringList TShowReportDlg::Lines() const
{
  const QString text = Memo1->toPlainText();
  return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void TShowReportDlg::PrintButtonClick()
{
  if ((InstalledPrinters ? InstalledPrinters() : QPrinterInfo::availablePrinterNames()).isEmpty()) {
    PrintToPdf();
    return;
  }
  QPrinterInfo info = PrinterName.isEmpty() ? QPrinterInfo() : QPrinterInfo::printerInfo(PrinterName);
  if (info.isNull())
    info = QPrinterInfo::defaultPrinter();
  if (info.isNull())
    info = QPrinterInfo::availablePrinters().constFirst();
  QPrinter printer(info, QPrinter::HighResolution);
  printer.setDocName(windowTitle());
  if (PrintReportLines(printer, Lines(), Memo1->font()) == 0)
    FMessages.Error(QStringLiteral("Cannot print on \"%1\".").arg(info.printerName()));
}

void TShowReportDlg::PrintToPdf()
{
  if (FMessages.Show(TMsgDlgType::mtConfirmation,
                     QStringLiteral("No printer is installed. Write the report to a PDF file instead?"),
                     mbYes | mbNo) != mbYes)
    return;
  const QString fileName = AskPdfFileName ? AskPdfFileName(PdfTitle, PdfFilter) : QString();
  if (fileName.isEmpty())
    return;
  QPdfWriter writer(fileName);
  writer.setTitle(windowTitle());
  writer.setPageSize(QPageSize(QPageSize::A4));
  writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
  if (PrintReportLines(writer, Lines(), Memo1->font()) == 0)
    FMessages.Error(QStringLiteral("Cannot write \"%1\".").arg(fileName));
}

}  // namespace veska
