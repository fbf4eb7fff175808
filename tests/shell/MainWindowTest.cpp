// The main window and the diagram view driven as the user drives them: tool
// buttons and menu items, mouse gestures on the view, the file commands with
// the unsaved-changes question, undo, and what the view paints.

#include "diagramfile/DiagramFile.h"
#include "dialogs/BuildFormDlg.h"
#include "dialogs/BuildTableDlg.h"
#include "dialogs/FindDlg.h"
#include "engine/TableEngine.h"
#include "dialogs/EditorWidgets.h"
#include "dialogs/ObjectEditor.h"
#include "dialogs/PrintDlg.h"
#include "shell/DiagramView.h"
#include "shell/FileDialogs.h"
#include "shell/Application.h"
#include "shell/HelpWindow.h"
#include "shell/MainWindow.h"
#include "shell/MessageBoxes.h"
#include "shell/Settings.h"
#include "support/PdfTools.h"
#include "support/RecordingMessages.h"
#include "surface/Printing.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QComboBox>
#include <QLineEdit>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QScrollBar>
#include <QStatusBar>
#include <QWheelEvent>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>
#include <type_traits>

namespace veska {
namespace {

using test::TRecordingMessages;

// File dialogs that answer from a script; an empty script is a cancel.
class TScriptedFileDialogs final : public TFileDialogs {
public:
  QString OpenFileName(const QString&, const QString&) override { return Next(); }
  QString SaveFileName(const QString&, const QString&, const QString&) override { return Next(); }
  QStringList Names;
  int Asked = 0;

private:
  QString Next()
  {
    ++Asked;
    return Names.isEmpty() ? QString() : Names.takeFirst();
  }
};

class MainWindowTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(Dir.isValid());
    FOldDirectory = QDir::currentPath();
    QDir::setCurrent(Dir.path());
    Settings = std::make_unique<TSettings>(Dir.path());
    Window = std::make_unique<TSDIAppForm>(*Settings, Service(), Files);
    // The machine's printers play no part: a test that wants one says so.
    Window->SetPrinterInstalled([] { return false; });
    Window->resize(1100, 900);
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
  }

  void TearDown() override
  {
    Window.reset();
    QDir::setCurrent(FOldDirectory);
  }

  // The message service the window shows its messages through.
  virtual TMessageService& Service() { return Messages; }

  TDrawingSurface& Surface() const { return Window->DrawingSurface(); }
  TDiagramView& View() const { return Window->View(); }
  QString Path(const QString& name) const { return Dir.filePath(name); }

  QAction* Item(const char* name) const { return Window->findChild<QAction*>(QString::fromLatin1(name)); }
  QAbstractButton* Button(const char* name) const
  {
    return Window->findChild<QAbstractButton*>(QString::fromLatin1(name));
  }

  // Mouse events at view (= diagram) coordinates, with explicit buttons so
  // that moves carry the held button.
  void Send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held,
            Qt::KeyboardModifiers modifiers = Qt::NoModifier)
  {
    QMouseEvent event(type, QPointF(pos), QPointF(View().mapToGlobal(pos)), button, held, modifiers);
    QApplication::sendEvent(&View(), &event);
  }
  void Click(QPoint pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
  {
    Send(QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton, modifiers);
    Send(QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton, modifiers);
  }
  void Drag(QPoint from, QPoint to)
  {
    Send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    Send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
  }

  // Draws an entity with the entity tool button.
  TEntity* DrawEntity(QPoint at)
  {
    Button("EntityBtn")->click();
    Click(at);
    return Surface().Entities.Count() ? Surface().Entities.Objects(Surface().Entities.Count() - 1) : nullptr;
  }
  static QPoint Centre(const TEntity& e) { return e.BoundsRect().center(); }

  QByteArray FileBytes(const QString& name) const
  {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }

  QTemporaryDir Dir;
  TRecordingMessages Messages;
  TScriptedFileDialogs Files;
  std::unique_ptr<TSettings> Settings;
  std::unique_ptr<TSDIAppForm> Window;

private:
  QString FOldDirectory;
};

TEST_F(MainWindowTest, ToolButtonsAndMenuItemsFollowTheSurfaceTool)
{
  EXPECT_EQ(Window->windowTitle(), QStringLiteral("Veska - new.ERD"));
  EXPECT_TRUE(Button("PointerBtn")->isChecked());

  Button("RelationOneMasterBtn")->click();
  EXPECT_EQ(Surface().ActiveDrawingTool(), dtRelationOneToOneMaster);
  EXPECT_FALSE(Window->UndoSnapshot.isEmpty()) << "a drawing tool takes a snapshot";

  Item("OneToManyItem")->trigger();
  EXPECT_TRUE(Button("RelationManyForeignBtn")->isChecked());
  EXPECT_FALSE(Button("RelationOneMasterBtn")->isChecked());

  Item("AddTextItem")->trigger();
  EXPECT_TRUE(Button("TextBtn")->isChecked());

  QTest::keyClick(&View(), Qt::Key_Escape);
  EXPECT_EQ(Surface().ActiveDrawingTool(), dtPointer);
  EXPECT_TRUE(Button("PointerBtn")->isChecked());

  // Commands whose dialogs are not part of the program yet are offered but
  // disabled; the process item is never shown.
  EXPECT_TRUE(Item("PrintItem")->isEnabled());
  EXPECT_TRUE(Item("PrintSetupItem")->isEnabled());
  EXPECT_TRUE(Button("PrintBtn")->isEnabled());
  EXPECT_TRUE(Item("FormsBuildItem")->isEnabled());
  EXPECT_TRUE(Item("DatabaseItem")->isEnabled());
  EXPECT_TRUE(Item("ReEngineerItem")->isEnabled());
  EXPECT_FALSE(Item("AddProcessItem")->isVisible());
  Item("ContentItem")->trigger();
  EXPECT_TRUE(Window->HelpWindow->isVisible());
  EXPECT_EQ(Item("ExitItem")->shortcut(), QKeySequence(Qt::ALT | Qt::Key_X));
  EXPECT_EQ(Item("MergeItem")->statusTip(), QStringLiteral("Merge a file to current diagram"));
  EXPECT_EQ(Button("EntityBtn")->toolTip(), QStringLiteral("Entity Tool"));
  EXPECT_EQ(Button("EntityBtn")->statusTip(), QStringLiteral("Add a new entity"));
}

