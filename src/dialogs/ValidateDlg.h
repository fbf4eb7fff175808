#pragma once
// The consistency check dialog: which sections the check writes. "Domains"
// and "Entities" choose the sections; the boxes under them are enabled and
// disabled with them and do not change the report. The check boxes keep
// their states between uses.
//
// DataTypeList is the data type vocabulary, given once when the dialog is
// made (the key list of the settings file's "DataTypes" section). The caller
// shows the dialog modally and, on OK, asks for the file name (SaveTitle,
// SaveFilter) and writes the report with Options() and DataTypeList.

#include "reports/ConsistencyReport.h"

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QPushButton;

namespace veska {

class TValidateDlg : public QDialog {
  Q_OBJECT
public:
  explicit TValidateDlg(QStringList dataTypes, QWidget* parent = nullptr);

  static inline const QString SaveTitle = QStringLiteral("Veska - Save Consistency Report As");
  static inline const QString SaveFilter = QStringLiteral("Text Files (*.TXT)|*.TXT|All Files (*.*)|*.*");

  const QStringList DataTypeList;

  QCheckBox* DomainCheckBox = nullptr;
  QCheckBox* DomainNameCheckBox = nullptr;
  QCheckBox* DomainTypeCheckBox = nullptr;
  QCheckBox* DomainRuleCheckBox = nullptr;
  QCheckBox* EntityCheckBox = nullptr;
  QCheckBox* EntityNameCheckBox = nullptr;
  QCheckBox* EntityTypeCheckBox = nullptr;
  QCheckBox* EntityRuleCheckBox = nullptr;
  QCheckBox* EntityKeyCheckBox = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  QPushButton* HelpBtn = nullptr;

  // The file name chosen last, proposed the next time.
  QString FileName;

  TConsistencyReportOptions Options() const;

  void DomainCheckBoxClick();
  void EntityCheckBoxClick();
};

}  // namespace veska
