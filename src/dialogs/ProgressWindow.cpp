#include "dialogs/ProgressWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QProgressDialog>

#include <climits>

namespace veska {
namespace {

// The dialog's range is an int; larger totals are scaled down.
int DialogValue(qint64 value, qint64 total)
{
  if (total <= INT_MAX)
    return int(value);
  return int(value / (total / INT_MAX + 1));
}

bool IsUserInput(QEvent::Type type)
{
  switch (type) {
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonRelease:
  case QEvent::MouseButtonDblClick:
  case QEvent::MouseMove:
  case QEvent::Wheel:
  case QEvent::KeyPress:
  case QEvent::KeyRelease:
  case QEvent::ShortcutOverride:
  case QEvent::ContextMenu:
  case QEvent::TouchBegin:
  case QEvent::TouchUpdate:
  case QEvent::TouchEnd:
  case QEvent::TabletPress:
  case QEvent::TabletRelease:
  case QEvent::DragEnter:
  case QEvent::DragMove:
  case QEvent::Drop:
  case QEvent::Close: return true;
  default: return false;
  }
}

}  // namespace

TWindowProgress::TWindowProgress(QWidget* window) : FWindow(window)
{
  auto timer = std::make_shared<QElapsedTimer>();
  timer->start();
  Clock = [timer] { return timer->elapsed(); };
}

TWindowProgress::~TWindowProgress()
{
  if (FDialog)
    qApp->removeEventFilter(this);
}

void TWindowProgress::Begin(const QString& caption, qint64 total)
{
  if (FDepth++ > 0)
    return;
  FCaption = caption;
  FTotal = qMax<qint64>(total, 0);
  FDone = 0;
  FStart = Clock();
  FLastEvents = FStart;
  if (OnBusy)
    OnBusy(true);
}

void TWindowProgress::Step(qint64 done)
{
  if (FDepth == 0)
    return;
  FDone = qBound<qint64>(0, done, FTotal > 0 ? FTotal : done);
  const qint64 now = Clock();
  if (!FDialog && now - FStart >= kShowAfter)
    ShowDialog();
  if (!FDialog)
    return;
  FDialog->setValue(DialogValue(FDone, FTotal));
  if (now - FLastEvents >= kProcessEvery)
    ProcessEvents(now);
}

void TWindowProgress::End()
{
  if (FDepth == 0 || --FDepth > 0)
    return;
  if (FDialog) {
    qApp->removeEventFilter(this);
    FDialog.reset();
  }
  if (OnBusy)
    OnBusy(false);
}

void TWindowProgress::ShowDialog()
{
  FDialog = std::make_unique<QProgressDialog>(FWindow);
  FDialog->setObjectName(DialogName);
  FDialog->setWindowTitle(QStringLiteral("Veska"));
  FDialog->setWindowModality(Qt::WindowModal);
  // The work cannot stop halfway: there is nothing to cancel.
  FDialog->setCancelButton(nullptr);
  FDialog->setAutoClose(false);
  FDialog->setAutoReset(false);
  FDialog->setMinimumDuration(int(kShowAfter));
  FDialog->setLabelText(FCaption);
  // A total that is not known shows a busy bar.
  FDialog->setRange(0, DialogValue(FTotal, FTotal));
  FDialog->setValue(DialogValue(FDone, FTotal));
  qApp->installEventFilter(this);
  FDialog->show();
  ProcessEvents(Clock());
}

void TWindowProgress::ProcessEvents(qint64 now)
{
  FLastEvents = now;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

bool TWindowProgress::eventFilter(QObject* watched, QEvent* event)
{
  // Input reaches a message box the work opened, which is then the active
  // modal window; nothing else takes input while the work runs.
  if (FDialog && event->spontaneous() && IsUserInput(event->type())
      && QApplication::activeModalWidget() == FDialog.get())
    return true;
  return QObject::eventFilter(watched, event);
}

}  // namespace veska