TEST_F(MainWindowTest, DrawsEntitiesAndARelationWithTheMouse)
{
  TEntity* parent = DrawEntity(QPoint(120, 80));
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(parent->BoundsRect().topLeft(), QPoint(120, 80));
  EXPECT_EQ(Surface().ActiveDrawingTool(), dtPointer);
  TEntity* child = DrawEntity(QPoint(420, 380));
  ASSERT_EQ(Surface().Entities.Count(), 2);

  Button("RelationManyForeignBtn")->click();
  Click(Centre(*parent));
  Click(QPoint(700, 700));  // the empty diagram between the two picks
  Click(Centre(*child));
  EXPECT_EQ(Messages.Lines(), QStringList{QStringLiteral("information: Please Pick Child Entity.")});
  ASSERT_EQ(Surface().Relations.Count(), 1);
  EXPECT_EQ(Surface().Relations[0]->Parent, parent);
  EXPECT_EQ(Surface().Relations[0]->Child, child);
  EXPECT_TRUE(Button("PointerBtn")->isChecked());
}

TEST_F(MainWindowTest, DragsAnEntityAndSelectsWithARubberBand)
{
  TEntity* a = DrawEntity(QPoint(50, 50));
  TEntity* b = DrawEntity(QPoint(300, 300));
  TEntity* c = DrawEntity(QPoint(500, 500));

  const QPoint grab = Centre(*a);
  Drag(grab, grab + QPoint(40, 30));
  EXPECT_EQ(a->BoundsRect().topLeft(), QPoint(90, 80));
  EXPECT_TRUE(a->Selected());

  // Drawn from the lower right to the upper left; only top left corners count.
  Drag(QPoint(700, 700), QPoint(290, 290));
  EXPECT_FALSE(a->Selected());
  EXPECT_TRUE(b->Selected());
  EXPECT_TRUE(c->Selected());
  EXPECT_EQ(Surface().MouseState, TMouseState::Idle);
}

TEST_F(MainWindowTest, SaveOpenAndTheUnsavedChangesQuestion)
{
  DrawEntity(QPoint(100, 100));
  const QString file = Path(QStringLiteral("model.erd"));
  Files.Names << file;
  Item("SaveItem")->trigger();  // a new diagram is saved as
  EXPECT_EQ(Window->FileName, file);
  EXPECT_EQ(Window->windowTitle(), QStringLiteral("Veska - model.erd"));
  const QByteArray first = FileBytes(file);
  ASSERT_FALSE(first.isEmpty());

  // Open it and give it up unchanged: no question.
  Files.Names << file;
  Item("OpenItem")->trigger();
  ASSERT_EQ(Surface().Entities.Count(), 1);
  Item("NewItem")->trigger();
  EXPECT_TRUE(Messages.Messages.isEmpty()) << Messages.Lines().join('\n').toStdString();
  EXPECT_EQ(Window->FileName, QStringLiteral("new.ERD"));

  // After a change it asks; Cancel keeps the diagram.
  Files.Names << file;
  Item("OpenItem")->trigger();
  DrawEntity(QPoint(400, 100));
  Messages.Answers << mbCancel;
  Item("NewItem")->trigger();
  EXPECT_EQ(Messages.Lines(),
            QStringList{QStringLiteral("confirmation: Save changes to \"%1\"?").arg(file)});
  EXPECT_EQ(Surface().Entities.Count(), 2);
  EXPECT_EQ(Window->FileName, file);

  // Yes saves, keeping the previous file as ".BAK", and goes on.
  Messages.Answers << mbYes;
  Item("NewItem")->trigger();
  EXPECT_EQ(Surface().Entities.Count(), 0);
  EXPECT_EQ(FileBytes(Path(QStringLiteral("model.BAK"))), first);
  EXPECT_NE(FileBytes(file), first);

  // Save As onto an existing file asks; No writes nothing.
  Messages.Reset();
  Messages.Answers << mbNo;
  Files.Names << file;
  const QByteArray before = FileBytes(file);
  Item("SaveAsItem")->trigger();
  EXPECT_EQ(Messages.Lines(),
            QStringList{QStringLiteral("confirmation: Replace existing file \"%1\"?").arg(file)});
  EXPECT_EQ(FileBytes(file), before);
}

TEST_F(MainWindowTest, CancellingSaveAsFromTheSaveQuestionKeepsTheDiagram)
{
  DrawEntity(QPoint(100, 100));
  // Yes, then Cancel in the Save As dialog: New stops, nothing is lost.
  Messages.Answers << mbYes;
  Item("NewItem")->trigger();
  EXPECT_EQ(Surface().Entities.Count(), 1);
  EXPECT_EQ(Window->FileName, QStringLiteral("new.ERD"));

  // Yes, a name that exists, and No to replacing it: the same.
  const QString other = Path(QStringLiteral("other.erd"));
  QFile file(other);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("someone else's file\r\n");
  file.close();
  Messages.Answers << mbYes << mbNo;
  Files.Names << other;
  Item("NewItem")->trigger();
  EXPECT_EQ(Surface().Entities.Count(), 1);
  EXPECT_EQ(FileBytes(other), QByteArray("someone else's file\r\n"));

  // Closing the window is cancelled the same way.
  Messages.Answers << mbYes;
  EXPECT_FALSE(Window->close());
  EXPECT_EQ(Surface().Entities.Count(), 1);
}

