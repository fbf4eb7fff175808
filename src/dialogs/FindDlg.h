#pragma once
// The find dialog: the user picks one model object by kind and name. The
// caller hands it the surface with Prepare, shows it modally and, on OK,
// reads SelectedType and SelectedIndex (the position in the surface's list
// of that kind, -1 when no object was picked).

#include <QDialog>
#include <QString>

class QComboBox;
class QListWidget;
class QPushButton;

namespace veska {

class TDrawingSurface;

class TFindDlg : public QDialog {
  Q_OBJECT
public:
  explicit TFindDlg(QWidget* parent = nullptr);

  QComboBox* ComboBox1 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  QPushButton* HelpBtn = nullptr;

  TDrawingSurface* DrawingSurface = nullptr;
  QString SelectedType;
  int SelectedIndex = -1;

  // Takes the surface, shows its domains and disables OK until an object is
  // picked.
  void Prepare(TDrawingSurface& surface);

  // Fills the list with the names of the chosen kind, in the surface's order.
  void ComboBox1Change();
  void ListBox1Click();
  void OKBtnClick();

  // The names of the surface's list of a kind ("Domain", "Entity",
  // "Process", "Relation", "Text"); empty for any other kind.
  static QStringList NamesOfType(const TDrawingSurface& surface, const QString& type);
};

}  // namespace veska
