#include "dialogs/BuildTableDlg.h"

#include "arrange/Arrange.h"
#include "sqlbuild/SqlRun.h"
#include "sqlbuild/SqlSchema.h"
#include "sqlbuild/SqlScript.h"
#include "sqlreverse/SqlReverse.h"
#include "tablebuild/BuildRun.h"
#include "tablebuild/ReEngineer.h"
#include "tablebuild/ServerDefinitions.h"
#include "dialogs/DialogButtons.h"
#include "dialogs/SqlDestination.h"
#include "engine/TableEngine.h"
#include "platform/MessageService.h"
#include "surface/DrawingSurface.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
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
  : TBuildDialog(QStringLiteral("All Tables"), QStringLiteral("Database &Directory"), QStringLiteral("Database"),
                 "DatabaseEdit", QStringLiteral("builddatabase.html"), parent),
    FIni(ini),
    FMessages(messages)
{
  QWidget* options = OptionsPage();
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
  DatabaseEdit = DirectoryText();
  SqlDestination = new TSqlDestination(this);
  AddOtherDestination(SqlDestination);

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

  TargetServerComboBox->addItems(ReadServers(FIni));
  if (TargetServerComboBox->count() > 0)
    TargetServerComboBox->setCurrentIndex(0);
  TargetServerComboBoxChange();

  connect(TargetServerComboBox, &QComboBox::currentIndexChanged, this, [this] { TargetServerComboBoxChange(); });
  // What the user typed stays; only the file field changes its meaning.
  connect(SaveToFileCheckBox, &QCheckBox::toggled, this, [this] {
    const std::optional<TSqlDialect> dialect = ChosenDialect();
    if (!dialect || BuildModel)
      return;
    SqlDestination->ShowFor(*dialect, SavesToFile());
    if (FUserSettings)
      SqlDestination->RecallFile(*FUserSettings, TargetServerComboBox->currentText());
  });
}

void TBuildTableDlg::SetUserSettings(TIniFile* userSettings)
{
  FUserSettings = userSettings;
  ShowDestination();
}

std::optional<TSqlDialect> TBuildTableDlg::ChosenDialect() const
{
  return ReadSqlDialect(FIni, TargetServerComboBox->currentText());
}

bool TBuildTableDlg::SavesToFile() const
{
  // A model is read from a database, never from a script.
  return !BuildModel && SaveToFileCheckBox->isEnabled() && SaveToFileCheckBox->isChecked();
}

void TBuildTableDlg::ShowDestination()
{
  const std::optional<TSqlDialect> dialect = ChosenDialect();
  ShowDirectoryDestination(!dialect);
  if (!dialect)
    return;
  if (BuildModel)
    SqlDestination->ShowForReading(*dialect);
  else
    SqlDestination->ShowFor(*dialect, SavesToFile());
  if (FUserSettings)
    SqlDestination->Recall(*FUserSettings, TargetServerComboBox->currentText());
}

void TBuildTableDlg::SetDrawingSurface(TDrawingSurface* surface)
{
  TBuildDialog::SetDrawingSurface(surface);
  if (BuildModel)
    OKBtn->setEnabled(true);
}

void TBuildTableDlg::TargetServerComboBoxChange()
{
  const TServerDefinition server = ReadServer(FIni, TargetServerComboBox->currentText());
  CreateDomainCheckBox->setEnabled(server.DomainSupport);
  CreateProcessCheckBox->setEnabled(server.ProcedureSupport);
  SaveToFileCheckBox->setEnabled(server.SchemaFileSupport);
  ShowDestination();
}

void TBuildTableDlg::FormActivate()
{
  setWindowTitle(BuildModel ? QStringLiteral("Veska - Build Information Model")
                            : QStringLiteral("Veska - Build Database"));
  PageControl->setCurrentIndex(BuildModel ? pgDestination : pgOptions);
  SetHelpPage(HelpBtn, BuildModel ? QStringLiteral("reengineer.html") : QStringLiteral("builddatabase.html"));
  ProgressText->clear();
  OKBtn->setText(QStringLiteral("OK"));
  ShowDestination();
}

