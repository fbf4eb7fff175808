#pragma once
// What the two build dialogs (database and application) share: the pages
// "Options", "Destination" and "Progress" beside the OK and Cancel buttons,
// the destination chosen in a tree of directories, and the chosen entities,
// kept between showings and shown as the caption of the filter button.

#include "dialogs/ProgressWindow.h"

#include <QDialog>
#include <QStringList>

class QFileSystemModel;
class QFormLayout;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeView;

namespace veska {

class TDrawingSurface;

class TBuildDialog : public QDialog {
  Q_OBJECT
public:
  enum TPage { pgOptions, pgDestination, pgProgress };

  QTabWidget* PageControl = nullptr;
  QPushButton* FilterButton = nullptr;  // on page Options, placed by the dialog
  QTreeView* DirectoryListBox1 = nullptr;
  QPlainTextEdit* ProgressText = nullptr;  // read-only
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  QPushButton* HelpBtn = nullptr;

  // The progress of a run over this dialog.
  TWindowProgress WorkProgress{this};

  // Called before each showing. The first surface chooses all its entities
  // in list order; later ones keep only the chosen names that are still
  // entities, and entities added since are not chosen.
  void SetDrawingSurface(TDrawingSurface* surface);
  TDrawingSurface* DrawingSurface() const { return FSurface; }

  // The destination directory.
  QString Directory() const;
  void SetDirectory(const QString& directory);

  // Lets the user change the choice in the choose-objects dialog; Cancel
  // keeps it.
  void FilterButtonClick();
  // At each showing.
  virtual void FormActivate() = 0;
  virtual void OKBtnClick() = 0;

protected:
  // `allChosen` is the filter caption when every entity is chosen. The
  // destination page shows the tree under `treeCaption` and the chosen
  // directory as text named `editName` under `editCaption`. The directory
  // starts as the current one. The Help button opens `helpPage`.
  TBuildDialog(const QString& allChosen, const QString& treeCaption, const QString& editCaption,
               const char* editName, const QString& helpPage, QWidget* parent);

  QWidget* OptionsPage() const;
  QLineEdit* DirectoryText() const { return FDirectoryText; }
  // Places `other` on the destination page below the directory, for
  // destinations that are no directory.
  void AddOtherDestination(QWidget* other);
  // Shows the directory tree and text, or the other destination instead.
  void ShowDirectoryDestination(bool directory);
  // The filter button's caption: all chosen, "n of m", or "None of m", which
  // also disables OK.
  void UpdateFilterCaption();
  void showEvent(QShowEvent* event) override;

  // The entities chosen, in the order chosen.
  QStringList FChosen;
  TDrawingSurface* FSurface = nullptr;

private:
  QString FAllChosen;
  QFileSystemModel* FDirectories = nullptr;
  QLineEdit* FDirectoryText = nullptr;
  QFormLayout* FDestinationLayout = nullptr;
  QWidget* FOtherDestination = nullptr;
};

}  // namespace veska
