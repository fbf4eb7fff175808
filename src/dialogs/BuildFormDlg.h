#pragma once
// The application build dialog: the user picks the application's style and
// name, the entities that get a form and a destination directory, and Build
// runs the application generator with its progress on the page "Progress".
//
// The main window makes it once; FormFilter keeps the chosen entities between
// showings, pruned of entities that no longer exist.

#include <QDialog>
#include <QStringList>

#include <memory>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeView;

namespace veska {

class TDirectoryChooser;
class TDrawingSurface;
class TMessageService;

class TBuildFormDlg : public QDialog {
  Q_OBJECT
public:
  // The message service outlives the dialog.
  explicit TBuildFormDlg(TMessageService& messages, QWidget* parent = nullptr);
  ~TBuildFormDlg() override;

  enum TPage { pgOptions, pgDestination, pgProgress };
  static constexpr int MaxAppNameLength = 8;

  QTabWidget* PageControl = nullptr;
  QRadioButton* MDIFrameRadioButton = nullptr;
  QRadioButton* NormalFrameRadioButton = nullptr;
  QLineEdit* AppNameEdit = nullptr;
  QComboBox* TargetComboBox = nullptr;
  QPushButton* FilterButton = nullptr;
  QTreeView* DirectoryListBox1 = nullptr;
  QLineEdit* DirectoryEdit = nullptr;
  QPlainTextEdit* ProgressText = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  QPushButton* HelpBtn = nullptr;

  // The entities that get a form, in the order chosen.
  QStringList FormFilter;
  // The enciphered template library the generator reads.
  QString LibraryFile;

  // Called before each showing. The first surface chooses all its entities;
  // later ones keep only the chosen names that are still entities.
  void SetDrawingSurface(TDrawingSurface* surface);
  TDrawingSurface* DrawingSurface() const { return FSurface; }

  // The destination directory.
  QString Directory() const;
  void SetDirectory(const QString& directory);

  void FilterButtonClick();
  void FormActivate();
  void OKBtnClick();

protected:
  void showEvent(QShowEvent* event) override;

private:
  void UpdateFilterCaption();
  // Refuses an application name that cannot name a file: the message, then
  // the name on page "Options" to be corrected.
  bool CheckAppName();
  // The generation run; false when an error ended it (the error shown).
  bool Generate();

  TMessageService& FMessages;
  TDrawingSurface* FSurface = nullptr;
  std::unique_ptr<TDirectoryChooser> FDestination;
  bool FGenerating = false;
};

}  // namespace veska
