#pragma once
// A progress for tests: records the work begun, every step and every end.

#include "platform/Progress.h"

#include <QList>
#include <QString>

#include <functional>

namespace veska::test {

class TRecordingProgress final : public TProgress {
public:
  void Begin(const QString& caption, qint64 total) override
  {
    ++Begins;
    Caption = caption;
    Total = total;
  }
  void Step(qint64 done) override
  {
    Steps.append(done);
    if (OnStep)
      OnStep(done);
  }
  void End() override { ++Ends; }

  // Whether every step advanced past the one before and stayed within a
  // known total.
  bool StepsAdvanceWithinTotal() const
  {
    qint64 last = 0;
    for (qint64 done : Steps) {
      if (done <= last || (Total > 0 && done > Total))
        return false;
      last = done;
    }
    return true;
  }

  int Begins = 0;
  int Ends = 0;
  QString Caption;
  qint64 Total = -1;
  QList<qint64> Steps;
  std::function<void(qint64)> OnStep;
};

}  // namespace veska::test
