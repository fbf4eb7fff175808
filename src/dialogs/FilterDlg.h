#pragma once
// The choose-objects dialog: the user moves names between "Available
// Objects" and "Selected Objects". Both lists stay in alphabetical order
// (letter case ignored) and allow several selected entries. The result is
// the content of "Selected Objects".

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

namespace veska {

class TFilterDlg : public QDialog {
  Q_OBJECT
public:
  explicit TFilterDlg(QWidget* parent = nullptr);

  QListWidget* AvailableListBox = nullptr;
  QListWidget* SelectedListBox = nullptr;
  QPushButton* AddAllButton = nullptr;
  QPushButton* AddSelectedButton = nullptr;
  QPushButton* ClearSelectedButton = nullptr;
  QPushButton* ClearAllButton = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  QPushButton* HelpBtn = nullptr;

  // All names go to "Available Objects"; then each chosen name found there
  // (letter case ignored) moves over to "Selected Objects". Chosen names that
  // are not among all names are dropped.
  void SetLists(const QStringList& available, const QStringList& selected);
  // The names in "Selected Objects", in their alphabetical order.
  QStringList SelectedNames() const;

  void AddAllButtonClick();
  void AddSelectedButtonClick();
  void ClearSelectedButtonClick();
  void ClearAllButtonClick();

private:
  // Moves the entries of `from` (only the selected ones when `selectedOnly`)
  // into `to`, keeping `to` sorted.
  static void Move(QListWidget* from, QListWidget* to, bool selectedOnly);
};

}  // namespace veska
