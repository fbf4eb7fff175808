// The file commands of the main window as the user meets them: Save, Save
// As, Open and the unsaved-changes question, Undo, and what a saved diagram
// keeps.

#include "MainWindowFixture.h"

namespace veska {
namespace {

using test::MainWindowTest;

TEST_F(MainWindowTest, SaveOpenAndTheUnsavedChangesQuestion)
{
  DrawEntity(QPoint(100, 100));
  const QString file = Path(QStringLiteral("model.erd"));
  Files.Names << file;
  Item("SaveItem")->trigger();  // a new diagram is saved as
  EXPECT_EQ(Window->Document().FileName(), file);
  EXPECT_EQ(Window->windowTitle(), QStringLiteral("Veska - model.erd"));
  const QByteArray first = FileBytes(file);
  ASSERT_FALSE(first.isEmpty());

  // Open it and give it up unchanged: no question.
  Files.Names << file;
  Item("OpenItem")->trigger();
  ASSERT_EQ(Surface().Entities.Count(), 1);
  Item("NewItem")->trigger();
  EXPECT_TRUE(Messages.Messages.isEmpty()) << Messages.Lines().join('\n').toStdString();
  EXPECT_EQ(Window->Document().FileName(), QStringLiteral("new.ERD"));

  // After a change it asks; Cancel keeps the diagram.
  Files.Names << file;
  Item("OpenItem")->trigger();
  DrawEntity(QPoint(400, 100));
  Messages.Answers << mbCancel;
  Item("NewItem")->trigger();
  EXPECT_EQ(Messages.Lines(),
            QStringList{QStringLiteral("confirmation: Save changes to \"%1\"?").arg(file)});
  EXPECT_EQ(Surface().Entities.Count(), 2);
  EXPECT_EQ(Window->Document().FileName(), file);

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
  EXPECT_EQ(Window->Document().FileName(), QStringLiteral("new.ERD"));

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
  EXPECT_EQ(Window->Document().FileName(), QStringLiteral("new.ERD"));
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
  EXPECT_EQ(Window->Document().FileName(), QStringLiteral("new.ERD"));
  EXPECT_TRUE(Messages.Messages.isEmpty()) << Messages.Lines().join('\n').toStdString();
}

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

TEST(FileDialogsTest, FiltersMatchBothLetterCases)
{
  EXPECT_EQ(QtFileFilter(TDiagramDocument::FileFilter),
            QStringLiteral("ERD Files (*.ERD *.erd);;Text Files (*.TXT *.txt);;All Files (*)"));
}

}  // namespace
}  // namespace veska
