#pragma once
// The OK, Cancel and Help buttons that the dialogs share, the way from a Help
// button to its page of the program's help, and the dialogs' check boxes.

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
  QPushButton* Help;  // hidden unless the dialog shows it; opens its page
};

// The buttons of `dialog`; its Help button opens `helpPage`, a file of the
// help folder.
TDialogButtons MakeDialogButtons(QDialog* dialog, const QString& helpPage);

// The window that shows the program's help (the main window): the first one
// among a dialog's parents that is a THelpHost shows the pages its Help
// button asks for.
class THelpHost {
public:
  virtual ~THelpHost() = default;
  // Shows `page` of the help folder over `window`, in a help window that
  // takes input while `window` is modal.
  virtual void ShowHelpPage(QWidget* window, const QString& page) = 0;
};

// The page a Help button opens; a dialog whose subject changes (the database
// build dialog in its two modes) sets it anew.
void SetHelpPage(QPushButton* help, const QString& page);
QString HelpPage(const QPushButton* help);
// Shows `page` over the window of `from` through the nearest THelpHost among
// its parents; false when there is none.
bool ShowHelpPage(QWidget* from, const QString& page);

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, bool checked);
// A column of check boxes: the first at the top, the others under it,
// indented when `indent` is set (the boxes that the first one governs).
QVBoxLayout* CheckBoxColumn(const QList<QCheckBox*>& boxes, bool indent);
// Tab order in list order.
void ChainTabOrder(const QList<QWidget*>& widgets);

}  // namespace veska
