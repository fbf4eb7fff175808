#include "dialogs/EditorFixture.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <gtest/gtest.h>

namespace veska {
namespace {

using test::Names;

// Places Entity1_0 and Entity2_0, opens the first in the active editor and
// types the second's name into its name box without leaving the box.
class ObjectEditorTest : public test::EditorTest {
protected:
  TEntity* StartTypingATakenName()
  {
    TEntity* a = Place(10, 10);
    Place(200, 10);
    Open(a);
    QApplication::setActiveWindow(&Editor);
    Editor.ComboBox1->setFocus();
    Editor.ComboBox1->lineEdit()->selectAll();
    QTest::keyClicks(Editor.ComboBox1, QStringLiteral("Entity2_0"));
    return a;
  }
};

// Clicks a radio button on its indicator (a click beside its text misses).
void ClickRadio(QAbstractButton* button)
{
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

TEST_F(ObjectEditorTest, FrameHasItsPagesTabsAndMinimumSize)
{
  EXPECT_EQ(Editor.windowTitle(), QStringLiteral("Veska - Objects Editor"));
  QStringList tabs;
  for (int i = 0; i < Editor.TabSet->count(); ++i)
    if (Editor.TabSet->isTabVisible(i))
      tabs << Editor.TabSet->tabText(i);
  EXPECT_EQ(tabs, (QStringList{"Entities", "Relations", "Tables", "Domains", "Text", "Forms", "Indexes"}));
  EXPECT_EQ(Editor.minimumSize(), QSize(380, 300));
  EXPECT_TRUE(Editor.NewRelationButton->isHidden());
  EXPECT_EQ(Editor.DataTypeNames, (QStringList{"Char", "Integer", "Default"}));
  EXPECT_EQ(Editor.ServerTypeCombo->count(), 2);

  Editor.show();
  Editor.TabSetClick(TObjectEditor::pgIndexes);
  EXPECT_EQ(Editor.ActivePage(), TObjectEditor::pgIndexes);
  Editor.StepTab(1);
  EXPECT_EQ(Editor.ActivePage(), TObjectEditor::pgEntities);
  Editor.StepTab(-1);
  EXPECT_EQ(Editor.ActivePage(), TObjectEditor::pgIndexes);
  Editor.ShowPage(TObjectEditor::pgProcesses);
  EXPECT_EQ(Editor.ActivePage(), TObjectEditor::pgProcesses);
  EXPECT_FALSE(Editor.TabSet->isTabVisible(Editor.TabSet->currentIndex()));
  Editor.StepTab(1);
  EXPECT_EQ(Editor.ActivePage(), TObjectEditor::pgForms);
}

TEST_F(ObjectEditorTest, KeyMemoAddsRenamesAndDeletesAttributesLineByLine)
{
  TEntity* parent = Place(10, 10, {QStringLiteral("Id")});
  TEntity* child = Place(300, 10, {QStringLiteral("Line")});
  Draw(dtRelationOneToManyMaster, parent, child);
  Open(parent);
  EXPECT_EQ(Editor.Memo1->toPlainText(), QStringLiteral("Id"));
  EXPECT_TRUE(Editor.EditsEnabled);

  // A new line typed at the end becomes a key attribute, carried into the
  // child.
  End(Editor.Memo1);
  QTest::keyClick(Editor.Memo1, Qt::Key_Return);
  EXPECT_EQ(Names(parent->PrimaryKey), QStringList{"Id"});
  QTest::keyClicks(Editor.Memo1, QStringLiteral("Order Date"));
  EXPECT_EQ(Names(parent->PrimaryKey), (QStringList{"Id", "Order Date"}));
  EXPECT_EQ(parent->PrimaryKey[1]->ColumnName(), QStringLiteral("Order_Date"));
  EXPECT_EQ(Names(child->PrimaryKey), (QStringList{"Line", "Id", "Order Date"}));
  EXPECT_EQ(Editor.ComboBox6->count(), 2);

  // Letter case alone is not applied; a real change renames in place.
  Editor.Memo1->setPlainText(QStringLiteral("ID\nOrder Date"));
  EXPECT_EQ(parent->PrimaryKey[0]->Name, QStringLiteral("Id"));
  Editor.Memo1->setPlainText(QStringLiteral("Code\nOrder Date"));
  EXPECT_EQ(Names(parent->PrimaryKey), (QStringList{"Code", "Order Date"}));
  EXPECT_EQ(Names(child->PrimaryKey), (QStringList{"Line", "Code", "Order Date"}));

  // Removing a line deletes its attribute, here and in the child.
  Editor.Memo1->setPlainText(QStringLiteral("Code"));
  EXPECT_EQ(Names(parent->PrimaryKey), QStringList{"Code"});
  EXPECT_EQ(Names(child->PrimaryKey), (QStringList{"Line", "Code"}));

  // A comma is refused, typed or pasted, and the status line says why.
  End(Editor.Memo1);
  QTest::keyClicks(Editor.Memo1, QStringLiteral(",x"));
  EXPECT_EQ(Names(parent->PrimaryKey), QStringList{"Codex"});
  EXPECT_EQ(Editor.StatusLine->text(), QStringLiteral("A name cannot contain a comma."));
}

TEST_F(ObjectEditorTest, NonKeyMemoEmptiedLineAndCarriedInLines)
{
  TEntity* parent = Place(10, 10, {QStringLiteral("Id")});
  TEntity* e = Place(300, 10, {QStringLiteral("No")}, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
  Draw(dtRelationOneToManyForeign, parent, e);
  Open(e);
  EXPECT_EQ(Editor.Memo2->toPlainText(), QStringLiteral("A\nB\nC\nId"));

  // An emptied line (same number of lines) goes from the memo and the entity.
  Editor.Memo2->setPlainText(QStringLiteral("A\n\nC\nId"));
  EXPECT_EQ(Names(e->Attributes), (QStringList{"A", "C", "Id"}));
  EXPECT_EQ(Editor.Memo2->toPlainText(), QStringLiteral("A\nC\nId"));

  // The line of a carried-in attribute comes back: the attribute stays.
  Editor.Memo2->setPlainText(QStringLiteral("A\nC"));
  EXPECT_EQ(Names(e->Attributes), (QStringList{"A", "C", "Id"}));
  EXPECT_EQ(Editor.Memo2->toPlainText(), QStringLiteral("A\nC\nId"));
  // ... so a later edit of another line is still a rename, not a deletion.
  Editor.Memo2->setPlainText(QStringLiteral("A2\nC\nId"));
  EXPECT_EQ(Names(e->Attributes), (QStringList{"A2", "C", "Id"}));

  // An inserted line lands at its place among the non-empty lines.
  Editor.Memo2->setPlainText(QStringLiteral("A2\nNew\nC\nId"));
  EXPECT_EQ(Names(e->Attributes), (QStringList{"A2", "New", "C", "Id"}));

  // Attribute descriptions follow the picker.
  Editor.ComboBox6->setCurrentIndex(Editor.ComboBox6->findText(QStringLiteral("C")));
  Editor.EntityAttrDesc->setPlainText(QStringLiteral("first\nsecond"));
  EXPECT_EQ(e->Attributes[2]->Description, (QStringList{"first", "second"}));
  Editor.ComboBox6->setCurrentIndex(0);
  EXPECT_TRUE(Editor.EntityAttrDesc->toPlainText().isEmpty());
}

TEST_F(ObjectEditorTest, NameBoxesPickRenameAndRefuse)
{
  TEntity* a = Place(10, 10);
  TEntity* b = Place(200, 10);
  S.RenameEntity(0, QStringLiteral("Customer"));
  S.RenameEntity(1, QStringLiteral("Order"));
  Open(a);
  EXPECT_EQ(Editor.ComboBox1->count(), 2);
  EXPECT_EQ(Editor.ComboBox1->currentText(), QStringLiteral("Customer"));

  // Picking a name from the list makes that entity current.
  const int order = Editor.ComboBox1->findText(QStringLiteral("Order"));
  Editor.ComboBox1->setCurrentIndex(order);
  emit Editor.ComboBox1->activated(order);
  EXPECT_EQ(Editor.CurrentEntity, b);

  // Typing a name and leaving renames; the table name follows.
  TypeName(Editor.ComboBox1, QStringLiteral("Sales Order"));
  EXPECT_EQ(b->EntityName(), QStringLiteral("Sales Order"));
  EXPECT_EQ(Editor.TableName->text(), QStringLiteral("Sales_Order"));
  EXPECT_EQ(S.Entities.IndexOf(QStringLiteral("Sales Order")), 1);

  // A taken name is refused by the model; the box shows the real name.
  TypeName(Editor.ComboBox1, QStringLiteral("customer"));
  EXPECT_EQ(b->EntityName(), QStringLiteral("Sales Order"));
  QApplication::processEvents();  // the message follows the key handler
  EXPECT_EQ(Msgs.Lines(), QStringList{"error: Duplicate Entity Name \"customer\"."});
  EXPECT_EQ(Editor.ComboBox1->currentText(), QStringLiteral("Sales Order"));

  // Commas never reach a name.
  TypeName(Editor.ComboBox1, QStringLiteral("Sales,Order"));
  EXPECT_EQ(b->EntityName(), QStringLiteral("SalesOrder"));

  // When the window loses activation, a name being typed is taken.
  QLineEdit* line = Editor.ComboBox1->lineEdit();
  line->setFocus();
  line->selectAll();
  QTest::keyClicks(Editor.ComboBox1, QStringLiteral("Purchase"));
  Editor.FormDeactivate();
  EXPECT_EQ(b->EntityName(), QStringLiteral("Purchase"));

  // With no entity current, typing and leaving changes nothing.
  Editor.SetCurrentEntity(nullptr);
  TypeName(Editor.ComboBox1, QStringLiteral("Other"));
  EXPECT_EQ(a->EntityName(), QStringLiteral("Customer"));
  EXPECT_EQ(b->EntityName(), QStringLiteral("Purchase"));
}

TEST_F(ObjectEditorTest, MovingTheFocusOutOfANameBoxRenames)
{
  TEntity* a = StartTypingATakenName();
  Editor.TableName->setFocus();
  QApplication::processEvents();  // the message follows the focus handler
  EXPECT_EQ(Msgs.Lines(), QStringList{"error: Duplicate Entity Name \"Entity2_0\"."});
  EXPECT_EQ(Editor.CurrentEntity, a);
  EXPECT_EQ(Editor.ComboBox1->currentText(), QStringLiteral("Entity1_0"));

  Editor.ComboBox1->setFocus();
  Editor.ComboBox1->lineEdit()->selectAll();
  QTest::keyClicks(Editor.ComboBox1, QStringLiteral("Client"));
  Editor.Memo1->setFocus();
  EXPECT_EQ(a->EntityName(), QStringLiteral("Client"));
}

TEST_F(ObjectEditorTest, NewAndDeleteOnTheSimplePages)
{
  Place(10, 10);
  Place(100, 10);
  Place(200, 10);
  Editor.ShowPage(TObjectEditor::pgEntities);
  Editor.show();
  QTest::mouseClick(Editor.NewEntityButton, Qt::LeftButton);
  ASSERT_EQ(S.Entities.Count(), 4);
  EXPECT_EQ(Editor.CurrentEntity, S.Entities[3]);
  EXPECT_EQ(S.Entities[3]->BoundsRect().topLeft(), QPoint(60, 60));
  QTest::mouseClick(Editor.DeleteEntityButton, Qt::LeftButton);
  EXPECT_EQ(S.Entities.Count(), 3);
  EXPECT_EQ(Editor.CurrentEntity, nullptr);
  EXPECT_TRUE(Editor.ComboBox1->currentText().isEmpty());

  // Domains: empty fields change nothing until a domain is current.
  Editor.ShowPage(TObjectEditor::pgDomains);
  EXPECT_FALSE(Editor.EditsEnabled);
  QTest::keyClicks(Editor.DataType, QStringLiteral("Money"));
  EXPECT_TRUE(S.Domains.IsEmpty());
  QTest::mouseClick(Editor.NewDomainButton, Qt::LeftButton);
  ASSERT_EQ(S.Domains.Count(), 1);
  EXPECT_EQ(Editor.DataType->text(), QStringLiteral("Default"));
  Editor.DataType->setText(QStringLiteral("Money"));
  Editor.DomainRule->setText(QStringLiteral("Value > 0"));
  EXPECT_EQ(S.Domains[0]->DataType, QStringLiteral("Money"));
  EXPECT_EQ(S.Domains[0]->Rule, QStringLiteral("Value > 0"));
  EXPECT_EQ(Editor.DomainRule->maxLength(), 254);

  // Text: the caption is the memo's whole text with CR LF line breaks.
  Editor.ShowPage(TObjectEditor::pgText);
  QTest::mouseClick(Editor.NewTextButton, Qt::LeftButton);
  ASSERT_EQ(S.Labels.Count(), 1);
  QTest::keyClicks(Editor.TextDesc, QStringLiteral("one"));
  QTest::keyClick(Editor.TextDesc, Qt::Key_Return);
  QTest::keyClicks(Editor.TextDesc, QStringLiteral("two"));
  EXPECT_EQ(S.Labels[0]->Caption(), QStringLiteral("one\r\ntwo"));
  QTest::keyClicks(Editor.TextDesc, QString(300, QLatin1Char('x')));
  EXPECT_EQ(S.Labels[0]->Caption().size(), 250);
  TypeName(Editor.ComboBox5, QStringLiteral("Note"));
  EXPECT_EQ(S.Labels.Strings(0), QStringLiteral("Note"));
  EXPECT_EQ(Editor.ComboBox5->currentText(), QStringLiteral("Note"));

  // Processes: the server list comes from the settings.
  Editor.ShowPage(TObjectEditor::pgProcesses);
  QTest::mouseClick(Editor.NewProcButton, Qt::LeftButton);
  ASSERT_EQ(S.ServerProcs.Count(), 1);
  EXPECT_EQ(Editor.ServerTypeCombo->currentIndex(), -1);
  Editor.ServerTypeCombo->setCurrentIndex(1);
  emit Editor.ServerTypeCombo->activated(1);
  EXPECT_EQ(S.ServerProcs[0]->Server, QStringLiteral("Dbase"));
  Editor.ProcessDesc->setPlainText(QStringLiteral("begin\nend"));
  EXPECT_EQ(S.ServerProcs[0]->Text, (QStringList{"begin", "end"}));
  QTest::mouseClick(Editor.DeleteProcButton, Qt::LeftButton);
  EXPECT_TRUE(S.ServerProcs.IsEmpty());
}

TEST_F(ObjectEditorTest, RelationPageSetsCardinalityAndMovesCarriedAttributes)
{
  TEntity* parent = Place(10, 10, {QStringLiteral("Id")});
  TEntity* child = Place(300, 10, {QStringLiteral("No")});
  TRelation* r = Draw(dtRelationOneToManyForeign, parent, child);
  r->Cardinality = 2;
  Editor.SetCurrentRelation(r);
  Editor.ShowPage(TObjectEditor::pgRelations);
  Editor.show();
  EXPECT_EQ(Editor.ParentEntity->text(), parent->EntityName());
  EXPECT_EQ(Editor.ChildEntity->text(), child->EntityName());
  EXPECT_EQ(Editor.RelationAttributes->toPlainText(), QStringLiteral("Id->Id"));
  EXPECT_TRUE(Editor.RelationTypeButtons->button(1)->isChecked());
  EXPECT_TRUE(Editor.RelateToButtons->button(1)->isChecked());

  ClickRadio(Editor.RelationTypeButtons->button(1));
  EXPECT_EQ(r->Cardinality, 3);
  ClickRadio(Editor.RelationTypeButtons->button(0));
  EXPECT_EQ(r->Cardinality, 1);

  ClickRadio(Editor.RelateToButtons->button(0));
  EXPECT_TRUE(r->PrimaryRelation());
  EXPECT_EQ(Names(child->PrimaryKey), (QStringList{"No", "Id"}));
  EXPECT_TRUE(child->Attributes.IsEmpty());

  // A refused primary relation leaves "Attributes" chosen.
  TRelation* back = Draw(dtRelationOneToManyForeign, child, parent);
  Editor.SetCurrentRelation(back);
  ClickRadio(Editor.RelateToButtons->button(0));
  EXPECT_FALSE(back->PrimaryRelation());
  EXPECT_TRUE(Editor.RelateToButtons->button(1)->isChecked());
  EXPECT_TRUE(Msgs.Messages.isEmpty());  // not from inside the click
  QApplication::processEvents();
  EXPECT_EQ(Msgs.Lines(), QStringList{"error: This cannot be a Primary Relation."});
}

TEST_F(ObjectEditorTest, ForgetsObjectsThatLeaveTheModel)
{
  TEntity* parent = Place(10, 10, {QStringLiteral("Id")});
  TEntity* child = Place(300, 10, {QStringLiteral("No")});
  TRelation* r = Draw(dtRelationOneToManyForeign, parent, child);
  Editor.SetCurrentRelation(r);
  Open(child);
  EXPECT_EQ(Editor.Memo2->toPlainText(), QStringLiteral("Id"));

  // Deleting the parent on the diagram takes the relation and the carried
  // attribute; the page is shown anew and edits stay off for gone objects.
  S.DeleteEntity(S.Entities.IndexOfObject(parent));
  EXPECT_EQ(Editor.CurrentRelation, nullptr);
  EXPECT_EQ(Editor.CurrentEntity, child);
  QApplication::processEvents();
  EXPECT_TRUE(Editor.Memo2->toPlainText().isEmpty());
  EXPECT_TRUE(Editor.EditsEnabled);

  Editor.ShowPage(TObjectEditor::pgTables);
  S.Clear();
  EXPECT_EQ(Editor.CurrentEntity, nullptr);
  QApplication::processEvents();
  EXPECT_FALSE(Editor.EditsEnabled);
  EXPECT_EQ(Editor.StringGrid1->rowCount(), 1);
  Editor.ShowPage(TObjectEditor::pgRelations);
  EXPECT_TRUE(Editor.ParentEntity->text().isEmpty());
}

TEST_F(ObjectEditorTest, EmptyNamesAreRefusedWithAMessageAndKeepTheOldName)
{
  TEntity* parent = Place(10, 10, {QStringLiteral("Id")});
  TEntity* child = Place(300, 10);
  TRelation* r = Draw(dtRelationOneToManyForeign, parent, child);
  // Empties the box (or leaves blanks in it) and presses Enter; the message
  // comes only after the key handler has returned.
  const auto typeEmpty = [this](QComboBox* box, const QString& blanks) {
    box->lineEdit()->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, blanks);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_TRUE(Msgs.Messages.isEmpty());
    QApplication::processEvents();
    const QStringList lines = Msgs.Lines();
    Msgs.Reset();
    return lines;
  };
  Open(parent);
  EXPECT_EQ(typeEmpty(Editor.ComboBox1, QString()), QStringList{"error: Entity Name cannot be empty."});
  EXPECT_EQ(typeEmpty(Editor.ComboBox1, QStringLiteral("  ")), QStringList{"error: Entity Name cannot be empty."});
  EXPECT_EQ(parent->EntityName(), QStringLiteral("Entity1_0"));
  EXPECT_EQ(S.Entities.IndexOf(QStringLiteral("Entity1_0")), 0);
  EXPECT_EQ(Editor.ComboBox1->currentText(), QStringLiteral("Entity1_0"));

  Editor.SetCurrentRelation(r);
  Editor.ShowPage(TObjectEditor::pgRelations);
  const QString relationName = r->RelationName();
  EXPECT_EQ(typeEmpty(Editor.ComboBox4, QString()), QStringList{"error: Relation Name cannot be empty."});
  EXPECT_EQ(r->RelationName(), relationName);
  EXPECT_EQ(Editor.ComboBox4->currentText(), relationName);

  Editor.ShowPage(TObjectEditor::pgDomains);
  QTest::mouseClick(Editor.NewDomainButton, Qt::LeftButton);
  EXPECT_EQ(typeEmpty(Editor.ComboBox2, QString()), QStringList{"error: Domain Name cannot be empty."});
  EXPECT_EQ(S.Domains[0]->Name, QStringLiteral("Domain1_0"));
  EXPECT_EQ(S.Domains.Strings(0), QStringLiteral("Domain1_0"));
}

TEST_F(ObjectEditorTest, DuplicateNameMessageShowsOnceWhenTheNameBoxIsLeftForTheDiagram)
{
  TEntity* a = StartTypingATakenName();
  // A message box takes the activation from the editor, which ends the edit
  // of the focused name box once more.
  Msgs.WhileShowing = [this] {
    if (Msgs.Messages.size() == 1)
      Editor.FormDeactivate();
  };
  // Clicking the diagram deactivates the window and then moves the focus.
  Editor.FormDeactivate();
  Editor.Memo1->setFocus();
  QApplication::processEvents();
  Msgs.WhileShowing = nullptr;
  EXPECT_EQ(Msgs.Lines(), QStringList{"error: Duplicate Entity Name \"Entity2_0\"."});
  EXPECT_EQ(a->EntityName(), QStringLiteral("Entity1_0"));
  EXPECT_EQ(Editor.ComboBox1->currentText(), QStringLiteral("Entity1_0"));
}

TEST_F(ObjectEditorTest, CommaMessageLeavesThePageTabsTheirRoom)
{
  Open(Place(10, 10, {QStringLiteral("Id")}));
  // Wide enough for the tabs, not for the tabs and the message side by side.
  Editor.resize(Editor.TabSet->sizeHint().width() + 60, 400);
  QApplication::processEvents();
  const int tabs = Editor.TabSet->width();
  ASSERT_GE(tabs, Editor.TabSet->sizeHint().width());
  End(Editor.Memo1);
  QTest::keyClick(Editor.Memo1, Qt::Key_Comma);
  ASSERT_EQ(Editor.StatusLine->text(), QStringLiteral("A name cannot contain a comma."));
  Editor.layout()->activate();
  QApplication::processEvents();
  EXPECT_EQ(Editor.TabSet->width(), tabs);
}

}  // namespace
}  // namespace veska
