#include "dialogs/BuildDialog.h"

#include "dialogs/DialogButtons.h"
#include "dialogs/FilterDlg.h"
#include "surface/DrawingSurface.h"

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

TBuildDialog::TBuildDialog(const QString& allChosen, const QString& treeCaption, const QString& editCaption,
                           const char* editName, const QString& helpPage, QWidget* parent)
  : QDialog(parent), FAllChosen(allChosen)
{
  PageControl = new QTabWidget(this);
  PageControl->setObjectName(QStringLiteral("PageControl"));
  auto* options = new QWidget(PageControl);
  PageControl->addTab(options, QStringLiteral("Options"));
  FilterButton = new QPushButton(allChosen, options);
  FilterButton->setObjectName(QStringLiteral("FilterButton"));
  FilterButton->setAutoDefault(false);

  // The destination: a tree of directories only and the chosen one as text.
  auto* destination = new QWidget(PageControl);
  FDirectories = new QFileSystemModel(this);
  FDirectories->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  FDirectories->setRootPath(QDir::rootPath());
  DirectoryListBox1 = new QTreeView(destination);
  DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
  DirectoryListBox1->setModel(FDirectories);
  for (int column = 1; column < FDirectories->columnCount(); ++column)
    DirectoryListBox1->hideColumn(column);
  DirectoryListBox1->setHeaderHidden(true);
  FDirectoryText = new QLineEdit(destination);
  FDirectoryText->setObjectName(QString::fromLatin1(editName));
  FDirectoryText->setReadOnly(true);
  FDestinationLayout = new QFormLayout(destination);
  FDestinationLayout->addRow(treeCaption, DirectoryListBox1);
  FDestinationLayout->addRow(editCaption, FDirectoryText);
  PageControl->addTab(destination, QStringLiteral("Destination"));

  auto* progress = new QWidget(PageControl);
  ProgressText = new QPlainTextEdit(progress);
  ProgressText->setObjectName(QStringLiteral("ProgressText"));
  ProgressText->setReadOnly(true);
  (new QVBoxLayout(progress))->addWidget(ProgressText);
  PageControl->addTab(progress, QStringLiteral("Progress"));

  const TDialogButtons buttons = MakeDialogButtons(this, helpPage);
  OKBtn = buttons.OK;
  CancelBtn = buttons.Cancel;
  HelpBtn = buttons.Help;
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(PageControl, 1);
  buttons.Box->setOrientation(Qt::Vertical);
  layout->addWidget(buttons.Box);
  // The build dialogs show their Help button (the box's new layout would
  // show it anyway).
  HelpBtn->show();

  SetDirectory(QDir::currentPath());
  connect(FilterButton, &QPushButton::clicked, this, [this] { FilterButtonClick(); });
  connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid())
              FDirectoryText->setText(QDir::toNativeSeparators(FDirectories->filePath(current)));
          });
  connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
}

QWidget* TBuildDialog::OptionsPage() const
{
  return PageControl->widget(pgOptions);
}

void TBuildDialog::AddOtherDestination(QWidget* other)
{
  FOtherDestination = other;
  FDestinationLayout->addRow(other);
  FDestinationLayout->setRowVisible(other, false);
}

void TBuildDialog::ShowDirectoryDestination(bool directory)
{
  FDestinationLayout->setRowVisible(DirectoryListBox1, directory);
  FDestinationLayout->setRowVisible(FDirectoryText, directory);
  if (FOtherDestination)
    FDestinationLayout->setRowVisible(FOtherDestination, !directory);
}

QString TBuildDialog::Directory() const
{
  return QDir::fromNativeSeparators(FDirectoryText->text());
}

void TBuildDialog::SetDirectory(const QString& directory)
{
  FDirectoryText->setText(QDir::toNativeSeparators(directory));
  const QModelIndex index = FDirectories->index(directory);
  if (index.isValid()) {
    DirectoryListBox1->setCurrentIndex(index);
    DirectoryListBox1->scrollTo(index);
  }
}

void TBuildDialog::SetDrawingSurface(TDrawingSurface* surface)
{
  if (!FSurface) {
    if (surface)
      FChosen = surface->Entities.Texts();
  } else {
    // One hashed lookup per name, and the survivors moved once: a large
    // choice is pruned in linear time.
    FChosen.erase(std::remove_if(FChosen.begin(), FChosen.end(),
                                 [surface](const QString& name) {
                                   return !surface || surface->Entities.IndexOf(name) < 0;
                                 }),
                  FChosen.end());
  }
  FSurface = surface;
  UpdateFilterCaption();
}

void TBuildDialog::UpdateFilterCaption()
{
  const int count = FSurface ? FSurface->Entities.Count() : 0;
  OKBtn->setEnabled(!FChosen.isEmpty());
  if (FChosen.isEmpty())
    FilterButton->setText(QStringLiteral("None of %1").arg(count));
  else if (FChosen.size() == count)
    FilterButton->setText(FAllChosen);
  else
    FilterButton->setText(QStringLiteral("%1 of %2").arg(FChosen.size()).arg(count));
}

void TBuildDialog::FilterButtonClick()
{
  if (!FSurface)
    return;
  TFilterDlg filter(this);
  filter.SetLists(FSurface->Entities.Texts(), FChosen);
  if (filter.exec() == QDialog::Accepted)
    FChosen = filter.SelectedNames();
  UpdateFilterCaption();
}

void TBuildDialog::showEvent(QShowEvent* event)
{
  QDialog::showEvent(event);
  FormActivate();
}

}  // namespace veska
