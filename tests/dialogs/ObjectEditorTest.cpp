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
    Editor.Entities()->entityNameBox->setFocus();
    Editor.Entities()->entityNameBox->lineEdit()->selectAll();
    QTest::keyClicks(Editor.Entities()->entityNameBox, QStringLiteral("Entity2_0"));
    return a;
  }

  void ClickTab(int page)
  {
    QTest::mouseClick(Editor.tabStrip, Qt::LeftButton, {}, Editor.tabStrip->tabRect(page).center());
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
  for (int i = 0; i < Editor.tabStrip->count(); ++i)
    if (Editor.tabStrip->isTabVisible(i))
      tabs << Editor.tabStrip->tabText(i);
  EXPECT_EQ(tabs, (QStringList{"Entities", "Relations", "Tables", "Domains", "Text", "Forms", "Indexes"}));
  EXPECT_EQ(Editor.minimumSize(), QSize(380, 300));
  EXPECT_TRUE(Editor.Relations()->newRelationButton->isHidden());
  EXPECT_EQ(Editor.Processes()->serverCombo->count(), 2);

  Editor.show();
  ClickTab(TObjectEditor::pgTables);
  EXPECT_EQ(Editor.ActivePage(), TObjectEditor::pgTables);
  // The settings' data types, with "Default" added, are the types offered.
  const TCellPicker* types = Editor.Tables()->columnTypePicker;
  QStringList offered;
  for (int i = 0; i < types->count(); ++i)
    offered << types->itemText(i);
  EXPECT_EQ(offered, (QStringList{"Char", "Integer", "Default"}));
  ClickTab(TObjectEditor::pgIndexes);
  EXPECT_EQ(Editor.ActivePage(), TObjectEditor::pgIndexes);
  Editor.StepTab(1);
  EXPECT_EQ(Editor.ActivePage(), TObjectEditor::pgEntities);
  Editor.StepTab(-1);
  EXPECT_EQ(Editor.ActivePage(), TObjectEditor::pgIndexes);
  Editor.ShowPage(TObjectEditor::pgProcesses);
  EXPECT_EQ(Editor.ActivePage(), TObjectEditor::pgProcesses);
  EXPECT_FALSE(Editor.tabStrip->isTabVisible(Editor.tabStrip->currentIndex()));
  Editor.StepTab(1);
  EXPECT_EQ(Editor.ActivePage(), TObjectEditor::pgForms);
}

TEST_F(ObjectEditorTest, KeyMemoAddsRenamesAndDeletesAttributesLineByLine)
{
  TEntitiesPage& entities = *Editor.Entities();
  TEntity* parent = Place(10, 10, {QStringLiteral("Id")});
  TEntity* child = Place(300, 10, {QStringLiteral("Line")});
  Draw(dtRelationOneToManyMaster, parent, child);
  Open(parent);
  EXPECT_EQ(entities.keyAttributesMemo->toPlainText(), QStringLiteral("Id"));

  // A new line typed at the end becomes a key attribute, carried into the
  // child.
  End(entities.keyAttributesMemo);
  QTest::keyClick(entities.keyAttributesMemo, Qt::Key_Return);
  EXPECT_EQ(Names(parent->PrimaryKey), QStringList{"Id"});
  QTest::keyClicks(entities.keyAttributesMemo, QStringLiteral("Order Date"));
  EXPECT_EQ(Names(parent->PrimaryKey), (QStringList{"Id", "Order Date"}));
  EXPECT_EQ(parent->PrimaryKey[1]->ColumnName(), QStringLiteral("Order_Date"));
  EXPECT_EQ(Names(child->PrimaryKey), (QStringList{"Line", "Id", "Order Date"}));
  EXPECT_EQ(entities.describedAttributeBox->count(), 2);

  // Letter case alone is not applied; a real change renames in place.
  entities.keyAttributesMemo->setPlainText(QStringLiteral("ID\nOrder Date"));
  EXPECT_EQ(parent->PrimaryKey[0]->Name, QStringLiteral("Id"));
  entities.keyAttributesMemo->setPlainText(QStringLiteral("Code\nOrder Date"));
  EXPECT_EQ(Names(parent->PrimaryKey), (QStringList{"Code", "Order Date"}));
  EXPECT_EQ(Names(child->PrimaryKey), (QStringList{"Line", "Code", "Order Date"}));

  // Removing a line deletes its attribute, here and in the child.
  entities.keyAttributesMemo->setPlainText(QStringLiteral("Code"));
  EXPECT_EQ(Names(parent->PrimaryKey), QStringList{"Code"});
  EXPECT_EQ(Names(child->PrimaryKey), (QStringList{"Line", "Code"}));

  // A comma is refused, typed or pasted, and the status line says why.
  End(entities.keyAttributesMemo);
  QTest::keyClicks(entities.keyAttributesMemo, QStringLiteral(",x"));
  EXPECT_EQ(Names(parent->PrimaryKey), QStringList{"Codex"});
  EXPECT_EQ(Editor.statusLine->text(), QStringLiteral("A name cannot contain a comma."));
}