TEST_F(MainWindowTest, AnUnsavedDiagramWithoutEntitiesIsNotDroppedWithoutAsking)
{
  Item("AddDomainItem")->trigger();
  Window->ObjectEditor->hide();
  ASSERT_EQ(Surface().Domains.Count(), 1);
  Messages.Answers << mbCancel;
  Item("NewItem")->trigger();
  EXPECT_EQ(Messages.Lines(), QStringList{QStringLiteral("confirmation: Save changes to \"new.ERD\"?")});
  EXPECT_EQ(Surface().Domains.Count(), 1);

  // An empty diagram is still given up without a question.
  Messages.Reset();
  Messages.Answers << mbNo;
  Item("NewItem")->trigger();
  Item("NewItem")->trigger();
  EXPECT_EQ(Messages.Messages.size(), 1);
}

TEST_F(MainWindowTest, ACancelledSaveQuestionLeavesUndoAsItWas)
{
  TEntity* a = DrawEntity(QPoint(100, 100));
  DrawEntity(QPoint(400, 100));
  Files.Names << Path(QStringLiteral("two.erd"));
  Item("SaveAsItem")->trigger();
  Click(Centre(*a));
  QTest::keyClick(&View(), Qt::Key_Delete);
  ASSERT_EQ(Surface().Entities.Count(), 1);
  Messages.Answers << mbCancel;
  Item("NewItem")->trigger();
  ASSERT_EQ(Surface().Entities.Count(), 1);
  // Undo still brings back the diagram before the deletion.
  Item("UndoItem")->trigger();
  EXPECT_EQ(Surface().Entities.Count(), 2);

  // A question that goes on keeps what it gave up for Undo.
  Messages.Answers << mbNo;
  TEntity* c = DrawEntity(QPoint(100, 400));
  ASSERT_NE(c, nullptr);
  Item("NewItem")->trigger();
  ASSERT_EQ(Surface().Entities.Count(), 0);
  Item("UndoItem")->trigger();
  EXPECT_EQ(Surface().Entities.Count(), 3);
}

TEST_F(MainWindowTest, SaveAtAZoomOfADiagramTallerThanTheLargestSurfaceKeepsEveryPosition)
{
  // Stored taller than a zoom step may make the surface: 100% cannot come
  // back once zoomed out, but saving still writes the stored positions.
  const QString tall = Path(QStringLiteral("tall.erd"));
  const QByteArray text = "V3.00-KX\r\nTall\r\n3\r\n1/2/03\r\n22020 52280\r\nArial\r\n8\r\n4\r\nTRUE\r\n0\r\n"
                          "1\r\nA\r\nA\r\nMaintain A\r\n&File\r\n1 0 0 0 0\r\n19 52001 0 0 0\r\n"
                          "0\r\n0\r\n1\r\nA\r\n1\r\nA\r\n0\r\n0\r\n0\r\n1\r\nA\r\n";
  {
    QFile file(tall);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
  }
  Files.Names << tall;
  Item("OpenItem")->trigger();
  ASSERT_EQ(Surface().Entities.Count(), 1);
  const QLabel* zoom = Window->statusBar()->findChild<QLabel*>(QStringLiteral("ZoomLabel"));
  Item("ZoomOutItem")->trigger();
  EXPECT_EQ(zoom->text(), QStringLiteral("75%"));
  Item("SaveItem")->trigger();
  QByteArray saved = FileBytes(tall);
  ASSERT_TRUE(saved.contains("\r\n22020 52280\r\n")) << saved.constData();
  EXPECT_TRUE(saved.contains("\r\n19 52001 0 0 0\r\n")) << saved.constData();
  EXPECT_EQ(zoom->text(), QStringLiteral("75%"));

  // The step back to 100% is not taken, and the user is told so.
  Item("ZoomInItem")->trigger();
  EXPECT_EQ(zoom->text(), QStringLiteral("75%"));
  EXPECT_DOUBLE_EQ(Surface().ZoomFactor, 0.75);
  EXPECT_FALSE(Window->statusBar()->currentMessage().isEmpty());

  // The next diagram opens at 100%, at its own positions.
  const QString sales = Path(QStringLiteral("sales.erd"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(VESKA_EXAMPLES_DIR "/sales.erd"), sales));
  Files.Names << sales;
  Item("OpenItem")->trigger();
  EXPECT_EQ(zoom->text(), QStringLiteral("100%"));
  Item("SaveItem")->trigger();
  saved = FileBytes(sales);
  QFile original(QStringLiteral(VESKA_EXAMPLES_DIR "/sales.erd"));
  ASSERT_TRUE(original.open(QIODevice::ReadOnly));
  // Only the revision and the date differ.
  QList<QByteArray> want = original.readAll().split('\n');
  QList<QByteArray> got = saved.split('\n');
  ASSERT_EQ(got.size(), want.size());
  for (qsizetype i = 4; i < want.size(); ++i)
    EXPECT_EQ(got[i], want[i]) << "line " << i + 1;
}

TEST_F(MainWindowTest, OpeningAFileThatIsNoDiagramLeavesAnUnsavedNewDiagram)
{
  DrawEntity(QPoint(100, 100));
  const QString good = Path(QStringLiteral("good.erd"));
  Files.Names << good;
  Item("SaveAsItem")->trigger();
  const QByteArray saved = FileBytes(good);

  const QString bad = Path(QStringLiteral("notes.txt"));
  QFile text(bad);
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("just some notes\r\n");
  text.close();

  Files.Names << bad;
  Item("OpenItem")->trigger();
  EXPECT_EQ(Messages.Messages.size(), 1);  // reported as not a diagram
  EXPECT_EQ(Surface().Entities.Count(), 0);
  EXPECT_EQ(Window->FileName, QStringLiteral("new.ERD"));
  EXPECT_EQ(Window->windowTitle(), QStringLiteral("Veska - new.ERD"));

  // Save of the emptied diagram overwrites neither file: it asks for a name.
  Files.Asked = 0;
  Item("SaveItem")->trigger();
  EXPECT_EQ(Files.Asked, 1);
  EXPECT_EQ(FileBytes(good), saved);
  EXPECT_EQ(FileBytes(bad), QByteArray("just some notes\r\n"));
}

