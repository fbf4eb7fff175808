#pragma once
// The database build dialog. In mode build (BuildModel false) the user picks
// a target server, options, the entities to build and a destination (a
// directory for desktop tables; a script file, SQLite's database file or a
// server connection for the SQL servers), and OK runs the build; in mode
// information model (BuildModel true) OK reads the tables of the chosen
// directory into the surface, or for an SQL server the database of the
// destination, which is then arranged.
//
// The main window makes it once; TableFilter keeps the chosen entities
// between showings, pruned of entities that no longer exist.

#include "dialogs/BuildDialog.h"
#include "sqlbuild/SqlBuild.h"

#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace veska {

class TIniFile;
class TMessageService;
class TSqlDestination;

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
  // The destination of an SQL server, in place of the directory.
  TSqlDestination* SqlDestination = nullptr;

  // The entities chosen for the build, in the order chosen.
  QStringList& TableFilter = FChosen;
  // False: build the database; true: read a database into the model.
  bool BuildModel = false;

  // Called before each showing, after BuildModel is set (see TBuildDialog).
  // In mode information model OK is always enabled.
  void SetDrawingSurface(TDrawingSurface* surface);
  // Where the destination of each SQL server is remembered for the user
  // (none: nothing is remembered); it outlives the dialog.
  void SetUserSettings(TIniFile* userSettings);

  void TargetServerComboBoxChange();
  void FormActivate() override;
  void OKBtnClick() override;

private:
  // The dialect of the chosen server; none for a desktop server.
  std::optional<TSqlDialect> ChosenDialect() const;
  bool SavesToFile() const;
  // The destination page for the chosen server and choice.
  void ShowDestination();
  void RunBuildPage();
  void RunSqlBuild(TSqlDialect dialect);
  void ReadDatabase();
  // Reads the SQL database of the destination into the model and arranges it.
  void ReadSqlDatabase(TSqlDialect dialect);
  void RememberDestination();
  QString TakePassword();
  void ShowProgressLine(const QString& line);

  const TIniFile& FIni;
  TMessageService& FMessages;
  TIniFile* FUserSettings = nullptr;
};

}  // namespace veska
