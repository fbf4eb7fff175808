#pragma once
// The database build dialog. In mode build (BuildModel false) the user picks
// a target server, options, the entities to build and a destination
// directory, and OK runs the build; in mode information model (BuildModel
// true) OK reads the tables of the chosen directory into the surface.
//
// The main window makes it once; TableFilter keeps the chosen entities
// between showings, pruned of entities that no longer exist.

#include <QDialog>
#include <QStringList>

#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeView;

namespace veska {

class TDirectoryChooser;
class TDrawingSurface;
class TIniFile;
class TMessageService;

class TBuildTableDlg : public QDialog {
  Q_OBJECT
public:
  // The settings file and the message service outlive the dialog.
  TBuildTableDlg(const TIniFile& ini, TMessageService& messages, QWidget* parent = nullptr);
  ~TBuildTableDlg() override;

  enum TPage { pgOptions, pgDestination, pgProgress };

  QTabWidget* PageControl = nullptr;
  QCheckBox* CreateTableCheckBox = nullptr;
  QCheckBox* DropTableCheckBox = nullptr;
  QCheckBox* PrimaryKeyCheckBox = nullptr;
  QCheckBox* ForeignKeyCheckBox = nullptr;
  QCheckBox* CreateDomainCheckBox = nullptr;
  QCheckBox* CreateProcessCheckBox = nullptr;
  QCheckBox* SaveToFileCheckBox = nullptr;
  QComboBox* TargetServerComboBox = nullptr;
  QPushButton* FilterButton = nullptr;
  QTreeView* DirectoryListBox1 = nullptr;
  QLineEdit* DatabaseEdit = nullptr;
  QPlainTextEdit* ProgressText = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  QPushButton* HelpBtn = nullptr;

  // The entities chosen for the build, in the order chosen.
  QStringList TableFilter;
  // False: build the database; true: read a database into the model.
  bool BuildModel = false;

  // Called before each showing, after BuildModel is set. The first surface
  // chooses all its entities; later ones keep only the chosen names that are
  // still entities.
  void SetDrawingSurface(TDrawingSurface* surface);
  TDrawingSurface* DrawingSurface() const { return FSurface; }

  // The destination directory.
  QString Directory() const;
  void SetDirectory(const QString& directory);

  void FilterButtonClick();
  void TargetServerComboBoxChange();
  void FormActivate();
  void OKBtnClick();

protected:
  void showEvent(QShowEvent* event) override;

private:
  void UpdateFilterCaption();
  void RunBuildPage();
  void ReadDatabase();

  const TIniFile& FIni;
  TMessageService& FMessages;
  TDrawingSurface* FSurface = nullptr;
  std::unique_ptr<TDirectoryChooser> FDestination;
};

}  // namespace veska
