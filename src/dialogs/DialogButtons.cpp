#include "dialogs/DialogButtons.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace veska {

namespace {

constexpr const char* kHelpPageProperty = "helpPage";

}  // namespace

void SetHelpPage(QPushButton* help, const QString& page)
{
  help->setProperty(kHelpPageProperty, page);
}

QString HelpPage(const QPushButton* help)
{
  return help->property(kHelpPageProperty).toString();
}

bool ShowHelpPage(QWidget* from, const QString& page)
{
  for (QWidget* w = from; w; w = w->parentWidget())
    if (auto* host = dynamic_cast<THelpHost*>(w)) {
      host->ShowHelpPage(from->window(), page);
      return true;
    }
  return false;
}

TDialogButtons MakeDialogButtons(QDialog* dialog, const QString& helpPage)
{
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, dialog);
  const TDialogButtons b{box, box->button(QDialogButtonBox::Ok), box->button(QDialogButtonBox::Cancel),
                         box->button(QDialogButtonBox::Help)};
  b.OK->setText(QStringLiteral("OK"));
  b.Cancel->setText(QStringLiteral("Cancel"));
  b.Help->hide();
  SetHelpPage(b.Help, helpPage);
  b.OK->setDefault(true);
  QObject::connect(b.Cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  QObject::connect(b.Help, &QPushButton::clicked, dialog, [help = b.Help] { ShowHelpPage(help, HelpPage(help)); });
  return b;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, bool checked)
{
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(checked);
  return box;
}

QVBoxLayout* CheckBoxColumn(const QList<QCheckBox*>& boxes, bool indent)
{
  auto* column = new QVBoxLayout;
  auto* under = new QVBoxLayout;
  under->setContentsMargins(indent ? 16 : 0, 0, 0, 0);
  for (QCheckBox* box : boxes)
    (box == boxes.constFirst() ? column : under)->addWidget(box);
  column->addLayout(under);
  column->addStretch();
  return column;
}

void ChainTabOrder(const QList<QWidget*>& widgets)
{
  for (qsizetype i = 1; i < widgets.size(); ++i)
    QWidget::setTabOrder(widgets[i - 1], widgets[i]);
}

}  // namespace veska
