#include "dialogs/EditorFixture.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

namespace veska {
namespace {

using test::Names;

class EditorGridsTest : public test::EditorTest {
protected:
  static QModelIndex Index(TEditGrid* grid, int column, int row)
  {
    return grid->model()->index(row - grid->HeadingRows, column - 1);
  }

  static void ClickCell(TEditGrid* grid, int column, int row)
  {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(Index(grid, column, row)).center());
  }

  static void DoubleClickCell(TEditGrid* grid, int column, int row)
  {
    const QPoint at = grid->visualRect(Index(grid, column, row)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
  }

  // Opens the cell's in-place editor and types into it key by key, after
  // selecting what it holds.
  static QLineEdit* OpenCellEditor(TEditGrid* grid, int column, int row)
  {
    grid->SetCurrentCell(column, row);
    grid->edit(Index(grid, column, row));
    // Editors of earlier edits may still wait for their deletion.
    QLineEdit* editor = nullptr;
    for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
      if (e->isVisible())
        editor = e;
    return editor;
  }

  static void TypeInCell(TEditGrid* grid, int column, int row, const QString& text)
  {
    QLineEdit* editor = OpenCellEditor(grid, column, row);
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    if (text.isEmpty())
      QTest::keyClick(editor, Qt::Key_Delete);
    else
      QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor closes through a queued call.
    QApplication::processEvents();
    EXPECT_FALSE(grid->Editing());
  }

  static QStringList Row(TEditGrid* grid, int row)
  {
    QStringList cells;
    for (int c = 0; c < grid->Columns(); ++c)
      cells << grid->Text(c, row);
    return cells;
  }
};

TEST_F(EditorGridsTest, TablesShowsAttributeRowsAndAppliesEachKeystroke)
{
  TEntity* e = Place(10, 10, {QStringLiteral("Id"), QStringLiteral("Line")},
                     {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
  Open(e, TObjectEditor::pgTables);
  TEditGrid* g = Editor.Tables()->tableGrid;
  EXPECT_EQ(g->Rows(), 6);
  EXPECT_EQ(Row(g, 0), (QStringList{"Attribute", "Column Name", "Type", "Width", "Allow Nulls", "Default",
                                    "Validation Rule"}));
  EXPECT_EQ(g->ColumnWidth(1), 126);
  EXPECT_EQ(Row(g, 1), (QStringList{"Id", "Id", "Default", "0", "No", "", ""}));
  EXPECT_EQ(Row(g, 3), (QStringList{"A", "A", "Default", "0", "Yes", "", ""}));

  TypeInCell(g, 4, 3, QStringLiteral("maybe"));
  EXPECT_FALSE(e->Attributes[0]->AllowNulls);
  EXPECT_EQ(g->Text(4, 3), QStringLiteral("No"));
  TypeInCell(g, 4, 3, QStringLiteral("yES"));
  EXPECT_TRUE(e->Attributes[0]->AllowNulls);
  EXPECT_EQ(g->Text(4, 3), QStringLiteral("Yes"));
  TypeInCell(g, 4, 1, QStringLiteral("yes"));
  EXPECT_EQ(g->Text(4, 1), QStringLiteral("No"));

  TypeInCell(g, 1, 4, QStringLiteral("B_COL"));
  EXPECT_EQ(e->Attributes[1]->ColumnName(), QStringLiteral("B_COL"));
  TypeInCell(g, 3, 5, QStringLiteral("12"));
  EXPECT_EQ(e->Attributes[2]->Width, QStringLiteral("12"));
  TypeInCell(g, 5, 5, QStringLiteral("0"));
  TypeInCell(g, 6, 5, QStringLiteral("C >= 0"));
  EXPECT_EQ(e->Attributes[2]->DefaultValue(), QStringLiteral("0"));
  EXPECT_EQ(e->Attributes[2]->Rule(), QStringLiteral("C >= 0"));

  // Double-clicking "Allow Nulls" toggles a non-key row only.
  DoubleClickCell(g, 4, 4);
  EXPECT_FALSE(e->Attributes[1]->AllowNulls);
  EXPECT_EQ(g->Text(4, 4), QStringLiteral("No"));
  DoubleClickCell(g, 4, 2);
  EXPECT_EQ(g->Text(4, 2), QStringLiteral("No"));
}

TEST_F(EditorGridsTest, DoubleClicksAreEditsAndWaitWhileThePageIsToBeShownAnew)
{
  TEntity* parent = Place(10, 10, {QStringLiteral("Id")});
  TEntity* child = Place(300, 10, {QStringLiteral("No")}, {QStringLiteral("Note")});
  Draw(dtRelationOneToManyForeign, parent, child);
  Open(child, TObjectEditor::pgTables);
  TEditGrid* g = Editor.Tables()->tableGrid;
  ASSERT_EQ(Row(g, 2).mid(0, 5), (QStringList{"Note", "Note", "Default", "0", "Yes"}));

  // The parent leaves the model: until the page is shown anew, a
  // double-click changes nothing.
  S.DeleteEntity(S.Entities.IndexOfObject(parent));
  DoubleClickCell(g, 4, 2);
  EXPECT_TRUE(child->Attributes[0]->AllowNulls);
  EXPECT_EQ(g->Text(4, 2), QStringLiteral("Yes"));
  QApplication::processEvents();
  DoubleClickCell(g, 4, 2);
  EXPECT_FALSE(child->Attributes[0]->AllowNulls);
  EXPECT_EQ(g->Text(4, 2), QStringLiteral("No"));
}

TEST_F(EditorGridsTest, TypePickerOpensOnSecondClickOrKeyAndSetsTheType)
{
  TTablesPage& tables = *Editor.Tables();
  TEntity* parent = Place(10, 10, {QStringLiteral("Id")});
  TEntity* child = Place(300, 10, {QStringLiteral("No")});
  Draw(dtRelationOneToManyForeign, parent, child);
  S.AddDomain(std::make_unique<TDomain>())->Name = QStringLiteral("Money");
  S.Domains.SetString(0, QStringLiteral("Money"));
  Open(child, TObjectEditor::pgTables);
  TEditGrid* g = tables.tableGrid;
  QComboBox* picker = tables.columnTypePicker;
  QStringList items;
  for (int i = 0; i < picker->count(); ++i)
    items << picker->itemText(i);
  EXPECT_EQ(items, (QStringList{"Char", "Integer", "Default", "Money"}));

  ClickCell(g, 2, 1);
  EXPECT_FALSE(picker->isVisible());
  ClickCell(g, 2, 1);
  ASSERT_TRUE(picker->isVisible());
  EXPECT_EQ(picker->geometry(), g->CellRect(2, 1));
  EXPECT_EQ(picker->currentText(), QStringLiteral("Default"));
  picker->setCurrentIndex(picker->findText(QStringLiteral("Money")));
  QTest::keyClick(picker, Qt::Key_Return);
  EXPECT_FALSE(picker->isVisible());
  tables.CommitChoice();
  EXPECT_EQ(child->PrimaryKey[0]->DataType, QStringLiteral("Money"));
  EXPECT_EQ(g->Text(2, 1), QStringLiteral("Money"));

  // A key pressed on a "Type" cell opens the picker at once; a carried-in
  // attribute keeps its type.
  g->SetCurrentCell(2, 2);
  QTest::keyClick(g, Qt::Key_A);
  ASSERT_TRUE(picker->isVisible());
  picker->setCurrentIndex(picker->findText(QStringLiteral("Char")));
  tables.CommitChoice();
  EXPECT_EQ(child->Attributes[0]->DataType, QStringLiteral("Default"));
  EXPECT_EQ(g->Text(2, 2), QStringLiteral("Default"));
  TypeInCell(g, 3, 2, QStringLiteral("9"));
  EXPECT_EQ(child->Attributes[0]->Width, QStringLiteral("0"));
  EXPECT_EQ(g->Text(3, 2), QStringLiteral("0"));

  // A type the list does not know is kept when the picker closes unchosen.
  child->PrimaryKey[0]->DataType = QStringLiteral("Special");
  Editor.LoadPage();
  g->SetCurrentCell(2, 1);
  QTest::keyClick(g, Qt::Key_Space);
  EXPECT_EQ(picker->currentIndex(), -1);
  tables.CommitChoice();
  EXPECT_EQ(child->PrimaryKey[0]->DataType, QStringLiteral("Special"));
}

TEST_F(EditorGridsTest, RowMovesReorderWithinKeysOrNonKeysOnly)
{
  TEntity* e = Place(10, 10, {QStringLiteral("K1"), QStringLiteral("K2")},
                     {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
  Open(e, TObjectEditor::pgTables);
  TEditGrid* g = Editor.Tables()->tableGrid;
  g->verticalHeader()->moveSection(0, 1);  // drag the first key row below the second
  EXPECT_EQ(Names(e->PrimaryKey), (QStringList{"K2", "K1"}));
  EXPECT_EQ(g->Text(0, 1), QStringLiteral("K2"));
  g->verticalHeader()->moveSection(0, 3);  // a key row below the first non-key row
  EXPECT_EQ(Names(e->PrimaryKey), (QStringList{"K2", "K1"}));
  EXPECT_EQ(Names(e->Attributes), (QStringList{"A", "B", "C"}));
  EXPECT_EQ(g->Text(0, 1), QStringLiteral("K2"));

  Editor.ShowPage(TObjectEditor::pgIndexes);
  Editor.Indexes()->indexGrid->verticalHeader()->moveSection(6, 4);  // C above A
  EXPECT_EQ(Names(e->Attributes), (QStringList{"C", "A", "B"}));
}

TEST_F(EditorGridsTest, FormsFieldsPickerAndReset)
{
  TFormsPage& forms = *Editor.Forms();
  TEntity* e = Place(10, 10, {QStringLiteral("Id")}, {QStringLiteral("Name")});
  e->MenuGroup = QStringLiteral("Sales");
  Place(300, 10)->MenuGroup = QStringLiteral("SALES");
  Open(e, TObjectEditor::pgForms);
  TEditGrid* g = forms.formGrid;
  EXPECT_EQ(forms.menuGroupCombo->count(), 1);
  EXPECT_EQ(Row(g, 0), (QStringList{"Attribute", "Display Type", "Top", "Left", "Width"}));
  EXPECT_EQ(Row(g, 2), (QStringList{"Name", "Default", "0", "0", "0"}));

  TypeInCell(g, 2, 2, QStringLiteral("40"));
  TypeInCell(g, 4, 2, QStringLiteral("wide"));
  EXPECT_EQ(e->Attributes[0]->ControlTop(), 40);
  EXPECT_EQ(e->Attributes[0]->ControlWidth(), 0);

  ClickCell(g, 1, 1);
  ClickCell(g, 1, 1);
  ASSERT_TRUE(forms.displayTypePicker->isVisible());
  forms.displayTypePicker->setCurrentIndex(forms.displayTypePicker->findText(QStringLiteral("CheckBox")));
  forms.CommitChoice();
  EXPECT_EQ(e->PrimaryKey[0]->DisplayType, TDisplayType::CheckBox);
  EXPECT_EQ(g->Text(1, 1), QStringLiteral("CheckBox"));

  forms.formWidthEdit->setText(QStringLiteral("300"));
  forms.formHeightEdit->setText(QStringLiteral("tall"));
  forms.menuGroupCombo->setEditText(QStringLiteral("Stock"));
  forms.formStyleCombo->setCurrentIndex(2);
  emit forms.formStyleCombo->activated(2);
  EXPECT_EQ(e->FormWidth, 300);
  EXPECT_EQ(e->FormHeight, 0);
  EXPECT_EQ(e->MenuGroup, QStringLiteral("Stock"));
  EXPECT_EQ(e->FormStyle, fsVertical);

  QTest::mouseClick(forms.resetFormButton, Qt::LeftButton);
  EXPECT_EQ(Row(g, 1), (QStringList{"Id", "Default", "0", "0", "0"}));
  EXPECT_EQ(Row(g, 2), (QStringList{"Name", "Default", "0", "0", "0"}));
  EXPECT_EQ(e->FormWidth, 300);
}

TEST_F(EditorGridsTest, IndexesPositionsUniquenessDoubleClicksAndNew)
{
  TIndexesPage& indexes = *Editor.Indexes();
  TEntity* empty = Place(300, 10);
  Open(empty, TObjectEditor::pgIndexes);
  QTest::mouseClick(indexes.newIndexButton, Qt::LeftButton);
  EXPECT_TRUE(empty->Indexes.IsEmpty());

  TEntity* e = Place(10, 10, {QStringLiteral("Id")}, {QStringLiteral("A"), QStringLiteral("B")});
  Editor.SetCurrentEntity(e);
  TEditGrid* g = indexes.indexGrid;
  EXPECT_EQ(g->Rows(), 5);
  QTest::mouseClick(indexes.newIndexButton, Qt::LeftButton);
  ASSERT_EQ(e->Indexes.Count(), 1);
  TIndex* ix = e->Indexes[0];
  EXPECT_EQ(g->Text(1, 0), ix->Name());
  EXPECT_EQ(g->Text(1, 1), QStringLiteral("No"));

  // Double-clicks append columns in turn.
  for (int row : {4, 3, 2})
    DoubleClickCell(g, 1, row);
  ASSERT_EQ(ix->Columns.Count(), 3);
  EXPECT_EQ(ix->Columns[0]->Name, QStringLiteral("B"));
  EXPECT_EQ(Row(g, 2), (QStringList{"Id", "3"}));

  TypeInCell(g, 1, 2, QStringLiteral("1"));  // third to the front
  EXPECT_EQ(ix->Columns[0]->Name, QStringLiteral("Id"));
  EXPECT_EQ(Row(g, 4), (QStringList{"B", "2"}));
  TypeInCell(g, 1, 4, QStringLiteral("0"));
  TypeInCell(g, 1, 4, QStringLiteral("first"));
  EXPECT_EQ(ix->Columns[1]->Name, QStringLiteral("B"));
  TypeInCell(g, 1, 3, QString());  // emptied: out of the index
  EXPECT_EQ(ix->Columns.Count(), 2);
  EXPECT_TRUE(g->Text(1, 3).isEmpty());

  TypeInCell(g, 1, 1, QStringLiteral("y"));
  EXPECT_TRUE(ix->Unique);
  DoubleClickCell(g, 1, 1);
  EXPECT_FALSE(ix->Unique);
  TypeInCell(g, 1, 0, QStringLiteral("ByB,Id"));
  EXPECT_EQ(ix->Name(), QStringLiteral("ByBId"));

  // Removing the last column by double-click deletes the index.
  DoubleClickCell(g, 1, 2);
  DoubleClickCell(g, 1, 4);
  EXPECT_TRUE(e->Indexes.IsEmpty());
  EXPECT_EQ(g->Columns(), 2);
  EXPECT_TRUE(g->Text(1, 0).isEmpty());
}

TEST_F(EditorGridsTest, IndexNameCollidingOnTheWayIsTakenAndAFinalCollisionRefusedAfterTheKeyHandler)
{
  TEntity* e = Place(10, 10, {QStringLiteral("Id")});
  e->AddIndex(std::make_unique<TIndex>());
  e->AddIndex(std::make_unique<TIndex>());
  Open(e, TObjectEditor::pgIndexes);
  TEditGrid* g = Editor.Indexes()->indexGrid;
  ASSERT_EQ(g->Text(1, 0), QStringLiteral("Ix1_0"));

  // "Ix1_0" is taken on the way to "Ix1_0b": no message, the name arrives.
  TypeInCell(g, 2, 0, QStringLiteral("Ix1_0b"));
  EXPECT_EQ(e->Indexes[1]->Name(), QStringLiteral("Ix1_0b"));
  EXPECT_EQ(e->Indexes.Strings(1), QStringLiteral("Ix1_0b"));
  EXPECT_TRUE(Msgs.Messages.isEmpty());

  // A name that still collides when the edit ends is refused; the message
  // waits until the cell editor's key handler has returned.
  Msgs.WhileShowing = [g] { EXPECT_FALSE(g->Editing()); };
  QLineEdit* editor = OpenCellEditor(g, 2, 0);
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClicks(editor, QStringLiteral("ix1_0"));
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_TRUE(Msgs.Messages.isEmpty());
  QApplication::processEvents();  // the editor closes
  QApplication::processEvents();  // then the message shows
  Msgs.WhileShowing = nullptr;
  EXPECT_EQ(Msgs.Lines(), QStringList{"error: Duplicate Index Name \"ix1_0\"."});
  EXPECT_EQ(e->Indexes[1]->Name(), QStringLiteral("Ix1_0b"));  // the name before the edit
  EXPECT_EQ(e->Indexes.Strings(1), QStringLiteral("Ix1_0b"));
  EXPECT_EQ(g->Text(2, 0), QStringLiteral("Ix1_0b"));
  EXPECT_EQ(e->Indexes[0]->Name(), QStringLiteral("Ix1_0"));
}

TEST_F(EditorGridsTest, IndexesGridOfAnEntityWithoutAttributesHasTwoRows)
{
  TIndexesPage& indexes = *Editor.Indexes();
  TEntity* empty = Place(10, 10);
  Open(empty, TObjectEditor::pgIndexes);
  EXPECT_EQ(indexes.indexGrid->Rows(), 2);
  EXPECT_EQ(indexes.indexGrid->Columns(), 2);
  EXPECT_TRUE(indexes.indexGrid->Text(0, 1).isEmpty());
  EXPECT_EQ(indexes.indexGrid->Text(0, 0), QStringLiteral("Attribute"));

  Editor.SetCurrentEntity(Place(200, 10, {QStringLiteral("Id")}));
  EXPECT_EQ(indexes.indexGrid->Rows(), 3);
  EXPECT_EQ(indexes.indexGrid->Text(0, 1), QStringLiteral("Unique"));
  Editor.SetCurrentEntity(nullptr);
  EXPECT_EQ(indexes.indexGrid->Rows(), 2);
  EXPECT_TRUE(indexes.indexGrid->Text(0, 1).isEmpty());
}

TEST_F(EditorGridsTest, AttributeNameColumnFitsItsNamesAndIsResizable)
{
  const QString name = QStringLiteral("Date of the first delivery to the customer");
  TEntity* e = Place(10, 10, {QStringLiteral("Id")}, {name});
  Open(e, TObjectEditor::pgTables);
  TEditGrid* g = Editor.Tables()->tableGrid;
  const int fitted = g->ColumnWidth(0);
  EXPECT_GT(fitted, g->fontMetrics().horizontalAdvance(name));
  Editor.ShowPage(TObjectEditor::pgIndexes);
  EXPECT_GT(Editor.Indexes()->indexGrid->ColumnWidth(0), g->fontMetrics().horizontalAdvance(name));

  // Dragging the right edge of the names sizes them; a reload keeps it.
  Editor.ShowPage(TObjectEditor::pgTables);
  QWidget* labels = g->verticalHeader()->viewport();
  const QPoint edge(labels->width() - 2, 5);
  QTest::mousePress(labels, Qt::LeftButton, {}, edge);
  QMouseEvent move(QEvent::MouseMove, QPointF(edge + QPoint(40, 0)), labels->mapToGlobal(QPointF(edge + QPoint(40, 0))),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(labels, &move);
  QTest::mouseRelease(labels, Qt::LeftButton, {}, edge + QPoint(40, 0));
  EXPECT_EQ(g->ColumnWidth(0), fitted + 38);
  EXPECT_EQ(Names(e->PrimaryKey), QStringList{"Id"});  // no row was moved
  Editor.LoadPage();
  EXPECT_EQ(g->ColumnWidth(0), fitted + 38);
}

TEST_F(EditorGridsTest, WideningTheAttributeColumnNoLongerHidesTheColumnNameColumn)
{
  TEntity* e = Place(10, 10, {QStringLiteral("Id")}, {QStringLiteral("Name")});
  Open(e, TObjectEditor::pgTables);
  TEditGrid* g = Editor.Tables()->tableGrid;
  QHeaderView* names = g->verticalHeader();
  const int before = g->ColumnWidth(0);
  // The user drags the right edge of the names 60 pixels to the right.
  QWidget* labels = names->viewport();
  const QPoint edge(labels->width() - 2, 5);
  QTest::mousePress(labels, Qt::LeftButton, {}, edge);
  QMouseEvent move(QEvent::MouseMove, QPointF(edge + QPoint(60, 0)), labels->mapToGlobal(QPointF(edge + QPoint(60, 0))),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(labels, &move);
  QTest::mouseRelease(labels, Qt::LeftButton, {}, edge + QPoint(60, 0));
  ASSERT_EQ(g->ColumnWidth(0), before + 58);

  // The cells begin where the names end, on this page as it is shown.
  EXPECT_EQ(g->viewport()->x(), names->x() + names->width());
  const QRect columnName = g->visualRect(Index(g, 1, 1)).translated(g->viewport()->pos());
  EXPECT_EQ(columnName.left(), names->x() + names->width());
}

TEST_F(EditorGridsTest, EscapeInATypePickerCancelsTheChoice)
{
  TTablesPage& tables = *Editor.Tables();
  TEntity* e = Place(10, 10, {QStringLiteral("Id")});
  Open(e, TObjectEditor::pgTables);
  QApplication::setActiveWindow(&Editor);
  TEditGrid* g = tables.tableGrid;
  QComboBox* picker = tables.columnTypePicker;
  ClickCell(g, 2, 1);
  ClickCell(g, 2, 1);
  ASSERT_TRUE(picker->isVisible());
  QTest::keyClick(picker, Qt::Key_Up);  // Char or Integer instead of Default
  ASSERT_NE(picker->currentText(), QStringLiteral("Default"));
  QTest::keyClick(picker, Qt::Key_Escape);
  EXPECT_FALSE(picker->isVisible());
  EXPECT_TRUE(g->hasFocus());
  tables.tableNameBox->setFocus();
  Editor.FormDeactivate();
  EXPECT_EQ(e->PrimaryKey[0]->DataType, QStringLiteral("Default"));
  EXPECT_EQ(g->Text(2, 1), QStringLiteral("Default"));
}

TEST_F(EditorGridsTest, CarriedInAttributesAreMarkedInTheGrids)
{
  TEntity* parent = Place(10, 10, {QStringLiteral("Id")});
  TEntity* child = Place(300, 10, {QStringLiteral("No")}, {QStringLiteral("Note")});
  Draw(dtRelationOneToManyForeign, parent, child);
  ASSERT_EQ(Names(child->Attributes), (QStringList{"Note", "Id"}));
  Open(child, TObjectEditor::pgTables);
  TEditGrid* g = Editor.Tables()->tableGrid;
  EXPECT_TRUE(g->Marked(0, 3));
  EXPECT_TRUE(g->Marked(2, 3));
  EXPECT_TRUE(g->Marked(3, 3));
  EXPECT_FALSE(g->Marked(1, 3));  // its column name stays the child's own
  for (int row : {1, 2})
    for (int column : {0, 2, 3})
      EXPECT_FALSE(g->Marked(column, row));
  Editor.ShowPage(TObjectEditor::pgForms);
  EXPECT_TRUE(Editor.Forms()->formGrid->Marked(0, 3));
  EXPECT_FALSE(Editor.Forms()->formGrid->Marked(0, 2));
  Editor.ShowPage(TObjectEditor::pgIndexes);
  EXPECT_TRUE(Editor.Indexes()->indexGrid->Marked(0, 4));
  EXPECT_FALSE(Editor.Indexes()->indexGrid->Marked(0, 2));

  // The mark goes with the attribute, not with the row.
  Editor.SetCurrentEntity(parent);
  Editor.ShowPage(TObjectEditor::pgTables);
  EXPECT_FALSE(g->Marked(0, 1));
}

}  // namespace
}  // namespace veska
