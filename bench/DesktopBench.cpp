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
//   window with the left button held, with the repaint it causes;
// - BM_DesktopSelectAll: Ctrl+A over the diagram; counter deselect_ms, the
//   click on empty ground that takes the selection away again;
// - BM_DesktopZoomStep: Ctrl+- and Ctrl++ in turns (first_step_ms: the
//   first Ctrl+-, to a font size never shown before);
// - BM_DesktopDeleteSelection: the Delete key on 100 selected entities (Undo
//   brings them back, untimed, after each);
// - BM_DesktopDragSelection: one drag step of 1,000 selected entities;
// - BM_DesktopUndo: Ctrl+Z after 1,000 selected entities were dragged
//   (counters progress_shown and stall_ms as for Open, with "undo.bak");
// - BM_DesktopSave: Ctrl+S of the opened diagram.
// Each includes the repaint it causes.
// The window is 1280 x 1024 at 100% zoom; the diagrams are those of
// veska_bench (5,000 to 40,000 entities).

#include "BenchRun.h"
#include "testkit/LargeModel.h"
#include "diagramfile/DiagramFile.h"
#include "dialogs/ProgressWindow.h"
#include "platform/MessageService.h"
#include "platform/SafeFile.h"
#include "platform/TextMeasurer.h"
#include "shell/DiagramDocument.h"
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