void TBuildTableDlg::OKBtnClick()
{
  if (!FSurface || !OKBtn->isEnabled())
    return;
  const std::optional<TSqlDialect> dialect = ChosenDialect();
  // A desktop build that saves to a file starts at once; an SQL build always
  // shows where it goes: the script file, or the database.
  if (PageControl->currentIndex() == pgOptions && (dialect || !SavesToFile())) {
    PageControl->setCurrentIndex(pgDestination);
    OKBtn->setText(QStringLiteral("Build"));
    return;
  }
  if (dialect) {
    if (const QString missing = SqlDestination->Missing(); !missing.isEmpty()) {
      PageControl->setCurrentIndex(pgDestination);
      FMessages.Error(missing);
      return;
    }
    if (BuildModel)
      ReadSqlDatabase(*dialect);
    else
      RunSqlBuild(*dialect);
  } else if (BuildModel)
    ReadDatabase();
  else
    RunBuildPage();
  accept();
}

void TBuildTableDlg::ReadDatabase()
{
  try {
    const QString completion = ReEngineerCompletion(ReEngineer(*FSurface, Directory(), &WorkProgress));
    if (!completion.isEmpty())
      FMessages.Information(completion);
  } catch (const TEngineError& e) {
    // The entities read before the error stay in the model.
    FMessages.Error(QString::fromStdString(e.what()));
  }
}

void TBuildTableDlg::RememberDestination()
{
  // The destination is remembered for the next time; a settings file that
  // cannot be written is said, and costs only that convenience, not the
  // work (the file stays as it was).
  if (FUserSettings) {
    try {
      SqlDestination->Remember(*FUserSettings, TargetServerComboBox->currentText());
    } catch (const std::runtime_error& e) {
      FMessages.Error(QString::fromStdString(e.what()));
    }
  }
}

QString TBuildTableDlg::TakePassword()
{
  // Taken from the field and the field emptied at once: the password lives
  // no longer than the work.
  const QString password = SqlDestination->passwordEdit->text();
  SqlDestination->passwordEdit->clear();
  return password;
}

void TBuildTableDlg::ShowProgressLine(const QString& line)
{
  ProgressText->setPlainText(line);
  ProgressText->repaint();
}

void TBuildTableDlg::ReadSqlDatabase(TSqlDialect dialect)
{
  RememberDestination();
  const QString password = TakePassword();
  PageControl->setCurrentIndex(pgProgress);
  ShowProgressLine(QStringLiteral("Reading Database"));
  const TSqlReverseResult result =
      ReverseEngineerSql(*FSurface, FIni, TargetServerComboBox->currentText(), SqlDestination->Connection(), password,
                         dialect == TSqlDialect::PostgreSQL ? SqlDestination->Schema() : QString(), &WorkProgress);
  if (!result.Error.isEmpty()) {
    FMessages.Error(result.Error);
    return;
  }
  ShowProgressLine(QStringLiteral("Arranging Diagram"));
  TArrangeOptions arrange;
  arrange.Progress = &WorkProgress;
  ArrangeDiagram(*FSurface, false, arrange);
  FMessages.Information(SqlReverseCompletion(result));
}

void TBuildTableDlg::RunSqlBuild(TSqlDialect dialect)
{
  const QString server = TargetServerComboBox->currentText();
  RememberDestination();
  TSqlBuildOptions options;
  options.DropTables = DropTableCheckBox->isChecked();
  options.CreateTables = CreateTableCheckBox->isChecked();
  options.PrimaryKeys = PrimaryKeyCheckBox->isChecked();
  options.ForeignKeys = ForeignKeyCheckBox->isChecked();
  options.Domains = CreateDomainCheckBox->isEnabled() && CreateDomainCheckBox->isChecked();
  options.Processes = CreateProcessCheckBox->isEnabled() && CreateProcessCheckBox->isChecked();
  options.TableFilter = TableFilter;
  PageControl->setCurrentIndex(pgProgress);
  const std::vector<TSqlStep> steps = SqlBuildSteps(FIni, server, *FSurface, options);
  const QString password = TakePassword();
  std::unique_ptr<TSqlTarget> target;
  if (SavesToFile())
    target = std::make_unique<TSqlScriptTarget>(SqlDestination->FileName(), dialect);
  else
    target = std::make_unique<TSqlDatabaseTarget>(dialect, SqlDestination->Connection(), password);
  veska::RunSqlBuild(steps, *target, FMessages, [this](const QString& line) { ShowProgressLine(line); }, &WorkProgress);
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
  RunBuild(FIni, settings, *FSurface, FMessages, [this](const QString& line) { ShowProgressLine(line); },
           &WorkProgress);
}

}  // namespace veska
