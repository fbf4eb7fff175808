#pragma once
// The desktop's progress: a window-modal progress dialog over a window,
// shown only once the work has run for half a second, so that short work
// never flickers. While it is shown the program keeps repainting its windows,
// and the user's input (and requests to close a window) wait until the work
// is over; a message box that the work opens meanwhile takes input as usual.

#include "platform/Progress.h"

#include <QObject>

#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

namespace veska {

class TWindowProgress final : public QObject, public TProgress {
public:
  // The work runs this long (ms) before the dialog shows.
  static constexpr qint64 kShowAfter = 500;
  // While the dialog shows, pending events are processed at most this often
  // (ms), so that the windows repaint without slowing the work down.
  static constexpr qint64 kProcessEvery = 40;
  static inline const QString DialogName = QStringLiteral("ProgressDlg");

  // `window` (which outlives this) is the one the dialog is modal to.
  explicit TWindowProgress(QWidget* window);
  ~TWindowProgress() override;

  // A monotonic time in milliseconds; tests replace it.
  std::function<qint64()> Clock;
  // Called with true when the work begins and with false when it ends.
  std::function<void(bool)> OnBusy;

  // The dialog while it is shown, else null.
  QProgressDialog* Dialog() const { return FDialog.get(); }
  bool Busy() const { return FDepth > 0; }

  // Work begun inside other work belongs to the outer one: only the
  // outermost Begin and End count.
  void Begin(const QString& caption, qint64 total) override;
  void Step(qint64 done) override;
  void End() override;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void ShowDialog();
  void ProcessEvents(qint64 now);

  QWidget* FWindow;
  std::unique_ptr<QProgressDialog> FDialog;
  int FDepth = 0;
  QString FCaption;
  qint64 FTotal = 0;
  qint64 FDone = 0;
  qint64 FStart = 0;
  qint64 FLastEvents = 0;
};

}  // namespace veska
