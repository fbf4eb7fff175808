// Timings of the desktop program on a large diagram, through its real main
// window on Qt's offscreen platform, with the events a user's mouse sends:
// - BM_DesktopOpen: File > Open of the written diagram, until the window has
//   repainted. Counters: progress_shown (1 when the progress dialog showed,
//   with the file's name in its caption, during every open) and stall_ms (the
//   longest time the window went without handling its events once the
//   dialog showed);
// - BM_DesktopScroll: one turn of the mouse wheel over the diagram (down and
//   up in turns), with the repaint it causes;
// - BM_DesktopDrag: one step of dragging an entity in the middle of the
//   window with the left button held, with the repaint it causes.
// The window is 1280 x 1024 at 100% zoom; the diagrams are those of
// veska_bench (5,000 to 40,000 entities).

#include "BenchRun.h"
#include "testkit/LargeModel.h"
#include "diagramfile/DiagramFile.h"
#include "dialogs/ProgressWindow.h"
#include "platform/MessageService.h"
#include "platform/SafeFile.h"
#include "platform/TextMeasurer.h"
#include "shell/DiagramView.h"
#include "shell/FileDialogs.h"
#include "shell/MainWindow.h"
#include "shell/Settings.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressDialog>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <map>
#include <memory>
#include <stdexcept>

namespace veska::bench {

using namespace veska::testkit;

namespace {

// The generated diagram of each size, written to a file once per run.
const QString& DiagramFile(int entities)
{
  static QTemporaryDir dir;
  static std::map<int, QString> files;
  QString& name = files[entities];
  if (name.isEmpty()) {
    if (!dir.isValid())
      throw std::runtime_error("no temporary directory");
    TCollectingMessages messages;
    TDrawingSurface surface(messages, TQtTextMeasurer::Instance());
    surface.Clear();
    BuildLargeModel(surface, TModelSize::ForEntities(entities));
    QByteArray text;
    WriteDiagram(surface, text);
    const QString path = dir.filePath(QStringLiteral("large%1.erd").arg(entities));
    WriteFileSafely(path, text);  // throws with the system's message
    name = path;
  }
  return name;
}

// File > Open answers with the generated diagram.
class TOpenDialogs final : public TFileDialogs {
public:
  QString OpenFileName(const QString&, const QString&) override { return Name; }
  QString SaveFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString Name;
};

// The main window as the program shows it, with its own settings directory.
struct TDesktop {
  QTemporaryDir Dir;
  TCollectingMessages Messages;
  TOpenDialogs Files;
  std::unique_ptr<TSettings> Settings;
  std::unique_ptr<TSDIAppForm> Window;

  explicit TDesktop(int entities)
  {
    Files.Name = DiagramFile(entities);
    Settings = std::make_unique<TSettings>(Dir.path());
    Window = std::make_unique<TSDIAppForm>(*Settings, Messages, Files);
    Window->resize(1280, 1024);
    Window->show();
    if (!QTest::qWaitForWindowExposed(Window.get()))
      throw std::runtime_error("the window was not shown");
  }

  void Open()
  {
    Window->findChild<QAction*>(QStringLiteral("OpenItem"))->trigger();
    QApplication::processEvents();
    if (Window->DrawingSurface().Entities.IsEmpty() || !Messages.Texts.isEmpty())
      throw std::runtime_error(Messages.Texts.isEmpty() ? "nothing was opened"
                                                        : Messages.Texts.first().toStdString());
  }

  // Scrolls so that the middle of the diagram shows.
  void ShowMiddle()
  {
    for (QScrollBar* bar : {Window->ScrollBox1->horizontalScrollBar(), Window->ScrollBox1->verticalScrollBar()})
      bar->setValue((bar->minimum() + bar->maximum()) / 2);
    QApplication::processEvents();
  }