TEST_F(MainWindowTest, UndoBringsBackTheDiagramBeforeADeletion)
{
  TEntity* a = DrawEntity(QPoint(100, 100));
  DrawEntity(QPoint(400, 100));
  Click(Centre(*a));
  QTest::keyClick(&View(), Qt::Key_Delete);
  ASSERT_EQ(Surface().Entities.Count(), 1);

  Item("UndoItem")->trigger();
  EXPECT_EQ(Surface().Entities.Count(), 2);
  EXPECT_TRUE(QFile::exists(Path(QStringLiteral("undo.bak"))));
  EXPECT_EQ(Window->FileName, QStringLiteral("new.ERD"));
  EXPECT_TRUE(Messages.Messages.isEmpty()) << Messages.Lines().join('\n').toStdString();
}

TEST_F(MainWindowTest, PopupMenusActOnTheRightClickedPlaceOrObject)
{
  const auto shown = [this] {
    QStringList texts;
    for (QAction* item : Window->PopupMenu1->actions())
      if (item->isVisible())
        texts << (item->isSeparator() ? QStringLiteral("-") : item->text());
    return texts;
  };
  const auto rightClick = [this](QPoint at) {
    Send(QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    Send(QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
  };

  rightClick(QPoint(200, 150));
  EXPECT_EQ(shown(), (QStringList{"Add Domain", "Add Entity", "Add Relation", "Add Text", "Edit Domain"}));
  Window->PopupMenu1->actions()[1]->trigger();  // Add Entity, at the click
  ASSERT_EQ(Surface().Entities.Count(), 1);
  TEntity* entity = Surface().Entities[0];
  EXPECT_EQ(entity->BoundsRect().topLeft(), QPoint(200, 150));
  Window->PopupMenu1->hide();

  rightClick(Centre(*entity));
  EXPECT_EQ(Window->PopupEntity, entity);
  EXPECT_EQ(shown(), (QStringList{"Edit Entity", "Edit Table", "Edit Form", "Edit Indexes", "-", "Delete"}));
  Window->PopupMenu1->actions()[1]->trigger();  // Edit Table
  EXPECT_TRUE(Window->ObjectEditor->isVisible());
  EXPECT_EQ(Window->ObjectEditor->ActivePage(), TObjectEditor::pgTables);
  EXPECT_EQ(Window->ObjectEditor->CurrentEntity, entity);
  rightClick(Centre(*entity));
  Window->PopupMenu1->actions()[5]->trigger();
  EXPECT_EQ(Surface().Entities.Count(), 0);
  Window->PopupMenu1->hide();
}

// Opens a Build menu item and hands the build dialog, while it shows, to
// `answer`; gives the caption the dialog showed with (empty: not opened).
template <class TDialog = TBuildTableDlg>
QString OpenBuildDialog(QAction* item, const std::function<void(std::type_identity_t<TDialog>*)>& answer)
{
  QString caption;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget());
    if (!dialog)
      return;
    caption = dialog->windowTitle();
    answer(dialog);
  });
  EXPECT_TRUE(item->isEnabled());
  item->trigger();
  QApplication::processEvents();
  return caption;
}

// Runs `command` and hands the modal dialog of type T that it opens to
// `answer`; FALSE when no such dialog opened.
template <typename T>
bool AnswerModal(const std::function<void()>& command, const std::function<void(T*)>& answer)
{
  bool shown = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!dialog)
      return;
    shown = true;
    answer(dialog);
  });
  command();
  QApplication::processEvents();
  return shown;
}

TEST_F(MainWindowTest, PrintWithoutAPrinterWritesTheChosenPagesIntoOnePdfFile)
{
  Window->PrinterInstalled = [] { return false; };
  TEntity* entity = DrawEntity(QPoint(100, 100));
  ASSERT_NE(entity, nullptr);
  const TPageGrid grid = PageGrid(Surface(), Window->PageDevice());
  const QString file = Path(QStringLiteral("pages.pdf"));
  Messages.Answers = {mbYes};
  Files.Names = {file};

  // The dialog is given the page grid; "All Pages" prints every page.
  EXPECT_TRUE(AnswerModal<TPrintDlg>([&] { Button("PrintBtn")->click(); }, [&](TPrintDlg* dialog) {
    EXPECT_EQ(dialog->PagesAcross, grid.Across);
    EXPECT_EQ(dialog->PagesDown, grid.Down);
    EXPECT_EQ(QPoint(dialog->CurrentPageColumn, dialog->CurrentPageRow), grid.PageAt(Window->View().mapFrom(
                                                                             Window->ScrollBox1->viewport(),
                                                                             Window->ScrollBox1->viewport()->rect().center())));
    EXPECT_TRUE(dialog->RadioButtonAll->isChecked());
    QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
  }));
  ASSERT_EQ(Messages.Messages.size(), 1);
  EXPECT_EQ(Messages.Messages[0].Type, TMsgDlgType::mtConfirmation);
  EXPECT_EQ(Files.Asked, 1);
  EXPECT_EQ(test::PdfPageCount(file), grid.Across * grid.Down);
  EXPECT_TRUE(test::PdfPageText(file, 1).contains(entity->EntityName()));
  EXPECT_TRUE(test::RunPdfTool(QStringLiteral("pdfinfo"), {file}).contains(QStringLiteral("VESKA - Information Model V1.0")));

  // Only the current page, and the question declined: no file is asked for.
  QFile::remove(file);
  Messages.Answers = {mbNo};
  EXPECT_TRUE(AnswerModal<TPrintDlg>([&] { Item("PrintItem")->trigger(); }, [&](TPrintDlg* dialog) {
    dialog->RadioButtonCurrent->setChecked(true);
    QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
  }));
  EXPECT_EQ(Files.Asked, 1);
  EXPECT_FALSE(QFile::exists(file));

  // A cancelled print dialog asks nothing further.
  EXPECT_TRUE(AnswerModal<TPrintDlg>([&] { Item("PrintItem")->trigger(); },
                                     [&](TPrintDlg* dialog) { QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton); }));
  EXPECT_EQ(Messages.Messages.size(), 2);
}

