#include "dialogs/FindDlg.h"

#include "dialogs/DialogButtons.h"

#include "surface/DrawingSurface.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace veska {

TFindDlg::TFindDlg(QWidget* parent) : QDialog(parent)
{
  setWindowTitle(QStringLiteral("Veska - Find Object"));

  ComboBox1 = new QComboBox(this);
  ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
  ComboBox1->addItems({QStringLiteral("Domain"), QStringLiteral("Entity"), QStringLiteral("Process"),
                       QStringLiteral("Relation"), QStringLiteral("Text")});
  ComboBox1->setCurrentIndex(0);
  auto* typeLabel = new QLabel(QStringLiteral("Object &Type"), this);
  typeLabel->setBuddy(ComboBox1);

  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* nameLabel = new QLabel(QStringLiteral("&Object"), this);
  nameLabel->setBuddy(ListBox1);

  const TDialogButtons buttons = MakeDialogButtons(this, QStringLiteral("drawing.html"));
  OKBtn = buttons.OK;
  CancelBtn = buttons.Cancel;
  HelpBtn = buttons.Help;

  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->addRow(typeLabel, ComboBox1);
  layout->addLayout(form);
  layout->addWidget(nameLabel);
  layout->addWidget(ListBox1);
  layout->addWidget(buttons.Box);
  setTabOrder(ComboBox1, ListBox1);

  connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] { ComboBox1Change(); });
  connect(ListBox1, &QListWidget::itemSelectionChanged, this, [this] { ListBox1Click(); });
  connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] {
    if (OKBtn->isEnabled())
      OKBtn->click();
  });
  connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
}

QStringList TFindDlg::NamesOfType(const TDrawingSurface& surface, const QString& type)
{
  if (type == QLatin1String("Domain"))
    return surface.Domains.Texts();
  if (type == QLatin1String("Entity"))
    return surface.Entities.Texts();
  if (type == QLatin1String("Process"))
    return surface.ServerProcs.Texts();
  if (type == QLatin1String("Relation"))
    return surface.Relations.Texts();
  if (type == QLatin1String("Text"))
    return surface.Labels.Texts();
  return {};
}

void TFindDlg::Prepare(TDrawingSurface& surface)
{
  DrawingSurface = &surface;
  const bool typeChanges = ComboBox1->currentIndex() != 0;
  ComboBox1->setCurrentIndex(0);
  if (!typeChanges)
    ComboBox1Change();
  SelectedType = ComboBox1->currentText();
  SelectedIndex = -1;
  OKBtn->setEnabled(false);
}

void TFindDlg::ComboBox1Change()
{
  if (!DrawingSurface)
    return;
  ListBox1->clear();
  ListBox1->addItems(NamesOfType(*DrawingSurface, ComboBox1->currentText()));
}

void TFindDlg::ListBox1Click()
{
  if (!ListBox1->selectedItems().isEmpty())
    OKBtn->setEnabled(true);
}

void TFindDlg::OKBtnClick()
{
  SelectedType = ComboBox1->currentText();
  const QList<QListWidgetItem*> selected = ListBox1->selectedItems();
  SelectedIndex = selected.isEmpty() ? -1 : ListBox1->row(selected.first());
  accept();
}

}  // namespace veska
