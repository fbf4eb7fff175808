#pragma once
// A page printer that keeps every job: its title and the image of its page.

#include "printing/PagePrinter.h"

#include <QImage>

#include <memory>
#include <vector>

namespace veska::test {

class TRecordingPrinter final : public TPagePrinter {
public:
  struct TJob {
    QString Title;
    QImage Page;
  };

  explicit TRecordingPrinter(TPageDevice device) : FDevice(device) {}

  TPageDevice Device() const override { return FDevice; }
  QPainter* BeginJob(const QString& title) override
  {
    if (FailJob == int(Jobs.size()))
      return nullptr;
    Jobs.push_back({title, QImage(FDevice.PageSize, QImage::Format_RGB32)});
    Jobs.back().Page.fill(Qt::white);
    FPainter = std::make_unique<QPainter>(&Jobs.back().Page);
    return FPainter.get();
  }
  bool EndJob() override
  {
    const bool ended = FPainter && FPainter->end();
    FPainter.reset();
    return ended;
  }

  std::vector<TJob> Jobs;
  // The job (counted from 0) that cannot be started; -1: none.
  int FailJob = -1;

private:
  TPageDevice FDevice;
  std::unique_ptr<QPainter> FPainter;
};

}  // namespace veska::test
