#include "dialogs/BuildPages.h"

#include "dialogs/FilterDlg.h"
#include "surface/DrawingSurface.h"

#include <QDialog>
#include <QDir>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace veska {

TBuildPages MakeBuildPages(QDialog* dialog)
{
  auto* pages = new QTabWidget(dialog);
  pages->setObjectName(QStringLiteral("PageControl"));
  auto* options = new QWidget(pages);
  pages->addTab(options, QStringLiteral("Options"));
  auto* destination = new QWidget(pages);
  pages->addTab(destination, QStringLiteral("Destination"));
  auto* progress = new QWidget(pages);
  auto* progressText = new QPlainTextEdit(progress);
  progressText->setObjectName(QStringLiteral("ProgressText"));
  progressText->setReadOnly(true);
  (new QVBoxLayout(progress))->addWidget(progressText);
  pages->addTab(progress, QStringLiteral("Progress"));

  const TDialogButtons buttons = MakeDialogButtons(dialog);
  auto* layout = new QHBoxLayout(dialog);
  layout->addWidget(pages, 1);
  buttons.Box->setOrientation(Qt::Vertical);
  layout->addWidget(buttons.Box);
  return {pages, options, destination, progressText, buttons};
}

TDirectoryChooser::TDirectoryChooser(QWidget* page, const QString& treeCaption, const char* treeName,
                                     const QString& editCaption, const char* editName)
{
  FModel = new QFileSystemModel(page);
  FModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  FModel->setRootPath(QDir::rootPath());
  Tree = new QTreeView(page);
  Tree->setObjectName(QString::fromLatin1(treeName));
  Tree->setModel(FModel);
  for (int column = 1; column < FModel->columnCount(); ++column)
    Tree->hideColumn(column);
  Tree->setHeaderHidden(true);
  Edit = new QLineEdit(page);
  Edit->setObjectName(QString::fromLatin1(editName));
  Edit->setReadOnly(true);
  auto* layout = new QFormLayout(page);
  layout->addRow(treeCaption, Tree);
  layout->addRow(editCaption, Edit);
  QLineEdit* edit = Edit;
  QFileSystemModel* model = FModel;
  QObject::connect(Tree->selectionModel(), &QItemSelectionModel::currentChanged, Edit,
                   [edit, model](const QModelIndex& current) {
                     if (current.isValid())
                       edit->setText(QDir::toNativeSeparators(model->filePath(current)));
                   });
}

QString TDirectoryChooser::Directory() const
{
  return QDir::fromNativeSeparators(Edit->text());
}

void TDirectoryChooser::SetDirectory(const QString& directory)
{
  Edit->setText(QDir::toNativeSeparators(directory));
  const QModelIndex index = FModel->index(directory);
  if (index.isValid()) {
    Tree->setCurrentIndex(index);
    Tree->scrollTo(index);
  }
}

void FollowSurface(QStringList& chosen, const TDrawingSurface* previous, const TDrawingSurface* surface)
{
  if (!previous) {
    if (surface)
      chosen = surface->Entities.Texts();
    return;
  }
  // One hashed lookup per name, and the survivors moved once: a large choice
  // is pruned in linear time.
  chosen.erase(std::remove_if(chosen.begin(), chosen.end(),
                              [surface](const QString& name) { return !surface || surface->Entities.IndexOf(name) < 0; }),
               chosen.end());
}

void ShowFilterCaption(const QStringList& chosen, const TDrawingSurface* surface, QPushButton* filterButton,
                       QPushButton* ok, const QString& all)
{
  const int count = surface ? surface->Entities.Count() : 0;
  ok->setEnabled(!chosen.isEmpty());
  if (chosen.isEmpty())
    filterButton->setText(QStringLiteral("None of %1").arg(count));
  else if (chosen.size() == count)
    filterButton->setText(all);
  else
    filterButton->setText(QStringLiteral("%1 of %2").arg(chosen.size()).arg(count));
}

void ChooseEntities(QWidget* parent, const TDrawingSurface& surface, QStringList& chosen)
{
  TFilterDlg filter(parent);
  filter.SetLists(surface.Entities.Texts(), chosen);
  if (filter.exec() == QDialog::Accepted)
    chosen = filter.SelectedNames();
}

}  // namespace veska
