// File, Export... driven as the user drives it: its place in the menu, its
// enabling as objects come and go, the resolution asked for an image, and
// refusals shown through the message service.

#include "printing/Export.h"
#include "shell/DiagramView.h"
#include "shell/FileDialogs.h"
#include "shell/MainWindow.h"
#include "shell/PrintCommands.h"
#include "shell/Settings.h"
#include "ShownWindow.h"
#include "support/PdfTools.h"
#include "support/RecordingMessages.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QInputDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace veska {
namespace {

using test::TRecordingMessages;

// Save names from a script; an empty script is a cancel.
class TExportFileDialogs final : public TFileDialogs {
public:
  QString OpenFileName(const QString&, const QString&) override { return {}; }
  QString SaveFileName(const QString&, const QString& filter, const QString&) override
  {
    Filter = filter;
    return Names.isEmpty() ? QString() : Names.takeFirst();
  }
  QStringList Names;
  QString Filter;
};

class ExportItemTest : public test::ShownWindowTest<TExportFileDialogs> {
protected:
  QAction* Item(const char* name) const { return Window->findChild<QAction*>(QString::fromLatin1(name)); }
  QString Path(const char* name) const { return Dir.filePath(QString::fromLatin1(name)); }

  // An entity drawn with the entity tool, clicked onto the view.
  void DrawEntity(QPoint at)
  {
    Window->findChild<QAbstractButton*>(QStringLiteral("EntityBtn"))->click();
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent event(type, QPointF(at), QPointF(Window->View().mapToGlobal(at)), Qt::LeftButton,
                        type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(&Window->View(), &event);
    }
    QApplication::processEvents();
  }

  // Answers the resolution dialog when it shows: types `dpi` and presses
  // Enter, or Escape when `dpi` is 0.
  void AnswerResolution(int dpi)
  {
    QTimer::singleShot(0, [this, dpi] {
      auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->objectName(), TPrintCommands::ExportResolutionDlgName);
      ShownDpi = dialog->intValue();
      auto* spin = dialog->findChild<QSpinBox*>();
      ASSERT_NE(spin, nullptr);
      if (dpi == 0) {
        QTest::keyClick(spin, Qt::Key_Escape);
        return;
      }
      spin->selectAll();
      QTest::keyClicks(spin, QString::number(dpi));
      QTest::keyClick(spin, Qt::Key_Return);
    });
  }

  int ShownDpi = 0;
};

TEST_F(ExportItemTest, SitsAfterSaveAsAndIsEnabledOnlyWhileSomethingIsDrawn)
{
  auto* file = qobject_cast<QMenu*>(Item("SaveAsItem")->parent());
  ASSERT_NE(file, nullptr);
  const QList<QAction*> items = file->actions();
  const qsizetype at = items.indexOf(Item("ExportItem"));
  EXPECT_EQ(at, items.indexOf(Item("SaveAsItem")) + 1);
  EXPECT_LT(at, items.indexOf(Item("PrintItem")));
  EXPECT_EQ(Item("ExportItem")->text(), QStringLiteral("Export..."));

  // A new diagram shows only its name box.
  EXPECT_FALSE(Item("ExportItem")->isEnabled());
  DrawEntity(QPoint(200, 150));
  ASSERT_EQ(Surface().Entities.Count(), 1);
  EXPECT_TRUE(Item("ExportItem")->isEnabled());
  Surface().Entities[0]->SetSelected(true);
  QTest::keyClick(&Window->View(), Qt::Key_Delete);
  QApplication::processEvents();
  ASSERT_EQ(Surface().Entities.Count(), 0);
  EXPECT_FALSE(Item("ExportItem")->isEnabled());
}

TEST_F(ExportItemTest, ImageAsksItsResolutionRemembersItAndLeavesTheZoomAndTheScrollPosition)
{
  DrawEntity(QPoint(200, 160));
  const QRect area = DrawnArea(Surface()).adjusted(-kExportMargin, -kExportMargin, kExportMargin, kExportMargin);
  Window->ZoomIn();
  const double zoom = Surface().ZoomFactor;
  ASSERT_NE(zoom, 1.0);
  // Scrolled to the bottom of the zoomed diagram.
  QScrollBar* scroll = Window->ScrollBox1->verticalScrollBar();
  scroll->setValue(scroll->maximum());
  const int scrolled = scroll->value();
  ASSERT_GT(scrolled, 0);

  Files.Names = {Path("small.png")};
  AnswerResolution(96);
  Item("ExportItem")->trigger();
  EXPECT_EQ(ShownDpi, 192);  // twice the screen's at first
  EXPECT_TRUE(Files.Filter.contains(QStringLiteral("*.PDF")) && Files.Filter.contains(QStringLiteral("*.SVG")) &&
              Files.Filter.contains(QStringLiteral("*.PNG")));
  const QImage image(Path("small.png"));
  // At 100% (a pixel may go in the zoom's integer arithmetic).
  EXPECT_NEAR(image.width(), area.width(), 2);
  EXPECT_NEAR(image.height(), area.height(), 2);
  EXPECT_EQ(Surface().ZoomFactor, zoom);
  EXPECT_EQ(scroll->value(), scrolled);
  EXPECT_TRUE(Messages.Messages.isEmpty()) << Messages.Lines().join(QLatin1Char('\n')).toStdString();

  // The next image proposes the resolution chosen last; Escape writes nothing.
  Files.Names = {Path("other.png")};
  AnswerResolution(0);
  Item("ExportItem")->trigger();
  EXPECT_EQ(ShownDpi, 96);
  EXPECT_FALSE(QFile::exists(Path("other.png")));
}

TEST_F(ExportItemTest, PdfIsWrittenAndRefusalsAreShownAsErrors)
{
  DrawEntity(QPoint(200, 150));
  Files.Names = {Path("diagram.pdf")};
  Item("ExportItem")->trigger();
  EXPECT_EQ(test::PdfPageCount(Path("diagram.pdf")), 1);
  EXPECT_TRUE(Messages.Messages.isEmpty());

  // Replacing a file is asked first; No keeps it.
  Files.Names = {Path("diagram.pdf")};
  Messages.Answers = {mbNo};
  const QDateTime written = QFileInfo(Path("diagram.pdf")).lastModified();
  Item("ExportItem")->trigger();
  ASSERT_EQ(Messages.Messages.size(), 1);
  EXPECT_EQ(Messages.Messages[0].Type, TMsgDlgType::mtConfirmation);
  EXPECT_EQ(QFileInfo(Path("diagram.pdf")).lastModified(), written);

  // An extension that names no picture format, and a folder as the target.
  Messages.Reset();
  ASSERT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("folder.svg")));
  Files.Names = {Path("diagram.bmp"), Path("folder.svg")};
  Item("ExportItem")->trigger();
  Messages.Answers = {mbYes};  // replace the "existing file"
  Item("ExportItem")->trigger();
  const QStringList lines = Messages.Lines();
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("error: Cannot export to")));
  EXPECT_TRUE(lines[0].contains(QStringLiteral(".pdf, .svg or .png")));
  EXPECT_TRUE(lines[2].startsWith(QStringLiteral("error: Cannot export to")));
  EXPECT_FALSE(QFile::exists(Path("diagram.bmp")));
  EXPECT_TRUE(QFileInfo(Path("folder.svg")).isDir());
}

}  // namespace
}  // namespace veska
