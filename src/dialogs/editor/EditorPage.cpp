#include "dialogs/editor/EditorPage.h"

#include "dialogs/EditorWidgets.h"
#include "dialogs/ObjectEditor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace veska {

namespace {

bool LessIgnoringCase(const QString& a, const QString& b)
{
  const int c = a.compare(b, Qt::CaseInsensitive);
  return c != 0 ? c < 0 : a < b;
}

}  // namespace

TEditorPage::TEditorPage(TObjectEditor& window) : Window(window) {}

void TEditorPage::Load()
{
  const QScopedValueRollback committing(FCommitting, true);
  FEditsEnabled = false;
  FEditsEnabled = Fill();
}

void TEditorPage::EndEdit(QWidget* focus)
{
  if (focus == FNameBox || focus == FNameBox->lineEdit())
    CommitName();
}

void TEditorPage::Commit(const std::function<void()>& write)
{
  if (FCommitting)
    return;
  const QScopedValueRollback committing(FCommitting, true);
  write();
}

void TEditorPage::CommitEdit(const std::function<void()>& write)
{
  if (FEditsEnabled)
    Commit(write);
}

void TEditorPage::ShowLater(const QString& text)
{
  QTimer::singleShot(0, this, [this, text] {
    if (TDrawingSurface* s = Surface())
      s->Messages().Error(text);
  });
}

void TEditorPage::NameRefused()
{
  Window.statusLine->setText(QStringLiteral("A name cannot contain a comma."));
}

TDrawingSurface* TEditorPage::Surface() const
{
  return Window.DrawingSurface;
}

bool TEditorPage::EntityValid() const
{
  return Surface() && Window.CurrentEntity && Surface()->Entities.IndexOfObject(Window.CurrentEntity) >= 0;
}

void TEditorPage::RepaintEntity()
{
  if (Window.CurrentEntity)
    Window.CurrentEntity->Repaint();
}

void TEditorPage::ShowDeleted()
{
  FNameBox->setEditText(QString());
  Window.LoadPage();
}

void TEditorPage::ReloadWindow()
{
  Window.LoadPage();
}

// ---- The name box ------------------------------------------------------------------

TNameBox* TEditorPage::MakeNameBox(const char* name, bool refuseCommas)
{
  FNameBox = new TNameBox(name, refuseCommas);
  connect(FNameBox, &TNameBox::CommaRefused, this, &TEditorPage::NameRefused);
  connect(FNameBox, &TNameBox::NameEntered, this, &TEditorPage::CommitName);
  connect(FNameBox, &QComboBox::activated, this, &TEditorPage::NamePicked);
  return FNameBox;
}

void TEditorPage::NamePicked()
{
  if (Surface() && FNameBox->currentIndex() >= 0 && !FNameBox->Typed())
    Pick(FNameBox->currentText());
}

void TEditorPage::CommitName()
{
  // A typed name is taken whether or not edits of fields are: the page's
  // Rename needs only a current object.
  if (FNameBox->Typed() && Surface())
    Commit([this, typed = FNameBox->currentText()] { Rename(typed); });
}

void TEditorPage::FillNameBox(const QStringList& names, const QString* current)
{
  QStringList sorted = names;
  std::stable_sort(sorted.begin(), sorted.end(), LessIgnoringCase);
  const QSignalBlocker block(FNameBox);
  FNameBox->clear();
  FNameBox->addItems(sorted);
  FNameBox->setCurrentIndex(current ? int(sorted.indexOf(*current)) : -1);
  if (!current)
    FNameBox->setEditText(QString());
}

void TEditorPage::FillEntityBox(QString (*text)(const TEntity&))
{
  struct TEntry {
    QString Text;
    TEntity* Entity;
  };
  std::vector<TEntry> entries;
  if (Surface())
    for (TEntity* e : Surface()->Entities)
      entries.push_back({text(*e), e});
  std::stable_sort(entries.begin(), entries.end(),
                   [](const TEntry& a, const TEntry& b) { return LessIgnoringCase(a.Text, b.Text); });
  const QSignalBlocker block(FNameBox);
  FNameBox->clear();
  int current = -1;
  for (const TEntry& entry : entries) {
    if (entry.Entity == Window.CurrentEntity)
      current = FNameBox->count();
    FNameBox->addItem(entry.Text, QVariant::fromValue(reinterpret_cast<quintptr>(entry.Entity)));
  }
  FNameBox->setCurrentIndex(current);
  if (current < 0)
    FNameBox->setEditText(QString());
}

void TEditorPage::PickListedEntity()
{
  auto* e = reinterpret_cast<TEntity*>(FNameBox->currentData().value<quintptr>());
  if (e && Surface()->Entities.IndexOfObject(e) >= 0)
    Window.SetCurrentEntity(e);
}

// ---- Layout parts ------------------------------------------------------------------

QHBoxLayout* TEditorPage::PageBar(const QString& caption, QWidget* box, std::initializer_list<QPushButton*> buttons)
{
  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(0, 0, 0, 0);
  bar->setSpacing(8);
  bar->addWidget(BuddyLabel(caption, box));
  bar->addWidget(box, 1);
  for (QPushButton* b : buttons)
    bar->addWidget(b);
  return bar;
}

QPushButton* TEditorPage::Button(const char* name, const QString& caption)
{
  auto* b = new QPushButton(caption);
  b->setObjectName(QLatin1String(name));
  b->setAutoDefault(false);
  return b;
}

TMemo* TEditorPage::Memo(const char* name, bool wrap)
{
  auto* m = new TMemo;
  m->setObjectName(QLatin1String(name));
  if (wrap)
    m->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  return m;
}

QLineEdit* TEditorPage::Line(const char* name)
{
  auto* e = new QLineEdit;
  e->setObjectName(QLatin1String(name));
  return e;
}

}  // namespace veska
