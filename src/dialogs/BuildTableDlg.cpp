#include "dialogs/BuildTableDlg.h"

#include "build/BuildRun.h"
#include "build/ReEngineer.h"
#include "build/ServerDefinitions.h"
#include "dialogs/DialogButtons.h"
#include "dialogs/FilterDlg.h"
#include "engine/TableEngine.h"
#include "platform/MessageService.h"
#include "surface/DrawingSurface.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

namespace veska {

namespace {

QGroupBox* Group(QWidget* parent, const QString& caption, const QList<QCheckBox*>& boxes)
{
  auto* group = new QGroupBox(caption, parent);
  auto* column = new QVBoxLayout(group);
  for (QCheckBox* box : boxes) {
    box->setParent(group);
    column->addWidget(box);
  }
  return group;
}

}  // namespace

TBuildTableDlg::TBuildTableDlg(const TIniFile& ini, TMessageService& messages, QWidget* parent)
  : QDialog(parent), FIni(ini), FMessages(messages)
{
  PageControl = new QTabWidget(this);
  PageControl->setObjectName(QStringLiteral("PageControl"));

  auto* options = new QWidget(PageControl);
  CreateTableCheckBox = MakeCheckBox(options, "CreateTableCheckBox", QStringLiteral("Create Table"), true);
  DropTableCheckBox = MakeCheckBox(options, "DropTableCheckBox", QStringLiteral("Drop Table"), false);
  PrimaryKeyCheckBox = MakeCheckBox(options, "PrimaryKeyCheckBox", QStringLiteral("On Primary Key"), true);
  ForeignKeyCheckBox = MakeCheckBox(options, "ForeignKeyCheckBox", QStringLiteral("On Foreign Key"), true);
  CreateDomainCheckBox = MakeCheckBox(options, "CreateDomainCheckBox", QStringLiteral("Create Domain"), true);
  CreateProcessCheckBox = MakeCheckBox(options, "CreateProcessCheckBox", QStringLiteral("Create Process"), false);
  SaveToFileCheckBox = MakeCheckBox(options, "SaveToFileCheckBox", QStringLiteral("Save To File"), false);
  TargetServerComboBox = new QComboBox(options);
  TargetServerComboBox->setObjectName(QStringLiteral("TargetServerComboBox"));
  TargetServerComboBox->setEditable(false);
  FilterButton = new QPushButton(QStringLiteral("All Tables"), options);
  FilterButton->setObjectName(QStringLiteral("FilterButton"));
  FilterButton->setAutoDefault(false);

  auto* groups = new QHBoxLayout;
  groups->addWidget(Group(options, QStringLiteral("Table"), {CreateTableCheckBox, DropTableCheckBox}));
  groups->addWidget(Group(options, QStringLiteral("Index"), {PrimaryKeyCheckBox, ForeignKeyCheckBox}));
  groups->addWidget(
      Group(options, QStringLiteral("Other"), {CreateDomainCheckBox, CreateProcessCheckBox, SaveToFileCheckBox}));
  auto* choices = new QFormLayout;
  choices->addRow(QStringLiteral("Target"), TargetServerComboBox);
  choices->addRow(QStringLiteral("Filter"), FilterButton);
  auto* optionsLayout = new QVBoxLayout(options);
  optionsLayout->addLayout(groups);
  optionsLayout->addLayout(choices);
  PageControl->addTab(options, QStringLiteral("Options"));

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
  DatabaseEdit = new QLineEdit(destination);
  DatabaseEdit->setObjectName(QStringLiteral("DatabaseEdit"));
  DatabaseEdit->setReadOnly(true);
  auto* destinationLayout = new QFormLayout(destination);
  destinationLayout->addRow(QStringLiteral("Database &Directory"), DirectoryListBox1);
  destinationLayout->addRow(QStringLiteral("Database"), DatabaseEdit);
  PageControl->addTab(destination, QStringLiteral("Destination"));

  auto* progress = new QWidget(PageControl);
  ProgressText = new QPlainTextEdit(progress);
  ProgressText->setObjectName(QStringLiteral("ProgressText"));
  ProgressText->setReadOnly(true);
  (new QVBoxLayout(progress))->addWidget(ProgressText);
  PageControl->addTab(progress, QStringLiteral("Progress"));

  const TDialogButtons buttons = MakeDialogButtons(this);
  OKBtn = buttons.OK;
  CancelBtn = buttons.Cancel;
  HelpBtn = buttons.Help;

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(PageControl, 1);
  buttons.Box->setOrientation(Qt::Vertical);
  layout->addWidget(buttons.Box);

  TargetServerComboBox->addItems(ReadServers(FIni));
  if (TargetServerComboBox->count() > 0)
    TargetServerComboBox->setCurrentIndex(0);
  TargetServerComboBoxChange();
  SetDirectory(QDir::currentPath());

  connect(TargetServerComboBox, &QComboBox::currentIndexChanged, this, [this] { TargetServerComboBoxChange(); });
  connect(FilterButton, &QPushButton::clicked, this, [this] { FilterButtonClick(); });
  connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid())
              DatabaseEdit->setText(QDir::toNativeSeparators(FDirectories->filePath(current)));
          });
  connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
}

