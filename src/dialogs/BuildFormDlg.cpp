#include "dialogs/BuildFormDlg.h"

#include "appgen/AppExpert.h"
#include "dialogs/EditorWidgets.h"
#include "platform/MessageService.h"
#include "surface/DrawingSurface.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <exception>

namespace veska {

TBuildFormDlg::TBuildFormDlg(TMessageService& messages, QWidget* parent)
  : TBuildDialog(QStringLiteral("All Forms"), QStringLiteral("Application &Directory"),
                 QStringLiteral("Application"), "DirectoryEdit", QStringLiteral("forms.html"), parent),
    FMessages(messages)
{
  setWindowTitle(QStringLiteral("Veska - Build Application"));
  DirectoryEdit = DirectoryText();

  QWidget* options = OptionsPage();
  auto* style = new QGroupBox(QStringLiteral("Application Style"), options);
  style->setObjectName(QStringLiteral("AppStyleRadioGroup"));
  MDIFrameRadioButton = new QRadioButton(QStringLiteral("MDI Frame"), style);
  MDIFrameRadioButton->setObjectName(QStringLiteral("MDIFrameRadioButton"));
  MDIFrameRadioButton->setChecked(true);
  NormalFrameRadioButton = new QRadioButton(QStringLiteral("Normal Frame"), style);
  NormalFrameRadioButton->setObjectName(QStringLiteral("NormalFrameRadioButton"));
  auto* styleColumn = new QVBoxLayout(style);
  styleColumn->addWidget(MDIFrameRadioButton);
  styleColumn->addWidget(NormalFrameRadioButton);

  AppNameEdit = new QLineEdit(QStringLiteral("Pilot"), options);
  AppNameEdit->setObjectName(QStringLiteral("AppNameEdit"));
  AppNameEdit->setMaxLength(MaxAppNameLength);
  TargetComboBox = new QComboBox(options);
  TargetComboBox->setObjectName(QStringLiteral("TargetComboBox"));
  TargetComboBox->setEditable(false);
  TargetComboBox->addItem(QStringLiteral("delphi"));
  TargetComboBox->setCurrentIndex(0);

  auto* choices = new QFormLayout;
  choices->addRow(QStringLiteral("Application Name"), AppNameEdit);
  choices->addRow(QStringLiteral("Target"), TargetComboBox);
  choices->addRow(QStringLiteral("Filter"), FilterButton);
  auto* optionsLayout = new QVBoxLayout(options);
  optionsLayout->addWidget(style);
  optionsLayout->addLayout(choices);
  optionsLayout->addStretch();
}

void TBuildFormDlg::FormActivate()
{
  PageControl->setCurrentIndex(pgOptions);
  ProgressText->clear();
  OKBtn->setText(QStringLiteral("OK"));
}

bool TBuildFormDlg::CheckChoices()
{
  QString refusal = AppNameRefusal(AppNameEdit->text());
  if (refusal.isEmpty())
    refusal = FormListRefusal(FormFilter);
  if (refusal.isEmpty())
    return true;
  FMessages.Error(refusal);
  PageControl->setCurrentIndex(pgOptions);
  OKBtn->setText(QStringLiteral("OK"));
  AppNameEdit->setFocus();
  return false;
}

void TBuildFormDlg::OKBtnClick()
{
  // The run repaints but handles no input; a click that still arrives during
  // it (from a message box's own event loop) must not start a second run.
  if (FGenerating || !FSurface || !OKBtn->isEnabled() || !CheckChoices())
    return;
  if (PageControl->currentIndex() == pgOptions) {
    PageControl->setCurrentIndex(pgDestination);
    OKBtn->setText(QStringLiteral("Build"));
    return;
  }
  TFlagGuard generating(FGenerating);
  if (Generate())
    accept();
  else
    reject();
}

bool TBuildFormDlg::Generate()
{
  TAppBuildSettings settings;
  settings.Directory = Directory();
  settings.AppName = AppNameEdit->text();
  settings.MDIApplication = MDIFrameRadioButton->isChecked();
  settings.FormList = FormFilter;
  settings.LibraryFile = LibraryFile;
  if (!DiagramFile.isEmpty())
    settings.KeptFiles << DiagramFile;

  PageControl->setCurrentIndex(pgProgress);
  TAppProgress progress;
  progress.Clear = [this] {
    ProgressText->clear();
    ProgressText->repaint();
  };
  progress.Add = [this](const QString& line) {
    ProgressText->appendPlainText(line);
    ProgressText->repaint();
  };
  progress.Bar = &WorkProgress;
  try {
    const QStringList problems = RunAppGeneration(*FSurface, settings, progress);
    // The run went to its end; what it could not generate whole is said
    // once, after it.
    if (!problems.isEmpty())
      FMessages.Error(problems.join(QLatin1Char('\n')));
    return true;
  } catch (const std::exception& e) {
    // The run ends here; the files written before the error stay.
    FMessages.Error(QString::fromUtf8(e.what()));
    return false;
  }
}

}  // namespace veska
