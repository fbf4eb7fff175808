#include "dialogs/editor/RelationsPage.h"

#include "dialogs/EditorWidgets.h"
#include "dialogs/ObjectEditor.h"
#include "model/EditRules.h"
#include "surface/Routing.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace veska {

namespace {

QGroupBox* RadioGroup(const char* name, const QString& caption, const QStringList& items, QButtonGroup*& group,
                      int columns)
{
  auto* box = new QGroupBox(caption);
  box->setObjectName(QLatin1String(name));
  group = new QButtonGroup(box);
  auto* grid = new QGridLayout(box);
  for (int i = 0; i < items.size(); ++i) {
    auto* radio = new QRadioButton(items[i]);
    group->addButton(radio, i);
    grid->addWidget(radio, i / columns, i % columns);
  }
  return box;
}

}  // namespace

TRelationsPage::TRelationsPage(TObjectEditor& window) : TEditorPage(window)
{
  setObjectName(QStringLiteral("relationsPage"));
  Build();
  Connect();
}

void TRelationsPage::Build()
{
  newRelationButton = Button("newRelationButton", QStringLiteral("&New"));
  newRelationButton->hide();
  deleteRelationButton = Button("deleteRelationButton", QStringLiteral("&Delete"));
  relationNameBox = MakeNameBox("relationNameBox");
  parentEntityEdit = Line("parentEntityEdit");
  childEntityEdit = Line("childEntityEdit");
  parentEntityEdit->setReadOnly(true);
  childEntityEdit->setReadOnly(true);
  cardinalityGroup =
      RadioGroup("cardinalityGroup", QStringLiteral("Relate Parent to"),
                 {QStringLiteral("Zero or One"), QStringLiteral("Zero or One or More")}, cardinalityButtons, 1);
  relateToGroup = RadioGroup("relateToGroup", QStringLiteral("Relate to Child's"),
                             {QStringLiteral("PrimaryKey"), QStringLiteral("Attributes")}, relateToButtons, 2);
  carriedAttributesMemo = Memo("carriedAttributesMemo", false);
  carriedAttributesMemo->setReadOnly(true);
  relationDescriptionMemo = Memo("relationDescriptionMemo");

  auto* grid = new QGridLayout(this);
  grid->addLayout(
      PageBar(QStringLiteral("&Relation Name"), relationNameBox, {newRelationButton, deleteRelationButton}), 0, 0,
      1, 2);
  grid->addWidget(BuddyLabel(QStringLiteral("&Parent Entity"), parentEntityEdit), 1, 0);
  grid->addWidget(BuddyLabel(QStringLiteral("C&hild Entity"), childEntityEdit), 1, 1);
  grid->addWidget(parentEntityEdit, 2, 0);
  grid->addWidget(childEntityEdit, 2, 1);
  grid->addWidget(cardinalityGroup, 3, 0);
  grid->addWidget(relateToGroup, 3, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("&Attributes"), carriedAttributesMemo), 4, 0);
  grid->addWidget(BuddyLabel(QStringLiteral("Des&cription"), relationDescriptionMemo), 4, 1);
  grid->addWidget(carriedAttributesMemo, 5, 0);
  grid->addWidget(relationDescriptionMemo, 5, 1);
  grid->setRowStretch(5, 1);
}

void TRelationsPage::Connect()
{
  connect(deleteRelationButton, &QPushButton::clicked, this, [this] {
    if (TDrawingSurface* s = Surface())
      DeleteCurrent(s->Relations, Window.CurrentRelation, &TDiagram::DeleteRelation);
  });
  connect(cardinalityButtons, &QButtonGroup::idClicked, this,
          [this](int id) { CommitEdit([this, id] { SetCardinality(id); }); });
  connect(relateToButtons, &QButtonGroup::idClicked, this,
          [this](int id) { CommitEdit([this, id] { SetRelateTo(id); }); });
  OnEdit(relationDescriptionMemo, &QPlainTextEdit::textChanged, [this] {
    if (Window.CurrentRelation)
      Window.CurrentRelation->Description = relationDescriptionMemo->Lines();
  });
}

void TRelationsPage::SetCardinality(int choice)
{
  TRelation* r = Window.CurrentRelation;
  if (!r)
    return;
  r->Cardinality = choice == 0 ? 1 : 3;
  // The child's end symbol follows at once; the route stays as it is.
  TRelationSegment& last = r->Segments[2];
  last.EndSymbol = ChildEndSymbol(r->Cardinality, r->RouteShape, last.EndSymbol);
  last.Repaint();
}

void TRelationsPage::SetRelateTo(int choice)
{
  TRelation* r = Window.CurrentRelation;
  if (!r || !Surface())
    return;
  const QString refusal = PrimaryRelationRefusal(*Surface(), *r, choice == 0);
  if (refusal.isEmpty())
    r->SetPrimaryRelation(choice == 0);
  else
    ShowLater(refusal);
  ShowChoices();
}

bool TRelationsPage::Fill()
{
  const TDrawingSurface* s = Surface();
  TRelation* r = Window.CurrentRelation;
  const bool valid = s && r && s->Relations.IndexOfObject(r) >= 0;
  FillNameBox(s ? s->Relations.Texts() : QStringList(), valid ? &r->RelationName() : nullptr);
  if (!valid) {
    ClearFields();
    return false;
  }
  parentEntityEdit->setText(r->Parent->EntityName());
  childEntityEdit->setText(r->Child->EntityName());
  ShowChoices();
  QStringList lines;
  for (int i = 0; i < r->Parent->PrimaryKey.Count(); ++i) {
    const QString& name = r->Parent->PrimaryKey.Objects(i)->Name;
    if (const TAttribute* copy = r->MigratedAttributes.Find(name))
      lines << name + QStringLiteral("->") + copy->Name;
  }
  carriedAttributesMemo->SetLines(lines);
  relationDescriptionMemo->SetLines(r->Description);
  return true;
}

void TRelationsPage::ClearFields()
{
  parentEntityEdit->clear();
  childEntityEdit->clear();
  for (QButtonGroup* group : {cardinalityButtons, relateToButtons}) {
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
      b->setChecked(false);
    group->setExclusive(true);
  }
  carriedAttributesMemo->SetText({});
  relationDescriptionMemo->SetText({});
}

void TRelationsPage::ShowChoices()
{
  const TRelation& r = *Window.CurrentRelation;
  cardinalityButtons->button(r.Cardinality <= 1 ? 0 : 1)->setChecked(true);
  relateToButtons->button(r.PrimaryRelation() ? 0 : 1)->setChecked(true);
}

void TRelationsPage::Pick(const QString& name)
{
  if (TRelation* r = Surface()->Relations.Find(name))
    Window.SetCurrentRelation(r);
}

void TRelationsPage::Rename(const QString& typed)
{
  TDrawingSurface& s = *Surface();
  if (TRelation* r = Window.CurrentRelation)
    RenameIn(s.Relations, r, RelationNameRefusal(s, *r, typed), &TDiagram::RenameRelation, typed);
}

}  // namespace veska
