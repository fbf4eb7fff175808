#pragma once
// The database build dialog. In mode build (BuildModel false) the user picks
// a target server, options, the entities to build and a destination
// directory, and OK runs the build; in mode information model (BuildModel
// true) OK reads the tables of the chosen directory into the surface.
//
// The main window makes it once; TableFilter keeps the chosen entities
// between showings, pruned of entities that no longer exist.

#include "dialogs/BuildDialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace veska {

class TIniFile;
class TMessageService;

class TBuildTableDlg : public TBuildDialog {
  Q_OBJECT
public:
  // The settings file and the message service outlive the dialog.
  TBuildTableDlg(const TIniFile& ini, TMessageService& messages, QWidget* parent = nullptr);

  QCheckBox* CreateTableCheckBox = nullptr;
  QCheckBox* DropTableCheckBox = nullptr;
  QCheckBox* PrimaryKeyCheckBox = nullptr;
  QCheckBox* ForeignKeyCheckBox = nullptr;
  QCheckBox* CreateDomainCheckBox = nullptr;
  QCheckBox* CreateProcessCheckBox = nullptr;
  QCheckBox* SaveToFileCheckBox = nullptr;
  QComboBox* TargetServerComboBox = nullptr;
  QLineEdit* DatabaseEdit = nullptr;

  // The entities chosen for the build, in the order chosen.
  QStringList& TableFilter = FChosen;
  // False: build the database; true: read a database into the model.
  bool BuildModel = false;

  // Called before each showing, after BuildModel is set (see TBuildDialog).
  // In mode information model OK is always enabled.
  void SetDrawingSurface(TDrawingSurface* surface);

  void TargetServerComboBoxChange();
  void FormActivate() override;
  void OKBtnClick() override;

private:
  void RunBuildPage();
  void ReadDatabase();

  const TIniFile& FIni;
  TMessageService& FMessages;
};

}  // namespace veska
