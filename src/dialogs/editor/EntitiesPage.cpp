#include "dialogs/editor/EntitiesPage.h"

#include "dialogs/EditorWidgets.h"
#include "dialogs/ObjectEditor.h"
#include "model/EditRules.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>

#include <algorithm>

namespace veska {

namespace {

TAttribute* FindAttribute(const TEntity& e, const QString& name)
{
  if (TAttribute* a = e.PrimaryKey.Find(name))
    return a;
  return e.Attributes.Find(name);
}

// Puts the caret of a memo whose lines were set anew: on `line`, at its end
// when `atEnd`.
void PlaceCaret(TMemo* memo, int line, bool atEnd)
{
  QTextCursor cursor = memo->textCursor();
  cursor.movePosition(QTextCursor::Start);
  cursor.movePosition(QTextCursor::NextBlock, QTextCursor::MoveAnchor, line);
  if (atEnd)
    cursor.movePosition(QTextCursor::EndOfBlock);
  memo->setTextCursor(cursor);
}

}  // namespace

TEntitiesPage::TEntitiesPage(TObjectEditor& window) : TEditorPage(window)
{
  setObjectName(QStringLiteral("entitiesPage"));
  Build();
  Connect();
}

void TEntitiesPage::Build()
{
  newEntityButton = Button("newEntityButton", QStringLiteral("&New"));
  deleteEntityButton = Button("deleteEntityButton", QStringLiteral("&Delete"));
  entityNameBox = MakeNameBox("entityNameBox");
  keyAttributesMemo = Memo("keyAttributesMemo", false);
  nonKeyAttributesMemo = Memo("nonKeyAttributesMemo", false);
  for (TMemo* m : {keyAttributesMemo, nonKeyAttributesMemo}) {
    m->RefuseCommas = true;
    m->OnRefused = [this] { NameRefused(); };
  }
  tableNameEdit = Line("tableNameEdit");
  entityDescriptionMemo = Memo("entityDescriptionMemo");
  describedAttributeBox = new QComboBox;
  describedAttributeBox->setObjectName(QStringLiteral("describedAttributeBox"));
  describedAttributeBox->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  attributeDescriptionMemo = Memo("attributeDescriptionMemo");

  auto* grid = new QGridLayout(this);
  grid->addLayout(PageBar(QStringLiteral("&Entity Name"), entityNameBox, {newEntityButton, deleteEntityButton}), 0,
                  0, 1, 2);
  grid->addWidget(BuddyLabel(QStringLiteral("&Key Attributes"), keyAttributesMemo), 1, 0);
  grid->addWidget(BuddyLabel(QStringLiteral("N&on-key Attributes"), nonKeyAttributesMemo), 1, 1);
  grid->addWidget(keyAttributesMemo, 2, 0);
  grid->addWidget(nonKeyAttributesMemo, 2, 1);
  auto* tableBar = new QHBoxLayout;
  tableBar->addWidget(BuddyLabel(QStringLiteral("&Table Name"), tableNameEdit));
  tableBar->addWidget(tableNameEdit, 1);
  grid->addLayout(tableBar, 3, 0, 1, 2);
  grid->addWidget(BuddyLabel(QStringLiteral("Des&cription"), entityDescriptionMemo), 4, 0);
  auto* attrBar = new QHBoxLayout;
  attrBar->addWidget(BuddyLabel(QStringLiteral("Description of &Attribute"), describedAttributeBox));
  attrBar->addWidget(describedAttributeBox, 1);
  grid->addLayout(attrBar, 4, 1);
  grid->addWidget(entityDescriptionMemo, 5, 0);
  grid->addWidget(attributeDescriptionMemo, 5, 1);
  grid->setRowStretch(2, 2);
  grid->setRowStretch(5, 1);
  TabChain({entityNameBox, newEntityButton, deleteEntityButton, keyAttributesMemo, nonKeyAttributesMemo,
            tableNameEdit, entityDescriptionMemo, describedAttributeBox, attributeDescriptionMemo});
}

void TEntitiesPage::Connect()
{
  connect(newEntityButton, &QPushButton::clicked, this, &TEntitiesPage::NewEntity);
  connect(deleteEntityButton, &QPushButton::clicked, this, [this] {
    if (TDrawingSurface* s = Surface())
      DeleteCurrent(s->Entities, Window.CurrentEntity, &TDiagram::DeleteEntity);
  });
  connect(keyAttributesMemo, &QPlainTextEdit::textChanged, this,
          [this] { CommitAttributeLines(keyAttributesMemo, true); });
  connect(nonKeyAttributesMemo, &QPlainTextEdit::textChanged, this,
          [this] { CommitAttributeLines(nonKeyAttributesMemo, false); });
  OnEdit(tableNameEdit, &QLineEdit::textChanged, [this] {
    if (Window.CurrentEntity)
      Window.CurrentEntity->SetTableName(tableNameEdit->text());
  });
  OnEdit(entityDescriptionMemo, &QPlainTextEdit::textChanged, [this] {
    if (Window.CurrentEntity)
      Window.CurrentEntity->Description = entityDescriptionMemo->Lines();
  });
  connect(describedAttributeBox, &QComboBox::currentIndexChanged, this, [this] {
    if (EntityValid())
      ShowPickedAttributeDescription();
  });
  OnEdit(attributeDescriptionMemo, &QPlainTextEdit::textChanged, [this] {
    if (!Window.CurrentEntity || describedAttributeBox->currentIndex() < 0)
      return;
    if (TAttribute* a = FindAttribute(*Window.CurrentEntity, describedAttributeBox->currentText()))
      a->SetDescription(attributeDescriptionMemo->Lines());
  });
}

bool TEntitiesPage::Fill()
{
  const bool valid = EntityValid();
  FillNameBox(Surface() ? Surface()->Entities.Texts() : QStringList(),
              valid ? &Window.CurrentEntity->EntityName() : nullptr);
  if (!valid) {
    ClearFields();
    return false;
  }
  const TEntity& e = *Window.CurrentEntity;
  keyAttributesMemo->SetLines(e.PrimaryKey.Texts());
  nonKeyAttributesMemo->SetLines(e.Attributes.Texts());
  {
    const QSignalBlocker block(tableNameEdit);
    tableNameEdit->setText(e.TableName());
  }
  entityDescriptionMemo->SetLines(e.Description);
  FillAttributePicker(0);
  return true;
}

void TEntitiesPage::ClearFields()
{
  keyAttributesMemo->SetText({});
  nonKeyAttributesMemo->SetText({});
  {
    const QSignalBlocker block(tableNameEdit);
    tableNameEdit->clear();
  }
  entityDescriptionMemo->SetText({});
  describedAttributeBox->clear();
  attributeDescriptionMemo->SetText({});
}

void TEntitiesPage::Pick(const QString& name)
{
  if (TEntity* e = Surface()->Entities.Find(name))
    Window.SetCurrentEntity(e);
}

void TEntitiesPage::Rename(const QString& typed)
{
  TDrawingSurface& s = *Surface();
  TEntity* e = Window.CurrentEntity;
  if (!e || !RenameIn(s.Entities, e, EntityNameRefusal(s, *e, typed), &TDiagram::RenameEntity, typed))
    return;
  e->Repaint();
  // The table name follows; this commit keeps its own field from writing.
  tableNameEdit->setText(e->TableName());
}

void TEntitiesPage::NewEntity()
{
  TDrawingSurface* s = Surface();
  if (!s)
    return;
  auto entity = std::make_unique<TEntity>();
  const int at = 20 * s->Entities.Count();
  entity->SetPosition(at, at);
  TEntity* e = s->AddEntity(std::move(entity));
  e->Repaint();
  Window.SetCurrentEntity(e);
}

void TEntitiesPage::CommitAttributeLines(TMemo* memo, bool key)
{
  CommitEdit([this, memo, key] {
    if (!Window.CurrentEntity)
      return;
    const TAttributeLinesResult result = ApplyAttributeLines(*Window.CurrentEntity, key, memo->Lines());
    if (result.Refused || result.DroppedLine >= 0) {
      // The memo and the entity stay line for line in step: a dropped line
      // leaves the caret where it was, a line put back for a carried-in
      // attribute leaves it at the end of the caret's line.
      const int line = result.Refused ? memo->textCursor().blockNumber() : result.DroppedLine;
      memo->SetLines(result.Lines);
      PlaceCaret(memo, line, result.Refused);
    } else if (result.Replaced) {
      // The same lines with the characters a name cannot hold replaced: the
      // caret stays where it was.
      const int position = memo->textCursor().position();
      memo->SetLines(result.Lines);
      QTextCursor cursor = memo->textCursor();
      cursor.setPosition(std::min(position, memo->document()->characterCount() - 1));
      memo->setTextCursor(cursor);
    }
    Window.CurrentEntity->Repaint();
    FillAttributePicker(describedAttributeBox->currentIndex());
  });
}

void TEntitiesPage::FillAttributePicker(int position)
{
  const TEntity& e = *Window.CurrentEntity;
  {
    const QSignalBlocker block(describedAttributeBox);
    describedAttributeBox->clear();
    describedAttributeBox->addItems(e.PrimaryKey.Texts() + e.Attributes.Texts());
    const int count = describedAttributeBox->count();
    describedAttributeBox->setCurrentIndex(position >= 0 && position < count ? position : count > 0 ? 0 : -1);
  }
  ShowPickedAttributeDescription();
}

void TEntitiesPage::ShowPickedAttributeDescription()
{
  const TAttribute* a =
      Window.CurrentEntity ? FindAttribute(*Window.CurrentEntity, describedAttributeBox->currentText()) : nullptr;
  attributeDescriptionMemo->SetLines(a ? a->Description() : QStringList());
}

}  // namespace veska
