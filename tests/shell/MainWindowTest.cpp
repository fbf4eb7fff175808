// The main window and the diagram view driven as the user drives them: tool
// buttons and menu items, mouse gestures on the view, pop-up menus, keys and
// the wheel, and what the view paints.

#include "MainWindowFixture.h"

namespace veska {
namespace {

using test::MainWindowTest;

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

TEST_F(MainWindowTest, ToolButtonsAndMenuItemsFollowTheSurfaceTool)
{
  EXPECT_EQ(Window->windowTitle(), QStringLiteral("Veska - new.ERD"));
  EXPECT_TRUE(Button("PointerBtn")->isChecked());

  Button("RelationOneMasterBtn")->click();
  EXPECT_EQ(Surface().ActiveDrawingTool(), dtRelationOneToOneMaster);
  EXPECT_FALSE(Window->Document().UndoSnapshot().isEmpty()) << "a drawing tool takes a snapshot";

  Item("OneToManyItem")->trigger();
  EXPECT_TRUE(Button("RelationManyForeignBtn")->isChecked());
  EXPECT_FALSE(Button("RelationOneMasterBtn")->isChecked());

  Item("AddTextItem")->trigger();
  EXPECT_TRUE(Button("TextBtn")->isChecked());

  QTest::keyClick(&View(), Qt::Key_Escape);
  EXPECT_EQ(Surface().ActiveDrawingTool(), dtPointer);
  EXPECT_TRUE(Button("PointerBtn")->isChecked());

  // Every command is offered and enabled.
  EXPECT_TRUE(Item("PrintItem")->isEnabled());
  EXPECT_TRUE(Item("PrintSetupItem")->isEnabled());
  EXPECT_TRUE(Button("PrintBtn")->isEnabled());
  EXPECT_TRUE(Item("FormsBuildItem")->isEnabled());
  EXPECT_TRUE(Item("DatabaseItem")->isEnabled());
  EXPECT_TRUE(Item("ReEngineerItem")->isEnabled());
  EXPECT_TRUE(Item("AddProcessItem")->isVisible());
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

TEST_F(MainWindowTest, PopupMenusActOnTheRightClickedPlaceOrObject)
{
  const auto shown = [this] {
    QStringList texts;
    for (QAction* item : Window->Popups().Menu()->actions())
      if (item->isVisible())
        texts << (item->isSeparator() ? QStringLiteral("-") : item->text());
    return texts;
  };
  const auto rightClick = [this](QPoint at) {
    Send(QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    Send(QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
  };

  rightClick(QPoint(200, 150));
  EXPECT_EQ(shown(), (QStringList{"Add Domain", "Add Entity", "Add Relation", "Add Process", "Add Text", "Edit Domain",
                                  "Edit Process", "Arrange"}));
  Window->Popups().Menu()->actions()[1]->trigger();  // Add Entity, at the click
  ASSERT_EQ(Surface().Entities.Count(), 1);
  TEntity* entity = Surface().Entities[0];
  EXPECT_EQ(entity->BoundsRect().topLeft(), QPoint(200, 150));
  Window->Popups().Menu()->hide();

  rightClick(Centre(*entity));
  EXPECT_EQ(Window->Popups().Entity(), entity);
  EXPECT_EQ(shown(), (QStringList{"Edit Entity", "Edit Table", "Edit Form", "Edit Indexes", "-", "Delete"}));
  Window->Popups().Menu()->actions()[1]->trigger();  // Edit Table
  EXPECT_TRUE(Window->ObjectEditor->isVisible());
  EXPECT_EQ(Window->ObjectEditor->ActivePage(), TObjectEditor::pgTables);
  EXPECT_EQ(Window->ObjectEditor->CurrentEntity, entity);
  rightClick(Centre(*entity));
  Window->Popups().Menu()->actions()[5]->trigger();
  EXPECT_EQ(Surface().Entities.Count(), 0);
  Window->Popups().Menu()->hide();
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

TEST_F(MainWindowTest, ProcessesAreAddedFromTheMenuOrThePopupAndDeletedByName)
{
  Item("AddProcessItem")->trigger();
  ASSERT_EQ(Surface().ServerProcs.Count(), 1);
  TObjectEditor& editor = *Window->ObjectEditor;
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.ActivePage(), TObjectEditor::pgProcesses);
  EXPECT_EQ(editor.CurrentProcess, Surface().ServerProcs[0]);
  EXPECT_FALSE(Window->Document().UndoSnapshot().isEmpty()) << "adding takes a snapshot first";

  // The pop-up's "Add Process" adds another; "Edit Process" opens the page on
  // the process shown last.
  Send(QEvent::MouseButtonPress, QPoint(300, 300), Qt::RightButton, Qt::RightButton);
  Send(QEvent::MouseButtonRelease, QPoint(300, 300), Qt::RightButton, Qt::NoButton);
  Window->Popups().Menu()->actions()[3]->trigger();
  Window->Popups().Menu()->hide();
  ASSERT_EQ(Surface().ServerProcs.Count(), 2);
  EXPECT_EQ(editor.CurrentProcess, Surface().ServerProcs[1]);
  editor.hide();
  Window->Popups().Menu()->actions()[6]->trigger();
  EXPECT_TRUE(editor.isVisible());
  EXPECT_EQ(editor.ActivePage(), TObjectEditor::pgProcesses);

  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<TFindDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->ComboBox1->setCurrentText(QStringLiteral("Process"));
    dialog->ComboBox1Change();
    dialog->ListBox1->setCurrentRow(0);
    dialog->ListBox1Click();
    dialog->OKBtnClick();
  });
  const QString second = Surface().ServerProcs.Strings(1);
  Item("DeleteItem")->trigger();
  EXPECT_EQ(Surface().ServerProcs.Texts(), QStringList{second});
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

// Paint events and the areas they cover.
class TPaintedAreas final : public QObject {
public:
  explicit TPaintedAreas(QWidget* widget) { widget->installEventFilter(this); }
  QRegion Painted;

protected:
  bool eventFilter(QObject*, QEvent* event) override
  {
    if (event->type() == QEvent::Paint)
      Painted += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
};

TEST_F(MainWindowTest, SelectAllOfManyBoxesRepaintsEveryBoxThatShowsAndNothingHidden)
{
  Window->resize(1200, 1000);
  for (int row = 0; row < 12; ++row)
    for (int column = 0; column < 9; ++column)
      ASSERT_TRUE(DrawEntity(QPoint(30 + 110 * column, 30 + 90 * row)));
  Window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
  View().setFocus();
  QApplication::processEvents();
  const QRect shown = View().visibleRegion().boundingRect();
  TPaintedAreas areas(&View());
  QTest::keyClick(&View(), Qt::Key_A, Qt::ControlModifier);
  QApplication::processEvents();
  int showing = 0;
  for (const TEntity* e : Surface().Entities) {
    ASSERT_TRUE(e->Selected());
    const QRect box = e->BoundsRect() & shown;
    if (box.isEmpty())
      continue;
    ++showing;
    EXPECT_EQ(areas.Painted.intersected(box), QRegion(box)) << qPrintable(e->EntityName());
  }
  EXPECT_GT(showing, 64);
  // Only what shows is painted.
  EXPECT_TRUE(shown.contains(areas.Painted.boundingRect()));
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
    EXPECT_TRUE(Window->Popups().Menu()->isVisible());
    EXPECT_FALSE(View().MouseCaptured());
    QTest::mouseRelease(Window->Popups().Menu(), Qt::RightButton, Qt::NoModifier, QPoint(3, 3));
    Window->Popups().Menu()->hide();
  };
  rightPress(QPoint(100, 100));
  rightPress(Centre(*entity));
  EXPECT_EQ(Window->Popups().Entity(), entity);
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