TEST_F(ObjectEditorTest, NonKeyMemoEmptiedLineAndCarriedInLines)
{
  TEntitiesPage& entities = *Editor.Entities();
  TEntity* parent = Place(10, 10, {QStringLiteral("Id")});
  TEntity* e = Place(300, 10, {QStringLiteral("No")}, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
  Draw(dtRelationOneToManyForeign, parent, e);
  Open(e);
  EXPECT_EQ(entities.nonKeyAttributesMemo->toPlainText(), QStringLiteral("A\nB\nC\nId"));

  // An emptied line (same number of lines) goes from the memo and the entity.
  entities.nonKeyAttributesMemo->setPlainText(QStringLiteral("A\n\nC\nId"));
  EXPECT_EQ(Names(e->Attributes), (QStringList{"A", "C", "Id"}));
  EXPECT_EQ(entities.nonKeyAttributesMemo->toPlainText(), QStringLiteral("A\nC\nId"));

  // The line of a carried-in attribute comes back: the attribute stays.
  entities.nonKeyAttributesMemo->setPlainText(QStringLiteral("A\nC"));
  EXPECT_EQ(Names(e->Attributes), (QStringList{"A", "C", "Id"}));
  EXPECT_EQ(entities.nonKeyAttributesMemo->toPlainText(), QStringLiteral("A\nC\nId"));
  // ... so a later edit of another line is still a rename, not a deletion.
  entities.nonKeyAttributesMemo->setPlainText(QStringLiteral("A2\nC\nId"));
  EXPECT_EQ(Names(e->Attributes), (QStringList{"A2", "C", "Id"}));

  // An inserted line lands at its place among the non-empty lines.
  entities.nonKeyAttributesMemo->setPlainText(QStringLiteral("A2\nNew\nC\nId"));
  EXPECT_EQ(Names(e->Attributes), (QStringList{"A2", "New", "C", "Id"}));

  // Attribute descriptions follow the picker.
  entities.describedAttributeBox->setCurrentIndex(entities.describedAttributeBox->findText(QStringLiteral("C")));
  entities.attributeDescriptionMemo->setPlainText(QStringLiteral("first\nsecond"));
  EXPECT_EQ(e->Attributes[2]->Description(), (QStringList{"first", "second"}));
  entities.describedAttributeBox->setCurrentIndex(0);
  EXPECT_TRUE(entities.attributeDescriptionMemo->toPlainText().isEmpty());
}

TEST_F(ObjectEditorTest, NameBoxesPickRenameAndRefuse)
{
  TEntitiesPage& entities = *Editor.Entities();
  TEntity* a = Place(10, 10);
  TEntity* b = Place(200, 10);
  S.RenameEntity(0, QStringLiteral("Customer"));
  S.RenameEntity(1, QStringLiteral("Order"));
  Open(a);
  EXPECT_EQ(entities.entityNameBox->count(), 2);
  EXPECT_EQ(entities.entityNameBox->currentText(), QStringLiteral("Customer"));

  // Picking a name from the list makes that entity current.
  const int order = entities.entityNameBox->findText(QStringLiteral("Order"));
  entities.entityNameBox->setCurrentIndex(order);
  emit entities.entityNameBox->activated(order);
  EXPECT_EQ(Editor.CurrentEntity, b);

  // Typing a name and leaving renames; the table name follows.
  TypeName(entities.entityNameBox, QStringLiteral("Sales Order"));
  EXPECT_EQ(b->EntityName(), QStringLiteral("Sales Order"));
  EXPECT_EQ(entities.tableNameEdit->text(), QStringLiteral("Sales_Order"));
  EXPECT_EQ(S.Entities.IndexOf(QStringLiteral("Sales Order")), 1);

  // A taken name is refused by the model; the box shows the real name.
  TypeName(entities.entityNameBox, QStringLiteral("customer"));
  EXPECT_EQ(b->EntityName(), QStringLiteral("Sales Order"));
  QApplication::processEvents();  // the message follows the key handler
  EXPECT_EQ(Msgs.Lines(), QStringList{"error: Duplicate Entity Name \"customer\"."});
  EXPECT_EQ(entities.entityNameBox->currentText(), QStringLiteral("Sales Order"));

  // Commas never reach a name.
  TypeName(entities.entityNameBox, QStringLiteral("Sales,Order"));
  EXPECT_EQ(b->EntityName(), QStringLiteral("SalesOrder"));

  // When the window loses activation, a name being typed is taken.
  QLineEdit* line = entities.entityNameBox->lineEdit();
  line->setFocus();
  line->selectAll();
  QTest::keyClicks(entities.entityNameBox, QStringLiteral("Purchase"));
  Editor.FormDeactivate();
  EXPECT_EQ(b->EntityName(), QStringLiteral("Purchase"));

  // With no entity current, typing and leaving changes nothing.
  Editor.SetCurrentEntity(nullptr);
  TypeName(entities.entityNameBox, QStringLiteral("Other"));
  EXPECT_EQ(a->EntityName(), QStringLiteral("Customer"));
  EXPECT_EQ(b->EntityName(), QStringLiteral("Purchase"));
}

TEST_F(ObjectEditorTest, MovingTheFocusOutOfANameBoxRenames)
{
  TEntitiesPage& entities = *Editor.Entities();
  TEntity* a = StartTypingATakenName();
  entities.tableNameEdit->setFocus();
  QApplication::processEvents();  // the message follows the focus handler
  EXPECT_EQ(Msgs.Lines(), QStringList{"error: Duplicate Entity Name \"Entity2_0\"."});
  EXPECT_EQ(Editor.CurrentEntity, a);
  EXPECT_EQ(entities.entityNameBox->currentText(), QStringLiteral("Entity1_0"));

  entities.entityNameBox->setFocus();
  entities.entityNameBox->lineEdit()->selectAll();
  QTest::keyClicks(entities.entityNameBox, QStringLiteral("Client"));
  entities.keyAttributesMemo->setFocus();
  EXPECT_EQ(a->EntityName(), QStringLiteral("Client"));
}

TEST_F(ObjectEditorTest, NewAndDeleteOnTheSimplePages)
{
  TEntitiesPage& entities = *Editor.Entities();
  TDomainsPage& domains = *Editor.Domains();
  TTextPage& textPage = *Editor.Text();
  TProcessesPage& processes = *Editor.Processes();
  Place(10, 10);
  Place(100, 10);
  Place(200, 10);
  Editor.ShowPage(TObjectEditor::pgEntities);
  Editor.show();
  QTest::mouseClick(entities.newEntityButton, Qt::LeftButton);
  ASSERT_EQ(S.Entities.Count(), 4);
  EXPECT_EQ(Editor.CurrentEntity, S.Entities[3]);
  EXPECT_EQ(S.Entities[3]->BoundsRect().topLeft(), QPoint(60, 60));
  QTest::mouseClick(entities.deleteEntityButton, Qt::LeftButton);
  EXPECT_EQ(S.Entities.Count(), 3);
  EXPECT_EQ(Editor.CurrentEntity, nullptr);
  EXPECT_TRUE(entities.entityNameBox->currentText().isEmpty());

  // Domains: empty fields change nothing until a domain is current.
  Editor.ShowPage(TObjectEditor::pgDomains);
  QTest::keyClicks(domains.dataTypeEdit, QStringLiteral("Money"));
  EXPECT_TRUE(S.Domains.IsEmpty());
  QTest::mouseClick(domains.newDomainButton, Qt::LeftButton);
  ASSERT_EQ(S.Domains.Count(), 1);
  EXPECT_EQ(domains.dataTypeEdit->text(), QStringLiteral("Default"));
  domains.dataTypeEdit->setText(QStringLiteral("Money"));
  domains.validationRuleEdit->setText(QStringLiteral("Value > 0"));
  EXPECT_EQ(S.Domains[0]->DataType, QStringLiteral("Money"));
  EXPECT_EQ(S.Domains[0]->Rule, QStringLiteral("Value > 0"));
  EXPECT_EQ(domains.validationRuleEdit->maxLength(), 254);

  // Text: the caption is the memo's whole text with CR LF line breaks.
  Editor.ShowPage(TObjectEditor::pgText);
  QTest::mouseClick(textPage.newTextButton, Qt::LeftButton);
  ASSERT_EQ(S.Labels.Count(), 1);
  QTest::keyClicks(textPage.textContentMemo, QStringLiteral("one"));
  QTest::keyClick(textPage.textContentMemo, Qt::Key_Return);
  QTest::keyClicks(textPage.textContentMemo, QStringLiteral("two"));
  EXPECT_EQ(S.Labels[0]->Caption(), QStringLiteral("one\r\ntwo"));
  QTest::keyClicks(textPage.textContentMemo, QString(300, QLatin1Char('x')));
  EXPECT_EQ(S.Labels[0]->Caption().size(), 250);
  TypeName(textPage.textNameBox, QStringLiteral("Note"));
  EXPECT_EQ(S.Labels.Strings(0), QStringLiteral("Note"));
  EXPECT_EQ(textPage.textNameBox->currentText(), QStringLiteral("Note"));

  // Processes: the server list comes from the settings.
  Editor.ShowPage(TObjectEditor::pgProcesses);
  QTest::mouseClick(processes.newProcessButton, Qt::LeftButton);
  ASSERT_EQ(S.ServerProcs.Count(), 1);
  EXPECT_EQ(processes.serverCombo->currentIndex(), -1);
  processes.serverCombo->setCurrentIndex(1);
  emit processes.serverCombo->activated(1);
  EXPECT_EQ(S.ServerProcs[0]->Server, QStringLiteral("Dbase"));
  processes.processContentMemo->setPlainText(QStringLiteral("begin\nend"));
  EXPECT_EQ(S.ServerProcs[0]->Text, (QStringList{"begin", "end"}));
  QTest::mouseClick(processes.deleteProcessButton, Qt::LeftButton);
  EXPECT_TRUE(S.ServerProcs.IsEmpty());
}

TEST_F(ObjectEditorTest, RelationPageSetsCardinalityAndMovesCarriedAttributes)
{
  TRelationsPage& relations = *Editor.Relations();
  TEntity* parent = Place(10, 10, {QStringLiteral("Id")});
  TEntity* child = Place(300, 10, {QStringLiteral("No")});
  TRelation* r = Draw(dtRelationOneToManyForeign, parent, child);
  r->Cardinality = 2;
  Editor.SetCurrentRelation(r);
  Editor.ShowPage(TObjectEditor::pgRelations);
  Editor.show();
  EXPECT_EQ(relations.parentEntityEdit->text(), parent->EntityName());
  EXPECT_EQ(relations.childEntityEdit->text(), child->EntityName());
  EXPECT_EQ(relations.carriedAttributesMemo->toPlainText(), QStringLiteral("Id->Id"));
  EXPECT_TRUE(relations.cardinalityButtons->button(1)->isChecked());
  EXPECT_TRUE(relations.relateToButtons->button(1)->isChecked());

  ClickRadio(relations.cardinalityButtons->button(1));
  EXPECT_EQ(r->Cardinality, 3);
  ClickRadio(relations.cardinalityButtons->button(0));
  EXPECT_EQ(r->Cardinality, 1);

  ClickRadio(relations.relateToButtons->button(0));
  EXPECT_TRUE(r->PrimaryRelation());
  EXPECT_EQ(Names(child->PrimaryKey), (QStringList{"No", "Id"}));
  EXPECT_TRUE(child->Attributes.IsEmpty());

  // A refused primary relation leaves "Attributes" chosen.
  TRelation* back = Draw(dtRelationOneToManyForeign, child, parent);
  Editor.SetCurrentRelation(back);
  ClickRadio(relations.relateToButtons->button(0));
  EXPECT_FALSE(back->PrimaryRelation());
  EXPECT_TRUE(relations.relateToButtons->button(1)->isChecked());
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
  TMemo* nonKey = Editor.Entities()->nonKeyAttributesMemo;
  EXPECT_EQ(nonKey->toPlainText(), QStringLiteral("Id"));

  // Deleting the parent on the diagram takes the relation and the carried
  // attribute; the page takes no edits until it is shown anew, then edits
  // the entity that stayed.
  S.DeleteEntity(S.Entities.IndexOfObject(parent));
  EXPECT_EQ(Editor.CurrentRelation, nullptr);
  EXPECT_EQ(Editor.CurrentEntity, child);
  nonKey->setPlainText(QStringLiteral("Stale"));
  EXPECT_TRUE(child->Attributes.IsEmpty());
  QApplication::processEvents();
  EXPECT_TRUE(nonKey->toPlainText().isEmpty());
  nonKey->setPlainText(QStringLiteral("Note"));
  EXPECT_EQ(Names(child->Attributes), QStringList{"Note"});

  Editor.ShowPage(TObjectEditor::pgTables);
  S.Clear();
  EXPECT_EQ(Editor.CurrentEntity, nullptr);
  QApplication::processEvents();
  EXPECT_TRUE(Editor.Tables()->tableNameBox->currentText().isEmpty());
  EXPECT_EQ(Editor.Tables()->tableGrid->rowCount(), 1);
  Editor.ShowPage(TObjectEditor::pgRelations);
  EXPECT_TRUE(Editor.Relations()->parentEntityEdit->text().isEmpty());
}

TEST_F(ObjectEditorTest, EmptyNamesAreRefusedWithAMessageAndKeepTheOldName)
{
  TEntitiesPage& entities = *Editor.Entities();
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
  EXPECT_EQ(typeEmpty(entities.entityNameBox, QString()), QStringList{"error: Entity Name cannot be empty."});
  EXPECT_EQ(typeEmpty(entities.entityNameBox, QStringLiteral("  ")),
            QStringList{"error: Entity Name cannot be empty."});
  EXPECT_EQ(parent->EntityName(), QStringLiteral("Entity1_0"));
  EXPECT_EQ(S.Entities.IndexOf(QStringLiteral("Entity1_0")), 0);
  EXPECT_EQ(entities.entityNameBox->currentText(), QStringLiteral("Entity1_0"));

  Editor.SetCurrentRelation(r);
  Editor.ShowPage(TObjectEditor::pgRelations);
  const QString relationName = r->RelationName();
  EXPECT_EQ(typeEmpty(Editor.Relations()->relationNameBox, QString()),
            QStringList{"error: Relation Name cannot be empty."});
  EXPECT_EQ(r->RelationName(), relationName);
  EXPECT_EQ(Editor.Relations()->relationNameBox->currentText(), relationName);

  Editor.ShowPage(TObjectEditor::pgDomains);
  QTest::mouseClick(Editor.Domains()->newDomainButton, Qt::LeftButton);
  EXPECT_EQ(typeEmpty(Editor.Domains()->domainNameBox, QString()), QStringList{"error: Domain Name cannot be empty."});
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
  Editor.Entities()->keyAttributesMemo->setFocus();
  QApplication::processEvents();
  Msgs.WhileShowing = nullptr;
  EXPECT_EQ(Msgs.Lines(), QStringList{"error: Duplicate Entity Name \"Entity2_0\"."});
  EXPECT_EQ(a->EntityName(), QStringLiteral("Entity1_0"));
  EXPECT_EQ(Editor.Entities()->entityNameBox->currentText(), QStringLiteral("Entity1_0"));
}

TEST_F(ObjectEditorTest, CommaMessageLeavesThePageTabsTheirRoom)
{
  Open(Place(10, 10, {QStringLiteral("Id")}));
  // Wide enough for the tabs, not for the tabs and the message side by side.
  Editor.resize(Editor.tabStrip->sizeHint().width() + 60, 400);
  QApplication::processEvents();
  const int tabs = Editor.tabStrip->width();
  ASSERT_GE(tabs, Editor.tabStrip->sizeHint().width());
  End(Editor.Entities()->keyAttributesMemo);
  QTest::keyClick(Editor.Entities()->keyAttributesMemo, Qt::Key_Comma);
  ASSERT_EQ(Editor.statusLine->text(), QStringLiteral("A name cannot contain a comma."));
  Editor.layout()->activate();
  QApplication::processEvents();
  EXPECT_EQ(Editor.tabStrip->width(), tabs);
}

}  // namespace
}  // namespace veska
