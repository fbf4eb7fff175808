// The status line's counts of entities and relations as objects come and go,
// and the progress dialog of opening and merging files: absent for short
// work, window-modal over a window that keeps repainting for long work.

#include "dialogs/ProgressWindow.h"
#include "model/Entity.h"
#include "shell/DiagramView.h"
#include "shell/FileDialogs.h"
#include "shell/MainWindow.h"
#include "shell/Settings.h"
#include "ShownWindow.h"
#include "support/RecordingMessages.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace veska {
namespace {

using test::TRecordingMessages;

const QString kExample = QStringLiteral(VESKA_EXAMPLES_DIR "/sales.erd");

// Open names from a script; an empty script is a cancel.
class TOpenFileDialogs final : public TFileDialogs {
public:
  QString OpenFileName(const QString&, const QString&) override
  {
    return Names.isEmpty() ? QString() : Names.takeFirst();
  }
  QString SaveFileName(const QString&, const QString&, const QString&) override { return {}; }
  QStringList Names;
};

class StatusAndProgressTest : public test::ShownWindowTest<TOpenFileDialogs> {
protected:
  QAbstractButton* Button(const char* name) const
  {
    return Window->findChild<QAbstractButton*>(QString::fromLatin1(name));
  }
  QString Counts() const
  {
    QApplication::processEvents();  // the counts follow once per turn of the event loop
    return Window->findChild<QLabel*>(QStringLiteral("CountsLabel"))->text();
  }
  void Click(QPoint at)
  {
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent event(type, QPointF(at), QPointF(Window->View().mapToGlobal(at)), Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(&Window->View(), &event);
    }
  }
  TEntity* DrawEntity(QPoint at)
  {
    Button("EntityBtn")->click();
    Click(at);
    return Surface().Entities.IsEmpty() ? nullptr : Surface().Entities[Surface().Entities.Count() - 1];
  }
  static QPoint Centre(const TEntity& e) { return QPoint(e.Left + e.Width / 2, e.Top + e.Height / 2); }
  void Open(const QString& name)
  {
    Files.Names = {name};
    Window->findChild<QAction*>(QStringLiteral("OpenItem"))->trigger();
  }
};

TEST_F(StatusAndProgressTest, StatusLineCountsEntitiesAndRelationsAsTheyComeAndGo)
{
  EXPECT_EQ(Counts(), "0 entities, 0 relations");
  TEntity* parent = DrawEntity(QPoint(100, 100));
  EXPECT_EQ(Counts(), "1 entity, 0 relations");
  TEntity* child = DrawEntity(QPoint(100, 400));
  ASSERT_TRUE(parent && child);
  Button("RelationManyForeignBtn")->click();
  Click(Centre(*parent));
  Click(Centre(*child));
  ASSERT_EQ(Surface().Relations.Count(), 1);
  EXPECT_EQ(Counts(), "2 entities, 1 relation");

  // Deleting the parent takes its relation along.
  Click(Centre(*parent));
  Button("DeleteBtn")->click();
  EXPECT_EQ(Counts(), "1 entity, 0 relations");

  Messages.Answers = {mbNo};  // the new diagram is not saved
  Open(kExample);
  ASSERT_GT(Surface().Relations.Count(), 1);
  EXPECT_EQ(Counts(), QStringLiteral("%1 entities, %2 relations")
                          .arg(Surface().Entities.Count())
                          .arg(Surface().Relations.Count()));

  Window->findChild<QAction*>(QStringLiteral("NewItem"))->trigger();
  EXPECT_EQ(Counts(), "0 entities, 0 relations");
}

TEST_F(StatusAndProgressTest, ShortLoadShowsNoProgressDialog)
{
  TWindowProgress& progress = Window->LoadProgress();
  int asked = 0;
  bool dialogSeen = false;
  progress.Clock = [&] {
    ++asked;
    dialogSeen = dialogSeen || progress.Dialog();
    return qint64(TWindowProgress::kShowAfter - 1);  // always just short of showing
  };
  Open(kExample);
  EXPECT_GT(asked, 1);
  EXPECT_FALSE(dialogSeen);
  EXPECT_FALSE(Window->findChild<QProgressDialog*>());
  EXPECT_GT(Surface().Entities.Count(), 0);
  EXPECT_TRUE(Window->View().updatesEnabled());
}

TEST_F(StatusAndProgressTest, LongLoadShowsAWindowModalDialogNamingTheFileAndHoldsInput)
{
  TWindowProgress& progress = Window->LoadProgress();
  qint64 now = 0;
  bool shown = false;
  bool viewHeld = false;
  QString label;
  int maximum = -1;
  progress.Clock = [&] {
    now += 200;  // every step takes a fifth of a second
    if (QProgressDialog* dialog = progress.Dialog(); dialog && dialog->isVisible() && !shown) {
      shown = true;
      EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
      EXPECT_EQ(dialog->parentWidget(), Window.get());
      label = dialog->labelText();
      maximum = dialog->maximum();
      viewHeld = !Window->View().updatesEnabled();
      // The user's click on a tool waits until the work is over.
      QTest::mouseClick(Button("EntityBtn"), Qt::LeftButton);
    }
    return now;
  };
  Open(kExample);
  EXPECT_TRUE(shown);
  EXPECT_EQ(label, "sales.erd");
  EXPECT_GT(maximum, 0);
  EXPECT_TRUE(viewHeld) << "a diagram half read is not painted";
  EXPECT_FALSE(Button("EntityBtn")->isChecked());
  // Gone when the work is over, and the diagram paints again.
  EXPECT_FALSE(progress.Dialog());
  EXPECT_FALSE(progress.Busy());
  EXPECT_TRUE(Window->View().updatesEnabled());
  EXPECT_GT(Surface().Entities.Count(), 0);
  EXPECT_EQ(Window->Document().FileName(), kExample);
}

TEST_F(StatusAndProgressTest, ProgressDialogEndsBeforeAFailedLoadIsReported)
{
  const QString bad = Dir.filePath(QStringLiteral("bad.erd"));
  QFile file(bad);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("V3.00-KX\r\nCut\r\n1\r\n1/2/03\r\n1000 800\r\nArial\r\n8\r\n4\r\nTRUE\r\n0\r\n5\r\n");
  file.close();
  TWindowProgress& progress = Window->LoadProgress();
  qint64 now = 0;
  progress.Clock = [&] { return now += 1000; };
  bool busyWhenShown = true;
  Messages.WhileShowing = [&] { busyWhenShown = progress.Busy() || Window->findChild<QProgressDialog*>(); };
  Window->findChild<QAction*>(QStringLiteral("MergeItem"))->trigger();  // cancelled: nothing happens
  Files.Names = {bad};
  Window->findChild<QAction*>(QStringLiteral("MergeItem"))->trigger();
  ASSERT_EQ(Messages.Messages.size(), 1);
  EXPECT_FALSE(busyWhenShown);
  EXPECT_TRUE(Window->View().updatesEnabled());
}

}  // namespace
}  // namespace veska
