#pragma once
// The page printer of the desktop program: Qt's printer. Each print job is
// one painting session on the printer, sent when it ends.

#include "printing/PagePrinter.h"

#include <QPainter>

class QPrinter;

namespace veska {

class TQtPagePrinter final : public TPagePrinter {
public:
  // The printer outlives this object.
  explicit TQtPagePrinter(QPrinter& printer) : FPrinter(printer) {}

  TPageDevice Device() const override;
  QPainter* BeginJob(const QString& title) override;
  bool EndJob() override;

  // The page of a printer: its printable area in device pixels.
  static TPageDevice DeviceOf(const QPrinter& printer);

private:
  QPrinter& FPrinter;
  QPainter FPainter;
};

}  // namespace veska
