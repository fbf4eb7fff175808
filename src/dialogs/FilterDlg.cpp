#include "dialogs/FilterDlg.h"

#include "dialogs/DialogButtons.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

namespace veska {
namespace {

bool Before(const QString& a, const QString& b)
{
  const int c = a.compare(b, Qt::CaseInsensitive);
  return c != 0 ? c < 0 : a < b;
}

void InsertSorted(QListWidget* list, QListWidgetItem* item)
{
  int low = 0;
  int high = list->count();
  while (low < high) {
    const int mid = (low + high) / 2;
    if (Before(item->text(), list->item(mid)->text()))
      high = mid;
    else
      low = mid + 1;
  }
  list->insertItem(low, item);
}

QListWidget* MakeList(QWidget* parent, const char* name)
{
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  return list;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QString& hint)
{
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setToolTip(hint);
  button->setAccessibleName(hint);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TFilterDlg::TFilterDlg(QWidget* parent) : QDialog(parent)
{
  setWindowTitle(QStringLiteral("Veska - Objects Filter"));

  AvailableListBox = MakeList(this, "AvailableListBox");
  SelectedListBox = MakeList(this, "SelectedListBox");
  auto* availableLabel = new QLabel(QStringLiteral("&Available Objects"), this);
  availableLabel->setBuddy(AvailableListBox);
  auto* selectedLabel = new QLabel(QStringLiteral("&Selected Objects"), this);
  selectedLabel->setBuddy(SelectedListBox);

  AddAllButton = MakeButton(this, "AddAllButton", QStringLiteral(">>"), QStringLiteral("Add All"));
  AddSelectedButton = MakeButton(this, "AddSelectedButton", QStringLiteral(">"), QStringLiteral("Add Selected"));
  ClearSelectedButton = MakeButton(this, "ClearSelectedButton", QStringLiteral("<"), QStringLiteral("Clear Selected"));
  ClearAllButton = MakeButton(this, "ClearAllButton", QStringLiteral("<<"), QStringLiteral("Clear All"));

  const TDialogButtons buttons = MakeDialogButtons(this, QStringLiteral("zoom.html"));
  OKBtn = buttons.OK;
  CancelBtn = buttons.Cancel;
  HelpBtn = buttons.Help;

  auto* moves = new QVBoxLayout;
  moves->addStretch();
  for (QPushButton* b : {AddAllButton, AddSelectedButton, ClearSelectedButton, ClearAllButton})
    moves->addWidget(b);
  moves->addStretch();

  auto* grid = new QGridLayout;
  grid->addWidget(availableLabel, 0, 0);
  grid->addWidget(selectedLabel, 0, 2);
  grid->addWidget(AvailableListBox, 1, 0);
  grid->addLayout(moves, 1, 1);
  grid->addWidget(SelectedListBox, 1, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(buttons.Box);

  setTabOrder(AvailableListBox, AddAllButton);
  setTabOrder(AddAllButton, AddSelectedButton);
  setTabOrder(AddSelectedButton, ClearSelectedButton);
  setTabOrder(ClearSelectedButton, ClearAllButton);
  setTabOrder(ClearAllButton, SelectedListBox);
  setTabOrder(SelectedListBox, OKBtn);
  setTabOrder(OKBtn, CancelBtn);

  connect(AddAllButton, &QPushButton::clicked, this, [this] { AddAllButtonClick(); });
  connect(AddSelectedButton, &QPushButton::clicked, this, [this] { AddSelectedButtonClick(); });
  connect(ClearSelectedButton, &QPushButton::clicked, this, [this] { ClearSelectedButtonClick(); });
  connect(ClearAllButton, &QPushButton::clicked, this, [this] { ClearAllButtonClick(); });
  connect(AvailableListBox, &QListWidget::itemDoubleClicked, this, [this] { AddSelectedButtonClick(); });
  connect(SelectedListBox, &QListWidget::itemDoubleClicked, this, [this] { ClearSelectedButtonClick(); });
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

void TFilterDlg::SetLists(const QStringList& available, const QStringList& selected)
{
  AvailableListBox->clear();
  SelectedListBox->clear();
  for (const QString& name : available)
    InsertSorted(AvailableListBox, new QListWidgetItem(name));
  // Each chosen name takes the first available entry of that name; one pass
  // over the available names keeps this linear for large models.
  QSet<QString> wanted;
  for (const QString& name : selected)
    wanted.insert(name.toCaseFolded());
  QList<int> rows;
  for (int i = 0; i < AvailableListBox->count(); ++i)
    if (wanted.remove(AvailableListBox->item(i)->text().toCaseFolded()))
      rows.append(i);
  for (qsizetype i = rows.size() - 1; i >= 0; --i)
    InsertSorted(SelectedListBox, AvailableListBox->takeItem(rows[i]));
}

QStringList TFilterDlg::SelectedNames() const
{
  QStringList names;
  for (int i = 0; i < SelectedListBox->count(); ++i)
    names.append(SelectedListBox->item(i)->text());
  return names;
}

void TFilterDlg::Move(QListWidget* from, QListWidget* to, bool selectedOnly)
{
  for (int i = from->count() - 1; i >= 0; --i)
    if (!selectedOnly || from->item(i)->isSelected()) {
      QListWidgetItem* item = from->takeItem(i);
      item->setSelected(false);
      InsertSorted(to, item);
    }
}

void TFilterDlg::AddAllButtonClick()
{
  Move(AvailableListBox, SelectedListBox, false);
}

void TFilterDlg::AddSelectedButtonClick()
{
  Move(AvailableListBox, SelectedListBox, true);
}

void TFilterDlg::ClearSelectedButtonClick()
{
  Move(SelectedListBox, AvailableListBox, true);
}

void TFilterDlg::ClearAllButtonClick()
{
  Move(SelectedListBox, AvailableListBox, false);
}

}  // namespace veska