QString TBuildTableDlg::Directory() const
{
  return QDir::fromNativeSeparators(DatabaseEdit->text());
}

void TBuildTableDlg::SetDirectory(const QString& directory)
{
  DatabaseEdit->setText(QDir::toNativeSeparators(directory));
  const QModelIndex index = FDirectories->index(directory);
  if (index.isValid()) {
    DirectoryListBox1->setCurrentIndex(index);
    DirectoryListBox1->scrollTo(index);
  }
}

void TBuildTableDlg::SetDrawingSurface(TDrawingSurface* surface)
{
  if (FSurface) {
    for (int i = TableFilter.size() - 1; i >= 0; --i)
      if (!surface || surface->Entities.IndexOf(TableFilter.at(i)) < 0)
        TableFilter.removeAt(i);
  } else if (surface) {
    TableFilter = surface->Entities.Texts();
  }
  FSurface = surface;
  if (BuildModel)
    OKBtn->setEnabled(true);
  else
    UpdateFilterCaption();
}

void TBuildTableDlg::UpdateFilterCaption()
{
  const int count = FSurface ? FSurface->Entities.Count() : 0;
  OKBtn->setEnabled(!TableFilter.isEmpty());
  if (TableFilter.isEmpty())
    FilterButton->setText(QStringLiteral("None of %1").arg(count));
  else if (TableFilter.size() == count)
    FilterButton->setText(QStringLiteral("All Tables"));
  else
    FilterButton->setText(QStringLiteral("%1 of %2").arg(TableFilter.size()).arg(count));
}

void TBuildTableDlg::FilterButtonClick()
{
  if (!FSurface)
    return;
  TFilterDlg filter(this);
  filter.SetLists(FSurface->Entities.Texts(), TableFilter);
  if (filter.exec() == QDialog::Accepted)
    TableFilter = filter.SelectedNames();
  UpdateFilterCaption();
}

void TBuildTableDlg::TargetServerComboBoxChange()
{
  const TServerDefinition server = ReadServer(FIni, TargetServerComboBox->currentText());
  CreateDomainCheckBox->setEnabled(server.DomainSupport);
  CreateProcessCheckBox->setEnabled(server.ProcedureSupport);
  SaveToFileCheckBox->setEnabled(server.SchemaFileSupport);
}

void TBuildTableDlg::showEvent(QShowEvent* event)
{
  QDialog::showEvent(event);
  FormActivate();
}

void TBuildTableDlg::FormActivate()
{
  setWindowTitle(BuildModel ? QStringLiteral("Veska - Build Information Model")
                            : QStringLiteral("Veska - Build Database"));
  PageControl->setCurrentIndex(BuildModel ? pgDestination : pgOptions);
  ProgressText->clear();
  OKBtn->setText(QStringLiteral("OK"));
}

void TBuildTableDlg::OKBtnClick()
{
  if (!FSurface || !OKBtn->isEnabled())
    return;
  if (PageControl->currentIndex() == pgOptions
      && !(SaveToFileCheckBox->isEnabled() && SaveToFileCheckBox->isChecked())) {
    PageControl->setCurrentIndex(pgDestination);
    OKBtn->setText(QStringLiteral("Build"));
    return;
  }
  if (BuildModel)
    ReadDatabase();
  else
    RunBuildPage();
  accept();
}

void TBuildTableDlg::ReadDatabase()
{
  try {
    ReEngineer(*FSurface, Directory());
  } catch (const TEngineError& e) {
    // The entities read before the error stay in the model.
    FMessages.Error(QString::fromStdString(e.what()));
  }
}

void TBuildTableDlg::RunBuildPage()
{
  TBuildSettings settings;
  settings.ServerName = TargetServerComboBox->currentText();
  settings.CreateTables = CreateTableCheckBox->isChecked();
  settings.DropTables = DropTableCheckBox->isChecked();
  settings.Directory = Directory();
  settings.TableFilter = TableFilter;
  PageControl->setCurrentIndex(pgProgress);
  RunBuild(FIni, settings, *FSurface, FMessages, [this](const QString& line) {
    ProgressText->setPlainText(line);
    ProgressText->repaint();
  });
}

}  // namespace veska