TEST_F(MainWindowTest, PrintSetupWithoutAPrinterSetsThePdfPageAndThePageLinesFollowIt)
{
  Window->PrinterInstalled = [] { return false; };
  const TPageDevice portrait = View().PageDevice();
  EXPECT_LT(portrait.PageSize.width(), portrait.PageSize.height());

  // Print Setup opens on the PDF output's page.
  EXPECT_TRUE(AnswerModal<QPageSetupDialog>([&] { Item("PrintSetupItem")->trigger(); }, [&](QPageSetupDialog* dialog) {
    EXPECT_EQ(dialog->printer()->outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(dialog->printer()->pageLayout().pageSize().id(), QPageSize::A4);
    dialog->reject();
  }));
  EXPECT_EQ(View().PageDevice().PageSize, portrait.PageSize);

  Window->SetPdfPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(18, 18, 18, 18)));
  const TPageDevice landscape = View().PageDevice();
  EXPECT_EQ(landscape.PageSize, portrait.PageSize.transposed());
  EXPECT_EQ(Window->PageDevice().PageSize, landscape.PageSize);
}

TEST_F(MainWindowTest, PrintSetupWithAPrinterConfirmsWithOKNotPrint)
{
  Window->PrinterInstalled = [] { return true; };
  QString caption;
  EXPECT_TRUE(AnswerModal<QPrintDialog>([&] { Item("PrintSetupItem")->trigger(); }, [&](QPrintDialog* dialog) {
    auto* box = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    caption = box->button(QDialogButtonBox::Ok)->text();
    dialog->reject();
  }));
  EXPECT_EQ(caption, QStringLiteral("OK"));
}

TEST_F(MainWindowTest, EveryHelpButtonOfTheDialogsOpensAnExistingPage)
{
  // The shipped help where the program looks for it, and the pages its
  // contents list.
  const QDir shipped(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help")));
  ASSERT_TRUE(QDir(Dir.path()).mkpath(QStringLiteral("help")));
  for (const QString& file : shipped.entryList(QDir::Files))
    ASSERT_TRUE(QFile::copy(shipped.filePath(file), Path(QStringLiteral("help/") + file)));
  QStringList listed;
  const THelpWindow contents(Path(QStringLiteral("help")));
  for (const THelpWindow::TPage& page : contents.Pages())
    listed << page.File;

  DrawEntity(QPoint(100, 100));
  Window->BuildTableDlg->SetDrawingSurface(&Surface());
  Window->BuildFormDlg->SetDrawingSurface(&Surface());
  QStringList opened;
  for (const bool model : {false, true}) {
    Window->BuildTableDlg->BuildModel = model;
    for (QDialog* dialog : Window->findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly)) {
      auto* box = dialog->findChild<QDialogButtonBox*>();
      QPushButton* help = box ? box->button(QDialogButtonBox::Help) : nullptr;
      if (!help || (model && dialog != Window->BuildTableDlg))
        continue;
      const QString name = QString::fromLatin1(dialog->metaObject()->className()).section(QStringLiteral("::"), -1);
      dialog->show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
      // A shown button is clicked; the small dialogs keep theirs hidden.
      if (help->isVisible())
        QTest::mouseClick(help, Qt::LeftButton);
      else
        help->click();
      // The page opens in a help window of the dialog's own, which takes
      // input while the dialog is modal.
      auto* shown = dialog->findChild<THelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
      ASSERT_NE(shown, nullptr) << qPrintable(name);
      EXPECT_TRUE(shown->isVisible());
      const QString page = shown->Browser->source().fileName();
      EXPECT_TRUE(listed.contains(page)) << qPrintable(name + QLatin1Char(' ') + page);
      EXPECT_FALSE(shown->Browser->toPlainText().contains(QStringLiteral("not found"))) << qPrintable(name);
      opened << QStringLiteral("%1%2 %3").arg(name, help->isVisible() ? QStringLiteral(" (shown)") : QString(), page);
      shown->hide();
      dialog->hide();
    }
  }
  opened.sort();
  EXPECT_EQ(opened, QStringList({"TBuildFormDlg (shown) forms.html", "TBuildTableDlg (shown) builddatabase.html",
                                 "TBuildTableDlg (shown) reengineer.html", "TFilterDlg zoom.html",
                                 "TFindDlg drawing.html", "TPrintDlg print.html", "TReportDlg entityreport.html",
                                 "TSetupDlg zoom.html", "TValidateDlg consistency.html"}));
}

TEST_F(MainWindowTest, DatabaseItemOpensTheBuildDialogOnTheDiagram)
{
  DrawEntity(QPoint(100, 100));
  int page = -1;
  const QString caption = OpenBuildDialog(Item("DatabaseItem"), [&](TBuildTableDlg* dialog) {
    page = dialog->PageControl->currentIndex();
    EXPECT_EQ(dialog->DrawingSurface(), &Surface());
    EXPECT_EQ(dialog->FilterButton->text(), QStringLiteral("All Tables"));
    QTest::mouseClick(dialog->CancelBtn, Qt::LeftButton);
  });
  EXPECT_EQ(caption, QStringLiteral("Veska - Build Database"));
  EXPECT_EQ(page, TBuildTableDlg::pgOptions);
  EXPECT_EQ(Surface().Entities.Count(), 1);
}

