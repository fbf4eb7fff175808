#include "shell/QtPagePrinter.h"

#include <QPrinter>

namespace veska {

TPageDevice TQtPagePrinter::DeviceOf(const QPrinter& printer)
{
  return {QSize(printer.width(), printer.height()), printer.resolution()};
}

TPageDevice TQtPagePrinter::Device() const
{
  return DeviceOf(FPrinter);
}

QPainter* TQtPagePrinter::BeginJob(const QString& title)
{
  FPrinter.setDocName(title);
  if (!FPainter.begin(&FPrinter))
    return nullptr;
  return &FPainter;
}

bool TQtPagePrinter::EndJob()
{
  return FPainter.end() && FPrinter.printerState() != QPrinter::Error;
}

}  // namespace veska
