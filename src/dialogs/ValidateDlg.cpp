#include "dialogs/ValidateDlg.h"

#include "dialogs/DialogButtons.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace veska {

TValidateDlg::TValidateDlg(QStringList dataTypes, QWidget* parent)
  : QDialog(parent), DataTypeList(std::move(dataTypes))
{
  setWindowTitle(QStringLiteral("Veska - Consistency Report"));

  auto* content = new QGroupBox(QStringLiteral("Content"), this);
  content->setObjectName(QStringLiteral("ContentGroup"));
  DomainCheckBox = MakeCheckBox(content, "DomainCheckBox", QStringLiteral("&Domains"), true);
  DomainNameCheckBox = MakeCheckBox(content, "DomainNameCheckBox", QStringLiteral("Names"), true);
  DomainTypeCheckBox = MakeCheckBox(content, "DomainTypeCheckBox", QStringLiteral("Types"), true);
  DomainRuleCheckBox = MakeCheckBox(content, "DomainRuleCheckBox", QStringLiteral("Rules"), true);
  EntityCheckBox = MakeCheckBox(content, "EntityCheckBox", QStringLiteral("&Entities"), true);
  EntityNameCheckBox = MakeCheckBox(content, "EntityNameCheckBox", QStringLiteral("Names"), true);
  EntityTypeCheckBox = MakeCheckBox(content, "EntityTypeCheckBox", QStringLiteral("Types"), true);
  EntityRuleCheckBox = MakeCheckBox(content, "EntityRuleCheckBox", QStringLiteral("Rules"), true);
  EntityKeyCheckBox = MakeCheckBox(content, "EntityKeyCheckBox", QStringLiteral("Keys"), true);

  const QList<QCheckBox*> domains = {DomainCheckBox, DomainNameCheckBox, DomainTypeCheckBox, DomainRuleCheckBox};
  const QList<QCheckBox*> entities = {EntityCheckBox, EntityNameCheckBox, EntityTypeCheckBox, EntityRuleCheckBox,
                                      EntityKeyCheckBox};
  auto* row = new QHBoxLayout(content);
  row->addLayout(CheckBoxColumn(domains, true));
  row->addLayout(CheckBoxColumn(entities, true));

  const TDialogButtons buttons = MakeDialogButtons(this, QStringLiteral("consistency.html"));
  OKBtn = buttons.OK;
  CancelBtn = buttons.Cancel;
  HelpBtn = buttons.Help;

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(content);
  layout->addWidget(buttons.Box);

  QList<QWidget*> order;
  for (QCheckBox* box : domains + entities)
    order << box;
  ChainTabOrder(order << OKBtn << CancelBtn);

  connect(DomainCheckBox, &QCheckBox::toggled, this, [this] { DomainCheckBoxClick(); });
  // The domains' "Types" box shares the handler, which reads "Domains" only.
  connect(DomainTypeCheckBox, &QCheckBox::toggled, this, [this] { DomainCheckBoxClick(); });
  connect(EntityCheckBox, &QCheckBox::toggled, this, [this] { EntityCheckBoxClick(); });
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

TConsistencyReportOptions TValidateDlg::Options() const
{
  return {DomainCheckBox->isChecked(), EntityCheckBox->isChecked()};
}

void TValidateDlg::DomainCheckBoxClick()
{
  for (QCheckBox* box : {DomainNameCheckBox, DomainTypeCheckBox, DomainRuleCheckBox})
    box->setEnabled(DomainCheckBox->isChecked());
}

void TValidateDlg::EntityCheckBoxClick()
{
  for (QCheckBox* box : {EntityNameCheckBox, EntityTypeCheckBox, EntityRuleCheckBox, EntityKeyCheckBox})
    box->setEnabled(EntityCheckBox->isChecked());
}

}  // namespace veska
