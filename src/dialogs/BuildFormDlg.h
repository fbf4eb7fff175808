#pragma once
// The application build dialog: the user picks the application's style and
// name, the entities that get a form and a destination directory, and Build
// runs the application generator with its progress on the page "Progress".
//
// The main window makes it once; FormFilter keeps the chosen entities between
// showings, pruned of entities that no longer exist.

#include "dialogs/BuildDialog.h"

class QComboBox;
class QLineEdit;
class QRadioButton;

namespace veska {

class TMessageService;

class TBuildFormDlg : public TBuildDialog {
  Q_OBJECT
public:
  // The message service outlives the dialog.
  explicit TBuildFormDlg(TMessageService& messages, QWidget* parent = nullptr);

  static constexpr int MaxAppNameLength = 8;

  QRadioButton* MDIFrameRadioButton = nullptr;
  QRadioButton* NormalFrameRadioButton = nullptr;
  QLineEdit* AppNameEdit = nullptr;
  QComboBox* TargetComboBox = nullptr;
  QLineEdit* DirectoryEdit = nullptr;

  // The entities that get a form, in the order chosen.
  QStringList& FormFilter = FChosen;
  // The enciphered template library the generator reads.
  QString LibraryFile;
  // The file of the open diagram, which no generated file may replace; empty
  // when it has none.
  QString DiagramFile;

  void FormActivate() override;
  void OKBtnClick() override;

private:
  // Refuses an application name or a choice of forms that cannot give a
  // project: the message, then page "Options" to correct them.
  bool CheckChoices();
  // The generation run; false when an error ended it (the error shown).
  bool Generate();

  TMessageService& FMessages;
  bool FGenerating = false;
};

}  // namespace veska