TEST_F(MainWindowTest, FormsItemBuildsTheApplicationAndTheOpenEditorShowsTheCaptionsItGave)
{
  DrawEntity(QPoint(100, 100));
  TEntity* second = DrawEntity(QPoint(400, 100));
  // A form without a caption gets one from the run; the open editor shows it.
  second->EditFormCaption.clear();
  Window->EditEntity(second, TObjectEditor::pgForms);
  ASSERT_TRUE(Window->ObjectEditor->isVisible());
  EXPECT_EQ(Window->ObjectEditor->Forms()->formNameBox->currentText(), QString());
  // The program's directory holds the shipped settings and library.
  const QDir shipped(QCoreApplication::applicationDirPath());
  for (const QString& name : {QStringLiteral("VESKA.INI"), QStringLiteral("VESKA.LIB")})
    ASSERT_TRUE(QFile::copy(shipped.filePath(name), Path(name))) << name.toStdString();
  const QString out = Path(QStringLiteral("app"));
  ASSERT_TRUE(QDir().mkpath(out));

  int page = -1;
  const QString caption = OpenBuildDialog<TBuildFormDlg>(Item("FormsBuildItem"), [&](TBuildFormDlg* dialog) {
    page = dialog->PageControl->currentIndex();
    EXPECT_EQ(dialog->DrawingSurface(), &Surface());
    EXPECT_EQ(dialog->FilterButton->text(), QStringLiteral("All Forms"));
    EXPECT_EQ(dialog->LibraryFile, Path(QStringLiteral("VESKA.LIB")));
    dialog->SetDirectory(out);
    QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
    QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
  });
  EXPECT_EQ(caption, QStringLiteral("Veska - Build Application"));
  EXPECT_EQ(page, TBuildFormDlg::pgOptions);
  EXPECT_EQ(Messages.Lines(), QStringList());
  EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 7) << "project, main unit and form, two units and forms";
  EXPECT_EQ(Window->ObjectEditor->Forms()->formNameBox->currentText(),
            QStringLiteral("Maintain ") + second->EntityName());
}

TEST_F(MainWindowTest, ReEngineerReadsTablesIntoANewDiagramAndLeavesTheOldFileAlone)
{
  const QString tables = Path(QStringLiteral("tables"));
  ASSERT_TRUE(QDir().mkpath(tables));
  CreateTable(tables, QStringLiteral("CUSTOMER"), TTableType::Dbase,
              {{QStringLiteral("CUST_ID"), eftInteger}, {QStringLiteral("NAME"), eftString, 20}}, {});
  DrawEntity(QPoint(100, 100));

  // Cancel in the save question ends the command before the dialog.
  Messages.Answers << mbCancel;
  EXPECT_EQ(OpenBuildDialog(Item("ReEngineerItem"), [](TBuildTableDlg* dialog) { dialog->reject(); }), QString());
  EXPECT_EQ(Surface().Entities.Count(), 1);

  Files.Names << Path(QStringLiteral("old.erd"));
  ASSERT_TRUE(Window->SaveAsItemClick());
  const QByteArray saved = FileBytes(Path(QStringLiteral("old.erd")));
  // The view scrolled away from the top left of the old diagram.
  Window->ScrollBox1->horizontalScrollBar()->setValue(300);
  Window->ScrollBox1->verticalScrollBar()->setValue(400);
  ASSERT_GT(Window->ScrollBox1->verticalScrollBar()->value(), 0);
  int page = -1;
  const QString caption = OpenBuildDialog(Item("ReEngineerItem"), [&](TBuildTableDlg* dialog) {
    page = dialog->PageControl->currentIndex();
    EXPECT_EQ(Surface().Entities.Count(), 0);
    dialog->SetDirectory(tables);
    QTest::mouseClick(dialog->OKBtn, Qt::LeftButton);
  });
  EXPECT_EQ(caption, QStringLiteral("Veska - Build Information Model"));
  EXPECT_EQ(page, TBuildTableDlg::pgDestination);
  ASSERT_EQ(Surface().Entities.Count(), 1);
  EXPECT_EQ(Surface().Entities.Strings(0), QStringLiteral("CUSTOMER"));
  EXPECT_EQ(View().size(), QSize(Surface().Width, Surface().Height));
  // The new diagram is shown from its top left, where its boxes are.
  EXPECT_EQ(Window->ScrollBox1->horizontalScrollBar()->value(), 0);
  EXPECT_EQ(Window->ScrollBox1->verticalScrollBar()->value(), 0);
  // The model read is a new diagram: Save must not overwrite the closed one.
  EXPECT_EQ(Window->FileName, TSDIAppForm::NewFileName);
  EXPECT_EQ(Window->windowTitle(), QStringLiteral("Veska - new.ERD"));
  EXPECT_EQ(FileBytes(Path(QStringLiteral("old.erd"))), saved);
}

TEST_F(MainWindowTest, DeletesAnObjectChosenByName)
{
  DrawEntity(QPoint(100, 100));
  TEntity* second = DrawEntity(QPoint(400, 100));
  QString caption;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<TFindDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    caption = dialog->windowTitle();
    dialog->ComboBox1->setCurrentText(QStringLiteral("Entity"));
    dialog->ComboBox1Change();
    dialog->ListBox1->setCurrentRow(0);
    dialog->ListBox1Click();
    dialog->OKBtnClick();
  });
  Item("DeleteItem")->trigger();
  EXPECT_EQ(caption, QStringLiteral("Veska - Delete Object"));
  ASSERT_EQ(Surface().Entities.Count(), 1);
  EXPECT_EQ(Surface().Entities[0], second);

  Item("UndoItem")->trigger();
  EXPECT_EQ(Surface().Entities.Count(), 2);
}

TEST_F(MainWindowTest, TheLabelsItemFollowsTheSurface)
{
  QAction* labels = Item("ShowLabels1");
  EXPECT_EQ(labels->text(), QStringLiteral("Hide &Labels"));
  labels->trigger();
  EXPECT_FALSE(Surface().RelationLabelVisible);
  EXPECT_EQ(labels->text(), QStringLiteral("Show &Labels"));
  Surface().SetRelationLabelVisible(true);
  EXPECT_EQ(labels->text(), QStringLiteral("Hide &Labels"));
}

