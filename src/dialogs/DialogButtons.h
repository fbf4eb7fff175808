#pragma once
// The OK, Cancel and (hidden) Help buttons that the small dialogs share, and
// their check boxes.

#include <QDialogButtonBox>

#include <QList>

class QCheckBox;
class QDialog;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace veska {

struct TDialogButtons {
  QDialogButtonBox* Box;
  QPushButton* OK;  // the default button; the dialog connects it
  QPushButton* Cancel;  // rejects the dialog
  QPushButton* Help;  // hidden
};

TDialogButtons MakeDialogButtons(QDialog* dialog);

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, bool checked);
// A column of check boxes: the first at the top, the others under it,
// indented when `indent` is set (the boxes that the first one governs).
QVBoxLayout* CheckBoxColumn(const QList<QCheckBox*>& boxes, bool indent);
// Tab order in list order.
void ChainTabOrder(const QList<QWidget*>& widgets);

}  // namespace veska
