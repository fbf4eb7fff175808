#include "dialogs/DialogButtons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace veska {

TDialogButtons MakeDialogButtons(QDialog* dialog)
{
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, dialog);
  const TDialogButtons b{box, box->button(QDialogButtonBox::Ok), box->button(QDialogButtonBox::Cancel),
                         box->button(QDialogButtonBox::Help)};
  b.OK->setText(QStringLiteral("OK"));
  b.Cancel->setText(QStringLiteral("Cancel"));
  b.Help->hide();
  b.OK->setDefault(true);
  QObject::connect(b.Cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  return b;
}

}  // namespace veska
