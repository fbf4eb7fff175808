#pragma once
// The OK, Cancel and (hidden) Help buttons that the small dialogs share.

#include <QDialogButtonBox>

class QDialog;
class QPushButton;

namespace veska {

struct TDialogButtons {
  QDialogButtonBox* Box;
  QPushButton* OK;  // the default button; the dialog connects it
  QPushButton* Cancel;  // rejects the dialog
  QPushButton* Help;  // hidden
};

TDialogButtons MakeDialogButtons(QDialog* dialog);

}  // namespace veska
