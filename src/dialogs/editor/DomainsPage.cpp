#include "dialogs/editor/DomainsPage.h"

#include "dialogs/EditorWidgets.h"
#include "dialogs/ObjectEditor.h"
#include "model/EditRules.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veska {

namespace {
constexpr int kMaxRule = 254;
}  // namespace

TDomainsPage::TDomainsPage(TObjectEditor& window) : TEditorPage(window)
{
  setObjectName(QStringLiteral("domainsPage"));
  Build();
  Connect();
}

void TDomainsPage::Build()
{
  newDomainButton = Button("newDomainButton", QStringLiteral("&New"));
  deleteDomainButton = Button("deleteDomainButton", QStringLiteral("&Delete"));
  domainNameBox = MakeNameBox("domainNameBox");
  dataTypeEdit = Line("dataTypeEdit");
  validationRuleEdit = Line("validationRuleEdit");
  validationRuleEdit->setMaxLength(kMaxRule);
  domainDescriptionMemo = Memo("domainDescriptionMemo");

  auto* grid = new QGridLayout(this);
  grid->addLayout(PageBar(QStringLiteral("Do&main Name"), domainNameBox, {newDomainButton, deleteDomainButton}), 0,
                  0, 1, 2);
  grid->addWidget(BuddyLabel(QStringLiteral("Data &Type"), dataTypeEdit), 1, 0);
  grid->addWidget(dataTypeEdit, 1, 1);
  grid->addWidget(BuddyLabel(QStringLiteral("&Validation Rule"), validationRuleEdit), 2, 0, 1, 2);
  grid->addWidget(validationRuleEdit, 3, 0, 1, 2);
  grid->addWidget(BuddyLabel(QStringLiteral("Des&cription"), domainDescriptionMemo), 4, 0, 1, 2);
  grid->addWidget(domainDescriptionMemo, 5, 0, 1, 2);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(5, 1);
}

void TDomainsPage::Connect()
{
  connect(newDomainButton, &QPushButton::clicked, this, [this] {
    if (TDrawingSurface* s = Surface())
      Window.SetCurrentDomain(s->AddDomain(std::make_unique<TDomain>()));
  });
  connect(deleteDomainButton, &QPushButton::clicked, this, [this] {
    if (TDrawingSurface* s = Surface())
      DeleteCurrent(s->Domains, Window.CurrentDomain, &TDiagram::DeleteDomain);
  });
  OnEdit(dataTypeEdit, &QLineEdit::textChanged, [this] {
    if (Window.CurrentDomain)
      Window.CurrentDomain->SetDataType(dataTypeEdit->text());
  });
  OnEdit(validationRuleEdit, &QLineEdit::textChanged, [this] {
    if (Window.CurrentDomain)
      Window.CurrentDomain->Rule = validationRuleEdit->text();
  });
  OnEdit(domainDescriptionMemo, &QPlainTextEdit::textChanged, [this] {
    if (Window.CurrentDomain)
      Window.CurrentDomain->Description = domainDescriptionMemo->Lines();
  });
}

bool TDomainsPage::Fill()
{
  const TDrawingSurface* s = Surface();
  const TDomain* d = Window.CurrentDomain;
  const bool valid = s && d && s->Domains.IndexOfObject(d) >= 0;
  FillNameBox(s ? s->Domains.Texts() : QStringList(), valid ? &d->Name : nullptr);
  const QSignalBlocker b1(dataTypeEdit);
  const QSignalBlocker b2(validationRuleEdit);
  dataTypeEdit->setText(valid ? d->DataType : QString());
  validationRuleEdit->setText(valid ? d->Rule : QString());
  domainDescriptionMemo->SetLines(valid ? d->Description : QStringList());
  return valid;
}

void TDomainsPage::Pick(const QString& name)
{
  if (TDomain* d = Surface()->Domains.Find(name))
    Window.SetCurrentDomain(d);
}

void TDomainsPage::Rename(const QString& typed)
{
  RenameIn(Surface()->Domains, Window.CurrentDomain, DomainNameRefusal(typed), &TDiagram::RenameDomain, typed);
}

}  // namespace veska
