#pragma once
// The progress seam: long work (loading a diagram, reading tables, building
// tables, generating an application) reports how far it has come through
// this interface. The desktop program shows a progress dialog; veska-cli and
// most tests pass none. The work cannot be cancelled from here: it either
// completes or stops at an error.

#include <QString>

#include <utility>

namespace veska {

class TProgress {
public:
  virtual ~TProgress() = default;
  // The work starts; `total` is the number of steps it will take (0 when
  // not known).
  virtual void Begin(const QString& caption, qint64 total) = 0;
  // `done` steps of the total are complete; it never decreases.
  virtual void Step(qint64 done) = 0;
  // The work is over, completed or not.
  virtual void End() = 0;
};

// One piece of work on an optional progress: begins on construction and ends
// on destruction, so that work left by an exception ends its progress too.
// Steps that report no advance are not passed on, so callers may step per
// item without flooding the progress.
class TProgressRun {
public:
  TProgressRun(TProgress* progress, const QString& caption, qint64 total) : FProgress(progress)
  {
    if (FProgress)
      FProgress->Begin(caption, total);
  }
  ~TProgressRun() { Finish(); }
  TProgressRun(const TProgressRun&) = delete;
  TProgressRun& operator=(const TProgressRun&) = delete;

  void Step(qint64 done)
  {
    if (FProgress && done > FDone) {
      FDone = done;
      FProgress->Step(done);
    }
  }
  // `done` of `count` items of a stage that covers steps [from, to).
  void StepWithin(qint64 from, qint64 to, qint64 done, qint64 count)
  {
    if (FProgress && count > 0)
      Step(from + (to - from) * done / count);
  }

  // Ends the progress early (before a message about the outcome, say); the
  // run then reports nothing more.
  void Finish()
  {
    if (FProgress)
      std::exchange(FProgress, nullptr)->End();
  }

private:
  TProgress* FProgress;
  qint64 FDone = 0;
};

}  // namespace veska
