#include "shell/ReOpenDlg.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <exception>

namespace veska {

TReOpenDlg::TReOpenDlg(TSettings& settings, QWidget* parent, TMessageService* messages)
  : QDialog(parent), FSettings(settings), FMessages(messages)
{
  setWindowTitle(QStringLiteral("Veska - Reopen a Diagram"));

  MRUList = new QListWidget(this);
  MRUList->setObjectName(QStringLiteral("MRUList"));
  MRUList->setSelectionMode(QAbstractItemView::SingleSelection);
  MRUList->setMinimumWidth(420);

  OpenBtn = new QPushButton(QStringLiteral("Open"), this);
  OpenBtn->setObjectName(QStringLiteral("OpenBtn"));
  OpenBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OpenBtn);
  buttons->addWidget(CancelBtn);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MRUList);
  layout->addLayout(buttons);

  connect(OpenBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(MRUList, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

  FRead = FSettings.ReadRecentFiles();
  MRUList->addItems(FRead);
  if (MRUList->count() > 0)
    MRUList->setCurrentRow(0);
}

TReOpenDlg::~TReOpenDlg()
{
  const QStringList files = Files();
  // An unchanged list is left alone, so that a second running copy of the
  // program does not overwrite what the first one saved.
  if (files == FRead)
    return;
  try {
    FSettings.WriteRecentFiles(files);
  } catch (const std::exception& e) {
    if (FMessages)
      FMessages->Error(QString::fromStdString(e.what()));
  }
}

void TReOpenDlg::AddFile(const QString& fileName)
{
  int found = -1;
  for (int i = 0; i < MRUList->count(); ++i)
    if (MRUList->item(i)->text().compare(fileName, Qt::CaseInsensitive) == 0) {
      found = i;
      break;
    }
  if (found >= 0) {
    MRUList->insertItem(0, MRUList->takeItem(found));
  } else {
    MRUList->insertItem(0, fileName);
    while (MRUList->count() > std::max(MaxFiles, 1))
      delete MRUList->takeItem(MRUList->count() - 1);
  }
  MRUList->setCurrentRow(0);
}

QString TReOpenDlg::GetSelected() const
{
  const QList<QListWidgetItem*> selected = MRUList->selectedItems();
  return selected.isEmpty() ? QString() : selected.first()->text();
}

QStringList TReOpenDlg::Files() const
{
  QStringList files;
  for (int i = 0; i < MRUList->count(); ++i)
    files.append(MRUList->item(i)->text());
  return files;
}

}  // namespace veska