TEST_F(MainWindowTest, TheViewPaintsEntityBoxesAndRelationLines)
{
  TEntity* parent = DrawEntity(QPoint(100, 100));
  TEntity* child = DrawEntity(QPoint(100, 400));
  Button("RelationManyForeignBtn")->click();
  Click(Centre(*parent));
  Click(Centre(*child));
  ASSERT_EQ(Surface().Relations.Count(), 1);
  Click(QPoint(700, 700));  // nothing selected: everything in black

  const QImage image = View().grab().toImage();
  const auto dark = [&](QPoint p) { return qGray(image.pixel(p)) < 128; };
  // The left edge of the parent's box, half-way down.
  EXPECT_TRUE(dark(QPoint(parent->Left, parent->Top + parent->Height / 2)));
  EXPECT_FALSE(dark(QPoint(parent->Left - 5, parent->Top + parent->Height / 2)));
  // The middle of each segment of the relation that has a length.
  for (const TRelationSegment& segment : Surface().Relations[0]->Segments) {
    if (!segment.Visible || segment.Width * segment.Height == 0)
      continue;
    const QRect r = segment.BoundsRect();
    const QPoint mid = segment.Vertical ? QPoint(r.left() + r.width() / 2, r.center().y())
                                        : QPoint(r.center().x(), r.top() + r.height() / 2);
    QRect probe(mid - QPoint(2, 2), QSize(5, 5));
    bool found = false;
    for (int y = probe.top(); y <= probe.bottom(); ++y)
      for (int x = probe.left(); x <= probe.right(); ++x)
        found = found || dark(QPoint(x, y));
    EXPECT_TRUE(found) << "segment at " << mid.x() << "," << mid.y();
  }
  // Far from every object the diagram is white.
  EXPECT_EQ(image.pixel(QPoint(600, 250)), qRgb(255, 255, 255));
}

TEST(FileDialogsTest, FiltersMatchBothLetterCases)
{
  EXPECT_EQ(QtFileFilter(TSDIAppForm::FileFilter),
            QStringLiteral("ERD Files (*.ERD *.erd);;Text Files (*.TXT *.txt);;All Files (*)"));
}

}  // namespace
}  // namespace veska

namespace veska {
namespace {

TEST_F(MainWindowTest, ObjectsEditorEditsSurviveSaveAndReload)
{
  // The entity tool opens the editor on the new entity.
  TEntity* e = DrawEntity(QPoint(100, 100));
  ASSERT_NE(e, nullptr);
  TObjectEditor& editor = *Window->ObjectEditor;
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.ActivePage(), TObjectEditor::pgEntities);
  EXPECT_EQ(editor.CurrentEntity, e);

  QLineEdit* name = editor.Entities()->entityNameBox->lineEdit();
  name->selectAll();
  QTest::keyClicks(editor.Entities()->entityNameBox, QStringLiteral("Sales,Order"));
  QTest::keyClick(editor.Entities()->entityNameBox, Qt::Key_Return);
  QTest::keyClicks(editor.Entities()->keyAttributesMemo, QStringLiteral("Order,Id"));
  QTest::keyClicks(editor.Entities()->nonKeyAttributesMemo, QStringLiteral("Total"));
  editor.ShowPage(TObjectEditor::pgTables);
  editor.Tables()->tableGrid->SetCurrentCell(4, 2);
  emit editor.Tables()->tableGrid->CellDblClicked(4, 2);  // "Allow Nulls" of Total
  EXPECT_EQ(e->EntityName(), QStringLiteral("SalesOrder"));
  EXPECT_FALSE(e->Attributes[0]->AllowNulls);

  Files.Names << Path(QStringLiteral("sales.erd"));
  Item("SaveAsItem")->trigger();
  Item("NewItem")->trigger();
  EXPECT_EQ(editor.CurrentEntity, nullptr);
  QApplication::processEvents();
  EXPECT_TRUE(editor.Tables()->tableGrid->Text(0, 1).isEmpty());

  Files.Names << Path(QStringLiteral("sales.erd"));
  Item("OpenItem")->trigger();
  ASSERT_EQ(Surface().Entities.Count(), 1);
  const TEntity* loaded = Surface().Entities[0];
  EXPECT_EQ(loaded->EntityName(), QStringLiteral("SalesOrder"));
  ASSERT_EQ(loaded->PrimaryKey.Count(), 1);
  EXPECT_EQ(loaded->PrimaryKey[0]->Name, QStringLiteral("OrderId"));
  ASSERT_EQ(loaded->Attributes.Count(), 1);
  EXPECT_FALSE(loaded->Attributes[0]->AllowNulls);
  EXPECT_TRUE(Messages.Messages.isEmpty()) << Messages.Lines().join('\n').toStdString();

  // The editor opens on the page asked for, with the loaded entity.
  Window->EditEntity(Surface().Entities[0], TObjectEditor::pgIndexes);
  EXPECT_EQ(editor.ActivePage(), TObjectEditor::pgIndexes);
  EXPECT_EQ(editor.Indexes()->indexGrid->Text(0, 2), QStringLiteral("OrderId"));
}

}  // namespace
}  // namespace veska

namespace veska {
namespace {

// The program's own message boxes. The button pressed on the view to cause a
// message is let go over the box, as a user's hand does; the box is then
// closed with its first button.
class TBoxMessages final : public TMessageService {
public:
  TMsgButton Show(TMsgDlgType type, const QString& text, int buttons) override
  {
    Record.Show(type, text, buttons);
    QTimer::singleShot(0, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
        box->buttons().value(0)->click();
      }
    });
    return FBoxes.Show(type, text, buttons);
  }
  test::TRecordingMessages Record;

private:
  TMessageBoxes FBoxes;
};

class MainWindowBoxTest : public MainWindowTest {
protected:
  TMessageService& Service() override { return Boxes; }
  TBoxMessages Boxes;
};