  TDiagramView& View() const { return Window->View(); }
};

// Counts the paint events a widget receives.
class TPaintCounter final : public QObject {
public:
  explicit TPaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int Paints = 0;

protected:
  bool eventFilter(QObject*, QEvent* event) override
  {
    if (event->type() == QEvent::Paint)
      ++Paints;
    return false;
  }
};

template <class TWork>
bool Guarded(benchmark::State& state, TWork work)
{
  try {
    work();
    return true;
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return false;
  }
}

void BM_DesktopOpen(benchmark::State& state)
{
  std::unique_ptr<TDesktop> desktop;
  if (!Guarded(state, [&] { desktop = std::make_unique<TDesktop>(static_cast<int>(state.range(0))); }))
    return;
  TWindowProgress& progress = desktop->Window->LoadProgress();
  const QString fileName = QFileInfo(desktop->Files.Name).fileName();
  // A timer that fires at every chance looks at the dialog and, while it
  // shows, tells how long the window waited for its events to be handled.
  QElapsedTimer clock;
  qint64 lastTurn = -1;
  qint64 stall = 0;
  bool shown = false;
  bool shownEveryTime = true;
  QTimer turns;
  turns.setInterval(0);
  QObject::connect(&turns, &QTimer::timeout, [&] {
    const QProgressDialog* dialog = progress.Dialog();
    if (!dialog)
      return;
    shown = shown || dialog->labelText().contains(fileName);
    const qint64 now = clock.elapsed();
    if (lastTurn >= 0)
      stall = std::max(stall, now - lastTurn);
    lastTurn = now;
  });
  for (auto _ : state) {
    shown = false;
    lastTurn = -1;
    clock.start();
    turns.start();
    if (!Guarded(state, [&] { desktop->Open(); }))
      break;
    turns.stop();
    shownEveryTime = shownEveryTime && shown;
  }
  state.counters["progress_shown"] = shownEveryTime ? 1 : 0;
  state.counters["stall_ms"] = static_cast<double>(stall);
}

// The window with the diagram open and its middle showing; null (and the
// benchmark skipped) when that failed.
std::unique_ptr<TDesktop> MiddleShown(benchmark::State& state)
{
  std::unique_ptr<TDesktop> desktop;
  if (!Guarded(state, [&] {
        desktop = std::make_unique<TDesktop>(static_cast<int>(state.range(0)));
        desktop->Open();
        desktop->ShowMiddle();
      }))
    desktop.reset();
  return desktop;
}

void BM_DesktopScroll(benchmark::State& state)
{
  const std::unique_ptr<TDesktop> desktop = MiddleShown(state);
  if (!desktop)
    return;
  TDiagramView& view = desktop->View();
  TPaintCounter counter(&view);
  // The diagram leaves a turn of the wheel without Ctrl to the scroll area
  // around it; Qt passes a synthesized wheel event on to no parent, so it
  // goes to the scroll area's viewport, where a real one ends up.
  QWidget* viewport = desktop->Window->ScrollBox1->viewport();
  const QPoint at = viewport->rect().center();
  QScrollBar* bar = desktop->Window->ScrollBox1->verticalScrollBar();
  const int before = bar->value();
  int sign = -1;
  for (auto _ : state) {
    QWheelEvent wheel(QPointF(at), QPointF(viewport->mapToGlobal(at)), QPoint(), QPoint(0, 120 * sign),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    QApplication::processEvents();
    sign = -sign;
    if (bar->value() == before && sign > 0) {
      state.SkipWithError("the wheel did not scroll the diagram");
      break;
    }
  }
  state.counters["paints_per_step"] =
      state.iterations() ? static_cast<double>(counter.Paints) / static_cast<double>(state.iterations()) : 0.0;
}

void BM_DesktopDrag(benchmark::State& state)
{
  const std::unique_ptr<TDesktop> desktop = MiddleShown(state);
  if (!desktop)
    return;
  TDiagramView& view = desktop->View();
  const TDrawingSurface& surface = desktop->Window->DrawingSurface();
  // The entity nearest the middle of what shows.
  const QRect shown = view.visibleRegion().boundingRect();
  const TEntity* target = nullptr;
  qint64 best = -1;
  for (const TEntity* e : surface.Entities) {
    const QPoint c(e->Left + e->Width / 2, e->Top + e->Height / 2);
    if (!shown.contains(c))
      continue;
    const QPoint d = c - shown.center();
    const qint64 distance = qint64(d.x()) * d.x() + qint64(d.y()) * d.y();
    if (best < 0 || distance < best) {
      best = distance;
      target = e;
    }
  }
  if (!target) {
    state.SkipWithError("no entity shows");
    return;
  }
  TPaintCounter counter(&view);
  const QPoint start(target->Left + target->Width / 2, target->Top + 8);
  const auto send = [&view](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), QPointF(view.mapToGlobal(at)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&view, &event);
  };
  send(QEvent::MouseButtonPress, start, Qt::LeftButton);
  QApplication::processEvents();
  int step = 0;
  for (auto _ : state) {
    // Out and back along a short zigzag, as a hand moves.
    const int k = step++ % 16;
    const int offset = k < 8 ? k : 16 - k;
    send(QEvent::MouseMove, start + QPoint(6 * offset, 4 * offset), Qt::LeftButton);
    QApplication::processEvents();
  }
  send(QEvent::MouseButtonRelease, start, Qt::NoButton);
  QApplication::processEvents();
  state.counters["paints_per_step"] =
      state.iterations() ? static_cast<double>(counter.Paints) / static_cast<double>(state.iterations()) : 0.0;
}

}  // namespace

BENCHMARK(BM_DesktopOpen)->Apply(Sizes)->UseRealTime();
BENCHMARK(BM_DesktopScroll)->Apply(Sizes)->UseRealTime();
BENCHMARK(BM_DesktopDrag)->Apply(Sizes)->UseRealTime();

}  // namespace veska::bench

int main(int argc, char** argv)
{
  veska::QuietQtWarnings();
  return veska::bench::RunBenchmarks<QApplication>(argc, argv);
}
