#include "dialogs/ReportDlg.h"

#include "dialogs/DialogButtons.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace veska {

TReportDlg::TReportDlg(QWidget* parent) : QDialog(parent)
{
  setWindowTitle(QStringLiteral("Veska - Entity Report"));

  auto* content = new QGroupBox(QStringLiteral("Content"), this);
  content->setObjectName(QStringLiteral("ContentGroup"));
  TableNameCheckBox = MakeCheckBox(content, "TableNameCheckBox", QStringLiteral("&Table Name"), false);
  EntityDescCheckBox = MakeCheckBox(content, "EntityDescCheckBox", QStringLiteral("D&escription"), false);
  PrimaryKeyCheckBox = MakeCheckBox(content, "PrimaryKeyCheckBox", QStringLiteral("&Primary Key"), true);
  PKColNameCheckBox = MakeCheckBox(content, "PKColNameCheckBox", QStringLiteral("Column Name"), false);
  PKColTypeCheckBox = MakeCheckBox(content, "PKColTypeCheckBox", QStringLiteral("Column Type"), false);
  PKNullCheckBox = MakeCheckBox(content, "PKNullCheckBox", QStringLiteral("Nullability"), false);
  PKDescCheckBox = MakeCheckBox(content, "PKDescCheckBox", QStringLiteral("Description"), false);
  AttributeCheckBox = MakeCheckBox(content, "AttributeCheckBox", QStringLiteral("&Attributes"), true);
  AttrColNameCheckBox = MakeCheckBox(content, "AttrColNameCheckBox", QStringLiteral("Column Name"), false);
  AttrColTypeCheckBox = MakeCheckBox(content, "AttrColTypeCheckBox", QStringLiteral("Column Type"), false);
  AttrNullCheckBox = MakeCheckBox(content, "AttrNullCheckBox", QStringLiteral("Nullability"), false);
  AttrDescCheckBox = MakeCheckBox(content, "AttrDescCheckBox", QStringLiteral("Description"), false);
  RelationCheckBox = MakeCheckBox(content, "RelationCheckBox", QStringLiteral("&Relations"), true);
  RelDescCheckBox = MakeCheckBox(content, "RelDescCheckBox", QStringLiteral("Description"), false);

  // One column per part of the report; the boxes a part governs stand
  // indented under it.
  const QList<QList<QCheckBox*>> columns = {
    {TableNameCheckBox, EntityDescCheckBox},
    {PrimaryKeyCheckBox, PKColNameCheckBox, PKColTypeCheckBox, PKNullCheckBox, PKDescCheckBox},
    {AttributeCheckBox, AttrColNameCheckBox, AttrColTypeCheckBox, AttrNullCheckBox, AttrDescCheckBox},
    {RelationCheckBox, RelDescCheckBox},
  };
  auto* row = new QHBoxLayout(content);
  for (const auto& column : columns)
    row->addLayout(CheckBoxColumn(column, column.constFirst() != TableNameCheckBox));

  auto* format = new QGroupBox(QStringLiteral("Format"), this);
  format->setObjectName(QStringLiteral("FormatGroup"));
  RadioButton1 = new QRadioButton(QStringLiteral("&Labelled"), format);
  RadioButton1->setObjectName(QStringLiteral("RadioButton1"));
  RadioButton1->setChecked(true);
  RadioButton2 = new QRadioButton(QStringLiteral("Ta&bular"), format);
  RadioButton2->setObjectName(QStringLiteral("RadioButton2"));
  auto* radios = new QHBoxLayout(format);
  radios->addWidget(RadioButton1);
  radios->addWidget(RadioButton2);
  radios->addStretch();

  const TDialogButtons buttons = MakeDialogButtons(this, QStringLiteral("entityreport.html"));
  OKBtn = buttons.OK;
  CancelBtn = buttons.Cancel;
  HelpBtn = buttons.Help;

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(content);
  layout->addWidget(format);
  layout->addWidget(buttons.Box);

  QList<QWidget*> order;
  for (const auto& column : columns)
    for (QCheckBox* box : column)
      order << box;
  ChainTabOrder(order << RadioButton1 << RadioButton2 << OKBtn << CancelBtn);

  connect(PrimaryKeyCheckBox, &QCheckBox::toggled, this, [this] { PrimaryKeyCheckBoxClick(); });
  connect(AttributeCheckBox, &QCheckBox::toggled, this, [this] { AttributeCheckBoxClick(); });
  connect(RelationCheckBox, &QCheckBox::toggled, this, [this] { RelationCheckBoxClick(); });
  connect(RadioButton1, &QRadioButton::toggled, this, [this](bool on) {
    if (on)
      RadioButton1Click();
  });
  connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
    if (on)
      RadioButton2Click();
  });
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