TEST_F(MainWindowBoxTest, RelationDrawingWorksAfterAMessageBoxTookTheRelease)
{
  TEntity* parent = DrawEntity(QPoint(120, 80));
  TEntity* child = DrawEntity(QPoint(420, 380));
  Button("RelationManyForeignBtn")->click();
  Click(Centre(*parent));
  Send(QEvent::MouseButtonPress, QPoint(700, 700), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(Boxes.Record.Lines(), QStringList{QStringLiteral("information: Please Pick Child Entity.")});
  EXPECT_FALSE(View().MouseCaptured());
  Click(Centre(*child));
  ASSERT_EQ(Surface().Relations.Count(), 1);
  EXPECT_EQ(Surface().Relations[0]->Child, child);
}

TEST_F(MainWindowTest, RightClickWorksAfterAPopupMenuTookTheRelease)
{
  TEntity* entity = DrawEntity(QPoint(300, 300));
  const auto rightPress = [this](QPoint at) {
    Send(QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    EXPECT_TRUE(Window->PopupMenu1->isVisible());
    EXPECT_FALSE(View().MouseCaptured());
    QTest::mouseRelease(Window->PopupMenu1, Qt::RightButton, Qt::NoModifier, QPoint(3, 3));
    Window->PopupMenu1->hide();
  };
  rightPress(QPoint(100, 100));
  rightPress(Centre(*entity));
  EXPECT_EQ(Window->PopupEntity, entity);
}

TEST_F(MainWindowTest, TheViewLetsGoOfAnEntityTheEditorDeletesWhileItHoldsTheMouse)
{
  TEntity* entity = DrawEntity(QPoint(300, 300));
  Send(QEvent::MouseButtonPress, Centre(*entity), Qt::LeftButton, Qt::LeftButton);
  ASSERT_EQ(Window->ObjectEditor->CurrentEntity, entity);
  Window->ObjectEditor->Entities()->deleteEntityButton->click();
  EXPECT_FALSE(View().MouseCaptured());
  // The rest of the gesture reaches nothing that has gone.
  Send(QEvent::MouseMove, QPoint(330, 330), Qt::NoButton, Qt::LeftButton);
  Send(QEvent::MouseButtonRelease, QPoint(330, 330), Qt::LeftButton, Qt::NoButton);
  EXPECT_EQ(Surface().Entities.Count(), 0);
}

TEST(ApplicationTest, WindowTitlesGetNoDisplayNameAppended)
{
  const QString oldName = QCoreApplication::applicationName();
  TApplication::SetNames();
  // A display name that was never set follows the application name.
  QCoreApplication::setApplicationName(QStringLiteral("Other"));
  EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("Other"));
  QCoreApplication::setApplicationName(oldName);
}

TEST_F(MainWindowTest, ObjectsEditorStaysAboveTheMainWindowAndOpensBesideTheDiagram)
{
  TObjectEditor& editor = *Window->ObjectEditor;
  // The first entity of the session carries revision 0 in its name.
  EXPECT_EQ(DrawEntity(QPoint(100, 100))->EntityName(), QStringLiteral("Entity1_0"));
  ASSERT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.windowType(), Qt::Tool);
  EXPECT_EQ(editor.windowHandle()->transientParent(), Window->windowHandle());
  const QPoint corner = View().mapToGlobal(QPoint(0, 0));
  EXPECT_FALSE(editor.frameGeometry().contains(corner));
  EXPECT_GT(editor.x(), corner.x());
}

TEST_F(MainWindowTest, DesktopKeysZoomDisplayModeAndTheDiagramsEdge)
{
  Window->resize(640, 480);
  TEntity* a = DrawEntity(QPoint(100, 100));
  TEntity* b = DrawEntity(QPoint(300, 100));
  Window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
  View().setFocus();
  const QLabel* zoom = Window->statusBar()->findChild<QLabel*>(QStringLiteral("ZoomLabel"));
  ASSERT_NE(zoom, nullptr);

  QTest::keyClick(&View(), Qt::Key_A, Qt::ControlModifier);
  EXPECT_TRUE(a->Selected() && b->Selected());
  QTest::keyClick(&View(), Qt::Key_Delete);
  QTest::keyClick(&View(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Surface().Entities.Count(), 2);
  QTest::keyClick(&View(), Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_EQ(zoom->text(), QStringLiteral("125%"));
  QTest::keyClick(&View(), Qt::Key_Minus, Qt::ControlModifier);
  EXPECT_EQ(zoom->text(), QStringLiteral("100%"));
  EXPECT_EQ(Item("UndoItem")->text(), QStringLiteral("&Undo"));

  // In the objects editor the keys belong to its fields.
  QApplication::setActiveWindow(Window->ObjectEditor);
  Window->ObjectEditor->ShowPage(TObjectEditor::pgTables);
  Window->ObjectEditor->Tables()->tableGrid->setFocus();
  QTest::keyClick(Window->ObjectEditor->Tables()->tableGrid, Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(Surface().ZoomFactor, 1.0);

  Item("SchemaItem")->trigger();
  EXPECT_TRUE(Item("SchemaItem")->isChecked());
  EXPECT_FALSE(Item("AttributesItem")->isChecked());

  // Zoomed out, the diagram is white and the area beyond its edge is not.
  Window->resize(1100, 900);
  Item("ZoomOutItem")->trigger();
  Item("ZoomOutItem")->trigger();
  const QImage image = Window->ScrollBox1->viewport()->grab().toImage();
  ASSERT_LT(View().width() + 20, image.width());
  EXPECT_EQ(image.pixel(View().width() - 5, 5), qRgb(255, 255, 255));
  EXPECT_NE(image.pixel(View().width() + 10, 5), qRgb(255, 255, 255));
}

TEST_F(MainWindowTest, ControlWheelZoomsAroundThePointer)
{
  Window->resize(640, 480);
  QWidget* viewport = Window->ScrollBox1->viewport();
  Window->ScrollBox1->verticalScrollBar()->setValue(200);
  const QPoint pointer(300, 150);  // in the viewport
  const QPoint before = View().mapFrom(viewport, pointer);
  const auto wheel = [&](int angle, Qt::KeyboardModifiers modifiers) {
    const QPoint at = View().mapFrom(viewport, pointer);
    QWheelEvent event(QPointF(at), QPointF(View().mapToGlobal(at)), QPoint(), QPoint(0, angle), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&View(), &event);
  };
  wheel(120, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(Surface().ZoomFactor, 1.25);
  // The diagram point that was under the pointer is still under it.
  const QPoint after = View().mapFrom(viewport, pointer);
  EXPECT_NEAR(after.x(), before.x() * 1.25, 1.5);
  EXPECT_NEAR(after.y(), before.y() * 1.25, 1.5);
  wheel(-120, Qt::NoModifier);
  EXPECT_DOUBLE_EQ(Surface().ZoomFactor, 1.25);
}

}  // namespace
}  // namespace veska
