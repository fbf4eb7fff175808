#pragma once
// What the two build dialogs (database and application) share: the pages
// "Options", "Destination" and "Progress" beside the OK and Cancel buttons,
// the destination chosen in a tree of directories, and the chosen entities,
// kept between showings and shown as the caption of the filter button.

#include "dialogs/DialogButtons.h"

#include <QString>
#include <QStringList>

class QDialog;
class QFileSystemModel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeView;
class QWidget;

namespace veska {

class TDrawingSurface;

// The pages in a tab widget, in the order Options, Destination, Progress,
// with the buttons in a column at its right. The caller fills Options and
// Destination.
struct TBuildPages {
  QTabWidget* PageControl;
  QWidget* Options;
  QWidget* Destination;
  QPlainTextEdit* ProgressText;  // read-only
  TDialogButtons Buttons;
};

TBuildPages MakeBuildPages(QDialog* dialog);

// A destination directory: a tree of the directories (and drives) and the
// chosen one as read-only text under it, in native separators.
class TDirectoryChooser {
public:
  // Both controls go on `page` under the captions given, the tree named
  // `treeName`, the text `editName`.
  TDirectoryChooser(QWidget* page, const QString& treeCaption, const char* treeName, const QString& editCaption,
                    const char* editName);

  QTreeView* Tree = nullptr;
  QLineEdit* Edit = nullptr;

  QString Directory() const;
  void SetDirectory(const QString& directory);

private:
  QFileSystemModel* FModel = nullptr;
};

// The entities chosen for a build, in the order chosen, follow the surface
// given before each showing: the first surface (no `previous`) chooses all
// its entities in list order; later the names that are no longer entities are
// dropped and entities added since are not chosen.
void FollowSurface(QStringList& chosen, const TDrawingSurface* previous, const TDrawingSurface* surface);

// The filter button's caption: `all` when every entity is chosen, else
// "n of m", and "None of m" when nothing is, which also disables `ok`.
void ShowFilterCaption(const QStringList& chosen, const TDrawingSurface* surface, QPushButton* filterButton,
                       QPushButton* ok, const QString& all);

// Lets the user change the choice in the choose-objects dialog, offering the
// surface's entities; Cancel keeps it.
void ChooseEntities(QWidget* parent, const TDrawingSurface& surface, QStringList& chosen);

}  // namespace veska