#include <algorithm>
#include <map>
#include <utility>
#include <vector>
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
    Reactivate();
    if (Window->DrawingSurface().Entities.IsEmpty() || !Messages.Texts.isEmpty())
      throw std::runtime_error(Messages.Texts.isEmpty() ? "nothing was opened"
                                                        : Messages.Texts.first().toStdString());
  }

  // The progress dialog of a long open or undo took the activation; a window
  // manager hands it back when the dialog closes, the offscreen platform
  // does not. The keys go to the active window only.
  void Reactivate()
  {
    Window->activateWindow();
    if (!QTest::qWaitForWindowActive(Window.get()))
      throw std::runtime_error("the window did not become active again");
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

// Watches a window's load progress through a timer that fires at every
// chance: whether the dialog showed with `caption` in its text during each
// piece of work, and the longest the window waited for its events to be
// handled while it showed.
class TProgressWatch {
public:
  TProgressWatch(TWindowProgress& progress, QString caption) : FProgress(progress), FCaption(std::move(caption))
  {
    FTurns.setInterval(0);
    QObject::connect(&FTurns, &QTimer::timeout, [this] { Turn(); });
  }
  void Start()
  {
    FShown = false;
    FLastTurn = -1;
    FClock.start();
    FTurns.start();
  }
  void Stop()
  {
    FTurns.stop();
    FShownEveryTime = FShownEveryTime && FShown;
  }
  void Report(benchmark::State& state) const
  {
    state.counters["progress_shown"] = FShownEveryTime ? 1 : 0;
    state.counters["stall_ms"] = static_cast<double>(FStall);
  }

private:
  void Turn()
  {
    const QProgressDialog* dialog = FProgress.Dialog();
    if (!dialog)
      return;
    FShown = FShown || dialog->labelText().contains(FCaption);
    const qint64 now = FClock.elapsed();
    if (FLastTurn >= 0)
      FStall = std::max(FStall, now - FLastTurn);
    FLastTurn = now;
  }

  TWindowProgress& FProgress;
  const QString FCaption;
  QTimer FTurns;
  QElapsedTimer FClock;
  qint64 FLastTurn = -1;
  qint64 FStall = 0;
  bool FShown = false;
  bool FShownEveryTime = true;
};

void BM_DesktopOpen(benchmark::State& state)
{
  std::unique_ptr<TDesktop> desktop;
  if (!Guarded(state, [&] { desktop = std::make_unique<TDesktop>(static_cast<int>(state.range(0))); }))
    return;
  TProgressWatch watch(desktop->Window->LoadProgress(), QFileInfo(desktop->Files.Name).fileName());
  for (auto _ : state) {
    watch.Start();
    if (!Guarded(state, [&] { desktop->Open(); }))
      break;
    watch.Stop();
  }
  watch.Report(state);
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

// Sends a mouse event to the diagram view at `at` (view coordinates).
void SendMouse(TDiagramView& view, QEvent::Type type, QPoint at, Qt::MouseButtons buttons)
{
  QMouseEvent event(type, QPointF(at), QPointF(view.mapToGlobal(at)), Qt::LeftButton, buttons, Qt::NoModifier);
  QApplication::sendEvent(&view, &event);
}

// The visible entities nearest the middle of what shows, nearest first.
std::vector<TEntity*> NearestTheMiddle(TDesktop& desktop, size_t count)
{
  const QRect shown = desktop.View().visibleRegion().boundingRect();
  std::vector<std::pair<qint64, TEntity*>> all;
  for (TEntity* e : desktop.Window->DrawingSurface().Entities) {
    const QPoint d = QPoint(e->Left + e->Width / 2, e->Top + e->Height / 2) - shown.center();
    all.emplace_back(qint64(d.x()) * d.x() + qint64(d.y()) * d.y(), e);
  }
  count = std::min(count, all.size());
  std::partial_sort(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(count), all.end(),
                    [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<TEntity*> nearest;
  for (size_t i = 0; i < count; ++i)
    nearest.push_back(all[i].second);
  return nearest;
}

// A point where a press lands on the entity itself, not on a relation or a
// label above it; throws when there is none.
QPoint PointOn(TDesktop& desktop, const TEntity& entity)
{
  const TDrawingSurface& surface = desktop.Window->DrawingSurface();
  for (int y = entity.Top + 2; y < entity.Top + entity.Height; y += 3)
    for (int x = entity.Left + 2; x < entity.Left + entity.Width; x += 3)
      if (surface.HitTest(QPoint(x, y)).Entity == &entity)
        return QPoint(x, y);
  throw std::runtime_error("no point of the entity can be pressed");
}

// Selects exactly `entities`, as shift-clicks would (untimed set-up).
void SelectOnly(TDesktop& desktop, const std::vector<TEntity*>& entities)
{
  for (TEntity* e : desktop.Window->DrawingSurface().Entities)
    if (e->Selected())
      e->SetSelected(false);
  for (TEntity* e : entities)
    e->SetSelected(true);
  QApplication::processEvents();
}

// A point of the shown diagram on no object; throws when there is none.
QPoint EmptyGround(TDesktop& desktop)
{
  const QRect shown = desktop.View().visibleRegion().boundingRect();
  const TDrawingSurface& surface = desktop.Window->DrawingSurface();
  for (int y = shown.top() + 4; y < shown.bottom(); y += 7)
    for (int x = shown.left() + 4; x < shown.right(); x += 7)
      if (surface.HitTest(QPoint(x, y)).Kind == TDrawingSurface::THit::TKind::None)
        return QPoint(x, y);
  throw std::runtime_error("no empty ground shows");
}

int SelectedCount(const TDrawingSurface& surface)
{
  int selected = 0;
  for (const TEntity* e : surface.Entities)
    selected += e->Selected() ? 1 : 0;
  return selected;
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
  // The entity nearest the middle of what shows.
  QPoint start;
  if (!Guarded(state, [&] { start = PointOn(*desktop, *NearestTheMiddle(*desktop, 1).front()); }))
    return;
  TPaintCounter counter(&view);
  SendMouse(view, QEvent::MouseButtonPress, start, Qt::LeftButton);
  QApplication::processEvents();
  int step = 0;
  for (auto _ : state) {
    // Out and back along a short zigzag, as a hand moves.
    const int k = step++ % 16;
    const int offset = k < 8 ? k : 16 - k;
    SendMouse(view, QEvent::MouseMove, start + QPoint(6 * offset, 4 * offset), Qt::LeftButton);
    QApplication::processEvents();
  }
  SendMouse(view, QEvent::MouseButtonRelease, start, Qt::NoButton);
  QApplication::processEvents();
  state.counters["paints_per_step"] =
      state.iterations() ? static_cast<double>(counter.Paints) / static_cast<double>(state.iterations()) : 0.0;
}

void BM_DesktopSelectAll(benchmark::State& state)
{
  const std::unique_ptr<TDesktop> desktop = MiddleShown(state);
  if (!desktop)
    return;
  TDiagramView& view = desktop->View();
  QPoint ground;
  if (!Guarded(state, [&] { ground = EmptyGround(*desktop); }))
    return;
  QElapsedTimer clock;
  qint64 deselect = 0;
  for (auto _ : state) {
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QApplication::processEvents();
    state.PauseTiming();
    const int selected = SelectedCount(desktop->Window->DrawingSurface());
    clock.start();
    SendMouse(view, QEvent::MouseButtonPress, ground, Qt::LeftButton);
    SendMouse(view, QEvent::MouseButtonRelease, ground, Qt::NoButton);
    QApplication::processEvents();
    deselect += clock.nsecsElapsed();
    if (selected != desktop->Window->DrawingSurface().Entities.Count() ||
        SelectedCount(desktop->Window->DrawingSurface()) != 0) {
      state.SkipWithError("Ctrl+A did not select every entity, or the click kept some");
      break;
    }
    state.ResumeTiming();
  }
  state.counters["deselect_ms"] =
      state.iterations() ? static_cast<double>(deselect) / 1e6 / static_cast<double>(state.iterations()) : 0.0;
}

void BM_DesktopZoomStep(benchmark::State& state)
{
  const std::unique_ptr<TDesktop> desktop = MiddleShown(state);
  if (!desktop)
    return;
  TDiagramView& view = desktop->View();
  const TDrawingSurface& surface = desktop->Window->DrawingSurface();
  const double before = surface.ZoomFactor;
  // Out first: the largest diagrams are as wide as a view can be at 100%.
  // The first step out shows a font size never shown before, so every text
  // is measured at it for the first time: timed on its own, before the
  // steps between two sizes already shown.
  QElapsedTimer first;
  first.start();
  QTest::keyClick(&view, Qt::Key_Minus, Qt::ControlModifier);
  QApplication::processEvents();
  state.counters["first_step_ms"] = static_cast<double>(first.nsecsElapsed()) / 1e6;
  QTest::keyClick(&view, Qt::Key_Plus, Qt::ControlModifier);
  QApplication::processEvents();
  bool out = true;
  for (auto _ : state) {
    QTest::keyClick(&view, out ? Qt::Key_Minus : Qt::Key_Plus, Qt::ControlModifier);
    QApplication::processEvents();
    out = !out;
  }
  if (!out && surface.ZoomFactor == before)
    state.SkipWithError("Ctrl+- did not zoom");
}

void BM_DesktopDeleteSelection(benchmark::State& state)
{
  const std::unique_ptr<TDesktop> desktop = MiddleShown(state);
  if (!desktop)
    return;
  TDiagramView& view = desktop->View();
  for (auto _ : state) {
    state.PauseTiming();
    const int before = desktop->Window->DrawingSurface().Entities.Count();
    SelectOnly(*desktop, NearestTheMiddle(*desktop, 100));
    state.ResumeTiming();
    QTest::keyClick(&view, Qt::Key_Delete);
    QApplication::processEvents();
    state.PauseTiming();
    if (desktop->Window->DrawingSurface().Entities.Count() != before - 100) {
      state.SkipWithError("the Delete key did not delete the 100 entities selected");
      break;
    }
    // Undo brings the entities back.
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    QApplication::processEvents();
    if (desktop->Window->DrawingSurface().Entities.Count() != before ||
        !Guarded(state, [&] { desktop->Reactivate(); })) {
      state.SkipWithError("Ctrl+Z did not bring the deleted entities back");
      break;
    }
    desktop->ShowMiddle();
    state.ResumeTiming();
  }
}

// Presses the left button on the first of 1,000 selected entities near the
// middle; the point pressed.
QPoint PressOnSelection(TDesktop& desktop)
{
  const std::vector<TEntity*> chosen = NearestTheMiddle(desktop, 1000);
  SelectOnly(desktop, chosen);
  const QPoint start = PointOn(desktop, *chosen.front());
  SendMouse(desktop.View(), QEvent::MouseButtonPress, start, Qt::LeftButton);
  QApplication::processEvents();
  return start;
}

void BM_DesktopDragSelection(benchmark::State& state)
{
  const std::unique_ptr<TDesktop> desktop = MiddleShown(state);
  if (!desktop)
    return;
  TDiagramView& view = desktop->View();
  QPoint start;
  if (!Guarded(state, [&] { start = PressOnSelection(*desktop); }))
    return;
  const TEntity* target = desktop->Window->DrawingSurface().HitTest(start).Entity;
  const QPoint was(target->Left, target->Top);
  int step = 0;
  for (auto _ : state) {
    const int k = step++ % 16;
    const int offset = k < 8 ? k + 1 : 16 - k;
    SendMouse(view, QEvent::MouseMove, start + QPoint(6 * offset, 4 * offset), Qt::LeftButton);
    QApplication::processEvents();
  }
  // The boxes follow the outline when the button is let go.
  SendMouse(view, QEvent::MouseButtonRelease, start + QPoint(6, 4), Qt::NoButton);
  QApplication::processEvents();
  if (QPoint(target->Left, target->Top) == was)
    state.SkipWithError("the drag did not move the selection");
}

void BM_DesktopUndo(benchmark::State& state)
{
  const std::unique_ptr<TDesktop> desktop = MiddleShown(state);
  if (!desktop)
    return;
  TDiagramView& view = desktop->View();
  TProgressWatch watch(desktop->Window->LoadProgress(), TDiagramDocument::UndoFileName);
  for (auto _ : state) {
    state.PauseTiming();
    QPoint start;
    if (!Guarded(state, [&] { start = PressOnSelection(*desktop); }))
      break;
    SendMouse(view, QEvent::MouseMove, start + QPoint(30, 20), Qt::LeftButton);
    SendMouse(view, QEvent::MouseButtonRelease, start + QPoint(30, 20), Qt::NoButton);
    QApplication::processEvents();
    state.ResumeTiming();
    watch.Start();
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    QApplication::processEvents();
    watch.Stop();
    state.PauseTiming();
    // The diagram read back has nothing selected.
    const bool undone = SelectedCount(desktop->Window->DrawingSurface()) == 0;
    if (!undone || !Guarded(state, [&] { desktop->Reactivate(); })) {
      if (!undone)
        state.SkipWithError("Ctrl+Z did not bring the diagram back");
      break;
    }
    state.ResumeTiming();
  }
  watch.Report(state);
  if (desktop->Window->DrawingSurface().Entities.Count() != static_cast<int>(state.range(0)))
    state.SkipWithError("Ctrl+Z did not bring the diagram back");
}

void BM_DesktopSave(benchmark::State& state)
{
  const std::unique_ptr<TDesktop> desktop = MiddleShown(state);
  if (!desktop)
    return;
  const QString& file = desktop->Files.Name;
  for (auto _ : state) {
    QTest::keyClick(desktop->Window.get(), Qt::Key_S, Qt::ControlModifier);
    QApplication::processEvents();
  }
  if (!desktop->Messages.Texts.isEmpty())
    state.SkipWithError(desktop->Messages.Texts.first().toStdString().c_str());
  else if (!QFileInfo::exists(QFileInfo(file).path() + QLatin1Char('/') + QFileInfo(file).completeBaseName() +
                              QStringLiteral(".BAK")))
    state.SkipWithError("Ctrl+S wrote no file");
}

}  // namespace

BENCHMARK(BM_DesktopOpen)->Apply(Sizes)->UseRealTime();
BENCHMARK(BM_DesktopScroll)->Apply(Sizes)->UseRealTime();
BENCHMARK(BM_DesktopDrag)->Apply(Sizes)->UseRealTime();
BENCHMARK(BM_DesktopSelectAll)->Apply(Sizes)->UseRealTime();
BENCHMARK(BM_DesktopZoomStep)->Apply(Sizes)->UseRealTime()->MinTime(2);
BENCHMARK(BM_DesktopDeleteSelection)->Apply(Sizes)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DesktopDragSelection)->Apply(Sizes)->UseRealTime();
BENCHMARK(BM_DesktopUndo)->Apply(Sizes)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DesktopSave)->Apply(Sizes)->UseRealTime()->Iterations(3);

}  // namespace veska::bench

int main(int argc, char** argv)
{
  veska::QuietQtWarnings();
  return veska::bench::RunBenchmarks<QApplication>(argc, argv);
}
