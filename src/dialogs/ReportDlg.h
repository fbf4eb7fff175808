#pragma once
// The entity report dialog: what the entity list holds and in which layout.
// The check boxes and radio buttons keep their states between uses. Enabling
// and disabling only guides the user: the report follows the checked state
// of every box (Options), enabled or not.
//
// The caller shows it modally and, on OK, asks for the file name (SaveTitle,
// SaveFilter) and writes the report with Options().

#include "reports/EntityReport.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QPushButton;
class QRadioButton;

namespace veska {

class TReportDlg : public QDialog {
  Q_OBJECT
public:
  explicit TReportDlg(QWidget* parent = nullptr);

  static inline const QString SaveTitle = QStringLiteral("Veska - Save Entity Report As");
  static inline const QString SaveFilter = QStringLiteral("Text Files (*.TXT)|*.TXT|All Files (*.*)|*.*");

  QCheckBox* TableNameCheckBox = nullptr;
  QCheckBox* EntityDescCheckBox = nullptr;
  QCheckBox* PrimaryKeyCheckBox = nullptr;
  QCheckBox* PKColNameCheckBox = nullptr;
  QCheckBox* PKColTypeCheckBox = nullptr;
  QCheckBox* PKNullCheckBox = nullptr;
  QCheckBox* PKDescCheckBox = nullptr;
  QCheckBox* AttributeCheckBox = nullptr;
  QCheckBox* AttrColNameCheckBox = nullptr;
  QCheckBox* AttrColTypeCheckBox = nullptr;
  QCheckBox* AttrNullCheckBox = nullptr;
  QCheckBox* AttrDescCheckBox = nullptr;
  QCheckBox* RelationCheckBox = nullptr;
  QCheckBox* RelDescCheckBox = nullptr;
  QRadioButton* RadioButton1 = nullptr;  // "Labelled"
  QRadioButton* RadioButton2 = nullptr;  // "Tabular"
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  QPushButton* HelpBtn = nullptr;

  // The file name chosen last, proposed the next time.
  QString FileName;

  // The checked states of every box and the layout.
  TEntityReportOptions Options() const;

  void PrimaryKeyCheckBoxClick();
  void AttributeCheckBoxClick();
  void RelationCheckBoxClick();
  void RadioButton1Click();
  void RadioButton2Click();
};

}  // namespace veska