TEntityReportOptions TReportDlg::Options() const
{
  TEntityReportOptions o;
  o.TableName = TableNameCheckBox->isChecked();
  o.EntityDesc = EntityDescCheckBox->isChecked();
  o.PrimaryKey = PrimaryKeyCheckBox->isChecked();
  o.PKColName = PKColNameCheckBox->isChecked();
  o.PKColType = PKColTypeCheckBox->isChecked();
  o.PKNull = PKNullCheckBox->isChecked();
  o.PKDesc = PKDescCheckBox->isChecked();
  o.Attributes = AttributeCheckBox->isChecked();
  o.AttrColName = AttrColNameCheckBox->isChecked();
  o.AttrColType = AttrColTypeCheckBox->isChecked();
  o.AttrNull = AttrNullCheckBox->isChecked();
  o.AttrDesc = AttrDescCheckBox->isChecked();
  o.Relations = RelationCheckBox->isChecked();
  o.RelDesc = RelDescCheckBox->isChecked();
  o.Tabular = RadioButton2->isChecked();
  return o;
}

void TReportDlg::PrimaryKeyCheckBoxClick()
{
  const bool on = PrimaryKeyCheckBox->isChecked();
  for (QCheckBox* box : {PKColNameCheckBox, PKColTypeCheckBox, PKNullCheckBox})
    box->setEnabled(on);
  // In Tabular the key's description stays as it is when the key is checked.
  if (!on || RadioButton1->isChecked())
    PKDescCheckBox->setEnabled(on);
}

void TReportDlg::AttributeCheckBoxClick()
{
  const bool on = AttributeCheckBox->isChecked() && RadioButton1->isChecked();
  for (QCheckBox* box : {AttrColNameCheckBox, AttrColTypeCheckBox, AttrNullCheckBox, AttrDescCheckBox})
    box->setEnabled(on);
}

void TReportDlg::RelationCheckBoxClick()
{
  RelDescCheckBox->setEnabled(RelationCheckBox->isChecked());
}

void TReportDlg::RadioButton1Click()
{
  if (PrimaryKeyCheckBox->isChecked())
    PKDescCheckBox->setEnabled(true);
  if (AttributeCheckBox->isChecked())
    for (QCheckBox* box : {AttrColNameCheckBox, AttrColTypeCheckBox, AttrNullCheckBox, AttrDescCheckBox})
      box->setEnabled(true);
}

void TReportDlg::RadioButton2Click()
{
  // Tabular shows every attribute with the key's columns; the attribute
  // boxes take the key's states so that they show what will be written.
  if (PrimaryKeyCheckBox->isChecked() && AttributeCheckBox->isChecked()) {
    AttrColNameCheckBox->setChecked(PKColNameCheckBox->isChecked());
    AttrColTypeCheckBox->setChecked(PKColTypeCheckBox->isChecked());
    AttrNullCheckBox->setChecked(PKNullCheckBox->isChecked());
  }
  for (QCheckBox* box : {PKDescCheckBox, AttrColNameCheckBox, AttrColTypeCheckBox, AttrNullCheckBox, AttrDescCheckBox})
    box->setEnabled(false);
}

}  // namespace veska
